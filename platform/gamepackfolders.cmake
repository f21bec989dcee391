# Where gamepacks are looked up (Qt Core only, so that the dialogs can use it without SDL).
# The installed packs are also found beside the program, by the path from the folder the
# game installs into to the one the packs install into, so that an install tree works
# wherever it is unpacked (a staged DESTDIR, a relocated prefix).
cmake_path(ABSOLUTE_PATH MARLIPAN_INSTALL_GAMESDIR BASE_DIRECTORY "${CMAKE_INSTALL_PREFIX}"
           OUTPUT_VARIABLE games_dir)
cmake_path(ABSOLUTE_PATH MARLIPAN_INSTALL_GAMEPACKDIR BASE_DIRECTORY "${CMAKE_INSTALL_PREFIX}"
           OUTPUT_VARIABLE gamepack_dir)
file(RELATIVE_PATH gamepacks_from_binary "${games_dir}" "${gamepack_dir}")

add_library(platform_paths STATIC ${CMAKE_CURRENT_LIST_DIR}/gamepackfolders.cpp)
target_include_directories(platform_paths PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(platform_paths PUBLIC Qt6::Core)
target_compile_definitions(platform_paths PRIVATE
  MARLIPAN_GAMEPACKS_FROM_BINARY="${gamepacks_from_binary}")
