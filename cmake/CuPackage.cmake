# The packages an operator installs from (docs/packages.md; built and checked by
# scripts/package.sh in release build trees):
#   Windows  component_updater-<version>-x64.msi   Windows Installer package (wixl; target "msi")
#            component_updater-<version>-windows-x64.zip
#   POSIX    component-updater_<version>_<arch>.deb   Debian package (cpack -G DEB)
#            component_updater-<version>-linux-<cpu>.tar.gz
# The zip, the tar.gz and the MSI hold everything flat in one folder (install component "flat"),
# because the program reads component_updater.loc from the current folder. The Debian package lays
# the same files out the way Debian expects (component "system"): the programs in /usr/bin, the
# text table and the examples in /usr/share/component_updater (where the installed program finds
# its table when the current folder has none), the documents, the man pages.

# --- flat: the zip, the tar.gz and the MSI ---
# On POSIX a plain `cmake --install` lays out the system component only, where the program looks
# for its installed text table; the flat one is installed when it is asked for by name.
if(WIN32)
  set(cu_flat COMPONENT flat)
  install(TARGETS component_updater RUNTIME DESTINATION . ${cu_flat})
  set(cu_package_system windows-x64)
else()
  set(cu_flat COMPONENT flat EXCLUDE_FROM_ALL)
  install(TARGETS component_updater controller_sim RUNTIME DESTINATION . ${cu_flat})
  set(cu_package_system linux-${CMAKE_SYSTEM_PROCESSOR})
endif()
install(FILES component_updater/src/component_updater.loc docs/operator_guide.md DESTINATION .
        ${cu_flat})
install(DIRECTORY examples/ DESTINATION examples ${cu_flat})

set(CPACK_PACKAGE_NAME component_updater)
set(CPACK_PACKAGE_VENDOR "${CU_COMPANY_NAME}")
set(CPACK_PACKAGE_VERSION ${CU_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "installs firmware and BSP modules on a measuring station's controller")
set(CPACK_PACKAGE_FILE_NAME component_updater-${CU_VERSION}-${cu_package_system})
set(CPACK_STRIP_FILES ON)
# Each generator packs one install component (cmake/CuPackageGenerator.cmake).
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/CuPackageGenerator.cmake)
set(CPACK_CU_BINARY_DIR ${CMAKE_BINARY_DIR})

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  include(CuMsi)
else()
  set(CPACK_GENERATOR "TGZ;DEB")
  include(CuDebian)
endif()
include(CPack)
