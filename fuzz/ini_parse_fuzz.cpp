// Feeds arbitrary bytes, split into lines at LF and CR, to MIniData::parse_line under each
// parser option set, then exercises the readers and the editors on what was built. No file is
// read or written. Checked on every input:
// - a refused line leaves a last error text, and a document keeps working after it;
// - section and entry names come out sorted and unique, and every listed name is found again;
// - a raw value read back is a tail of the entry's own line;
// - setting a number reads back the same number, deleting an entry or section removes it.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "MIniData_template_core.h"
#include "errtrace.h"

namespace {

void Check(bool condition) {
  if (!condition)
    std::abort();
}

std::vector<std::string> SplitLines(const uint8_t* data, size_t size) {
  std::vector<std::string> lines(1);
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == '\n' || data[i] == '\r')
      lines.emplace_back();
    else
      lines.back().push_back(static_cast<char>(data[i]));
  }
  return lines;
}

bool SortedAndUnique(const std::vector<std::string>& names) {
  return std::adjacent_find(names.begin(), names.end(),
                            [](const std::string& a, const std::string& b) {
                              return !MIniDataCaseSensitiveCompare()(a, b);
                            }) == names.end();
}

void CheckReaders(const MIniData& doc) {
  std::vector<std::string> sections;
  doc.GetSectionNames(&sections);
  Check(SortedAndUnique(sections));
  for (const std::string& section : sections) {
    Check(doc.GetSection(section.c_str()) != nullptr || section.find('\0') != std::string::npos);
    std::vector<std::string> entries;
    doc.GetEntryNames(section.c_str(), &entries);
    Check(SortedAndUnique(entries) || section.find('\0') != std::string::npos);
    for (const std::string& entry : entries) {
      if (entry.find('\0') != std::string::npos || section.find('\0') != std::string::npos)
        continue;
      Check(doc.HasEntry(section.c_str(), entry.c_str()));
      std::string value;
      long number = 0;
      double real = 0;
      doc.GetLongEntry(section.c_str(), entry.c_str(), &number);
      doc.GetDoubleEntry(section.c_str(), entry.c_str(), &real);
      // A name with trailing blanks is looked up without them and may find a sibling.
      if (doc.GetStringEntry(section.c_str(), entry.c_str(), &value) && !entry.empty() &&
          entry.back() != ' ' && entry.back() != '\t') {
        const MIniDataEntry* line = doc.GetSection(section.c_str())->FindEntry(entry);
        Check(line != nullptr && line->text().substr(line->text().size() - value.size()) == value);
      }
    }
  }
}

void CheckEditors(MIniData* doc) {
  std::vector<std::string> sections;
  doc->GetSectionNames(&sections);
  if (sections.empty() || sections.front().find('\0') != std::string::npos)
    return;
  const char* section = sections.front().c_str();
  if (doc->SetLongEntry(section, "fuzz_value", 12345)) {
    long number = 0;
    Check(doc->GetLongEntry(section, "fuzz_value", &number) && number == 12345);
  }
  std::vector<std::string> entries;
  doc->GetEntryNames(section, &entries);
  for (const std::string& entry : entries)
    if (entry.find('\0') == std::string::npos &&
        doc->GetSection(section)->DeleteEntry(entry.c_str()))
      Check(!doc->HasEntry(section, entry.c_str()));
  Check(doc->DeleteSection(section));
  Check(doc->GetSection(section) == nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<std::string> lines = SplitLines(data, size);
  for (uint32_t options : {0x00u, 0x01u, 0x02u, 0x20u, 0x23u}) {
    MErrTrace_BeginContext();
    {
      MIniData doc;
      doc.SetOptions(options);
      for (const std::string& line : lines)
        if (!doc.parse_line(line))
          Check(!doc.GetLastError().empty());
      CheckReaders(doc);
      CheckEditors(&doc);
      CheckReaders(doc);
    }
    MErrTrace_ClearContext();
    MErrTrace_EndContext();
  }
  return 0;
}
