# "cpack" makes a Debian package from the same install rules (cmake/DesktopInstall.cmake).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME voranth)
set(CPACK_PACKAGE_VENDOR "Voranth")
set(CPACK_PACKAGE_CONTACT "Voranth developers" CACHE STRING "The package's maintainer")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "host Quake III Arena dedicated servers")
set(CPACK_PACKAGE_DESCRIPTION
    "Voranth hosts Quake III Arena dedicated servers, and servers of its mods: named server
configurations per mod, a map and bot library built from the game's pk3 archives, the
server configuration file, the dedicated server in a terminal window, and remote control
over rcon. voranthctl does the same from a terminal, for machines without a display.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${VORANTH_HOMEPAGE})
# The libraries the programs link (Qt 6, libzip, the C++ runtime) with their versions, from
# dpkg-shlibdeps; Qt's image plugin for the tga level shots is loaded at run time, so it is
# named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-image-formats-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "ioquake3-server, x-terminal-emulator | xterm, qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "openarena-server")

include(CPack)
