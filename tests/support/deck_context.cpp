#include "support/deck_context.h"

#include "input/control_records.h"

namespace kestro::testing {

DeckContext::DeckContext(const std::string& records)
    : context(std::make_unique<RunContext>(".", console_text, Clock{})) {
  context->input.emplace("wall.dat", records);
  context->report.attach(report_text);
  read_control_record(*context);
  echo_control_parameters(*context);
  read_geometry_record(*context);
  check_table_counts(*context);
  head = take_report().size();
}

std::string DeckContext::take_report() {
  const std::string all = report_text.str();
  std::string fresh = all.substr(taken);
  taken = all.size();
  return fresh;
}

}  // namespace kestro::testing
