// kestro: command-line host of the engine.  Writes NAMES.dat for an input
// data file, runs the engine in the output directory and reports the outcome.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "batch.h"
#include "kestro/kestro.hpp"

namespace fs = std::filesystem;

namespace {

constexpr const char* kVersion = "0.1.0";
constexpr std::size_t kMaxFileName = 255;  // the engine reads file names as A255

constexpr int kExitCompleted = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

void print_usage(std::ostream& out) {
  out << "usage: kestro run INPUT [--output-dir DIR]\n"
         "       kestro batch INPUT... [--jobs N] [--output-dir DIR]\n"
         "       kestro --help | --version\n"
         "\n"
         "Runs the retaining-wall analysis of the input data file INPUT.  The run\n"
         "list NAMES.dat and the output files are written to DIR (default: the\n"
         "directory of INPUT):\n"
         "  NAME.out  report          NAME.plt  plot data       NAME.mon  monitor\n"
         "  NAME.pyc  p-y curve file  NAME.epf  earth-pressure file\n"
         "batch runs many decks at once, in memory, on N threads (default: one per\n"
         "core), writes each deck's files as run does (without NAMES.dat) and ends\n"
         "with a summary table; it fails when any deck fails.\n"
         "Exit status: 0 completed, 1 error stop or bad input, 2 usage error.\n";
}

struct Arguments {
  fs::path input;
  std::optional<fs::path> output_dir;
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
  const fs::path input = fs::absolute(args.input).lexically_normal();
  const fs::path dir =
      fs::absolute(args.output_dir.value_or(input.parent_path())).lexically_normal();
  fs::create_directories(dir, error);
  if (!fs::is_directory(dir)) {
    std::cerr << "kestro: cannot create the output directory " << dir << '\n';
    return kExitUsage;
  }

  const std::string stem = input.stem().string();
  const std::string input_name =
      input.parent_path() == dir ? input.filename().string() : input.string();
  const std::vector<std::string> outputs = {stem + ".out", stem + ".plt", stem + ".mon",
                                            stem + ".pyc", stem + ".epf"};
  for (const std::string& name : outputs) {
    if (name.size() > kMaxFileName || input_name.size() > kMaxFileName) {
      std::cerr << "kestro: file names longer than " << kMaxFileName
                << " characters cannot be passed to the engine\n";
      return kExitUsage;
    }
  }
  {
    std::ofstream names(dir / "NAMES.dat", std::ios::binary | std::ios::trunc);
    names << kVersion << "\n"
          << "kestro command-line host\n"
          << "\n"
          << "0\n"
          << input_name << '\n';
    for (const std::string& name : outputs)
      names << name << '\n';
    if (!names.flush()) {
      std::cerr << "kestro: cannot write " << (dir / "NAMES.dat") << '\n';
      return kExitFailed;
    }
  }

  const kestro::RunResult result = kestro::run(dir, std::cerr, kestro::system_local_time);
  std::cout << "report:    " << (dir / outputs[0]).string() << '\n'
            << "plot data: " << (dir / outputs[1]).string() << '\n'
            << "monitor:   " << (dir / outputs[2]).string() << '\n'
            << "outcome:   " << kestro::outcome_name(result.outcome);
  if (!result.message.empty()) std::cout << ": " << result.message;
  std::cout << '\n';
  return result.outcome == kestro::Outcome::completed ? kExitCompleted : kExitFailed;
}

}  // namespace

namespace {

int run_host(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    print_usage(std::cerr);
    return kExitUsage;
  }
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    print_usage(std::cout);
    return kExitCompleted;
  }
  if (args[0] == "--version") {
    std::cout << "kestro " << kVersion << '\n';
    return kExitCompleted;
  }
  if (args[0] == "batch") return kestro::host::batch_command(args, kVersion);
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
  return kExitFailed;
}
