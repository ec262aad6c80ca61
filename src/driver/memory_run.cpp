// Runs held in memory: the deck comes in as text, every output file goes out
// as text, and the transient files are kept in memory.
#include <exception>
#include <filesystem>
#include <optional>
#include <sstream>
#include <utility>

#include "common/text.h"
#include "driver/run.h"

namespace kestro {

namespace {

constexpr std::size_t kVersionWidth = 12;

// A transient file whose text is kept in `kept`.
TransientFile memory_transient(std::string& kept, std::string label) {
  return TransientFile{std::move(label), [&kept](std::string text) { kept = std::move(text); }};
}

}  // namespace

namespace {

// A run of `input`, whose deck model (if any) is `model`, taken over.
MemoryRunResult run_with(const MemoryRunInput& input, std::optional<Deck> model,
                         const Clock& clock) noexcept {
  MemoryRunResult result;
  try {
    std::ostringstream console;
    RunContext context(input.directory, console, clock);
    context.expand_paths = false;
    const std::filesystem::path deck_path(input.deck_name);
    const std::string stem = deck_path.stem().string();
    RunState& run = context.run;
    run.version = fit(input.version, kVersionWidth);
    run.names = RunFileNames{input.deck_name, stem + ".out", stem + ".plt",
                             stem + ".mon",   stem + ".pyc", stem + ".epf"};
    context.use_deck(model ? std::move(*model)
                           : read_deck(input.deck, deck_path.filename().string()));
    if (input.text) {
      context.files.report.collect(result.report);
      context.files.plot.collect(result.plot_data);
      context.files.monitor.collect(result.monitor);
      context.files.py_curves = memory_transient(result.py_curves, run.names.py_curves);
      context.files.earth_pressure =
          memory_transient(result.earth_pressure, run.names.earth_pressure);
    } else {
      // Units left closed take no text: every write to them does nothing.
      context.files.py_curves = TransientFile{run.names.py_curves, {}};
      context.files.earth_pressure = TransientFile{run.names.earth_pressure, {}};
    }

    const RunResult ended = run_opened(context);
    result.outcome = ended.outcome;
    result.message = ended.message;
    result.place = ended.place;
    result.console = console.str();
    result.problems = std::move(context.run.problems);
  } catch (const std::exception& error) {
    result.outcome = Outcome::error_stop;
    result.message = std::string("internal error: ") + error.what();
  } catch (...) {
    result.outcome = Outcome::error_stop;
    result.message = "internal error";
  }
  return result;
}

}  // namespace

MemoryRunResult run_in_memory(const MemoryRunInput& input, const Clock& clock) noexcept {
  std::optional<Deck> model;
  try {
    model = input.model;
  } catch (...) {
    MemoryRunResult result;
    result.outcome = Outcome::error_stop;
    result.message = "not enough memory for the problem";
    return result;
  }
  return run_with(input, std::move(model), clock);
}

MemoryRunResult run_in_memory(MemoryRunInput&& input, const Clock& clock) noexcept {
  std::optional<Deck> model = std::move(input.model);
  return run_with(input, std::move(model), clock);
}

}  // namespace kestro
