// Whole runs of the engine in a fresh temporary directory, for tests.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "kestro/kestro.hpp"

namespace kestro::testing {

// A temporary working directory holding NAMES.dat and an input deck; removed
// when the object goes.
class RunDirectory {
 public:
  RunDirectory();
  ~RunDirectory();
  RunDirectory(const RunDirectory&) = delete;
  RunDirectory& operator=(const RunDirectory&) = delete;

  const std::filesystem::path& path() const { return dir_; }

  // Writes a file of the directory.
  void write(const std::string& name, const std::string& text) const;
  // Writes NAMES.dat for the input `deck_name` and the usual output names
  // wall.out, wall.plt, wall.mon, wall.pyc, wall.epf.
  void write_names(const std::string& deck_name = "wall.dat",
                   const std::string& version = "3.0") const;
  // Writes the deck and NAMES.dat and runs the engine with a fixed clock
  // (5 March 2024, 09:07:03); the console text is kept in console().
  RunResult run_deck(const std::string& deck);
  RunResult run();

  // Text of an output file; empty when it does not exist.
  std::string read(const std::string& name) const;
  // Lines of an output file, without their line ends.
  std::vector<std::string> lines(const std::string& name) const;
  const std::string& console() const { return console_; }

 private:
  std::filesystem::path dir_;
  std::string console_;
};

// The fixed time every test run is dated with.
LocalTime fixed_time();

}  // namespace kestro::testing
