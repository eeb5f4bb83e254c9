// The registry key on POSIX: a read-only INI file stands in for HKEY_LOCAL_MACHINE. The file is
// named by TEVAR_REGISTRY_FILE (default /etc/tevar/registry.ini) and read afresh at every Open,
// so an edit shows at the next read. A section is a subkey, written with '\' as in the
// registry (a trailing '\' is ignored); an entry is a string value whose text is what follows
// '=' without leading and trailing blanks. Key and value names match without regard to case, as
// registry names do. A missing or unreadable file has no keys.
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "MIniData_template_core.h"
#include "errtrace.h"
#include "registry_key.h"

namespace {

constexpr char kDefaultRegistryFile[] = "/etc/tevar/registry.ini";

// The form in which value names are compared: lower case.
std::string CanonicalName(const char* name) {
  std::string text(name ? name : "");
  for (char& c : text)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The form in which subkeys are compared: lower case, '/' as '\\', without trailing '\\'.
std::string CanonicalKey(const char* subkey) {
  std::string text = CanonicalName(subkey);
  for (char& c : text)
    if (c == '/')
      c = '\\';
  while (!text.empty() && text.back() == '\\')
    text.pop_back();
  return text;
}

std::string WithoutBlanks(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos)
    return "";
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

const char* RegistryFile() {
  const char* file = getenv("TEVAR_REGISTRY_FILE");
  return file ? file : kDefaultRegistryFile;
}

// The section of `ini` that names `subkey`, or "" with false.
bool FindSection(const MIniData& ini, const char* subkey, std::string* section) {
  std::vector<std::string> names;
  ini.GetSectionNames(&names);
  const std::string wanted = CanonicalKey(subkey);
  for (const std::string& name : names) {
    if (CanonicalKey(name.c_str()) == wanted) {
      *section = name;
      return true;
    }
  }
  return false;
}

}  // namespace

struct RegistryKey::Impl {
  std::map<std::string, std::string> values;  // canonical name -> text
};

RegistryKey::RegistryKey() : impl_(new Impl) {}

RegistryKey::~RegistryKey() = default;

bool RegistryKey::Open(const char* subkey) {
  // The file's own problems are not the caller's: a registry that cannot be read simply has
  // no keys, as it would for a program without rights to them.
  MErrTraceScope scope;
  MIniData ini;
  std::string section;
  const bool found = ini.Open(RegistryFile()) && FindSection(ini, subkey, &section);
  MErrTrace_ClearContext();
  if (!found)
    return false;
  std::vector<std::string> entries;
  ini.GetEntryNames(section.c_str(), &entries);
  for (const std::string& entry : entries) {
    std::string text;
    if (ini.GetStringEntry(section.c_str(), entry.c_str(), &text))
      impl_->values.emplace(CanonicalName(WithoutBlanks(entry).c_str()), WithoutBlanks(text));
  }
  return true;
}

RegistryQuery RegistryKey::Query(const char* value, char* buffer, unsigned long* size,
                                 bool* is_string) {
  *is_string = false;
  const auto found = impl_->values.find(CanonicalName(value));
  if (found == impl_->values.end())
    return RegistryQuery::kFailed;
  *is_string = true;
  // A REG_SZ's size counts its terminator.
  const unsigned long needed = static_cast<unsigned long>(found->second.size() + 1);
  const unsigned long capacity = *size;
  *size = needed;
  if (capacity < needed)
    return RegistryQuery::kMoreData;
  memcpy(buffer, found->second.c_str(), needed);
  return RegistryQuery::kOk;
}
