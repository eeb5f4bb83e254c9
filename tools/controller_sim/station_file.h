// Reading a station file: an INI document read with the project's INI reader, whose values are
// the text after '=' with leading and trailing blanks removed and the escapes \r \n \t \\ turned
// into their characters. Sections: [machine] name=, [components], [options], [values],
// [channels], [after_send] and [faults] (refuse=0|1, capabilities_error=0|1, send_error=,
// receive_error=, set_error=, drop_during_send= as comma-separated names, send_seconds=).
//
// Every failure yields one line of text naming the file and the offending section or entry, so
// an operator can fix the file from the message alone.
#pragma once

#include <map>
#include <string>

#include "station.h"

namespace sim {

// The values of a document by section and entry name, as written in the file (not unescaped).
using RawSections = std::map<std::string, std::map<std::string, std::string>>;

// Reads and checks the station file at `path`. On failure *error says why ("station file
// '<path>': ...") and *station is unspecified.
bool ReadStationFile(const std::string& path, Station* station, std::string* error);

// Builds the station from raw section values: trims, unescapes and checks every value. On failure
// *error says why, without the file name.
bool BuildStation(const RawSections& sections, Station* station, std::string* error);

// `raw` with leading and trailing blanks removed and the escapes replaced. Fails on a backslash
// followed by anything else or by nothing.
bool UnescapeStationValue(const std::string& raw, std::string* value, std::string* error);

}  // namespace sim
