#include "convert.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "deck_run.h"
#include "kestro/deck_json.hpp"
#include "kestro/report.hpp"

namespace kestro::host {

namespace {

namespace fs = std::filesystem;

bool same_file(const fs::path& a, const fs::path& b) {
  std::error_code error;
  if (fs::absolute(a, error).lexically_normal() == fs::absolute(b, error).lexically_normal()) {
    return true;
  }
  return fs::equivalent(a, b, error);
}

}  // namespace

int convert_command(const std::vector<std::string>& args) {
  if (args.size() != 3) {
    std::cerr << "kestro: convert needs an input deck and an output deck: kestro convert IN OUT\n";
    return kExitUsage;
  }
  const fs::path in_path = args[1];
  const fs::path out_path = args[2];
  std::error_code error;
  std::ifstream in(in_path, std::ios::binary);
  if (!fs::is_regular_file(in_path, error) || !in) {
    std::cerr << "kestro: no input data file " << in_path << '\n';
    return kExitUsage;
  }
  if (same_file(in_path, out_path)) {
    std::cerr << "kestro: the output " << out_path.string()
              << " would overwrite the input deck; give another name\n";
    return kExitUsage;
  }
  std::ostringstream text;
  text << in.rdbuf();
  const Deck deck = read_any_deck(text.str(), in_path.filename().string());
  if (deck.failure) {
    std::cerr << "kestro: cannot convert " << in_path.string() << ": " << deck.failure->message
              << '\n';
    return kExitStopped;
  }
  std::string converted;
  if (is_json_deck_name(out_path.filename().string())) {
    const DeckJson json = deck_to_json(deck);
    if (!json) {
      std::cerr << "kestro: " << json.error << '\n';
      return kExitStopped;
    }
    converted = json.text;
  } else {
    converted = write_deck(deck);
  }
  if (!write_file_whole(out_path, converted)) {
    std::cerr << "kestro: cannot write " << out_path.string() << '\n';
    return kExitStopped;
  }
  std::cout << "converted: " << in_path.string() << " -> " << out_path.string() << '\n';
  return kExitSolved;
}

int schema_command(const std::vector<std::string>& args) {
  if (args.size() > 2) {
    std::cerr << "kestro: schema takes at most one file name\n";
    return kExitUsage;
  }
  const std::string schema = deck_schema();
  if (args.size() == 1) {
    std::cout << schema;
    return kExitSolved;
  }
  if (!write_file_whole(args[1], schema)) {
    std::cerr << "kestro: cannot write " << args[1] << '\n';
    return kExitStopped;
  }
  return kExitSolved;
}

}  // namespace kestro::host
