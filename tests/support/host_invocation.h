// Runs the command-line host as a user would, for tests.
#pragma once

#include <string>

namespace kestro::testing {

struct Invocation {
  int exit_code = -1;
  std::string output;  // standard output and standard error together
};

// Runs `kestro ARGUMENTS` through the shell (the arguments are passed as
// written, so quote paths) and collects its output and exit code.
Invocation run_host(const std::string& host_path, const std::string& arguments);

}  // namespace kestro::testing
