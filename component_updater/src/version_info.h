// The program's own version texts: FileDescription and FileVersion make the program title,
// ProductName names the per-product application-data folder.
//
// On Windows the texts come from the executable's version resource; on POSIX the same values
// (program_version.h, which the resource script includes too) are compiled in. Every failure
// gives empty texts; nothing is traced.
#pragma once

#include <memory>
#include <string>

class ProgramVersionInfo {
 public:
  // Reads the version resource of `executable` (the application's name with ".EXE"; ignored on
  // POSIX). The block is kept until destruction.
  explicit ProgramVersionInfo(const std::string& executable);
  ~ProgramVersionInfo();
  ProgramVersionInfo(const ProgramVersionInfo&) = delete;
  ProgramVersionInfo& operator=(const ProgramVersionInfo&) = delete;

  std::string FileDescription() const { return Query("FileDescription"); }
  std::string FileVersion() const { return Query("FileVersion"); }
  std::string ProductName() const { return Query("ProductName"); }

  // The first language and code page of the translation table as "%04x%04x"; empty when the
  // resource has none.
  const std::string& translation() const { return translation_; }

 private:
  // The text of "\StringFileInfo\<translation>\<entry>", or "" when the block or the entry is
  // missing.
  std::string Query(const char* entry) const;

  struct Block;
  std::unique_ptr<Block> block_;
  std::string translation_;
};
