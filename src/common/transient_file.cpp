#include "common/transient_file.h"

#include <fstream>
#include <stdexcept>

#include "common/list_input.h"
#include "common/run_stop.h"

namespace kestro {

TransientFile file_transient(std::filesystem::path dir, std::string name, std::string role,
                             int record) {
  TransientFile file;
  file.label = std::filesystem::path(name).filename().string();
  file.keep = [dir = std::move(dir), name = std::move(name), role = std::move(role),
               record](std::string text) {
    if (name.empty()) {
      stop_bad_input(InputPlace{"NAMES.dat", static_cast<std::size_t>(record)},
                     "the run list names no " + role + " (record " + std::to_string(record) +
                         " is missing or blank), and this problem needs one");
    }
    std::filesystem::path path(name);
    if (!path.is_absolute()) path = dir / path;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) stop_bad_input(InputPlace{}, "cannot write the " + role + " \"" + name + "\"");
  };
  return file;
}

void reject_record(const std::string& label, std::size_t line, std::string_view text,
                   std::string_view items) {
  // The lines before it are empty, so that the reader counts the record's
  // line as the file does and finds no item before it.
  std::string contents(line > 0 ? line - 1 : 0, '\n');
  contents += text;
  ListInput file(label, std::move(contents));
  ListRead read = file.read();
  for (const char kind : items) {
    if (kind == 'i') {
      read.integer();
    } else {
      read.real();
    }
  }
  throw std::logic_error("a record of " + label +
                         " that reads back was taken for one that does not");
}

}  // namespace kestro
