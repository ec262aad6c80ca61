#include "deck_run.h"

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>

namespace kestro::host {

namespace {

namespace fs = std::filesystem;

// A name for a temporary file beside `path` that no other run picks.
fs::path temporary_beside(const fs::path& path) {
  thread_local std::mt19937_64 random(std::random_device{}());
  return path.string() + ".part-" + std::to_string(::getpid()) + "-" + std::to_string(random());
}

}  // namespace

bool write_file_whole(const fs::path& path, const std::string& text) {
  const fs::path temporary = temporary_beside(path);
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!out.flush()) {
      std::error_code ignored;
      fs::remove(temporary, ignored);
      return false;
    }
  }
  std::error_code error;
  fs::rename(temporary, path, error);
  if (error) fs::remove(temporary, error);
  return !error;
}

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
  input.deck = text.str();
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

namespace {

// The force residual of each valid solution in percent, e.g. "0.0031 %" or
// "stage 1 0.0031 %, stage 2 0.12 %".
std::string force_residuals(const MemoryRunResult& run) {
  std::string text;
  for (const ProblemResult& problem : run.problems) {
    if (!problem.results) continue;
    char percent[32];
    std::snprintf(percent, sizeof percent, "%.3g %%", 100.0 * problem.force_residual);
    if (!text.empty()) text += ", ";
    if (run.problems.size() > 1) text += "stage " + std::to_string(problem.number) + " ";
    text += percent;
  }
  return text;
}

}  // namespace

Verdict verdict(const MemoryRunResult& run) {
  if (run.outcome != Outcome::completed) {
    return Verdict{
        kExitStopped, std::string(outcome_name(run.outcome)) + ": " + run.message, {}, {}};
  }
  for (const ProblemResult& problem : run.problems) {
    const std::string warning = solution_warning(problem);
    if (!warning.empty()) {
      return Verdict{
          kExitNoSolution,
          "no valid solution in stage " + std::to_string(problem.number) + ": " + warning,
          {},
          {}};
    }
  }
  Verdict solved{kExitSolved, "solved", force_residuals(run), {}};
  for (const ProblemResult& problem : run.problems) {
    const std::string warning = balance_warning(problem);
    if (!warning.empty())
      solved.warnings.push_back("stage " + std::to_string(problem.number) + ": " + warning);
  }
  for (const ProblemResult& problem : run.problems) {
    if (problem.solved) return solved;
  }
  return Verdict{kExitSolved, "completed (no problem had a wall to solve)", {}, {}};
}

}  // namespace kestro::host
