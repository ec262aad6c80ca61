// kestro: command-line host of the engine.  Runs input data files in memory,
// writes their output files whole into the output directory and reports
// the outcome.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "batch.h"
#include "convert.h"
#include "deck_run.h"
#include "extra_outputs.h"
#include "kestro/kestro.hpp"

namespace fs = std::filesystem;

namespace {

constexpr const char* kVersion = "0.1.0";
using kestro::host::kExitSolved;
using kestro::host::kExitStopped;
using kestro::host::kExitUsage;
constexpr int kExitFindings = 4;

void print_usage(std::ostream& out) {
  out << "usage: kestro run INPUT [--output-dir DIR] [--html] [--csv DIR] [--json FILE]\n"
         "       kestro batch INPUT|FOLDER... [--jobs N] [--output-dir DIR] [--html]\n"
         "                    [--csv DIR] [--json]\n"
         "       kestro check INPUT\n"
         "       kestro convert IN OUT\n"
         "       kestro schema [FILE]\n"
         "       kestro --help | --version\n"
         "\n"
         "Runs the retaining-wall analysis of the input data file INPUT.  The output\n"
         "files are written to DIR (default: the directory of INPUT), each whole,\n"
         "once the run is over:\n"
         "  NAME.out  report          NAME.plt  plot data       NAME.mon  monitor\n"
         "  NAME.pyc  p-y curve file  NAME.epf  earth-pressure file\n"
         "--html also writes NAME.html, a self-contained page with the results drawn;\n"
         "--csv DIR writes one CSV file per table and problem into DIR, --json FILE\n"
         "the same tables as one JSON document (batch: NAME.json beside the report).\n"
         "batch runs many decks at once, in memory, on N threads (default: one per\n"
         "core), writes each deck's files as run does (without NAMES.dat) and ends\n"
         "with a summary table; it fails when any deck fails.  A FOLDER stands for\n"
         "the *.dat files directly in it (not NAMES.dat), in name order.\n"
         "check reads INPUT without solving and lists, graded error, warning or\n"
         "note, what looks inconsistent or like a unit mistake; it exits 0 for\n"
         "notes at most, 4 for a warning, 1 when the engine stops on the deck.\n"
         "A deck whose name ends in .json is read in the JSON form (docs/deck-json.md);\n"
         "convert writes the deck IN as OUT, each in the form its name says, and\n"
         "schema prints the JSON Schema of that form (or writes it to FILE).\n"
         "Exit status: 0 solved (every stage has a valid solution, or there was no\n"
         "wall to solve), 1 bad input or an error stop, 2 usage error, 3 the run\n"
         "ended but a stage has no valid solution (allowable deflection exceeded,\n"
         "no convergence, deflections not finite).\n";
}

struct Arguments {
  fs::path input;
  std::optional<fs::path> output_dir;
  kestro::host::ExtraOutputs extra;
};

// Parses `run INPUT [--output-dir DIR]`; prints the reason and returns
// nothing on a usage error.
std::optional<Arguments> parse_run_arguments(const std::vector<std::string>& args) {
  Arguments parsed;
  bool have_input = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--output-dir" || arg == "-o") {
      if (i + 1 >= args.size()) {
        std::cerr << "kestro: " << arg << " needs a directory\n";
        return std::nullopt;
      }
      parsed.output_dir = args[++i];
    } else if (arg.rfind("--output-dir=", 0) == 0) {
      parsed.output_dir = arg.substr(13);
    } else if (arg == "--html") {
      parsed.extra.html = true;
    } else if (arg == "--csv" || arg == "--json") {
      if (i + 1 >= args.size()) {
        std::cerr << "kestro: " << arg
                  << (arg == "--csv" ? " needs a directory\n" : " needs a file\n");
        return std::nullopt;
      }
      (arg == "--csv" ? parsed.extra.csv : parsed.extra.json) = args[++i];
    } else if (arg.rfind("--csv=", 0) == 0) {
      parsed.extra.csv = arg.substr(6);
    } else if (arg.rfind("--json=", 0) == 0) {
      parsed.extra.json = arg.substr(7);
    } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
      std::cerr << "kestro: unknown option " << arg << '\n';
      return std::nullopt;
    } else if (have_input) {
      std::cerr << "kestro: only one input file may be given\n";
      return std::nullopt;
    } else {
      parsed.input = arg;
      have_input = true;
    }
  }
  if (!have_input) {
    std::cerr << "kestro: run needs an input data file\n";
    return std::nullopt;
  }
  return parsed;
}

int run_command(const Arguments& args) {
  std::error_code error;
  if (!fs::is_regular_file(args.input, error)) {
    std::cerr << "kestro: no input data file " << args.input << '\n';
    return kExitUsage;
  }
  std::string why;
  const std::optional<kestro::host::DeckFiles> files =
      kestro::host::deck_files(args.input, args.output_dir, why);
  if (!files) {
    std::cerr << "kestro: " << why << '\n';
    return kExitUsage;
  }
  const kestro::MemoryRunResult run = kestro::host::run_deck(*files, kVersion);
  // The stop message ends the console text; the outcome line says it once.
  std::string_view console = run.console;
  const std::string stop_line = run.message + "\n";
  if (run.outcome != kestro::Outcome::completed && console.ends_with(stop_line)) {
    console.remove_suffix(stop_line.size());
  }
  std::cerr << console;
  if (!kestro::host::write_outputs(*files, run, why)) {
    std::cerr << "kestro: " << why << '\n';
    return kExitStopped;
  }
  if (!kestro::host::write_extra_outputs(*files, run, args.extra, why)) {
    std::cerr << "kestro: " << why << '\n';
    return kExitStopped;
  }
  const kestro::Verdict verdict = kestro::verdict(run);
  std::cout << "report:    " << files->report.string() << '\n'
            << "plot data: " << files->plot_data.string() << '\n'
            << "monitor:   " << files->monitor.string() << '\n';
  if (args.extra.html) std::cout << "html:      " << files->html.string() << '\n';
  if (args.extra.csv) std::cout << "csv:       " << args.extra.csv->string() << '\n';
  if (args.extra.json) std::cout << "json:      " << args.extra.json->string() << '\n';
  std::cout << "outcome:   " << verdict.text;
  if (!verdict.force_residual.empty())
    std::cout << " (force residual " << verdict.force_residual << ")";
  std::cout << '\n';
  for (const std::string& warning : verdict.warnings)
    std::cout << "warning:   " << warning << '\n';
  return kestro::host::exit_status(verdict);
}

}  // namespace

// `kestro check DECK`: reads the deck as a run would, without solving, and
// lists what looks inconsistent or like a unit mistake.
int check_command(const std::vector<std::string>& args) {
  if (args.size() != 2) {
    std::cerr << "kestro: check needs exactly one input data file\n";
    return kExitUsage;
  }
  const fs::path deck = args[1];
  std::ifstream in(deck, std::ios::binary);
  std::error_code error;
  if (!fs::is_regular_file(deck, error) || !in) {
    std::cerr << "kestro: no input data file " << deck << '\n';
    return kExitUsage;
  }
  std::ostringstream text;
  text << in.rdbuf();
  kestro::MemoryRunInput input;
  input.deck_name = deck.filename().string();
  kestro::host::set_deck_text(input, text.str(), input.deck_name);
  const kestro::DeckCheckResult result = kestro::check_deck(input);
  for (const kestro::DeckFinding& finding : result.findings) {
    std::cout << input.deck_name;
    if (finding.line != 0) std::cout << ", line " << finding.line;
    if (!finding.path.empty()) std::cout << ": " << finding.path;
    std::cout << " (problem " << finding.problem
              << "): " << kestro::finding_grade_name(finding.grade) << ": " << finding.text << '\n';
  }
  if (result.findings.empty()) std::cout << input.deck_name << ": no findings\n";
  if (result.outcome != kestro::Outcome::completed) return kExitStopped;
  return kestro::check_needs_attention(result) ? kExitFindings : kExitSolved;
}

namespace {

int run_host(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    print_usage(std::cerr);
    return kExitUsage;
  }
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    print_usage(std::cout);
    return kExitSolved;
  }
  if (args[0] == "--version") {
    std::cout << "kestro " << kVersion << '\n';
    return kExitSolved;
  }
  if (args[0] == "batch") return kestro::host::batch_command(args, kVersion);
  if (args[0] == "check") return check_command(args);
  if (args[0] == "convert") return kestro::host::convert_command(args);
  if (args[0] == "schema") return kestro::host::schema_command(args);
  if (args[0] != "run") {
    std::cerr << "kestro: unknown command " << args[0] << '\n';
    print_usage(std::cerr);
    return kExitUsage;
  }
  std::optional<Arguments> parsed = parse_run_arguments(args);
  if (!parsed) return kExitUsage;
  return run_command(*parsed);
}

}  // namespace

// Nothing escapes the host: whatever goes wrong outside the engine's own
// reporting (a full disk, no memory) ends with a message and a failure status.
int main(int argc, char** argv) {
  try {
    return run_host(argc, argv);
  } catch (const std::exception& error) {
    std::cerr << "kestro: " << error.what() << '\n';
  } catch (...) {
    std::cerr << "kestro: unexpected failure\n";
  }
  return kExitStopped;
}
