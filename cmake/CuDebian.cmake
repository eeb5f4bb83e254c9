# The Debian package of the POSIX build (install component "system", packed by cpack -G DEB):
#   /usr/bin/component_updater, /usr/bin/controller_sim
#   /usr/share/component_updater/   component_updater.loc and the examples; the installed program
#                                   reads this text table when the current folder has none
#   /usr/share/doc/component-updater/   the documents, copyright, changelog.gz
#   /usr/share/man/man1/            component_updater.1.gz, controller_sim.1.gz
# Debian package names allow no '_': the package is component-updater, its programs keep their
# names. The paths follow CMAKE_INSTALL_PREFIX, which scripts/package.sh sets to /usr.
set(cu_deb_name component-updater)
set(cu_deb_doc_dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/${cu_deb_name})
set(cu_deb_full_doc_dir ${CMAKE_INSTALL_FULL_DATAROOTDIR}/doc/${cu_deb_name})
set(cu_deb_build ${CMAKE_BINARY_DIR}/debian)
set(CU_PACKAGE_MAINTAINER "${CU_COMPANY_NAME} <packages@tevar.example>" CACHE STRING
    "Maintainer field of the Debian package: name <address>")

install(TARGETS component_updater controller_sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        COMPONENT system)
# After CPack's strip, the compiler's notes go too, as Debian's own packaging tools drop them.
install(CODE "
  foreach(program component_updater controller_sim)
    execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment --remove-section=.note
                    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/\${program}\")
  endforeach()" COMPONENT system)
install(FILES component_updater/src/component_updater.loc DESTINATION ${CU_INSTALL_DATA_DIR}
        COMPONENT system)
install(DIRECTORY examples/ DESTINATION ${CU_INSTALL_DATA_DIR}/examples COMPONENT system)
install(FILES docs/operator_guide.md docs/program.md docs/controller_sim.md docs/localization.md
              docs/registry_file.md docs/diagnostics.md docs/report.md docs/report.schema.json
              packaging/debian/copyright
        DESTINATION ${cu_deb_doc_dir} COMPONENT system)

# Texts that name the version, the date or the installed paths are made at configure time; man
# pages and the changelog are installed compressed with gzip -9n, as Debian wants them.
string(TIMESTAMP cu_deb_date "%a, %d %b %Y %H:%M:%S +0000" UTC)  # honours SOURCE_DATE_EPOCH
string(TIMESTAMP cu_man_date "%Y-%m-%d" UTC)
set(cu_deb_gz_files)
foreach(page component_updater.1 controller_sim.1)
  configure_file(docs/man/${page}.in ${cu_deb_build}/${page} @ONLY)
  list(APPEND cu_deb_gz_files ${page})
endforeach()
configure_file(packaging/debian/changelog.in ${cu_deb_build}/changelog @ONLY)
list(APPEND cu_deb_gz_files changelog)
set(cu_deb_gz_outputs)
foreach(file ${cu_deb_gz_files})
  add_custom_command(OUTPUT ${cu_deb_build}/${file}.gz
                     COMMAND gzip -9nkf ${file}
                     DEPENDS ${cu_deb_build}/${file}
                     WORKING_DIRECTORY ${cu_deb_build} VERBATIM)
  list(APPEND cu_deb_gz_outputs ${cu_deb_build}/${file}.gz)
endforeach()
add_custom_target(debian_texts ALL DEPENDS ${cu_deb_gz_outputs})
install(FILES ${cu_deb_build}/component_updater.1.gz ${cu_deb_build}/controller_sim.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT system)
install(FILES ${cu_deb_build}/changelog.gz DESTINATION ${cu_deb_doc_dir} COMPONENT system)
# lintian's notes that do not apply here, each with its reason.
install(FILES packaging/debian/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides
        RENAME ${cu_deb_name} COMPONENT system)

set(CPACK_DEBIAN_PACKAGE_NAME ${cu_deb_name})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_VERSION ${CU_VERSION})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CU_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)  # dpkg-shlibdeps names the libraries the programs need
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_SOURCE_DIR}/packaging/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The synopsis is CPACK_PACKAGE_DESCRIPTION_SUMMARY; this is the text below it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "component_updater reads an update description, connects to a measuring
station's machine controller, asks which components and versions it has
and sends each component that needs it its firmware or board-support
module. controller_sim is a simulated controller to rehearse an update
without a machine.")
# The Debian package's files lie under the install prefix the program was built for.
set(CPACK_CU_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
