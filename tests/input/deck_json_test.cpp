// The JSON form of the deck: every deck of the project converted to JSON and
// back is the same model and runs to the same files; what the JSON leaves
// out comes back; what is not a deck is refused with its path.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "kestro/deck.hpp"
#include "kestro/deck_json.hpp"
#include "kestro/kestro.hpp"
#include "support/project_decks.h"
#include "support/run_fixture.h"

namespace kestro {
namespace {

using namespace deck;
namespace fs = std::filesystem;

MemoryRunResult run_model(const Deck& deck, const std::string& name) {
  MemoryRunInput input;
  input.model = deck;
  input.deck_name = name;
  input.directory = "/work";
  return run_in_memory(input, testing::fixed_time);
}

void expect_same_files(const MemoryRunResult& a, const MemoryRunResult& b) {
  EXPECT_EQ(a.outcome, b.outcome);
  EXPECT_EQ(a.message, b.message);
  EXPECT_EQ(a.report, b.report);
  EXPECT_EQ(a.plot_data, b.plot_data);
  EXPECT_EQ(a.monitor, b.monitor);
  EXPECT_EQ(a.py_curves, b.py_curves);
  EXPECT_EQ(a.earth_pressure, b.earth_pressure);
}

TEST(DeckJson, EveryExampleAndGoldenDeckComesBackTheSameAndRunsTheSame) {
  const std::vector<fs::path> decks = testing::example_and_golden_decks();
  ASSERT_GE(decks.size(), 12u);
  for (const fs::path& path : decks) {
    SCOPED_TRACE(path.filename().string());
    const std::string name = path.filename().string();
    const Deck original = read_deck(testing::file_text(path), name);
    ASSERT_FALSE(original.failure.has_value());

    const DeckJson json = deck_to_json(original);
    ASSERT_TRUE(json) << json.error;
    const Deck back = deck_from_json(json.text, name);
    ASSERT_FALSE(back.failure.has_value()) << back.failure->message;
    EXPECT_TRUE(back.problems == original.problems);
    EXPECT_EQ(back.trailing, original.trailing);
    EXPECT_TRUE(back.places.empty());

    const DeckJson again = deck_to_json(back);
    ASSERT_TRUE(again) << again.error;
    EXPECT_EQ(again.text, json.text);

    // The run of the deck read back from JSON against the run of the text.
    MemoryRunInput text_input;
    text_input.deck = testing::file_text(path);
    text_input.deck_name = name;
    text_input.directory = "/work";
    expect_same_files(run_model(back, name), run_in_memory(text_input, testing::fixed_time));
  }
}

// The message a JSON text fails with; empty when it reads.
std::string failure_of(const std::string& json) {
  const Deck deck = deck_from_json(json, "w.json");
  return deck.failure ? deck.failure->message : std::string();
}

TEST(DeckJson, RefusesWhatIsNotADeckNamingWhereAndWhat) {
  struct Case {
    std::string json;
    std::string message;
  };
  const std::string head = R"({"problems": [{"control": {"units": "si"}, )";
  const std::vector<Case> cases = {
      {head + R"("soil_layers": [{"soil_type": "sand"}, {"soil_type": "sand"},
                 {"soil_type": "sand", "friction_angle": "thirty"}]}]})",
       R"(w.json: /problems/0/soil_layers/2/friction_angle: expected a number, found "thirty")"},
      {R"({"problems": [{"control": {"unit": "si"}}]})",
       R"(w.json: /problems/0/control: unknown field "unit" (did you mean "units"?))"},
      {head + R"("colour": 1, "size": 2}]})",
       R"(w.json: /problems/0: unknown fields "colour", "size")"},
      {head + R"("geometry": {"increments": 4, "increments": 5}}]})",
       R"(w.json: /problems/0/geometry: the field "increments" is given twice)"},
      {"{\"problems\": [\n  {\"control\": {\"units\": \"si\"},, }]}",
       "w.json, line 2, column 31: not valid JSON: syntax error while parsing object key - "
       "unexpected ','; expected string literal"},
      {"",
       "w.json, line 1, column 1: not valid JSON: syntax error while parsing value - "
       "unexpected end of input; expected '[', '{', or a literal"},
      {R"({"problems": [{"control": {"units": "metric"}}]})",
       R"(w.json: /problems/0/control/units: expected "english", "si" or a whole-number code, )"
       R"(found "metric")"},
      {head + R"("geometry": {"increments": 4.5}}]})",
       "w.json: /problems/0/geometry/increments: expected a whole number, found 4.5"},
      {head + R"("geometry": {"increments": 3e10}}]})",
       "w.json: /problems/0/geometry/increments: expected a whole number from -2147483648 to "
       "2147483647, found 30000000000"},
      {head + R"("geometry": {"width": 1e999}}]})",
       "w.json, line 1, column 66: the number 1e999 is too large for a double"},
      {head + R"("geometry": {"width": null}}]})",
       "w.json: /problems/0/geometry/width: expected a number, found null"},
      {head + R"("title": 5}]})", "w.json: /problems/0/title: expected a text, found 5"},
      {head + R"("geometry": []}]})",
       "w.json: /problems/0/geometry: expected an object, found an array"},
      {head + R"("loads": {}}]})", "w.json: /problems/0/loads: expected an array, found an object"},
      {head + R"("loads": [1]}]})", "w.json: /problems/0/loads/0: expected an object, found 1"},
      {head + R"("cross_sections": [{"nonlinear": {"rebars": [[1, 2, 3, 4]]}}]}]})",
       "w.json: /problems/0/cross_sections/0/nonlinear/rebars/0: expected an array of 5 "
       "numbers, found an array of 4"},
      {R"({"problems": [{}]})", R"(w.json: /problems/0: the field "control" is required)"},
      {R"({"problems": [{"control": {}}]})",
       R"(w.json: /problems/0/control: the field "units" is required)"},
      {head + R"("surcharges": [{"magnitude": 2}]}]})",
       R"(w.json: /problems/0/surcharges/0: the field "type" is required)"},
      {"[1, 2]", "w.json: expected an object holding the problems, found an array"},
      {"{}", R"(w.json: the field "problems" is required)"},
      {R"({"problems": []})", "w.json: /problems: expected at least one problem, found none"},
      {R"({"problem": []})", R"(w.json: unknown field "problem" (did you mean "problems"?))"},
      {R"({"problems": [{"control": {"units": "si"}, "continuation": 0},
                        {"control": {"units": "si"}}]})",
       "w.json: /problems/0/continuation: 0 ends the run (0 or the number of stages, 1), but 1 "
       "more problem(s) follow: give another code, 9 for the next stage"},
      {R"({"problems": [{"control": {"units": "si", "stages": 9}},
                        {"control": {"units": "si", "stages": 9}}]})",
       "w.json: /problems/0/continuation: 9 ends the run (0 or the number of stages, 9), but 1 "
       "more problem(s) follow: give another code, 9 for the next stage"},
      {head + R"("continuation": 9}]})",
       "w.json: /problems/0/continuation: 9 asks for another problem, but this is the last one: "
       "give 0 to end the run"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.json);
    EXPECT_EQ(failure_of(c.json), c.message);
  }
}

TEST(DeckJson, ADeckThatCouldNotBeReadRunsToTheInputStopWithItsMessage) {
  const Deck deck =
      deck_from_json(R"({"problems": [{"control": {"units": "si", "colour": 1}}]})", "w.json");
  ASSERT_TRUE(deck.failure.has_value());
  EXPECT_TRUE(deck.problems.empty());
  const MemoryRunResult run = run_model(deck, "w.json");
  EXPECT_EQ(run.outcome, Outcome::bad_input);
  EXPECT_EQ(run.message, R"(w.json: /problems/0/control: unknown field "colour")");
  EXPECT_NE(run.report.find("ERROR STOP -- INPUT DATA ERROR"), std::string::npos);
  EXPECT_NE(run.report.find("END OF ANALYSIS"), std::string::npos);
}

TEST(DeckJson, CodesByNameOrNumberAndWholeNumbersWrittenAsReals) {
  const Deck deck = deck_from_json(
      R"({"$schema": "deck.schema.json",
          "problems": [{"control": {"units": 2, "py_option": 0, "earth_pressure_option": 7},
                        "geometry": {"increments": 40.0}}]})",
      "w.json");
  ASSERT_FALSE(deck.failure.has_value()) << deck.failure->message;
  const Problem& p = deck.problems[0];
  EXPECT_EQ(p.control.units, UnitSystem::si);
  EXPECT_EQ(static_cast<int>(p.control.py_option), 0);
  EXPECT_EQ(static_cast<int>(p.control.earth_pressure_option), 7);
  EXPECT_EQ(p.geometry.increments, 40);
  // Codes without a name stay numbers; named ones are written by name.
  const DeckJson json = deck_to_json(deck);
  ASSERT_TRUE(json) << json.error;
  EXPECT_NE(json.text.find(R"("control": {"units": "si", "earth_pressure_option": 7, )"
                           R"("py_option": 0})"),
            std::string::npos)
      << json.text;
}

TEST(DeckJson, FieldsLeftOutTakeTheirDefaultsOrFollowTheRest) {
  const Deck deck = deck_from_json(R"({"problems": [
    {"control": {"units": "english", "stages": 2, "earth_pressure_option": "active"},
     "wall_sections": [{"bottom": 20, "cross_section": 1}, {"top": 20, "bottom": 30}],
     "cross_sections": [{"name": "A"}, {"name": "B", "bottom": {"diameter": 2}}],
     "loads": [{"to_station": 4}],
     "surcharges": [{"type": "strip"}],
     "soil_layers": [{"soil_type": "sand", "unit_weight": 0.07, "friction_angle": 32,
                      "at_bottom": {"friction_angle": 34}}],
     "py_curves": [{"points": [{"y": 0, "p": 0}, {"y": 1, "p": -5}]}]},
    {"control": {"units": "english", "stages": 2}}]})",
                                   "w.json");
  ASSERT_FALSE(deck.failure.has_value()) << deck.failure->message;
  ASSERT_EQ(deck.problems.size(), 2u);
  const Problem& p = deck.problems[0];
  // Defaults of their own.
  EXPECT_EQ(p.control.py_option, PyOption::user_curves);
  EXPECT_EQ(p.control.hinge_option, HingeOption::off);
  EXPECT_EQ(p.wall.active_factor, 1.0);  // the wall record is read: option 2
  EXPECT_EQ(p.surcharges[0].factor, 1.0);
  EXPECT_EQ(p.loads[0].span, SpanCode::alone);
  EXPECT_EQ(p.loading, Loading::static_loading);
  EXPECT_EQ(p.py_curves[0].p_multiplier, 1.0);
  EXPECT_EQ(p.py_curves[0].y_multiplier, 1.0);
  EXPECT_EQ(deck.problems[1].geometry.max_iterations, 0);
  // Counts and flags follow their lists.
  EXPECT_EQ(p.control.wall_section_count, 2);
  EXPECT_EQ(p.control.cross_section_count, 2);
  EXPECT_EQ(p.control.user_curve_count, 1);
  EXPECT_EQ(p.control.specified_point_count, 0);
  EXPECT_EQ(p.load_count, 1);
  EXPECT_EQ(p.spring_count, 0);
  EXPECT_EQ(p.surcharge_count, 1);
  EXPECT_EQ(p.soil_layer_count, 1);
  EXPECT_EQ(p.py_curves[0].point_count, 2);
  EXPECT_EQ(p.cross_sections[0].tapered, 0);
  EXPECT_EQ(p.cross_sections[1].tapered, 1);
  ASSERT_EQ(p.moment_curvature.section_curves.size(), 2u);  // one "0 0" record per section
  EXPECT_EQ(p.moment_curvature.section_curves[1].level_count, 0);
  // The bottom of a layer is its top but where it is given.
  EXPECT_EQ(p.soil_layers[0].at_bottom.unit_weight, 0.07);
  EXPECT_EQ(p.soil_layers[0].at_bottom.friction_angle, 34.0);
  // The stages go on to the last.
  EXPECT_EQ(p.continuation, 9);
  EXPECT_EQ(deck.problems[1].continuation, 0);
  // A wall record the problem does not read keeps the engine's values.
  EXPECT_TRUE(deck.problems[1].wall == WallRecord{});

  // Written back, the JSON leaves all of that out again.
  const DeckJson json = deck_to_json(deck);
  ASSERT_TRUE(json) << json.error;
  for (const char* left_out :
       {"_count", "continuation", "tapered", "section_curves", "active_factor", "\"factor\"",
        "\"span\"", "loading", "multiplier", "\"unit_weight\": 0.07, \"friction_angle\": 34"}) {
    EXPECT_EQ(json.text.find(left_out), std::string::npos) << left_out << "\n" << json.text;
  }
  EXPECT_TRUE(deck_from_json(json.text, "w.json").problems == deck.problems);
}

TEST(DeckJson, CountsThatDisagreeWithTheirListsAreWrittenAndKept) {
  Deck deck;
  Problem& p = deck.problems.emplace_back();
  p.control.units = UnitSystem::english;
  p.control.stages = 1;
  p.control.tieback_count = 3;  // no tie-backs in the list
  p.loads.resize(2);
  p.load_count = 1;
  p.soil_layers.resize(1);
  p.soil_layer_count = -1;
  CrossSection& section = p.cross_sections.emplace_back();
  section.tapered = 2;  // with a bottom, as a deck may give it
  section.bottom.emplace();
  p.moment_curvature.section_curves.resize(3);  // more than there are sections
  p.continuation = 4;                           // ends the run: not the number of stages, though
  p.control.stages = 4;
  const DeckJson json = deck_to_json(deck);
  ASSERT_TRUE(json) << json.error;
  for (const char* written :
       {"\"tieback_count\": 3", "\"load_count\": 1", "\"soil_layer_count\": -1", "\"tapered\": 2",
        "\"continuation\": 4", "\"section_curves\": [{}, {}, {}]"}) {
    EXPECT_NE(json.text.find(written), std::string::npos) << written << "\n" << json.text;
  }
  const Deck back = deck_from_json(json.text, "w.json");
  ASSERT_FALSE(back.failure.has_value()) << back.failure->message;
  EXPECT_TRUE(back.problems == deck.problems);
}

TEST(DeckJson, NumbersComeBackToTheBit) {
  const double values[] = {-0.0, 0.1 + 0.2, 1e-300, 5e-324, 1e300, -123456789.125, 29e6, 1.0 / 3};
  Deck deck;
  Problem& p = deck.problems.emplace_back();
  p.control.units = UnitSystem::si;
  for (double value : values)
    p.pressure_table.push_back(PressurePoint{value, -value});
  p.pressure_point_count = static_cast<int>(p.pressure_table.size());
  const DeckJson json = deck_to_json(deck);
  ASSERT_TRUE(json) << json.error;
  EXPECT_NE(json.text.find("{\"depth\": -0.0, \"pressure\": 0}"), std::string::npos) << json.text;
  const Deck back = deck_from_json(json.text, "w.json");
  ASSERT_FALSE(back.failure.has_value()) << back.failure->message;
  ASSERT_EQ(back.problems[0].pressure_table.size(), std::size(values));
  for (std::size_t k = 0; k < std::size(values); ++k) {
    const double depth = back.problems[0].pressure_table[k].depth;
    EXPECT_EQ(depth, values[k]);
    EXPECT_EQ(std::signbit(depth), std::signbit(values[k])) << k;
  }
}

TEST(DeckJson, RefusesToWriteWhatJsonCannotHold) {
  const Deck failed = read_deck("T\n1 0 0 0 0 0 3 0 1 0 0 0\n40 six\n", "bad.dat");
  ASSERT_TRUE(failed.failure.has_value());
  EXPECT_EQ(deck_to_json(failed).error,
            "bad.dat cannot be written as JSON: reading it stopped at bad.dat, line 3, item 2: "
            "expected a real number, found \"six\"");

  // The reader refuses numbers that are not finite; a deck built in code may hold them.
  Deck nan = read_deck("T\n1 0 0 0 0 0 3 0 1 0 0 0\n10 1 1 .01 0 12 120 0 0 0\n0\n", "n.dat");
  nan.problems[0].geometry.increment_length = std::nan("");
  const DeckJson refused = deck_to_json(nan);
  EXPECT_FALSE(refused);
  EXPECT_TRUE(refused.text.empty());
  EXPECT_EQ(refused.error,
            "n.dat: /problems/0/geometry/increment_length: nan cannot be written as JSON, whose "
            "numbers are finite");

  const Deck latin1 =
      read_deck("W\xe4nd\n1 0 0 0 0 0 3 0 1 0 0 0\n10 1 1 .01 0 12 120 0 0 0\n0\n", "l.dat");
  EXPECT_EQ(deck_to_json(latin1).error,
            "l.dat: /problems/0/title: the text is not UTF-8, which JSON needs");
}

}  // namespace
}  // namespace kestro
