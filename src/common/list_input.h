// List-directed (free-format) reading of the input data file and the run
// list, and the fixed-width character reads (A70, A255 ...) they mix with.
//
// Items are separated by blanks, tabs, one comma (with blanks around it) or
// the end of a line.  One READ statement may continue over as many lines as
// it needs; the next READ starts on a new line.  ",," and a leading comma are
// null items (the variable keeps its value), "r*c" repeats c r times, "r*" is
// r nulls, and "/" ends the READ leaving the remaining variables unchanged.
// Character items may be quoted with ' or " (a doubled quote stands for one).
// Reals accept 1.5, 1.5E3, 1.5D3, 1.5+3, .5, 3; integers also accept a real
// with a whole value (3.0, 1E2).
//
// Every failure throws InputError with a message naming the file, "line N",
// the item number within the READ and what was expected.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/input_error.h"

namespace kestro {

class ListInput;

// One READ statement in progress.  Obtained from ListInput::read(); call the
// item functions in the order of the variable list, then finish().  Item
// numbers in messages count from 1 within the READ.
class ListRead {
 public:
  // Reads the next item into value.  A null item, or an item after "/",
  // leaves value unchanged.
  void integer(int& value);
  void real(double& value);
  void text(std::string& value);

  // Ends the READ: the rest of the current line is skipped, so the next READ
  // starts on a new line.  Called by the destructor when omitted.
  void finish();
  ~ListRead();

  ListRead(const ListRead&) = delete;
  ListRead& operator=(const ListRead&) = delete;

 private:
  friend class ListInput;
  explicit ListRead(ListInput& input) : input_(input) {}
  ListInput& input_;
  // implementation state (kept small and private)
  int item_number_ = 0;
  int pending_repeats_ = 0;      // remaining copies of an r*c item
  std::string pending_value_;    // c of an r*c item (empty for r*)
  bool pending_is_null_ = false;
  bool pending_quoted_ = false;
  bool slash_seen_ = false;
  bool finished_ = false;
  bool separator_pending_ = false;  // a value was just read on this line
};

// The lines of one input file, read in full when opened, with a cursor.
class ListInput {
 public:
  // label is the file name used in messages (e.g. "wall.dat").
  ListInput(std::string label, std::string contents);

  // Opens the file at path; std::nullopt when it cannot be opened or read.
  static std::optional<ListInput> open(const std::string& path, std::string label);

  // Starts a list-directed READ at the beginning of the next line.
  ListRead read() { return ListRead(*this); }

  // Reads the next line as a character record of the given width (A70 ...):
  // cut to width or padded with blanks.  At the end of the file throws
  // InputError ("expected <what>, found the end of the file").
  std::string read_fixed(std::size_t width, std::string_view what);

  // True when no line is left.
  bool at_end() const { return next_line_ >= lines_.size(); }

  const std::string& label() const { return label_; }
  // Number (1-based) of the line the last item or record came from.
  std::size_t current_line() const { return current_line_; }

 private:
  friend class ListRead;
  std::string label_;
  std::vector<std::string> lines_;
  std::size_t next_line_ = 0;     // index of the next line to start on
  std::size_t current_line_ = 0;  // 1-based number of the line being read
  std::size_t column_ = 0;        // position within the current line
  bool in_line_ = false;          // a READ is positioned inside lines_[current_line_-1]
};

}  // namespace kestro
