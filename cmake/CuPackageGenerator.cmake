# Read by cpack for each generator (CPACK_PROJECT_CONFIG_FILE): the archives hold the flat install
# component, the Debian package the system one. Naming one component here keeps the package a
# single package without component suffixes.
if(CPACK_GENERATOR STREQUAL "DEB")
  set(cu_component system)
  set(CPACK_PACKAGING_INSTALL_PREFIX "${CPACK_CU_INSTALL_PREFIX}")
else()
  set(cu_component flat)
endif()
set(CPACK_INSTALL_CMAKE_PROJECTS "${CPACK_CU_BINARY_DIR};component_updater;${cu_component};/")
