#include "input/moment_curvature.h"

#include <string>

#include "common/report_writers.h"
#include "common/run_stop.h"

namespace kestro {

namespace {

struct EchoFormats {
  FortranFormat user_head = FortranFormat::parse("(/5X,'* USER DEFINED NONLINEAR EI *')");
  FortranFormat generated_head =
      FortranFormat::parse("(/5X,'* INTERNALLY GENERATED NONLINEAR EI *')");
  FortranFormat set_number = FortranFormat::parse("(/5X,'   SET          =  ',I5)");
  FortranFormat thrust = FortranFormat::parse("(/5X,'   AXIAL THRUST =  ',F10.4,2X,A4)");
  FortranFormat columns =
      FortranFormat::parse("(/5X,'   N  ',9X,' CURVATURE ',7X,' MOMENT ',7X,'   EI   ')");
  FortranFormat units =
      FortranFormat::parse("(5X,8X,9X,'RAD/',A2,9X,A4,'-',A2,9X,A4,'-',A2,'**2')");
};

const EchoFormats& formats() {
  static const EchoFormats kFormats;
  return kFormats;
}

bool is_user_defined(const CrossSection& section) {
  return section.nonlinear() && section.nonlinear_type() == NonlinearType::user_defined_ei;
}

// The points of a curve, as many as it holds pairs of.
std::size_t point_count(const MomentCurvatureCurve& curve) {
  return std::min(curve.M.size(), curve.phi.size());
}

void write_set_block(const InputContext& context, int number, const MomentCurvatureCurve& curve) {
  const EchoFormats& f = formats();
  const UnitLabels& l = context.labels;
  TextUnit& report = context.report;
  report.write(f.set_number, {number});
  report.write(f.thrust, {curve.thrust, l.force});
  report.write(f.columns);
  report.write(f.units, {l.length_short, l.force, l.length_short, l.force, l.length_short});
  for (std::size_t j = 0; j < point_count(curve); ++j) {
    const double phi = curve.phi[j];
    const double M = curve.M[j];
    write_blanks(report, 5);
    write_integer(report, 5, static_cast<int>(j + 1));
    write_blanks(report, 4);
    write_number(report, 14, 5, phi);
    write_blanks(report, 4);
    write_number(report, 14, 5, M);
    if (phi > 0.0) {
      write_blanks(report, 4);
      write_number(report, 14, 5, M / phi);
    }
    line_end(report);
  }
}

// Takes a record of two integers whose second, at `at`, is a count checked
// against 0..capacity, and returns it.
int take_count(const InputContext& context, const std::string& at, int count, int capacity,
               std::string_view what) {
  context.in().take(at);
  if (count < 0) {
    stop_bad_record(context.in(), context.in().current_line(),
                    "the number of " + std::string(what) + " must not be negative, found " +
                        std::to_string(count));
  }
  if (count > capacity) {
    stop_error(ErrorStop::too_much_data, place_of(context.in()),
               "more than " + std::to_string(capacity) + " " + std::string(what) + ": " +
                   std::to_string(count));
  }
  return count;
}

// Takes `count` points, keeping them in `curve` unless it is null.
void take_points(const InputContext& context, int count,
                 const std::vector<deck::MomentCurvaturePoint>& given, const std::string& at,
                 MomentCurvatureCurve* curve) {
  if (curve != nullptr) {
    curve->M.assign(static_cast<std::size_t>(count), 0.0);
    curve->phi.assign(static_cast<std::size_t>(count), 0.0);
  }
  for (int j = 0; j < count; ++j) {
    context.in().take(at + "/" + std::to_string(j) + "/curvature");
    const deck::MomentCurvaturePoint& point = given[static_cast<std::size_t>(j)];
    if (curve != nullptr) {
      curve->M[static_cast<std::size_t>(j)] = point.moment;
      curve->phi[static_cast<std::size_t>(j)] = point.curvature;
    }
  }
}

}  // namespace

void read_moment_curvature_data(const InputContext& context) {
  WallTables& tables = context.tables;
  tables.ei_sets.clear();
  tables.section_curves.clear();
  const int sets = context.control.ei_sets;
  if (sets < 0) {
    stop_bad_record(context.in(), context.control.line,
                    "the number of user-defined nonlinear EI sets must not be negative");
  }
  if (sets > kMaxEiSets)
    stop_error(ErrorStop::too_much_data, place_of(context.in(), context.control.line),
               "more than " + std::to_string(kMaxEiSets) +
                   " user-defined nonlinear EI sets: " + std::to_string(sets));
  const deck::MomentCurvature& given = context.records().moment_curvature;
  const std::string at = "moment_curvature";
  if (sets > 0) context.in().take(at + "/reserved");
  tables.ei_sets.resize(static_cast<std::size_t>(sets));
  for (std::size_t k = 0; k < tables.ei_sets.size(); ++k) {
    MomentCurvatureCurve& set = tables.ei_sets[k];
    const std::string set_at = at + "/ei_sets/" + std::to_string(k);
    context.in().take(set_at + "/thrust");
    const deck::EiSet& record = given.ei_sets[k];
    set.thrust = record.thrust;
    const int count = take_count(context, set_at + "/point_count", record.point_count,
                                 kMaxEiSetPoints, "points of an EI set");
    take_points(context, count, record.points, set_at + "/points", &set);
  }
  tables.section_curves.resize(tables.cross_sections.size());
  for (std::size_t k = 0; k < tables.section_curves.size(); ++k) {
    MomentCurvatureCurve& curve = tables.section_curves[k];
    const std::string curves_at = at + "/section_curves/" + std::to_string(k);
    const deck::SectionCurves* record =
        k < given.section_curves.size() ? &given.section_curves[k] : nullptr;
    const int levels =
        take_count(context, curves_at + "/level_count", record != nullptr ? record->level_count : 0,
                   kMaxThrustLevels, "thrust levels");
    for (int level = 0; level < levels; ++level) {
      const std::string level_at = curves_at + "/levels/" + std::to_string(level);
      context.in().take(level_at + "/second_value");
      const deck::ThrustLevel& l = record->levels[static_cast<std::size_t>(level)];
      MomentCurvatureCurve* kept = level == 0 ? &curve : nullptr;
      if (kept != nullptr) {
        curve.thrust = l.thrust;
        curve.second = l.second_value;
      }
      const int count = take_count(context, level_at + "/point_count", l.point_count,
                                   kMaxCurvePoints, "curve points");
      take_points(context, count, l.points, level_at + "/points", kept);
    }
  }
  // A user-defined EI section must name a set that was given.
  for (std::size_t k = 0; k < tables.cross_sections.size(); ++k) {
    const CrossSection& section = tables.cross_sections[k];
    if (!is_user_defined(section)) continue;
    const int set = section.descriptors.ei_set;
    if (set < 1 || static_cast<std::size_t>(set) > tables.ei_sets.size()) {
      stop_bad_record(context.in(), section.line,
                      "cross section " + std::to_string(k + 1) +
                          " is a user-defined EI section and names nonlinear EI set " +
                          std::to_string(set) + ", but " + std::to_string(tables.ei_sets.size()) +
                          " sets are given (NONLINEAR EI INDEX must be 1 to the number of sets)");
    }
  }
}

const MomentCurvatureCurve* section_curve(const WallTables& tables, int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= tables.cross_sections.size()) return nullptr;
  const CrossSection& section = tables.cross_sections[static_cast<std::size_t>(index)];
  if (!section.nonlinear()) return nullptr;
  if (is_user_defined(section)) {
    const int set = section.descriptors.ei_set;
    if (set < 1 || static_cast<std::size_t>(set) > tables.ei_sets.size()) return nullptr;
    return &tables.ei_sets[static_cast<std::size_t>(set - 1)];
  }
  if (static_cast<std::size_t>(index) >= tables.section_curves.size()) return nullptr;
  return &tables.section_curves[static_cast<std::size_t>(index)];
}

void echo_nonlinear_ei(const InputContext& context) {
  const WallTables& tables = context.tables;
  const std::vector<CrossSection>& sections = tables.cross_sections;
  std::vector<bool> named(tables.ei_sets.size(), false);
  bool any_user = false;
  bool any_generated = false;
  for (std::size_t k = 0; k < sections.size(); ++k) {
    if (!sections[k].nonlinear()) continue;
    if (is_user_defined(sections[k])) {
      named[static_cast<std::size_t>(sections[k].descriptors.ei_set - 1)] = true;
      any_user = true;
    } else {
      any_generated = true;
    }
  }
  const EchoFormats& f = formats();
  if (any_user) {
    context.report.write(f.user_head);
    for (std::size_t k = 0; k < named.size(); ++k) {
      if (named[k]) write_set_block(context, static_cast<int>(k + 1), tables.ei_sets[k]);
    }
    line_end(context.report);
  }
  if (any_generated) {
    context.report.write(f.generated_head);
    for (std::size_t k = 0; k < sections.size(); ++k) {
      if (!sections[k].nonlinear() || is_user_defined(sections[k])) continue;
      static const MomentCurvatureCurve kNoCurve;
      const MomentCurvatureCurve* curve = section_curve(tables, static_cast<int>(k));
      write_set_block(context, static_cast<int>(k + 1), curve != nullptr ? *curve : kNoCurve);
    }
    line_end(context.report);
  }
}

}  // namespace kestro
