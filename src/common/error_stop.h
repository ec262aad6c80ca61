// The one way a run ends early: every error stop writes its message and
// throws RunEnded, which the driver catches to run the end sequence.
#pragma once

#include <cstddef>
#include <exception>
#include <string>
#include <string_view>

#include "common/input_error.h"
#include "common/run_stop.h"
#include "kestro/kestro.h"

namespace kestro {

struct RunContext;
class ListInput;

// Ends the run through the end sequence with the given outcome and message.
class RunEnded : public std::exception {
 public:
  RunEnded(Outcome outcome, std::string message)
      : outcome_(outcome), message_(std::move(message)) {}
  Outcome outcome() const { return outcome_; }
  const std::string& message() const { return message_; }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  Outcome outcome_;
  std::string message_;
};

// ErrorStop, the error stops of the analysis, is shared with run_stop.h.

// Writes the message of the stop to the report (with its blank lines) and
// ends the run.  The message kept for the caller also names the input file
// and the line (the last line read, or `line` when it is not 0), e.g.
// `wall.dat, line 3: TOO MUCH DATA FOR AVAILABLE STORAGE`.
[[noreturn]] void error_stop(RunContext& context, ErrorStop stop, std::size_t line = 0);

// Ends the run without a message in the report (negative counts, negative
// iteration limit); `reason`, with the file and line, is kept for the caller
// of the engine.
[[noreturn]] void quiet_stop(const ListInput& input, std::size_t line, std::string_view reason);

// Ends the run with a short stop code ("1", "2", "4") written to the console.
[[noreturn]] void stop_code(RunContext& context, std::string_view code);

// An InputError for a record that was read but cannot be used, e.g.
// `wall.dat, line 2: the unit flag must be 1 or 2, found 3`.
InputError record_error(const ListInput& input, std::size_t line, std::string_view what);

}  // namespace kestro
