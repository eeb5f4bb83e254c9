// The version texts on Windows: the executable's version resource, read whole and queried with
// the version API. The string tables are looked up under the first translation only, so a
// resource whose translation names another language than its tables yields empty texts.
#include <windows.h>

#include <cstdio>
#include <vector>

#include "version_info.h"

struct ProgramVersionInfo::Block {
  std::vector<char> bytes;
};

ProgramVersionInfo::ProgramVersionInfo(const std::string& executable) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(executable.c_str(), &ignored);
  if (size == 0)
    return;  // no block: every text is empty
  block_.reset(new Block);
  block_->bytes.resize(size);
  if (!GetFileVersionInfoA(executable.c_str(), 0, size, block_->bytes.data()))
    return;  // the block is kept, the translation stays empty
  struct Translation {
    WORD language;
    WORD code_page;
  };
  Translation* table = nullptr;
  UINT length = 0;
  if (VerQueryValueA(block_->bytes.data(), "\\VarFileInfo\\Translation",
                     reinterpret_cast<void**>(&table), &length) &&
      length >= sizeof(Translation)) {
    char text[16];
    std::snprintf(text, sizeof text, "%04x%04x", table->language, table->code_page);
    translation_ = text;
  }
}

ProgramVersionInfo::~ProgramVersionInfo() = default;

std::string ProgramVersionInfo::Query(const char* entry) const {
  if (!block_)
    return "";
  char path[256];
  std::snprintf(path, sizeof path, "\\StringFileInfo\\%s\\%s", translation_.c_str(), entry);
  char* text = nullptr;
  UINT length = 0;
  // VerQueryValue does not write to the block, but its prototype takes a non-const pointer.
  void* bytes = const_cast<char*>(block_->bytes.data());
  if (!VerQueryValueA(bytes, path, reinterpret_cast<void**>(&text), &length) || text == nullptr)
    return "";
  return text;
}
