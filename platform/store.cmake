# The per-user store (QSettings behind the plain SettingsStore interface of common/).
add_library(platform_store STATIC ${CMAKE_CURRENT_LIST_DIR}/store.cpp)
target_include_directories(platform_store PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(platform_store PUBLIC common Qt6::Core)
