#include "common/error_stop.h"

#include "common/run_context.h"

namespace kestro {

namespace {

struct StopFormats {
  FortranFormat not_in_order =
      FortranFormat::parse("(//'     ERROR STOP -- STATIONS NOT IN ORDER')");
  FortranFormat too_much = FortranFormat::parse("(//'     TOO MUCH DATA FOR AVAILABLE STORAGE'//)");
  FortranFormat beyond_end =
      FortranFormat::parse("(//'     ERROR -- NON-ZERO TABLE 4 DATA BEYOND END')");
};

const StopFormats& formats() {
  static const StopFormats kFormats;
  return kFormats;
}

// "wall.dat, line 3: " for the messages of the stops.
std::string where(const ListInput& input, std::size_t line) {
  return input.label() + ", line " + std::to_string(line) + ": ";
}

}  // namespace

void error_stop(RunContext& context, ErrorStop stop, std::size_t line) {
  std::string place;
  if (context.input) place = where(context.in(), line != 0 ? line : context.in().current_line());
  switch (stop) {
    case ErrorStop::stations_not_in_order:
      context.report.write(formats().not_in_order);
      throw RunEnded(Outcome::error_stop, place + "ERROR STOP -- STATIONS NOT IN ORDER");
    case ErrorStop::too_much_data:
      context.report.write(formats().too_much);
      throw RunEnded(Outcome::error_stop, place + "TOO MUCH DATA FOR AVAILABLE STORAGE");
    case ErrorStop::data_beyond_end:
      context.report.write(formats().beyond_end);
      throw RunEnded(Outcome::error_stop, place + "ERROR -- NON-ZERO TABLE 4 DATA BEYOND END");
  }
  throw RunEnded(Outcome::error_stop, place + "error stop");
}

void quiet_stop(const ListInput& input, std::size_t line, std::string_view reason) {
  throw RunEnded(Outcome::error_stop, where(input, line) + std::string(reason));
}

void stop_code(RunContext& context, std::string_view code) {
  context.console << code << '\n';
  throw RunEnded(Outcome::error_stop, "stop " + std::string(code));
}

InputError record_error(const ListInput& input, std::size_t line, std::string_view what) {
  return InputError(input.label() + ", line " + std::to_string(line) + ": " + std::string(what));
}

}  // namespace kestro
