// Splitting a path into drive, folder, name and extension, the same way on both targets (the
// Windows runtime's _splitpath rules): '/' and '\\' are both separators.
#pragma once

#include <string>

struct SplitPathParts {
  std::string drive;      // "C:" when the path starts with a letter and ':', else empty
  std::string directory;  // everything up to and including the last separator
  std::string name;       // the last component without its extension
  std::string extension;  // from the last '.' of the last component, the '.' included
};

// Splits `path`. A last component that starts with its only '.' (".loc") is an extension with
// an empty name, as with _splitpath. Reentrant.
SplitPathParts SplitPath(const std::string& path);
