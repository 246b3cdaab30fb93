# What "cmake --install" puts under the prefix: the two programs, the desktop entry, the
# AppStream metainfo, the icon in the hicolor theme, the manual pages, and the licence with
# the Debian copyright file. One application id
# names the desktop entry, the metainfo component and the icon.
include(GNUInstallDirs)

set(VORANTH_APP_ID "io.github.voranth.Voranth")
set(VORANTH_HOMEPAGE "https://github.com/voranth/voranth" CACHE STRING
    "The project's web page, named in the metainfo and the package")
set(VORANTH_SCREENSHOT_URL "https://raw.githubusercontent.com/voranth/voranth/main/docs" CACHE STRING
    "Where software centres fetch the screenshots in docs/ from")

# The licence (an SPDX expression) the About box and the metainfo name; COPYING holds its
# text and resources/debian/copyright.in says the same in Debian's form (GPL-2+).
set(VORANTH_LICENSE "GPL-2.0-or-later")

# The window tells the desktop which entry it belongs to.
target_compile_definitions(voranth PRIVATE VORANTH_APP_ID="${VORANTH_APP_ID}")
target_compile_definitions(voranth_app PUBLIC VORANTH_LICENSE="${VORANTH_LICENSE}")

install(TARGETS voranth voranthctl RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

set(desktop_out ${CMAKE_BINARY_DIR}/desktop)
configure_file(resources/desktop/voranth.desktop.in ${desktop_out}/${VORANTH_APP_ID}.desktop @ONLY)
configure_file(resources/desktop/voranth.metainfo.xml.in ${desktop_out}/${VORANTH_APP_ID}.metainfo.xml @ONLY)
install(FILES ${desktop_out}/${VORANTH_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${desktop_out}/${VORANTH_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The PNG sizes come from tools/make-icons.sh.
set(VORANTH_ICON_SIZES 16 32 48 64 128 256)
foreach(size ${VORANTH_ICON_SIZES})
  install(FILES resources/desktop/icons/${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${VORANTH_APP_ID}.png)
endforeach()
install(FILES resources/desktop/icons/scalable.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${VORANTH_APP_ID}.svg)

foreach(page voranth voranthctl)
  configure_file(docs/man/${page}.1.in ${CMAKE_BINARY_DIR}/man/${page}.1 @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/man/${page}.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

# The licence's text and the machine-readable copyright file, where Debian looks for them.
set(VORANTH_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/voranth)
configure_file(resources/debian/copyright.in ${CMAKE_BINARY_DIR}/doc/copyright @ONLY)
install(FILES COPYING ${CMAKE_BINARY_DIR}/doc/copyright DESTINATION ${VORANTH_DOC_DIR})
