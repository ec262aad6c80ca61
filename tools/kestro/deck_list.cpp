#include "deck_list.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>

namespace kestro::host {

namespace {

namespace fs = std::filesystem;

std::string lower(std::string text) {
  for (char& c : text)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

fs::path absolute_normal(const fs::path& path) {
  std::error_code error;
  const fs::path absolute = fs::absolute(path, error);
  return (error ? path : absolute).lexically_normal();
}

}  // namespace

bool is_deck_name(const std::string& name) {
  const std::string low = lower(name);
  return low.size() > 4 && low.ends_with(".dat") && low[0] != '.' && low != "names.dat";
}

std::optional<std::vector<fs::path>> batch_decks(const std::vector<fs::path>& inputs,
                                                 std::string& why) {
  std::vector<fs::path> decks;
  std::set<fs::path> seen;
  const auto add = [&](const fs::path& deck) {
    if (seen.insert(absolute_normal(deck)).second) decks.push_back(deck);
  };
  for (const fs::path& input : inputs) {
    std::error_code error;
    const fs::file_status status = fs::status(input, error);
    if (fs::is_regular_file(status)) {
      add(input);
      continue;
    }
    if (!fs::is_directory(status)) {
      why = fs::exists(status) ? "not a deck or a folder: " + input.string()
                               : "no such deck or folder: " + input.string();
      return std::nullopt;
    }
    std::vector<std::string> names;
    fs::directory_iterator entries(input, error);
    for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
      const std::string name = entries->path().filename().string();
      std::error_code ignored;
      if (is_deck_name(name) && entries->is_regular_file(ignored)) names.push_back(name);
    }
    if (error) {
      why = "cannot read the folder " + input.string() + ": " + error.message();
      return std::nullopt;
    }
    if (names.empty()) {
      why = "no decks (*.dat) in the folder " + input.string();
      return std::nullopt;
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names)
      add(input / name);
  }
  return decks;
}

std::string output_clash(const std::vector<fs::path>& decks,
                         const std::optional<fs::path>& output_dir, bool shared_csv) {
  std::map<fs::path, const fs::path*> outputs;
  std::map<fs::path, const fs::path*> csv_names;
  for (const fs::path& deck : decks) {
    const fs::path stem = deck.stem();
    const fs::path dir =
        output_dir ? absolute_normal(*output_dir) : absolute_normal(deck).parent_path();
    const auto [other, fresh] = outputs.emplace(dir / stem, &deck);
    if (!fresh) {
      return other->second->string() + " and " + deck.string() + " would both write " +
             (dir / stem).string() + ".out; run them into different output folders";
    }
    if (!shared_csv) continue;
    const auto [csv_other, csv_fresh] = csv_names.emplace(stem, &deck);
    if (!csv_fresh) {
      return csv_other->second->string() + " and " + deck.string() +
             " would both write the CSV files " + stem.string() +
             "-p*.csv; export them into different folders";
    }
  }
  return std::string();
}

}  // namespace kestro::host
