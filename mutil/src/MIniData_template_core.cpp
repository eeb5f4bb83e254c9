// MIniDataT: reading a file into the line-preserving model, the line parser and the typed reads.
// Edits and Save are in MIniData_edit.cpp, the section and entry building blocks in
// MIniData_section.cpp.
#include "MIniData_template_core.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "MIniData_chars.h"
#include "errtrace.h"
#include "fastfile.h"
#include "fileops.h"

namespace {

using namespace mini_data_chars;

enum class ByteOrderMark { kNone, kUtf8, kRefused };

ByteOrderMark DetectByteOrderMark(const std::string& line) {
  auto starts = [&line](const char* mark, size_t n) { return line.compare(0, n, mark, n) == 0; };
  if (line.size() >= 4 && (starts("\x00\x00\xFE\xFF", 4) || starts("\xFF\xFE\x00\x00", 4)))
    return ByteOrderMark::kRefused;
  if (line.size() >= 3 && starts("\xEF\xBB\xBF", 3))
    return ByteOrderMark::kUtf8;
  if (line.size() >= 2 && (starts("\xFE\xFF", 2) || starts("\xFF\xFE", 2)))
    return ByteOrderMark::kRefused;
  return ByteOrderMark::kNone;
}

}  // namespace

// ---- Lifetime and state ----

template <class Compare>
MIniDataT<Compare>::~MIniDataT() {
  MErrTrace_BeginContext();
  if (!Close())
    MERRDUMP("MIniData::~MIniData(): Close() failed");
  MErrTrace_EndContext();
}

template <class Compare>
bool MIniDataT<Compare>::Close() {
  for (MIniDataLine* line : prologue_)
    delete line;
  prologue_.clear();
  for (auto& named : sections_)
    delete named.second;
  sections_.clear();
  current_section_ = nullptr;
  // Only after the sections: their map keys and texts point into the pool.
  pool_.Clear();
  file_name_.clear();
  open_ = false;
  new_file_ = true;
  return true;
}

template <class Compare>
void MIniDataT<Compare>::set_last_error(const char* format, ...) {
  char text[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  last_error_ = text;
}

template <class Compare>
void MIniDataT<Compare>::set_open_error(const char* path) {
  if (file_type(path) == kFileTypeDirectory)
    set_last_error("\"%.200s\" is a folder, not a file", path);
  else
    set_last_error("\"%.200s\" cannot be opened for reading", path);
}

// ---- Reading a file ----

template <class Compare>
bool MIniDataT<Compare>::Open(const char* path) {
  MFastFileReader reader;
  return Open(path, &reader);
}

template <class Compare>
bool MIniDataT<Compare>::Open(const char* path, MFastFileReader* reader) {
  if (!Close()) {
    MERRTRACE("MIniData::Open(): Close() failed");
    return false;
  }
  if (path == nullptr)
    path = "";
  file_name_ = path;
  if (!file_exists(path)) {
    // A missing file is an empty document that a later Save creates.
    open_ = true;
    new_file_ = true;
    clean_ = false;
    return true;
  }
  new_file_ = false;
  if (!reader->Open(path)) {
    set_open_error(path);
    MERRTRACE("MIniData::Open(): MFastFileReader::Open() failed");
    return false;
  }
  current_section_ = nullptr;
  if (!ReadAllLines(reader))
    return false;
  if (current_section_ != nullptr)
    current_section_->Compact();
  clean_ = true;
  open_ = true;
  return true;
}

template <class Compare>
bool MIniDataT<Compare>::ReadAllLines(MFastFileReader* reader) {
  std::string line;  // reused: its capacity grows to the longest line once
  bool first_line = true;
  bool at_end = false;
  // IsEOF alone would take a read error for the end: the document would look complete and
  // could later be saved over the file.
  while (reader->CheckEOF(&at_end) && !at_end) {
    if (!reader->ReadLine(&line)) {
      set_last_error("read error in \"%.200s\"", file_name_.c_str());
      MERRTRACE("MIniData::Open(): MFastFileReader::ReadLine() failed");
      return false;
    }
    if (first_line) {
      first_line = false;
      const ByteOrderMark mark = DetectByteOrderMark(line);
      if (mark == ByteOrderMark::kRefused) {
        last_error_ = "UTF16/32 Unicode format not supported.";
        MERRTRACE("MIniData::Open(\"%.80s\"): UTF16/32 Unicode format not supported",
                  file_name_.c_str());
        return false;
      }
      if (mark == ByteOrderMark::kUtf8)
        line.erase(0, 3);
    }
    if (line.empty() || line[0] == '\0')
      continue;
    if (!parse_line(line)) {
      MERRTRACE("MIniData::Open(): parse_line(%.60s) failed", line.c_str());
      return false;
    }
  }
  if (!at_end) {
    set_last_error("read error in \"%.200s\"", file_name_.c_str());
    MERRTRACE("MIniData::Open(): MFastFileReader::fill_buffer() failed");
  }
  return at_end;
}

// ---- The line parser ----

template <class Compare>
bool MIniDataT<Compare>::parse_line(const std::string& line) {
  const size_t first = FirstNonBlank(line);
  if (first == line.size()) {
    AddPlainLine(line);
    return true;
  }
  // Headers must start in column 0; comments may be indented.
  if (line[0] == '[')
    return ParseHeader(line);
  if (IsCommentChar(line[first])) {
    AddPlainLine(line);
    return true;
  }
  return ParseEntry(line, first);
}

template <class Compare>
void MIniDataT<Compare>::AddPlainLine(std::string_view text) {
  void* memory = pool_.Allocate(sizeof(MIniDataLine));  // object first: its text follows it
  auto* line = ::new (memory) MIniDataLine(std::string_view(pool_.Store(text), text.size()));
  if (current_section_ != nullptr)
    current_section_->AddLine(line);
  else
    prologue_.push_back(line);
}

template <class Compare>
bool MIniDataT<Compare>::ParseHeader(const std::string& line) {
  const size_t close = line.size() < 2 ? std::string::npos : line.find(']', 1);
  if (close == std::string::npos) {
    set_last_error("no matching ']' found in \"%.50s\"", line.c_str());
    MERRTRACE("MIniData::parse_line(): %.70s", last_error_.c_str());
    return false;
  }
  const std::string name = line.substr(1, close - 1);
  if (sections_.count(std::string_view(name)) != 0) {
    if ((options_ & kMIniReplaceSections) == 0) {
      set_last_error("Section [%s] seen twice", name.c_str());
      MERRTRACE("MIniData::parse_line(): %.70s", last_error_.c_str());
      return false;
    }
    // Cannot fail: the section was found just now.
    DeleteSection(std::string_view(name));
  }
  if (current_section_ != nullptr)
    current_section_->Compact();
  void* memory = pool_.Allocate(sizeof(Section));
  const std::string_view header(pool_.Store(line), line.size());
  auto* section = ::new (memory) Section(header, header.substr(1, close - 1), &clean_);
  sections_.emplace(section->name(), section);
  current_section_ = section;
  return true;
}

template <class Compare>
bool MIniDataT<Compare>::ParseEntry(const std::string& line, size_t first) {
  if (current_section_ == nullptr) {
    set_last_error("Possible entry \"%s\" found before first section", line.c_str());
    MERRTRACE("MIniData::parse_line(): %.70s", last_error_.c_str());
    return false;
  }
  const size_t equals = line.find('=');
  if ((options_ & (kMIniLenientEntries | kMIniReplaceSections)) == 0) {
    if (equals == std::string::npos)
      set_last_error("No '=' found in \"%.50s\" in section %s", line.c_str(),
                     current_section_->c_str());
    else if (equals == first)
      set_last_error("No entry name found before '=' in \"%s\" in section %s", line.c_str(),
                     current_section_->c_str());
    if (equals == std::string::npos || equals == first) {
      MERRTRACE("MIniData::parse_line(): %.70s", last_error_.c_str());
      return false;
    }
  }
  const size_t name_end = equals == std::string::npos ? line.size() : equals;
  const size_t name_size =
      TrimTrailingBlanks(std::string_view(line).substr(first, name_end - first)).size();
  if (current_section_->FindEntry(std::string_view(line).substr(first, name_size)) != nullptr &&
      !ReplaceEntry(std::string_view(line).substr(first, name_size)))
    return false;
  // The object goes first so that a lookup finds the entry's name right behind it.
  void* memory = pool_.Allocate(sizeof(MIniDataEntry));
  const std::string_view text(pool_.Store(line), line.size());
  const size_t value_offset = equals == std::string::npos ? 0 : equals + 1;
  current_section_->AddEntry(::new (memory)
                                 MIniDataEntry(text, value_offset, text.substr(first, name_size)));
  return true;
}

// Called for a name already present in the current section.
template <class Compare>
bool MIniDataT<Compare>::ReplaceEntry(std::string_view name) {
  const std::string entry(name);
  if ((options_ & kMIniReplaceEntries) == 0) {
    set_last_error("Entry \"%s\" seen twice in section %s", entry.c_str(),
                   current_section_->c_str());
    MERRTRACE("MIniData::parse_line(): %.70s", last_error_.c_str());
    return false;
  }
  if (!current_section_->DeleteEntry(std::string_view(entry))) {
    set_last_error("Entry \"%s\" deleting previous version failed", entry.c_str());
    MERRTRACE("MIniData::parse_line(): DeleteEntry() failed");
    return false;
  }
  return true;
}

// ---- Typed reads ----

template <class Compare>
typename MIniDataT<Compare>::Section* MIniDataT<Compare>::GetSection(const char* section) const {
  if (section == nullptr)
    return nullptr;
  auto it = sections_.find(std::string_view(section));
  return it == sections_.end() ? nullptr : it->second;
}

template <class Compare>
const MIniDataEntry* MIniDataT<Compare>::FindEntry(const char* section, const char* entry) const {
  const Section* found = GetSection(section);
  if (found == nullptr || entry == nullptr)
    return nullptr;
  return found->FindEntry(TrimTrailingBlanks(entry));
}

template <class Compare>
bool MIniDataT<Compare>::GetStringEntry(const char* section, const char* entry,
                                        std::string* value) const {
  const MIniDataEntry* found = FindEntry(section, entry);
  if (found == nullptr)
    return false;
  value->assign(found->value());
  return true;
}

template <class Compare>
bool MIniDataT<Compare>::GetLongEntry(const char* section, const char* entry, long* value) const {
  const MIniDataEntry* found = FindEntry(section, entry);
  if (found == nullptr)
    return false;
  const char* start = found->value_c_str();
  char* end = nullptr;
  // strtoll and clamping give the 32-bit strtol result on every platform, whatever long's size.
  long long number = std::strtoll(start, &end, 10);
  if (end == start) {
    *value = 0;
    return false;
  }
  if (number > INT32_MAX)
    number = INT32_MAX;
  else if (number < INT32_MIN)
    number = INT32_MIN;
  *value = static_cast<long>(number);
  return true;
}

template <class Compare>
bool MIniDataT<Compare>::GetDoubleEntry(const char* section, const char* entry,
                                        double* value) const {
  const MIniDataEntry* found = FindEntry(section, entry);
  if (found == nullptr)
    return false;
  const char* start = found->value_c_str();
  char* end = nullptr;
  const double number = std::strtod(start, &end);
  *value = end == start ? 0.0 : number;
  return end != start;
}

template <class Compare>
bool MIniDataT<Compare>::HasEntry(const char* section, const char* entry) const {
  const Section* found = GetSection(section);
  return found != nullptr && entry != nullptr && found->FindEntry(entry) != nullptr;
}

template <class Compare>
void MIniDataT<Compare>::GetSectionNames(std::vector<std::string>* names) const {
  names->clear();
  names->reserve(sections_.size());
  for (const auto& named : sections_)
    names->emplace_back(named.first);
}

template <class Compare>
void MIniDataT<Compare>::GetEntryNames(const char* section, std::vector<std::string>* names) const {
  const Section* found = GetSection(section);
  if (found == nullptr)
    names->clear();
  else
    found->GetEntryNames(names);
}

template class MIniDataT<MIniDataCaseSensitiveCompare>;
