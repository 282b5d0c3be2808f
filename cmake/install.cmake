# What `cmake --install` puts in place: the two programs and their probe, the menu entry (offered by file managers
# when a camera card is mounted), the icon, the AppStream metadata and the French manual pages.
include(GNUInstallDirs)

install(TARGETS lumaro lumaro-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The reader of RAW, HEIF and video files: a private program, found by the two above at the same
# place relative to their own folder (LUMARO_PROBE_INSTALLED_FOLDER).
install(TARGETS lumaro-probe RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/lumaro)
install(FILES ${CMAKE_SOURCE_DIR}/resources/desktop/lumaro.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/lumaro.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

configure_file(${CMAKE_SOURCE_DIR}/resources/desktop/lumaro.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/install/example.lumaro.Lumaro.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/install/example.lumaro.Lumaro.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The pages are installed compressed, as a distribution ships them (gzip -n: the same bytes at
# every build); without gzip they go in as they are, which man reads too.
find_program(LUMARO_GZIP gzip)
set(manual_pages)
foreach(page lumaro lumaro-cli)
  set(source ${CMAKE_BINARY_DIR}/install/${page}.1)
  configure_file(${CMAKE_SOURCE_DIR}/resources/man/${page}.1.in ${source} @ONLY)
  if(LUMARO_GZIP)
    add_custom_command(OUTPUT ${source}.gz
                       COMMAND ${LUMARO_GZIP} -9 -n -c ${source} > ${source}.gz
                       DEPENDS ${source}
                       COMMENT "Compression de la page de manuel ${page}.1")
    list(APPEND manual_pages ${source}.gz)
  else()
    list(APPEND manual_pages ${source})
  endif()
endforeach()
add_custom_target(manual-pages ALL DEPENDS ${manual_pages})
install(FILES ${manual_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
