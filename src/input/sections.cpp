#include "input/sections.h"

#include <cmath>
#include <string>
#include <string_view>

#include "common/report_writers.h"
#include "common/run_stop.h"
#include "common/text.h"

namespace kestro {

namespace {

// The SI moment of inertia is given in mm^4 and kept in m^4; the divisor is
// the single-precision value of 1.0E12.
constexpr double kMm4PerM4 = double(1.0e12f);

struct SectionFormats {
  FortranFormat wall_head = FortranFormat::parse(
      "(/5X,'* WALL SECTIONS *'//5X,'  SECT',9X,' TOP ',7X,'BOTTOM',5X,'SECTION')");
  FortranFormat wall_units = FortranFormat::parse("(5X,'      ',9X,1X,A2,12X,A2)");
  FortranFormat cross_head = FortranFormat::parse("(/5X,'* CROSS SECTIONS *')");
  FortranFormat section_number = FortranFormat::parse("(/5X,' CROSS SECTION       : ',I5)");
  FortranFormat text_line = FortranFormat::parse("(5X,A,A)");
  FortranFormat tapered_head =
      FortranFormat::parse("(5X,' TAPERED SECTION       ','          TOP',10X,'       BOTTOM')");
  FortranFormat properties_head = FortranFormat::parse("(//5X,'* CROSS SECTIONS PROPERTIES *')");
  FortranFormat elastic_head = FortranFormat::parse("(/5X,'         ELASTIC SECTIONS         ')");
  FortranFormat nonlinear_head = FortranFormat::parse("(/5X,'         NONLINEAR SECTIONS       ')");
  FortranFormat property_columns =
      FortranFormat::parse("(/5X,'  SECT',11X,'DIAM,',A2,5X,'  I,',A2,A2,A1)");
  FortranFormat piece = FortranFormat::parse("(A,\\)");
};

const SectionFormats& formats() {
  static const SectionFormats kFormats;
  return kFormats;
}

// " NAME                : " as the echo lines print their labels.
std::string field_label(std::string_view name) {
  return fit(" " + std::string(name), 21) + ": ";
}

void text(TextUnit& unit, std::string_view piece) {
  unit.write(formats().piece, {piece});
}

// One echo line: 5X, the label, then the pieces that follow it.
class EchoLine {
 public:
  EchoLine(TextUnit& unit, std::string_view name) : unit_(unit) {
    write_blanks(unit_, 5);
    text(unit_, field_label(name));
  }
  EchoLine& number(double value, int width = 13) {
    write_number(unit_, width, 5, value);
    return *this;
  }
  EchoLine& label(std::string_view piece) {
    text(unit_, piece);
    return *this;
  }
  void end() { line_end(unit_); }

 private:
  TextUnit& unit_;
};

// Units printed after section values.
struct SectionUnits {
  std::string length;  // " IN" / " MM"
  std::string area;    // " IN**2"
  std::string stress;  // " LBS/IN**2" (also modulus)
  std::string force;   // " LBS"
};

SectionUnits section_units(const UnitLabels& l) {
  const std::string length(l.section_length);
  return SectionUnits{" " + length, " " + length + std::string(l.power) + std::string(l.digit2),
                      " " + std::string(l.section_force) + std::string(l.slash) +
                          std::string(l.length_short) + std::string(l.power) +
                          std::string(l.digit2),
                      std::string(l.force)};
}

// The dimensions an elastic section echoes.
enum class Dimension {
  diameter,
  internal_diameter,
  external_width,
  external_depth,
  internal_width,
  internal_depth,
  flange_thickness,
  web_thickness,
  thickness,
};

// The elastic shape types and their echo.
struct ShapeEcho {
  std::string_view type_text;
  std::vector<Dimension> dimensions;  // dimension lines, in order
};

double dimension_value(const CrossSection& section, Dimension dimension, bool at_bottom) {
  const SectionValues& v = at_bottom ? section.bottom : section.top;
  switch (dimension) {
    case Dimension::diameter:
      return v.diameter;
    case Dimension::internal_diameter:
      return v.internal_diameter;
    case Dimension::external_width:
      return v.external_width;
    case Dimension::external_depth:
      return v.external_depth;
    case Dimension::internal_width:
      return v.internal_width;
    case Dimension::internal_depth:
      return v.internal_depth;
    case Dimension::flange_thickness:
      return v.flange_thickness;
    case Dimension::web_thickness:
      return v.web_thickness;
    case Dimension::thickness:
      return section.thickness;
  }
  return 0.0;
}

std::string_view dimension_label(const CrossSection& section, Dimension dimension) {
  const bool sheet = section.shape() == ShapeType::sheet_piling;
  switch (dimension) {
    case Dimension::diameter:
      return (section.shape() == ShapeType::circular_pipe ||
              (section.shape() == ShapeType::aisc && section.diameter_label_flag != 0))
                 ? "EXTERNAL DIAMETER"
                 : "EQUIVALENT DIAMETER";
    case Dimension::internal_diameter:
      return "INTERNAL DIAMETER";
    case Dimension::external_width:
      return sheet ? "WIDTH" : "EXTERNAL WIDTH";
    case Dimension::external_depth:
      return sheet ? "DEPTH" : "EXTERNAL DEPTH";
    case Dimension::internal_width:
      return "INTERNAL WIDTH";
    case Dimension::internal_depth:
      return "INTERNAL DEPTH";
    case Dimension::flange_thickness:
      return "FLANGE THICKNESS";
    case Dimension::web_thickness:
      return "WEB THICKNESS";
    case Dimension::thickness:
      return "THICKNESS";
  }
  return "";
}

std::string_view aisc_type_text(int code) {
  switch (code) {
    case 0:
      return "AISC SECTION (W)";
    case 1:
      return "AISC SECTION (M)";
    case 2:
      return "AISC SECTION (S)";
    case 3:
      return "AISC SECTION (HP)";
    case 11:
      return "AISC SECTION (HSS)";
    case 12:
      return "AISC SECTION (PIPE)";
    default:
      return "AISC SECTION";
  }
}

ShapeEcho shape_echo(const CrossSection& section) {
  using D = Dimension;
  const std::vector<D> plate = {D::diameter, D::external_width, D::external_depth,
                                D::flange_thickness, D::web_thickness};
  switch (section.shape()) {
    case ShapeType::general:
      return {"GENERAL SECTION", {D::diameter}};
    case ShapeType::circular_pipe:
      return {"CIRCULAR PIPE", {D::diameter, D::internal_diameter}};
    case ShapeType::rectangular_pipe:
      return {"RECTANGULAR PIPE",
              {D::diameter, D::external_width, D::external_depth, D::internal_width,
               D::internal_depth}};
    case ShapeType::i_section:
      return {"I SECTION", plate};
    case ShapeType::h_section:
      return {"H SECTION", plate};
    case ShapeType::aisc:
      if (section.aisc_code <= 11) return {aisc_type_text(section.aisc_code), plate};
      return {aisc_type_text(section.aisc_code), {D::diameter, D::internal_diameter, D::thickness}};
    case ShapeType::sheet_piling:
      return {"SHEET PILING", {D::external_width, D::external_depth, D::web_thickness}};
  }
  return {"", {}};
}

std::string_view nonlinear_type_text(const CrossSection& section) {
  switch (section.nonlinear_type()) {
    case NonlinearType::rectangular_concrete:
      return "RECTANGULAR CONCRETE PILE";
    case NonlinearType::round_concrete:
      return "ROUND CONCRETE SHAFT";
    case NonlinearType::round_concrete_casing:
      return "ROUND CONC. SHAFT, CASING (AND STEEL SECTION)";
    case NonlinearType::round_prestressed:
      return "ROUND PRESTRESSED PILE";
    case NonlinearType::square_prestressed:
      return "SQUARE PRESTRESSED PILE";
    case NonlinearType::octagonal_prestressed:
      return "OCTOGONAL PRESTRESSED PILE";
    case NonlinearType::steel_pipe:
      return "STEEL PIPE PILE";
    case NonlinearType::steel_i_or_h:
      return section.descriptors.h_flag == 0 ? "STEEL I SECTION PILE" : "STEEL H SECTION PILE";
    case NonlinearType::steel_aisc:
      return "STEEL AISC SECTION PILE";
    case NonlinearType::user_defined_ei:
      return "USER DEFINED EI";
  }
  return "";
}

// ---- reading ---------------------------------------------------------------

// A count of repeated records (rebars, strands, one-real records), given on
// the given line, must not be negative.
void refuse_negative_count(const InputContext& context, int count, std::size_t line,
                           std::string_view what) {
  if (count < 0) {
    stop_bad_record(context.in(), line,
                    "the number of " + std::string(what) + " must not be negative, found " +
                        std::to_string(count));
  }
}

// Takes `count` repeated records of `width` reals each, refusing more than
// the store holds.
template <std::size_t width>
void take_records(const InputContext& context, int count,
                  const std::vector<std::array<double, width>>& given,
                  std::vector<std::array<double, width>>& rows, std::size_t line,
                  const std::string& at, std::string_view what) {
  refuse_negative_count(context, count, line, what);
  if (count > kMaxBars) {
    stop_error(ErrorStop::too_much_data, place_of(context.in(), line),
               "more than " + std::to_string(kMaxBars) + " " + std::string(what) + ": " +
                   std::to_string(count));
  }
  rows.clear();
  for (int k = 0; k < count; ++k) {
    context.in().take(at + "/" + std::to_string(k) + "/" + std::to_string(width - 1));
    rows.push_back(given[static_cast<std::size_t>(k)]);
  }
}

void take_single_values(const InputContext& context, int count, const std::vector<double>& given,
                        std::vector<double>& values, std::size_t line, const std::string& at,
                        std::string_view what) {
  refuse_negative_count(context, count, line, what);
  if (count > kMaxRepeatedValues) {
    stop_error(ErrorStop::too_much_data, place_of(context.in(), line),
               "more than " + std::to_string(kMaxRepeatedValues) + " " + std::string(what) + ": " +
                   std::to_string(count));
  }
  values.clear();
  for (int k = 0; k < count; ++k) {
    context.in().take(at + "/" + std::to_string(k));
    values.push_back(given[static_cast<std::size_t>(k)]);
  }
}

// The values of an elastic section at one end, as the deck gives them.
SectionValues section_values(const deck::SectionValues& v) {
  SectionValues s;
  s.diameter = v.diameter;
  s.internal_diameter = v.internal_diameter;
  s.external_width = v.external_width;
  s.external_depth = v.external_depth;
  s.internal_width = v.internal_width;
  s.internal_depth = v.internal_depth;
  s.flange_thickness = v.flange_thickness;
  s.web_thickness = v.web_thickness;
  s.value9 = v.value_9;
  s.value10 = v.value_10;
  s.value11 = v.value_11;
  s.I = v.moment_of_inertia;
  s.values13_16 = {v.value_13, v.value_14, v.value_15, v.value_16};
  s.E = v.elastic_modulus;
  s.value18 = v.value_18;
  s.value38 = v.value_19;
  return s;
}

void read_elastic(const InputContext& context, const deck::CrossSection& given,
                  const std::string& at, CrossSection& s) {
  DeckSource& in = context.in();
  in.take(at + "/top/web_thickness");
  in.take(at + "/tapered");
  s.top = section_values(given.top);
  s.tapered = given.tapered;
  if (s.tapered > 0) {
    in.take(at + "/bottom/web_thickness");
    in.take(at + "/bottom/value_19");
    s.bottom = section_values(given.bottom.value_or(deck::SectionValues{}));
  } else {
    s.bottom = s.top;
  }
  in.take(at + "/aisc_reserved_2");
  s.aisc_code = given.aisc_code;
  s.aisc_unused1 = given.aisc_reserved_1;
  s.thickness = given.thickness;
  s.diameter_label_flag = given.diameter_label_flag;
  s.aisc_unused2 = given.aisc_reserved_2;
  in.take(at + "/aisc_name");
  s.aisc_name = given.aisc_name;
}

void read_nonlinear(const InputContext& context, const deck::CrossSection& section,
                    const std::string& at, CrossSection& s) {
  DeckSource& in = context.in();
  const deck::NonlinearSection g = section.nonlinear.value_or(deck::NonlinearSection{});
  NonlinearValues& n = s.values;
  NonlinearDescriptors& d = s.descriptors;
  SectionValues& top = s.top;
  in.take(at + "/equivalent_elastic_modulus");
  top.diameter = g.equivalent_diameter;
  top.value38 = g.value_2;
  top.value10 = g.value_3;
  top.value11 = g.value_4;
  top.I = g.equivalent_moment_of_inertia;
  top.values13_16[1] = g.value_6;
  top.values13_16[2] = g.value_7;
  top.values13_16[3] = g.value_8;
  top.E = g.equivalent_elastic_modulus;
  in.take(at + "/steel_diameter");
  d.type = g.type;
  n.external_width = g.external_width;
  n.external_depth = g.external_depth;
  n.external_diameter = g.external_diameter;
  n.void_diameter = g.void_diameter;
  n.corner_chamfer = g.corner_chamfer;
  n.web_thickness = g.web_thickness;
  n.flange_thickness = g.flange_thickness;
  n.casing_diameter = g.casing_diameter;
  n.casing_thickness = g.casing_thickness;
  n.steel_diameter = g.steel_diameter;
  in.take(at + "/reserved_5");
  n.steel_thickness = g.steel_thickness;
  n.concrete_fc = g.concrete_strength;
  n.casing_Es = g.casing_modulus;
  n.casing_fy = g.casing_yield;
  n.steel_Es = g.steel_modulus;
  n.steel_fy = g.steel_yield;
  d.embedded_steel = g.embedded_steel;
  d.h_flag = g.h_section;
  d.steel_aisc_code = g.steel_aisc_code;
  d.d5 = g.reserved_5;
  in.take(at + "/steel_name");
  s.steel_name = g.steel_name;
  in.take(at + "/confined");
  d.d6 = g.reserved_6;
  d.rebar_layout = g.rebar_layout;
  d.d8 = g.reserved_8;
  d.d9 = g.reserved_9;
  d.rebars = g.rebar_count;
  n.rebar_area = g.rebar_area;
  n.rebar_diameter = g.rebar_diameter;
  n.rebar_cover = g.rebar_cover;
  n.rebar_Es = g.rebar_modulus;
  n.rebar_fy = g.rebar_yield;
  d.confined = g.confined;
  const std::size_t rebar_line = in.current_line();
  in.take(at + "/transverse_yield");
  d.transverse_type = g.transverse_type;
  d.d13 = g.reserved_13;
  d.d14 = g.reserved_14;
  d.transverse_rebars = g.transverse_rebars;
  d.legs_y = g.legs_y;
  d.legs_z = g.legs_z;
  n.transverse_area = g.transverse_area;
  n.transverse_diameter = g.transverse_diameter;
  n.transverse_spacing = g.transverse_spacing;
  n.transverse_fy = g.transverse_yield;
  take_records(context, d.rebars, g.rebars, s.rebars, rebar_line, at + "/rebars", "rebars");
  in.take(at + "/value_38");
  d.d18 = g.reserved_18;
  d.d19 = g.reserved_19;
  d.strand_layout = g.strand_layout;
  d.d21 = g.reserved_21;
  d.strands = g.strand_count;
  n.strand_diameter = g.strand_diameter;
  n.strand_area = g.strand_area;
  n.strand_cover = g.strand_cover;
  n.strand_fu = g.strand_strength;
  n.strand_prestress = g.strand_prestress;
  n.value37 = g.value_37;
  n.value38 = g.value_38;
  take_records(context, d.strands, g.strands, s.strands, in.current_line(), at + "/strands",
               "strands");
  in.take(at + "/value_32");
  d.single_values = g.single_value_count;
  d.d24 = g.reserved_24;
  d.d25 = g.reserved_25;
  n.value31 = g.value_31;
  n.value32 = g.value_32;
  take_single_values(context, d.single_values, g.single_values, s.single_values, in.current_line(),
                     at + "/single_values", "D23 records");
  in.take(at + "/ultimate_over_yield");
  d.d26 = g.reserved_26;
  d.d27 = g.reserved_27;
  d.d28 = g.reserved_28;
  d.ei_set = g.ei_set;
  d.d30 = g.reserved_30;
  d.d31 = g.reserved_31;
  d.d32 = g.reserved_32;
  n.value33 = g.value_33;
  n.ESH = g.hardening_strain;
  n.ESU = g.ultimate_strain;
  n.fu_over_fy = g.ultimate_over_yield;
  in.take(at + "/value_40");
  d.strain_hardening = g.strain_hardening;
  d.d34 = g.reserved_34;
  d.closing_values = g.closing_value_count;
  d.d36 = g.closing_values_given;
  n.value39 = g.value_39;
  n.value40 = g.value_40;
  if (d.closing_values > 0 && d.d36 > 0) {
    take_single_values(context, d.closing_values, g.closing_values, s.closing_values,
                       in.current_line(), at + "/closing_values", "D35 records");
  }
}

// ---- echo ------------------------------------------------------------------

void echo_elastic(const InputContext& context, const CrossSection& s) {
  TextUnit& report = context.report;
  const SectionUnits units = section_units(context.labels);
  const ShapeEcho shape = shape_echo(s);
  EchoLine(report, "TYPE").label(" ELASTIC").end();
  EchoLine(report, "CROSS SECTION TYPE").label(shape.type_text).end();
  const bool tapered_echo = s.is_tapered() && s.shape_code <= 4;
  if (tapered_echo) {
    report.write(formats().tapered_head);
    for (Dimension dimension : shape.dimensions) {
      EchoLine(report, dimension_label(s, dimension))
          .number(dimension_value(s, dimension, false))
          .label(units.length)
          .label("       ")
          .number(dimension_value(s, dimension, true))
          .label(units.length)
          .end();
    }
    EchoLine(report, "YOUNG MODULUS")
        .number(s.top.E)
        .label(units.stress)
        .number(s.bottom.E)
        .label(units.stress)
        .end();
    return;
  }
  if (s.shape() == ShapeType::aisc) {
    EchoLine(report, "AISC SECTION NAME").label(fit(s.aisc_name, 32)).end();
  } else if (s.shape() == ShapeType::sheet_piling) {
    EchoLine(report, "SECTION NAME").label(fit(s.aisc_name, 32)).end();
  }
  for (Dimension dimension : shape.dimensions) {
    EchoLine(report, dimension_label(s, dimension))
        .number(dimension_value(s, dimension, false))
        .label(units.length)
        .end();
  }
  EchoLine(report, "YOUNG MODULUS").number(s.top.E).label(units.stress).end();
}

struct NonlinearLine {
  std::string_view label;
  double NonlinearValues::*value;
  enum Unit { length, stress, area, force, none } unit;
};

// Layout of rebars or strands by its code: 0 circular, 1 rectangular,
// 2 square, any other manual.
std::string_view layout_name(int code) {
  static constexpr std::string_view kLayouts[] = {"CIRCULAR", "RECTANGULAR", "SQUARE", "MANUAL"};
  return code >= 0 && code < 4 ? kLayouts[code] : kLayouts[3];
}

// One line per rebar or strand: its number and its first two values.
void coordinate_lines(TextUnit& report, std::string_view mark,
                      const std::vector<std::array<double, 5>>& rows) {
  for (std::size_t i = 0; i < rows.size(); ++i) {
    write_blanks(report, 5);
    text(report, mark);
    write_integer(report, 4, static_cast<int>(i + 1));
    write_number(report, 13, 5, rows[i][0]);
    write_number(report, 13, 5, rows[i][1]);
    line_end(report);
  }
}

void echo_nonlinear(const InputContext& context, const CrossSection& s) {
  TextUnit& report = context.report;
  const SectionUnits units = section_units(context.labels);
  EchoLine(report, "TYPE").label(" NONLINEAR").end();
  EchoLine(report, "CROSS SECTION TYPE").label(nonlinear_type_text(s)).end();
  auto line = [&](const NonlinearLine& l) {
    EchoLine echo(report, l.label);
    echo.number(s.values.*l.value);
    switch (l.unit) {
      case NonlinearLine::length:
        echo.label(units.length);
        break;
      case NonlinearLine::stress:
        echo.label(units.stress);
        break;
      case NonlinearLine::area:
        echo.label(units.area);
        break;
      case NonlinearLine::force:
        echo.label(units.force);
        break;
      case NonlinearLine::none:
        break;
    }
    echo.end();
  };
  using L = NonlinearLine;
  const L fc{"CONCRETE FC", &NonlinearValues::concrete_fc, L::stress};
  const L es_steel{"ES STEEL", &NonlinearValues::steel_Es, L::stress};
  const L fy_steel{"FY STEEL", &NonlinearValues::steel_fy, L::stress};
  bool reinforced = false;
  bool prestressed = false;
  bool steel = false;
  switch (s.nonlinear_type()) {
    case NonlinearType::rectangular_concrete:
      for (const L& l : {L{"EXTERNAL WIDTH", &NonlinearValues::external_width, L::length},
                         L{"EXTERNAL DEPTH", &NonlinearValues::external_depth, L::length}, fc})
        line(l);
      reinforced = true;
      break;
    case NonlinearType::round_concrete:
      for (const L& l :
           {L{"EXTERNAL DIAMETER", &NonlinearValues::external_diameter, L::length}, fc})
        line(l);
      reinforced = true;
      break;
    case NonlinearType::round_concrete_casing:
      line(L{"CONCRETE DIAMETER", &NonlinearValues::external_diameter, L::length});
      line(fc);
      if (s.values.casing_diameter > 0.0) {
        for (const L& l : {L{"DIAMETER CASING", &NonlinearValues::casing_diameter, L::length},
                           L{"THICKNESS CASING", &NonlinearValues::casing_thickness, L::length},
                           L{"ES CASING", &NonlinearValues::casing_Es, L::stress},
                           L{"FY CASING", &NonlinearValues::casing_fy, L::stress}})
          line(l);
      } else {
        EchoLine(report, "DIAMETER CASING").label("NO CASING").end();
      }
      if (s.descriptors.embedded_steel > 0) {
        EchoLine(report, "EMBEDDED STEEL SECT").label(fit(s.steel_name, 32)).end();
        for (const L& l : {es_steel, fy_steel})
          line(l);
      } else {
        EchoLine(report, "EMBEDDED STEEL SECT").label("NONE").end();
      }
      reinforced = true;
      break;
    case NonlinearType::round_prestressed:
      for (const L& l : {L{"EXTERNAL DIAMETER", &NonlinearValues::external_diameter, L::length},
                         L{"VOID DIAMETER", &NonlinearValues::void_diameter, L::length}, fc})
        line(l);
      prestressed = true;
      break;
    case NonlinearType::square_prestressed:
      for (const L& l : {L{"EXTERNAL WIDTH", &NonlinearValues::external_width, L::length},
                         L{"VOID DIAMETER", &NonlinearValues::void_diameter, L::length},
                         L{"CORNER CHAMFER", &NonlinearValues::corner_chamfer, L::length}, fc})
        line(l);
      prestressed = true;
      break;
    case NonlinearType::octagonal_prestressed:
      for (const L& l : {L{"EXTERNAL WIDTH", &NonlinearValues::external_width, L::length},
                         L{"VOID DIAMETER", &NonlinearValues::void_diameter, L::length}, fc})
        line(l);
      prestressed = true;
      break;
    case NonlinearType::steel_pipe:
      for (const L& l :
           {L{"DIAMETER STEEL", &NonlinearValues::steel_diameter, L::length},
            L{"THICKNESS STEEL", &NonlinearValues::steel_thickness, L::length}, es_steel, fy_steel})
        line(l);
      steel = true;
      break;
    case NonlinearType::steel_i_or_h:
      for (const L& l :
           {L{"EXTERNAL WIDTH", &NonlinearValues::external_width, L::length},
            L{"EXTERNAL DEPTH", &NonlinearValues::external_depth, L::length},
            L{"FLANGE THICKNESS", &NonlinearValues::flange_thickness, L::length},
            L{"WEB THICKNESS", &NonlinearValues::web_thickness, L::length}, es_steel, fy_steel})
        line(l);
      steel = true;
      break;
    case NonlinearType::steel_aisc:
      EchoLine(report, "STEEL SECTION").label(fit(s.steel_name, 32)).end();
      for (const L& l : {es_steel, fy_steel})
        line(l);
      steel = true;
      break;
    case NonlinearType::user_defined_ei:
      EchoLine(report, "NONLINEAR EI INDEX").label(std::to_string(s.descriptors.ei_set)).end();
      break;
  }
  if (reinforced && s.descriptors.rebars > 0) {
    EchoLine(report, "NUMBER REBARS").label(std::to_string(s.descriptors.rebars)).end();
    for (const L& l : {L{"DIAMETER REINF.", &NonlinearValues::rebar_diameter, L::length},
                       L{"AREA REINFORCEMENT", &NonlinearValues::rebar_area, L::area},
                       L{"ES REINFORCEMENT", &NonlinearValues::rebar_Es, L::stress},
                       L{"FY REINFORCEMENT", &NonlinearValues::rebar_fy, L::stress}})
      line(l);
    EchoLine(report, "REINF. LAYOUT").label(layout_name(s.descriptors.rebar_layout)).end();
    line(L{"COVER", &NonlinearValues::rebar_cover, L::length});
    EchoLine(report, "REINF. COORDS").end();
    coordinate_lines(report, " - REBAR ", s.rebars);
  }
  EchoLine(report, "EQ. YOUNG MODULUS").number(s.top.E).label(units.stress).end();
  if (reinforced && s.descriptors.confined != 0) {
    EchoLine(report, "CONFINED SECTION").end();
    EchoLine(report, "NUMBER TR. REBARS")
        .label(std::to_string(s.descriptors.transverse_rebars))
        .end();
    for (const L& l : {L{"DIAMETER TR. REINF.", &NonlinearValues::transverse_diameter, L::length},
                       L{"AREA TRANSV. REINF.", &NonlinearValues::transverse_area, L::area},
                       L{"SPACING TR. REINF.", &NonlinearValues::transverse_spacing, L::length},
                       L{"FY TRANSV. REINF.", &NonlinearValues::transverse_fy, L::stress}})
      line(l);
    EchoLine(report, "NUMBER LEGS Y").label(std::to_string(s.descriptors.legs_y)).end();
    EchoLine(report, "NUMBER LEGS Z").label(std::to_string(s.descriptors.legs_z)).end();
    EchoLine(report, "TRANSV. REINF. TYPE")
        .label(s.descriptors.transverse_type == 1 ? "SPIRAL" : "HOOP")
        .end();
  }
  if (steel && s.descriptors.strain_hardening != 0) {
    EchoLine(report, "USE STRAIN HARDENING MODEL").end();
    for (const L& l :
         {L{"ESH", &NonlinearValues::ESH, L::none}, L{"ESU", &NonlinearValues::ESU, L::none},
          L{"FU/FY", &NonlinearValues::fu_over_fy, L::none}})
      line(l);
  }
  if (prestressed && s.descriptors.strands > 0) {
    EchoLine(report, "NUMBER STRANDS").label(std::to_string(s.descriptors.strands)).end();
    for (const L& l : {L{"DIAMETER STRAND", &NonlinearValues::strand_diameter, L::length},
                       L{"AREA STRAND", &NonlinearValues::strand_area, L::area},
                       L{"FU STRAND", &NonlinearValues::strand_fu, L::stress},
                       L{"INITIAL PRESS. FORCE", &NonlinearValues::strand_prestress, L::force}})
      line(l);
    EchoLine(report, "STRAND LAYOUT").label(layout_name(s.descriptors.strand_layout)).end();
    line(L{"COVER", &NonlinearValues::strand_cover, L::length});
    EchoLine(report, "STRAND COORDS").end();
    coordinate_lines(report, " - STRAND ", s.strands);
  }
}

void property_row(TextUnit& report, int number, std::string_view mark, double diameter,
                  double inertia) {
  write_blanks(report, 5);
  if (number > 0) {
    write_integer(report, 5, number);
  } else {
    write_blanks(report, 5);
  }
  write_blanks(report, 1);
  if (mark.empty()) {
    write_blanks(report, 5);
  } else {
    write_blanks(report, 1);
    text(report, mark);
    write_blanks(report, 1);
  }
  write_number(report, 14, 5, diameter);
  write_number(report, 14, 5, inertia);
  line_end(report);
}

void echo_properties(const InputContext& context) {
  TextUnit& report = context.report;
  const SectionFormats& f = formats();
  const UnitLabels& l = context.labels;
  const std::vector<CrossSection>& sections = context.tables.cross_sections;
  report.write(f.properties_head);
  bool any_elastic = false;
  bool any_nonlinear = false;
  for (const CrossSection& s : sections)
    (s.nonlinear() ? any_nonlinear : any_elastic) = true;
  if (any_elastic) {
    report.write(f.elastic_head);
    report.write(f.property_columns, {l.section_length, l.section_length, l.power, l.digit4});
    for (std::size_t i = 0; i < sections.size(); ++i) {
      const CrossSection& s = sections[i];
      if (s.nonlinear()) continue;
      const int number = static_cast<int>(i + 1);
      if (s.is_tapered()) {
        property_row(report, number, "TOP", s.top.diameter, s.top.I);
        property_row(report, 0, "BOT", s.bottom.diameter, s.bottom.I);
      } else {
        property_row(report, number, "", s.top.diameter, s.top.I);
      }
    }
  }
  if (any_nonlinear) {
    report.write(f.nonlinear_head);
    report.write(f.property_columns, {l.section_length, l.section_length, l.power, l.digit4});
    for (std::size_t i = 0; i < sections.size(); ++i) {
      const CrossSection& s = sections[i];
      if (!s.nonlinear()) continue;
      const double inertia =
          s.nonlinear_type() == NonlinearType::user_defined_ei ? s.top.value11 : s.top.I;
      property_row(report, static_cast<int>(i + 1), "", s.top.diameter, inertia);
    }
  }
}

}  // namespace

int depth_station(const InputContext& context, double depth) {
  const double scale = context.control.units == UnitSystem::english ? 12.0 : 1.0;
  const double station = std::round(depth * scale / context.geometry.h);
  // Depths far outside the wall are clamped so the conversion stays defined;
  // the table checks then refuse them as stations outside the wall.
  if (!(station > -1.0e6)) return -1000000;
  if (station > 1.0e6) return 1000000;
  return static_cast<int>(station);
}

void read_wall_sections(const InputContext& context) {
  std::vector<WallSection>& sections = context.tables.wall_sections;
  sections.clear();
  const std::vector<deck::WallSection>& given = context.records().wall_sections;
  for (int k = 0; k < context.control.wall_sections; ++k) {
    const std::string at = "wall_sections/" + std::to_string(k);
    context.in().take(at + "/cross_section");
    const deck::WallSection& record = given[static_cast<std::size_t>(k)];
    WallSection& section = sections.emplace_back();
    section.top = record.top;
    section.bottom = record.bottom;
    section.section = record.cross_section;
    section.line = context.in().current_line();
  }
  TextUnit& report = context.report;
  report.write(formats().wall_head);
  const std::string_view depth = context.labels.depth_alt.substr(0, 2);
  report.write(formats().wall_units, {depth, depth});
  for (std::size_t k = 0; k < sections.size(); ++k) {
    write_blanks(report, 5);
    write_integer(report, 5, static_cast<int>(k + 1));
    write_blanks(report, 1);
    write_number(report, 14, 5, sections[k].top);
    write_number(report, 14, 5, sections[k].bottom);
    write_blanks(report, 3);
    write_integer(report, 5, sections[k].section);
    line_end(report);
  }
  line_end(report);
}

void read_cross_sections(const InputContext& context) {
  const int count = context.control.cross_sections;
  if (count < 0)
    stop_bad_record(context.in(), context.control.line,
                    "the number of cross sections must not be negative");
  if (count > kMaxCrossSections)
    stop_error(ErrorStop::too_much_data, place_of(context.in(), context.control.line),
               "more than " + std::to_string(kMaxCrossSections) +
                   " cross sections: " + std::to_string(count));
  std::vector<CrossSection>& sections = context.tables.cross_sections;
  sections.assign(static_cast<std::size_t>(count), {});
  DeckSource& in = context.in();
  for (CrossSection& s : sections) {
    const std::size_t k = static_cast<std::size_t>(&s - sections.data());
    const std::string at = "cross_sections/" + std::to_string(k);
    in.take(at + "/nonlinear_flag");
    const deck::CrossSection& given = context.records().cross_sections[k];
    const std::size_t line = in.line_of(at + "/reserved_1");
    s.line = line;
    s.unused1 = given.reserved_1;
    s.unused2 = given.reserved_2;
    s.shape_code = static_cast<int>(given.shape);
    s.nonlinear_flag = given.nonlinear_flag;
    in.take(at + "/name");
    s.name = given.name;
    if (s.nonlinear()) {
      read_nonlinear(context, given, at + "/nonlinear", s);
      if (s.descriptors.type < 1 || s.descriptors.type > 10) {
        // Two lines below the section's head: its first nonlinear record.
        stop_bad_record(in,
                        in.by_path() ? in.line_of(at + "/nonlinear/equivalent_diameter") : line + 2,
                        "the nonlinear section type must be 1 to 10, found " +
                            std::to_string(s.descriptors.type));
      }
    } else {
      if (s.shape_code < 0 || s.shape_code > 6) {
        stop_bad_record(
            in, line,
            "the cross-section shape type must be 0 to 6, found " + std::to_string(s.shape_code));
      }
      read_elastic(context, given, at, s);
    }
    if (s.nonlinear()) continue;
    const double divisor = context.control.units == UnitSystem::si ? kMm4PerM4 : 1.0;
    s.I_top = s.top.I / divisor;
    s.E_top = s.top.E;
    s.I_bottom = s.bottom.I / divisor;
    s.E_bottom = s.bottom.E;
    if (!std::isfinite(s.E_top * s.I_top) || !std::isfinite(s.E_bottom * s.I_bottom)) {
      stop_bad_record(in, line,
                      "the flexural rigidity E*I of cross section " +
                          std::to_string(&s - sections.data() + 1) + " is too large");
    }
  }
  for (std::size_t k = 0; k < context.tables.wall_sections.size(); ++k) {
    const int number = context.tables.wall_sections[k].section;
    if (number < 1 || number > count) {
      stop_bad_record(in, context.tables.wall_sections[k].line,
                      "wall section " + std::to_string(k + 1) + " names cross section " +
                          std::to_string(number) + ", but there are " + std::to_string(count) +
                          " cross sections");
    }
  }

  TextUnit& report = context.report;
  report.write(formats().cross_head);
  for (std::size_t i = 0; i < sections.size(); ++i) {
    const CrossSection& s = sections[i];
    report.write(formats().section_number, {static_cast<int>(i + 1)});
    EchoLine(report, "SECTION NAME").label(fit(s.name, 32)).end();
    if (s.nonlinear()) {
      echo_nonlinear(context, s);
    } else {
      echo_elastic(context, s);
    }
  }
  echo_properties(context);
}

}  // namespace kestro
