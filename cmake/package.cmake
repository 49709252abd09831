# The Debian package (scripts/package): reparador and jetdb in /usr/bin, the
# desktop entry and icon, a Spanish manual page for each, the copyright and
# changelog Debian asks for. dpkg-shlibdeps declares the libraries the
# programs link (Qt 6, ICU, the C++ run-time); Qt's window-system plugins,
# loaded at run time, are declared by hand.
include(GNUInstallDirs)
set(doc ${CMAKE_INSTALL_DATADIR}/doc/reparador)
set(packaging ${CMAKE_SOURCE_DIR}/packaging)
set(compressed)
foreach(page reparador.1 jetdb.1)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/${page}.gz
                     COMMAND gzip -9nc ${packaging}/${page} > ${CMAKE_BINARY_DIR}/${page}.gz
                     DEPENDS ${packaging}/${page})
  list(APPEND compressed ${CMAKE_BINARY_DIR}/${page}.gz)
endforeach()
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/changelog.gz
                   COMMAND gzip -9nc ${packaging}/changelog > ${CMAKE_BINARY_DIR}/changelog.gz
                   DEPENDS ${packaging}/changelog)
add_custom_target(package_docs ALL DEPENDS ${compressed} ${CMAKE_BINARY_DIR}/changelog.gz)
install(FILES ${compressed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_BINARY_DIR}/changelog.gz DESTINATION ${doc})
install(FILES ${packaging}/copyright DESTINATION ${doc})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME reparador)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Equipo de Reparador <reparador@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "repara y compacta bases de datos de Access 97")
# The lines under the summary (CPack puts the summary first and indents them).
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Una ventana, en español, que repara y compacta en su sitio bases de datos de
Access 97 (archivos .MDB de Jet 3) con un motor de bases de datos propio, y
jetdb, una herramienta de línea de órdenes sobre el mismo motor para leer,
comprobar, reparar y compactar esos archivos.")
include(CPack)
