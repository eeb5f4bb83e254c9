# The Windows Installer package, component_updater-<version>-x64.msi, built with wixl from
# packaging/windows/component_updater.wxs (target "msi", not part of the default build; run by
# scripts/package.sh). It installs exactly the flat install component, the zip's files.
find_program(CU_WIXL wixl)
find_program(CU_WIXL_HEAT wixl-heat)
if(NOT CU_WIXL OR NOT CU_WIXL_HEAT)
  message(STATUS "wixl not found: no target msi (scripts/install-tools.sh installs it)")
  return()
endif()

# Never changes: Windows Installer finds the installed versions of the product by it.
set(cu_upgrade_code EEACDA86-DC4C-43A1-8C3F-13483BD2596E)
# One ProductCode per version, as Windows Installer compares versions: by the first three numbers.
string(UUID cu_product_code NAMESPACE ${cu_upgrade_code}
       NAME "${CU_VERSION_MAJOR}.${CU_VERSION_MINOR}.${CU_VERSION_PATCH}" TYPE SHA1 UPPER)

set(cu_msi ${CMAKE_BINARY_DIR}/component_updater-${CU_VERSION}-x64.msi)
set(cu_wxs ${CMAKE_SOURCE_DIR}/packaging/windows/component_updater.wxs)
set(cu_icon ${CMAKE_SOURCE_DIR}/component_updater/src/res/program.ico)
file(GLOB_RECURSE cu_examples CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/examples/*)
add_custom_command(
  OUTPUT ${cu_msi}
  COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR} -DSTAGE_DIR=${CMAKE_BINARY_DIR}/msi
          -DWXS=${cu_wxs} -DMSI=${cu_msi} -DWIXL=${CU_WIXL} -DWIXL_HEAT=${CU_WIXL_HEAT}
          -DVERSION=${CU_VERSION} -DPRODUCT_CODE=${cu_product_code}
          -DUPGRADE_CODE=${cu_upgrade_code} "-DPRODUCT_NAME=${CU_PRODUCT_NAME} ${CU_FILE_DESCRIPTION}"
          "-DMANUFACTURER=${CU_COMPANY_NAME}" -DICON=${cu_icon}
          -P ${CMAKE_CURRENT_LIST_DIR}/CuMsiBuild.cmake
  DEPENDS component_updater ${cu_wxs} ${cu_icon} ${cu_examples}
          ${CMAKE_SOURCE_DIR}/component_updater/src/component_updater.loc
          ${CMAKE_SOURCE_DIR}/docs/operator_guide.md ${CMAKE_CURRENT_LIST_DIR}/CuMsiBuild.cmake
  VERBATIM)
add_custom_target(msi DEPENDS ${cu_msi})
