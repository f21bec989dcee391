# The Debian package: `cpack -G DEB` in the build folder (scripts/package does it).
set(MARLIPAN_PACKAGE_MAINTAINER "Dunmarsh <marlipan@dunmarsh.invalid>" CACHE STRING
    "The Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME marlipan)
set(CPACK_PACKAGE_VENDOR Dunmarsh)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${MARLIPAN_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "sliding picture puzzle with chiptune music")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Programs stripped as Debian strips them (dh_strip): the symbols, and the compiler's
# .comment and .note sections, which nothing reads at run time.
set(CPACK_MARLIPAN_STRIP ${CMAKE_STRIP})
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/strip.cmake)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)

set(CPACK_DEBIAN_PACKAGE_NAME marlipan)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${MARLIPAN_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The game draws its text in Arial; Liberation Sans has Arial's metrics.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2")
# Qt's Wayland platform plugin: without it Qt falls back to X11 (XWayland).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
# The synopsis is CPACK_PACKAGE_DESCRIPTION_SUMMARY; CPack indents these lines itself.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "A picture is cut into square tiles and shuffled on a board of 3 x 3 to 7 x 7
cells with one empty cell; slide the tiles back into place with the mouse or
the arrow keys. While a level plays, its song runs on an emulated YM2149 sound
chip. Levels come from gamepacks of up to ten pictures; five come with the
game, and the marlipan-pack tool makes new ones from your own pictures. The
moves over all the levels of a gamepack are the score, kept in a Top 10 table.")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
