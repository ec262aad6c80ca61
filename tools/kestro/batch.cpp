#include "batch.h"

#include "deck_run.h"
#include "export.h"

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

struct BatchArguments {
  std::vector<fs::path> decks;
  std::optional<fs::path> output_dir;
  unsigned jobs = 0;  // 0: one per core
  ExtraOutputs extra;
  bool json = false;  // NAME.json beside each report
};

std::optional<BatchArguments> parse(const std::vector<std::string>& args) {
  BatchArguments parsed;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--html") {
      parsed.extra.html = true;
    } else if (arg == "--json") {
      parsed.json = true;
    } else if (arg == "--csv") {
      if (i + 1 >= args.size()) {
        std::cerr << "kestro: --csv needs a directory\n";
        return std::nullopt;
      }
      parsed.extra.csv = args[++i];
    } else if (arg == "--output-dir" || arg == "-o" || arg == "--jobs" || arg == "-j") {
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
  const Verdict v = verdict(run);
  s.outcome = v.text.substr(0, v.text.find(':'));
  s.failed = v.exit_status != kExitSolved;
  s.message = run.outcome != Outcome::completed ? run.message : v.text;
  s.stages = static_cast<int>(run.problems.size());
  for (const ProblemResult& problem : run.problems) {
    s.iterations = std::max(s.iterations, problem.iterations);
    if (problem.solved) s.units = problem.units == UnitSystem::si ? "m, kN" : "in, lb (depth ft)";
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
      std::string why;
      const std::optional<DeckFiles> files = deck_files(deck, parsed->output_dir, why);
      if (!files) {
        row.deck = deck.string();
        row.outcome = "could not start";
        row.failed = true;
        row.message = why;
      } else {
        const MemoryRunResult run = run_deck(*files, version);
        row = summarise(deck.string(), run);
        ExtraOutputs extra = parsed->extra;
        if (parsed->json) extra.json = files->dir / (files->input.stem().string() + ".json");
        if (!write_outputs(*files, run, why) || !write_extra_outputs(*files, run, extra, why)) {
          row.failed = true;
          row.outcome = "could not write";
          row.message = why;
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
  return failures.load() == 0 ? kExitSolved : kExitStopped;
}

}  // namespace kestro::host
