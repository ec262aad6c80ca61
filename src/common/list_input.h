// List-directed (free-format) reading of the input data file and the run
// list, and the fixed-width character reads (A70, A255 ...) they mix with.
//
// Items are separated by blanks, tabs, one comma (with blanks around it) or
// the end of a line.  One READ statement may continue over as many lines as
// it needs; the next READ starts on a new line.  ",," and a leading comma are
// null items (the variable keeps its value), "r*c" repeats c r times, "r*" is
// r nulls, and "/" ends the READ leaving the remaining variables unchanged.
// Character items may be quoted with ' or " (a doubled quote stands for one);
// a quoted item may run on over line ends, which are dropped from its value.
// An unquoted character item ends at a blank, comma, slash or line end.
// Reals accept 1.5, 1.5E3, 1.5D3, 1.5+3, .5, 3; integers also accept a real
// with a whole value (3.0, 1E2).  A real too large for a double is an error.
//
// Every failure throws InputError with a message naming the file, "line N",
// the item number within the READ, what was expected and what was found:
//   wall.dat, line 3, item 2: expected a real number, found "six"
// The found text is cut to 40 characters (shown with "...") and bytes that are
// not printable ASCII are written as \xHH.  When the file ends inside a READ
// the line named is the last line of the file (line 1 for an empty file).
//
// A READ always takes at least one line: one that asks for no item at all
// (a loop over zero variables) still skips a line, as Fortran does.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
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

  // The same, returning std::nullopt for a null item or an item after "/".
  std::optional<int> integer();
  std::optional<double> real();
  std::optional<std::string> text();

  // True once a "/" has ended this READ.
  bool ended_by_slash() const { return slash_seen_; }

  // Number (from 1) of the item last taken within this READ.
  int item_number() const { return item_number_; }

  // What is left of the line of the last item, unread: empty when the READ
  // took the line to its end, ended at a "/" or has not started a line.
  std::string_view unread() const;

  // Ends the READ: the rest of the current line is skipped, so the next READ
  // starts on a new line.  Called by the destructor when omitted.
  void finish() noexcept;
  ~ListRead();

  ListRead(const ListRead&) = delete;
  ListRead& operator=(const ListRead&) = delete;

 private:
  friend class ListInput;
  explicit ListRead(ListInput& input);

  // The item last taken from the input; repeated while repeats_left_ > 0.
  struct Item {
    bool null = true;
    bool quoted = false;
    // The text of the item, quotes removed: a view into the input, or into
    // quoted_ for a quoted item.
    std::string_view value;
    std::size_t line = 0;
    // Its value once converted, so that the copies of r*c are not parsed again.
    std::optional<int> integer;
    std::optional<double> real;
  };

  // Moves to the next item and returns it.  expected names what the caller
  // wants ("an integer" ...) for messages.
  Item& next(std::string_view expected);
  void take_quoted(std::string_view expected);
  [[noreturn]] void fail(std::size_t line, std::string_view expected, std::string_view found) const;

  // The item as written, for messages.
  std::string shown() const;

  ListInput& input_;
  Item item_;
  std::string quoted_;        // value of the last quoted item (doubled quotes made single)
  std::string quoted_shown_;  // that item as written
  int item_number_ = 0;
  int repeats_left_ = 0;  // copies of item_ still to hand out
  bool slash_seen_ = false;
  bool finished_ = false;
  bool separator_pending_ = false;  // a value was read; a comma after it is its separator
};

// The lines of one input file, read in full when opened, with a cursor.
class ListInput {
 public:
  // label is the file name used in messages (e.g. "wall.dat").  Lines end at
  // '\n'; a '\r' before it is dropped, and a last line without '\n' counts.
  ListInput(std::string label, std::string contents);

  // Opens the file at path; std::nullopt when it cannot be opened or read.
  static std::optional<ListInput> open(const std::string& path, std::string label);

  // Starts a list-directed READ at the beginning of the next line.
  ListRead read() { return ListRead(*this); }

  // Reads the next line as a character record of the given width (A70 ...):
  // cut to width or padded with blanks.  At the end of the file throws
  // InputError ("expected <what>, found the end of the file"), item 1 of the
  // last line.  Width 0 skips a line.
  std::string read_fixed(std::size_t width, std::string_view what);

  // True when no line is left.
  bool at_end() const { return next_line_ >= lines_.size(); }

  // Number (from 1) of the line the next READ starts on.
  std::size_t next_line() const { return next_line_ + 1; }
  // The text of the file from the start of the given line (from 1) to its
  // end, as it stands; empty beyond the last line.
  std::string_view text_from(std::size_t line) const;

  const std::string& label() const { return label_; }
  // Number (1-based) of the line the last item or record came from.
  std::size_t current_line() const { return current_line_; }

 private:
  friend class ListRead;

  std::string_view line(std::size_t index) const {
    return std::string_view(contents_).substr(lines_[index].first, lines_[index].second);
  }
  // Moves past blanks and line ends to the next character of an item,
  // entering new lines as needed; false at the end of the file.
  bool skip_blanks();
  // The line named when the file ends inside a read.
  std::size_t end_line() const { return lines_.empty() ? 1 : lines_.size(); }
  [[noreturn]] void fail(std::size_t line, int item, std::string_view expected,
                         std::string_view found) const;

  std::string label_;
  std::string contents_;
  std::vector<std::pair<std::size_t, std::size_t>> lines_;  // offset and length in contents_
  std::size_t next_line_ = 0;                               // index of the next line to start on
  std::size_t line_ = 0;          // index of the line being read, when in_line_
  std::size_t column_ = 0;        // position within that line
  std::size_t current_line_ = 0;  // reported by current_line()
  bool in_line_ = false;          // a READ is positioned inside lines_[line_]
};

}  // namespace kestro
