// The deck check: the deck read into the model and its values judged on what
// the engine accepts but an engineer would not have meant (units that look
// wrong, a free height that differs from the excavation depth, a line with
// more numbers than its record reads ...), before the engine would stop on
// them; then every problem taken as a run takes it, without solving, for
// what only the engine's steps can tell, and for the stop itself.
#include <algorithm>
#include <cmath>
#include <sstream>

#include "driver/run.h"

namespace kestro {

namespace {

using deck::Problem;

constexpr double kInchesPerFoot = 12.0;
// N*h and the height of wall may differ by this fraction before it is said.
constexpr double kHeightTolerance = 0.01;
// A length given in the wrong unit is off by a factor of 12 (feet and
// inches) or 1000 (metres and millimetres); a value within this fraction of
// such a factor of what was expected is taken for one.
constexpr double kFactorTolerance = 0.15;

std::string number(double value) {
  std::ostringstream text;
  text << value;
  return text.str();
}

// True when a is b times `factor`, within the tolerance.
bool scaled(double a, double b, double factor) {
  return b > 0.0 && std::abs(a - factor * b) <= kFactorTolerance * factor * b;
}

class ModelCheck {
 public:
  ModelCheck(const Deck& deck, std::vector<DeckFinding>& findings)
      : deck_(deck), findings_(findings) {}

  void problem(std::size_t k) {
    k_ = k;
    const Problem& p = deck_.problems[k];
    english_ = p.control.units == UnitSystem::english;
    length_ = english_ ? "in" : "m";
    depth_unit_ = english_ ? "ft" : "m";
    geometry(p);
    if (problem_has_wall_model(p)) {
      wall_sections(p);
      tiebacks(p);
      if (!english_) cross_sections(p);
    }
    if (problem_has_soil_records(p)) soil(p);
  }

  void extra_items() {
    for (const deck::ExtraItems& extra : deck_.extra_items) {
      const std::size_t problem = problem_of(extra.record);
      findings_.push_back(DeckFinding{
          static_cast<int>(problem) + 1, extra.line, FindingGrade::warning,
          "the line holds more numbers than " + describe(extra.record) + " reads: \"" + extra.text +
              "\" is not read (a comma decimal such as 0,5 reads as two numbers and moves "
              "every later item one place on)"});
    }
  }

 private:
  void find(std::string_view item, FindingGrade grade, std::string text) {
    DeckFinding finding{static_cast<int>(k_) + 1, line(item), grade, std::move(text)};
    // A deck without lines (read from JSON) is told the value's path.
    if (deck_.places.empty() && !item.empty()) {
      finding.path = "/problems/" + std::to_string(k_) + "/" + std::string(item);
    }
    findings_.push_back(std::move(finding));
  }

  std::size_t line(std::string_view item) const {
    if (item.empty()) return 0;
    const deck::DeckPlace* place =
        deck_.place_of("/problems/" + std::to_string(k_) + "/" + std::string(item));
    return place != nullptr ? place->line : 0;
  }

  static std::size_t problem_of(std::string_view path) {
    const std::string mark = "/problems/";
    if (!path.starts_with(mark)) return 0;
    std::size_t value = 0;
    for (std::size_t i = mark.size(); i < path.size() && path[i] >= '0' && path[i] <= '9'; ++i)
      value = value * 10 + static_cast<std::size_t>(path[i] - '0');
    return value;
  }

  // A record's path in words, for the finding about its line.
  static std::string describe(std::string_view path) {
    const std::size_t slash = path.find('/', std::string_view("/problems/").size());
    std::string_view rest = slash == std::string_view::npos ? path : path.substr(slash + 1);
    for (const auto& [name, words] :
         {std::pair{"control", "the control record"},
          std::pair{"geometry", "the geometry and iteration record"},
          std::pair{"specified_points", "a specified-point record"},
          std::pair{"wall_sections", "a wall-section record"},
          std::pair{"cross_sections", "a cross-section record"},
          std::pair{"moment_curvature", "a moment-curvature record"},
          std::pair{"loads", "a load record"}, std::pair{"springs", "a spring record"},
          std::pair{"tiebacks", "a tie-back record"},
          std::pair{"py_factors", "a p-y modification-factor record"},
          std::pair{"pressure_table", "a pressure-table record"},
          std::pair{"wall", "the wall record"}, std::pair{"surface", "the surface record"},
          std::pair{"surcharges", "a surcharge record"},
          std::pair{"soil_layers", "a soil-layer record"},
          std::pair{"soil", "the soil-layer head record"},
          std::pair{"py_curves", "a p-y curve record"},
          std::pair{"continuation", "the continuation code"}}) {
      if (rest.starts_with(name)) return words;
    }
    return "its record";
  }

  void geometry(const Problem& p) {
    const deck::Geometry& g = p.geometry;
    const double wall_length = g.increments * g.increment_length;
    if (std::abs(wall_length - g.wall_height) > kHeightTolerance * std::abs(g.wall_height)) {
      find("geometry/wall_height", FindingGrade::warning,
           "N*h = " + number(wall_length) + " " + length_ + ", but the height of wall is " +
               number(g.wall_height) + " " + length_ +
               " (the analysis uses N*h; is the increment length or the height in the wrong "
               "unit?)");
    }
    if (english_ && g.increment_length > 0.0 && g.increment_length < 1.0) {
      find("geometry/increment_length", FindingGrade::warning,
           "the increment length is " + number(g.increment_length) +
               " in: lengths of the geometry record are in inches in English units; was it "
               "given in feet?");
    }
    if (english_ && g.width < 2.0) {
      find("geometry/width", FindingGrade::warning,
           "the analysis width is " + number(g.width) +
               " in: it is in inches in English units (12 for a wall one foot wide); was it "
               "given in feet?");
    }
    if (!english_ && g.width > 50.0) {
      find("geometry/width", FindingGrade::warning,
           "the analysis width is " + number(g.width) +
               " m: it is in metres in SI units; was it given in millimetres?");
    }
  }

  // Wall sections, in feet or metres, must cover the wall from top to bottom.
  void wall_sections(const Problem& p) {
    const deck::Geometry& g = p.geometry;
    const double wall_length = g.increments * g.increment_length;
    const double bottom = english_ ? wall_length / kInchesPerFoot : wall_length;
    struct Section {
      double top;
      double bottom;
      std::size_t index;
    };
    std::vector<Section> sections;
    for (std::size_t k = 0; k < p.wall_sections.size(); ++k)
      sections.push_back(Section{p.wall_sections[k].top, p.wall_sections[k].bottom, k});
    std::sort(sections.begin(), sections.end(),
              [](const Section& a, const Section& b) { return a.top < b.top; });
    const auto at = [](const Section& s) {
      return "wall_sections/" + std::to_string(s.index) + "/top";
    };
    double covered = 0.0;
    for (const Section& section : sections) {
      if (english_ && section.bottom > 1.5 * bottom && scaled(section.bottom, bottom, 12.0)) {
        find(at(section), FindingGrade::warning,
             "wall section " + std::to_string(section.index + 1) + " ends at " +
                 number(section.bottom) +
                 " ft, twelve times the wall's length: wall-section depths are in feet in "
                 "English units; were they given in inches?");
      }
      if (section.bottom < section.top) {
        find(at(section), FindingGrade::warning,
             "the wall section runs upwards: top " + number(section.top) + " " + depth_unit_ +
                 ", bottom " + number(section.bottom) + " " + depth_unit_);
      }
      if (section.top > covered + 1e-6 * std::max(1.0, bottom)) {
        find(at(section), FindingGrade::warning,
             "no wall section covers the depths " + number(covered) + " to " + number(section.top) +
                 " " + depth_unit_ + " (the nearest section's EI is used there)");
      }
      covered = std::max(covered, section.bottom);
    }
    if (!sections.empty() && covered < bottom - 1e-6 * std::max(1.0, bottom)) {
      find(at(sections.back()), FindingGrade::warning,
           "the wall sections end at " + number(covered) + " " + depth_unit_ +
               ", above the bottom of the wall at " + number(bottom) + " " + depth_unit_ +
               " (N*h)");
    }
  }

  void tiebacks(const Problem& p) {
    const deck::Geometry& g = p.geometry;
    const double wall_length = g.increments * g.increment_length;
    for (std::size_t k = 0; k < p.tiebacks.size(); ++k) {
      const deck::Tieback& t = p.tiebacks[k];
      const std::string item = "tiebacks/" + std::to_string(k) + "/depth";
      const double at = english_ ? t.depth * kInchesPerFoot : t.depth;
      if (english_ && at > wall_length) {
        find(item, FindingGrade::warning,
             "tie-back " + std::to_string(k + 1) + " lies at " + number(t.depth) +
                 " ft, below the wall: tie-back depths are in feet in English units; was it "
                 "given in inches?");
      } else if (g.excavation_depth > 0.0 && at > g.excavation_depth) {
        find(item, FindingGrade::note,
             "tie-back " + std::to_string(k + 1) + " at " + number(t.depth) + " " + depth_unit_ +
                 " lies below the excavation depth of " +
                 number(english_ ? g.excavation_depth / kInchesPerFoot : g.excavation_depth) + " " +
                 depth_unit_);
      }
    }
  }

  // SI cross-section dimensions are millimetres.
  void cross_sections(const Problem& p) {
    for (std::size_t k = 0; k < p.cross_sections.size(); ++k) {
      const deck::CrossSection& s = p.cross_sections[k];
      if (s.nonlinear_flag != 0) continue;
      const double largest = std::max({s.top.diameter, s.top.external_width, s.top.external_depth});
      if (largest > 0.0 && largest < 5.0) {
        find("cross_sections/" + std::to_string(k) + "/name", FindingGrade::warning,
             "cross section " + std::to_string(k + 1) + " is " + number(largest) +
                 " mm across: cross-section dimensions are in millimetres in SI units; were they "
                 "given in metres?");
      }
    }
  }

  void soil(const Problem& p) {
    const deck::Geometry& g = p.geometry;
    const double HFREE = p.wall.free_height;
    if (std::abs(HFREE - g.excavation_depth) > 1e-6 * std::max(1.0, std::abs(g.excavation_depth))) {
      std::string text = "the free height HFREE of the wall record is " + number(HFREE) + " " +
                         length_ + ", but the excavation depth of the geometry record is " +
                         number(g.excavation_depth) + " " + length_ +
                         " (the earth pressure and the p-y curves take HFREE)";
      if (english_ && scaled(g.excavation_depth, HFREE, 12.0)) {
        text += "; HFREE is in inches in English units: was it given in feet?";
      }
      find("wall/free_height", FindingGrade::warning, text);
    }
    const double wall_length = g.increments * g.increment_length;
    if (english_ && !p.soil_layers.empty()) {
      const double deepest = p.soil_layers.back().bottom_depth;
      if (deepest > 0.0 && deepest * 4.0 < wall_length && scaled(wall_length, deepest, 12.0)) {
        find("soil_layers/" + std::to_string(p.soil_layers.size() - 1) + "/bottom_depth",
             FindingGrade::warning,
             "the soil layers end at " + number(deepest) + " in, a twelfth of the wall's " +
                 number(wall_length) +
                 " in: soil-layer depths are in inches in English units; were they given in "
                 "feet?");
      }
    }
    if (!english_) {
      for (std::size_t k = 0; k < p.surcharges.size(); ++k) {
        const deck::Surcharge& s = p.surcharges[k];
        if (s.distance > 0.0 && s.distance < 20.0) {
          find("surcharges/" + std::to_string(k) + "/distance", FindingGrade::warning,
               "surcharge item " + std::to_string(k + 1) + " lies " + number(s.distance) +
                   " mm from the wall: surcharge lengths are in millimetres in SI units; were "
                   "they given in metres?");
        }
      }
    }
  }

  const Deck& deck_;
  std::vector<DeckFinding>& findings_;
  std::size_t k_ = 0;
  bool english_ = true;
  const char* length_ = "in";
  const char* depth_unit_ = "ft";
};

// What only the engine's steps tell: user p-y curves that stop short of the
// allowable deflection with a last segment that still rises (the iteration
// extends it beyond the curve).  Generated curves are never reported: they
// hold their ends and the user cannot change them.
void check_problem(const RunContext& context, std::vector<DeckFinding>& findings) {
  const ProblemState& p = context.problem;
  const Geometry& g = p.geometry;
  const bool english = p.control.units == UnitSystem::english;
  if (g.max_iterations <= 0) return;
  std::string stations;
  int count = 0;
  for (const StationCurve& curve : p.curves) {
    if (curve.source != CurveSource::user) continue;
    const std::size_t n = std::min(curve.y.size(), curve.p.size());
    if (n < 2) continue;
    const bool short_below = -curve.y.front() < g.max_deflection && curve.p[0] != curve.p[1];
    const bool short_above = curve.y.back() < g.max_deflection && curve.p[n - 1] != curve.p[n - 2];
    if (!short_below && !short_above) continue;
    if (++count <= 8) stations += (count > 1 ? ", " : "") + std::to_string(curve.FROM);
  }
  if (count > 0) {
    findings.push_back(DeckFinding{
        context.run.problem, 0, FindingGrade::note,
        std::to_string(count) + " user p-y curve(s) (stations " + stations +
            (count > 8 ? ", ..." : "") + ") end before the allowable deflection of " +
            number(g.max_deflection) + " " + (english ? "in" : "m") +
            " with a last segment that still rises: the iteration extends that segment beyond "
            "the curve if the wall moves that far"});
  }
}

}  // namespace

const char* finding_grade_name(FindingGrade grade) {
  switch (grade) {
    case FindingGrade::error:
      return "error";
    case FindingGrade::warning:
      return "warning";
    case FindingGrade::note:
      return "note";
  }
  return "note";
}

bool check_needs_attention(const DeckCheckResult& result) {
  if (result.outcome != Outcome::completed) return true;
  return std::any_of(result.findings.begin(), result.findings.end(),
                     [](const DeckFinding& f) { return f.grade != FindingGrade::note; });
}

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
    // The values first: a deck that stops the engine still gets its hints.
    ModelCheck model(context.run.deck, result.findings);
    for (std::size_t k = 0; k < context.run.deck.problems.size(); ++k)
      model.problem(k);
    model.extra_items();

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
    result.place = ended.place;
    if (ended.outcome != Outcome::completed) {
      result.findings.push_back(
          DeckFinding{context.run.problem, 0, FindingGrade::error,
                      std::string(outcome_name(ended.outcome)) + ": " + ended.message});
    }
    std::stable_sort(
        result.findings.begin(), result.findings.end(),
        [](const DeckFinding& a, const DeckFinding& b) { return a.problem < b.problem; });
  } catch (const std::exception& error) {
    result.outcome = Outcome::error_stop;
    result.message = std::string("internal error: ") + error.what();
  }
  return result;
}

}  // namespace kestro
