// The records of the deck model as Python classes, bound from the field
// table: a property per field with the field's name, its unit and help in the
// class's `_fields`, so that the binding follows the model without naming a
// field twice.  Texts cross as str with any byte that is not UTF-8 kept as a
// lone surrogate (the engine's decks are bytes).
#include "deck_binding.h"

#include <pybind11/stl.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "kestro/deck_fields.hpp"
#include "kestro/deck_json.hpp"

namespace py = pybind11;

namespace kestro::python {
namespace {

using namespace kestro::deck;

py::str text_to_python(const std::string& text) {
  PyObject* decoded =
      PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), "surrogateescape");
  if (decoded == nullptr) throw py::error_already_set();
  return py::reinterpret_steal<py::str>(decoded);
}

std::string text_from_python(py::handle value) {
  if (py::isinstance<py::bytes>(value)) return value.cast<std::string>();
  if (!py::isinstance<py::str>(value)) throw py::type_error("expected a str");
  PyObject* encoded = PyUnicode_AsEncodedString(value.ptr(), "utf-8", "surrogateescape");
  if (encoded == nullptr) throw py::error_already_set();
  return py::reinterpret_steal<py::bytes>(encoded).cast<std::string>();
}

template <class T>
struct is_optional : std::false_type {};
template <class T>
struct is_optional<std::optional<T>> : std::true_type {};
template <class T>
struct is_vector : std::false_type {};
template <class T>
struct is_vector<std::vector<T>> : std::true_type {};

// A record from what Python gives for it: the record itself, a tuple or list
// of its values in order, or a dict of them by name (through the class, so
// that every name the class knows is taken).
template <class R>
R record_from(py::handle value) {
  if (py::isinstance<R>(value)) return value.cast<R>();
  const py::object type = py::type::of<R>();
  if (py::isinstance<py::dict>(value)) return type(**value.cast<py::dict>()).template cast<R>();
  if (py::isinstance<py::tuple>(value) || py::isinstance<py::list>(value))
    return type(*value).template cast<R>();
  throw py::type_error(std::string("expected a ") + std::string(record_info(R{}).name) +
                       ", a tuple or a dict");
}

template <class E>
E code_from(py::handle value) {
  if (py::isinstance<py::str>(value)) {
    const std::string name = value.cast<std::string>();
    for (const EnumName& known : enum_names(E{}))
      if (known.name == name) return static_cast<E>(known.code);
    throw py::value_error("no code is named '" + name + "'");
  }
  return static_cast<E>(value.cast<int>());
}

template <class M>
py::object get_member(M& member, py::handle owner) {
  if constexpr (std::is_same_v<M, std::string>) {
    return text_to_python(member);
  } else if constexpr (std::is_enum_v<M>) {
    return py::int_(static_cast<int>(member));
  } else if constexpr (std::is_arithmetic_v<M>) {
    return py::cast(member);
  } else if constexpr (std::is_same_v<M, std::vector<double>> ||
                       std::is_same_v<M, std::vector<std::array<double, 5>>>) {
    return py::cast(member);  // a list of copies: assign the whole list to change it
  } else if constexpr (is_optional<M>::value) {
    if (!member) return py::none();
    return py::cast(&*member, py::return_value_policy::reference_internal, owner);
  } else {
    return py::cast(&member, py::return_value_policy::reference_internal, owner);
  }
}

template <class M>
void set_member(M& member, py::handle value) {
  if constexpr (std::is_same_v<M, std::string>) {
    member = text_from_python(value);
  } else if constexpr (std::is_enum_v<M>) {
    member = code_from<M>(value);
  } else if constexpr (std::is_arithmetic_v<M>) {
    member = value.cast<M>();
  } else if constexpr (std::is_same_v<M, std::vector<double>> ||
                       std::is_same_v<M, std::vector<std::array<double, 5>>>) {
    member = value.cast<M>();
  } else if constexpr (is_optional<M>::value) {
    if (value.is_none()) {
      member.reset();
    } else {
      member = record_from<typename M::value_type>(value);
    }
  } else if constexpr (is_vector<M>::value) {
    if (py::isinstance<M>(value)) {
      member = value.cast<M>();
    } else {
      M items;
      for (py::handle item : value)
        items.push_back(record_from<typename M::value_type>(item));
      member = std::move(items);
    }
  } else {
    member = record_from<M>(value);
  }
}

template <class R>
void bind_record(py::module_& m) {
  const RecordInfo info = record_info(R{});
  py::class_<R> cls(m, std::string(info.name).c_str(), std::string(info.help).c_str());
  cls.def(py::init<>());
  cls.def("__copy__", [](const R& self) { return R(self); });
  cls.def(
      "__deepcopy__", [](const R& self, py::dict) { return R(self); }, py::arg("memo"));
  cls.def("__eq__", [](const R& self, py::object other) -> py::object {
    if (!py::isinstance<R>(other)) return py::reinterpret_borrow<py::object>(Py_NotImplemented);
    return py::bool_(self == other.cast<const R&>());
  });
  cls.attr("__hash__") = py::none();

  py::list described;
  R probe{};
  visit_fields(probe, [&](const FieldInfo& field, auto& member) {
    using M = std::remove_cvref_t<decltype(member)>;
    const std::string name(field.name);
    cls.def_property(
        name.c_str(),
        [name](py::object self) {
          R& record = self.cast<R&>();
          py::object out;
          visit_fields(record, [&](const FieldInfo& f, auto& m) {
            if (f.name == name) out = get_member(m, self);
          });
          return out;
        },
        [name](R& record, py::object value) {
          visit_fields(record, [&](const FieldInfo& f, auto& m) {
            if (f.name == name) set_member(m, value);
          });
        },
        std::string(field.help).c_str());
    described.append(
        py::make_tuple(name, std::string(field.units.english), std::string(field.units.si),
                       std::string(field.help), field_rule_name(field.rule),
                       static_cast<int>(field_type<M>()) == static_cast<int>(FieldType::code),
                       field.default_value));
  });
  cls.attr("_fields") = py::tuple(described);
}

template <class R>
void bind_list(py::module_& m, const char* name) {
  py::bind_vector<std::vector<R>>(m, name);
}

void sync_count(int& count, std::size_t length) {
  if (count < 0 && length == 0) return;
  count = static_cast<int>(length);
}

bool has_negative_count(const Problem& p) {
  const Control& c = p.control;
  bool negative = c.cross_section_count < 0 || c.ei_set_count < 0 || c.tieback_count < 0 ||
                  c.py_factor_count < 0 || p.load_count < 0 || p.spring_count < 0 ||
                  p.pressure_point_count < 0 || p.surcharge_count < 0 || p.soil_layer_count < 0;
  for (const EiSet& set : p.moment_curvature.ei_sets)
    negative = negative || set.point_count < 0;
  for (const SectionCurves& curves : p.moment_curvature.section_curves) {
    negative = negative || curves.level_count < 0;
    for (const ThrustLevel& level : curves.levels)
      negative = negative || level.point_count < 0;
  }
  for (const CrossSection& s : p.cross_sections) {
    if (!s.nonlinear) continue;
    const NonlinearSection& n = *s.nonlinear;
    negative = negative || n.rebar_count < 0 || n.strand_count < 0 || n.single_value_count < 0 ||
               n.closing_value_count < 0;
  }
  return negative;
}

// A negative count over an empty list stays: the engine stops on it.
void keep_negative(int& count, int before, std::size_t length) {
  if (before < 0 && length == 0) count = before;
}

void follow_lengths(Problem& p) {
  Control& c = p.control;
  sync_count(c.specified_point_count, p.specified_points.size());
  sync_count(c.wall_section_count, p.wall_sections.size());
  if (!p.py_curves.empty() || problem_has_user_curves(p))
    sync_count(c.user_curve_count, p.py_curves.size());
  for (PyCurve& curve : p.py_curves)
    sync_count(curve.point_count, curve.points.size());
  if (c.wall_section_count <= 0) return;
  // The problem reads the tables of the wall model: every count follows,
  // but the negative ones over empty lists (looked for on a copy, when the
  // problem has any negative count at all).
  if (!has_negative_count(p)) {
    normalize_counts(p);
    return;
  }
  const Problem before = p;
  normalize_counts(p);
  const Control& b = before.control;
  keep_negative(c.cross_section_count, b.cross_section_count, p.cross_sections.size());
  keep_negative(c.ei_set_count, b.ei_set_count, p.moment_curvature.ei_sets.size());
  keep_negative(c.tieback_count, b.tieback_count, p.tiebacks.size());
  keep_negative(c.py_factor_count, b.py_factor_count, p.py_factors ? p.py_factors->rows.size() : 0);
  keep_negative(p.load_count, before.load_count, p.loads.size());
  keep_negative(p.spring_count, before.spring_count, p.springs.size());
  keep_negative(p.pressure_point_count, before.pressure_point_count, p.pressure_table.size());
  keep_negative(p.surcharge_count, before.surcharge_count, p.surcharges.size());
  keep_negative(p.soil_layer_count, before.soil_layer_count, p.soil_layers.size());
  for (std::size_t k = 0; k < p.moment_curvature.ei_sets.size(); ++k) {
    EiSet& set = p.moment_curvature.ei_sets[k];
    keep_negative(set.point_count, before.moment_curvature.ei_sets[k].point_count,
                  set.points.size());
  }
  const std::size_t curves = std::min(p.moment_curvature.section_curves.size(),
                                      before.moment_curvature.section_curves.size());
  for (std::size_t k = 0; k < curves; ++k) {
    SectionCurves& now = p.moment_curvature.section_curves[k];
    const SectionCurves& was = before.moment_curvature.section_curves[k];
    keep_negative(now.level_count, was.level_count, now.levels.size());
    for (std::size_t j = 0; j < now.levels.size() && j < was.levels.size(); ++j)
      keep_negative(now.levels[j].point_count, was.levels[j].point_count,
                    now.levels[j].points.size());
  }
  for (std::size_t k = 0; k < p.cross_sections.size(); ++k) {
    if (!p.cross_sections[k].nonlinear || !before.cross_sections[k].nonlinear) continue;
    NonlinearSection& now = *p.cross_sections[k].nonlinear;
    const NonlinearSection& was = *before.cross_sections[k].nonlinear;
    keep_negative(now.rebar_count, was.rebar_count, now.rebars.size());
    keep_negative(now.strand_count, was.strand_count, now.strands.size());
    keep_negative(now.single_value_count, was.single_value_count, now.single_values.size());
    keep_negative(now.closing_value_count, was.closing_value_count, now.closing_values.size());
  }
}

Deck read_text(py::handle text, const std::string& name) {
  const std::string bytes = text_from_python(text);
  py::gil_scoped_release released;
  return read_deck(bytes, name);
}

Deck read_json(py::handle text, const std::string& name) {
  const std::string bytes = text_from_python(text);
  py::gil_scoped_release released;
  return deck_from_json(bytes, name);
}

py::str to_text(const Deck& deck) {
  return text_to_python(write_deck(deck_as_run(deck)));
}

py::str to_json(const Deck& deck) {
  const DeckJson json = deck_to_json(deck_as_run(deck));
  if (!json) throw py::value_error(json.error);
  return text_to_python(json.text);
}

// The read failure of a deck as a dict (None when it was read to its end).
py::object failure_of(const Deck& deck) {
  if (!deck.failure) return py::none();
  const DeckReadFailure& f = *deck.failure;
  py::dict d;
  d["message"] = text_to_python(f.message);
  d["file"] = text_to_python(deck.name);
  d["line"] = f.stop_line != 0 ? f.stop_line : f.line;
  d["item"] = f.stop_item;
  d["path"] = f.stop_path;
  d["problem"] = f.problem;
  return d;
}

}  // namespace

Deck deck_as_run(const Deck& deck) {
  Deck copy = deck;
  if (!copy.failure) {
    for (Problem& p : copy.problems)
      follow_lengths(p);
  }
  return copy;
}

void bind_deck(py::module_& parent) {
  py::module_ m = parent.def_submodule("deck", "The deck model: its records as classes.");
  // Records before the lists of them, and before the records holding them.
  bind_record<Control>(m);
  bind_record<Geometry>(m);
  bind_record<SpecifiedPoint>(m);
  bind_list<SpecifiedPoint>(m, "SpecifiedPointList");
  bind_record<WallSection>(m);
  bind_list<WallSection>(m, "WallSectionList");
  bind_record<SectionValues>(m);
  bind_record<NonlinearSection>(m);
  bind_record<CrossSection>(m);
  bind_list<CrossSection>(m, "CrossSectionList");
  bind_record<MomentCurvaturePoint>(m);
  bind_list<MomentCurvaturePoint>(m, "MomentCurvaturePointList");
  bind_record<EiSet>(m);
  bind_list<EiSet>(m, "EiSetList");
  bind_record<ThrustLevel>(m);
  bind_list<ThrustLevel>(m, "ThrustLevelList");
  bind_record<SectionCurves>(m);
  bind_list<SectionCurves>(m, "SectionCurvesList");
  bind_record<MomentCurvature>(m);
  bind_record<LoadRecord>(m);
  bind_list<LoadRecord>(m, "LoadRecordList");
  bind_record<SpringRecord>(m);
  bind_list<SpringRecord>(m, "SpringRecordList");
  bind_record<Tieback>(m);
  bind_list<Tieback>(m, "TiebackList");
  bind_record<FactorRow>(m);
  bind_list<FactorRow>(m, "FactorRowList");
  bind_record<PyFactors>(m);
  bind_record<PressurePoint>(m);
  bind_list<PressurePoint>(m, "PressurePointList");
  bind_record<WallRecord>(m);
  bind_record<SurfaceRecord>(m);
  bind_record<Surcharge>(m);
  bind_list<Surcharge>(m, "SurchargeList");
  bind_record<LayerValues>(m);
  bind_record<SoilLayer>(m);
  bind_list<SoilLayer>(m, "SoilLayerList");
  bind_record<CurvePoint>(m);
  bind_list<CurvePoint>(m, "CurvePointList");
  bind_record<PyCurve>(m);
  bind_list<PyCurve>(m, "PyCurveList");
  bind_record<Problem>(m);
  bind_list<Problem>(m, "ProblemList");
  bind_record<Deck>(m);

  py::class_<Deck> deck = py::reinterpret_borrow<py::class_<Deck>>(m.attr("Deck"));
  deck.def_property(
      "name", [](const Deck& d) { return text_to_python(d.name); },
      [](Deck& d, py::handle value) { d.name = text_from_python(value); },
      "the file name messages give");
  deck.def_property_readonly("failure", &failure_of,
                             "why reading stopped (message, file, line, item, path), or None");
  deck.def(py::pickle(
      [](const Deck& d) {
        return py::make_tuple(text_to_python(d.name), text_to_python(write_deck(deck_as_run(d))));
      },
      [](py::tuple state) {
        return read_deck(text_from_python(state[1]), text_from_python(state[0]));
      }));

  m.def("read_text", &read_text, py::arg("text"), py::arg("name") = "wall.dat",
        "Reads a deck in the list-directed format (never raises for what the text holds: see "
        "Deck.failure).");
  m.def("read_json", &read_json, py::arg("text"), py::arg("name") = "wall.json",
        "Reads a deck from its JSON form (never raises for what the text holds: see "
        "Deck.failure).");
  m.def("to_text", &to_text, py::arg("deck"),
        "The deck in the list-directed format, counts following their lists.");
  m.def("to_json", &to_json, py::arg("deck"), "The deck's JSON form.");
  m.def("as_run", &deck_as_run, py::arg("deck"),
        "A copy of the deck with its counts following their lists, as it is written and run.");
  m.def("has_soil_records", &problem_has_soil_records, py::arg("problem"),
        "Whether the problem reads the wall, surcharge and soil-layer records.");
  m.def("schema", &deck_schema, "The JSON Schema of the JSON form.");
}

}  // namespace kestro::python
