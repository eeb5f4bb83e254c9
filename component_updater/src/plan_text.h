// The printed plan of a "--plan" run: what the run would do, from its run record, one line per
// component in run order (with a line per BSP module and compensation channel below it), the
// boxes the run would show where it would show them, and a last line with the sends and the
// status the run would end with. docs/program.md shows an example.
#pragma once

#include <string>

class RunRecord;

std::string PlanText(const RunRecord& record);
