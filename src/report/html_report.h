// Parts of the HTML page of a run (kestro::html_report in kestro/report.hpp):
// how its summary prints numbers, and the report text cut per problem with
// the warnings it holds.
#pragma once

#include <string>
#include <vector>

#include "kestro/kestro.hpp"

namespace kestro::html {

// A summary value as the page shows it: `digits` significant digits (four,
// as the report's station table prints them; five for tie-back forces).
std::string summary_number(double value, int digits = 4);

// The report text of each problem, cut where each problem's header begins;
// the first part also holds whatever precedes the first header.  Fewer
// parts than problems when the report does not have a header per problem.
std::vector<std::string> report_parts(const std::string& report, std::size_t problems);



// The whole page, as kestro::html_report gives it.
std::string page(const std::string& deck_name, const MemoryRunResult& run);

}  // namespace kestro::html
