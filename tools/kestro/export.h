// The results of a run as tables for other programs: one CSV file per table
// and problem, or one JSON document holding the same tables.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "deck_run.h"
#include "kestro/kestro.hpp"

namespace kestro::host {

struct Column {
  std::string name;
  std::string unit;  // empty for counts and numbers without a unit
};

// One table of a problem; integers are held as doubles.
struct Table {
  std::string name;  // file-name part: "stations", "tiebacks", ...
  std::vector<Column> columns;
  std::vector<std::vector<double>> rows;
};

// Every table of a problem, in a fixed order, each present even when empty:
// stations (0..N), restraints, tiebacks, node-reactions, pressure,
// py-curves (one row per point), py-reached (one row per curve, with the
// ultimate resistance as the curve's largest |p| and the ratio mobilised),
// iterations.
std::vector<Table> problem_tables(const ProblemResult& problem);

// Significant digits of an exported number: what a double holds in decimal
// (DBL_DIG).  Printing more would show the binary rounding of a value such
// as 3 x 0.1 (0.30000000000000004) instead of the 0.3 it stands for.
inline constexpr int kExportDigits = 15;

// A number rounded to kExportDigits significant digits, written as the
// shortest text of that rounding: "0.3", "40", "1.5e-07", "-125700.123456789";
// zero of either sign is "0"; empty for a value that is not finite.
std::string number_text(double value);

// The CSV text of a table: a header row "name (unit)", then one row per line.
std::string csv_text(const Table& table);

// Writes STEM-pK-TABLE.csv into dir for every problem K and table, each
// whole; false with the reason in `why` when a file cannot be written.
bool write_csv(const std::filesystem::path& dir, const std::string& stem,
               const MemoryRunResult& run, std::string& why);

// The JSON document of the run: deck, outcome, and per problem its summary
// and the same tables as the CSV files.
std::string json_document(const std::string& deck, const MemoryRunResult& run);

// What a run writes besides its report, plot-data and monitor files.
struct ExtraOutputs {
  bool html = false;                          // NAME.html beside the report
  std::optional<std::filesystem::path> csv;   // directory of the CSV files
  std::optional<std::filesystem::path> json;  // the JSON document
};

// Writes the extra outputs of a deck's run, each whole; false with the
// reason in `why` when one cannot be written or would overwrite the deck.
bool write_extra_outputs(const DeckFiles& files, const MemoryRunResult& run,
                         const ExtraOutputs& extra, std::string& why);

}  // namespace kestro::host
