#include "support/host_invocation.h"

#include <sys/wait.h>

#include <array>
#include <cstdio>

namespace kestro::testing {

Invocation run_host(const std::string& host_path, const std::string& arguments) {
  const std::string command = "'" + host_path + "' " + arguments + " 2>&1";
  Invocation result;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  std::array<char, 4096> buffer{};
  for (std::size_t n; (n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0;) {
    result.output.append(buffer.data(), n);
  }
  const int status = pclose(pipe);
  result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

}  // namespace kestro::testing
