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

// A count of repeated records (rebars, strands, one-real records), read on
// the given line, must not be negative.
void refuse_negative_count(const InputContext& context, int count, std::size_t line,
                           std::string_view what) {
  if (count < 0) {
    stop_bad_record(context.in(), line,
                    "the number of " + std::string(what) + " must not be negative, found " +
                        std::to_string(count));
  }
}

// Reads `count` repeated records of `width` reals each, refusing more than
// the store holds.
template <std::size_t width>
void read_records(const InputContext& context, int count,
                  std::vector<std::array<double, width>>& rows, std::size_t line,
                  std::string_view what) {
  refuse_negative_count(context, count, line, what);
  if (count > kMaxBars) {
    stop_error(ErrorStop::too_much_data, place_of(context.in(), line),
               "more than " + std::to_string(kMaxBars) + " " + std::string(what) + ": " +
                   std::to_string(count));
  }
  rows.assign(static_cast<std::size_t>(std::max(count, 0)), {});
  for (auto& row : rows) {
    ListRead read = context.in().read();
    for (double& value : row)
      read.real(value);
  }
}

void read_single_values(const InputContext& context, int count, std::vector<double>& values,
                        std::size_t line, std::string_view what) {
  refuse_negative_count(context, count, line, what);
  if (count > kMaxRepeatedValues) {
    stop_error(ErrorStop::too_much_data, place_of(context.in(), line),
               "more than " + std::to_string(kMaxRepeatedValues) + " " + std::string(what) + ": " +
                   std::to_string(count));
  }
  values.assign(static_cast<std::size_t>(std::max(count, 0)), 0.0);
  for (double& value : values) {
    ListRead read = context.in().read();
    read.real(value);
  }
}

// The dimension record of an elastic section: eight reals.
void read_dimensions(ListInput& in, SectionValues& v) {
  ListRead read = in.read();
  for (double* value :
       {&v.diameter, &v.internal_diameter, &v.external_width, &v.external_depth, &v.internal_width,
        &v.internal_depth, &v.flange_thickness, &v.web_thickness})
    read.real(*value);
}

// The stiffness values of an elastic section: ten reals and the value kept
// beside them, read as the start of the record `read`.
void read_stiffness(ListRead& read, SectionValues& v) {
  for (double* value :
       {&v.value9, &v.value10, &v.value11, &v.I, &v.values13_16[0], &v.values13_16[1],
        &v.values13_16[2], &v.values13_16[3], &v.E, &v.value18, &v.value38})
    read.real(*value);
}

void read_elastic(const InputContext& context, CrossSection& s) {
  ListInput& in = context.in();
  read_dimensions(in, s.top);
  {
    ListRead read = in.read();
    read_stiffness(read, s.top);
    read.integer(s.tapered);
  }
  if (s.tapered > 0) {
    read_dimensions(in, s.bottom);
    ListRead read = in.read();
    read_stiffness(read, s.bottom);
  } else {
    s.bottom = s.top;
  }
  {
    ListRead read = in.read();
    read.integer(s.aisc_code);
    read.integer(s.aisc_unused1);
    read.real(s.thickness);
    read.integer(s.diameter_label_flag);
    read.integer(s.aisc_unused2);
  }
  ListRead read = in.read();
  read.text(s.aisc_name);
}

void read_nonlinear(const InputContext& context, CrossSection& s) {
  ListInput& in = context.in();
  NonlinearValues& n = s.values;
  NonlinearDescriptors& d = s.descriptors;
  SectionValues& top = s.top;
  const auto reals = [](ListRead& read, std::initializer_list<double*> values) {
    for (double* value : values)
      read.real(*value);
  };
  const auto integers = [](ListRead& read, std::initializer_list<int*> values) {
    for (int* value : values)
      read.integer(*value);
  };
  {
    ListRead read = in.read();
    reals(read, {&top.diameter, &top.value38, &top.value10, &top.value11, &top.I,
                 &top.values13_16[1], &top.values13_16[2], &top.values13_16[3], &top.E});
  }
  {
    ListRead read = in.read();
    read.integer(d.type);
    reals(read, {&n.external_width, &n.external_depth, &n.external_diameter, &n.void_diameter,
                 &n.corner_chamfer, &n.web_thickness, &n.flange_thickness, &n.casing_diameter,
                 &n.casing_thickness, &n.steel_diameter});
  }
  {
    ListRead read = in.read();
    reals(read, {&n.steel_thickness, &n.concrete_fc, &n.casing_Es, &n.casing_fy, &n.steel_Es,
                 &n.steel_fy});
    integers(read, {&d.embedded_steel, &d.h_flag, &d.steel_aisc_code, &d.d5});
  }
  {
    ListRead read = in.read();
    read.text(s.steel_name);
  }
  {
    ListRead read = in.read();
    integers(read, {&d.d6, &d.rebar_layout, &d.d8, &d.d9, &d.rebars});
    reals(read, {&n.rebar_area, &n.rebar_diameter, &n.rebar_cover, &n.rebar_Es, &n.rebar_fy});
    read.integer(d.confined);
  }
  const std::size_t rebar_line = in.current_line();
  {
    ListRead read = in.read();
    integers(read,
             {&d.transverse_type, &d.d13, &d.d14, &d.transverse_rebars, &d.legs_y, &d.legs_z});
    reals(read,
          {&n.transverse_area, &n.transverse_diameter, &n.transverse_spacing, &n.transverse_fy});
  }
  read_records(context, d.rebars, s.rebars, rebar_line, "rebars");
  {
    ListRead read = in.read();
    integers(read, {&d.d18, &d.d19, &d.strand_layout, &d.d21, &d.strands});
    reals(read, {&n.strand_diameter, &n.strand_area, &n.strand_cover, &n.strand_fu,
                 &n.strand_prestress, &n.value37, &n.value38});
  }
  read_records(context, d.strands, s.strands, in.current_line(), "strands");
  {
    ListRead read = in.read();
    integers(read, {&d.single_values, &d.d24, &d.d25});
    reals(read, {&n.value31, &n.value32});
  }
  read_single_values(context, d.single_values, s.single_values, in.current_line(), "D23 records");
  {
    ListRead read = in.read();
    integers(read, {&d.d26, &d.d27, &d.d28, &d.ei_set, &d.d30, &d.d31, &d.d32});
    reals(read, {&n.value33, &n.ESH, &n.ESU, &n.fu_over_fy});
  }
  {
    ListRead read = in.read();
    integers(read, {&d.strain_hardening, &d.d34, &d.closing_values, &d.d36});
    reals(read, {&n.value39, &n.value40});
  }
  if (d.closing_values > 0 && d.d36 > 0) {
    read_single_values(context, d.closing_values, s.closing_values, in.current_line(),
                       "D35 records");
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
  // The table grows record by record: the count has no capacity of its own,
  // and a huge count must end at the end of the file, not in an allocation.
  for (int k = 0; k < context.control.wall_sections; ++k) {
    WallSection& section = sections.emplace_back();
    ListRead read = context.in().read();
    read.real(section.top);
    read.real(section.bottom);
    read.integer(section.section);
    read.finish();
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
  ListInput& in = context.in();
  for (CrossSection& s : sections) {
    std::size_t line = 0;
    {
      ListRead read = in.read();
      read.integer(s.unused1);
      line = in.current_line();
      s.line = line;
      read.integer(s.unused2);
      read.integer(s.shape_code);
      read.integer(s.nonlinear_flag);
    }
    {
      ListRead read = in.read();
      read.text(s.name);
    }
    if (s.nonlinear()) {
      read_nonlinear(context, s);
      if (s.descriptors.type < 1 || s.descriptors.type > 10) {
        stop_bad_record(in, line + 2,
                        "the nonlinear section type must be 1 to 10, found " +
                            std::to_string(s.descriptors.type));
      }
    } else {
      if (s.shape_code < 0 || s.shape_code > 6) {
        stop_bad_record(
            in, line,
            "the cross-section shape type must be 0 to 6, found " + std::to_string(s.shape_code));
      }
      read_elastic(context, s);
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
