/* The input of the engine as typed values: a deck is a list of problems
 * (the stages of an excavation, or independent walls), each problem its
 * records with named fields.  One reader builds it from a deck in the
 * list-directed text format (read_deck), a writer gives that text back
 * (write_deck), and the JSON form of docs/deck-json.md converts both ways
 * (deck_from_json, deck_to_json).  The engine runs from this model.
 *
 * Lengths, forces and the other values are in the problem's base units:
 * English runs inches, pounds, psi, pounds per cubic inch, with depths of
 * wall sections and tie-backs in feet; SI runs metres, kN, kPa, kN/m^3, with
 * cross-section dimensions and surcharge lengths in millimetres.  The unit of
 * every field is given by deck_fields() (for each unit system).
 *
 * The initial value of every field is the value the engine gives an item
 * that a deck leaves out (a null item, or one after "/"): mostly 0.
 *
 * Integer codes of the input (options, soil and surcharge types) are enums;
 * a code the enum does not name is kept as it was given (the engine treats
 * it as its input rules say) and written back unchanged.  Counts of the
 * control record and of the tables are kept as given too: a deck read from
 * text holds them as written, so that a deck whose counts disagree with its
 * tables runs as it did; normalize_counts() makes them follow the tables. */
#ifndef KESTRO_DECK_HPP
#define KESTRO_DECK_HPP

#include <array>
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "kestro/results.h"

/* Deck values compare equal field by field (C++20; the rest of the header
 * needs C++17). */
#if __cplusplus >= 202002L
#define KESTRO_DECK_EQUALITY(Type) friend bool operator==(const Type&, const Type&) = default;
#else
#define KESTRO_DECK_EQUALITY(Type)
#endif

namespace kestro {
namespace deck {

/* Control item 6. */
enum class EarthPressureOption : int {
  none = 0,               /* no earth pressure */
  pressure_table = 1,     /* the specified active earth pressure table */
  active = 2,             /* generated: the active pressure distribution */
  apparent = 3,           /* generated, above the excavation the apparent-pressure diagram */
  retained_soil = 4,      /* generated, above the excavation retained-soil curves */
  apparent_soft_clay = 5, /* as apparent, with the diagram of a soft-clay top layer */
};

/* Control item 7: user curves only (0 or 1), generated curves (2, with user
 * curves ahead of them when there are any), no p-y curves (3 or more). */
enum class PyOption : int { user_curves = 1, generated = 2, none = 3 };

/* Control item 12. */
enum class HingeOption : int { off = 0, at_tiebacks_below_the_top = 1 };

/* CASE of a specified point: 1 (or less) the deflection, 2 the slope, 3 (or
 * more) both. */
enum class SpecifiedCase : int { deflection = 1, slope = 2, deflection_and_slope = 3 };

/* CONTD code of a load or spring record. */
enum class SpanCode : int { alone = 1, continued = 2 };

/* The shape of an elastic cross section. */
enum class SectionShape : int {
  general = 0,
  circular_pipe = 1,
  rectangular_pipe = 2,
  i_section = 3,
  h_section = 4,
  aisc = 5,
  sheet_piling = 6,
};

/* The combination flag of the p-y modification factors. */
enum class FactorCombination : int { table_alone = 0, times_spacing_reduction = 1 };

/* KWATER of the wall record. */
enum class WaterPressureOption : int { only_where_computed = 0, everywhere = 1 };

/* KSUR of a surcharge item; other codes are ignored by the engine. */
enum class SurchargeType : int { point = 1, line = 2, strip = 3 };

/* The loading flag of the p-y curves. */
enum class Loading : int { cyclic = 0, static_loading = 1 };

/* IDSOIL of a soil layer; any other code is generated as soft clay. */
enum class SoilType : int {
  soft_clay = 1,
  stiff_clay_free_water = 2,
  stiff_clay_no_free_water = 3,
  sand = 4,
  silt = 5,
  rock = 6,
  weak_rock = 7,
};

/* The control record. */
struct Control {
  UnitSystem units = static_cast<UnitSystem>(0);
  int specified_point_count = 0;
  int wall_section_count = 0;
  int cross_section_count = 0;
  int py_factor_count = 0;
  EarthPressureOption earth_pressure_option = EarthPressureOption::none;
  PyOption py_option = static_cast<PyOption>(0);
  int user_curve_count = 0;
  int stages = 0;
  int ei_set_count = 0;
  int tieback_count = 0;
  HingeOption hinge_option = HingeOption::off;

  KESTRO_DECK_EQUALITY(Control)
};

/* The geometry and iteration record. */
struct Geometry {
  int increments = 0;            /* N: stations 0..N */
  double increment_length = 0.0; /* h */
  double max_deflection = 0.0;   /* maximum allowable deflection */
  double tolerance = 0.0;        /* deflection closure tolerance */
  double excavation_depth = 0.0;
  double width = 0.0;       /* analysis width */
  double wall_height = 0.0; /* printed only */
  int max_iterations = 0;   /* 0: one solution; negative: the run ends */
  int reserved_9 = 0;       /* items 9 and 10, read and not used */
  int reserved_10 = 0;

  KESTRO_DECK_EQUALITY(Geometry)
};

struct SpecifiedPoint {
  SpecifiedCase condition = SpecifiedCase::deflection;
  int station = 0;
  double deflection = 0.0;
  double slope = 0.0; /* radians */

  KESTRO_DECK_EQUALITY(SpecifiedPoint)
};

struct WallSection {
  double top = 0.0; /* feet (English) or metres, from the top of the wall */
  double bottom = 0.0;
  int cross_section = 0; /* number of its cross section, from 1 */

  KESTRO_DECK_EQUALITY(WallSection)
};

/* The eight dimensions and the values of an elastic section at one end. */
struct SectionValues {
  double diameter = 0.0;
  double internal_diameter = 0.0;
  double external_width = 0.0;
  double external_depth = 0.0;
  double internal_width = 0.0;
  double internal_depth = 0.0;
  double flange_thickness = 0.0;
  double web_thickness = 0.0;
  double value_9 = 0.0;  /* not used */
  double value_10 = 0.0; /* not used */
  double value_11 = 0.0; /* moment of inertia a user-defined EI section shows */
  double moment_of_inertia = 0.0;
  double value_13 = 0.0; /* values 13 to 16: not used */
  double value_14 = 0.0;
  double value_15 = 0.0;
  double value_16 = 0.0;
  double elastic_modulus = 0.0;
  double value_18 = 0.0; /* not used */
  double value_19 = 0.0; /* the value after slot 18, not used */

  KESTRO_DECK_EQUALITY(SectionValues)
};

/* A nonlinear cross section: its twelve head records and the tables they
 * count.  Items the analysis does not use keep their place as reserved_N
 * (N the item's number in its record group) or value_N. */
struct NonlinearSection {
  /* record 1: the equivalent elastic values */
  double equivalent_diameter = 0.0;
  double value_2 = 0.0;
  double value_3 = 0.0;
  double value_4 = 0.0;
  double equivalent_moment_of_inertia = 0.0;
  double value_6 = 0.0;
  double value_7 = 0.0;
  double value_8 = 0.0;
  double equivalent_elastic_modulus = 0.0;
  /* record 2 */
  int type = 0; /* 1..10: concrete, prestressed, steel, user-defined EI */
  double external_width = 0.0;
  double external_depth = 0.0;
  double external_diameter = 0.0;
  double void_diameter = 0.0;
  double corner_chamfer = 0.0;
  double web_thickness = 0.0;
  double flange_thickness = 0.0;
  double casing_diameter = 0.0;
  double casing_thickness = 0.0;
  double steel_diameter = 0.0;
  /* record 3 */
  double steel_thickness = 0.0;
  double concrete_strength = 0.0;
  double casing_modulus = 0.0;
  double casing_yield = 0.0;
  double steel_modulus = 0.0;
  double steel_yield = 0.0;
  int embedded_steel = 0;
  int h_section = 0;
  int steel_aisc_code = 0;
  int reserved_5 = 0;
  /* record 4 */
  std::string steel_name;
  /* record 5 */
  int reserved_6 = 0;
  int rebar_layout = 0;
  int reserved_8 = 0;
  int reserved_9 = 0;
  int rebar_count = 0;
  double rebar_area = 0.0;
  double rebar_diameter = 0.0;
  double rebar_cover = 0.0;
  double rebar_modulus = 0.0;
  double rebar_yield = 0.0;
  int confined = 0;
  /* record 6 */
  int transverse_type = 0;
  int reserved_13 = 0;
  int reserved_14 = 0;
  int transverse_rebars = 0;
  int legs_y = 0;
  int legs_z = 0;
  double transverse_area = 0.0;
  double transverse_diameter = 0.0;
  double transverse_spacing = 0.0;
  double transverse_yield = 0.0;
  std::vector<std::array<double, 5>> rebars; /* rebar_count records */
  /* record 7 */
  int reserved_18 = 0;
  int reserved_19 = 0;
  int strand_layout = 0;
  int reserved_21 = 0;
  int strand_count = 0;
  double strand_diameter = 0.0;
  double strand_area = 0.0;
  double strand_cover = 0.0;
  double strand_strength = 0.0;
  double strand_prestress = 0.0;
  double value_37 = 0.0;
  double value_38 = 0.0;
  std::vector<std::array<double, 5>> strands; /* strand_count records */
  /* record 8 */
  int single_value_count = 0;
  int reserved_24 = 0;
  int reserved_25 = 0;
  double value_31 = 0.0;
  double value_32 = 0.0;
  std::vector<double> single_values;
  /* record 9 */
  int reserved_26 = 0;
  int reserved_27 = 0;
  int reserved_28 = 0;
  int ei_set = 0; /* the user-defined EI set of a type-10 section */
  int reserved_30 = 0;
  int reserved_31 = 0;
  int reserved_32 = 0;
  double value_33 = 0.0;
  double hardening_strain = 0.0; /* ESH */
  double ultimate_strain = 0.0;  /* ESU */
  double ultimate_over_yield = 0.0;
  /* record 10 */
  int strain_hardening = 0;
  int reserved_34 = 0;
  int closing_value_count = 0;
  int closing_values_given = 0; /* > 0 with a positive count: the closing values follow */
  double value_39 = 0.0;
  double value_40 = 0.0;
  std::vector<double> closing_values;

  KESTRO_DECK_EQUALITY(NonlinearSection)
};

struct CrossSection {
  int reserved_1 = 0; /* items 1 and 2 of the head record, not used */
  int reserved_2 = 0;
  SectionShape shape = SectionShape::general;
  int nonlinear_flag = 0; /* 0 elastic, otherwise nonlinear */
  std::string name;
  /* elastic sections */
  SectionValues top;
  int tapered = 0;                     /* > 0: the bottom values follow */
  std::optional<SectionValues> bottom; /* present when tapered */
  int aisc_code = 0;
  int aisc_reserved_1 = 0;
  double thickness = 0.0;
  int diameter_label_flag = 0;
  int aisc_reserved_2 = 0;
  std::string aisc_name;
  /* nonlinear sections */
  std::optional<NonlinearSection> nonlinear;

  KESTRO_DECK_EQUALITY(CrossSection)
};

/* A moment-curvature curve: points (moment, curvature). */
struct MomentCurvaturePoint {
  double moment = 0.0;
  double curvature = 0.0;

  KESTRO_DECK_EQUALITY(MomentCurvaturePoint)
};
struct EiSet {
  double thrust = 0.0;
  int reserved = 0;
  int point_count = 0;
  std::vector<MomentCurvaturePoint> points;

  KESTRO_DECK_EQUALITY(EiSet)
};
struct ThrustLevel {
  double thrust = 0.0;
  double second_value = 0.0;
  int reserved = 0;
  int point_count = 0;
  std::vector<MomentCurvaturePoint> points;

  KESTRO_DECK_EQUALITY(ThrustLevel)
};
struct SectionCurves {
  int reserved = 0;
  int level_count = 0;
  std::vector<ThrustLevel> levels;

  KESTRO_DECK_EQUALITY(SectionCurves)
};
struct MomentCurvature {
  int reserved = 0; /* the record ahead of the EI sets, when there are any */
  std::vector<EiSet> ei_sets;
  std::vector<SectionCurves> section_curves; /* one per cross section */

  KESTRO_DECK_EQUALITY(MomentCurvature)
};

struct LoadRecord {
  SpanCode span = static_cast<SpanCode>(0);
  int from_station = 0;
  int to_station = 0;
  double load = 0.0;   /* Q, per station */
  double couple = 0.0; /* T, per station */
  double axial = 0.0;  /* P, compression positive */

  KESTRO_DECK_EQUALITY(LoadRecord)
};

struct SpringRecord {
  int from_station = 0;
  int to_station = 0;
  SpanCode span = static_cast<SpanCode>(0);
  double lateral = 0.0;    /* S, per station */
  double rotational = 0.0; /* R, per station */

  KESTRO_DECK_EQUALITY(SpringRecord)
};

struct Tieback {
  double depth = 0.0; /* feet (English) or metres */
  double area = 0.0;
  double elastic_modulus = 0.0;
  double unbonded_length = 0.0; /* feet or metres */
  double angle = 0.0;           /* degrees below the horizontal */
  double spacing = 0.0;         /* feet or metres */
  double prestress = 0.0;

  KESTRO_DECK_EQUALITY(Tieback)
};

struct FactorRow {
  double depth = 0.0;
  double p_factor = 1.0;
  double y_factor = 1.0;

  KESTRO_DECK_EQUALITY(FactorRow)
};
struct PyFactors {
  FactorCombination combination = FactorCombination::table_alone;
  std::vector<FactorRow> rows; /* control py_factor_count rows */

  KESTRO_DECK_EQUALITY(PyFactors)
};

struct PressurePoint {
  double depth = 0.0;
  double pressure = 0.0; /* active earth pressure as a load per length of wall */

  KESTRO_DECK_EQUALITY(PressurePoint)
};

/* The wall record. */
struct WallRecord {
  double free_height = 0.0;            /* HFREE: depth of the excavation level */
  double pressure_width = 0.0;         /* WA */
  double resistance_width = 0.0;       /* WP */
  double water_depth_retained = 0.0;   /* ZWB */
  double water_depth_excavation = 0.0; /* ZWE */
  double active_factor = 0.0;          /* FMOD */
  WaterPressureOption water_pressure = WaterPressureOption::only_where_computed; /* KWATER */
  double backfill_slope = 0.0;                                                   /* BETA, degrees */
  double excavation_slope = 0.0; /* SLOPEX, degrees */

  KESTRO_DECK_EQUALITY(WallRecord)
};

/* The surface pressure and the single surcharge given with it. */
struct SurfaceRecord {
  double pressure = 0.0; /* QSURF */
  double distance = 0.0;
  double point_load = 0.0;
  double line_load = 0.0;
  double strip_pressure = 0.0;
  double strip_width = 0.0;

  KESTRO_DECK_EQUALITY(SurfaceRecord)
};

struct Surcharge {
  SurchargeType type = static_cast<SurchargeType>(0); /* KSUR */
  double magnitude = 0.0;                             /* Q: force, force per length or pressure */
  double distance = 0.0;                              /* X, to the middle of a strip */
  double width = 0.0;                                 /* B, of a strip */
  double height = 0.0;                                /* Z, above the top of the wall */
  double factor = 0.0;                                /* F; 0 switches the item off */

  KESTRO_DECK_EQUALITY(Surcharge)
};

/* The six values of a soil layer at its bottom. */
struct LayerValues {
  double unit_weight = 0.0; /* total */
  double strength = 0.0;    /* S: cohesion, undrained strength or qu */
  double friction_angle = 0.0;
  double e50 = 0.0;
  double kpy = 0.0;
  double sixth = 0.0; /* active coefficient (types 1-5) or RQD (weak rock) */

  KESTRO_DECK_EQUALITY(LayerValues)
};

/* A soil layer: its six values at its top, and the same at its bottom. */
struct SoilLayer {
  SoilType soil_type = SoilType::soft_clay;
  double bottom_depth = 0.0; /* ZBOT, below the top of the wall */
  double unit_weight = 0.0;  /* total */
  double strength = 0.0;     /* S: cohesion, undrained strength or qu */
  double friction_angle = 0.0;
  double e50 = 0.0;
  double kpy = 0.0;
  double sixth = 0.0; /* active coefficient (types 1-5) or RQD (weak rock) */
  LayerValues at_bottom;

  KESTRO_DECK_EQUALITY(SoilLayer)
};

/* A user p-y curve: its station, multipliers and points (Y, P). */
struct CurvePoint {
  double y = 0.0;
  double p = 0.0;

  KESTRO_DECK_EQUALITY(CurvePoint)
};
struct PyCurve {
  int station = 0;
  int point_count = 0;
  double p_multiplier = 0.0;
  double y_multiplier = 0.0;
  std::vector<CurvePoint> points;

  KESTRO_DECK_EQUALITY(PyCurve)
};

/* One problem (or stage).  The tables a problem holds follow from its
 * control record as the input rules say (problem_has_wall_model ...); the
 * others are empty. */
struct Problem {
  std::string title;
  Control control;
  Geometry geometry;
  std::vector<SpecifiedPoint> specified_points;
  std::vector<WallSection> wall_sections;
  std::vector<CrossSection> cross_sections;
  MomentCurvature moment_curvature;
  int load_count = 0;
  std::vector<LoadRecord> loads;
  int spring_count = 0;
  std::vector<SpringRecord> springs;
  std::vector<Tieback> tiebacks;
  std::optional<PyFactors> py_factors;
  int pressure_point_count = 0;
  std::vector<PressurePoint> pressure_table;
  WallRecord wall;
  SurfaceRecord surface;
  int surcharge_count = 0;
  std::vector<Surcharge> surcharges;
  int soil_layer_count = 0;
  Loading loading = Loading::static_loading;
  double load_cycles = 0.0;
  std::vector<SoilLayer> soil_layers;
  std::vector<PyCurve> py_curves;
  int continuation = 0;

  KESTRO_DECK_EQUALITY(Problem)
};

/* Where a value of a deck was given: a line (from 1) and the item within its
 * record (from 1; 0 for a whole line, as a title). */
struct DeckPlace {
  std::size_t line = 0;
  int item = 0;

  KESTRO_DECK_EQUALITY(DeckPlace)
};

/* The place where reading a deck stopped and why: the message (as the
 * engine gives it when it reaches that point) and the text of the deck from
 * the line where the record that could not be read begins. */
struct DeckReadFailure {
  std::string message;
  std::size_t problem = 0; /* the problem being read, from 0 */
  int record = 0;          /* the records of that problem read before, the title first */
  std::size_t line = 0;    /* where the record that could not be read begins */
  std::string rest;        /* the deck's text from that line on */
  /* Where the message points: the line and item of the value that could
   * not be read (0 when it names none), or in JSON the path of the value. */
  std::size_t stop_line = 0;
  int stop_item = 0;
  std::string stop_path{};

  KESTRO_DECK_EQUALITY(DeckReadFailure)
};

/* Text a line holds after the items its record reads, made of numbers only:
 * the sign of a comma decimal ("0,5" reads as 0 and 5, every later item one
 * place on) or of a record given more values than it has. */
struct ExtraItems {
  std::string record; /* the record's path */
  std::size_t line = 0;
  std::string text;
  KESTRO_DECK_EQUALITY(ExtraItems)
};

struct Deck {
  std::string name = "wall.dat"; /* the file name messages give */
  std::vector<Problem> problems;
  /* Text after the continuation code that ends the run: the engine does not
   * read it; kept to be written back. */
  std::string trailing;
  /* Set when the text could not be read to its end: the problems hold what
   * was read, and the engine stops with the message where it needs the rest. */
  std::optional<DeckReadFailure> failure;
  /* The place of each value read from text, by its JSON path
   * (/problems/0/soil_layers/2/friction_angle). */
  std::map<std::string, DeckPlace, std::less<>> places;
  /* Lines that hold more numbers than their record reads. */
  std::vector<ExtraItems> extra_items;

  /* The place of a value, or nullptr (a value that was not read from text). */
  const DeckPlace* place_of(std::string_view path) const;

  KESTRO_DECK_EQUALITY(Deck)
};

}  // namespace deck

using deck::Deck;

/* Which records a problem holds, from its control record. */
bool problem_has_wall_model(const deck::Problem& problem);     /* wall sections > 0 */
bool problem_has_pressure_table(const deck::Problem& problem); /* and option 1 */
bool problem_has_soil_records(const deck::Problem& problem);   /* and option >= 2 or p-y option 2 */
bool problem_has_user_curves(const deck::Problem& problem); /* user curves read in this problem */

/* Reads a deck in the list-directed text format.  Never throws for what the
 * text holds: what cannot be read ends the reading with `failure` set. */
Deck read_deck(std::string_view text, std::string name = "wall.dat");

/* The deck as text that reads back to the same values.  A deck read from
 * text keeps its lines where its places say, so that the messages of a deck
 * written back name the same lines; the text that could not be read and the
 * trailing text follow as they were. */
std::string write_deck(const Deck& deck);

/* Sets the counts of the control record and of the tables from the lengths
 * of the tables (what a deck built in code or from JSON needs). */
void normalize_counts(deck::Problem& problem);

}  // namespace kestro

#endif /* KESTRO_DECK_HPP */
