// Sequential formatted text files known by unit number, as the engine's
// files are: a unit is opened on a file name, receives formatted and
// list-directed writes and is closed.  A write whose format ends on the
// record-keeping backslash leaves its record open; the next write continues it.
// Writes are edited straight into the unit's buffer and reach a file in large
// pieces of whole text; nothing is allocated per write once the buffer has
// grown.
#pragma once

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <ostream>
#include <span>
#include <string>
#include <string_view>

#include "common/fortran_format.h"
#include "common/list_output.h"

namespace kestro {

// Unit numbers of the engine's files.
enum class Unit : int {
  console = 0,
  run_list = 2,  // NAMES.dat; later the earth-pressure file being written
  plot_data = 3,
  monitor = 4,
  input = 5,
  report = 6,
  read_back = 8,  // p-y curve file or earth-pressure file read back
  py_curves = 9,
};

// An output unit: a file, or a stream owned by someone else (the console).
class TextUnit {
 public:
  TextUnit() = default;
  TextUnit(const TextUnit&) = delete;
  TextUnit& operator=(const TextUnit&) = delete;
  // Hands what the unit still holds to its file as it stands (an open record
  // is not ended); close() is the orderly end.
  ~TextUnit();

  // Opens (creates or truncates) the file; false when it cannot be opened.
  bool open(const std::filesystem::path& path);
  // Attaches a stream that the unit writes to but does not own.
  void attach(std::ostream& stream);
  // Collects the unit's text in `text` (owned by the caller), in large pieces
  // as a file gets them: the whole text is there once the unit is closed.
  void collect(std::string& text);
  // Ends an open record, flushes and closes the file (or detaches the
  // stream).  Closing a closed unit does nothing.
  void close();

  bool is_open() const { return out_ != nullptr || text_ != nullptr; }
  const std::filesystem::path& path() const { return path_; }

  // One formatted WRITE.  Writing to a closed unit does nothing.
  void write(const FortranFormat& format, std::span<const FormatItem> items);
  void write(const FortranFormat& format, std::initializer_list<FormatItem> items = {}) {
    write(format, std::span<const FormatItem>(items.begin(), items.size()));
  }
  // One list-directed WRITE.
  void write_list(std::span<const ListItem> items);
  void write_list(std::initializer_list<ListItem> items) {
    write_list(std::span<const ListItem>(items.begin(), items.size()));
  }
  // Raw text of complete records (each ending in '\n').
  void write_text(std::string_view text);

  // Continues the current record (or starts one) with what `edit` appends to
  // the string it is given, and leaves the record open, exactly as a write
  // of that text with "(A,\\)" would.  Used with the append_... edit
  // functions of fortran_format.h to write a field without building it
  // apart.  Nothing happens on a closed unit; if edit throws, nothing is
  // written.
  template <class Edit>
  void continue_record(Edit&& edit) {
    if (!is_open()) return;
    const std::size_t before = pending_.size();
    try {
      edit(pending_);
    } catch (...) {
      pending_.resize(before);
      throw;
    }
    record_open_ = true;
    written();
  }

 private:
  // Hands the pending text to the stream: at once for a stream the unit
  // does not own (its owner may look at it between writes), in large pieces
  // for a file.
  void written();
  // Hands all pending text over.
  void hand_over();

  std::ofstream file_;
  std::ostream* out_ = nullptr;
  std::string* text_ = nullptr;  // collecting: the caller's text
  std::filesystem::path path_;
  std::string pending_;  // text written but not yet handed to out_
  bool record_open_ = false;
};

}  // namespace kestro
