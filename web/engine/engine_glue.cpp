// The engine for JavaScript: each function takes text and gives back JSON
// text, built from the engine's own reader, run, check and renderers, so a
// page or a Node script sees what the command-line host writes.  Bound with
// embind into build/wasm/kestro-engine.js (docs/wasm.md).
#include <emscripten/bind.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <exception>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "kestro/deck.hpp"
#include "kestro/deck_fields.hpp"
#include "kestro/deck_json.hpp"
#include "kestro/kestro.hpp"
#include "kestro/report.hpp"

namespace kestro::web {

namespace {

using Json = nlohmann::ordered_json;

// The date every report of the module shows, the one the host shows with
// its clock fixed for comparisons (tools/compare-host-outputs.sh), so that
// the same deck gives the same files byte for byte.
LocalTime fixed_time() {
  return LocalTime{2024, 3, 15, 10, 20, 30};
}

// A deck's name as the page gives it: "wall.dat", or with the folder the
// report header is to name, "/projects/wall.dat".
struct DeckName {
  std::string file;       // "wall.dat"
  std::string directory;  // "/projects", or empty
};

DeckName split_name(const std::string& name) {
  const std::filesystem::path path(name.empty() ? std::string("wall.dat") : name);
  DeckName split{path.filename().string(), path.parent_path().string()};
  if (split.file.empty()) split.file = "wall.dat";
  return split;
}

// Whether the text is a deck in the JSON form: its first non-blank character
// opens an object.
bool is_json_text(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\r\n\f\v");
  if (first == std::string_view::npos) return false;
  // A byte-order mark may come first.
  if (text.substr(first, 3) == "\xEF\xBB\xBF") return is_json_text(text.substr(first + 3));
  return text[first] == '{';
}

Deck read_text(const std::string& text, const std::string& file) {
  return is_json_text(text) ? deck_from_json(text, file) : read_deck(text, file);
}

MemoryRunInput run_input(const std::string& text, const std::string& name, bool with_text) {
  const DeckName split = split_name(name);
  MemoryRunInput input;
  if (is_json_text(text)) {
    input.model = deck_from_json(text, split.file);
  } else {
    input.deck = text;
  }
  input.deck_name = split.file;
  input.directory = split.directory;
  input.version = KESTRO_VERSION;
  input.text = with_text;
  return input;
}

// A message of the engine with the place it names, as values: the place
// comes from the engine (never read back out of the text); the message is
// given without the place it starts with ("wall.dat, line 3, item 2: " or
// "wall.json: /problems/0/geometry: ").
Json message_place(const std::string& message, const std::string& file, std::size_t line, int item,
                   const std::string& path) {
  std::string prefix;
  if (line != 0) {
    prefix = file + ", line " + std::to_string(line);
    if (item != 0) prefix += ", item " + std::to_string(item);
    prefix += ": ";
  } else if (!path.empty()) {
    prefix = file + ": " + path + ": ";
  }
  const bool placed = !prefix.empty();
  const bool starts = placed && message.starts_with(prefix);
  return Json{{"message", starts ? message.substr(prefix.size()) : message},
              {"file", placed ? file : std::string()},
              {"line", line},
              {"item", item},
              {"path", path}};
}

template <class Result>
Json stop_of(const Result& result) {
  return message_place(result.message, result.place.file, result.place.line, result.place.item,
                       result.place.path);
}

Json failure_of(const Deck& deck) {
  const deck::DeckReadFailure& f = *deck.failure;
  return Json{
      {"error", message_place(f.message, deck.name, f.stop_line, f.stop_item, f.stop_path)}};
}

Json error_of(const std::string& message, const std::string& file) {
  return Json{{"error", message_place(message, file, 0, 0, {})}};
}

const char* verdict_kind_name(VerdictKind kind) {
  switch (kind) {
    case VerdictKind::solved:
      return "solved";
    case VerdictKind::stopped:
      return "stopped";
    case VerdictKind::no_valid_solution:
      return "no_valid_solution";
  }
  return "";
}

// The exit status the host gives the same run.
int exit_status(VerdictKind kind) {
  switch (kind) {
    case VerdictKind::solved:
      return 0;
    case VerdictKind::stopped:
      return 1;
    case VerdictKind::no_valid_solution:
      return 3;
  }
  return 1;
}

// The largest absolute value of a quantity over the stations of every
// problem with results, its sign kept, and the depth where it is.
struct Extreme {
  double value = 0.0;
  double depth = 0.0;
  bool found = false;

  void take(double candidate, double at) {
    if (!found || std::abs(candidate) > std::abs(value)) {
      value = candidate;
      depth = at;
      found = true;
    }
  }
};

Json summary_of(const MemoryRunResult& run) {
  Extreme deflection;
  Extreme moment;
  Extreme shear;
  int iterations = 0;
  for (const ProblemResult& problem : run.problems) {
    iterations = std::max(iterations, problem.iterations);
    if (!problem.results) continue;
    // stations holds 0..N+1; the results are those of 0..N.
    const auto& stations = problem.results->stations;
    const std::size_t shown =
        std::min(stations.size(), static_cast<std::size_t>(problem.results->N) + 1);
    for (std::size_t i = 0; i < shown; ++i) {
      deflection.take(stations[i].deflection, stations[i].X);
      moment.take(stations[i].moment, stations[i].X);
      shear.take(stations[i].shear, stations[i].X);
    }
  }
  const auto value = [](const Extreme& e, double Extreme::*member) {
    return e.found ? Json(e.*member) : Json(nullptr);
  };
  return Json{{"iterations", iterations},
              {"largest_deflection", value(deflection, &Extreme::value)},
              {"largest_deflection_depth", value(deflection, &Extreme::depth)},
              {"largest_moment", value(moment, &Extreme::value)},
              {"largest_moment_depth", value(moment, &Extreme::depth)},
              {"largest_shear", value(shear, &Extreme::value)},
              {"largest_shear_depth", value(shear, &Extreme::depth)}};
}

// Every function below answers with JSON, whatever happens: an exception
// (no memory, text that is not UTF-8) becomes an error.
template <class F>
std::string answer(F&& make) {
  try {
    // Text that is not UTF-8 (a deck's binary garbage echoed in a report)
    // has each bad byte replaced by U+FFFD, as a browser decodes it.
    return make().dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  } catch (const std::exception& failure) {
    return Json{{"error", Json{{"message", std::string("internal error: ") + failure.what()},
                               {"file", ""},
                               {"line", 0},
                               {"item", 0},
                               {"path", ""}}}}
        .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  }
}

}  // namespace

std::string run(const std::string& deck_text, const std::string& name, bool with_text) {
  return answer([&] {
    const MemoryRunInput input = run_input(deck_text, name, with_text);
    const MemoryRunResult result = run_in_memory(input, fixed_time);
    const Verdict verdict = kestro::verdict(result);
    Json out{{"outcome", outcome_name(result.outcome)},
             {"outcome_code", static_cast<int>(result.outcome)},
             {"exit_status", exit_status(verdict.kind)},
             {"message", result.message},
             {"stop", nullptr}};
    if (result.outcome != Outcome::completed) {
      out["stop"] = stop_of(result);
    }
    out["verdict"] = Json{{"kind", verdict_kind_name(verdict.kind)},
                          {"text", verdict.text},
                          {"force_residual", verdict.force_residual},
                          {"warnings", verdict.warnings}};
    out["console"] = result.console;
    Json warnings = Json::array();
    for (const ProblemResult& problem : result.problems) {
      for (const Warning& warning : problem.warnings) {
        warnings.push_back(Json{{"problem", problem.number},
                                {"kind", warning_kind_name(warning.kind)},
                                {"text", warning.text},
                                {"file", warning.file},
                                {"line", warning.line},
                                {"item", warning.item},
                                {"path", warning.path}});
      }
    }
    out["warnings"] = std::move(warnings);
    if (with_text) {
      out["files"] = Json{{"report", result.report},
                          {"plot", result.plot_data},
                          {"monitor", result.monitor},
                          {"py_curves", result.py_curves},
                          {"earth_pressure", result.earth_pressure}};
    }
    out["results"] = Json::parse(json_document(input.deck_name, result));
    out["summary"] = summary_of(result);
    Json residuals = Json::array();
    for (const ProblemResult& problem : result.problems)
      residuals.push_back(problem.force_residual);
    out["force_residuals"] = std::move(residuals);
    return out;
  });
}

std::string html(const std::string& deck_text, const std::string& name) {
  try {
    const MemoryRunInput input = run_input(deck_text, name, true);
    return html_report(input.deck_name, run_in_memory(input, fixed_time));
  } catch (const std::exception& failure) {
    return std::string("<!DOCTYPE html>\n<p>internal error: ") + failure.what() + "</p>\n";
  }
}

std::string csv(const std::string& deck_text, const std::string& name) {
  return answer([&] {
    const MemoryRunInput input = run_input(deck_text, name, true);
    const MemoryRunResult result = run_in_memory(input, fixed_time);
    Json files = Json::object();
    const std::string stem = std::filesystem::path(input.deck_name).stem().string();
    for (const CsvFile& file : csv_files(stem, result))
      files[file.name] = file.text;
    return files;
  });
}

std::string deck_to_json_text(const std::string& text, const std::string& name) {
  return answer([&] {
    const std::string file = split_name(name).file;
    const Deck deck = read_text(text, file);
    if (deck.failure) return failure_of(deck);
    const DeckJson json = deck_to_json(deck);
    if (!json) return error_of(json.error, file);
    return Json{{"deck", Json::parse(json.text)}};
  });
}

std::string deck_to_legacy(const std::string& json_text) {
  return answer([&] {
    const std::string file = "wall.json";
    const Deck deck = deck_from_json(json_text, file);
    if (deck.failure) return failure_of(deck);
    return Json{{"text", write_deck(deck)}};
  });
}

std::string check(const std::string& text, const std::string& name) {
  return answer([&] {
    const MemoryRunInput input = run_input(text, name, false);
    const DeckCheckResult result = check_deck(input);
    Json findings = Json::array();
    for (const DeckFinding& finding : result.findings) {
      // A finding names a line (or a JSON path), never an item.
      findings.push_back(Json{{"problem", finding.problem},
                              {"grade", finding_grade_name(finding.grade)},
                              {"text", finding.text},
                              {"line", finding.line},
                              {"item", 0},
                              {"path", finding.path}});
    }
    Json out{{"outcome", outcome_name(result.outcome)},
             {"outcome_code", static_cast<int>(result.outcome)},
             {"message", result.message},
             {"stop", nullptr},
             {"needs_attention", check_needs_attention(result)},
             {"findings", std::move(findings)}};
    if (result.outcome != Outcome::completed) {
      out["stop"] = stop_of(result);
    }
    return out;
  });
}

std::string schema() {
  return deck_schema();
}

namespace {}  // namespace

std::string fields() {
  return answer([] {
    Json table = Json::array();
    for (const DeckField& field : deck_fields()) {
      Json names = Json::array();
      for (const EnumName& name : field.names)
        names.push_back(Json{{"code", name.code}, {"name", std::string(name.name)}});
      table.push_back(Json{
          {"path", field.path},
          {"name", std::string(field.name)},
          {"type", field_type_name(field.type)},
          {"record", std::string(field.record)},
          {"units", Json{{"english", std::string(field.units.english)},
                         {"si", std::string(field.units.si)}}},
          {"help", std::string(field.help)},
          {"rule", field_rule_name(field.rule)},
          {"follows", field.follows},
          {"default", field.default_json.empty() ? Json(nullptr) : Json::parse(field.default_json)},
          {"enum", std::move(names)}});
    }
    return table;
  });
}

}  // namespace kestro::web

EMSCRIPTEN_BINDINGS(kestro_engine) {
  emscripten::function("run", &kestro::web::run);
  emscripten::function("html", &kestro::web::html);
  emscripten::function("csv", &kestro::web::csv);
  emscripten::function("deckToJson", &kestro::web::deck_to_json_text);
  emscripten::function("deckToLegacy", &kestro::web::deck_to_legacy);
  emscripten::function("check", &kestro::web::check);
  emscripten::function("schema", &kestro::web::schema);
  emscripten::function("fields", &kestro::web::fields);
}
