#include "support/run_fixture.h"

#include <atomic>
#include <random>

namespace kestro::testing {

LocalTime fixed_time() {
  return LocalTime{2024, 3, 5, 9, 7, 3};
}

RunDirectory::RunDirectory() {
  std::random_device seed;
  std::mt19937_64 random(seed());
  const auto base = std::filesystem::temp_directory_path();
  do {
    dir_ = base / ("kestro-test-" + std::to_string(random()));
  } while (!std::filesystem::create_directory(dir_));
}

RunDirectory::~RunDirectory() {
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
}

void RunDirectory::write(const std::string& name, const std::string& text) const {
  std::ofstream out(dir_ / name, std::ios::binary | std::ios::trunc);
  out << text;
}

void RunDirectory::write_names(const std::string& deck_name, const std::string& version) const {
  write("NAMES.dat", version + "\nfront end\n\n0\n" + deck_name +
                         "\nwall.out\nwall.plt\nwall.mon\nwall.pyc\nwall.epf\n");
}

RunResult RunDirectory::run_deck(const std::string& deck) {
  write("wall.dat", deck);
  write_names();
  return run();
}

RunResult RunDirectory::run() {
  std::ostringstream console;
  RunResult result = kestro::run(dir_, console, fixed_time);
  console_ = console.str();
  return result;
}

std::string RunDirectory::read(const std::string& name) const {
  std::ifstream in(dir_ / name, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> RunDirectory::lines(const std::string& name) const {
  std::vector<std::string> result;
  std::istringstream in(read(name));
  for (std::string line; std::getline(in, line);)
    result.push_back(line);
  return result;
}

}  // namespace kestro::testing
