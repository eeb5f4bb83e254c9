// The program's version texts: one source for the Windows version resource (the .rc includes
// this file), for the POSIX build, which compiles the same values in, and for the packages (CMake
// reads the four numbers below; docs/packages.md says how a release changes them).
#pragma once

// The version, major.minor.patch.build. Windows Installer compares only the first three numbers,
// so a release raises one of them. A build for the package checks may pass all four as compile
// definitions (CMake's CU_VERSION_OVERRIDE); otherwise these stand.
#ifndef CU_VERSION_MAJOR
#define CU_VERSION_MAJOR 1
#define CU_VERSION_MINOR 0
#define CU_VERSION_PATCH 0
#define CU_VERSION_BUILD 0
#endif

#define CU_VERSION_TEXT_(number) #number
#define CU_VERSION_TEXT(number) CU_VERSION_TEXT_(number)

#define CU_FILE_DESCRIPTION "Component Updater"
// clang-format off
#define CU_FILE_VERSION                                                    \
  CU_VERSION_TEXT(CU_VERSION_MAJOR) "." CU_VERSION_TEXT(CU_VERSION_MINOR) "." \
  CU_VERSION_TEXT(CU_VERSION_PATCH) "." CU_VERSION_TEXT(CU_VERSION_BUILD)
// clang-format on
#define CU_PRODUCT_NAME "Quorvex"
#define CU_COMPANY_NAME "Tevar GmbH"
#define CU_ORIGINAL_FILENAME "component_updater.exe"
// FILEVERSION and PRODUCTVERSION of the resource: the numbers of CU_FILE_VERSION.
#define CU_VERSION_NUMBERS CU_VERSION_MAJOR, CU_VERSION_MINOR, CU_VERSION_PATCH, CU_VERSION_BUILD
// Translation of the string table: US English (0x0409), Windows-1252 (1252 = 0x04e4).
#define CU_VERSION_LANGUAGE 0x0409
#define CU_VERSION_CODEPAGE 1252
#define CU_VERSION_BLOCK "040904e4"
