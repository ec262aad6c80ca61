#include "support/deck_context.h"

#include <algorithm>

#include "input/control_records.h"

namespace kestro::testing {

namespace {

// The deck of `prefix` and `records` with every line number taken back by
// the lines of the prefix.
Deck shifted_deck(const std::string& prefix, const std::string& records) {
  std::size_t lines = 0;
  for (char c : prefix)
    lines += c == '\n' ? 1 : 0;
  Deck deck = read_deck(prefix + records, "wall.dat");
  for (auto& [path, place] : deck.places)
    place.line = place.line > lines ? place.line - lines : 0;
  if (deck.failure) {
    deck.failure->line -= std::min(deck.failure->line, lines);
    std::string& message = deck.failure->message;
    const std::string mark = ", line ";
    const std::size_t at = message.find(mark);
    if (at != std::string::npos) {
      const std::size_t digits = at + mark.size();
      std::size_t end = digits;
      while (end < message.size() && message[end] >= '0' && message[end] <= '9')
        ++end;
      const std::size_t line = std::stoul(message.substr(digits, end - digits));
      message.replace(digits, end - digits, std::to_string(line > lines ? line - lines : 0));
    }
  }
  return deck;
}

}  // namespace

DeckAt::DeckAt(const std::string& prefix, const std::string& records)
    : deck(shifted_deck(prefix, records)) {
  // Reading the prefix alone stops at the end of the file where the records
  // would follow: what it read is the number of records to take.
  const Deck alone = read_deck(prefix, "wall.dat");
  const int taken = alone.failure ? alone.failure->record : 0;
  source.next_problem();
  for (int k = 0; k < taken; ++k)
    source.take("");
}

std::string wall_prefix(int earth_pressure_option, int py_option) {
  return "TITLE\n1 0 1 1 0 " + std::to_string(earth_pressure_option) + " " +
         std::to_string(py_option) +
         " 0 1 0 0 0\n40 12 10 0.001 0 12 480 100 0 0\n0 40 1\n0 0 0 0\n'S'\n"
         "0 0 0 0 0 0 0 0\n0 0 0 100 0 0 0 0 29e6 0 0 0\n0 0 0 0 0\n'S'\n0 0\n0\n0\n";
}

const DeckSource& wall_dat() {
  static const Deck kDeck = [] {
    Deck deck;
    deck.name = "wall.dat";
    return deck;
  }();
  static const DeckSource kSource(kDeck);
  return kSource;
}

DeckContext::DeckContext(const std::string& records)
    : context(std::make_unique<RunContext>(".", console_text, Clock{})) {
  context->use_deck(shifted_deck("TITLE\n", records));
  context->in().next_problem();
  context->in().take("title");
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
