// The program's version texts: one source for the Windows version resource (the .rc includes
// this file) and for the POSIX build, which compiles the same values in.
#pragma once

#define CU_FILE_DESCRIPTION "Component Updater"
#define CU_FILE_VERSION "1.0.0.0"
#define CU_PRODUCT_NAME "Quorvex"
#define CU_COMPANY_NAME "Tevar GmbH"
#define CU_ORIGINAL_FILENAME "component_updater.exe"
// FILEVERSION and PRODUCTVERSION of the resource: the numbers of CU_FILE_VERSION.
#define CU_VERSION_NUMBERS 1, 0, 0, 0
// Translation of the string table: US English (0x0409), Windows-1252 (1252 = 0x04e4).
#define CU_VERSION_LANGUAGE 0x0409
#define CU_VERSION_CODEPAGE 1252
#define CU_VERSION_BLOCK "040904e4"
