// The one way a run ends early.  Any step, at any depth, raises a RunStop
// with one of the functions below; the driver catches it once, writes the
// report text that belongs to its kind, tells the console why, and runs the
// end sequence.  None of these functions needs the run context.
#pragma once

#include <cstddef>
#include <exception>
#include <string>
#include <string_view>
#include <utility>

#include "kestro/results.h"

namespace kestro {

class ListInput;

// How a run ended early.
enum class StopKind {
  bad_input,      // input the engine cannot read or use: "ERROR STOP -- INPUT DATA ERROR"
  error_stop,     // one of the error stops below, with its report message
  quiet_stop,     // negative counts and iteration limit: no report text
  stop_code,      // a short stop code on the console, no report text
  not_available,  // input asks for a step this version of the engine does not have
};

// The error stops of the analysis, each with its report message.
enum class ErrorStop {
  stations_not_in_order,  // "     ERROR STOP -- STATIONS NOT IN ORDER"
  too_much_data,          // "     TOO MUCH DATA FOR AVAILABLE STORAGE"
  data_beyond_end,        // "     ERROR -- NON-ZERO TABLE 4 DATA BEYOND END"
};

// The short stop codes written to the console.
enum class StopCode {
  outside_profile = 1,  // "1": a depth outside a soil profile, or layers short of the excavation
  too_many_layers = 2,  // "2": more computation layers than the tables hold
  outside_weights = 4,  // "4": a depth below the unit-weight profile
};

// Where in the input a stop was found: "wall.dat, line 3: ", or with the
// item of the record "wall.dat, line 3, item 2: ", or in an input without
// lines (a deck read from JSON) the JSON path of the record or value:
// "wall.json: /problems/0/geometry: ".  Empty when the stop has no place in
// the input.
struct InputPlace {
  std::string file;
  std::size_t line = 0;
  int item = 0;
  std::string path{};  // used when line is 0

  std::string prefix() const;
};

// The place of a line of the input (the last line read when line is 0).
InputPlace place_of(const ListInput& input, std::size_t line = 0);

// The place a record read from a deck holds (`place`, its file set), or for
// a record built in code (an empty place) the file, line and item given.
InputPlace given_place(const InputPlace& place, const std::string& file, std::size_t line,
                       int item);

// A warning about a place of the input.
Warning warning_at(WarningKind kind, std::string text, const InputPlace& place);

class RunStop : public std::exception {
 public:
  RunStop(StopKind kind, std::string message) : kind_(kind), message_(std::move(message)) {}

  StopKind kind() const { return kind_; }
  // Only for StopKind::error_stop.
  ErrorStop error_stop() const { return error_stop_; }
  // Only for StopKind::stop_code.
  StopCode stop_code() const { return stop_code_; }
  // The whole message for the caller and the console, with the place first
  // where there is one, e.g. `wall.dat, line 3: TOO MUCH DATA FOR AVAILABLE
  // STORAGE (more than 20 specified points: 25)`.
  const std::string& message() const { return message_; }
  const char* what() const noexcept override { return message_.c_str(); }

  // Where in the input the stop was found (empty: nowhere in particular).
  const InputPlace& place() const { return place_; }
  RunStop& at(InputPlace place) {
    place_ = std::move(place);
    return *this;
  }

  static RunStop make_error_stop(ErrorStop stop, std::string message) {
    RunStop result(StopKind::error_stop, std::move(message));
    result.error_stop_ = stop;
    return result;
  }
  static RunStop make_stop_code(StopCode code, std::string message) {
    RunStop result(StopKind::stop_code, std::move(message));
    result.stop_code_ = code;
    return result;
  }

 private:
  StopKind kind_;
  ErrorStop error_stop_ = ErrorStop::stations_not_in_order;
  StopCode stop_code_ = StopCode::outside_profile;
  std::string message_;
  InputPlace place_;
};

// The report message of an error stop, without its surrounding blank lines:
// "ERROR STOP -- STATIONS NOT IN ORDER" ...
std::string_view error_stop_text(ErrorStop stop);

// Bad input: `wall.dat, line 2: the unit flag must be 1 or 2, found 3`.  Thrown
// as an InputError, the RunStop of kind bad_input that the readers raise.
[[noreturn]] void stop_bad_input(const InputPlace& place, std::string_view what);
// The same for a line of the input being read (the last line read when 0).
[[noreturn]] void stop_bad_record(const ListInput& input, std::size_t line, std::string_view what);

// An error stop.  reason says which limit or which record, for the console
// and the caller; the report gets only the stop's own message.
[[noreturn]] void stop_error(ErrorStop stop, const InputPlace& place, std::string_view reason = {});

// A stop without report text (a negative count ...); reason names it.
[[noreturn]] void stop_quietly(const InputPlace& place, std::string_view reason);

// A stop code; the message says where and why (which depth lies outside
// which profile ...).
[[noreturn]] void stop_with_code(StopCode code, const InputPlace& place, std::string_view reason);

// Input that asks for what this version of the engine cannot do.
[[noreturn]] void stop_not_available(std::string_view what);

}  // namespace kestro
