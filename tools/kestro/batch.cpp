#include "batch.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <mutex>
#include <optional>
#include <sstream>
#include <thread>

#include "kestro/kestro.hpp"

namespace kestro::host {

namespace {

namespace fs = std::filesystem;

constexpr int kExitCompleted = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

struct BatchArguments {
  std::vector<fs::path> decks;
  std::optional<fs::path> output_dir;
  unsigned jobs = 0;  // 0: one per core
};

std::optional<BatchArguments> parse(const std::vector<std::string>& args) {
  BatchArguments parsed;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--output-dir" || arg == "-o" || arg == "--jobs" || arg == "-j") {
      if (i + 1 >= args.size()) {
        std::cerr << "kestro: " << arg << " needs a value\n";
        return std::nullopt;
      }
      const std::string& value = args[++i];
      if (arg == "--output-dir" || arg == "-o") {
        parsed.output_dir = value;
        continue;
      }
      char* end = nullptr;
      const long jobs = std::strtol(value.c_str(), &end, 10);
      if (end == value.c_str() || *end != '\0' || jobs < 1 || jobs > 1024) {
        std::cerr << "kestro: --jobs needs a number from 1 to 1024, found " << value << '\n';
        return std::nullopt;
      }
      parsed.jobs = static_cast<unsigned>(jobs);
    } else if (!arg.empty() && arg[0] == '-') {
      std::cerr << "kestro: unknown option " << arg << '\n';
      return std::nullopt;
    } else {
      parsed.decks.emplace_back(arg);
    }
  }
  if (parsed.decks.empty()) {
    std::cerr << "kestro: batch needs at least one input data file\n";
    return std::nullopt;
  }
  return parsed;
}

// Writes text as the file at path: first to a temporary file beside it, then
// moved into place, so a reader never sees half a file.
bool write_whole(const fs::path& path, const std::string& text) {
  const fs::path temporary =
      path.string() + ".part-" + std::to_string(::getpid()) + "-" +
      std::to_string(std::hash<std::thread::id>{}(std::this_thread::get_id()));
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!out.flush()) return false;
  }
  std::error_code error;
  fs::rename(temporary, path, error);
  if (error) fs::remove(temporary, error);
  return !error;
}

// What the summary table shows of one deck.
struct DeckSummary {
  std::string deck;
  std::string outcome;
  bool failed = false;
  int stages = 0;
  int iterations = 0;
  std::optional<double> deflection;  // largest absolute deflection over every stage
  double deflection_depth = 0.0;
  std::optional<double> moment;  // largest absolute moment over every stage
  double moment_depth = 0.0;
  std::string units;  // "in/ft" or "m"
  std::string message;
};

// The outcome of a run whose problems all completed: failed when a problem
// that was solved gave no valid solution.
DeckSummary summarise(const std::string& deck, const MemoryRunResult& run) {
  DeckSummary s;
  s.deck = deck;
  s.outcome = outcome_name(run.outcome);
  s.failed = run.outcome != Outcome::completed;
  s.message = run.message;
  s.stages = static_cast<int>(run.problems.size());
  for (const ProblemResult& problem : run.problems) {
    s.iterations = std::max(s.iterations, problem.iterations);
    if (problem.solved) s.units = problem.units == UnitSystem::si ? "m, kN" : "in, lb (depth ft)";
    if (problem.solved && !problem.results) {
      s.failed = true;
      s.outcome = "no valid solution in stage " + std::to_string(problem.number);
    }
    if (!problem.results) continue;
    for (int I = 0; I <= problem.results->N; ++I) {
      const StationResult& r = problem.results->stations[static_cast<std::size_t>(I)];
      if (!s.deflection || std::abs(r.deflection) > std::abs(*s.deflection)) {
        s.deflection = r.deflection;
        s.deflection_depth = r.X;
      }
      if (!s.moment || std::abs(r.moment) > std::abs(*s.moment)) {
        s.moment = r.moment;
        s.moment_depth = r.X;
      }
    }
  }
  return s;
}

std::string number(const std::optional<double>& value, const char* format) {
  if (!value) return "-";
  char text[32];
  std::snprintf(text, sizeof text, format, *value);
  return text;
}

void print_summary(std::ostream& out, const std::vector<DeckSummary>& rows) {
  std::size_t deck_width = 4;
  std::size_t outcome_width = 7;
  for (const DeckSummary& row : rows) {
    deck_width = std::max(deck_width, row.deck.size());
    outcome_width = std::max(outcome_width, row.outcome.size());
  }
  char line[512];
  const int dw = static_cast<int>(deck_width);
  const int ow = static_cast<int>(outcome_width);
  std::snprintf(line, sizeof line, "%-*s  %-*s  %6s  %5s  %12s  %8s  %12s  %8s  %s", dw, "deck", ow,
                "outcome", "stages", "iter", "max defl.", "at depth", "max moment", "at depth",
                "units");
  out << line << '\n';
  for (const DeckSummary& row : rows) {
    std::snprintf(line, sizeof line, "%-*s  %-*s  %6d  %5d  %12s  %8s  %12s  %8s  %s", dw,
                  row.deck.c_str(), ow, row.outcome.c_str(), row.stages, row.iterations,
                  number(row.deflection, "%.4E").c_str(),
                  row.deflection ? number(row.deflection_depth, "%.2f").c_str() : "-",
                  number(row.moment, "%.4E").c_str(),
                  row.moment ? number(row.moment_depth, "%.2f").c_str() : "-", row.units.c_str());
    out << line << '\n';
  }
}

}  // namespace

int batch_command(const std::vector<std::string>& args, const char* version) {
  const std::optional<BatchArguments> parsed = parse(args);
  if (!parsed) return kExitUsage;
  const std::vector<fs::path>& decks = parsed->decks;
  unsigned jobs =
      parsed->jobs != 0 ? parsed->jobs : std::max(1u, std::thread::hardware_concurrency());
  jobs = std::min<unsigned>(jobs, static_cast<unsigned>(decks.size()));
  if (parsed->output_dir) {
    std::error_code error;
    fs::create_directories(*parsed->output_dir, error);
    if (!fs::is_directory(*parsed->output_dir)) {
      std::cerr << "kestro: cannot create the output directory " << *parsed->output_dir << '\n';
      return kExitUsage;
    }
  }

  std::vector<DeckSummary> rows(decks.size());
  std::atomic<std::size_t> next{0};
  std::atomic<std::size_t> done{0};
  std::atomic<std::size_t> failures{0};
  std::mutex progress_lock;
  const bool terminal = ::isatty(STDERR_FILENO) != 0;
  const auto start = std::chrono::steady_clock::now();

  const auto show_progress = [&] {
    if (!terminal) return;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::lock_guard<std::mutex> lock(progress_lock);
    std::fprintf(stderr, "\r%zu/%zu decks, %zu failed, %.1f decks/s ", done.load(), decks.size(),
                 failures.load(), seconds > 0.0 ? static_cast<double>(done.load()) / seconds : 0.0);
    std::fflush(stderr);
  };

  const auto work = [&] {
    for (std::size_t k = next++; k < decks.size(); k = next++) {
      const fs::path& deck = decks[k];
      DeckSummary& row = rows[k];
      std::error_code error;
      std::ifstream in(deck, std::ios::binary);
      if (!fs::is_regular_file(deck, error) || !in) {
        row.deck = deck.string();
        row.outcome = "could not start";
        row.failed = true;
        row.message = "cannot read the input data file";
      } else {
        std::ostringstream text;
        text << in.rdbuf();
        const fs::path input = fs::absolute(deck).lexically_normal();
        const fs::path dir =
            fs::absolute(parsed->output_dir.value_or(input.parent_path())).lexically_normal();
        MemoryRunInput run_input;
        run_input.deck = text.str();
        run_input.deck_name =
            input.parent_path() == dir ? input.filename().string() : input.string();
        run_input.version = version;
        run_input.directory = dir.string();
        const MemoryRunResult run = run_in_memory(run_input, system_local_time);
        row = summarise(deck.string(), run);
        const std::string stem = input.stem().string();
        const std::pair<const char*, const std::string*> outputs[] = {
            {".out", &run.report},
            {".plt", &run.plot_data},
            {".mon", &run.monitor},
            {".pyc", &run.py_curves},
            {".epf", &run.earth_pressure}};
        for (const auto& [extension, text_of] : outputs) {
          const fs::path target = dir / (stem + extension);
          // The transient files exist only when a problem generated them.
          const bool transient = text_of == &run.py_curves || text_of == &run.earth_pressure;
          if (transient && text_of->empty()) continue;
          if (target == input) continue;  // never overwrite the deck
          if (!write_whole(target, *text_of)) {
            row.failed = true;
            row.outcome = "cannot write " + target.string();
          }
        }
      }
      if (row.failed) ++failures;
      ++done;
      show_progress();
    }
  };

  std::vector<std::thread> workers;
  for (unsigned j = 1; j < jobs; ++j)
    workers.emplace_back(work);
  work();
  for (std::thread& worker : workers)
    worker.join();
  if (terminal) std::fprintf(stderr, "\n");

  print_summary(std::cout, rows);
  for (const DeckSummary& row : rows) {
    if (!row.message.empty()) std::cerr << row.deck << ": " << row.message << '\n';
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::cout << decks.size() << " decks, " << failures.load() << " failed, " << jobs
            << (jobs == 1 ? " job, " : " jobs, ") << seconds << " s\n";
  return failures.load() == 0 ? kExitCompleted : kExitFailed;
}

}  // namespace kestro::host
