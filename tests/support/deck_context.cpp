#include "support/deck_context.h"

#include "input/control_records.h"

namespace kestro::testing {

DeckContext::DeckContext(const std::string& records)
    : context(std::make_unique<RunContext>(".", console_text, Clock{})) {
  context->files.input.emplace("wall.dat", records);
  context->files.report.attach(report_text);
  InputContext steps = input();
  read_control_record(steps);
  echo_control_parameters(steps);
  read_geometry_record(steps);
  check_table_counts(steps);
  head = take_report().size();
}

std::string DeckContext::take_report() {
  const std::string all = report_text.str();
  std::string fresh = all.substr(taken);
  taken = all.size();
  return fresh;
}

}  // namespace kestro::testing
