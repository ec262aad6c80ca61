#include "common/run_stop.h"

#include "common/input_error.h"
#include "common/list_input.h"

namespace kestro {

std::string InputPlace::prefix() const {
  if (file.empty()) return {};
  if (line == 0) return path.empty() ? file + ": " : file + ": " + path + ": ";
  if (item == 0) return file + ", line " + std::to_string(line) + ": ";
  return file + ", line " + std::to_string(line) + ", item " + std::to_string(item) + ": ";
}

InputPlace place_of(const ListInput& input, std::size_t line) {
  return InputPlace{input.label(), line != 0 ? line : input.current_line(), 0};
}

InputPlace given_place(const InputPlace& place, const std::string& file, std::size_t line,
                       int item) {
  if (!place.file.empty()) return place;
  return InputPlace{file, line, item};
}

Warning warning_at(WarningKind kind, std::string text, const InputPlace& place) {
  Warning warning{kind, std::move(text), place.file, place.line, place.item};
  warning.path = place.path;
  return warning;
}

std::string_view error_stop_text(ErrorStop stop) {
  switch (stop) {
    case ErrorStop::stations_not_in_order:
      return "ERROR STOP -- STATIONS NOT IN ORDER";
    case ErrorStop::too_much_data:
      return "TOO MUCH DATA FOR AVAILABLE STORAGE";
    case ErrorStop::data_beyond_end:
      return "ERROR -- NON-ZERO TABLE 4 DATA BEYOND END";
  }
  return "ERROR STOP";
}

void stop_bad_input(const InputPlace& place, std::string_view what) {
  throw InputError(place.prefix() + std::string(what), place);
}

void stop_bad_record(const ListInput& input, std::size_t line, std::string_view what) {
  stop_bad_input(place_of(input, line), what);
}

void stop_error(ErrorStop stop, const InputPlace& place, std::string_view reason) {
  std::string message = place.prefix() + std::string(error_stop_text(stop));
  if (!reason.empty()) message += " (" + std::string(reason) + ")";
  throw std::move(RunStop::make_error_stop(stop, std::move(message)).at(place));
}

void stop_quietly(const InputPlace& place, std::string_view reason) {
  throw std::move(RunStop(StopKind::quiet_stop, place.prefix() + std::string(reason)).at(place));
}

void stop_with_code(StopCode code, const InputPlace& place, std::string_view reason) {
  std::string message = "stop code " + std::to_string(static_cast<int>(code)) + ": ";
  message += place.prefix() + std::string(reason);
  throw std::move(RunStop::make_stop_code(code, std::move(message)).at(place));
}

void stop_not_available(std::string_view what) {
  throw RunStop(StopKind::not_available,
                "NOT AVAILABLE IN THIS VERSION OF THE ENGINE: " + std::string(what));
}

}  // namespace kestro
