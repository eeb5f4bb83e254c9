# The program's version and names, read from component_updater/src/program_version.h, the one
# place they are written: the packages and the project's version follow it. Sets
#   CU_VERSION               major.minor.patch.build
#   CU_VERSION_MAJOR ... CU_VERSION_BUILD
#   CU_PRODUCT_NAME, CU_COMPANY_NAME, CU_FILE_DESCRIPTION
#
# CU_VERSION_OVERRIDE (a cache entry, empty by default) builds the program as another version:
# its four numbers then replace the header's, in the program (component_updater/src passes them
# to the files that include the header) and in the packages. Only the package checks use it, for
# a second, higher version to upgrade to (docs/packages.md).
set(CU_VERSION_OVERRIDE "" CACHE STRING
    "Build as this version (major.minor.patch.build) instead of program_version.h's; for the package checks")

set(cu_version_header ${CMAKE_CURRENT_LIST_DIR}/../component_updater/src/program_version.h)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${cu_version_header})
file(STRINGS ${cu_version_header} cu_version_lines
     REGEX "^#define CU_(VERSION_(MAJOR|MINOR|PATCH|BUILD)|PRODUCT_NAME|COMPANY_NAME|FILE_DESCRIPTION) ")
foreach(line ${cu_version_lines})
  if(line MATCHES "^#define (CU_[A-Z_]+) \"?([^\"]*)\"?$")
    set(${CMAKE_MATCH_1} "${CMAKE_MATCH_2}")
  endif()
endforeach()
foreach(name CU_VERSION_MAJOR CU_VERSION_MINOR CU_VERSION_PATCH CU_VERSION_BUILD CU_PRODUCT_NAME
        CU_COMPANY_NAME CU_FILE_DESCRIPTION)
  if("${${name}}" STREQUAL "")
    message(FATAL_ERROR "${cu_version_header} does not define ${name}")
  endif()
endforeach()

if(CU_VERSION_OVERRIDE)
  if(NOT CU_VERSION_OVERRIDE MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)\\.([0-9]+)$")
    message(FATAL_ERROR "CU_VERSION_OVERRIDE must be major.minor.patch.build, not '${CU_VERSION_OVERRIDE}'")
  endif()
  set(CU_VERSION_MAJOR ${CMAKE_MATCH_1})
  set(CU_VERSION_MINOR ${CMAKE_MATCH_2})
  set(CU_VERSION_PATCH ${CMAKE_MATCH_3})
  set(CU_VERSION_BUILD ${CMAKE_MATCH_4})
endif()
set(CU_VERSION ${CU_VERSION_MAJOR}.${CU_VERSION_MINOR}.${CU_VERSION_PATCH}.${CU_VERSION_BUILD})
