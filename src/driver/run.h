// The run driver: run list, files, the problem loop and the end sequence.
#pragma once

#include "common/run_context.h"

namespace kestro {

// Reads NAMES.dat in the working directory into context.run.  Throws
// InputError when it is missing or shorter than its four leading records.
void read_run_list(RunContext& context);

// Runs the problems of the open input file until a continuation code ends
// the run; error stops and bad input propagate as RunEnded / InputError.
void run_problems(RunContext& context);

// Writes the end lines, the closing plot-data block and closes every file.
void end_sequence(RunContext& context);

}  // namespace kestro
