/* The fields of the deck model (kestro/deck.hpp), each stated once: its
 * name (the C++ member and the JSON key), its unit in English and in SI
 * runs, a line of help, the value the JSON form gives it when it is left out,
 * and, for the counts and the other values that follow from the rest of the
 * deck, what they follow.  The JSON form (kestro/deck_json.hpp), its schema
 * and the front ends take these facts from here.
 *
 * Two ways in:
 *
 * - visit_fields(record, visitor) calls visitor(const FieldInfo&, member&)
 *   for every field of a record of the model, in the order of the deck's
 *   records (const or not; a member is an int, a double, a std::string, an
 *   enum of the model, another record, a std::optional or std::vector of a
 *   record, a std::vector<double> or a std::vector<std::array<double, 5>>);
 * - deck_fields() gives the same facts as data, one DeckField per field of
 *   the whole deck with its JSON path, a star for any index of a list (the
 *   KPY of a soil layer is at problems, star, soil_layers, star, kpy), for
 *   programs that want a table.
 *
 * Needs C++20. */
#ifndef KESTRO_DECK_FIELDS_HPP
#define KESTRO_DECK_FIELDS_HPP

#include <array>
#include <concepts>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "kestro/deck.hpp"

namespace kestro {

/* The unit of a field in English and in SI runs; empty for a count, a code,
 * a flag or a value without dimension. */
struct FieldUnits {
  std::string_view english;
  std::string_view si;
};

/* How a field left out of the JSON form gets its value. */
enum class FieldRule : unsigned char {
  value,        /* its default */
  required,     /* it cannot be left out */
  count,        /* the number of entries of the list `follows` */
  flag,         /* 1 when `follows` is given (a list: not empty), 0 when not */
  copy,         /* the value of the field `follows` */
  entries,      /* (a list) one entry of defaults per entry of the list `follows` */
  continuation, /* 0 for the last problem of the deck, 9 for the others */
};

/* What is said once about a field. */
struct FieldInfo {
  std::string_view name; /* the member's name, the JSON key */
  FieldUnits units;
  std::string_view help;      /* one line */
  double default_value = 0.0; /* of a number or a code (rule value) */
  FieldRule rule = FieldRule::value;
  /* What a derived field follows, as a path from the record holding the
   * field: "points", "bottom", "../wall_sections", "../unit_weight". */
  std::string_view follows;
};

/* A code of an enum of the model and its name in the JSON form. */
struct EnumName {
  int code;
  std::string_view name;
};

/* A record of the model: its name (the schema's) and what it holds. */
struct RecordInfo {
  std::string_view name;
  std::string_view help;
};

namespace units {
inline constexpr FieldUnits none{};
inline constexpr FieldUnits length{"in", "m"};     /* along the wall, deflections, soil depths */
inline constexpr FieldUnits depth_ft{"ft", "m"};   /* wall sections and tie-backs */
inline constexpr FieldUnits section{"in", "mm"};   /* cross-section dimensions */
inline constexpr FieldUnits surcharge{"in", "mm"}; /* X, B and Z of a surcharge item */
inline constexpr FieldUnits section_area{"in^2", "mm^2"};
inline constexpr FieldUnits inertia{"in^4", "mm^4"};
inline constexpr FieldUnits stress{"psi", "kPa"}; /* pressures, strengths, moduli */
inline constexpr FieldUnits unit_weight{"lb/in^3", "kN/m^3"};
inline constexpr FieldUnits force{"lb", "kN"};
inline constexpr FieldUnits per_length{"lb/in", "kN/m"};
inline constexpr FieldUnits moment{"lb-in", "kN-m"};
inline constexpr FieldUnits curvature{"rad/in", "rad/m"};
inline constexpr FieldUnits rotational_spring{"lb-in/rad", "kN-m/rad"};
inline constexpr FieldUnits tendon_area{"in^2", "m^2"};
inline constexpr FieldUnits degrees{"deg", "deg"};
inline constexpr FieldUnits radians{"rad", "rad"};
inline constexpr FieldUnits surcharge_magnitude{"lb, lb/in or psi", "kN, kN/m or kPa"};
inline constexpr FieldUnits surface_load{"psi", "kPa"};
}  // namespace units

/* The names of the codes of each enum; a code not listed has no name. */
inline constexpr EnumName kUnitSystemNames[] = {{1, "english"}, {2, "si"}};
constexpr std::span<const EnumName> enum_names(UnitSystem) {
  return kUnitSystemNames;
}

namespace deck {

inline constexpr EnumName kEarthPressureOptionNames[] = {
    {0, "none"},     {1, "pressure_table"}, {2, "active"},
    {3, "apparent"}, {4, "retained_soil"},  {5, "apparent_soft_clay"}};
inline constexpr EnumName kPyOptionNames[] = {{1, "user_curves"}, {2, "generated"}, {3, "none"}};
inline constexpr EnumName kHingeOptionNames[] = {{0, "off"}, {1, "at_tiebacks_below_the_top"}};
inline constexpr EnumName kSpecifiedCaseNames[] = {
    {1, "deflection"}, {2, "slope"}, {3, "deflection_and_slope"}};
inline constexpr EnumName kSpanCodeNames[] = {{1, "alone"}, {2, "continued"}};
inline constexpr EnumName kSectionShapeNames[] = {
    {0, "general"},   {1, "circular_pipe"}, {2, "rectangular_pipe"}, {3, "i_section"},
    {4, "h_section"}, {5, "aisc"},          {6, "sheet_piling"}};
inline constexpr EnumName kFactorCombinationNames[] = {{0, "table_alone"},
                                                       {1, "times_spacing_reduction"}};
inline constexpr EnumName kWaterPressureOptionNames[] = {{0, "only_where_computed"},
                                                         {1, "everywhere"}};
inline constexpr EnumName kSurchargeTypeNames[] = {{1, "point"}, {2, "line"}, {3, "strip"}};
inline constexpr EnumName kLoadingNames[] = {{0, "cyclic"}, {1, "static"}};
inline constexpr EnumName kSoilTypeNames[] = {{1, "soft_clay"},
                                              {2, "stiff_clay_free_water"},
                                              {3, "stiff_clay_no_free_water"},
                                              {4, "sand"},
                                              {5, "silt"},
                                              {6, "rock"},
                                              {7, "weak_rock"}};

constexpr std::span<const EnumName> enum_names(EarthPressureOption) {
  return kEarthPressureOptionNames;
}
constexpr std::span<const EnumName> enum_names(PyOption) {
  return kPyOptionNames;
}
constexpr std::span<const EnumName> enum_names(HingeOption) {
  return kHingeOptionNames;
}
constexpr std::span<const EnumName> enum_names(SpecifiedCase) {
  return kSpecifiedCaseNames;
}
constexpr std::span<const EnumName> enum_names(SpanCode) {
  return kSpanCodeNames;
}
constexpr std::span<const EnumName> enum_names(SectionShape) {
  return kSectionShapeNames;
}
constexpr std::span<const EnumName> enum_names(FactorCombination) {
  return kFactorCombinationNames;
}
constexpr std::span<const EnumName> enum_names(WaterPressureOption) {
  return kWaterPressureOptionNames;
}
constexpr std::span<const EnumName> enum_names(SurchargeType) {
  return kSurchargeTypeNames;
}
constexpr std::span<const EnumName> enum_names(Loading) {
  return kLoadingNames;
}
constexpr std::span<const EnumName> enum_names(SoilType) {
  return kSoilTypeNames;
}

/* R is T, const or not. */
template <class R, class T>
concept record_of = std::same_as<std::remove_const_t<R>, T>;

// The fields of each record.  KESTRO_FIELD names the member once, for both
// the JSON key and the member; the others add a rule.
#define KESTRO_FIELD(member, units_, default_, help_)                                            \
  visitor(::kestro::FieldInfo{#member, units_, help_, default_, ::kestro::FieldRule::value, {}}, \
          record.member)
#define KESTRO_REQUIRED(member, help_)                                                    \
  visitor(                                                                                \
      ::kestro::FieldInfo{                                                                \
          #member, ::kestro::units::none, help_, 0.0, ::kestro::FieldRule::required, {}}, \
      record.member)
#define KESTRO_COPY(member, units_, follows_, help_)                                             \
  visitor(::kestro::FieldInfo{#member, units_, help_, 0.0, ::kestro::FieldRule::copy, follows_}, \
          record.member)
#define KESTRO_DERIVED(member, rule_, follows_, help_)                    \
  visitor(::kestro::FieldInfo{#member, ::kestro::units::none, help_, 0.0, \
                              ::kestro::FieldRule::rule_, follows_},      \
          record.member)

constexpr RecordInfo record_info(const Control&) {
  return {"Control", "The control record: the unit system, the options and the table counts."};
}
template <record_of<Control> R, class V>
constexpr void visit_fields(R& record, V&& visitor) {
  using namespace ::kestro::units;
  KESTRO_REQUIRED(units, "the unit system: english (inches and pounds) or si (metres and kN)");
  KESTRO_DERIVED(specified_point_count, count, "../specified_points",
                 "number of points with specified deflections or slopes, 0 to 20");
  KESTRO_DERIVED(wall_section_count, count, "../wall_sections",
                 "number of wall sections; 0: the wall-model tables are absent");
  KESTRO_DERIVED(cross_section_count, count, "../cross_sections", "number of cross sections");
  KESTRO_DERIVED(py_factor_count, count, "../py_factors/rows",
                 "number of p-y modification factors");
  KESTRO_FIELD(earth_pressure_option, none, 0.0,
               "earth pressure: none, pressure_table, or generated as active, apparent, "
               "retained_soil or apparent_soft_clay");
  KESTRO_FIELD(py_option, none, 1.0, "p-y curves: user_curves only, generated, or none");
  KESTRO_DERIVED(user_curve_count, count, "../py_curves", "number of user-specified p-y curves");
  KESTRO_FIELD(stages, none, 1.0, "number of stages; 2 or more: the problems are stages");
  KESTRO_DERIVED(ei_set_count, count, "../moment_curvature/ei_sets",
                 "number of user-defined nonlinear EI sets");
  KESTRO_DERIVED(tieback_count, count, "../tiebacks", "number of tie-backs");
  KESTRO_FIELD(hinge_option, none, 0.0,
               "off, or at_tiebacks_below_the_top: zero moment at every tie-back but the top one");
}

constexpr RecordInfo record_info(const Geometry&) {
  return {"Geometry", "The geometry and iteration record."};
}
template <record_of<Geometry> R, class V>
constexpr void visit_fields(R& record, V&& visitor) {
  using namespace ::kestro::units;
  KESTRO_FIELD(increments, none, 0.0, "number of increments N, 1 to 409; stations 0 (top) to N");
  KESTRO_FIELD(increment_length, length, 0.0, "increment length h, greater than 0");
  KESTRO_FIELD(max_deflection, length, 0.0,
               "maximum allowable deflection; the iteration stops beyond it");
  KESTRO_FIELD(tolerance, length, 0.0, "deflection closure tolerance of the iteration");
  KESTRO_FIELD(excavation_depth, length, 0.0, "excavation depth below the top of the wall");
  KESTRO_FIELD(width, length, 0.0,
               "analysis width: the width of wall the analysis represents (12 in for a foot)");
  KESTRO_FIELD(wall_height, length, 0.0, "height of wall, printed only: the wall is N*h long");
  KESTRO_FIELD(max_iterations, none, 0.0,
               "maximum number of iterations; 0: a single solution; negative: the run ends");
  KESTRO_FIELD(reserved_9, none, 0.0, "item 9, not used");
  KESTRO_FIELD(reserved_10, none, 0.0, "item 10, not used");
}

constexpr RecordInfo record_info(const SpecifiedPoint&) {
  return {"SpecifiedPoint", "A point with a specified deflection or slope."};
}
template <record_of<SpecifiedPoint> R, class V>
constexpr void visit_fields(R& record, V&& visitor) {
  using namespace ::kestro::units;
  KESTRO_FIELD(condition, none, 1.0, "which value is given: deflection, slope or both (CASE)");
  KESTRO_FIELD(station, none, 0.0, "station, 0 at the top; stations must not decrease");
  KESTRO_FIELD(deflection, length, 0.0, "the specified deflection");
  KESTRO_FIELD(slope, radians, 0.0, "the specified slope");
}

constexpr RecordInfo record_info(const WallSection&) {
  return {"WallSection", "A length of wall with one cross section."};
}
template <record_of<WallSection> R, class V>
constexpr void visit_fields(R& record, V&& visitor) {
  using namespace ::kestro::units;
  KESTRO_FIELD(top, depth_ft, 0.0, "depth of the top of the section below the top of the wall");
  KESTRO_FIELD(bottom, depth_ft, 0.0, "depth of the bottom of the section");
  KESTRO_FIELD(cross_section, none, 0.0, "number of its cross section, from 1");
}

constexpr RecordInfo record_info(const SectionValues&) {
  return {"SectionValues", "The dimensions and values of an elastic section at one end."};
}
template <record_of<SectionValues> R, class V>
constexpr void visit_fields(R& record, V&& visitor) {
  using namespace ::kestro::units;
  KESTRO_FIELD(diameter, section, 0.0, "diameter (slot 1)");
  KESTRO_FIELD(internal_diameter, section, 0.0, "internal diameter (slot 2)");
  KESTRO_FIELD(external_width, section, 0.0, "external width (slot 3)");
  KESTRO_FIELD(external_depth, section, 0.0, "external depth (slot 4)");
  KESTRO_FIELD(internal_width, section, 0.0, "internal width (slot 5)");
  KESTRO_FIELD(internal_depth, section, 0.0, "internal depth (slot 6)");
  KESTRO_FIELD(flange_thickness, section, 0.0, "flange thickness (slot 7)");
  KESTRO_FIELD(web_thickness, section, 0.0, "web thickness (slot 8)");
  KESTRO_FIELD(value_9, none, 0.0, "slot 9, not used");
  KESTRO_FIELD(value_10, none, 0.0, "slot 10, not used");
  KESTRO_FIELD(value_11, inertia, 0.0,
               "slot 11: the moment of inertia a user-defined EI section shows");
  KESTRO_FIELD(moment_of_inertia, inertia, 0.0,
               "moment of inertia I (slot 12), of the analysis width");
  KESTRO_FIELD(value_13, none, 0.0, "slot 13, not used");
  KESTRO_FIELD(value_14, none, 0.0, "slot 14, not used");
  KESTRO_FIELD(value_15, none, 0.0, "slot 15, not used");
  KESTRO_FIELD(value_16, none, 0.0, "slot 16, not used");
  KESTRO_FIELD(elastic_modulus, stress, 0.0, "Young's modulus E (slot 17)");
  KESTRO_FIELD(value_18, none, 0.0, "slot 18, not used");
  KESTRO_FIELD(value_19, none, 0.0, "the value after slot 18, not used");
}

constexpr RecordInfo record_info(const NonlinearSection&) {
  return {"NonlinearSection",
          "The twelve records of a nonlinear section and the tables they count; its rigidity "
          "comes from its moment-curvature curves."};
}
template <record_of<NonlinearSection> R, class V>
constexpr void visit_fields(R& record, V&& visitor) {
  using namespace ::kestro::units;
  KESTRO_FIELD(equivalent_diameter, section, 0.0, "equivalent elastic diameter");
  KESTRO_FIELD(value_2, none, 0.0, "value 2 of the equivalent elastic values, not used");
  KESTRO_FIELD(value_3, none, 0.0, "value 3 of the equivalent elastic values, not used");
  KESTRO_FIELD(value_4, none, 0.0, "value 4 of the equivalent elastic values, not used");
  KESTRO_FIELD(equivalent_moment_of_inertia, inertia, 0.0, "equivalent moment of inertia");
  KESTRO_FIELD(value_6, none, 0.0, "value 6 of the equivalent elastic values, not used");
  KESTRO_FIELD(value_7, none, 0.0, "value 7 of the equivalent elastic values, not used");
  KESTRO_FIELD(value_8, none, 0.0, "value 8 of the equivalent elastic values, not used");
  KESTRO_FIELD(equivalent_elastic_modulus, stress, 0.0, "equivalent Young's modulus");
  KESTRO_FIELD(type, none, 0.0,
               "1 to 10: concrete, prestressed, steel and user-defined EI sections");
  KESTRO_FIELD(external_width, section, 0.0, "external width");
  KESTRO_FIELD(external_depth, section, 0.0, "external depth");
  KESTRO_FIELD(external_diameter, section, 0.0, "external diameter");
  KESTRO_FIELD(void_diameter, section, 0.0, "diameter of the void");
  KESTRO_FIELD(corner_chamfer, section, 0.0, "corner chamfer");
  KESTRO_FIELD(web_thickness, section, 0.0, "web thickness");
  KESTRO_FIELD(flange_thickness, section, 0.0, "flange thickness");
  KESTRO_FIELD(casing_diameter, section, 0.0, "diameter of the casing; 0: no casing");
  KESTRO_FIELD(casing_thickness, section, 0.0, "thickness of the casing");
  KESTRO_FIELD(steel_diameter, section, 0.0, "diameter of a steel pipe");
  KESTRO_FIELD(steel_thickness, section, 0.0, "wall thickness of a steel pipe");
  KESTRO_FIELD(concrete_strength, stress, 0.0, "concrete strength fc");
  KESTRO_FIELD(casing_modulus, stress, 0.0, "Young's modulus of the casing");
  KESTRO_FIELD(casing_yield, stress, 0.0, "yield stress of the casing");
  KESTRO_FIELD(steel_modulus, stress, 0.0, "Young's modulus of the steel");
  KESTRO_FIELD(steel_yield, stress, 0.0, "yield stress of the steel");
  KESTRO_FIELD(embedded_steel, none, 0.0, "positive: a steel section is embedded");
  KESTRO_FIELD(h_section, none, 0.0, "the H-section flag");
  KESTRO_FIELD(steel_aisc_code, none, 0.0, "AISC code of the steel section");
  KESTRO_FIELD(reserved_5, none, 0.0, "descriptor 5, not used");
  KESTRO_FIELD(steel_name, none, 0.0, "name of the steel section");
  KESTRO_FIELD(reserved_6, none, 0.0, "descriptor 6, not used");
  KESTRO_FIELD(rebar_layout, none, 0.0, "0 circular, 1 rectangular, 2 square, other manual");
  KESTRO_FIELD(reserved_8, none, 0.0, "descriptor 8, not used");
  KESTRO_FIELD(reserved_9, none, 0.0, "descriptor 9, not used");
  KESTRO_DERIVED(rebar_count, count, "rebars", "number of rebars");
  KESTRO_FIELD(rebar_area, section_area, 0.0, "area of a rebar");
  KESTRO_FIELD(rebar_diameter, section, 0.0, "diameter of a rebar");
  KESTRO_FIELD(rebar_cover, section, 0.0, "cover of the rebars");
  KESTRO_FIELD(rebar_modulus, stress, 0.0, "Young's modulus of the rebars");
  KESTRO_FIELD(rebar_yield, stress, 0.0, "yield stress of the rebars");
  KESTRO_FIELD(confined, none, 0.0, "not 0: a confined section");
  KESTRO_FIELD(transverse_type, none, 0.0, "transverse reinforcement: 1 spiral, other hoop");
  KESTRO_FIELD(reserved_13, none, 0.0, "descriptor 13, not used");
  KESTRO_FIELD(reserved_14, none, 0.0, "descriptor 14, not used");
  KESTRO_FIELD(transverse_rebars, none, 0.0, "number of transverse rebars");
  KESTRO_FIELD(legs_y, none, 0.0, "number of legs in y");
  KESTRO_FIELD(legs_z, none, 0.0, "number of legs in z");
  KESTRO_FIELD(transverse_area, section_area, 0.0, "area of the transverse reinforcement");
  KESTRO_FIELD(transverse_diameter, section, 0.0, "diameter of the transverse reinforcement");
  KESTRO_FIELD(transverse_spacing, section, 0.0, "spacing of the transverse reinforcement");
  KESTRO_FIELD(transverse_yield, stress, 0.0, "yield stress of the transverse reinforcement");
  KESTRO_FIELD(rebars, none, 0.0, "five values per rebar, its coordinates among them");
  KESTRO_FIELD(reserved_18, none, 0.0, "descriptor 18, not used");
  KESTRO_FIELD(reserved_19, none, 0.0, "descriptor 19, not used");
  KESTRO_FIELD(strand_layout, none, 0.0, "0 circular, 1 rectangular, 2 square, other manual");
  KESTRO_FIELD(reserved_21, none, 0.0, "descriptor 21, not used");
  KESTRO_DERIVED(strand_count, count, "strands", "number of strands");
  KESTRO_FIELD(strand_diameter, section, 0.0, "diameter of a strand");
  KESTRO_FIELD(strand_area, section_area, 0.0, "area of a strand");
  KESTRO_FIELD(strand_cover, section, 0.0, "cover of the strands");
  KESTRO_FIELD(strand_strength, stress, 0.0, "ultimate strength of the strands");
  KESTRO_FIELD(strand_prestress, force, 0.0, "initial prestressing force");
  KESTRO_FIELD(value_37, none, 0.0, "value 37, not used");
  KESTRO_FIELD(value_38, none, 0.0, "value 38, not used");
  KESTRO_FIELD(strands, none, 0.0, "five values per strand, its coordinates among them");
  KESTRO_DERIVED(single_value_count, count, "single_values", "number of single values");
  KESTRO_FIELD(reserved_24, none, 0.0, "descriptor 24, not used");
  KESTRO_FIELD(reserved_25, none, 0.0, "descriptor 25, not used");
  KESTRO_FIELD(value_31, none, 0.0, "value 31, not used");
  KESTRO_FIELD(value_32, none, 0.0, "value 32, not used");
  KESTRO_FIELD(single_values, none, 0.0, "records of one value each, not used");
  KESTRO_FIELD(reserved_26, none, 0.0, "descriptor 26, not used");
  KESTRO_FIELD(reserved_27, none, 0.0, "descriptor 27, not used");
  KESTRO_FIELD(reserved_28, none, 0.0, "descriptor 28, not used");
  KESTRO_FIELD(ei_set, none, 0.0, "the user-defined EI set of a type-10 section");
  KESTRO_FIELD(reserved_30, none, 0.0, "descriptor 30, not used");
  KESTRO_FIELD(reserved_31, none, 0.0, "descriptor 31, not used");
  KESTRO_FIELD(reserved_32, none, 0.0, "descriptor 32, not used");
  KESTRO_FIELD(value_33, none, 0.0, "value 33, not used");
  KESTRO_FIELD(hardening_strain, none, 0.0, "ESH, the strain where hardening begins");
  KESTRO_FIELD(ultimate_strain, none, 0.0, "ESU, the ultimate strain");
  KESTRO_FIELD(ultimate_over_yield, none, 0.0, "FU/FY, ultimate over yield stress");
  KESTRO_FIELD(strain_hardening, none, 0.0, "not 0: use the strain-hardening model");
  KESTRO_FIELD(reserved_34, none, 0.0, "descriptor 34, not used");
  KESTRO_DERIVED(closing_value_count, count, "closing_values", "number of closing values");
  KESTRO_DERIVED(closing_values_given, flag, "closing_values",
                 "positive, with a positive count: the closing values follow");
  KESTRO_FIELD(value_39, none, 0.0, "value 39, not used");
  KESTRO_FIELD(value_40, none, 0.0, "value 40, not used");
  KESTRO_FIELD(closing_values, none, 0.0, "records of one value each, not used");
}

constexpr RecordInfo record_info(const CrossSection&) {
  return {"CrossSection", "A cross section, elastic (top and bottom values) or nonlinear."};
}
template <record_of<CrossSection> R, class V>
constexpr void visit_fields(R& record, V&& visitor) {
  using namespace ::kestro::units;
  KESTRO_FIELD(reserved_1, none, 0.0, "item 1 of the head record, not used");
  KESTRO_FIELD(reserved_2, none, 0.0, "item 2 of the head record, not used");
  KESTRO_FIELD(shape, none, 0.0,
               "shape type of an elastic section: general, circular_pipe, rectangular_pipe, "
               "i_section, h_section, aisc or sheet_piling");
  KESTRO_FIELD(nonlinear_flag, none, 0.0, "0 elastic, otherwise nonlinear");
  KESTRO_FIELD(name, none, 0.0, "the section name");
  KESTRO_FIELD(top, none, 0.0, "the dimensions and values of an elastic section (at its top)");
  KESTRO_DERIVED(tapered, flag, "bottom", "positive: the section is tapered, bottom follows");
  KESTRO_FIELD(bottom, none, 0.0, "the values at the bottom of a tapered section");
  KESTRO_FIELD(aisc_code, none, 0.0, "AISC shape code: 0 W, 1 M, 2 S, 3 HP, 11 HSS, 12 pipe");
  KESTRO_FIELD(aisc_reserved_1, none, 0.0, "item 2 of the AISC record, not used");
  KESTRO_FIELD(thickness, section, 0.0, "wall thickness");
  KESTRO_FIELD(diameter_label_flag, none, 0.0, "the diameter-label flag");
  KESTRO_FIELD(aisc_reserved_2, none, 0.0, "item 5 of the AISC record, not used");
  KESTRO_FIELD(aisc_name, none, 0.0, "the AISC or sheet-pile section name");
  KESTRO_FIELD(nonlinear, none, 0.0, "the records of a nonlinear section");
}

constexpr RecordInfo record_info(const MomentCurvaturePoint&) {
  return {"MomentCurvaturePoint", "A point of a moment-curvature curve."};
}
template <record_of<MomentCurvaturePoint> R, class V>
constexpr void visit_fields(R& record, V&& visitor) {
  using namespace ::kestro::units;
  KESTRO_FIELD(moment, moment, 0.0, "moment");
  KESTRO_FIELD(curvature, curvature, 0.0, "curvature");
}

constexpr RecordInfo record_info(const EiSet&) {
  return {"EiSet", "A user-defined nonlinear EI set: its thrust and moment-curvature points."};
}
template <record_of<EiSet> R, class V>
constexpr void visit_fields(R& record, V&& visitor) {
  using namespace ::kestro::units;
  KESTRO_FIELD(thrust, force, 0.0, "axial thrust");
  KESTRO_FIELD(reserved, none, 0.0, "the set number, not used");
  KESTRO_DERIVED(point_count, count, "points", "number of points");
  KESTRO_FIELD(points, none, 0.0, "the points (moment, curvature)");
}

constexpr RecordInfo record_info(const ThrustLevel&) {
  return {"ThrustLevel", "A thrust level of a cross section and its moment-curvature points."};
}
template <record_of<ThrustLevel> R, class V>
constexpr void visit_fields(R& record, V&& visitor) {
  using namespace ::kestro::units;
  KESTRO_FIELD(thrust, force, 0.0, "axial thrust");
  KESTRO_FIELD(second_value, none, 0.0, "the value given with the thrust");
  KESTRO_FIELD(reserved, none, 0.0, "item 1 of the point-count record, not used");
  KESTRO_DERIVED(point_count, count, "points", "number of points");
  KESTRO_FIELD(points, none, 0.0, "the points (moment, curvature)");
}

constexpr RecordInfo record_info(const SectionCurves&) {
  return {"SectionCurves", "The moment-curvature curves of one cross section."};
}
template <record_of<SectionCurves> R, class V>
constexpr void visit_fields(R& record, V&& visitor) {
  using namespace ::kestro::units;
  KESTRO_FIELD(reserved, none, 0.0, "item 1 of the record, not used");
  KESTRO_DERIVED(level_count, count, "levels", "number of thrust levels");
  KESTRO_FIELD(levels, none, 0.0, "the thrust levels");
}

constexpr RecordInfo record_info(const MomentCurvature&) {
  return {"MomentCurvature",
          "The moment-curvature data: the user-defined EI sets and one entry per cross "
          "section."};
}
template <record_of<MomentCurvature> R, class V>
constexpr void visit_fields(R& record, V&& visitor) {
  using namespace ::kestro::units;
  KESTRO_FIELD(reserved, none, 0.0, "the record ahead of the EI sets, not used");
  KESTRO_FIELD(ei_sets, none, 0.0, "the user-defined nonlinear EI sets");
  KESTRO_DERIVED(section_curves, entries, "../cross_sections",
                 "the curves of each cross section; none for an elastic section");
}

constexpr RecordInfo record_info(const LoadRecord&) {
  return {"LoadRecord", "Loads spread over stations FROM to TO."};
}
template <record_of<LoadRecord> R, class V>
constexpr void visit_fields(R& record, V&& visitor) {
  using namespace ::kestro::units;
  KESTRO_FIELD(span, none, 1.0, "CONTD: alone, or continued into the next record");
  KESTRO_FIELD(from_station, none, 0.0, "first station");
  KESTRO_FIELD(to_station, none, 0.0, "last station");
  KESTRO_FIELD(load, force, 0.0, "Q, transverse load per station");
  KESTRO_FIELD(couple, moment, 0.0, "T, couple per station");
  KESTRO_FIELD(axial, force, 0.0, "P, axial load per station, compression positive");
}

constexpr RecordInfo record_info(const SpringRecord&) {
  return {"SpringRecord", "Linear springs spread over stations FROM to TO."};
}
template <record_of<SpringRecord> R, class V>
constexpr void visit_fields(R& record, V&& visitor) {
  using namespace ::kestro::units;
  KESTRO_FIELD(from_station, none, 0.0, "first station");
  KESTRO_FIELD(to_station, none, 0.0, "last station");
  KESTRO_FIELD(span, none, 1.0, "CONTD: alone, or continued into the next record");
  KESTRO_FIELD(lateral, per_length, 0.0, "S, transverse spring per station");
  KESTRO_FIELD(rotational, rotational_spring, 0.0, "R, rotational spring per station");
}

constexpr RecordInfo record_info(const Tieback&) {
  return {"Tieback", "A tie-back."};
}
template <record_of<Tieback> R, class V>
constexpr void visit_fields(R& record, V&& visitor) {
  using namespace ::kestro::units;
  KESTRO_FIELD(depth, depth_ft, 0.0, "depth below the top of the wall");
  KESTRO_FIELD(area, tendon_area, 0.0, "tendon area");
  KESTRO_FIELD(elastic_modulus, stress, 0.0, "elastic modulus of the tendon");
  KESTRO_FIELD(unbonded_length, depth_ft, 0.0, "unbonded length");
  KESTRO_FIELD(angle, degrees, 0.0, "angle below the horizontal");
  KESTRO_FIELD(spacing, depth_ft, 0.0, "anchor spacing");
  KESTRO_FIELD(prestress, force, 0.0, "prestress force per tie-back");
}

constexpr RecordInfo record_info(const FactorRow&) {
  return {"FactorRow", "p-y modification factors at a depth."};
}
template <record_of<FactorRow> R, class V>
constexpr void visit_fields(R& record, V&& visitor) {
  using namespace ::kestro::units;
  KESTRO_FIELD(depth, length, 0.0, "depth below the top of the wall, not decreasing");
  KESTRO_FIELD(p_factor, none, 1.0, "p-factor, not negative");
  KESTRO_FIELD(y_factor, none, 1.0, "y-factor, positive");
}

constexpr RecordInfo record_info(const PyFactors&) {
  return {"PyFactors", "The p-y modification factors of generated curves."};
}
template <record_of<PyFactors> R, class V>
constexpr void visit_fields(R& record, V&& visitor) {
  using namespace ::kestro::units;
  KESTRO_FIELD(combination, none, 0.0,
               "how the factors apply: table_alone, or times_spacing_reduction for closely "
               "spaced elements");
  KESTRO_FIELD(rows, none, 0.0, "the factors by depth, at most 400");
}

constexpr RecordInfo record_info(const PressurePoint&) {
  return {"PressurePoint", "A point of the specified active earth pressure table."};
}
template <record_of<PressurePoint> R, class V>
constexpr void visit_fields(R& record, V&& visitor) {
  using namespace ::kestro::units;
  KESTRO_FIELD(depth, length, 0.0, "X, depth below the top of the wall, not decreasing");
  KESTRO_FIELD(pressure, per_length, 0.0, "PA, active earth pressure as a load per length");
}

constexpr RecordInfo record_info(const WallRecord&) {
  return {"WallRecord", "The wall record of generated earth pressure and p-y curves."};
}
template <record_of<WallRecord> R, class V>
constexpr void visit_fields(R& record, V&& visitor) {
  using namespace ::kestro::units;
  KESTRO_FIELD(free_height, length, 0.0, "HFREE: depth of the excavation level");
  KESTRO_FIELD(pressure_width, length, 0.0,
               "WA: width the pressures act on above the excavation (element spacing)");
  KESTRO_FIELD(resistance_width, length, 0.0,
               "WP: width of soil resistance below the excavation (element width)");
  KESTRO_FIELD(water_depth_retained, length, 0.0, "ZWB: depth of the water table behind the wall");
  KESTRO_FIELD(water_depth_excavation, length, 0.0,
               "ZWE: depth of the water table on the excavation side");
  KESTRO_FIELD(active_factor, none, 1.0, "FMOD: factor on the active earth pressure");
  KESTRO_FIELD(water_pressure, none, 0.0,
               "KWATER: water pressure of drained layers everywhere or only_where_computed");
  KESTRO_FIELD(backfill_slope, degrees, 0.0, "BETA: slope of the backfill surface");
  KESTRO_FIELD(excavation_slope, degrees, 0.0,
               "SLOPEX: slope of the ground on the excavation side (p-y curves only)");
}

constexpr RecordInfo record_info(const SurfaceRecord&) {
  return {"SurfaceRecord", "The surface pressure and the single surcharge given with it."};
}
template <record_of<SurfaceRecord> R, class V>
constexpr void visit_fields(R& record, V&& visitor) {
  using namespace ::kestro::units;
  KESTRO_FIELD(pressure, surface_load, 0.0, "QSURF: uniform pressure on the backfill surface");
  KESTRO_FIELD(distance, length, 0.0, "distance of the surcharge from the wall");
  KESTRO_FIELD(point_load, force, 0.0, "point load");
  KESTRO_FIELD(line_load, per_length, 0.0, "line load");
  KESTRO_FIELD(strip_pressure, stress, 0.0, "strip pressure");
  KESTRO_FIELD(strip_width, length, 0.0, "strip width");
}

constexpr RecordInfo record_info(const Surcharge&) {
  return {"Surcharge", "A surcharge item; the items replace the surcharge of the surface record."};
}
template <record_of<Surcharge> R, class V>
constexpr void visit_fields(R& record, V&& visitor) {
  using namespace ::kestro::units;
  KESTRO_REQUIRED(type, "KSUR: point, line or strip; other codes are ignored");
  KESTRO_FIELD(magnitude, surcharge_magnitude, 0.0,
               "Q: force, force per length or pressure, by type");
  KESTRO_FIELD(distance, surcharge, 0.0, "X: distance from the wall, to the middle of a strip");
  KESTRO_FIELD(width, surcharge, 0.0, "B: width of a strip");
  KESTRO_FIELD(height, surcharge, 0.0, "Z: height of the load above the top of the wall");
  KESTRO_FIELD(factor, none, 1.0, "F: factor on the load; 0 switches the item off");
}

constexpr RecordInfo record_info(const LayerValues&) {
  return {"LayerValues",
          "The six values of a soil layer at its bottom; each left out is the value at its "
          "top."};
}
template <record_of<LayerValues> R, class V>
constexpr void visit_fields(R& record, V&& visitor) {
  using namespace ::kestro::units;
  KESTRO_COPY(unit_weight, unit_weight, "../unit_weight", "total unit weight at the bottom");
  KESTRO_COPY(strength, stress, "../strength", "S at the bottom");
  KESTRO_COPY(friction_angle, degrees, "../friction_angle", "PHI at the bottom");
  KESTRO_COPY(e50, none, "../e50", "E50 at the bottom");
  KESTRO_COPY(kpy, unit_weight, "../kpy", "KPY at the bottom");
  KESTRO_COPY(sixth, none, "../sixth", "the sixth value at the bottom");
}

constexpr RecordInfo record_info(const SoilLayer&) {
  return {"SoilLayer", "A soil layer: its type, its bottom and its values at top and bottom."};
}
template <record_of<SoilLayer> R, class V>
constexpr void visit_fields(R& record, V&& visitor) {
  using namespace ::kestro::units;
  KESTRO_REQUIRED(soil_type,
                  "IDSOIL: soft_clay, stiff_clay_free_water, stiff_clay_no_free_water, sand, "
                  "silt, rock or weak_rock");
  KESTRO_FIELD(bottom_depth, length, 0.0, "ZBOT: depth of the bottom below the top of the wall");
  KESTRO_FIELD(unit_weight, unit_weight, 0.0, "total unit weight");
  KESTRO_FIELD(strength, stress, 0.0, "S: cohesion, undrained shear strength or qu");
  KESTRO_FIELD(friction_angle, degrees, 0.0, "PHI: friction angle");
  KESTRO_FIELD(e50, none, 0.0, "E50: strain at half the strength; krm of weak rock");
  KESTRO_FIELD(kpy, unit_weight, 0.0,
               "KPY: rate of the initial modulus with depth; Eir of weak rock, in psi or kPa");
  KESTRO_FIELD(sixth, none, 0.0,
               "active earth-pressure coefficient when not 0 (types 1-5); RQD, percent, of weak "
               "rock");
  KESTRO_FIELD(at_bottom, none, 0.0, "the six values at the bottom of the layer");
}

constexpr RecordInfo record_info(const CurvePoint&) {
  return {"CurvePoint", "A point of a user p-y curve."};
}
template <record_of<CurvePoint> R, class V>
constexpr void visit_fields(R& record, V&& visitor) {
  using namespace ::kestro::units;
  KESTRO_FIELD(y, length, 0.0, "Y: deflection, increasing from point to point");
  KESTRO_FIELD(p, per_length, 0.0, "P: soil resistance per length; falls as Y rises");
}

constexpr RecordInfo record_info(const PyCurve&) {
  return {"PyCurve", "A user-specified p-y curve at a station."};
}
template <record_of<PyCurve> R, class V>
constexpr void visit_fields(R& record, V&& visitor) {
  using namespace ::kestro::units;
  KESTRO_FIELD(station, none, 0.0, "STA: station of the curve");
  KESTRO_DERIVED(point_count, count, "points", "NP: number of points, at least 2");
  KESTRO_FIELD(p_multiplier, none, 1.0, "PMULT: multiplier of P");
  KESTRO_FIELD(y_multiplier, none, 1.0, "YMULT: multiplier of Y");
  KESTRO_FIELD(points, none, 0.0, "the points (Y, P)");
}

constexpr RecordInfo record_info(const Problem&) {
  return {"Problem", "One problem, or one stage of an excavation."};
}
template <record_of<Problem> R, class V>
constexpr void visit_fields(R& record, V&& visitor) {
  using namespace ::kestro::units;
  KESTRO_FIELD(title, none, 0.0, "the title; its first 70 characters head the report");
  KESTRO_REQUIRED(control, "the control record");
  KESTRO_FIELD(geometry, none, 0.0, "the geometry and iteration record");
  KESTRO_FIELD(specified_points, none, 0.0, "points with specified deflections or slopes");
  KESTRO_FIELD(wall_sections, none, 0.0, "the wall sections, top to bottom");
  KESTRO_FIELD(cross_sections, none, 0.0, "the cross sections, at most 100");
  KESTRO_FIELD(moment_curvature, none, 0.0, "moment-curvature data");
  KESTRO_DERIVED(load_count, count, "loads", "number of load records");
  KESTRO_FIELD(loads, none, 0.0, "the load records");
  KESTRO_DERIVED(spring_count, count, "springs", "number of spring records");
  KESTRO_FIELD(springs, none, 0.0, "the spring records");
  KESTRO_FIELD(tiebacks, none, 0.0, "the tie-backs");
  KESTRO_FIELD(py_factors, none, 0.0, "p-y modification factors");
  KESTRO_DERIVED(pressure_point_count, count, "pressure_table",
                 "number of points of the pressure table, 0 to 2000");
  KESTRO_FIELD(pressure_table, none, 0.0, "the specified active earth pressure table");
  KESTRO_FIELD(wall, none, 0.0, "the wall record");
  KESTRO_FIELD(surface, none, 0.0, "the surface pressure and its surcharge");
  KESTRO_DERIVED(surcharge_count, count, "surcharges", "NSUR: number of surcharge items, 0 to 20");
  KESTRO_FIELD(surcharges, none, 0.0, "the surcharge items");
  KESTRO_DERIVED(soil_layer_count, count, "soil_layers", "NLAYER: number of soil layers, 0 to 21");
  KESTRO_FIELD(loading, none, 1.0, "loading of the p-y curves: static or cyclic");
  KESTRO_FIELD(load_cycles, none, 0.0, "number of load cycles of cyclic loading");
  KESTRO_FIELD(soil_layers, none, 0.0, "the soil layers, top to bottom");
  KESTRO_FIELD(py_curves, none, 0.0, "the user-specified p-y curves");
  KESTRO_DERIVED(continuation, continuation, "",
                 "continuation code: 0 or the number of stages ends the run, any other value "
                 "starts another problem (9: the next stage)");
}

constexpr RecordInfo record_info(const Deck&) {
  return {"Deck", "A deck: its problems, or the stages of an excavation."};
}
/* The fields of a deck that its JSON form holds: not its name, places or
 * failure. */
template <record_of<Deck> R, class V>
constexpr void visit_fields(R& record, V&& visitor) {
  using namespace ::kestro::units;
  KESTRO_REQUIRED(problems, "the problems, at least one, in the order they run");
  KESTRO_FIELD(trailing, none, 0.0, "text after the continuation code that ends the run, kept");
}

/* Whether a record is written with all its fields, defaults too: the points
 * of curves and tables, which read best whole. */
template <class R>
constexpr bool written_whole(const R&) {
  return false;
}
constexpr bool written_whole(const CurvePoint&) {
  return true;
}
constexpr bool written_whole(const MomentCurvaturePoint&) {
  return true;
}
constexpr bool written_whole(const PressurePoint&) {
  return true;
}
constexpr bool written_whole(const FactorRow&) {
  return true;
}

#undef KESTRO_FIELD
#undef KESTRO_REQUIRED
#undef KESTRO_COPY
#undef KESTRO_DERIVED

/* A record of the model: a type visit_fields knows. */
template <class T>
concept Record = requires(T& record) {
  visit_fields(record, [](const FieldInfo&, auto&) {});
  record_info(record);
};

}  // namespace deck

/* The kinds of value of a field. */
enum class FieldType : unsigned char {
  integer,
  real,
  text,
  code,     /* an enum: a name of enum_names, or an integer code */
  object,   /* a record */
  optional, /* a record that may be absent */
  list,     /* a list of records */
  reals,    /* a list of numbers */
  rows,     /* a list of rows of five numbers */
};

/* The type of value of a member of a record. */
template <class M>
constexpr FieldType field_type() {
  using T = std::remove_const_t<M>;
  if constexpr (std::is_same_v<T, int>) {
    return FieldType::integer;
  } else if constexpr (std::is_same_v<T, double>) {
    return FieldType::real;
  } else if constexpr (std::is_same_v<T, std::string>) {
    return FieldType::text;
  } else if constexpr (std::is_enum_v<T>) {
    return FieldType::code;
  } else if constexpr (std::is_same_v<T, std::vector<double>>) {
    return FieldType::reals;
  } else if constexpr (std::is_same_v<T, std::vector<std::array<double, 5>>>) {
    return FieldType::rows;
  } else if constexpr (deck::Record<T>) {
    return FieldType::object;
  } else if constexpr (deck::Record<typename T::value_type> &&
                       std::is_same_v<T, std::optional<typename T::value_type>>) {
    return FieldType::optional;
  } else {
    static_assert(std::is_same_v<T, std::vector<typename T::value_type>>);
    return FieldType::list;
  }
}

/* The names of field types and rules, as the front ends give them. */
constexpr const char* field_type_name(FieldType type) {
  switch (type) {
    case FieldType::integer:
      return "integer";
    case FieldType::real:
      return "real";
    case FieldType::text:
      return "text";
    case FieldType::code:
      return "code";
    case FieldType::object:
      return "object";
    case FieldType::optional:
      return "optional";
    case FieldType::list:
      return "list";
    case FieldType::reals:
      return "reals";
    case FieldType::rows:
      return "rows";
  }
  return "";
}

constexpr const char* field_rule_name(FieldRule rule) {
  switch (rule) {
    case FieldRule::value:
      return "value";
    case FieldRule::required:
      return "required";
    case FieldRule::count:
      return "count";
    case FieldRule::flag:
      return "flag";
    case FieldRule::copy:
      return "copy";
    case FieldRule::entries:
      return "entries";
    case FieldRule::continuation:
      return "continuation";
  }
  return "";
}

/* A field of the whole deck, as data. */
struct DeckField {
  std::string path; /* JSON path, with "*" for any index of a list */
  std::string_view name;
  FieldType type = FieldType::real;
  std::string_view record; /* an object's or a list entry's record name */
  FieldUnits units;
  std::string_view help;
  FieldRule rule = FieldRule::value;
  std::string follows;             /* a derived field: the JSON path of what it follows */
  std::string default_json;        /* the JSON text of the value a field left out takes: "1",
                                      "\"static\"", "[]"; empty for required and derived fields */
  std::span<const EnumName> names; /* of a code */
};

/* Every field of a deck, in the order of the records, a record's fields
 * before those of the records it holds. */
std::vector<DeckField> deck_fields();

}  // namespace kestro

#endif /* KESTRO_DECK_FIELDS_HPP */
