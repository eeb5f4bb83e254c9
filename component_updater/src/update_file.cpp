// Update file resolution and reading, with the error-log summary and the operator box of the
// step that failed.
#include "update_file.h"

#include "Localize.h"
#include "errtrace.h"
#include "fastfile.h"
#include "fileops.h"
#include "menvironment.h"
#include "message_box.h"
#include "mstring_tools.h"
#include "run_record.h"

namespace {

// The platform's path limit for resolved names.
const size_t kMaxFullPath = 260;

// Formats one of the step's box texts with the file name and shows it; the record of the file's
// component or module fails with `why`.
void TellOperator(const char* format, const std::string& name, const char* caption,
                  const std::string& why) {
  TheRunRecord().Decide(Verdict::kFail, "update file " + name + ": " + why);
  std::string text;
  FormatString(&text, format, name.c_str());
  ShowMessageBox(text.c_str(), caption, kBoxPlain);
}

const char* LocalizedErrorCaption() {
  return GetLocalizedText("Error.txt");
}

// Reads the whole file. A folder passes the existence test but holds no update: it fails here
// on every platform (Windows refuses to open it; POSIX would read it as an empty file).
bool ReadWholeFile(const std::string& name, std::string& data, std::string* digest) {
  if (file_type(name.c_str()) == kFileTypeDirectory) {
    MERRTRACE("CheckUpdateFileAndReadItOut(): %s is a folder", name.c_str());
    return false;
  }
  return ReadUpdateFileBytes(name.c_str(), &data, digest) >= 0;
}

}  // namespace

UpdateFileVerdict ResolveUpdateFile(std::string& name) {
  // Before the expansion: the system's expansion works on C strings and would drop the tail.
  if (name.find('\0') != std::string::npos)
    return UpdateFileVerdict::kNotResolved;
  if (!MReplaceEnvironmentVars(name))
    return UpdateFileVerdict::kEnvironmentFailed;
  if (!file_is_absolute(name.c_str())) {
    char full[kMaxFullPath];
    if (file_fullpath(name.c_str(), full) == nullptr)
      return UpdateFileVerdict::kNotResolved;
    name = full;
  }
  return file_exists(name.c_str()) ? UpdateFileVerdict::kResolved : UpdateFileVerdict::kMissing;
}

bool CheckUpdateFileAndReadItOut(std::string& name, std::string& data,
                                 const ExpectedDigest& expected) {
  MErrTraceScope context;
  switch (ResolveUpdateFile(name)) {
    case UpdateFileVerdict::kEnvironmentFailed:
      MERRDUMP("CheckUpdateFileAndReadItOut(): failed to replace environment variable in %s",
               name.c_str());
      TellOperator("Environment variables for %s can't be resolved. Update will be skipped.", name,
                   LocalizedErrorCaption(), "environment references cannot be expanded");
      return false;
    case UpdateFileVerdict::kNotResolved:
      MERRDUMP("CheckUpdateFileAndReadItOut(): cant find update file:%s in filesystem.",
               name.c_str());
      TellOperator("Path for %s can't be resolved.  Update will be skipped.", name, "Error",
                   "not found under the current folder");
      return false;
    case UpdateFileVerdict::kMissing:
      MERRDUMP("CheckUpdateFileAndReadItOut(): file %s does not exist", name.c_str());
      TellOperator("Configured update file: %s do not exist. Update will be skipped.", name,
                   LocalizedErrorCaption(), "does not exist");
      return false;
    case UpdateFileVerdict::kResolved:
      break;
  }
  std::string digest;
  const bool hash = NeedsDigest(expected);
  if (!ReadWholeFile(name, data, hash ? &digest : nullptr)) {
    MERRDUMP("CheckUpdateFileAndReadItOut(): MFastFile_ReadAtOnce(%s) failed", name.c_str());
    TellOperator("Can't read update file: %s. Update will be skipped.", name,
                 LocalizedErrorCaption(), "cannot be read");
    return false;
  }
  TheRunRecord().NoteFile(name, data.size(),
                          digest.empty() ? std::nullopt : std::optional<std::string>(digest));
  return true;
}
