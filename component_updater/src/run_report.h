// The run report: the run record as a JSON document (docs/report.md, docs/report.schema.json),
// written once when the run ends to the file that "--report" names.
#pragma once

#include <string>

class RunRecord;

// The document of `record`.
std::string RunReportJson(const RunRecord& record);

// Writes the document to the record's report path through a temporary file in the same folder,
// which then replaces the report: a reader sees the previous report or the new one, never a part.
// False, after an error-log entry naming the path and the reason, when it cannot be written; the
// run's exit status does not depend on it.
bool WriteRunReport(const RunRecord& record);
