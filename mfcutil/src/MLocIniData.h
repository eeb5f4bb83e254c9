// The reader of ".loc" text tables: an INI document (same model and line parser) whose Open
// differs from the plain INI reader in five ways: leading blanks of every line are removed, so
// indented headers are accepted; values written as "{{" ... "}}" may span several lines, which
// are joined with LF; empty lines are stored; there is no byte-order-mark test (a file that
// starts with one therefore fails: its first line counts as an entry before the first section);
// and the file name is stored only when the whole file was read.
//
// A document belongs to the thread that uses it.
#pragma once

#include <string>

#include "MIniData_template_core.h"

class MFastFileReader;

class MLocIniData : public MIniData {
 public:
  // Reads `path` into the document, replacing what it held. A missing file gives an empty, open,
  // new, unclean document and true. Fails (false, with an error-trace entry naming the step and,
  // for "{{" without "}}", the last error "no matching \"}}\" found in \"%.50s\"") when the file
  // cannot be opened or read or a line cannot be parsed under the document's options; the last
  // error says why. A read error is never taken for the end of the file.
  bool Open(const char* path);
  // Open through `reader`, which is not open yet (Open(path) uses a plain MFastFileReader): the
  // way to hand in a reader whose reads fail.
  bool Open(const char* path, MFastFileReader* reader);

 private:
  // Appends following lines (joined with LF) to `line` until the "}}" that closes the "{{" at
  // `open_braces`. False at end of file or on a read error, after the error-trace entry.
  bool JoinMultiLineValue(MFastFileReader* reader, std::string::size_type open_braces,
                          std::string* line);
  bool ReadNextLine(MFastFileReader* reader, std::string* line);
  // CheckEOF with this reader's error text and entry.
  bool AtEnd(MFastFileReader* reader, bool* at_end);
};
