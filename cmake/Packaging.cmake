# The Debian packages, made by `cpack -G DEB` in a build of the "package" preset (scripts/package.sh):
# "moorvane", the app and everything the desktop finds beside it, and "moorvane-refdock", the reference Dock,
# which a person on GNOME Shell or Plank does not need.
set(CPACK_PACKAGE_NAME moorvane)
set(CPACK_PACKAGE_VENDOR "The Moorvane developers")
set(CPACK_PACKAGE_CONTACT "Moorvane developers <developers@moorvane.com>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL moorvane refdock)
set(CPACK_DEB_COMPONENT_INSTALL ON)


set(CPACK_DEBIAN_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(moorvane_deb_version ${PROJECT_VERSION}-1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${MOORVANE_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The libraries the programs link come from shlibdeps; these are what they load or run by name, which it cannot
# see. Each was found by installing the package on a fresh Debian and starting the app there (tests/package/).
set(moorvane_runtime_depends
    # The QML modules the views import (QtQuick, Controls with its Fusion style, Layouts, Window) and those the
    # Controls modules import in turn.
    qml6-module-qtquick qml6-module-qtquick-controls qml6-module-qtquick-layouts qml6-module-qtquick-window
    qml6-module-qtquick-templates qml6-module-qtqml-workerscript
    # The symbol font the views and the switching overlay draw their glyphs with, read from its path.
    fonts-material-design-icons-iconfont
    # Qt's SVG image plugin: the picker and the editor show the apps' icons, on most desktops SVG files.
    libqt6svg6
    # pgrep: whether the Dock and the apps a switch quits are running.
    procps)
list(JOIN moorvane_runtime_depends ", " CPACK_DEBIAN_MOORVANE_PACKAGE_DEPENDS)
set(CPACK_DEBIAN_MOORVANE_PACKAGE_NAME moorvane)
# The .icns icons of .app bundles, the apps beside the reference Dock.
set(CPACK_DEBIAN_MOORVANE_PACKAGE_RECOMMENDS qt6-image-formats-plugins)
set(CPACK_DEBIAN_MOORVANE_PACKAGE_SUGGESTS moorvane-refdock)
set(CPACK_COMPONENT_MOORVANE_DESCRIPTION "keeps several layouts of the Dock and switches between them
Moorvane keeps several layouts of the Dock, called profiles, and switches
between them from a tray popover, a global keyboard shortcut, a Focus-mode
change, a moorvane:// URL or a D-Bus automation action. A switch writes the
profile's tiles into the Dock under a short overlay, then quits or launches
the profile's apps. It also captures the current Dock, follows the
user's own Dock edits, and exports and imports .dockprofile documents.

On Linux it drives GNOME Shell's dash (and the docks that share it, such as
Dash to Dock), Plank, and the reference Dock of the moorvane-refdock package.")

set(CPACK_DEBIAN_REFDOCK_PACKAGE_NAME moorvane-refdock)
# The QML modules the Dock imports, and what its launcher supervises it with (pgrep, ps).
set(CPACK_DEBIAN_REFDOCK_PACKAGE_DEPENDS "moorvane (= ${moorvane_deb_version}), qml6-module-qtquick, qml6-module-qtquick-window, procps")
set(CPACK_COMPONENT_REFDOCK_DESCRIPTION "reference Dock for Moorvane
A small dock that keeps its layout in
~/Library/Preferences/com.apple.dock.plist, the way the macOS Dock does, and
that Moorvane switches like that Dock. It is for trying Moorvane and for its
tests on a desktop without GNOME Shell or Plank; a person on those docks does
not need it.

The moorvane-refdock command starts it under a supervisor that restarts it
whenever it exits; a systemd user unit does the same in a systemd session.")

# Each package's copyright and Debian changelog, and the reference Dock's manual page; the last two compressed
# reproducibly, as Debian's tools do.
set(moorvane_changelog ${CMAKE_BINARY_DIR}/packaging/changelog.Debian.gz)
set(moorvane_refdock_man ${CMAKE_BINARY_DIR}/packaging/moorvane-refdock.1.gz)
foreach(pair "changelog:${moorvane_changelog}" "moorvane-refdock.1:${moorvane_refdock_man}")
  string(REPLACE ":" ";" pair ${pair})
  list(GET pair 0 source)
  list(GET pair 1 compressed)
  add_custom_command(OUTPUT ${compressed}
                     COMMAND sh -c "gzip -9n < '${CMAKE_SOURCE_DIR}/packaging/${source}' > '${compressed}'"
                     DEPENDS ${CMAKE_SOURCE_DIR}/packaging/${source} VERBATIM)
endforeach()
add_custom_target(moorvane_packaging_docs ALL DEPENDS ${moorvane_changelog} ${moorvane_refdock_man})
install(FILES ${moorvane_refdock_man} DESTINATION share/man/man1 COMPONENT refdock)
foreach(component moorvane refdock)
  string(TOUPPER ${component} upper)
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright ${moorvane_changelog}
          DESTINATION share/doc/${CPACK_DEBIAN_${upper}_PACKAGE_NAME} COMPONENT ${component})
endforeach()

include(CPack)
