# The packages an operator installs from: on Windows a zip with component_updater.exe, its text
# table, the examples and the operator's guide; on Linux a tar.gz with the program, the simulated
# controller, the text table and the examples. Everything lies flat in one folder, because the
# program reads component_updater.loc from the current folder. Built by `cpack` in a release
# build tree (scripts/package.sh).
if(WIN32)
  install(TARGETS component_updater RUNTIME DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(cu_package_system windows-x64)
else()
  install(TARGETS component_updater controller_sim RUNTIME DESTINATION .)
  set(CPACK_GENERATOR TGZ)
  set(cu_package_system linux-${CMAKE_SYSTEM_PROCESSOR})
endif()
install(FILES component_updater/src/component_updater.loc docs/operator_guide.md DESTINATION .)
install(DIRECTORY examples/ DESTINATION examples)

set(CPACK_PACKAGE_NAME component_updater)
set(CPACK_PACKAGE_VENDOR "Tevar GmbH")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Installs firmware and BSP modules on a measuring station's controller")
set(CPACK_PACKAGE_FILE_NAME component_updater-${PROJECT_VERSION}-${cu_package_system})
set(CPACK_STRIP_FILES ON)
include(CPack)
