// MLocIniData::Open. Lines go through the INI document's own parse_line, so the syntax and its
// error texts are those of every other configuration file; only the line preparation differs.
#include "MLocIniData.h"

#include "errtrace.h"
#include "fastfile.h"
#include "fileops.h"

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// Where the "{{" of a multi-line value starts, or npos: the first non-blank character after the
// first '=' must begin it.
std::string::size_type MultiLineStart(const std::string& line) {
  const std::string::size_type equals = line.find('=');
  if (equals == std::string::npos)
    return std::string::npos;
  std::string::size_type pos = equals + 1;
  while (pos < line.size() && IsBlank(line[pos]))
    ++pos;
  return line.compare(pos, 2, "{{") == 0 ? pos : std::string::npos;
}

void RemoveLeadingBlanks(std::string* line) {
  std::string::size_type pos = 0;
  while (pos < line->size() && IsBlank((*line)[pos]))
    ++pos;
  line->erase(0, pos);
}

}  // namespace

bool MLocIniData::ReadNextLine(MFastFileReader* reader, std::string* line) {
  if (reader->ReadLine(line))
    return true;
  set_last_error("read error in \"%.200s\"", reader->name().c_str());
  MERRTRACE("MLocIniData::Open(): MFastFileReader::ReadLine() failed");
  return false;
}

// IsEOF alone would take a read error for the end of the file, and the table would be filled
// from part of it as if that were all.
bool MLocIniData::AtEnd(MFastFileReader* reader, bool* at_end) {
  if (reader->CheckEOF(at_end))
    return true;
  set_last_error("read error in \"%.200s\"", reader->name().c_str());
  MERRTRACE("MLocIniData::Open(): MFastFileReader::fill_buffer() failed");
  return false;
}

bool MLocIniData::JoinMultiLineValue(MFastFileReader* reader, std::string::size_type open_braces,
                                     std::string* line) {
  std::string::size_type search_from = open_braces + 2;
  while (line->find("}}", search_from) == std::string::npos) {
    bool at_end = false;
    if (!AtEnd(reader, &at_end))
      return false;
    if (at_end) {
      set_last_error("no matching \"}}\" found in \"%.50s\"", line->c_str());
      MERRTRACE("MLocIniData::Open(): %.70s", last_error_.c_str());
      return false;
    }
    std::string next;
    if (!ReadNextLine(reader, &next))
      return false;
    // The joint is a LF, so no "}}" can straddle it: only the new part needs searching.
    search_from = line->size();
    line->append("\n").append(next);
  }
  return true;
}

bool MLocIniData::Open(const char* path) {
  MFastFileReader reader;
  return Open(path, &reader);
}

bool MLocIniData::Open(const char* path, MFastFileReader* reader) {
  if (!Close()) {
    MERRTRACE("MLocIniData::Open(): Close() failed");
    return false;
  }
  // A null path is read as the empty name, as the plain INI reader does.
  if (path == nullptr)
    path = "";
  if (!file_exists(path)) {
    open_ = true;
    new_file_ = true;
    clean_ = false;
    file_name_ = path;
    return true;
  }
  if (!reader->Open(path)) {
    set_open_error(path);
    MERRTRACE("MLocIniData::Open(): MFastFileReader::Open() failed");
    return false;
  }
  new_file_ = false;
  current_section_ = nullptr;
  bool at_end = false;
  while (AtEnd(reader, &at_end) && !at_end) {
    std::string line;
    if (!ReadNextLine(reader, &line))
      return false;
    const std::string::size_type braces = MultiLineStart(line);
    if (braces != std::string::npos && !JoinMultiLineValue(reader, braces, &line))
      return false;
    RemoveLeadingBlanks(&line);
    if (!parse_line(line)) {
      MERRTRACE("MLocIniData::Open(): parse_line(%.60s) failed", line.c_str());
      return false;
    }
  }
  if (!at_end)
    return false;
  open_ = true;
  clean_ = true;
  file_name_ = path;
  return true;
}
