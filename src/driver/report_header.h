// The report header written at the start of every problem, and the problem
// heading written to the report and the monitor file.
#pragma once

#include "driver/run_context.h"

namespace kestro {

// The parts of a path as the header prints them: drive (empty on systems
// without drives), directory with its trailing separator, name, extension
// with its dot.
struct PathParts {
  std::string drive;
  std::string directory;
  std::string name;
  std::string extension;
};

// Splits `file` taken relative to `working_dir`, expanded to a full path
// when `expand` is set (which asks the system for the current directory when
// working_dir is relative).
PathParts split_path(const std::filesystem::path& working_dir, const std::string& file,
                     bool expand = true);

// Banner, file lines, date box and date line.
void write_report_header(RunContext& context);

// The problem heading ("Stage No :", title, or "Long Term :"), starting
// with its own empty line.
void write_problem_heading(RunContext& context, TextUnit& unit);

}  // namespace kestro
