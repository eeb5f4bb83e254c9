// Update file resolution: an update file name as the update description writes it becomes a
// usable path, and the whole file is read into memory, ready to be sent.
//
// The platform update, its fallback for erroneous components and the board-support update all
// read their files here. The step tells the operator itself (error log and box) when a file
// cannot be used, so that callers only stop or skip.
//
// Main thread only (boxes).
#pragma once

#include <string>

#include "checksum.h"

// How far a name got on its way to a readable file.
enum class UpdateFileVerdict {
  kResolved,           // an existing absolute path
  kEnvironmentFailed,  // %NAME% references could not be expanded
  kNotResolved,        // a relative name that does not exist under the current folder
                       // (or a name holding a NUL byte, which no file system can open)
  kMissing,            // an absolute name that does not exist
};

// Expands environment references in `name` in place and makes a relative name absolute against
// the current folder (at most 260 bytes, without a trailing separator). Writes nothing but the
// error-trace entries of the layers below.
UpdateFileVerdict ResolveUpdateFile(std::string& name);

// Resolves `name` in place and reads the whole file into `data`, byte for byte (an empty file
// gives empty data). On failure dumps the error context with the step's summary, shows the
// step's box and answers false; `data` is then untouched or emptied. A folder is reported as a
// file that cannot be read, on every platform. The file and its size go to the run record, and
// its SHA-256 when `expected` or the record asks for it (NeedsDigest); the caller checks the
// digest right before the send (CheckUpdateFileDigest).
bool CheckUpdateFileAndReadItOut(std::string& name, std::string& data,
                                 const ExpectedDigest& expected = ExpectedDigest());
