// Folding of text keys for the localized text tables: a few Windows-1252 letters are written in
// different ways in source code and in .loc files, so both sides are folded the same way before
// they are compared.
#pragma once

#include <string>

// Returns `key` with ä ü ö Ä Ü Ö ß ² ³ (bytes E4 FC F6 C4 DC D6 DF B2 B3) replaced by
// a u o A U O s 2 3, one byte for one. All other bytes, and the case, stay. Reentrant.
std::string NormalizeKey(const std::string& key);
