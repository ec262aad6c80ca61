// Runs the whole engine, in memory, on an arbitrary input data file: every
// deck must end with results or a clear error and the end sequence, never a
// crash, a hang or a sanitizer report; and the same run for values only must
// give every value of it, bit for bit.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "kestro/kestro.hpp"
#include "support/result_compare.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kestro::MemoryRunInput input;
  input.deck.assign(reinterpret_cast<const char*>(data), size);
  input.directory = "/fuzz";
  const kestro::MemoryRunResult run =
      kestro::run_in_memory(input, [] { return kestro::LocalTime{2024, 3, 5, 9, 7, 3}; });
  // Every run, however it ended, closes the report and the monitor file with
  // the end line.
  if (run.report.find("END OF ANALYSIS") == std::string::npos) std::abort();
  if (run.monitor.find("END OF ANALYSIS") == std::string::npos) std::abort();
  input.text = false;
  const kestro::MemoryRunResult values =
      kestro::run_in_memory(input, [] { return kestro::LocalTime{2024, 3, 5, 9, 7, 3}; });
  if (!kestro::testing::value_differences(run, values).empty()) std::abort();
  return 0;
}
