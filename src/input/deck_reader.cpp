// The grammar of a deck in the list-directed text format: which records a
// problem holds, in which order, with which items.  This is the one place
// that knows it; the engine takes the records from the model it builds.
#include <algorithm>
#include <string>
#include <string_view>
#include <utility>

#include "common/input_error.h"
#include "common/list_input.h"
#include "common/text.h"
#include "kestro/deck.hpp"

namespace kestro {

using namespace deck;

namespace {

constexpr std::size_t kTitleWidth = 70;

// The number after `name/` in a path, from 1 ("loads/2" gives 3); 0 when absent.
int number_after(std::string_view path, std::string_view name) {
  const std::string mark = std::string(name) + "/";
  const std::size_t at = path.find(mark);
  if (at == std::string_view::npos) return 0;
  int value = 0;
  for (std::size_t i = at + mark.size(); i < path.size() && path[i] >= '0' && path[i] <= '9'; ++i)
    value = value * 10 + (path[i] - '0');
  return value + 1;
}

// A record of a problem in words, from its path ("/problems/0/loads/2" is
// "load record 3"); empty when the path says nothing known.
std::string describe_record(std::string_view path) {
  const std::size_t problems = path.find("/problems/");
  if (problems == std::string_view::npos) return {};
  std::string_view rest = path.substr(problems + 10);
  const int problem = number_after(path, "problems");
  rest.remove_prefix(std::min(rest.size(), rest.find('/') + 1));
  const auto n = [&](std::string_view name) { return std::to_string(number_after(path, name)); };
  const auto starts = [&](std::string_view name) { return rest.starts_with(name); };
  if (starts("title")) return "the title of problem " + std::to_string(problem);
  if (starts("control")) return "the control record";
  if (starts("geometry")) return "the geometry and iteration record";
  if (starts("specified_points")) return "specified point " + n("specified_points");
  if (starts("wall_sections")) return "wall section " + n("wall_sections");
  if (starts("cross_sections")) {
    if (path.find("/rebars/") != std::string_view::npos) {
      return "rebar " + n("rebars") + " of cross section " + n("cross_sections");
    }
    if (path.find("/strands/") != std::string_view::npos) {
      return "strand " + n("strands") + " of cross section " + n("cross_sections");
    }
    if (path.ends_with("/bottom"))
      return "the bottom values of cross section " + n("cross_sections");
    if (path.ends_with("/top")) return "the top values of cross section " + n("cross_sections");
    return "the records of cross section " + n("cross_sections");
  }
  if (starts("moment_curvature/ei_sets")) return "nonlinear EI set " + n("ei_sets");
  if (starts("moment_curvature/section_curves")) {
    return "the moment-curvature curves of cross section " + n("section_curves");
  }
  if (starts("moment_curvature")) return "the record ahead of the nonlinear EI sets";
  if (starts("load_count")) return "the number of load records";
  if (starts("loads")) return "load record " + n("loads");
  if (starts("spring_count")) return "the number of spring records";
  if (starts("springs")) return "spring record " + n("springs");
  if (starts("tiebacks")) return "tie-back " + n("tiebacks");
  if (starts("py_factors/rows")) return "p-y modification factor " + n("rows");
  if (starts("py_factors")) return "the combination flag of the p-y modification factors";
  if (starts("pressure_point_count")) {
    return "the number of points of the specified active earth pressure";
  }
  if (starts("pressure_table")) {
    return "point " + n("pressure_table") + " of the specified active earth pressure";
  }
  if (starts("wall")) return "the wall record";
  if (starts("surface")) return "the surface pressure record";
  if (starts("surcharge_count")) return "the number of surcharge items";
  if (starts("surcharges")) return "surcharge item " + n("surcharges");
  if (starts("soil_layers")) {
    if (path.ends_with("/at_bottom")) return "the bottom values of soil layer " + n("soil_layers");
    return "soil layer " + n("soil_layers");
  }
  if (starts("soil")) return "the record with the number of soil layers";
  if (starts("py_curves")) {
    if (path.find("/points/") != std::string_view::npos) {
      return "point " + n("points") + " of p-y curve " + n("py_curves");
    }
    return "p-y curve " + n("py_curves");
  }
  if (starts("continuation")) return "the continuation code";
  return {};
}

class Reader {
 public:
  Reader(std::string_view text, Deck& deck) : in_(deck.name, std::string(text)), deck_(deck) {}

  void read_all() {
    try {
      for (;;) {
        Problem& problem = deck_.problems.emplace_back();
        records_ = 0;
        base_ = "/problems/" + std::to_string(deck_.problems.size() - 1);
        read_problem(problem);
        const int code = problem.continuation;
        if (code == 0 || code == problem.control.stages) break;
      }
      deck_.trailing = std::string(in_.text_from(in_.next_line()));
    } catch (const InputError& error) {
      fail(at_end_of_file(error.message()), error.place());
    }
  }

 private:
  // One READ: the items of a record, in order, each with its place.  The
  // record is counted as it begins, before its READ starts.
  class Record {
   public:
    // A record at `path` (which messages describe), its items placed under
    // `fields` when the fields they fill are not the record's own (default:
    // under `path`).
    Record(Reader& reader, std::string path, std::string fields = {})
        : reader_(reader),
          path_(std::move(path)),
          fields_(fields.empty() ? path_ : std::move(fields)),
          read_((reader.begin_record(path_), reader.in_.read())) {}
    ~Record() { reader_.note_extra_items(path_, read_.unread()); }
    Record(const Record&) = delete;
    Record& operator=(const Record&) = delete;

    Record& operator()(std::string_view name, int& value) {
      read_.integer(value);
      return placed(name);
    }
    Record& operator()(std::string_view name, double& value) {
      read_.real(value);
      return placed(name);
    }
    Record& operator()(std::string_view name, std::string& value) {
      read_.text(value);
      return placed(name);
    }
    // An item placed at a path of its own.
    Record& whole_item(const std::string& at, int& value) {
      read_.integer(value);
      reader_.deck_.places[at] = DeckPlace{reader_.in_.current_line(), read_.item_number()};
      return *this;
    }
    // A record of one item, placed at the record's own path (a count).
    Record& whole(int& value) {
      read_.integer(value);
      reader_.deck_.places[path_] = DeckPlace{reader_.in_.current_line(), read_.item_number()};
      return *this;
    }
    template <typename Code>
    Record& code(std::string_view name, Code& value) {
      int number = static_cast<int>(value);
      read_.integer(number);
      value = static_cast<Code>(number);
      return placed(name);
    }

   private:
    Record& placed(std::string_view name) {
      std::string path = fields_;
      path += '/';
      path += name;
      reader_.deck_.places[std::move(path)] =
          DeckPlace{reader_.in_.current_line(), read_.item_number()};
      return *this;
    }

    Reader& reader_;
    std::string path_;
    std::string fields_;
    ListRead read_;
  };

  // Keeps what the record left of its last line when it is numbers only.
  void note_extra_items(const std::string& record, std::string_view rest) {
    std::size_t i = 0;
    while (i < rest.size() && (rest[i] == ' ' || rest[i] == '\t' || rest[i] == ','))
      ++i;
    rest.remove_prefix(i);
    while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t' || rest.back() == '\r'))
      rest.remove_suffix(1);
    if (rest.find_first_of("0123456789") == std::string_view::npos) return;
    for (const char c : rest) {
      const bool numeric = (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'E' ||
                           c == 'e' || c == 'D' || c == 'd' || c == ',' || c == ' ' || c == '\t';
      if (!numeric) return;
    }
    deck_.extra_items.push_back(ExtraItems{record, in_.current_line(), std::string(rest)});
  }

  void begin_record(std::string_view path = {}) {
    record_line_ = in_.next_line();
    record_ordinal_ = records_++;
    record_path_ = path;
  }

  // A message of the list-directed reader about the end of the file, said
  // with the record that was due: "wall.dat, line 30: the file ends after this
  // line, where the continuation code is due", or inside a record "wall.dat, line 3, item 3:
  // the file ends inside the geometry and iteration record: expected a real
  // number".  Other messages as they are.
  std::string at_end_of_file(const std::string& message) const {
    const std::string found = ", found the end of the file";
    if (!message.ends_with(found)) return message;
    const std::string record = describe_record(record_path_);
    const std::size_t colon = message.find(": expected ");
    if (colon == std::string::npos || record.empty()) return message;
    const std::string expected =
        message.substr(colon + 2, message.size() - found.size() - colon - 2);
    const std::size_t item_mark = message.rfind(", item ", colon);
    const bool at_start = item_mark != std::string::npos &&
                          message.substr(item_mark, colon - item_mark) == ", item 1";
    if (at_start) {
      return message.substr(0, item_mark) + ": the file ends after this line, where " + record +
             " is due";
    }
    return message.substr(0, colon) + ": the file ends inside " + record + ": " + expected;
  }

  std::string path(std::string_view relative) const { return base_ + "/" + std::string(relative); }
  std::string path(std::string_view table, std::size_t index) const {
    return base_ + "/" + std::string(table) + "/" + std::to_string(index);
  }

  void fail(const std::string& message, const InputPlace& place) {
    DeckReadFailure failure;
    failure.stop_line = place.line;
    failure.stop_item = place.item;
    failure.message = message;
    failure.problem = deck_.problems.empty() ? 0 : deck_.problems.size() - 1;
    failure.record = record_ordinal_;
    failure.line = record_line_;
    failure.rest = std::string(in_.text_from(record_line_));
    deck_.failure = std::move(failure);
  }

  // A count of records to read: a negative count reads none (the engine
  // stops there before it needs them).
  static int records(int count) { return count > 0 ? count : 0; }

  void read_problem(Problem& p) {
    begin_record(path("title"));
    p.title = trim_right(in_.read_fixed(kTitleWidth, "the title of a problem"));
    deck_.places[path("title")] = DeckPlace{in_.current_line(), 0};

    Control& c = p.control;
    Record(*this, path("control"))
        .code("units", c.units)("specified_point_count", c.specified_point_count)(
            "wall_section_count", c.wall_section_count)(
            "cross_section_count", c.cross_section_count)("py_factor_count", c.py_factor_count)
        .code("earth_pressure_option", c.earth_pressure_option)
        .code("py_option", c.py_option)("user_curve_count", c.user_curve_count)("stages", c.stages)(
            "ei_set_count", c.ei_set_count)("tieback_count", c.tieback_count)
        .code("hinge_option", c.hinge_option);

    Geometry& g = p.geometry;
    Record(*this, path("geometry"))("increments", g.increments)(
        "increment_length", g.increment_length)("max_deflection", g.max_deflection)(
        "tolerance", g.tolerance)("excavation_depth", g.excavation_depth)("width", g.width)(
        "wall_height", g.wall_height)("max_iterations", g.max_iterations)(
        "reserved_9", g.reserved_9)("reserved_10", g.reserved_10);

    for (int k = 0; k < records(c.specified_point_count); ++k) {
      SpecifiedPoint& point = p.specified_points.emplace_back();
      Record(*this, path("specified_points", std::size_t(k)))
          .code("condition", point.condition)("station", point.station)(
              "deflection", point.deflection)("slope", point.slope);
    }
    if (c.wall_section_count > 0) read_wall_model(p);
    if (problem_has_user_curves(p)) read_py_curves(p);
    Record(*this, path("continuation")).whole(p.continuation);
  }

  void read_wall_model(Problem& p) {
    const Control& c = p.control;
    for (int k = 0; k < c.wall_section_count; ++k) {
      WallSection& section = p.wall_sections.emplace_back();
      Record(*this, path("wall_sections", std::size_t(k)))("top", section.top)(
          "bottom", section.bottom)("cross_section", section.cross_section);
    }
    for (int k = 0; k < records(c.cross_section_count); ++k) {
      read_cross_section(p.cross_sections.emplace_back(), path("cross_sections", std::size_t(k)));
    }
    read_moment_curvature(p);
    p.load_count = read_count(path("load_count"));
    for (int k = 0; k < records(p.load_count); ++k) {
      LoadRecord& load = p.loads.emplace_back();
      Record(*this, path("loads", std::size_t(k)))
          .code("span", load.span)("from_station", load.from_station)(
              "to_station", load.to_station)("load", load.load)("couple", load.couple)("axial",
                                                                                       load.axial);
    }
    p.spring_count = read_count(path("spring_count"));
    for (int k = 0; k < records(p.spring_count); ++k) {
      SpringRecord& spring = p.springs.emplace_back();
      Record(*this, path("springs", std::size_t(k)))("from_station", spring.from_station)(
          "to_station", spring.to_station)
          .code("span", spring.span)("lateral", spring.lateral)("rotational", spring.rotational);
    }
    for (int k = 0; k < records(c.tieback_count); ++k) {
      Tieback& t = p.tiebacks.emplace_back();
      Record(*this, path("tiebacks", std::size_t(k)))("depth", t.depth)("area", t.area)(
          "elastic_modulus", t.elastic_modulus)("unbonded_length", t.unbonded_length)(
          "angle", t.angle)("spacing", t.spacing)("prestress", t.prestress);
    }
    if (c.py_factor_count > 0) {
      PyFactors& factors = p.py_factors.emplace();
      Record(*this, path("py_factors")).code("combination", factors.combination);
      for (int k = 0; k < c.py_factor_count; ++k) {
        FactorRow& row = factors.rows.emplace_back();
        Record(*this, path("py_factors/rows", std::size_t(k)))("depth", row.depth)(
            "p_factor", row.p_factor)("y_factor", row.y_factor);
      }
    }
    if (problem_has_pressure_table(p)) {
      p.pressure_point_count = read_count(path("pressure_point_count"));
      for (int k = 0; k < records(p.pressure_point_count); ++k) {
        PressurePoint& point = p.pressure_table.emplace_back();
        Record(*this, path("pressure_table", std::size_t(k)))("depth", point.depth)("pressure",
                                                                                    point.pressure);
      }
    }
    if (problem_has_soil_records(p)) read_soil(p);
  }

  int read_count(const std::string& at) {
    int count = 0;
    Record(*this, at).whole(count);
    return count;
  }

  // The two records of an elastic section's values at one end; the tapered
  // flag of the section ends the second record of its top values.
  void read_section_values(SectionValues& v, const std::string& at, int* tapered,
                           const std::string& section) {
    Record(*this, at)("diameter", v.diameter)("internal_diameter", v.internal_diameter)(
        "external_width", v.external_width)("external_depth", v.external_depth)(
        "internal_width", v.internal_width)("internal_depth", v.internal_depth)(
        "flange_thickness", v.flange_thickness)("web_thickness", v.web_thickness);
    Record values(*this, at);
    values("value_9", v.value_9)("value_10", v.value_10)("value_11", v.value_11)(
        "moment_of_inertia", v.moment_of_inertia)("value_13", v.value_13)("value_14", v.value_14)(
        "value_15", v.value_15)("value_16", v.value_16)("elastic_modulus", v.elastic_modulus)(
        "value_18", v.value_18)("value_19", v.value_19);
    if (tapered != nullptr) {
      values.whole_item(section + "/tapered", *tapered);
    }
  }

  void read_cross_section(CrossSection& s, const std::string& at) {
    Record(*this, at)("reserved_1", s.reserved_1)("reserved_2", s.reserved_2)
        .code("shape", s.shape)("nonlinear_flag", s.nonlinear_flag);
    Record(*this, at)("name", s.name);
    if (s.nonlinear_flag != 0) {
      read_nonlinear(s.nonlinear.emplace(), at + "/nonlinear");
      return;
    }
    read_section_values(s.top, at + "/top", &s.tapered, at);
    if (s.tapered > 0) read_section_values(s.bottom.emplace(), at + "/bottom", nullptr, at);
    Record(*this, at)("aisc_code", s.aisc_code)("aisc_reserved_1", s.aisc_reserved_1)(
        "thickness", s.thickness)("diameter_label_flag", s.diameter_label_flag)("aisc_reserved_2",
                                                                                s.aisc_reserved_2);
    Record(*this, at)("aisc_name", s.aisc_name);
  }

  template <std::size_t width>
  void read_rows(std::vector<std::array<double, width>>& rows, int count, const std::string& at) {
    static constexpr const char* kColumns[] = {"0", "1", "2", "3", "4"};
    for (int k = 0; k < records(count); ++k) {
      auto& row = rows.emplace_back();
      Record record(*this, at + "/" + std::to_string(k));
      for (std::size_t j = 0; j < width; ++j)
        record(kColumns[j], row[j]);
    }
  }

  void read_values(std::vector<double>& values, int count, const std::string& at) {
    for (int k = 0; k < records(count); ++k) {
      double& value = values.emplace_back();
      Record(*this, at)(std::to_string(k), value);
    }
  }

  void read_nonlinear(NonlinearSection& n, const std::string& at) {
    Record(*this, at)("equivalent_diameter", n.equivalent_diameter)("value_2", n.value_2)(
        "value_3", n.value_3)("value_4", n.value_4)(
        "equivalent_moment_of_inertia", n.equivalent_moment_of_inertia)("value_6", n.value_6)(
        "value_7", n.value_7)("value_8", n.value_8)("equivalent_elastic_modulus",
                                                    n.equivalent_elastic_modulus);
    Record(*this, at)("type", n.type)("external_width", n.external_width)(
        "external_depth", n.external_depth)("external_diameter", n.external_diameter)(
        "void_diameter", n.void_diameter)("corner_chamfer", n.corner_chamfer)(
        "web_thickness", n.web_thickness)("flange_thickness", n.flange_thickness)(
        "casing_diameter", n.casing_diameter)("casing_thickness", n.casing_thickness)(
        "steel_diameter", n.steel_diameter);
    Record(*this, at)("steel_thickness", n.steel_thickness)(
        "concrete_strength", n.concrete_strength)("casing_modulus", n.casing_modulus)(
        "casing_yield", n.casing_yield)("steel_modulus", n.steel_modulus)(
        "steel_yield", n.steel_yield)("embedded_steel", n.embedded_steel)("h_section", n.h_section)(
        "steel_aisc_code", n.steel_aisc_code)("reserved_5", n.reserved_5);
    Record(*this, at)("steel_name", n.steel_name);
    Record(*this, at)("reserved_6", n.reserved_6)("rebar_layout", n.rebar_layout)(
        "reserved_8", n.reserved_8)("reserved_9", n.reserved_9)("rebar_count", n.rebar_count)(
        "rebar_area", n.rebar_area)("rebar_diameter", n.rebar_diameter)(
        "rebar_cover", n.rebar_cover)("rebar_modulus", n.rebar_modulus)(
        "rebar_yield", n.rebar_yield)("confined", n.confined);
    Record(*this, at)("transverse_type", n.transverse_type)("reserved_13", n.reserved_13)(
        "reserved_14", n.reserved_14)("transverse_rebars", n.transverse_rebars)("legs_y", n.legs_y)(
        "legs_z", n.legs_z)("transverse_area", n.transverse_area)(
        "transverse_diameter", n.transverse_diameter)("transverse_spacing", n.transverse_spacing)(
        "transverse_yield", n.transverse_yield);
    read_rows(n.rebars, n.rebar_count, at + "/rebars");
    Record(*this, at)("reserved_18", n.reserved_18)("reserved_19", n.reserved_19)(
        "strand_layout", n.strand_layout)("reserved_21", n.reserved_21)(
        "strand_count", n.strand_count)("strand_diameter", n.strand_diameter)(
        "strand_area", n.strand_area)("strand_cover", n.strand_cover)(
        "strand_strength", n.strand_strength)("strand_prestress", n.strand_prestress)(
        "value_37", n.value_37)("value_38", n.value_38);
    read_rows(n.strands, n.strand_count, at + "/strands");
    Record(*this, at)("single_value_count", n.single_value_count)("reserved_24", n.reserved_24)(
        "reserved_25", n.reserved_25)("value_31", n.value_31)("value_32", n.value_32);
    read_values(n.single_values, n.single_value_count, at + "/single_values");
    Record(*this, at)("reserved_26", n.reserved_26)("reserved_27", n.reserved_27)(
        "reserved_28", n.reserved_28)("ei_set", n.ei_set)("reserved_30", n.reserved_30)(
        "reserved_31", n.reserved_31)("reserved_32", n.reserved_32)("value_33", n.value_33)(
        "hardening_strain", n.hardening_strain)("ultimate_strain", n.ultimate_strain)(
        "ultimate_over_yield", n.ultimate_over_yield);
    Record(*this, at)("strain_hardening", n.strain_hardening)("reserved_34", n.reserved_34)(
        "closing_value_count", n.closing_value_count)(
        "closing_values_given", n.closing_values_given)("value_39", n.value_39)("value_40",
                                                                                n.value_40);
    if (n.closing_value_count > 0 && n.closing_values_given > 0) {
      read_values(n.closing_values, n.closing_value_count, at + "/closing_values");
    }
  }

  void read_points(std::vector<MomentCurvaturePoint>& points, int count, const std::string& at) {
    for (int k = 0; k < records(count); ++k) {
      MomentCurvaturePoint& point = points.emplace_back();
      Record(*this, at + "/" + std::to_string(k))("moment", point.moment)("curvature",
                                                                          point.curvature);
    }
  }

  void read_moment_curvature(Problem& p) {
    MomentCurvature& mc = p.moment_curvature;
    const std::string at = path("moment_curvature");
    if (p.control.ei_set_count > 0) Record(*this, at)("reserved", mc.reserved);
    for (int k = 0; k < records(p.control.ei_set_count); ++k) {
      EiSet& set = mc.ei_sets.emplace_back();
      const std::string set_at = at + "/ei_sets/" + std::to_string(k);
      Record(*this, set_at)("thrust", set.thrust);
      Record(*this, set_at)("reserved", set.reserved)("point_count", set.point_count);
      read_points(set.points, set.point_count, set_at + "/points");
    }
    for (std::size_t k = 0; k < p.cross_sections.size(); ++k) {
      SectionCurves& curves = mc.section_curves.emplace_back();
      const std::string curves_at = at + "/section_curves/" + std::to_string(k);
      Record(*this, curves_at)("reserved", curves.reserved)("level_count", curves.level_count);
      for (int level = 0; level < records(curves.level_count); ++level) {
        ThrustLevel& l = curves.levels.emplace_back();
        const std::string level_at = curves_at + "/levels/" + std::to_string(level);
        Record(*this, level_at)("thrust", l.thrust)("second_value", l.second_value);
        Record(*this, level_at)("reserved", l.reserved)("point_count", l.point_count);
        read_points(l.points, l.point_count, level_at + "/points");
      }
    }
  }

  void read_soil(Problem& p) {
    WallRecord& w = p.wall;
    Record(*this, path("wall"))("free_height", w.free_height)("pressure_width", w.pressure_width)(
        "resistance_width", w.resistance_width)("water_depth_retained", w.water_depth_retained)(
        "water_depth_excavation", w.water_depth_excavation)("active_factor", w.active_factor)
        .code("water_pressure", w.water_pressure)("backfill_slope", w.backfill_slope)(
            "excavation_slope", w.excavation_slope);
    SurfaceRecord& s = p.surface;
    Record(*this, path("surface"))("pressure", s.pressure)("distance", s.distance)(
        "point_load", s.point_load)("line_load", s.line_load)("strip_pressure", s.strip_pressure)(
        "strip_width", s.strip_width);
    p.surcharge_count = read_count(path("surcharge_count"));
    for (int k = 0; k < records(p.surcharge_count); ++k) {
      Surcharge& item = p.surcharges.emplace_back();
      Record(*this, path("surcharges", std::size_t(k)))
          .code("type", item.type)("magnitude", item.magnitude)("distance", item.distance)(
              "width", item.width)("height", item.height)("factor", item.factor);
    }
    // The soil-layer head record: its items are fields of the problem itself.
    Record(*this, path("soil"), base_)("soil_layer_count", p.soil_layer_count)
        .code("loading", p.loading)("load_cycles", p.load_cycles);
    for (int k = 0; k < records(p.soil_layer_count); ++k) {
      SoilLayer& l = p.soil_layers.emplace_back();
      const std::string at = path("soil_layers", std::size_t(k));
      Record(*this, at).code("soil_type", l.soil_type)("bottom_depth", l.bottom_depth);
      Record(*this, at)("unit_weight", l.unit_weight)("strength", l.strength)(
          "friction_angle", l.friction_angle)("e50", l.e50)("kpy", l.kpy)("sixth", l.sixth);
      LayerValues& b = l.at_bottom;
      Record(*this, at + "/at_bottom")("unit_weight", b.unit_weight)("strength", b.strength)(
          "friction_angle", b.friction_angle)("e50", b.e50)("kpy", b.kpy)("sixth", b.sixth);
    }
  }

  void read_py_curves(Problem& p) {
    for (int k = 0; k < records(p.control.user_curve_count); ++k) {
      PyCurve& curve = p.py_curves.emplace_back();
      const std::string at = path("py_curves", std::size_t(k));
      Record(*this, at)("station", curve.station)("point_count", curve.point_count)(
          "p_multiplier", curve.p_multiplier)("y_multiplier", curve.y_multiplier);
      for (int j = 0; j < records(curve.point_count); ++j) {
        CurvePoint& point = curve.points.emplace_back();
        Record(*this, at + "/points/" + std::to_string(j))("y", point.y)("p", point.p);
      }
    }
  }

  ListInput in_;
  Deck& deck_;
  std::string base_;             // path of the problem being read
  std::string record_path_;      // path of the record being read
  int records_ = 0;              // records of the problem begun so far
  int record_ordinal_ = 0;       // the record being read, counted from the title
  std::size_t record_line_ = 1;  // line where the record being read begins
};

}  // namespace

bool problem_has_wall_model(const Problem& problem) {
  return problem.control.wall_section_count > 0;
}

bool problem_has_pressure_table(const Problem& problem) {
  return problem_has_wall_model(problem) &&
         problem.control.earth_pressure_option == EarthPressureOption::pressure_table;
}

bool problem_has_soil_records(const Problem& problem) {
  const Control& c = problem.control;
  return problem_has_wall_model(problem) &&
         (static_cast<int>(c.earth_pressure_option) >= 2 || c.py_option == PyOption::generated);
}

bool problem_has_user_curves(const Problem& problem) {
  const Control& c = problem.control;
  const int option = static_cast<int>(c.py_option);
  if (option == 2) {
    return c.user_curve_count != 0 &&
           (c.user_curve_count < 0 ||
            c.earth_pressure_option != EarthPressureOption::retained_soil);
  }
  return option < 2 && (c.user_curve_count != 0 || c.wall_section_count > 0);
}

const DeckPlace* deck::Deck::place_of(std::string_view path) const {
  const auto found = places.find(path);
  return found == places.end() ? nullptr : &found->second;
}

Deck read_deck(std::string_view text, std::string name) {
  Deck deck;
  deck.name = std::move(name);
  Reader reader(text, deck);
  reader.read_all();
  return deck;
}

}  // namespace kestro
