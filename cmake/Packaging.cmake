# What `cmake --install` puts where, and the Debian package CPack makes of it (`make package`).
# Only the program and its own files: no demo, no tools, no tests.
set(packaging ${CMAKE_SOURCE_DIR}/packaging)
set(packaging_out ${CMAKE_BINARY_DIR}/packaging)

install(TARGETS quarrow RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/quarrow)
install(FILES ${packaging}/quarrow.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${packaging}/icons/quarrow.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size IN ITEMS 16 22 24 32 48 64 128 256)
  install(FILES ${packaging}/icons/quarrow-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME quarrow.png)
endforeach()

# The daily update as a systemd user timer, installed but not enabled (the settings dialog or
# `systemctl --user enable --now quarrow-update.timer` does that).
# The package and a /usr/local install: systemd finds a bare program name in its own path.
# Elsewhere (~/.local) the unit names the installed program and lives where systemd looks for the
# user's own units.
if(CMAKE_INSTALL_PREFIX MATCHES "^/usr(/local)?$")
  set(QUARROW_UNIT_PROGRAM quarrow)
  set(user_units lib/systemd/user)
else()
  set(QUARROW_UNIT_PROGRAM ${CMAKE_INSTALL_FULL_BINDIR}/quarrow)
  set(user_units ${CMAKE_INSTALL_DATADIR}/systemd/user)
endif()
configure_file(${packaging}/quarrow-update.service.in ${packaging_out}/quarrow-update.service @ONLY)
install(FILES ${packaging_out}/quarrow-update.service ${packaging}/quarrow-update.timer DESTINATION ${user_units})

# Debian wants the manual page and the changelog compressed, without a time stamp.
configure_file(${packaging}/changelog.in ${packaging_out}/changelog @ONLY)
set(packaging_gz)
foreach(pair IN ITEMS "${packaging}/quarrow.1|quarrow.1.gz" "${packaging_out}/changelog|changelog.gz")
  string(REPLACE "|" ";" pair "${pair}")
  list(GET pair 0 source)
  list(GET pair 1 name)
  add_custom_command(OUTPUT ${packaging_out}/${name}
                     COMMAND sh -c "gzip -9nc \"$0\" > \"$1\"" ${source} ${packaging_out}/${name}
                     DEPENDS ${source} VERBATIM)
  list(APPEND packaging_gz ${packaging_out}/${name})
endforeach()
add_custom_target(quarrow_packaging_files ALL DEPENDS ${packaging_gz})
install(FILES ${packaging_out}/quarrow.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${packaging_out}/changelog.gz ${packaging}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quarrow)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quarrow)
set(CPACK_PACKAGE_VENDOR "Quarrow for Namazu developers")
set(CPACK_PACKAGE_CONTACT "Quarrow for Namazu developers <quarrow@example.org>" CACHE STRING
    "Maintainer of the Debian package")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop front end for the Namazu full-text search engine")
# CPack puts the summary first and indents these lines.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Quarrow for Namazu searches your documents with namazu and builds its indexes
with mknmz, through a Japanese user interface. It shows the hits as a list that
can be clicked, opens text documents in a viewer that converts Japanese codes
(EUC-JP, Shift_JIS, ISO-2022-JP, UTF-8) and decodes MIME mail headers, and
shows HTML in an embedded browser.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "namazu2, namazu2-index-tools, nkf, kakasi, libnkf-perl, libtext-kakasi-perl, locales, xdg-utils, \
fonts-ipafont-gothic, fonts-ipafont-mincho, fonts-dejavu-core, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
