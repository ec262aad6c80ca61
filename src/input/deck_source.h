// Where the steps of a run take their records from: the deck model, problem
// by problem.  Each step takes its records in the order the deck's grammar
// reads them, naming the last item of each; where reading the deck stopped,
// taking the record that could not be read ends the run with the reader's
// message, so a run stops at the same point, with the same report, as if it
// read the text itself.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "common/run_stop.h"
#include "kestro/deck.hpp"

namespace kestro {

class DeckSource {
 public:
  explicit DeckSource(const Deck& deck) : deck_(deck) {}

  const Deck& deck() const { return deck_; }
  // The file name messages give.
  const std::string& label() const { return deck_.name; }

  // Starts the next problem of the deck (the first at the first call).
  void next_problem();
  std::size_t problem_index() const { return problem_; }
  // The records of the current problem.
  const deck::Problem& problem() const;

  // Takes the next record of the current problem, whose last item is at
  // `last_item` (a path below the problem, "geometry/reserved_10"); its line
  // becomes the current line.  At the record where reading the deck stopped,
  // raises the reader's message as bad input.
  void take(std::string_view last_item);

  // The line of the item last taken (the line of the last record when its
  // item has no place).
  std::size_t current_line() const { return current_line_; }
  // The line of a value of the current problem; 0 when it has no place.
  std::size_t line_of(std::string_view item) const;
  // The place of a value of the current problem, with its item; the current
  // line when it has no place.
  InputPlace place_of_item(std::string_view item) const;
  // The path of a value of the current problem: "/problems/2/" + item.
  std::string path(std::string_view item) const;

 private:
  const Deck& deck_;
  std::size_t problem_ = 0;
  bool started_ = false;
  int records_ = 0;
  std::size_t current_line_ = 0;
};

// The place of a line of the deck (the current line when line is 0).
InputPlace place_of(const DeckSource& source, std::size_t line = 0);
// Bad input at a line of the deck (the current line when 0).
[[noreturn]] void stop_bad_record(const DeckSource& source, std::size_t line,
                                  std::string_view what);

}  // namespace kestro
