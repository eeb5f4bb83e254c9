// The localized text table of the program: operator texts by key, for one language, filled once
// from a ".loc" file, and the process-wide accessor GetLocalizedText that every other module uses.
//
// A key without a usable text yields the key itself, so a missing file or entry never blocks a
// message. Creation, lookup and destruction of tables run under one process-wide localization
// lock (a recursive tevar::ThreadMutex), so a lookup from any thread never sees a half-filled
// table. The interning set behind GetLocalizedText has its own mutex, always taken inside the
// localization lock.
#pragma once

#include <string>
#include <unordered_map>

#include "tevar_lock.h"

class MLocIniData;

// The instance handle of the module that owns a table. Opaque here: only the Windows shell knows
// what it is.
typedef void* MModuleHandle;

class CLocalize {
 public:
  // Under the localization lock: stores the fields, clears the error text and calls Create.
  // Never fails as such: a table whose file cannot be read is empty.
  CLocalize(const std::string& language, const std::string& file_name, MModuleHandle module,
            const std::string& application_name);
  // Waits for a running lookup (takes and releases the localization lock), then frees the table.
  ~CLocalize();
  CLocalize(const CLocalize&) = delete;
  CLocalize& operator=(const CLocalize&) = delete;

  // Loads the table when it is still empty: stores language and file name, reads the file
  // (OpenLocFile) and fills the table (LoadTexts). An exception inside is caught and written as
  // the error-log entry "error in CLocalize::Create - catch(...)". Runs under the localization
  // lock.
  void Create(const std::string& language, const std::string& file_name);

  // The text for `key`: "" and " " give themselves; "donottranslate." + X gives X unlooked-up;
  // otherwise the table's text for the folded key, with "\\n" and "\\t" made LF and tab. The key
  // itself is the result when there is no text, when the text is blank, "*" or "~~", or when it
  // has fewer '%' than the key (callers use texts as printf formats). Runs under the
  // localization lock; any thread.
  std::string Translate(const std::string& key) const;

  // Resolves the .loc file (name rules of ResolveLocFileName), reads it strictly and, when that
  // fails, leniently (option 0x02). Opens an error-trace context: on success it stays open for
  // Create to close; on failure it is dumped with "MLocIniData::Open() failed for '%s'" and
  // closed here, and the result is false.
  bool OpenLocFile(const std::string& file_name, MLocIniData* document);

  // Fills the table from `document` for `language`, with the "~~" and English fallbacks and the
  // value cleaning. A later section with the same folded key overwrites an earlier one.
  void LoadTexts(MLocIniData* document, const std::string& language);

  const std::string& language() const { return language_; }
  const std::string& file_name() const { return file_name_; }
  MModuleHandle module() const { return module_; }
  const std::string& application_name() const { return application_name_; }
  // The last error of the .loc reader, "" when the file read cleanly in strict mode.
  const std::string& error_text() const { return error_text_; }
  size_t size() const { return texts_.size(); }

 private:
  std::unordered_map<std::string, std::string> texts_;  // folded key -> final text
  std::string language_;
  std::string file_name_;
  MModuleHandle module_;
  std::string application_name_;
  std::string error_text_;
};

// The .loc file name of a table: `file_name`, or when it is empty the name and extension of
// `application_name`, or "UnnamedApplication"; lower-cased, with ".loc" appended unless it ends
// so. `*opened` (when not null) receives the path to open: ".\\" + the name when the name is
// neither absolute nor has a directory part, so the file is looked up in the current folder.
std::string ResolveLocFileName(const std::string& file_name, const std::string& application_name,
                               std::string* opened);

// The process-wide localization lock; exists from static initialisation to exit.
tevar::ThreadMutex& LocalizationLock();

// The application's table. Set by the start-up after creating it and reset to null before
// deleting it; the caller keeps ownership. Both run under the localization lock.
void SetApplicationLocalize(CLocalize* table);
CLocalize* GetApplicationLocalize();

// The application's text for `key` (the key itself when there is no table or no text), as a
// pointer to an interned copy that stays valid until the process ends. A null key gives null.
// Any thread.
const char* GetLocalizedText(const char* key);

// Interns `text` in the process-wide set (under the interning mutex) and returns the stored
// characters, valid until the process ends; null for null.
const char* InternLocalizedText(const char* text);
