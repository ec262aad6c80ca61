#include "deck_run.h"

#include <fstream>
#include <sstream>
#include <utility>

#include "kestro/deck_json.hpp"

namespace kestro::host {

namespace fs = std::filesystem;

std::optional<DeckFiles> deck_files(const fs::path& deck, const std::optional<fs::path>& output_dir,
                                    std::string& why) {
  DeckFiles files;
  files.input = fs::absolute(deck).lexically_normal();
  files.dir = fs::absolute(output_dir.value_or(files.input.parent_path())).lexically_normal();
  std::error_code error;
  fs::create_directories(files.dir, error);
  if (!fs::is_directory(files.dir)) {
    why = "cannot create the output directory " + files.dir.string();
    return std::nullopt;
  }
  const std::string stem = files.input.stem().string();
  files.report = files.dir / (stem + ".out");
  files.plot_data = files.dir / (stem + ".plt");
  files.monitor = files.dir / (stem + ".mon");
  files.py_curves = files.dir / (stem + ".pyc");
  files.earth_pressure = files.dir / (stem + ".epf");
  files.html = files.dir / (stem + ".html");
  for (const fs::path* output : {&files.report, &files.plot_data, &files.monitor, &files.py_curves,
                                 &files.earth_pressure, &files.html}) {
    if (*output == files.input || fs::equivalent(*output, files.input, error)) {
      why = "the output " + output->string() +
            " would overwrite the input data file; rename the deck or give --output-dir";
      return std::nullopt;
    }
  }
  return files;
}

void set_deck_text(MemoryRunInput& input, std::string text, const std::string& file_name) {
  if (is_json_deck_name(file_name)) {
    input.model = deck_from_json(text, file_name);
  } else {
    input.deck = std::move(text);
  }
}

MemoryRunResult run_deck(const DeckFiles& files, const char* version) {
  std::ifstream in(files.input, std::ios::binary);
  std::error_code error;
  if (!in || !fs::is_regular_file(files.input, error)) {
    MemoryRunResult failed;
    failed.outcome = Outcome::could_not_start;
    failed.message = "cannot read the input data file " + files.input.string();
    return failed;
  }
  std::ostringstream text;
  text << in.rdbuf();
  MemoryRunInput input;
  set_deck_text(input, text.str(), files.input.filename().string());
  input.deck_name = files.input.parent_path() == files.dir ? files.input.filename().string()
                                                           : files.input.string();
  input.version = version;
  input.directory = files.dir.string();
  return run_in_memory(input, system_local_time);
}

bool write_outputs(const DeckFiles& files, const MemoryRunResult& run, std::string& why) {
  const std::pair<const fs::path*, const std::string*> outputs[] = {
      {&files.report, &run.report},
      {&files.plot_data, &run.plot_data},
      {&files.monitor, &run.monitor},
      {&files.py_curves, &run.py_curves},
      {&files.earth_pressure, &run.earth_pressure}};
  for (const auto& [path, text] : outputs) {
    // The transient files exist only when a problem made them.
    const bool transient = text == &run.py_curves || text == &run.earth_pressure;
    if (transient && text->empty()) continue;
    if (!write_file_whole(*path, *text)) {
      why = "cannot write " + path->string();
      return false;
    }
  }
  return true;
}

int exit_status(const Verdict& verdict) {
  switch (verdict.kind) {
    case VerdictKind::solved:
      return kExitSolved;
    case VerdictKind::stopped:
      return kExitStopped;
    case VerdictKind::no_valid_solution:
      return kExitNoSolution;
  }
  return kExitStopped;
}

}  // namespace kestro::host
