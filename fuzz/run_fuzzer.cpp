// Runs the whole engine on an arbitrary input data file in a scratch
// directory: every deck must end with results or a clear error and the end
// sequence, never a crash, a hang or a sanitizer report.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "kestro/kestro.hpp"

namespace {

const std::filesystem::path& scratch() {
  static const std::filesystem::path dir = [] {
    std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("kestro-fuzz-" + std::to_string(getpid()));
    std::filesystem::create_directories(path);
    std::ofstream names(path / "NAMES.dat");
    names << "fuzz\nx\ny\n0\nwall.dat\nwall.out\nwall.plt\nwall.mon\nwall.pyc\nwall.epf\n";
    return path;
  }();
  return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  {
    std::ofstream deck(scratch() / "wall.dat", std::ios::binary | std::ios::trunc);
    deck.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  std::ostringstream console;
  kestro::run(scratch(), console, [] { return kestro::LocalTime{2024, 3, 5, 9, 7, 3}; });
  // Every run, however it ended, closes the report with the end line.
  std::ifstream report(scratch() / "wall.out", std::ios::binary);
  std::stringstream text;
  text << report.rdbuf();
  if (text.str().find("END OF ANALYSIS") == std::string::npos) std::abort();
  return 0;
}
