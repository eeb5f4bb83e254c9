// What "--plan" and "--report" do at the two ends of a run: the run record begins with the
// command line and the time, and at the end the plan is printed and the report written.
// Called by main, on the main thread.
#pragma once

#include <optional>
#include <string>

// Notes the start time and the arguments (before parsing consumes them).
void BeginRunRecord(int argc, char** argv);

// Takes what the parse found of "--plan" and "--report FILE", also when it stopped at a fault
// further on: a command line that fails after "--report FILE" still gets its report.
void ApplyPlanAndReportOptions(bool plan, const std::optional<std::string>& report);

// Ends the record of a run that ends with `status`: prints the plan (unless the help was shown),
// writes the report when one was asked for, and answers the exit status: the run's, or for a plan
// 0 when it was made and printed, else 1.
int EndRunRecord(int status, bool help_shown);
