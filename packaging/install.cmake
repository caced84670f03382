# Installing. One set of rules serves a self-contained folder (cmake --install build --prefix
# DIR) and the Debian package (make package), which puts the same folder at /opt/corvane and
# then moves the desktop entry, the icons and the corvane command to the system's places
# (system-layout.cmake).

if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT)
    set(CMAKE_INSTALL_PREFIX /opt/corvane CACHE PATH "Folder the console is installed into"
        FORCE)
endif()

# The folder looks like the build directory: the console finds 123/ beside itself.
install(TARGETS corvane corvane-headsim RUNTIME DESTINATION .)
# Only the system's Qt is linked; a search path into ../lib would just be a hole.
set_target_properties(corvane corvane-headsim PROPERTIES INSTALL_RPATH "")
install(FILES ${PROJECT_SOURCE_DIR}/assets/logo.jpg DESTINATION 123 RENAME "Chinese&English.jpg")
install(FILES ${PROJECT_SOURCE_DIR}/assets/about.jpg DESTINATION 123 RENAME BQ.jpg)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/assets/corvane.svg DESTINATION icons/hicolor/scalable/apps)
foreach(size 48 64 128)
    install(FILES ${PROJECT_SOURCE_DIR}/assets/corvane-${size}.png
            DESTINATION icons/hicolor/${size}x${size}/apps RENAME corvane.png)
endforeach()
# The manual pages where man looks when the folder is on the PATH (<folder>/share/man), and the
# AppStream metadata, which the package moves to /usr/share/metainfo.
install(FILES ${PROJECT_SOURCE_DIR}/doc/corvane.1 ${PROJECT_SOURCE_DIR}/doc/corvane-headsim.1
        DESTINATION share/man/man1)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/corvane.metainfo.xml DESTINATION share/metainfo)
install(CODE "
    set(CORVANE_DESKTOP_TEMPLATE \"${CMAKE_CURRENT_LIST_DIR}/corvane.desktop.in\")
    set(CORVANE_DESKTOP_STAGE \"${PROJECT_BINARY_DIR}/desktop-entry\")
")
install(SCRIPT ${CMAKE_CURRENT_LIST_DIR}/desktop-entry.cmake)

# The package.
set(CORVANE_MAINTAINER "Corvane Developers <developers@corvane.org>" CACHE STRING
    "Maintainer named in the Debian package")
# A build directory configured before the team's address was set still holds the placeholder.
if(CORVANE_MAINTAINER STREQUAL "Corvane maintainers <maintainers@corvane.invalid>")
    set_property(CACHE CORVANE_MAINTAINER PROPERTY VALUE
                 "Corvane Developers <developers@corvane.org>")
endif()
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME corvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# The Debian revision comes from the top entry of the package's changelog, which has to be for
# this version: packing stops otherwise (system-layout.cmake), building and testing do not.
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/changelog corvane_changelog_top LIMIT_COUNT 1)
if(corvane_changelog_top MATCHES "^corvane \\(([^)-]+)-([^)]+)\\)")
    set(CPACK_CORVANE_CHANGELOG_VERSION ${CMAKE_MATCH_1})
    set(CPACK_DEBIAN_PACKAGE_RELEASE ${CMAKE_MATCH_2})
else()
    message(FATAL_ERROR "packaging/changelog does not start with \"corvane (VERSION-REVISION)\"")
endif()
if(NOT CPACK_CORVANE_CHANGELOG_VERSION STREQUAL PROJECT_VERSION)
    message(WARNING "packaging/changelog's top entry is for ${CPACK_CORVANE_CHANGELOG_VERSION}, "
        "the project is ${PROJECT_VERSION}: make package needs an entry for this version")
endif()
set(CPACK_PACKAGE_CONTACT "${CORVANE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CORVANE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "operator console for pan-tilt heads carrying searchlights")
# One line of the control file's description per line here, each under 80 characters.
set(CPACK_PACKAGE_DESCRIPTION [[
Corvane drives remotely controlled pan-tilt heads that carry searchlights,
over a serial line or TCP: jogging in eight directions, absolute angles,
the lamp, presets, cruise patterns and a daily timetable. The user
interface is in Chinese.
.
The package also holds corvane-headsim, a simulated head to try the
console without hardware.]])
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /opt/corvane)
set(CPACK_STRIP_FILES ON)

# Libraries the executables link come from dpkg-shlibdeps where it is installed (dpkg-dev; CPack
# also needs file). What no linker sees is named by hand: the SQLite driver the preset store
# loads as a plugin, and the fonts for the Chinese captions. The xcb and offscreen platform
# plugins ship in libqt6gui6 itself.
find_program(CORVANE_DPKG_SHLIBDEPS dpkg-shlibdeps)
find_program(CORVANE_FILE file)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, fonts-wqy-microhei")
if(CORVANE_DPKG_SHLIBDEPS AND CORVANE_FILE)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
    string(PREPEND CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6, libqt6core6, libqt6gui6, \
libqt6widgets6, libqt6network6, libqt6serialport6, libqt6sql6, libsdl2-2.0-0, ")
endif()
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-arphic-uming")

set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/system-layout.cmake)
set(CPACK_CORVANE_DESKTOP_TEMPLATE ${CMAKE_CURRENT_LIST_DIR}/corvane.desktop.in)
set(CPACK_CORVANE_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR})
set(CPACK_CORVANE_VERSION ${PROJECT_VERSION})
include(CPack)
