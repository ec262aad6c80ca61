// Where the steps of a run take their records from: the deck model, problem
// by problem.  Each step takes its records in the order the deck's grammar
// reads them, naming the last item of each; where reading the deck stopped,
// taking the record that could not be read ends the run with the reader's
// message, so a run stops at the same point, with the same report, as if it
// read the text itself.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "common/run_stop.h"
#include "kestro/deck.hpp"

namespace kestro {

// A deck with problems but without places (read from JSON, or built in code)
// has no lines: the "lines" a source hands out for it (take, current_line,
// line_of) number the records it has named, from 1, and place_of names the
// JSON path of that record instead of a line: "wall.json:
// /problems/0/soil_layers/2: ...".  A record is the object that holds the item
// ("/problems/0/soil_layers/2" for "soil_layers/2/kpy"), or the problem for an
// item of its own (a count, the title, the continuation code).
class DeckSource {
 public:
  explicit DeckSource(const Deck& deck)
      : deck_(deck), by_path_(deck.places.empty() && !deck.problems.empty()) {}

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
  // line when it has no place; in a deck named by paths, the value's path.
  InputPlace place_of_item(std::string_view item) const;
  // The path of a value of the current problem: "/problems/2/" + item.
  std::string path(std::string_view item) const;

  // Whether the deck's values are named by JSON paths rather than lines: it
  // has problems but no places.
  bool by_path() const { return by_path_; }
  // The JSON path a line stands for in a deck named by paths; empty for 0
  // and for a deck read from text.
  std::string path_of_line(std::size_t line) const;
  // A line as a message names it: "line 3", or the JSON path it stands for.
  std::string where(std::size_t line) const;

 private:
  // The number standing for the record holding an item, in a deck named by
  // paths.
  std::size_t record_number(std::string_view item) const;

  const Deck& deck_;
  bool by_path_ = false;
  std::size_t problem_ = 0;
  bool started_ = false;
  int records_ = 0;
  std::size_t current_line_ = 0;
  // The records named so far, in a deck named by paths: numbered from 1 in
  // the order they were first named.
  mutable std::vector<std::string> record_paths_;
  mutable std::map<std::string, std::size_t, std::less<>> record_numbers_;
};

// The place of a line of the deck (the current line when line is 0): its
// line, or in a deck named by paths the JSON path of the record.
InputPlace place_of(const DeckSource& source, std::size_t line = 0);
// Bad input at a line of the deck (the current line when 0).
[[noreturn]] void stop_bad_record(const DeckSource& source, std::size_t line,
                                  std::string_view what);

}  // namespace kestro
