// The records of a problem that every later step reads: control parameters
// and the geometry and iteration record, with the values derived from them.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "common/unit_labels.h"
#include "common/wall_model.h"

namespace kestro {

// The control record: twelve integers.
struct ControlParameters {
  int unit_flag = 0;              // 1 English, 2 SI
  int specified_points = 0;       // NO OF POINTS FOR SPECIFIED DEFLECTIONS AND SLOPES
  int wall_sections = 0;          // NO OF WALL SECTIONS
  int cross_sections = 0;         // NO OF CROSS SECTIONS
  int py_factors = 0;             // NO OF P-Y MODIFICATION FACTORS FOR GEN. P-Y CURVES
  int earth_pressure_option = 0;  // 0 none, 1 table, 2..5 generated
  int py_option = 0;              // 2 generated, 0/1 user curves only, 3+ none
  int user_py_curves = 0;         // NO OF USER-SPECIFIED SOIL RESISTANCE (P-Y) CURVES
  int stages = 0;                 // number of stages
  int ei_sets = 0;                // number of user-defined nonlinear EI sets
  int tiebacks = 0;               // NO OF TIE BACKS
  int hinge_option = 0;           // 1: zero moment at tie-backs below the top one

  UnitSystem units = UnitSystem::english;
  std::size_t line = 0;  // line of the input data file holding the unit flag
};

// The geometry and iteration record as read.  N and h are also copied into
// the wall model, the solver's self-contained view of the stations.
struct Geometry {
  int N = 0;                    // number of increments; stations 0..N
  double h = 0.0;               // increment length
  double max_deflection = 0.0;  // maximum allowable deflection
  double tolerance = 0.0;       // deflection closure tolerance
  double excavation_depth = 0.0;
  double width = 0.0;        // analysis width
  double wall_height = 0.0;  // echoed only
  int max_iterations = 0;
  int unused9 = 0;
  int unused10 = 0;

  std::size_t line = 0;  // line of the input data file where the record ends
};

// Capacities of the section tables.
inline constexpr int kMaxCrossSections = 100;
inline constexpr int kMaxBars = 100;            // rebars, and strands, per cross section
inline constexpr int kMaxRepeatedValues = 100;  // one-real records of a nonlinear section

// A depth range of the wall and the cross section it is made of.  Depths are
// in feet (English units) or metres (SI) from the top of the wall.
struct WallSection {
  double top = 0.0;
  double bottom = 0.0;
  int section = 0;       // cross-section number, 1-based
  std::size_t line = 0;  // line of the input data file
};

// Elastic shape types of a cross section.
enum class ShapeType : int {
  general = 0,
  circular_pipe = 1,
  rectangular_pipe = 2,
  i_section = 3,
  h_section = 4,
  aisc = 5,
  sheet_piling = 6,
};

// Types of a nonlinear cross section.
enum class NonlinearType : int {
  rectangular_concrete = 1,
  round_concrete = 2,
  round_concrete_casing = 3,
  round_prestressed = 4,
  square_prestressed = 5,
  octagonal_prestressed = 6,
  steel_pipe = 7,
  steel_i_or_h = 8,
  steel_aisc = 9,
  user_defined_ei = 10,
};

// The dimensions and moduli given at one end of an elastic section; a
// nonlinear section gives its equivalent values in the top set.  Values the
// analysis does not use are kept under their position in the records.
struct SectionValues {
  double diameter = 0.0;           // "EQUIVALENT DIAMETER" or "EXTERNAL DIAMETER"
  double internal_diameter = 0.0;  // "INTERNAL DIAMETER"
  double external_width = 0.0;     // "EXTERNAL WIDTH" ("WIDTH" of sheet piling)
  double external_depth = 0.0;     // "EXTERNAL DEPTH" ("DEPTH" of sheet piling)
  double internal_width = 0.0;     // "INTERNAL WIDTH"
  double internal_depth = 0.0;     // "INTERNAL DEPTH"
  double flange_thickness = 0.0;   // "FLANGE THICKNESS"
  double web_thickness = 0.0;      // "WEB THICKNESS"
  double value9 = 0.0;             // not used
  double value10 = 0.0;            // not used
  double value11 = 0.0;  // moment of inertia a user-defined EI section shows in the summary
  double I = 0.0;        // moment of inertia as given (mm^4 in SI units)
  std::array<double, 4> values13_16{};  // not used
  double E = 0.0;                       // "YOUNG MODULUS" ("EQ. YOUNG MODULUS" if nonlinear)
  double value18 = 0.0;                 // not used
  double value38 = 0.0;                 // given with the stiffness values, not used
};

// The real values of a nonlinear section, named by their echo labels.
struct NonlinearValues {
  double external_width = 0.0;
  double external_depth = 0.0;
  double external_diameter = 0.0;  // also "CONCRETE DIAMETER"
  double void_diameter = 0.0;
  double corner_chamfer = 0.0;
  double web_thickness = 0.0;
  double flange_thickness = 0.0;
  double casing_diameter = 0.0;
  double casing_thickness = 0.0;
  double steel_diameter = 0.0;
  double steel_thickness = 0.0;
  double concrete_fc = 0.0;
  double casing_Es = 0.0;
  double casing_fy = 0.0;
  double steel_Es = 0.0;
  double steel_fy = 0.0;
  double rebar_area = 0.0;
  double rebar_diameter = 0.0;
  double rebar_cover = 0.0;
  double rebar_Es = 0.0;
  double rebar_fy = 0.0;
  double transverse_area = 0.0;
  double transverse_diameter = 0.0;
  double transverse_spacing = 0.0;
  double transverse_fy = 0.0;
  double strand_diameter = 0.0;
  double strand_area = 0.0;
  double strand_cover = 0.0;
  double strand_fu = 0.0;
  double strand_prestress = 0.0;  // "INITIAL PRESS. FORCE"
  double value31 = 0.0;           // not used
  double value32 = 0.0;           // not used
  double value33 = 0.0;           // not used
  double ESH = 0.0;
  double ESU = 0.0;
  double fu_over_fy = 0.0;  // "FU/FY"
  double value37 = 0.0;     // not used
  double value38 = 0.0;     // not used
  double value39 = 0.0;     // not used
  double value40 = 0.0;     // not used
};

// The integer descriptors of a nonlinear section.  Those the analysis does
// not use are kept under their position in the records.
struct NonlinearDescriptors {
  int type = 0;            // nonlinear type 1..10
  int embedded_steel = 0;  // > 0: a steel section is embedded
  int h_flag = 0;          // steel I section (0) or H section
  int steel_aisc_code = 0;
  int d5 = 0;
  int d6 = 0;
  int rebar_layout = 0;  // 0 circular, 1 rectangular, 2 square, other manual
  int d8 = 0;
  int d9 = 0;
  int rebars = 0;           // number of rebar records
  int confined = 0;         // != 0: confined section
  int transverse_type = 0;  // 1 spiral, otherwise hoop
  int d13 = 0;
  int d14 = 0;
  int transverse_rebars = 0;
  int legs_y = 0;
  int legs_z = 0;
  int d18 = 0;
  int d19 = 0;
  int strand_layout = 0;  // as rebar_layout
  int d21 = 0;
  int strands = 0;        // number of strand records
  int single_values = 0;  // number of one-real records after the strands
  int d24 = 0;
  int d25 = 0;
  int d26 = 0;
  int d27 = 0;
  int d28 = 0;
  int ei_set = 0;  // user-defined EI set of a type-10 section, "NONLINEAR EI INDEX"
  int d30 = 0;
  int d31 = 0;
  int d32 = 0;
  int strain_hardening = 0;  // != 0: strain-hardening model
  int d34 = 0;
  int closing_values = 0;  // number of one-real records at the end, when d36 > 0
  int d36 = 0;
};

// One cross-section definition as read.
struct CrossSection {
  int unused1 = 0;
  int unused2 = 0;
  std::size_t line = 0;    // line of the input data file where the definition starts
  int shape_code = 0;      // shape type as read
  int nonlinear_flag = 0;  // 0 elastic, otherwise nonlinear
  std::string name;

  SectionValues top;       // elastic values at the top, or the nonlinear equivalent values
  SectionValues bottom;    // elastic values at the bottom (the top values unless tapered)
  double thickness = 0.0;  // "THICKNESS" of AISC tubular shapes
  int tapered = 0;         // > 0: tapered (elastic only)
  int aisc_code = 0;
  int aisc_unused1 = 0;
  int diameter_label_flag = 0;
  int aisc_unused2 = 0;
  std::string aisc_name;

  NonlinearValues values;
  NonlinearDescriptors descriptors;
  std::string steel_name;  // name of the embedded or steel section
  std::vector<std::array<double, 5>> rebars;
  std::vector<std::array<double, 5>> strands;
  std::vector<double> single_values;
  std::vector<double> closing_values;

  // Stiffness copies of an elastic section (I in m^4 in SI units).
  double I_top = 0.0;
  double E_top = 0.0;
  double I_bottom = 0.0;
  double E_bottom = 0.0;

  bool nonlinear() const { return nonlinear_flag != 0; }
  bool is_tapered() const { return !nonlinear() && tapered > 0; }
  ShapeType shape() const { return static_cast<ShapeType>(shape_code); }
  NonlinearType nonlinear_type() const { return static_cast<NonlinearType>(descriptors.type); }
};

// A spring record, kept for the restraint results.
struct SpringRecord {
  int from = 0;
  int to = 0;
  double S = 0.0;
  double R = 0.0;
};

// A load record with an applied couple, kept for the shear correction.
struct CoupleRecord {
  int from = 0;
  double T_over_2h = 0.0;  // T / (2h)
};

// A tie-back as read, with the spring and load it becomes.
struct TieBack {
  double depth = 0.0;
  double area = 0.0;
  double modulus = 0.0;
  double unbonded_length = 0.0;
  double angle = 0.0;  // degrees from the horizontal
  double spacing = 0.0;
  double prestress = 0.0;
  int station = 0;
  double S = 0.0;
  double Q = 0.0;
};

// Capacities of the moment-curvature data.
inline constexpr int kMaxEiSets = 20;
inline constexpr int kMaxEiSetPoints = 100;
inline constexpr int kMaxThrustLevels = 100;
inline constexpr int kMaxCurvePoints = 200;

// A moment-curvature curve: points (M, phi), phi in radians per length.
struct MomentCurvatureCurve {
  double thrust = 0.0;
  double second = 0.0;  // read with the thrust, not used by the solver
  std::vector<double> M;
  std::vector<double> phi;
};

// The tables of the wall model of one problem.
struct WallTables {
  std::vector<MomentCurvatureCurve> ei_sets;         // user-defined nonlinear EI sets
  std::vector<MomentCurvatureCurve> section_curves;  // first thrust level of each cross section
  std::vector<WallSection> wall_sections;
  std::vector<CrossSection> cross_sections;
  std::vector<SpringRecord> springs;
  std::vector<CoupleRecord> couples;
  std::vector<TieBack> tiebacks;
  // Line of the first table record that put a value below station N, and
  // what it put where; the end-of-wall check names them.  0: none.
  std::size_t beyond_end_line = 0;
  std::string beyond_end_reason;
};

}  // namespace kestro
