// MIniDataT edits and Save: values are set by replacing only the value part of a line or by
// appending a new line, so that everything else of a file survives; Save writes the whole
// document in one block with sections in name order.
#include <cstdint>
#include <cstdio>
#include <new>

#include "MIniData_chars.h"
#include "MIniData_template_core.h"
#include "errtrace.h"
#include "fastfile.h"

namespace {

using namespace mini_data_chars;

// A name that starts (after blanks) with a comment character would read back as a comment line.
bool ReadsAsComment(const char* entry) {
  const std::string_view name(entry);
  const size_t first = FirstNonBlank(name);
  return first < name.size() && IsCommentChar(name[first]);
}

// "%ld" writes a 32-bit number, as long is on Windows. Where long is wider, a value beyond that
// range is clamped as GetLongEntry clamps on reading, so the file holds what every platform
// reads back.
long ClampToInt32(long value) {
  const long long wide = value;
  return wide > INT32_MAX ? INT32_MAX : wide < INT32_MIN ? INT32_MIN : value;
}

const char kSetLongEntry[] = "MIniDataT<struct MIniDataCaseSensitiveCompare>::SetLongEntry";
const char kSetDoubleEntry[] = "MIniDataT<struct MIniDataCaseSensitiveCompare>::SetDoubleEntry";

}  // namespace

template <class Compare>
typename MIniDataT<Compare>::Section* MIniDataT<Compare>::add_new_section(const char* section) {
  const std::string line = std::string("[") + section + "]";
  void* memory = pool_.Allocate(sizeof(Section));
  const std::string_view header(pool_.Store(line), line.size());
  auto* created = ::new (memory) Section(header, header.substr(1, line.size() - 2), &clean_);
  sections_.emplace(created->name(), created);
  return created;
}

template <class Compare>
MIniDataEntry* MIniDataT<Compare>::add_new_entry(Section* section, std::string_view name,
                                                 std::string_view value) {
  const std::string line = std::string(name) + "=" + std::string(value);
  void* memory = pool_.Allocate(sizeof(MIniDataEntry));
  const std::string_view text(pool_.Store(line), line.size());
  auto* entry = ::new (memory) MIniDataEntry(text, name.size() + 1, text.substr(0, name.size()));
  section->AddEntry(entry);
  return entry;
}

template <class Compare>
bool MIniDataT<Compare>::SetEntryText(const char* section, const char* entry,
                                      std::string_view formatted) {
  Section* target = GetSection(section);
  if (target == nullptr)
    target = add_new_section(section);
  const std::string_view name = TrimTrailingBlanks(entry);
  MIniDataEntry* found = target->FindEntry(name);
  if (found == nullptr) {
    add_new_entry(target, name, formatted);
  } else {
    // Name, blanks before '=' and the '=' stay; the old value and any comment go.
    const std::string_view kept = found->text().substr(0, found->value_offset());
    found->ReplaceText(
        std::string_view(pool_.Store(kept, formatted), kept.size() + formatted.size()));
  }
  clean_ = false;
  return true;
}

template <class Compare>
bool MIniDataT<Compare>::SetLongEntry(const char* section, const char* entry, long value) {
  if (section == nullptr || entry == nullptr)
    return false;
  value = ClampToInt32(value);
  if (ReadsAsComment(entry)) {
    set_last_error("cannot add comment as an entry: \"%s=%ld\"", entry, value);
    MERRTRACE("%s(): cannot add comment as an entry: \"%s=%ld\"", kSetLongEntry, entry, value);
    return false;
  }
  char formatted[32];
  std::snprintf(formatted, sizeof formatted, "%ld", value);
  return SetEntryText(section, entry, formatted);
}

template <class Compare>
bool MIniDataT<Compare>::SetDoubleEntry(const char* section, const char* entry, double value) {
  if (section == nullptr || entry == nullptr)
    return false;
  if (ReadsAsComment(entry)) {
    set_last_error("cannot add comment as an entry: \"%s=%g\"", entry, value);
    MERRTRACE("%s(): cannot add comment as an entry: \"%s=%g\"", kSetDoubleEntry, entry, value);
    return false;
  }
  char formatted[64];
  std::snprintf(formatted, sizeof formatted, "%.17g", value);
  return SetEntryText(section, entry, formatted);
}

template <class Compare>
bool MIniDataT<Compare>::DeleteSection(const char* section) {
  return DeleteSection(std::string_view(section == nullptr ? "" : section));
}

template <class Compare>
bool MIniDataT<Compare>::DeleteSection(std::string_view section) {
  auto it = sections_.find(section);
  if (it == sections_.end()) {
    MERRTRACE("MIniData::DeleteSection(): section \"%.40s\" not found",
              std::string(section).c_str());
    return false;
  }
  Section* doomed = it->second;
  sections_.erase(it);
  // A later body line must not land in a deleted section.
  if (current_section_ == doomed)
    current_section_ = nullptr;
  delete doomed;
  clean_ = false;
  return true;
}

// ---- Saving ----

template <class Compare>
bool MIniDataT<Compare>::Save() {
  int mode = kFastFileCreateAlways;
  if (options_ & kMIniSaveViaTemp)
    mode = kFastFileReplaceViaTemp | (options_ & kMIniFlushOnSave ? kFastFileFlush : 0);
  else if (options_ & kMIniFlushOnSave)
    mode = kFastFileCreateAlways | kFastFileFlush;

  size_t size = 0;
  for (const MIniDataLine* line : prologue_)
    size += line->text().size() + 1;
  for (const auto& named : sections_)
    for (const MIniDataLine* line : named.second->lines())
      size += line->text().size() + 1;

  std::string text;
  text.reserve(size);
  auto append = [&text](const MIniDataLine* line) { text.append(line->text()).push_back('\n'); };
  for (const MIniDataLine* line : prologue_)
    append(line);
  for (const auto& named : sections_)
    for (const MIniDataLine* line : named.second->lines())
      append(line);

  if (MFastFile_WriteLinesAtOnce(file_name_.c_str(), text.data(), text.size(), mode) < 0) {
    MERRTRACE("MIniData::Save(): MFastFile_WriteLinesAtOnce(\"%.40s\") failed", file_name_.c_str());
    return false;
  }
  new_file_ = false;
  clean_ = true;
  return true;
}

// Every member defined in this file, for the one document type (the class itself is
// instantiated with the parser).
using Doc = MIniDataT<MIniDataCaseSensitiveCompare>;
template Doc::Section* Doc::add_new_section(const char*);
template MIniDataEntry* Doc::add_new_entry(Section*, std::string_view, std::string_view);
template bool Doc::SetEntryText(const char*, const char*, std::string_view);
template bool Doc::SetLongEntry(const char*, const char*, long);
template bool Doc::SetDoubleEntry(const char*, const char*, double);
template bool Doc::DeleteSection(const char*);
template bool Doc::DeleteSection(std::string_view);
template bool Doc::Save();
