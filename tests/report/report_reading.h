// Reading the numbers back out of the fixed-column report, independently of
// the values the engine hands the host, for comparing exports and pages.
#pragma once

#include <string>
#include <vector>

#include "kestro/kestro.hpp"

namespace kestro::testing {

// The fields of the rows of one results table as printed, e.g.
// {"6", "3.000E+00", "1.225E-01", ...}.
using PrintedRows = std::vector<std::vector<std::string>>;

// Per problem with results, the station rows of its RESULTS table.
std::vector<PrintedRows> printed_station_tables(const std::string& report);

// Per problem with tie-backs, the rows of its TIE BACK RESULTS table.
std::vector<PrintedRows> printed_tieback_tables(const std::string& report);

// A value written with the edit descriptor the report uses (digits after
// the point of an E format), e.g. e_format(125700, 3) == "1.257E+05".
std::string e_format(double value, int digits);

// Runs an example deck of the source tree in memory.
MemoryRunResult run_source_deck(const std::string& relative_path);

}  // namespace kestro::testing
