// The version texts on POSIX: the values the Windows resource holds, compiled in, looked up the
// way the resource is queried (by translation and entry name).
#include <cstring>

#include "program_version.h"
#include "version_info.h"

struct ProgramVersionInfo::Block {};

ProgramVersionInfo::ProgramVersionInfo(const std::string& /*executable*/)
    : block_(new Block), translation_(CU_VERSION_BLOCK) {}

ProgramVersionInfo::~ProgramVersionInfo() = default;

std::string ProgramVersionInfo::Query(const char* entry) const {
  static const struct {
    const char* name;
    const char* text;
  } kStrings[] = {{"CompanyName", CU_COMPANY_NAME}, {"FileDescription", CU_FILE_DESCRIPTION},
                  {"FileVersion", CU_FILE_VERSION}, {"OriginalFilename", CU_ORIGINAL_FILENAME},
                  {"ProductName", CU_PRODUCT_NAME}, {"ProductVersion", CU_FILE_VERSION}};
  if (!block_ || translation_ != CU_VERSION_BLOCK)
    return "";
  for (const auto& row : kStrings)
    if (std::strcmp(row.name, entry) == 0)
      return row.text;
  return "";
}
