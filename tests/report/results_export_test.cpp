// The CSV and JSON export read back as another program would read them, and
// compared with the numbers of the fixed-column report at its precision.
#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <memory>
#include <sstream>

#include "kestro/report.hpp"
#include "report/report_reading.h"
#include "support/run_fixture.h"

namespace kestro {
namespace {

using testing::e_format;

// A small JSON reader, enough for the export: objects, arrays, strings
// (without escapes beyond \" \\ \n), numbers, true, false, null.
struct Json {
  enum Kind { null, boolean, number, string, array, object } kind = null;
  double value = 0.0;
  std::string text;
  std::vector<Json> items;
  std::map<std::string, Json> fields;
  const Json& operator[](const std::string& key) const { return fields.at(key); }
  const Json& operator[](std::size_t i) const { return items.at(i); }
};

class JsonReader {
 public:
  explicit JsonReader(const std::string& text) : s_(text) {}
  Json document() {
    Json j = value();
    blank();
    if (at_ != s_.size()) throw std::runtime_error("text after the document");
    return j;
  }

 private:
  void blank() {
    while (at_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[at_])))
      ++at_;
  }
  void expect(char c) {
    blank();
    if (at_ >= s_.size() || s_[at_] != c)
      throw std::runtime_error(std::string("expected ") + c + " at " + std::to_string(at_));
    ++at_;
  }
  std::string string() {
    expect('"');
    std::string out;
    while (at_ < s_.size() && s_[at_] != '"') {
      if (s_[at_] == '\\') {
        ++at_;
        out += s_[at_] == 'n' ? '\n' : s_[at_];
      } else {
        out += s_[at_];
      }
      ++at_;
    }
    expect('"');
    return out;
  }
  Json value() {
    blank();
    Json j;
    const char c = at_ < s_.size() ? s_[at_] : '\0';
    if (c == '{') {
      j.kind = Json::object;
      ++at_;
      blank();
      if (s_[at_] == '}') return ++at_, j;
      do {
        std::string key = string();
        expect(':');
        j.fields[key] = value();
        blank();
      } while (s_[at_++] == ',');
      if (s_[at_ - 1] != '}') throw std::runtime_error("unclosed object");
    } else if (c == '[') {
      j.kind = Json::array;
      ++at_;
      blank();
      if (s_[at_] == ']') return ++at_, j;
      do {
        j.items.push_back(value());
        blank();
      } while (s_[at_++] == ',');
      if (s_[at_ - 1] != ']') throw std::runtime_error("unclosed array");
    } else if (c == '"') {
      j.kind = Json::string;
      j.text = string();
    } else if (s_.compare(at_, 4, "null") == 0) {
      at_ += 4;
    } else if (s_.compare(at_, 4, "true") == 0 || s_.compare(at_, 5, "false") == 0) {
      j.kind = Json::boolean;
      j.value = c == 't' ? 1.0 : 0.0;
      at_ += c == 't' ? 4 : 5;
    } else {
      j.kind = Json::number;
      const auto [end, error] = std::from_chars(s_.data() + at_, s_.data() + s_.size(), j.value);
      if (error != std::errc()) throw std::runtime_error("bad number at " + std::to_string(at_));
      at_ = static_cast<std::size_t>(end - s_.data());
    }
    return j;
  }
  const std::string& s_;
  std::size_t at_ = 0;
};

std::vector<std::vector<std::string>> read_csv(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::vector<std::vector<std::string>> rows;
  for (std::string line; std::getline(in, line);) {
    std::vector<std::string> cells;
    std::istringstream cells_in(line);
    for (std::string cell; std::getline(cells_in, cell, ',');)
      cells.push_back(cell);
    rows.push_back(cells);
  }
  return rows;
}

double to_double(const std::string& text) {
  double value = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  EXPECT_TRUE(error == std::errc() && end == text.data() + text.size()) << text;
  return value;
}

// The report prints 0 for a value that rounds to zero of either sign.
std::string printed(double value, int digits) {
  std::string text = e_format(value, digits);
  if (text.rfind("-0.", 0) == 0 && text.find_first_not_of("0.", 1) == text.find('E'))
    text.erase(0, 1);
  return text;
}

// Every bundled deck: the examples and the whole-run decks of the tests.
std::vector<std::string> bundled_decks() {
  std::vector<std::string> decks;
  for (const char* folder : {"examples", "tests/decks"}) {
    for (const auto& entry :
         std::filesystem::directory_iterator(std::string(KESTRO_SOURCE_DIR) + "/" + folder)) {
      if (entry.path().extension() == ".dat")
        decks.push_back(std::string(folder) + "/" + entry.path().filename().string());
    }
  }
  std::sort(decks.begin(), decks.end());
  return decks;
}

// The significant digits of a number as text: "0.000125" has 3, "-1.5e-07" 2.
int significant_digits(const std::string& text) {
  const std::string mantissa = text.substr(0, text.find_first_of("eE"));
  const std::size_t first = mantissa.find_first_of("123456789");
  if (first == std::string::npos) return 1;
  int digits = 0;
  for (std::size_t i = first; i < mantissa.size(); ++i)
    digits += std::isdigit(static_cast<unsigned char>(mantissa[i])) ? 1 : 0;
  return digits;
}

// Numbers keep what a double holds, and not the binary rounding beyond it.
TEST(ResultsExport, NumbersAreWrittenToFifteenSignificantDigits) {
  const struct {
    double value;
    const char* expected;
  } rows[] = {
      {3 * 0.1, "0.3"},  // 0.30000000000000004 as the shortest round trip
      {0.1 + 0.2, "0.3"},
      {6 * 1.2 / 12, "0.6"},
      {14548.800000000001, "14548.8"},
      {241.79999999999998, "241.8"},
      {40.0, "40"},
      {3999999999.0, "3999999999"},
      {1.0 / 3.0, "0.333333333333333"},
      {-2.0 / 3.0, "-0.666666666666667"},
      {60.0000000000734, "60.0000000000734"},  // a solution's own error is kept
      {1.5e-7, "1.5e-07"},
      {123456789012345678.0, "1.23456789012346e+17"},
      {-0.0, "0"},
      {0.0, "0"},
      {std::numeric_limits<double>::infinity(), ""},
      {std::numeric_limits<double>::quiet_NaN(), ""},
  };
  for (const auto& row : rows)
    EXPECT_EQ(export_number(row.value), row.expected) << row.expected;
}

// A plate of 40 increments of 1.2 in: the depth X of station I is 0.1*I ft,
// written as such in the CSV files and the JSON document.
TEST(ResultsExport, DepthsCarryNoBinaryNoise) {
  MemoryRunInput input;
  input.deck =
      "STRIP\n1 0 1 1 0 0 3 0 1 0 0 0\n40 1.2 1.0 0.001 0 12 48 50 0 0\n0.0 4.0 1\n0 0 0 0\n"
      "'PLATE'\n10 0 0 0 0 0 0 0\n0 0 0 500 0 0 0 0 29E6 0 0 0\n0 0 0 0 0\n'X'\n0 0\n1\n"
      "1 0 0 1000 0 0\n1\n4 40 1 5000 0\n0\n";
  const MemoryRunResult run = run_in_memory(input, testing::fixed_time);
  ASSERT_TRUE(run.problems.size() == 1 && run.problems[0].results) << run.message;
  testing::RunDirectory dir;
  std::string why;
  ASSERT_TRUE(write_csv(dir.path(), "strip", run, why)) << why;
  const auto stations = read_csv(dir.path() / "strip-p1-stations.csv");
  ASSERT_EQ(stations.size(), 42u);
  const char* depths[] = {"0",   "0.1", "0.2", "0.3", "0.4", "0.5", "0.6", "0.7", "0.8",
                          "0.9", "1",   "1.1", "1.2", "1.3", "1.4", "1.5", "1.6", "1.7",
                          "1.8", "1.9", "2",   "2.1", "2.2", "2.3", "2.4", "2.5", "2.6",
                          "2.7", "2.8", "2.9", "3",   "3.1", "3.2", "3.3", "3.4", "3.5",
                          "3.6", "3.7", "3.8", "3.9", "4"};
  for (std::size_t I = 0; I <= 40; ++I)
    EXPECT_EQ(stations[I + 1][1], depths[I]) << "station " << I;
  const std::string json = json_document("strip.dat", run);
  EXPECT_NE(json.find("[3, 0.3, "), std::string::npos);
  EXPECT_NE(json.find("[7, 0.7, "), std::string::npos);
}

// No number of any bundled deck's CSV files or JSON document shows more
// digits than a double holds.
TEST(ResultsExport, NoExportedNumberHasMoreThanFifteenDigits) {
  std::size_t numbers = 0;
  for (const std::string& deck : bundled_decks()) {
    SCOPED_TRACE(deck);
    const MemoryRunResult run = testing::run_source_deck(deck);
    testing::RunDirectory dir;
    std::string why;
    ASSERT_TRUE(write_csv(dir.path(), "d", run, why)) << why;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
      const auto table = read_csv(entry.path());
      for (std::size_t r = 1; r < table.size(); ++r) {
        for (const std::string& cell : table[r]) {
          EXPECT_LE(significant_digits(cell), 15) << entry.path().filename() << ": " << cell;
          ++numbers;
        }
      }
    }
    const std::string json = json_document("d.dat", run);
    for (std::size_t at = json.find_first_of("0123456789"); at != std::string::npos;
         at = json.find_first_of("0123456789", at)) {
      const std::size_t end = json.find_first_not_of("0123456789.eE+-", at);
      EXPECT_LE(significant_digits(json.substr(at, end - at)), 15) << json.substr(at, end - at);
      at = end;
    }
  }
  EXPECT_GT(numbers, 10000u);
}

// The station table and the tie-back table of the CSV files agree with the
// report at its printed precision, column by column, for every bundled deck
// (English and SI, with tie-backs, staged).
TEST(ResultsExport, CsvTablesMatchTheReportAtPrintedPrecision) {
  for (const std::string& deck : bundled_decks()) {
    SCOPED_TRACE(deck);
    const MemoryRunResult run = testing::run_source_deck(deck);
    ASSERT_EQ(run.outcome, Outcome::completed) << run.message;
    testing::RunDirectory dir;
    std::string why;
    ASSERT_TRUE(write_csv(dir.path(), "deck", run, why)) << why;
    const std::vector<testing::PrintedRows> stations = testing::printed_station_tables(run.report);
    const std::vector<testing::PrintedRows> tiebacks = testing::printed_tieback_tables(run.report);
    std::size_t with_results = 0;
    std::size_t with_tiebacks = 0;
    for (const ProblemResult& problem : run.problems) {
      const std::string prefix = "deck-p" + std::to_string(problem.number) + "-";
      const auto table = read_csv(dir.path() / (prefix + "stations.csv"));
      ASSERT_FALSE(table.empty());
      const bool english = problem.units == UnitSystem::english;
      EXPECT_EQ(table[0][1], english ? "X (ft)" : "X (m)");
      EXPECT_EQ(table[0][4], english ? "moment (lb-in)" : "moment (kN-m)");
      if (!problem.results) continue;
      ASSERT_LT(with_results, stations.size());
      const testing::PrintedRows& report_rows = stations[with_results++];
      ASSERT_EQ(table.size(), report_rows.size() + 1);
      for (std::size_t r = 0; r < report_rows.size(); ++r) {
        EXPECT_EQ(table[r + 1][0], report_rows[r][0]);
        for (std::size_t c = 1; c < 9; ++c) {
          EXPECT_EQ(printed(to_double(table[r + 1][c]), 3), report_rows[r][c])
              << "station " << report_rows[r][0] << ", column " << table[0][c];
        }
      }
      const auto ties = read_csv(dir.path() / (prefix + "tiebacks.csv"));
      ASSERT_FALSE(ties.empty());
      EXPECT_EQ(ties[0].back(), english ? "force per tie-back (lb)" : "force per tie-back (kN)");
      if (ties.size() == 1) continue;
      ASSERT_LT(with_tiebacks, tiebacks.size());
      const testing::PrintedRows& tie_rows = tiebacks[with_tiebacks++];
      ASSERT_EQ(ties.size(), tie_rows.size() + 1);
      for (std::size_t r = 0; r < tie_rows.size(); ++r) {
        EXPECT_EQ(ties[r + 1][1], tie_rows[r][1]);                         // station
        EXPECT_EQ(printed(to_double(ties[r + 1][2]), 3), tie_rows[r][2]);  // depth
        EXPECT_EQ(printed(to_double(ties[r + 1][7]), 4), tie_rows[r][3]);  // horizontal
        EXPECT_EQ(printed(to_double(ties[r + 1][8]), 4), tie_rows[r][4]);  // along
        EXPECT_EQ(printed(to_double(ties[r + 1][9]), 4), tie_rows[r][5]);  // per tie-back
      }
    }
    EXPECT_EQ(with_results, stations.size());
    EXPECT_EQ(with_tiebacks, tiebacks.size());
  }
}

// The user curves of the tied-back wall as the deck gives them: the curve
// at station 20 has points p = 0, -300, -450, -500 lb/in times a
// p-multiplier of 0.2, so its ultimate resistance is 100 lb/in.
TEST(ResultsExport, CurvesCarryTheirPointsAndTheMobilisedRatio) {
  const MemoryRunResult run = testing::run_source_deck("examples/tied-back-wall.dat");
  testing::RunDirectory dir;
  std::string why;
  ASSERT_TRUE(write_csv(dir.path(), "w", run, why)) << why;
  const auto points = read_csv(dir.path() / "w-p1-py-curves.csv");
  ASSERT_EQ(points.size(), 1u + 5 * 4);
  EXPECT_EQ(points[0][4], "y (in)");
  EXPECT_EQ(points[0][5], "p (lb/in)");
  EXPECT_EQ(points[2][1], "20");
  EXPECT_DOUBLE_EQ(to_double(points[2][4]), 0.1);
  EXPECT_DOUBLE_EQ(to_double(points[2][5]), -60.0);
  const auto reached = read_csv(dir.path() / "w-p1-py-reached.csv");
  ASSERT_EQ(reached.size(), 6u);
  EXPECT_DOUBLE_EQ(to_double(reached[1][5]), 100.0);
  // The station's deflection, as the report prints it (station 20: 1.426E-01).
  EXPECT_EQ(printed(to_double(reached[1][3]), 3), "1.426E-01");
  const double ratio = to_double(reached[1][6]);
  EXPECT_NEAR(ratio, std::abs(to_double(reached[1][4])) / 100.0, 1e-12);
  EXPECT_GT(ratio, 0.6);  // beyond the first point (0.1 in, 60 of 100)
  EXPECT_LE(ratio, 1.0);
  // One history row per iteration the report counts.
  const auto history = read_csv(dir.path() / "w-p1-iterations.csv");
  EXPECT_EQ(history.size(), 1u + run.problems[0].history.size());
  EXPECT_EQ(history[0][2], "largest change of deflection (in)");
}

// The JSON document holds exactly the numbers of the CSV files, reads back
// with a standard grammar, and names the units of every column.
TEST(ResultsExport, JsonHoldsTheSameTablesAsTheCsvFiles) {
  for (const char* deck : {"tests/decks/staged-si.dat", "examples/cantilever-layered-soil.dat",
                           "examples/control-records.dat"}) {
    SCOPED_TRACE(deck);
    const MemoryRunResult run = testing::run_source_deck(deck);
    testing::RunDirectory dir;
    std::string why;
    ASSERT_TRUE(write_csv(dir.path(), "d", run, why)) << why;
    const std::string text = json_document("deck.dat", run);
    Json doc;
    ASSERT_NO_THROW(doc = JsonReader(text).document()) << text.substr(0, 400);
    EXPECT_EQ(doc["deck"].text, "deck.dat");
    EXPECT_EQ(doc["outcome"].text, "completed");
    ASSERT_EQ(doc["problems"].items.size(), run.problems.size());
    for (std::size_t k = 0; k < run.problems.size(); ++k) {
      const Json& problem = doc["problems"][k];
      EXPECT_EQ(problem["units"].text, run.problems[k].units == UnitSystem::si ? "SI" : "English");
      EXPECT_EQ(problem["iterations"].value, run.problems[k].iterations);
      const Json& tables = problem["tables"];
      EXPECT_EQ(tables.fields.size(), 8u);
      for (const auto& [name, table] : tables.fields) {
        const auto csv =
            read_csv(dir.path() / ("d-p" + std::to_string(k + 1) + "-" + name + ".csv"));
        ASSERT_FALSE(csv.empty()) << name;
        ASSERT_EQ(table["columns"].items.size(), csv[0].size()) << name;
        for (std::size_t c = 0; c < csv[0].size(); ++c) {
          const Json& column = table["columns"][c];
          const std::string head =
              column["name"].text +
              (column["unit"].text.empty() ? "" : " (" + column["unit"].text + ")");
          EXPECT_EQ(head, csv[0][c]);
        }
        ASSERT_EQ(table["rows"].items.size() + 1, csv.size()) << name;
        for (std::size_t r = 0; r < table["rows"].items.size(); ++r)
          for (std::size_t c = 0; c < csv[r + 1].size(); ++c)
            EXPECT_EQ(table["rows"][r][c].value, to_double(csv[r + 1][c])) << name << " " << r;
      }
    }
  }
}

}  // namespace
}  // namespace kestro
