#include "batch.h"

#include "console_text.h"
#include "deck_list.h"
#include "deck_run.h"
#include "extra_outputs.h"

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
#include <set>
#include <sstream>
#include <thread>

#include "kestro/kestro.hpp"

namespace kestro::host {

namespace {

namespace fs = std::filesystem;

struct BatchArguments {
  std::vector<fs::path> inputs;  // decks and folders, as given
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
      parsed.inputs.emplace_back(arg);
    }
  }
  if (parsed.inputs.empty()) {
    std::cerr << "kestro: batch needs at least one deck or folder of decks\n";
    return std::nullopt;
  }
  return parsed;
}

// What the summary table shows of one deck.
struct DeckSummary {
  std::string deck;     // as given, or the folder as given joined with the name
  std::string outcome;  // "solved", "completed", "no valid solution", "bad input", ...
  bool failed = false;
  int stages = 0;
  int iterations = 0;
  std::optional<double> deflection;  // largest absolute deflection over every stage
  double deflection_depth = 0.0;
  std::optional<double> moment;  // largest absolute moment over every stage
  double moment_depth = 0.0;
  std::optional<UnitSystem> units;  // of the solved problems
  std::string message;  // why the deck failed, or that it had no wall; printed after the table
};

DeckSummary summarise(const std::string& deck, const MemoryRunResult& run) {
  DeckSummary s;
  s.deck = deck;
  const Verdict v = verdict(run);
  s.failed = v.kind != VerdictKind::solved;
  if (run.outcome != Outcome::completed) {
    s.outcome = outcome_name(run.outcome);
    s.message = run.message;
  } else if (v.kind == VerdictKind::no_valid_solution) {
    s.outcome = "no valid solution";
    s.message = v.text;
  } else if (std::none_of(run.problems.begin(), run.problems.end(),
                          [](const ProblemResult& p) { return p.solved; })) {
    s.outcome = "completed";
    s.message = v.text;
  } else {
    s.outcome = "solved";
  }
  s.stages = static_cast<int>(run.problems.size());
  for (const ProblemResult& problem : run.problems) {
    s.iterations = std::max(s.iterations, problem.iterations);
    if (problem.solved) s.units = problem.units;
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

// The widest line of the summary; the deck names are shortened to keep to it.
constexpr std::size_t kSummaryColumns = 100;

// The table of outcomes, stages, iterations and the largest deflection and
// moment with their depths (at the report's precision), one row per deck,
// then the units of the unit systems that occur.
void print_summary(std::ostream& out, const std::vector<DeckSummary>& rows) {
  const std::vector<std::string> heads = {"deck",  "outcome",    "stages", "iter", "max defl.",
                                          "depth", "max moment", "depth",  "units"};
  // Left-aligned columns; the others are numbers, aligned right.
  const std::vector<bool> left = {true, true, false, false, false, false, false, false, true};
  std::vector<std::vector<std::string>> cells;
  std::set<UnitSystem> systems;
  for (const DeckSummary& row : rows) {
    cells.push_back({row.deck, row.outcome, std::to_string(row.stages),
                     std::to_string(row.iterations), number(row.deflection, "%.3E"),
                     row.deflection ? number(row.deflection_depth, "%.2f") : "-",
                     number(row.moment, "%.3E"),
                     row.moment ? number(row.moment_depth, "%.2f") : "-",
                     row.units ? unit_system_name(*row.units) : "-"});
    if (row.units) systems.insert(*row.units);
  }
  std::vector<std::size_t> widths;
  for (const std::string& head : heads)
    widths.push_back(text_columns(head));
  for (const std::vector<std::string>& line : cells)
    for (std::size_t c = 0; c < line.size(); ++c)
      widths[c] = std::max(widths[c], text_columns(line[c]));
  std::size_t others = 2 * (heads.size() - 1);
  for (std::size_t c = 1; c < heads.size(); ++c)
    others += widths[c];
  const std::size_t deck_room = kSummaryColumns > others + 8 ? kSummaryColumns - others : 8;
  // The decks as given when they all fit; else by their names alone, when
  // those tell them apart (the decks of one folder); else each path shortened
  // on its own.
  if (widths[0] > deck_room) {
    std::set<std::string> names;
    for (const std::vector<std::string>& line : cells)
      names.insert(fs::path(line[0]).filename().string());
    if (names.size() == cells.size()) {
      widths[0] = text_columns(heads[0]);
      for (std::vector<std::string>& line : cells) {
        line[0] = fs::path(line[0]).filename().string();
        widths[0] = std::max(widths[0], text_columns(line[0]));
      }
    }
  }
  widths[0] = std::min(widths[0], deck_room);

  const auto print_line = [&](std::vector<std::string> line) {
    line[0] = shortened_path(line[0], widths[0]);
    std::string text;
    for (std::size_t c = 0; c < line.size(); ++c) {
      const std::string pad(widths[c] - std::min(widths[c], text_columns(line[c])), ' ');
      if (c > 0) text += "  ";
      text += left[c] ? line[c] + (c + 1 < line.size() ? pad : "") : pad + line[c];
    }
    out << text << '\n';
  };
  print_line(heads);
  for (const std::vector<std::string>& line : cells)
    print_line(line);
  std::string legend;
  for (const UnitSystem units : systems) {
    const auto u = [&](Quantity q) { return unit_name(units, q); };
    legend += std::string(legend.empty() ? "units: " : "; ") + unit_system_name(units) +
              " deflection " + u(Quantity::deflection) + ", moment " + u(Quantity::moment) +
              ", depth " + u(Quantity::depth);
  }
  if (!legend.empty()) out << legend << '\n';
}

}  // namespace

int batch_command(const std::vector<std::string>& args, const char* version) {
  const std::optional<BatchArguments> parsed = parse(args);
  if (!parsed) return kExitUsage;
  std::string refusal;
  const std::optional<std::vector<fs::path>> listed = batch_decks(parsed->inputs, refusal);
  if (!listed) {
    std::cerr << "kestro: " << refusal << '\n';
    return kExitUsage;
  }
  const std::vector<fs::path>& decks = *listed;
  refusal = output_clash(decks, parsed->output_dir, parsed->extra.csv.has_value());
  if (!refusal.empty()) {
    std::cerr << "kestro: " << refusal << '\n';
    return kExitUsage;
  }
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
    std::fprintf(stderr, "\r%zu/%zu decks, %zu failed, %s, %.1f decks/s   ", done.load(),
                 decks.size(), failures.load(), duration_text(seconds).c_str(),
                 seconds > 0.0 ? static_cast<double>(done.load()) / seconds : 0.0);
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
  std::cout << decks.size() << (decks.size() == 1 ? " deck, " : " decks, ") << failures.load()
            << " failed, " << jobs << (jobs == 1 ? " job, " : " jobs, ") << duration_text(seconds)
            << '\n';
  return failures.load() == 0 ? kExitSolved : kExitStopped;
}

}  // namespace kestro::host
