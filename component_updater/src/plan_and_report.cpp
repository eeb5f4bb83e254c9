// The ends of a run's record: the plan on the standard output and the report in its file.
#include "plan_and_report.h"

#include "errtrace.h"
#include "plan_text.h"
#include "run_record.h"
#include "run_report.h"
#include "standard_output.h"

void BeginRunRecord(int argc, char** argv) {
  RunRecord& record = TheRunRecord();
  record.startedAt = UtcTimestamp();
  for (int i = 1; i < argc; ++i)
    record.arguments.push_back(argv[i] != nullptr ? argv[i] : "");
}

void ApplyPlanAndReportOptions(bool plan, const std::optional<std::string>& report) {
  RunRecord& record = TheRunRecord();
  record.planning = plan;
  if (report)
    record.reportPath = *report;
}

int EndRunRecord(int status, bool help_shown) {
  RunRecord& record = TheRunRecord();
  int exit_status = status;
  if (record.IsPlanning() && !help_shown) {
    if (record.PlanMade())
      record.predictedExitStatus = status;
    exit_status = record.PlanMade() ? 0 : 1;
    if (!WriteStandardOutput(PlanText(record))) {
      MERRLOG("main(): the plan could not be written to the standard output");
      exit_status = 1;
    }
  }
  // The reason only stands for a run, or a planned run, that ends with 1.
  if (record.predictedExitStatus.value_or(status) == 0)
    record.reason.reset();
  record.exitStatus = exit_status;
  record.endedAt = UtcTimestamp();
  if (!record.reportPath.empty())
    WriteRunReport(record);
  return exit_status;
}
