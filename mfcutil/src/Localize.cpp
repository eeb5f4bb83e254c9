// CLocalize: building one text table from a .loc file and looking texts up in it.
//
// The table is filled once, in the constructor, and is immutable afterwards; every member that
// touches it takes the localization lock, which is recursive, so Create may be called from the
// constructor while the lock is already held.
#include "Localize.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "MLocIniData.h"
#include "NormalizeKey.h"
#include "errtrace.h"
#include "fileops.h"
#include "split_path.h"

namespace {

constexpr char kDoNotTranslate[] = "donottranslate.";
constexpr size_t kDoNotTranslateLength = sizeof kDoNotTranslate - 1;  // 15
constexpr unsigned kLenientSections = 0x02;

// ASCII only: file names and language codes are compared the way the C runtime's _stricmp and
// _strlwr do in the "C" locale, whatever the process locale is.
char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string AsciiLowered(std::string text) {
  for (char& c : text)
    c = AsciiLower(c);
  return text;
}

bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
  return AsciiLowered(a) == AsciiLowered(b);
}

void ReplaceAll(std::string* text, const std::string& from, const std::string& to) {
  for (std::string::size_type pos = text->find(from); pos != std::string::npos;
       pos = text->find(from, pos + to.size())) {
    text->replace(pos, from.size(), to);
  }
}

// The two escapes a .loc value may carry: a backslash followed by n or t.
void ReplaceEscapes(std::string* text) {
  ReplaceAll(text, "\\n", "\n");
  ReplaceAll(text, "\\t", "\t");
}

bool IsBlankOrTab(char c) {
  return c == ' ' || c == '\t';
}

bool IsWhiteSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string Trimmed(const std::string& text, bool (*is_trimmed)(char)) {
  std::string::size_type begin = 0, end = text.size();
  while (begin < end && is_trimmed(text[begin]))
    ++begin;
  while (end > begin && is_trimmed(text[end - 1]))
    --end;
  return text.substr(begin, end - begin);
}

// The cleaning order matters: escapes first, then blanks, then the braces of a multi-line value,
// so that blanks and line breaks inside the braces stay.
std::string CleanedText(std::string text) {
  ReplaceEscapes(&text);
  text = Trimmed(text, IsBlankOrTab);
  std::string::size_type begin = 0, end = text.size();
  while (begin < end && text[begin] == '{')
    ++begin;
  while (end > begin && text[end - 1] == '}')
    --end;
  return text.substr(begin, end - begin);
}

long CountPercents(const std::string& text) {
  return static_cast<long>(std::count(text.begin(), text.end(), '%'));
}

// The raw English text of a section: entry "EN", or "en" when there is no "EN" at all.
std::string EnglishText(MLocIniData* document, const std::string& section) {
  std::string english;
  if (document->HasEntry(section.c_str(), "EN")) {
    document->GetStringEntry(section.c_str(), "EN", &english);
  } else {
    document->GetStringEntry(section.c_str(), "en", &english);
  }
  return english;
}

// The raw text of the first entry (in sorted order) named like `language` whose value is not
// empty; "" when there is none.
std::string LanguageText(MLocIniData* document, const std::string& section,
                         const std::string& language) {
  std::vector<std::string> names;
  document->GetEntryNames(section.c_str(), &names);
  for (const std::string& name : names) {
    if (!EqualsIgnoringCase(name, language))
      continue;
    std::string value;
    if (document->GetStringEntry(section.c_str(), name.c_str(), &value) && !value.empty())
      return value;
  }
  return std::string();
}

// The text a section gives for `language` before cleaning.
std::string SectionText(MLocIniData* document, const std::string& section,
                        const std::string& language) {
  const std::string text = LanguageText(document, section, language);
  if (text.empty())
    return EnglishText(document, section);
  if (text.compare(0, 2, "~~") == 0 && !EqualsIgnoringCase(language, "en")) {
    // Not yet translated: the English text stands in when there is one.
    const std::string english = EnglishText(document, section);
    if (!english.empty())
      return english;
  }
  return text;
}

}  // namespace

std::string ResolveLocFileName(const std::string& file_name, const std::string& application_name,
                               std::string* opened) {
  std::string name = file_name;
  if (name.empty() && !application_name.empty()) {
    const SplitPathParts parts = SplitPath(application_name);
    name = parts.name + parts.extension;
  }
  if (name.empty())
    name = "UnnamedApplication";
  name = AsciiLowered(name);
  if (name.size() < 4 || name.compare(name.size() - 4, 4, ".loc") != 0)
    name += ".loc";
  if (opened != nullptr) {
    std::string probe = name;
    const bool has_folder = file_topdir(&probe[0], nullptr) != nullptr;
    // A bare name is looked up in the current folder, not in the program's folder.
    *opened = (file_is_absolute(name.c_str()) || has_folder) ? name : ".\\" + name;
  }
  return name;
}

CLocalize::CLocalize(const std::string& language, const std::string& file_name,
                     MModuleHandle module, const std::string& application_name)
    : module_(module) {
  tevar::ScopedLock lock(LocalizationLock());
  language_ = language;
  file_name_ = file_name;
  application_name_ = application_name;
  error_text_.clear();
  Create(language, file_name);
}

CLocalize::~CLocalize() {
  // A lookup on another thread finishes before the table goes away.
  LocalizationLock().lock();
  LocalizationLock().unlock();
}

void CLocalize::Create(const std::string& language, const std::string& file_name) {
  tevar::ScopedLock lock(LocalizationLock());
  bool context_open = false;  // OpenLocFile leaves its error context open on success
  try {
    if (texts_.empty()) {
      language_ = language;
      file_name_ = file_name;
      MLocIniData document;
      context_open = OpenLocFile(file_name, &document);
      if (context_open) {
        LoadTexts(&document, language);
        document.Close();
      }
    }
  } catch (...) {
    MERRLOG("error in CLocalize::Create - catch(...)");
  }
  if (context_open)
    MErrTrace_EndContext();
}

bool CLocalize::OpenLocFile(const std::string& file_name, MLocIniData* document) {
  std::string path;
  file_name_ = ResolveLocFileName(file_name, application_name_, &path);
  MErrTrace_BeginContext();
  error_text_.clear();
  document->SetOptions(0);
  if (document->Open(path.c_str()))
    return true;
  const std::string strict_failure = document->GetLastError();
  document->SetOptions(kLenientSections);
  if (!document->Open(path.c_str())) {
    error_text_ = document->GetLastError();
    MERRDUMP("MLocIniData::Open() failed for '%s'", path.c_str());
    MErrTrace_EndContext();
    return false;
  }
  // Read leniently; the reason the strict read failed is kept for whoever asks.
  error_text_ = strict_failure;
  return true;
}

void CLocalize::LoadTexts(MLocIniData* document, const std::string& language) {
  tevar::ScopedLock lock(LocalizationLock());
  std::vector<std::string> sections;
  document->GetSectionNames(&sections);
  for (const std::string& section : sections) {
    texts_[NormalizeKey(section)] = CleanedText(SectionText(document, section, language));
  }
}

std::string CLocalize::Translate(const std::string& key) const {
  tevar::ScopedLock lock(LocalizationLock());
  if (key.empty() || key == " ")
    return key;
  if (key.size() >= kDoNotTranslateLength &&
      key.compare(0, kDoNotTranslateLength, kDoNotTranslate) == 0)
    return key.substr(kDoNotTranslateLength);
  const auto found = texts_.find(NormalizeKey(key));
  if (found == texts_.end())
    return key;
  std::string text = found->second;
  const std::string trimmed = Trimmed(text, IsWhiteSpace);
  // A blank text would show the operator nothing: like the two markers, it yields the key.
  if (trimmed.empty() || trimmed == "*" || trimmed == "~~")
    text = key;
  ReplaceEscapes(&text);
  // Callers use many texts as printf formats: a translation that lost a placeholder is unsafe.
  return CountPercents(text) >= CountPercents(key) ? text : key;
}
