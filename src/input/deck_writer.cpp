// A deck written back in the list-directed text format: the records in the
// order the grammar reads them, each value as the shortest text that reads
// back to the same number.  Values read from text go back to their lines, so
// that a deck written back names the same lines in its messages.
#include <fmt/format.h>

#include <algorithm>
#include <string>
#include <string_view>

#include "kestro/deck.hpp"

namespace kestro {

using namespace deck;

namespace {

class Writer {
 public:
  explicit Writer(const Deck& deck) : deck_(deck) {}

  std::string write() {
    for (std::size_t k = 0; k < deck_.problems.size(); ++k) {
      base_ = "/problems/" + std::to_string(k);
      records_ = 0;
      if (stops_here(k)) break;
      write_problem(deck_.problems[k], k);
      if (stopped_) break;
    }
    if (deck_.failure && !stopped_) stop_at(*deck_.failure);
    if (!deck_.failure) out_ += deck_.trailing;
    return std::move(out_);
  }

 private:
  // The items of one record, each on the line its place names when it has
  // one (and that line is not behind the line being written).
  class Record {
   public:
    Record(Writer& writer, std::string path) : writer_(writer), path_(std::move(path)) {}
    ~Record() { writer_.end_record(); }
    Record(const Record&) = delete;
    Record& operator=(const Record&) = delete;

    Record& operator()(std::string_view name, int value) {
      return item(name, std::to_string(value));
    }
    Record& operator()(std::string_view name, double value) {
      return item(name, fmt::format("{}", value));
    }
    Record& operator()(std::string_view name, const std::string& value) {
      std::string quoted = "'";
      for (char c : value) {
        quoted += c;
        if (c == '\'') quoted += c;
      }
      quoted += '\'';
      return item(name, quoted);
    }
    template <typename Code>
    Record& code(std::string_view name, Code value) {
      return (*this)(name, static_cast<int>(value));
    }
    Record& whole(int value) { return placed(path_, std::to_string(value)); }
    Record& whole_item(const std::string& at, int value) {
      return placed(at, std::to_string(value));
    }

   private:
    Record& item(std::string_view name, const std::string& text) {
      std::string at = path_;
      at += '/';
      at += name;
      return placed(at, text);
    }
    Record& placed(std::string_view at, const std::string& text) {
      writer_.item(deck_place(at), text);
      return *this;
    }
    const DeckPlace* deck_place(std::string_view at) const { return writer_.deck_.place_of(at); }

    Writer& writer_;
    std::string path_;
  };

  // Moves to the line of a place, when it lies ahead.
  void go_to(const DeckPlace* place) {
    if (place == nullptr || place->line <= line_) return;
    out_.append(place->line - line_, '\n');
    line_ = place->line;
    line_empty_ = true;
  }

  void item(const DeckPlace* place, const std::string& text) {
    go_to(place);
    if (!line_empty_) out_ += ' ';
    out_ += text;
    line_empty_ = false;
  }

  void end_record() {
    out_ += '\n';
    ++line_;
    line_empty_ = true;
    ++records_;
  }

  std::string path(std::string_view relative) const { return base_ + "/" + std::string(relative); }
  std::string path(std::string_view table, std::size_t index) const {
    return base_ + "/" + std::string(table) + "/" + std::to_string(index);
  }

  // True when the deck's reading stopped before problem k's first record.
  bool stops_here(std::size_t k) {
    if (!deck_.failure || deck_.failure->problem != k || deck_.failure->record != 0) return false;
    stop_at(*deck_.failure);
    return true;
  }

  // Before each record of the problem where reading stopped: at the record
  // that could not be read, the rest of the deck follows as it stands.
  bool reached_failure() {
    if (stopped_) return true;
    if (!deck_.failure || deck_.failure->problem != problem_ || deck_.failure->record != records_) {
      return false;
    }
    stop_at(*deck_.failure);
    return true;
  }

  void stop_at(const DeckReadFailure& failure) {
    const DeckPlace at{failure.line, 0};
    go_to(&at);
    out_ += failure.rest;
    stopped_ = true;
  }

  void write_problem(const Problem& p, std::size_t k) {
    problem_ = k;
    {
      go_to(deck_.place_of(path("title")));
      out_ += p.title;
      line_empty_ = false;
      end_record();
    }
    if (reached_failure()) return;
    const Control& c = p.control;
    Record(*this, path("control"))
        .code("units", c.units)("specified_point_count", c.specified_point_count)(
            "wall_section_count", c.wall_section_count)(
            "cross_section_count", c.cross_section_count)("py_factor_count", c.py_factor_count)
        .code("earth_pressure_option", c.earth_pressure_option)
        .code("py_option", c.py_option)("user_curve_count", c.user_curve_count)("stages", c.stages)(
            "ei_set_count", c.ei_set_count)("tieback_count", c.tieback_count)
        .code("hinge_option", c.hinge_option);
    if (reached_failure()) return;
    const Geometry& g = p.geometry;
    Record(*this, path("geometry"))("increments", g.increments)(
        "increment_length", g.increment_length)("max_deflection", g.max_deflection)(
        "tolerance", g.tolerance)("excavation_depth", g.excavation_depth)("width", g.width)(
        "wall_height", g.wall_height)("max_iterations", g.max_iterations)(
        "reserved_9", g.reserved_9)("reserved_10", g.reserved_10);
    for (std::size_t k2 = 0; k2 < p.specified_points.size(); ++k2) {
      if (reached_failure()) return;
      const SpecifiedPoint& point = p.specified_points[k2];
      Record(*this, path("specified_points", k2))
          .code("condition", point.condition)("station", point.station)(
              "deflection", point.deflection)("slope", point.slope);
    }
    if (problem_has_wall_model(p)) {
      write_wall_model(p);
      if (stopped_) return;
    }
    if (problem_has_user_curves(p)) {
      write_py_curves(p);
      if (stopped_) return;
    }
    if (reached_failure()) return;
    Record(*this, path("continuation")).whole(p.continuation);
  }

  void write_wall_model(const Problem& p) {
    for (std::size_t k = 0; k < p.wall_sections.size(); ++k) {
      if (reached_failure()) return;
      const WallSection& section = p.wall_sections[k];
      Record(*this, path("wall_sections", k))("top", section.top)("bottom", section.bottom)(
          "cross_section", section.cross_section);
    }
    for (std::size_t k = 0; k < p.cross_sections.size(); ++k) {
      write_cross_section(p.cross_sections[k], path("cross_sections", k));
      if (stopped_) return;
    }
    write_moment_curvature(p);
    if (stopped_ || reached_failure()) return;
    Record(*this, path("load_count")).whole(p.load_count);
    for (std::size_t k = 0; k < p.loads.size(); ++k) {
      if (reached_failure()) return;
      const LoadRecord& load = p.loads[k];
      Record(*this, path("loads", k))
          .code("span", load.span)("from_station", load.from_station)(
              "to_station", load.to_station)("load", load.load)("couple", load.couple)("axial",
                                                                                       load.axial);
    }
    if (reached_failure()) return;
    Record(*this, path("spring_count")).whole(p.spring_count);
    for (std::size_t k = 0; k < p.springs.size(); ++k) {
      if (reached_failure()) return;
      const SpringRecord& spring = p.springs[k];
      Record(*this, path("springs", k))("from_station", spring.from_station)("to_station",
                                                                             spring.to_station)
          .code("span", spring.span)("lateral", spring.lateral)("rotational", spring.rotational);
    }
    for (std::size_t k = 0; k < p.tiebacks.size(); ++k) {
      if (reached_failure()) return;
      const Tieback& t = p.tiebacks[k];
      Record(*this, path("tiebacks", k))("depth", t.depth)("area", t.area)(
          "elastic_modulus", t.elastic_modulus)("unbonded_length", t.unbonded_length)(
          "angle", t.angle)("spacing", t.spacing)("prestress", t.prestress);
    }
    if (p.control.py_factor_count > 0) {
      const PyFactors factors = p.py_factors.value_or(PyFactors{});
      if (reached_failure()) return;
      Record(*this, path("py_factors")).code("combination", factors.combination);
      for (std::size_t k = 0; k < factors.rows.size(); ++k) {
        if (reached_failure()) return;
        const FactorRow& row = factors.rows[k];
        Record(*this, path("py_factors/rows", k))("depth", row.depth)("p_factor", row.p_factor)(
            "y_factor", row.y_factor);
      }
    }
    if (problem_has_pressure_table(p)) {
      if (reached_failure()) return;
      Record(*this, path("pressure_point_count")).whole(p.pressure_point_count);
      for (std::size_t k = 0; k < p.pressure_table.size(); ++k) {
        if (reached_failure()) return;
        const PressurePoint& point = p.pressure_table[k];
        Record(*this, path("pressure_table", k))("depth", point.depth)("pressure", point.pressure);
      }
    }
    if (problem_has_soil_records(p)) write_soil(p);
  }

  void write_section_values(const SectionValues& v, const std::string& at, const int* tapered,
                            const std::string& section) {
    if (reached_failure()) return;
    Record(*this, at)("diameter", v.diameter)("internal_diameter", v.internal_diameter)(
        "external_width", v.external_width)("external_depth", v.external_depth)(
        "internal_width", v.internal_width)("internal_depth", v.internal_depth)(
        "flange_thickness", v.flange_thickness)("web_thickness", v.web_thickness);
    if (reached_failure()) return;
    Record values(*this, at);
    values("value_9", v.value_9)("value_10", v.value_10)("value_11", v.value_11)(
        "moment_of_inertia", v.moment_of_inertia)("value_13", v.value_13)("value_14", v.value_14)(
        "value_15", v.value_15)("value_16", v.value_16)("elastic_modulus", v.elastic_modulus)(
        "value_18", v.value_18)("value_19", v.value_19);
    if (tapered != nullptr) values.whole_item(section + "/tapered", *tapered);
  }

  void write_cross_section(const CrossSection& s, const std::string& at) {
    if (reached_failure()) return;
    Record(*this, at)("reserved_1", s.reserved_1)("reserved_2", s.reserved_2)
        .code("shape", s.shape)("nonlinear_flag", s.nonlinear_flag);
    if (reached_failure()) return;
    Record(*this, at)("name", s.name);
    if (s.nonlinear_flag != 0) {
      write_nonlinear(s.nonlinear.value_or(NonlinearSection{}), at + "/nonlinear");
      return;
    }
    write_section_values(s.top, at + "/top", &s.tapered, at);
    if (s.tapered > 0) write_section_values(s.bottom.value_or(s.top), at + "/bottom", nullptr, at);
    if (reached_failure()) return;
    Record(*this, at)("aisc_code", s.aisc_code)("aisc_reserved_1", s.aisc_reserved_1)(
        "thickness", s.thickness)("diameter_label_flag", s.diameter_label_flag)("aisc_reserved_2",
                                                                                s.aisc_reserved_2);
    if (reached_failure()) return;
    Record(*this, at)("aisc_name", s.aisc_name);
  }

  template <std::size_t width>
  void write_rows(const std::vector<std::array<double, width>>& rows, const std::string& at) {
    static constexpr const char* kColumns[] = {"0", "1", "2", "3", "4"};
    for (std::size_t k = 0; k < rows.size(); ++k) {
      if (reached_failure()) return;
      Record record(*this, at + "/" + std::to_string(k));
      for (std::size_t j = 0; j < width; ++j)
        record(kColumns[j], rows[k][j]);
    }
  }

  void write_values(const std::vector<double>& values, const std::string& at) {
    for (std::size_t k = 0; k < values.size(); ++k) {
      if (reached_failure()) return;
      Record(*this, at)(std::to_string(k), values[k]);
    }
  }

  void write_nonlinear(const NonlinearSection& n, const std::string& at) {
    if (reached_failure()) return;
    Record(*this, at)("equivalent_diameter", n.equivalent_diameter)("value_2", n.value_2)(
        "value_3", n.value_3)("value_4", n.value_4)(
        "equivalent_moment_of_inertia", n.equivalent_moment_of_inertia)("value_6", n.value_6)(
        "value_7", n.value_7)("value_8", n.value_8)("equivalent_elastic_modulus",
                                                    n.equivalent_elastic_modulus);
    if (reached_failure()) return;
    Record(*this, at)("type", n.type)("external_width", n.external_width)(
        "external_depth", n.external_depth)("external_diameter", n.external_diameter)(
        "void_diameter", n.void_diameter)("corner_chamfer", n.corner_chamfer)(
        "web_thickness", n.web_thickness)("flange_thickness", n.flange_thickness)(
        "casing_diameter", n.casing_diameter)("casing_thickness", n.casing_thickness)(
        "steel_diameter", n.steel_diameter);
    if (reached_failure()) return;
    Record(*this, at)("steel_thickness", n.steel_thickness)(
        "concrete_strength", n.concrete_strength)("casing_modulus", n.casing_modulus)(
        "casing_yield", n.casing_yield)("steel_modulus", n.steel_modulus)(
        "steel_yield", n.steel_yield)("embedded_steel", n.embedded_steel)("h_section", n.h_section)(
        "steel_aisc_code", n.steel_aisc_code)("reserved_5", n.reserved_5);
    if (reached_failure()) return;
    Record(*this, at)("steel_name", n.steel_name);
    if (reached_failure()) return;
    Record(*this, at)("reserved_6", n.reserved_6)("rebar_layout", n.rebar_layout)(
        "reserved_8", n.reserved_8)("reserved_9", n.reserved_9)("rebar_count", n.rebar_count)(
        "rebar_area", n.rebar_area)("rebar_diameter", n.rebar_diameter)(
        "rebar_cover", n.rebar_cover)("rebar_modulus", n.rebar_modulus)(
        "rebar_yield", n.rebar_yield)("confined", n.confined);
    if (reached_failure()) return;
    Record(*this, at)("transverse_type", n.transverse_type)("reserved_13", n.reserved_13)(
        "reserved_14", n.reserved_14)("transverse_rebars", n.transverse_rebars)("legs_y", n.legs_y)(
        "legs_z", n.legs_z)("transverse_area", n.transverse_area)(
        "transverse_diameter", n.transverse_diameter)("transverse_spacing", n.transverse_spacing)(
        "transverse_yield", n.transverse_yield);
    write_rows(n.rebars, at + "/rebars");
    if (reached_failure()) return;
    Record(*this, at)("reserved_18", n.reserved_18)("reserved_19", n.reserved_19)(
        "strand_layout", n.strand_layout)("reserved_21", n.reserved_21)(
        "strand_count", n.strand_count)("strand_diameter", n.strand_diameter)(
        "strand_area", n.strand_area)("strand_cover", n.strand_cover)(
        "strand_strength", n.strand_strength)("strand_prestress", n.strand_prestress)(
        "value_37", n.value_37)("value_38", n.value_38);
    write_rows(n.strands, at + "/strands");
    if (reached_failure()) return;
    Record(*this, at)("single_value_count", n.single_value_count)("reserved_24", n.reserved_24)(
        "reserved_25", n.reserved_25)("value_31", n.value_31)("value_32", n.value_32);
    write_values(n.single_values, at + "/single_values");
    if (reached_failure()) return;
    Record(*this, at)("reserved_26", n.reserved_26)("reserved_27", n.reserved_27)(
        "reserved_28", n.reserved_28)("ei_set", n.ei_set)("reserved_30", n.reserved_30)(
        "reserved_31", n.reserved_31)("reserved_32", n.reserved_32)("value_33", n.value_33)(
        "hardening_strain", n.hardening_strain)("ultimate_strain", n.ultimate_strain)(
        "ultimate_over_yield", n.ultimate_over_yield);
    if (reached_failure()) return;
    Record(*this, at)("strain_hardening", n.strain_hardening)("reserved_34", n.reserved_34)(
        "closing_value_count", n.closing_value_count)(
        "closing_values_given", n.closing_values_given)("value_39", n.value_39)("value_40",
                                                                                n.value_40);
    write_values(n.closing_values, at + "/closing_values");
  }

  void write_points(const std::vector<MomentCurvaturePoint>& points, const std::string& at) {
    for (std::size_t k = 0; k < points.size(); ++k) {
      if (reached_failure()) return;
      Record(*this, at + "/" + std::to_string(k))("moment", points[k].moment)("curvature",
                                                                              points[k].curvature);
    }
  }

  void write_moment_curvature(const Problem& p) {
    const MomentCurvature& mc = p.moment_curvature;
    const std::string at = path("moment_curvature");
    if (p.control.ei_set_count > 0) {
      if (reached_failure()) return;
      Record(*this, at)("reserved", mc.reserved);
    }
    for (std::size_t k = 0; k < mc.ei_sets.size(); ++k) {
      const EiSet& set = mc.ei_sets[k];
      const std::string set_at = at + "/ei_sets/" + std::to_string(k);
      if (reached_failure()) return;
      Record(*this, set_at)("thrust", set.thrust);
      if (reached_failure()) return;
      Record(*this, set_at)("reserved", set.reserved)("point_count", set.point_count);
      write_points(set.points, set_at + "/points");
    }
    for (std::size_t k = 0; k < p.cross_sections.size(); ++k) {
      const SectionCurves curves =
          k < mc.section_curves.size() ? mc.section_curves[k] : SectionCurves{};
      const std::string curves_at = at + "/section_curves/" + std::to_string(k);
      if (reached_failure()) return;
      Record(*this, curves_at)("reserved", curves.reserved)("level_count", curves.level_count);
      for (std::size_t level = 0; level < curves.levels.size(); ++level) {
        const ThrustLevel& l = curves.levels[level];
        const std::string level_at = curves_at + "/levels/" + std::to_string(level);
        if (reached_failure()) return;
        Record(*this, level_at)("thrust", l.thrust)("second_value", l.second_value);
        if (reached_failure()) return;
        Record(*this, level_at)("reserved", l.reserved)("point_count", l.point_count);
        write_points(l.points, level_at + "/points");
      }
    }
  }

  void write_soil(const Problem& p) {
    if (reached_failure()) return;
    const WallRecord& w = p.wall;
    Record(*this, path("wall"))("free_height", w.free_height)("pressure_width", w.pressure_width)(
        "resistance_width", w.resistance_width)("water_depth_retained", w.water_depth_retained)(
        "water_depth_excavation", w.water_depth_excavation)("active_factor", w.active_factor)
        .code("water_pressure", w.water_pressure)("backfill_slope", w.backfill_slope)(
            "excavation_slope", w.excavation_slope);
    if (reached_failure()) return;
    const SurfaceRecord& s = p.surface;
    Record(*this, path("surface"))("pressure", s.pressure)("distance", s.distance)(
        "point_load", s.point_load)("line_load", s.line_load)("strip_pressure", s.strip_pressure)(
        "strip_width", s.strip_width);
    if (reached_failure()) return;
    Record(*this, path("surcharge_count")).whole(p.surcharge_count);
    for (std::size_t k = 0; k < p.surcharges.size(); ++k) {
      if (reached_failure()) return;
      const Surcharge& item = p.surcharges[k];
      Record(*this, path("surcharges", k))
          .code("type", item.type)("magnitude", item.magnitude)("distance", item.distance)(
              "width", item.width)("height", item.height)("factor", item.factor);
    }
    if (reached_failure()) return;
    Record(*this, base_)("soil_layer_count", p.soil_layer_count)
        .code("loading", p.loading)("load_cycles", p.load_cycles);
    for (std::size_t k = 0; k < p.soil_layers.size(); ++k) {
      const SoilLayer& l = p.soil_layers[k];
      const std::string at = path("soil_layers", k);
      if (reached_failure()) return;
      Record(*this, at).code("soil_type", l.soil_type)("bottom_depth", l.bottom_depth);
      if (reached_failure()) return;
      Record(*this, at)("unit_weight", l.unit_weight)("strength", l.strength)(
          "friction_angle", l.friction_angle)("e50", l.e50)("kpy", l.kpy)("sixth", l.sixth);
      if (reached_failure()) return;
      const LayerValues& b = l.at_bottom;
      Record(*this, at + "/at_bottom")("unit_weight", b.unit_weight)("strength", b.strength)(
          "friction_angle", b.friction_angle)("e50", b.e50)("kpy", b.kpy)("sixth", b.sixth);
    }
  }

  void write_py_curves(const Problem& p) {
    for (std::size_t k = 0; k < p.py_curves.size(); ++k) {
      const PyCurve& curve = p.py_curves[k];
      const std::string at = path("py_curves", k);
      if (reached_failure()) return;
      Record(*this, at)("station", curve.station)("point_count", curve.point_count)(
          "p_multiplier", curve.p_multiplier)("y_multiplier", curve.y_multiplier);
      for (std::size_t j = 0; j < curve.points.size(); ++j) {
        if (reached_failure()) return;
        Record(*this, at + "/points/" + std::to_string(j))("y", curve.points[j].y)(
            "p", curve.points[j].p);
      }
    }
  }

  const Deck& deck_;
  std::string out_;
  std::string base_;
  std::size_t problem_ = 0;
  int records_ = 0;
  std::size_t line_ = 1;  // the line being written
  bool line_empty_ = true;
  bool stopped_ = false;
};

}  // namespace

std::string write_deck(const Deck& deck) {
  return Writer(deck).write();
}

void normalize_counts(Problem& p) {
  Control& c = p.control;
  c.specified_point_count = static_cast<int>(p.specified_points.size());
  c.wall_section_count = static_cast<int>(p.wall_sections.size());
  c.cross_section_count = static_cast<int>(p.cross_sections.size());
  c.py_factor_count = p.py_factors ? static_cast<int>(p.py_factors->rows.size()) : 0;
  c.ei_set_count = static_cast<int>(p.moment_curvature.ei_sets.size());
  c.tieback_count = static_cast<int>(p.tiebacks.size());
  if (!p.py_curves.empty() || problem_has_user_curves(p)) {
    c.user_curve_count = static_cast<int>(p.py_curves.size());
  }
  p.load_count = static_cast<int>(p.loads.size());
  p.spring_count = static_cast<int>(p.springs.size());
  p.pressure_point_count = static_cast<int>(p.pressure_table.size());
  p.surcharge_count = static_cast<int>(p.surcharges.size());
  p.soil_layer_count = static_cast<int>(p.soil_layers.size());
  for (PyCurve& curve : p.py_curves)
    curve.point_count = static_cast<int>(curve.points.size());
  for (EiSet& set : p.moment_curvature.ei_sets)
    set.point_count = static_cast<int>(set.points.size());
  p.moment_curvature.section_curves.resize(p.cross_sections.size());
  for (SectionCurves& curves : p.moment_curvature.section_curves) {
    curves.level_count = static_cast<int>(curves.levels.size());
    for (ThrustLevel& level : curves.levels)
      level.point_count = static_cast<int>(level.points.size());
  }
  for (CrossSection& s : p.cross_sections) {
    if (s.nonlinear_flag == 0) {
      s.tapered = s.bottom ? std::max(s.tapered, 1) : 0;
      continue;
    }
    if (!s.nonlinear) continue;
    NonlinearSection& n = *s.nonlinear;
    n.rebar_count = static_cast<int>(n.rebars.size());
    n.strand_count = static_cast<int>(n.strands.size());
    n.single_value_count = static_cast<int>(n.single_values.size());
    if (!n.closing_values.empty()) {
      n.closing_value_count = static_cast<int>(n.closing_values.size());
      n.closing_values_given = std::max(n.closing_values_given, 1);
    } else if (n.closing_values_given > 0) {
      n.closing_value_count = 0;
    }
  }
}

}  // namespace kestro
