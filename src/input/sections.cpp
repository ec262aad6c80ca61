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

// The elastic shape types and their echo.
struct ShapeEcho {
  std::string_view type_text;
  std::vector<int> slots;  // dimension lines by slot
};

std::string_view dimension_label(const CrossSection& section, int slot) {
  const bool sheet = section.shape() == ShapeType::sheet_piling;
  switch (slot) {
    case 1:
      return (section.shape() == ShapeType::circular_pipe ||
              (section.shape() == ShapeType::aisc && section.diameter_label_flag != 0))
                 ? "EXTERNAL DIAMETER"
                 : "EQUIVALENT DIAMETER";
    case 2:
      return "INTERNAL DIAMETER";
    case 3:
      return sheet ? "WIDTH" : "EXTERNAL WIDTH";
    case 4:
      return sheet ? "DEPTH" : "EXTERNAL DEPTH";
    case 5:
      return "INTERNAL WIDTH";
    case 6:
      return "INTERNAL DEPTH";
    case 7:
      return "FLANGE THICKNESS";
    case 8:
      return "WEB THICKNESS";
    case 37:
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
  switch (section.shape()) {
    case ShapeType::general:
      return {"GENERAL SECTION", {1}};
    case ShapeType::circular_pipe:
      return {"CIRCULAR PIPE", {1, 2}};
    case ShapeType::rectangular_pipe:
      return {"RECTANGULAR PIPE", {1, 3, 4, 5, 6}};
    case ShapeType::i_section:
      return {"I SECTION", {1, 3, 4, 7, 8}};
    case ShapeType::h_section:
      return {"H SECTION", {1, 3, 4, 7, 8}};
    case ShapeType::aisc:
      if (section.aisc_code <= 11) return {aisc_type_text(section.aisc_code), {1, 3, 4, 7, 8}};
      return {aisc_type_text(section.aisc_code), {1, 2, 37}};
    case ShapeType::sheet_piling:
      return {"SHEET PILING", {3, 4, 8}};
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
      return section.D[3] == 0 ? "STEEL I SECTION PILE" : "STEEL H SECTION PILE";
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

void read_elastic(const InputContext& context, CrossSection& s) {
  ListInput& in = context.in();
  {
    ListRead read = in.read();
    for (int slot = 1; slot <= 8; ++slot)
      read.real(s.slot[slot]);
  }
  {
    ListRead read = in.read();
    for (int slot = 9; slot <= 18; ++slot)
      read.real(s.slot[slot]);
    read.real(s.slot[38]);
    read.integer(s.tapered);
  }
  if (s.tapered > 0) {
    {
      ListRead read = in.read();
      for (int slot = 19; slot <= 26; ++slot)
        read.real(s.slot[slot]);
    }
    ListRead read = in.read();
    for (int slot = 27; slot <= 36; ++slot)
      read.real(s.slot[slot]);
    read.real(s.slot[39]);
  } else {
    for (int slot = 1; slot <= 18; ++slot)
      s.slot[slot + 18] = s.slot[slot];
    s.slot[39] = s.slot[38];
  }
  {
    ListRead read = in.read();
    read.integer(s.aisc_code);
    read.integer(s.aisc_unused1);
    read.real(s.slot[37]);
    read.integer(s.diameter_label_flag);
    read.integer(s.aisc_unused2);
  }
  ListRead read = in.read();
  read.text(s.aisc_name);
}

void read_nonlinear(const InputContext& context, CrossSection& s) {
  ListInput& in = context.in();
  {
    ListRead read = in.read();
    for (int slot : {1, 38, 10, 11, 12, 14, 15, 16, 17})
      read.real(s.slot[slot]);
  }
  {
    ListRead read = in.read();
    read.integer(s.D[1]);
    for (int n = 1; n <= 10; ++n)
      read.real(s.N[n]);
  }
  {
    ListRead read = in.read();
    for (int n = 11; n <= 16; ++n)
      read.real(s.N[n]);
    for (int d = 2; d <= 5; ++d)
      read.integer(s.D[d]);
  }
  {
    ListRead read = in.read();
    read.text(s.steel_name);
  }
  {
    ListRead read = in.read();
    for (int d = 6; d <= 10; ++d)
      read.integer(s.D[d]);
    for (int n = 17; n <= 21; ++n)
      read.real(s.N[n]);
    read.integer(s.D[11]);
  }
  const std::size_t rebar_line = in.current_line();
  {
    ListRead read = in.read();
    for (int d = 12; d <= 17; ++d)
      read.integer(s.D[d]);
    for (int n = 22; n <= 25; ++n)
      read.real(s.N[n]);
  }
  read_records(context, s.D[10], s.rebars, rebar_line, "rebars");
  {
    ListRead read = in.read();
    for (int d = 18; d <= 22; ++d)
      read.integer(s.D[d]);
    for (int n = 26; n <= 30; ++n)
      read.real(s.N[n]);
    read.real(s.N[37]);
    read.real(s.N[38]);
  }
  read_records(context, s.D[22], s.strands, in.current_line(), "strands");
  {
    ListRead read = in.read();
    for (int d = 23; d <= 25; ++d)
      read.integer(s.D[d]);
    read.real(s.N[31]);
    read.real(s.N[32]);
  }
  read_single_values(context, s.D[23], s.values23, in.current_line(), "D23 records");
  {
    ListRead read = in.read();
    for (int d = 26; d <= 32; ++d)
      read.integer(s.D[d]);
    for (int n = 33; n <= 36; ++n)
      read.real(s.N[n]);
  }
  {
    ListRead read = in.read();
    for (int d = 33; d <= 36; ++d)
      read.integer(s.D[d]);
    read.real(s.N[39]);
    read.real(s.N[40]);
  }
  if (s.D[35] > 0 && s.D[36] > 0) {
    read_single_values(context, s.D[35], s.values35, in.current_line(), "D35 records");
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
    for (int slot : shape.slots) {
      EchoLine(report, dimension_label(s, slot))
          .number(s.slot[slot])
          .label(units.length)
          .label("       ")
          .number(s.slot[slot + 18])
          .label(units.length)
          .end();
    }
    EchoLine(report, "YOUNG MODULUS")
        .number(s.slot[17])
        .label(units.stress)
        .number(s.slot[35])
        .label(units.stress)
        .end();
    return;
  }
  if (s.shape() == ShapeType::aisc) {
    EchoLine(report, "AISC SECTION NAME").label(fit(s.aisc_name, 32)).end();
  } else if (s.shape() == ShapeType::sheet_piling) {
    EchoLine(report, "SECTION NAME").label(fit(s.aisc_name, 32)).end();
  }
  for (int slot : shape.slots) {
    EchoLine(report, dimension_label(s, slot)).number(s.slot[slot]).label(units.length).end();
  }
  EchoLine(report, "YOUNG MODULUS").number(s.slot[17]).label(units.stress).end();
}

struct NonlinearLine {
  std::string_view label;
  int n;  // N slot
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
    echo.number(s.N[l.n]);
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
  const L fc{"CONCRETE FC", 12, L::stress};
  const L es_steel{"ES STEEL", 15, L::stress};
  const L fy_steel{"FY STEEL", 16, L::stress};
  bool reinforced = false;
  bool prestressed = false;
  bool steel = false;
  switch (s.nonlinear_type()) {
    case NonlinearType::rectangular_concrete:
      for (const L& l : {L{"EXTERNAL WIDTH", 1, L::length}, L{"EXTERNAL DEPTH", 2, L::length}, fc})
        line(l);
      reinforced = true;
      break;
    case NonlinearType::round_concrete:
      for (const L& l : {L{"EXTERNAL DIAMETER", 3, L::length}, fc})
        line(l);
      reinforced = true;
      break;
    case NonlinearType::round_concrete_casing:
      line(L{"CONCRETE DIAMETER", 3, L::length});
      line(fc);
      if (s.N[8] > 0.0) {
        for (const L& l : {L{"DIAMETER CASING", 8, L::length}, L{"THICKNESS CASING", 9, L::length},
                           L{"ES CASING", 13, L::stress}, L{"FY CASING", 14, L::stress}})
          line(l);
      } else {
        EchoLine(report, "DIAMETER CASING").label("NO CASING").end();
      }
      if (s.D[2] > 0) {
        EchoLine(report, "EMBEDDED STEEL SECT").label(fit(s.steel_name, 32)).end();
        for (const L& l : {es_steel, fy_steel})
          line(l);
      } else {
        EchoLine(report, "EMBEDDED STEEL SECT").label("NONE").end();
      }
      reinforced = true;
      break;
    case NonlinearType::round_prestressed:
      for (const L& l :
           {L{"EXTERNAL DIAMETER", 3, L::length}, L{"VOID DIAMETER", 4, L::length}, fc})
        line(l);
      prestressed = true;
      break;
    case NonlinearType::square_prestressed:
      for (const L& l : {L{"EXTERNAL WIDTH", 1, L::length}, L{"VOID DIAMETER", 4, L::length},
                         L{"CORNER CHAMFER", 5, L::length}, fc})
        line(l);
      prestressed = true;
      break;
    case NonlinearType::octagonal_prestressed:
      for (const L& l : {L{"EXTERNAL WIDTH", 1, L::length}, L{"VOID DIAMETER", 4, L::length}, fc})
        line(l);
      prestressed = true;
      break;
    case NonlinearType::steel_pipe:
      for (const L& l : {L{"DIAMETER STEEL", 10, L::length}, L{"THICKNESS STEEL", 11, L::length},
                         es_steel, fy_steel})
        line(l);
      steel = true;
      break;
    case NonlinearType::steel_i_or_h:
      for (const L& l : {L{"EXTERNAL WIDTH", 1, L::length}, L{"EXTERNAL DEPTH", 2, L::length},
                         L{"FLANGE THICKNESS", 7, L::length}, L{"WEB THICKNESS", 6, L::length},
                         es_steel, fy_steel})
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
      EchoLine(report, "NONLINEAR EI INDEX").label(std::to_string(s.D[29])).end();
      break;
  }
  if (reinforced && s.D[10] > 0) {
    EchoLine(report, "NUMBER REBARS").label(std::to_string(s.D[10])).end();
    for (const L& l : {L{"DIAMETER REINF.", 18, L::length}, L{"AREA REINFORCEMENT", 17, L::area},
                       L{"ES REINFORCEMENT", 20, L::stress}, L{"FY REINFORCEMENT", 21, L::stress}})
      line(l);
    EchoLine(report, "REINF. LAYOUT").label(layout_name(s.D[7])).end();
    line(L{"COVER", 19, L::length});
    EchoLine(report, "REINF. COORDS").end();
    coordinate_lines(report, " - REBAR ", s.rebars);
  }
  EchoLine(report, "EQ. YOUNG MODULUS").number(s.slot[17]).label(units.stress).end();
  if (reinforced && s.D[11] != 0) {
    EchoLine(report, "CONFINED SECTION").end();
    EchoLine(report, "NUMBER TR. REBARS").label(std::to_string(s.D[15])).end();
    for (const L& l :
         {L{"DIAMETER TR. REINF.", 23, L::length}, L{"AREA TRANSV. REINF.", 22, L::area},
          L{"SPACING TR. REINF.", 24, L::length}, L{"FY TRANSV. REINF.", 25, L::stress}})
      line(l);
    EchoLine(report, "NUMBER LEGS Y").label(std::to_string(s.D[16])).end();
    EchoLine(report, "NUMBER LEGS Z").label(std::to_string(s.D[17])).end();
    EchoLine(report, "TRANSV. REINF. TYPE").label(s.D[12] == 1 ? "SPIRAL" : "HOOP").end();
  }
  if (steel && s.D[33] != 0) {
    EchoLine(report, "USE STRAIN HARDENING MODEL").end();
    for (const L& l : {L{"ESH", 34, L::none}, L{"ESU", 35, L::none}, L{"FU/FY", 36, L::none}})
      line(l);
  }
  if (prestressed && s.D[22] > 0) {
    EchoLine(report, "NUMBER STRANDS").label(std::to_string(s.D[22])).end();
    for (const L& l : {L{"DIAMETER STRAND", 26, L::length}, L{"AREA STRAND", 27, L::area},
                       L{"FU STRAND", 29, L::stress}, L{"INITIAL PRESS. FORCE", 30, L::force}})
      line(l);
    EchoLine(report, "STRAND LAYOUT").label(layout_name(s.D[20])).end();
    line(L{"COVER", 28, L::length});
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
        property_row(report, number, "TOP", s.slot[1], s.slot[12]);
        property_row(report, 0, "BOT", s.slot[19], s.slot[30]);
      } else {
        property_row(report, number, "", s.slot[1], s.slot[12]);
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
          s.nonlinear_type() == NonlinearType::user_defined_ei ? s.slot[11] : s.slot[12];
      property_row(report, static_cast<int>(i + 1), "", s.slot[1], inertia);
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
      if (s.D[1] < 1 || s.D[1] > 10) {
        stop_bad_record(
            in, line + 2,
            "the nonlinear section type must be 1 to 10, found " + std::to_string(s.D[1]));
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
    s.I_top = s.slot[12] / divisor;
    s.E_top = s.slot[17];
    s.I_bottom = s.slot[30] / divisor;
    s.E_bottom = s.slot[35];
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
