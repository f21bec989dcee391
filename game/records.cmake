# The records the game keeps in the per-user store: the Top 10 table, the saved game and
# the settings. Plain C++; the store itself is reached through common/settingsstore.h.
add_library(game_records STATIC
  ${CMAKE_CURRENT_LIST_DIR}/hiscoretable.cpp
  ${CMAKE_CURRENT_LIST_DIR}/savegame.cpp
  ${CMAKE_CURRENT_LIST_DIR}/settings.cpp)
target_include_directories(game_records PUBLIC ${PROJECT_SOURCE_DIR})
# gamepack for ScrambleBytes and its key.
target_link_libraries(game_records PUBLIC common gamepack)
