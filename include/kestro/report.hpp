/* The renderers of a run held in memory, for programs that link the report
 * library (kestro::report in CMake, kestro-report.pc for pkg-config): the
 * verdict a person can act on, the HTML page, and the results tables as CSV
 * files or one JSON document.  They draw only from the values of
 * kestro/kestro.hpp and kestro/results.h.  Needs C++17 or later. */
#ifndef KESTRO_REPORT_HPP
#define KESTRO_REPORT_HPP

#include <filesystem>
#include <string>
#include <vector>

#include "kestro/kestro.hpp"

namespace kestro {

/* What a run means for the person who asked for it. */
enum class VerdictKind {
  solved,            /* every problem with a wall has a valid solution, or none had a wall */
  stopped,           /* the run ended on bad input, an error stop, or did not start */
  no_valid_solution, /* the run ended, but a stage has no valid solution */
};

struct Verdict {
  VerdictKind kind = VerdictKind::solved;
  /* "solved", "completed (no problem had a wall to solve)", "no valid
   * solution in stage 2: MAX ALLOWABLE DEFLECTION EXCEEDED AT 40 STATIONS",
   * "bad input: wall.dat, line 3, ...". */
  std::string text;
  /* The force residual of each valid solution ("0.0031 %", or per stage
   * "stage 1 0.0031 %, stage 2 0.12 %"); empty when nothing was solved. */
  std::string force_residual;
  /* The warnings of valid solutions, e.g. "stage 2: THE FORCES ON THE WALL
   * BALANCE ONLY TO 1.04 %: ...". */
  std::vector<std::string> warnings;
};

/* The verdict of a run: the first stage without a valid solution decides
 * it, else the run is solved. */
Verdict verdict(const MemoryRunResult& run);

/* The HTML page of a run: one self-contained page (inline SVG, style and a
 * small script, nothing fetched when it is opened) with, per problem or
 * stage, a summary, a to-scale drawing of the wall in its ground, profiles
 * against depth, the p-y curves used, the iteration history and the
 * fixed-column report; an envelope over the stages of a staged run.
 * deck_name names the deck in the title. */
std::string html_report(const std::string& deck_name, const MemoryRunResult& run);

/* A column of an exported table. */
struct ExportColumn {
  std::string name;
  std::string unit; /* empty for counts and numbers without a unit */
};

/* One results table of a problem; integers are held as doubles. */
struct ExportTable {
  std::string name; /* file-name part: "stations", "tiebacks", ... */
  std::vector<ExportColumn> columns;
  std::vector<std::vector<double>> rows;
};

/* Every table of a problem, in a fixed order, each present even when empty:
 * stations (0..N), restraints, tiebacks, node-reactions, pressure,
 * py-curves (one row per point), py-reached (one row per curve, with the
 * ultimate resistance as the curve's largest |p| and the ratio mobilised),
 * iterations. */
std::vector<ExportTable> export_tables(const ProblemResult& problem);

/* Significant digits of an exported number: what a double holds in decimal
 * (DBL_DIG).  Printing more would show the binary rounding of a value such
 * as 3 x 0.1 (0.30000000000000004) instead of the 0.3 it stands for. */
inline constexpr int kExportDigits = 15;

/* A number rounded to kExportDigits significant digits, written as the
 * shortest text of that rounding: "0.3", "40", "1.5e-07",
 * "-125700.123456789"; zero of either sign is "0"; empty for a value that is
 * not finite. */
std::string export_number(double value);

/* The CSV text of a table: a header row "name (unit)", then one row per line. */
std::string csv_text(const ExportTable& table);

/* The CSV files of a run: STEM-pK-TABLE.csv for every problem K and table. */
struct CsvFile {
  std::string name;
  std::string text;
};
std::vector<CsvFile> csv_files(const std::string& stem, const MemoryRunResult& run);

/* Writes the files into dir (made when missing), each whole; false with the
 * reason in `why` when the folder cannot be made or a file cannot be
 * written (the files before it stay written). */
bool write_csv_files(const std::filesystem::path& dir, const std::vector<CsvFile>& files,
                     std::string& why);

/* Writes the CSV files of a run, csv_files(stem, run), into dir as
 * write_csv_files does. */
bool write_csv(const std::filesystem::path& dir, const std::string& stem,
               const MemoryRunResult& run, std::string& why);

/* The JSON document of the run: format and version, deck, outcome, message,
 * verdict, and per problem its summary and the same tables as the CSV
 * files. */
std::string json_document(const std::string& deck, const MemoryRunResult& run);

/* Writes text to path through a private temporary file beside it that is
 * then moved into place, so no reader sees half a file and concurrent
 * writers never mix; false (and no temporary file left) when it cannot. */
bool write_file_whole(const std::filesystem::path& path, const std::string& text);

}  // namespace kestro

#endif /* KESTRO_REPORT_HPP */
