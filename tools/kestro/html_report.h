// The HTML report of a run: one self-contained page (inline SVG, inline
// style and a small inline script, nothing fetched when it is opened) with,
// per problem or stage, a summary, a to-scale drawing of the wall in its
// ground, profiles against depth, the p-y curves used, the iteration
// history and the fixed-column report; an envelope over the stages of a
// staged run.
#pragma once

#include <string>
#include <vector>

#include "kestro/kestro.hpp"

namespace kestro::host {

// A summary value as the page shows it: `digits` significant digits (four,
// as the report's station table prints them; five for tie-back forces).
std::string summary_number(double value, int digits = 4);

// The report text of each problem, cut where each problem's header begins;
// the first part also holds whatever precedes the first header.  Fewer
// parts than problems when the report does not have a header per problem.
std::vector<std::string> report_parts(const std::string& report, std::size_t problems);

// The warning lines of a problem's report text ("**** WARNING ****" blocks,
// "Net active pressure is negative.", the solution warnings), one per entry.
std::vector<std::string> report_warnings(const std::string& part);

// The whole page.  deck_name names the deck in the title.
std::string html_report(const std::string& deck_name, const MemoryRunResult& run);

}  // namespace kestro::host
