#include "common/transient_file.h"

#include <fstream>
#include <optional>

#include "common/run_stop.h"

namespace kestro {

HandOver file_hand_over(std::filesystem::path dir, std::string name, std::string role, int record) {
  return [dir = std::move(dir), name = std::move(name), role = std::move(role),
          record](std::string text) -> ListInput {
    if (name.empty()) {
      stop_bad_input(InputPlace{"NAMES.dat", static_cast<std::size_t>(record)},
                     "the run list names no " + role + " (record " + std::to_string(record) +
                         " is missing or blank), and this problem needs one");
    }
    std::filesystem::path path(name);
    if (!path.is_absolute()) path = dir / path;
    {
      std::ofstream out(path, std::ios::binary | std::ios::trunc);
      out.write(text.data(), static_cast<std::streamsize>(text.size()));
      out.close();
      if (!out) stop_bad_input(InputPlace{}, "cannot write the " + role + " \"" + name + "\"");
    }
    std::optional<ListInput> back = ListInput::open(path.string(), path.filename().string());
    if (!back) stop_bad_input(InputPlace{}, "cannot read back the " + role + " \"" + name + "\"");
    return std::move(*back);
  };
}

}  // namespace kestro
