// The run driver: run list, files, the problem loop and the end sequence.
#pragma once

#include "common/run_stop.h"
#include "driver/run_context.h"

namespace kestro {

// Reads NAMES.dat in the working directory into context.run.  Raises a
// bad-input stop when it is missing or shorter than its four leading records.
void read_run_list(RunContext& context);

// Runs the problems of the open input file until a continuation code ends
// the run.  Every early end is a RunStop, which the caller reports.
void run_problems(RunContext& context);

// Writes what the report shows of a stop (its message, or nothing for the
// quiet stops), tells the console why the run ends and returns the result
// of the run.
RunResult report_stop(RunContext& context, const RunStop& stop);

// Runs the problems of a context whose run list is read and whose files
// are open, reports a stop and runs the end sequence.  Returns how the run
// ended.  Throws only what the end sequence itself cannot write.
RunResult run_opened(RunContext& context);

// Writes the end lines, the closing plot-data block and closes every file.
void end_sequence(RunContext& context);

}  // namespace kestro
