// Sequential formatted text files known by unit number, as the engine's
// files are: a unit is opened on a file name, receives formatted and
// list-directed writes and is closed.  A write whose format ends on the
// record-keeping backslash leaves its record open; the next write continues it.
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

  // Opens (creates or truncates) the file; false when it cannot be opened.
  bool open(const std::filesystem::path& path);
  // Attaches a stream that the unit writes to but does not own.
  void attach(std::ostream& stream);
  // Ends an open record, flushes and closes the file (or detaches the
  // stream).  Closing a closed unit does nothing.
  void close();

  bool is_open() const { return out_ != nullptr; }
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

 private:
  std::ofstream file_;
  std::ostream* out_ = nullptr;
  std::filesystem::path path_;
  bool record_open_ = false;
};

}  // namespace kestro
