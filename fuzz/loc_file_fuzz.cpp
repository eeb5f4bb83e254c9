// Feeds arbitrary bytes as a .loc file to the reader and the table fill, then checks the lookup
// promises on every section name: a text never has fewer '%' than its key, blanks and markers
// fall back to the key, and "donottranslate." keys are passed through.
//
// The first byte picks the language; the rest is written to a temporary file once per input,
// since the reader works on files only.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "Localize.h"
#include "MLocIniData.h"
#include "diag.h"
#include "errtrace.h"

namespace {

void Check(bool condition) {
  if (!condition)
    std::abort();
}

long Percents(const std::string& text) {
  long count = 0;
  for (char c : text)
    count += c == '%';
  return count;
}

// Records are dropped: the run is about the reader, and files or stderr would slow it down.
class DiscardingSink : public diag::Sink {
 public:
  void Write(const diag::Record&) override {}
};

const std::string& TempPath() {
  static const std::string path = "/tmp/loc_file_fuzz_" + std::to_string(getpid()) + ".loc";
  return path;
}

void CheckLookups(const CLocalize& table, const std::vector<std::string>& keys) {
  for (const std::string& key : keys) {
    const std::string text = table.Translate(key);
    Check(text == key || Percents(text) >= Percents(key));
    Check(table.Translate("donottranslate." + key) == key);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static DiscardingSink sink;
  static const bool installed = (diag::SetSink(&sink), true);
  (void)installed;
  static const char* const kLanguages[] = {"en", "DE", "fr", ""};
  const char* language = kLanguages[size > 0 ? data[0] % 4 : 0];
  FILE* file = std::fopen(TempPath().c_str(), "wb");
  if (file == nullptr)
    return 0;
  if (size > 1)
    std::fwrite(data + 1, 1, size - 1, file);
  std::fclose(file);

  std::vector<std::string> sections;
  {
    MLocIniData document;
    document.SetOptions(0x02);
    if (document.Open(TempPath().c_str()))
      document.GetSectionNames(&sections);
  }
  CLocalize table(language, TempPath(), nullptr, "");
  Check(table.size() <= sections.size());  // folding may merge sections, never add
  CheckLookups(table, sections);
  std::remove(TempPath().c_str());
  // Entries of failed reads that nobody dumped would pile up in this thread's outer context.
  MErrTrace_ClearContext();
  return 0;
}
