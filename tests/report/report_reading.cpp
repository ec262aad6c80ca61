#include "report/report_reading.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace kestro::testing {

namespace {

std::vector<std::string> fields(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> out;
  for (std::string f; in >> f;)
    out.push_back(f);
  return out;
}

bool is_integer(const std::string& text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

// The rows of every table whose heading line contains `heading`: the lines
// after it that begin with an integer, up to the first empty line after
// them.
std::vector<PrintedRows> tables_after(const std::string& report, const std::string& heading,
                                      std::size_t columns) {
  std::vector<PrintedRows> tables;
  std::istringstream in(report);
  bool inside = false;
  for (std::string line; std::getline(in, line);) {
    if (line.find(heading) != std::string::npos) {
      tables.emplace_back();
      inside = true;
      continue;
    }
    if (!inside) continue;
    const std::vector<std::string> f = fields(line);
    if (f.size() == columns && is_integer(f[0])) {
      tables.back().push_back(f);
    } else if (f.empty() && !tables.back().empty()) {
      inside = false;
    }
  }
  return tables;
}

}  // namespace

std::vector<PrintedRows> printed_station_tables(const std::string& report) {
  return tables_after(report, "STA I      X         DEFL.", 9);
}

std::vector<PrintedRows> printed_tieback_tables(const std::string& report) {
  return tables_after(report, "HOR.FORCE/STA.", 6);
}

std::string e_format(double value, int digits) {
  char text[40];
  std::snprintf(text, sizeof text, "%.*E", digits, value);
  return text;
}

MemoryRunResult run_source_deck(const std::string& relative_path) {
  std::ifstream in(std::string(KESTRO_SOURCE_DIR) + "/" + relative_path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  MemoryRunInput input;
  input.deck = text.str();
  input.deck_name = relative_path.substr(relative_path.rfind('/') + 1);
  return run_in_memory(input, [] { return LocalTime{2024, 3, 5, 9, 7, 3}; });
}

}  // namespace kestro::testing
