# What `cmake --install` puts in place: the two programs, the menu entry (offered by file managers
# when a camera card is mounted), the icon, the AppStream metadata and the French manual pages.
include(GNUInstallDirs)

install(TARGETS lumaro lumaro-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_SOURCE_DIR}/resources/desktop/lumaro.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/lumaro.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

configure_file(${CMAKE_SOURCE_DIR}/resources/desktop/lumaro.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/install/example.lumaro.Lumaro.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/install/example.lumaro.Lumaro.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

foreach(page lumaro lumaro-cli)
  configure_file(${CMAKE_SOURCE_DIR}/resources/man/${page}.1.in ${CMAKE_BINARY_DIR}/install/${page}.1 @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/install/${page}.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
