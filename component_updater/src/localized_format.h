// Localized texts used as printf formats ("32_64_bitproblem.txt", "Versionsproblem.txt",
// "VersionsproblemFirmware.txt").
//
// The texts come from the .loc file, which the program does not control: a translation with a
// "%d", a "%n" or more placeholders than the call passes would make printf read arguments that
// are not there. So a text is only used as a format when every conversion in it is a plain "%s"
// (or "%%") and there are no more of them than texts to insert; any other text is shown as it
// stands, with an error-log entry naming the key.
#pragma once

#include <string>

// True when `format` holds only "%s" and "%%" conversions, at most `texts` of the first kind.
bool IsTextFormatFor(const std::string& format, int texts);

// The localized text of `key` formatted with up to three texts (pass as many as the key
// promises; unused ones may stay empty).
std::string FormatLocalizedText(const char* key, int texts, const std::string& first,
                                const std::string& second = std::string(),
                                const std::string& third = std::string());
