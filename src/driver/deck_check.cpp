// The deck check: every problem read as a run reads it, then judged on what
// the engine accepts but an engineer would not have meant.
#include <algorithm>
#include <cmath>
#include <sstream>

#include "driver/run.h"

namespace kestro {

namespace {

constexpr double kInchesPerFoot = 12.0;
// N*h and the height of wall may differ by this fraction before it is said.
constexpr double kHeightTolerance = 0.01;

std::string number(double value) {
  std::ostringstream text;
  text << value;
  return text.str();
}

void check_problem(const RunContext& context, std::vector<DeckFinding>& findings) {
  const ProblemState& p = context.problem;
  const Geometry& g = p.geometry;
  const bool english = p.control.units == UnitSystem::english;
  const char* length = english ? "in" : "m";
  const char* depth_unit = english ? "ft" : "m";
  const auto find = [&](std::size_t line, std::string text) {
    findings.push_back(DeckFinding{context.run.problem, line, std::move(text)});
  };

  const double wall_length = g.N * g.h;
  if (std::abs(wall_length - g.wall_height) > kHeightTolerance * std::abs(g.wall_height)) {
    find(g.line, "N*h = " + number(wall_length) + " " + length + ", but the height of wall is " +
                     number(g.wall_height) + " " + length +
                     " (the analysis uses N*h; is the increment length or the height in the "
                     "wrong unit?)");
  }
  if (english && g.h < 1.0) {
    find(g.line, "the increment length is " + number(g.h) +
                     " in: lengths of the geometry record are in inches in English units; was "
                     "it given in feet?");
  }
  if (english && g.width < 2.0) {
    find(g.line, "the analysis width is " + number(g.width) +
                     " in: it is in inches in English units (12 for a wall one foot wide); was "
                     "it given in feet?");
  }
  if (!english && g.width > 50.0) {
    find(g.line, "the analysis width is " + number(g.width) +
                     " m: it is in metres in SI units; was it given in millimetres?");
  }

  // Wall sections, in feet or metres, must cover the wall from top to bottom.
  const double bottom = english ? wall_length / kInchesPerFoot : wall_length;
  std::vector<WallSection> sections = p.tables.wall_sections;
  std::sort(sections.begin(), sections.end(),
            [](const WallSection& a, const WallSection& b) { return a.top < b.top; });
  double covered = 0.0;
  for (const WallSection& section : sections) {
    if (section.bottom < section.top) {
      find(section.line, "the wall section runs upwards: top " + number(section.top) + " " +
                             depth_unit + ", bottom " + number(section.bottom) + " " + depth_unit);
    }
    if (section.top > covered + 1e-6 * std::max(1.0, bottom)) {
      find(section.line, "no wall section covers the depths " + number(covered) + " to " +
                             number(section.top) + " " + depth_unit +
                             " (the nearest section's EI is used there)");
    }
    covered = std::max(covered, section.bottom);
  }
  if (!sections.empty() && covered < bottom - 1e-6 * std::max(1.0, bottom)) {
    find(sections.back().line, "the wall sections end at " + number(covered) + " " + depth_unit +
                                   ", above the bottom of the wall at " + number(bottom) + " " +
                                   depth_unit + " (N*h)");
  }

  // Tie-backs below the excavation are unusual enough to mention.
  for (std::size_t k = 0; k < p.tables.tiebacks.size(); ++k) {
    const TieBack& t = p.tables.tiebacks[k];
    const double at = english ? t.depth * kInchesPerFoot : t.depth;
    if (g.excavation_depth > 0.0 && at > g.excavation_depth) {
      find(p.control.line,
           "tie-back " + std::to_string(k + 1) + " at " + number(t.depth) + " " + depth_unit +
               " lies below the excavation depth of " +
               number(english ? g.excavation_depth / kInchesPerFoot : g.excavation_depth) + " " +
               depth_unit);
    }
  }

  // The iteration extends a curve's last segment beyond its last point: a
  // curve that stops short of the allowable deflection, with a last segment
  // that still rises, may be used where it was never given.
  if (g.max_iterations > 0) {
    std::string stations;
    int count = 0;
    for (const StationCurve& curve : p.curves) {
      const std::size_t n = std::min(curve.y.size(), curve.p.size());
      if (n < 2) continue;
      const bool short_below = -curve.y.front() < g.max_deflection && curve.p[0] != curve.p[1];
      const bool short_above =
          curve.y.back() < g.max_deflection && curve.p[n - 1] != curve.p[n - 2];
      if (!short_below && !short_above) continue;
      if (++count <= 8) stations += (count > 1 ? ", " : "") + std::to_string(curve.FROM);
    }
    if (count > 0) {
      find(0, std::to_string(count) + " p-y curve(s) (stations " + stations +
                  (count > 8 ? ", ..." : "") + ") end before the allowable deflection of " +
                  number(g.max_deflection) + " " + length +
                  " with a last segment that still rises: the iteration extends that segment "
                  "beyond the curve if the wall moves that far");
    }
  }
}

}  // namespace

DeckCheckResult check_deck(const MemoryRunInput& input) noexcept {
  DeckCheckResult result;
  try {
    std::ostringstream console;
    std::ostringstream sink;
    RunContext context(input.directory, console, Clock{});
    context.expand_paths = false;
    const std::filesystem::path deck_path(input.deck_name);
    context.run.names.input = input.deck_name;
    context.use_deck(input.model ? *input.model
                                 : read_deck(input.deck, deck_path.filename().string()));
    context.files.report.attach(sink);
    context.files.plot.attach(sink);
    context.files.monitor.attach(sink);
    context.files.py_curves = TransientFile{"p-y curve file", {}};
    context.files.earth_pressure = TransientFile{"earth-pressure file", {}};
    context.instead_of_solving = [&result](const RunContext& c) {
      check_problem(c, result.findings);
    };
    const RunResult ended = run_opened(context);
    result.outcome = ended.outcome;
    result.message = ended.message;
  } catch (const std::exception& error) {
    result.outcome = Outcome::error_stop;
    result.message = std::string("internal error: ") + error.what();
  }
  return result;
}

}  // namespace kestro
