// The extension module kestro._engine: runs a deck through the in-memory
// engine with the GIL released and hands back every output text (unless
// asked for values only) and, per problem, its results as plain Python
// values and numpy arrays, with the run
// itself kept for the renderers (the HTML page, the JSON document, the CSV
// files).  Texts go in and come out as bytes, as the engine reads and writes
// them; the Python package decodes them and builds its result objects from
// what this returns.
#include "deck_binding.h"  // ahead of the other pybind11 headers

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "kestro/kestro.hpp"
#include "kestro/report.hpp"

namespace py = pybind11;

namespace {

// A numpy array of one member of every element of `rows`.
template <typename Row, typename Value>
py::array_t<double> column(const std::vector<Row>& rows, Value Row::*member, std::size_t count) {
  py::array_t<double> array(static_cast<py::ssize_t>(count));
  double* out = array.mutable_data();
  for (std::size_t i = 0; i < count; ++i)
    out[i] = static_cast<double>(rows[i].*member);
  return array;
}

template <typename Row, typename Value>
py::array_t<double> column(const std::vector<Row>& rows, Value Row::*member) {
  return column(rows, member, rows.size());
}

py::array_t<double> array_of(const std::vector<double>& values) {
  py::array_t<double> array(static_cast<py::ssize_t>(values.size()));
  double* out = array.mutable_data();
  for (std::size_t i = 0; i < values.size(); ++i)
    out[i] = values[i];
  return array;
}

// The station table 0..N (the engine keeps N+1 as well; the report prints 0..N).
py::dict stations_of(const kestro::ResultsTable& table) {
  using kestro::StationResult;
  const std::size_t count = std::min(table.stations.size(), static_cast<std::size_t>(table.N) + 1);
  py::dict d;
  d["N"] = table.N;
  d["X"] = column(table.stations, &StationResult::X, count);
  d["deflection"] = column(table.stations, &StationResult::deflection, count);
  d["slope"] = column(table.stations, &StationResult::slope, count);
  d["moment"] = column(table.stations, &StationResult::moment, count);
  d["shear"] = column(table.stations, &StationResult::shear, count);
  d["soil_reaction"] = column(table.stations, &StationResult::soil_reaction, count);
  d["net_force"] = column(table.stations, &StationResult::net_force, count);
  d["EI"] = column(table.stations, &StationResult::EI, count);

  using kestro::TiebackResult;
  py::dict t;
  t["number"] = column(table.tiebacks, &TiebackResult::number);
  t["station"] = column(table.tiebacks, &TiebackResult::station);
  t["depth"] = column(table.tiebacks, &TiebackResult::depth);
  t["spacing"] = column(table.tiebacks, &TiebackResult::spacing);
  t["area"] = column(table.tiebacks, &TiebackResult::area);
  t["angle"] = column(table.tiebacks, &TiebackResult::angle);
  t["prestress"] = column(table.tiebacks, &TiebackResult::prestress);
  t["horizontal_force"] = column(table.tiebacks, &TiebackResult::horizontal_force);
  t["force"] = column(table.tiebacks, &TiebackResult::force);
  t["force_per_tieback"] = column(table.tiebacks, &TiebackResult::force_per_tieback);
  d["tiebacks"] = t;

  using kestro::NodeReaction;
  py::dict n;
  n["number"] = column(table.node_reactions, &NodeReaction::number);
  n["station"] = column(table.node_reactions, &NodeReaction::station);
  n["X"] = column(table.node_reactions, &NodeReaction::X);
  n["force"] = column(table.node_reactions, &NodeReaction::force);
  d["node_reactions"] = n;

  using kestro::RestraintResult;
  py::dict r;
  r["station"] = column(table.restraints, &RestraintResult::station);
  r["X"] = column(table.restraints, &RestraintResult::X);
  r["force"] = column(table.restraints, &RestraintResult::force);
  r["moment"] = column(table.restraints, &RestraintResult::moment);
  d["restraints"] = r;
  return d;
}

py::dict problem_of(const kestro::ProblemResult& p) {
  py::dict d;
  d["number"] = p.number;
  d["stages"] = p.stages;
  d["units"] = p.units == kestro::UnitSystem::si ? "si" : "english";
  d["title"] = py::bytes(p.title);
  d["solved"] = p.solved;
  d["iteration_outcome"] =
      p.solved ? py::object(py::str(kestro::iteration_outcome_name(p.outcome))) : py::none();
  d["iterations"] = p.iterations;
  d["stations_over_allowable"] = p.stations_over_allowable;
  d["stations_not_closed"] = p.stations_not_closed;
  d["warning"] = py::bytes(kestro::solution_warning(p));
  d["force_residual"] = p.force_residual;
  py::list warnings;
  for (const kestro::Warning& w : p.warnings) {
    py::dict wd;
    wd["kind"] = kestro::warning_kind_name(w.kind);
    wd["text"] = py::bytes(w.text);
    wd["file"] = py::bytes(w.file);
    wd["line"] = w.line;
    wd["item"] = w.item;
    wd["path"] = w.path;
    warnings.append(wd);
  }
  d["warnings"] = warnings;
  d["results"] = p.results ? py::object(stations_of(*p.results)) : py::none();

  using kestro::IterationStep;
  py::dict h;
  h["iteration"] = column(p.history, &IterationStep::iteration);
  h["stations_not_closed"] = column(p.history, &IterationStep::stations_not_closed);
  h["largest_change"] = column(p.history, &IterationStep::largest_change);
  d["history"] = h;

  using kestro::PressureResult;
  py::dict pr;
  pr["depth"] = column(p.pressure, &PressureResult::depth);
  pr["load"] = column(p.pressure, &PressureResult::load);
  pr["earth"] = column(p.pressure, &PressureResult::earth);
  pr["water"] = column(p.pressure, &PressureResult::water);
  pr["surface"] = column(p.pressure, &PressureResult::surface);
  pr["surcharge"] = column(p.pressure, &PressureResult::surcharge);
  pr["apparent"] = column(p.pressure, &PressureResult::apparent);
  pr["passive"] = column(p.pressure, &PressureResult::passive);
  pr["at_rest"] = column(p.pressure, &PressureResult::at_rest);
  d["pressure"] = pr;

  py::list curves;
  for (const kestro::CurveResult& c : p.curves) {
    py::dict cd;
    cd["station"] = c.station;
    cd["X"] = c.X;
    cd["y"] = array_of(c.y);
    cd["p"] = array_of(c.p);
    cd["y_reached"] = c.y_reached;
    cd["p_reached"] = c.p_reached;
    cd["p_ultimate"] = c.p_ultimate;
    cd["mobilised"] = c.mobilised;
    curves.append(cd);
  }
  d["curves"] = curves;
  return d;
}

py::dict run(py::object deck, std::string deck_name, std::string version, std::string directory,
             std::optional<std::vector<int>> when, bool text) {
  kestro::MemoryRunInput input;
  if (py::isinstance<kestro::Deck>(deck)) {
    input.model = kestro::python::deck_as_run(deck.cast<const kestro::Deck&>());
  } else {
    input.deck = deck.cast<std::string>();
  }
  input.deck_name = std::move(deck_name);
  input.version = std::move(version);
  input.directory = std::move(directory);
  input.text = text;
  kestro::Clock clock = kestro::system_local_time;
  if (when) {
    if (when->size() != 6) throw py::value_error("when must hold six numbers: Y, M, D, h, m, s");
    const std::vector<int> t = *when;
    clock = [t] { return kestro::LocalTime{t[0], t[1], t[2], t[3], t[4], t[5]}; };
  }
  kestro::MemoryRunResult result;
  {
    py::gil_scoped_release released;
    result = kestro::run_in_memory(std::move(input), clock);
  }
  py::dict d;
  d["outcome"] = kestro::outcome_name(result.outcome);
  d["message"] = py::bytes(result.message);
  d["place"] = py::make_tuple(py::bytes(result.place.file), result.place.line, result.place.item,
                              result.place.path);
  d["text"] = text;
  // A run without text has none of the output texts: None, not empty bytes.
  const auto output = [text](const std::string& t) {
    return text ? py::object(py::bytes(t)) : py::object(py::none());
  };
  d["report"] = output(result.report);
  d["plot_data"] = output(result.plot_data);
  d["monitor"] = output(result.monitor);
  d["py_curves"] = output(result.py_curves);
  d["earth_pressure"] = output(result.earth_pressure);
  d["console"] = py::bytes(result.console);
  py::list problems;
  for (const kestro::ProblemResult& p : result.problems)
    problems.append(problem_of(p));
  d["problems"] = problems;
  d["result"] = std::make_shared<kestro::MemoryRunResult>(std::move(result));
  return d;
}

// The renderers over a kept run, each with the GIL released.
py::bytes html_of(const kestro::MemoryRunResult& run, const std::string& deck_name) {
  std::string text;
  {
    py::gil_scoped_release released;
    text = kestro::html_report(deck_name, run);
  }
  return py::bytes(text);
}

py::bytes json_of(const kestro::MemoryRunResult& run, const std::string& deck_name) {
  std::string text;
  {
    py::gil_scoped_release released;
    text = kestro::json_document(deck_name, run);
  }
  return py::bytes(text);
}

// The CSV files written into folder; raises OSError with the reason when one
// cannot be.  Returns the names written, in order.
std::vector<std::string> write_csv_of(const kestro::MemoryRunResult& run,
                                      const std::filesystem::path& folder,
                                      const std::string& stem) {
  std::vector<kestro::CsvFile> files;
  std::string why;
  bool written = false;
  {
    py::gil_scoped_release released;
    files = kestro::csv_files(stem, run);
    written = kestro::write_csv_files(folder, files, why);
  }
  if (!written) {
    PyErr_SetString(PyExc_OSError, why.c_str());
    throw py::error_already_set();
  }
  std::vector<std::string> names;
  for (const kestro::CsvFile& file : files)
    names.push_back(file.name);
  return names;
}

py::dict check(std::string deck, std::string deck_name) {
  kestro::MemoryRunInput input;
  input.deck = std::move(deck);
  input.deck_name = std::move(deck_name);
  kestro::DeckCheckResult result;
  {
    py::gil_scoped_release released;
    result = kestro::check_deck(input);
  }
  py::dict d;
  d["outcome"] = kestro::outcome_name(result.outcome);
  d["message"] = py::bytes(result.message);
  py::list findings;
  for (const kestro::DeckFinding& f : result.findings)
    findings.append(py::make_tuple(f.problem, f.line, py::bytes(f.text),
                                   kestro::finding_grade_name(f.grade), f.path));
  d["findings"] = findings;
  return d;
}

}  // namespace

PYBIND11_MODULE(_engine, m) {
  m.doc() = "The KESTRO engine, run in memory.";
  kestro::python::bind_deck(m);
  py::enum_<kestro::UnitSystem>(m, "UnitSystem", "Unit system of a problem's control record.")
      .value("english", kestro::UnitSystem::english)
      .value("si", kestro::UnitSystem::si);
  py::enum_<kestro::Quantity>(m, "Quantity", "The kinds of value a result carries.")
      .value("depth", kestro::Quantity::depth)
      .value("length", kestro::Quantity::length)
      .value("deflection", kestro::Quantity::deflection)
      .value("slope", kestro::Quantity::slope)
      .value("angle", kestro::Quantity::angle)
      .value("moment", kestro::Quantity::moment)
      .value("force", kestro::Quantity::force)
      .value("per_length", kestro::Quantity::per_length)
      .value("rigidity", kestro::Quantity::rigidity)
      .value("area", kestro::Quantity::area)
      .value("pressure", kestro::Quantity::pressure);
  m.def("unit_name", &kestro::unit_name, py::arg("units"), py::arg("quantity"),
        "The unit of a quantity in a unit system, e.g. 'lb-in' for the moment in English units.");
  py::class_<kestro::MemoryRunResult, std::shared_ptr<kestro::MemoryRunResult>>(
      m, "RunResult", "A run kept for its renderers.")
      .def("html", &html_of, py::arg("deck_name"), "The HTML page of the run, as bytes.")
      .def("json", &json_of, py::arg("deck_name"), "The JSON document of the run, as bytes.")
      .def("write_csv", &write_csv_of, py::arg("folder"), py::arg("stem"),
           "Writes STEM-pK-TABLE.csv into folder for every problem K and table; returns the "
           "file names.");
  m.def("run", &run, py::arg("deck"), py::arg("deck_name") = "wall.dat",
        py::arg("version") = "0.1.0", py::arg("directory") = "", py::arg("when") = py::none(),
        py::arg("text") = true,
        "Runs a deck in memory with the GIL released; returns a dict of the outputs (with "
        "text=False the values only: the output texts are None).");
  m.def("check", &check, py::arg("deck"), py::arg("deck_name") = "wall.dat",
        "Reads a deck without solving and lists its findings.");
}
