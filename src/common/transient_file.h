// The transient files of a problem, the p-y curve file and the
// earth-pressure file: each is written in full by one step and taken up at
// once by the next.  The next step takes the values the file carries, as
// reading it back would give them (each field rounded as its edit
// descriptor keeps it: round_to_significant, round_list_directed), not its
// text.  The text is made only when the run keeps text, and goes where the
// driver says.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace kestro {

// A transient file as the step that writes it sees it.
struct TransientFile {
  // The file's name in messages, e.g. "wall.pyc".
  std::string label;
  // Takes the file's complete text: writes it where the run keeps it.
  // Raises a bad-input stop naming the file when it cannot.  Empty when the
  // run keeps no text; the step then makes none.
  std::function<void(std::string text)> keep;

  bool keeps_text() const { return static_cast<bool>(keep); }
};

// The file through the file system: `name` (relative to dir) is created or
// truncated and written.  role names the file in messages ("p-y curve
// file", "earth-pressure file"); `record` is the record of NAMES.dat that
// names it.  An empty name stops the run, when the text is kept, with "the
// run list names no ...".
TransientFile file_transient(std::filesystem::path dir, std::string name, std::string role,
                             int record);

// For a record of a transient file that would not read back (a field that
// is NaN, infinite or rounds beyond the largest double, or fields written
// without a blank between them): raises the error the list-directed reader
// gives when it reads `text` (the record as written, with its '\n') as line
// `line` of the file `label`, taking items of the kinds in `items` ('i' an
// integer, 'r' a real) in order.  Throws std::logic_error if the record
// reads after all.
[[noreturn]] void reject_record(const std::string& label, std::size_t line, std::string_view text,
                                std::string_view items);

}  // namespace kestro
