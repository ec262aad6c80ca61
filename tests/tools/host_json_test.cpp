// The command-line host with decks in the JSON form: run, check, convert and
// schema as a user runs them.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/host_invocation.h"
#include "support/project_decks.h"
#include "support/run_fixture.h"

namespace kestro {
namespace {

using testing::Invocation;
namespace fs = std::filesystem;

Invocation host(const std::string& arguments) {
  return testing::run_host(KESTRO_HOST_PATH, arguments);
}

std::string quoted(const fs::path& path) {
  return "'" + path.string() + "'";
}

TEST(HostJson, ADeckConvertedToJsonRunsToTheSameFilesAndConvertsBack) {
  testing::RunDirectory dir;
  const fs::path source = fs::path(KESTRO_SOURCE_DIR) / "examples/tied-back-wall-clay.dat";
  dir.write("wall.dat", testing::file_text(source));
  const Invocation to_json =
      host("convert " + quoted(dir.path() / "wall.dat") + " " + quoted(dir.path() / "wall.json"));
  ASSERT_EQ(to_json.exit_code, 0) << to_json.output;
  EXPECT_NE(to_json.output.find("converted: "), std::string::npos);
  EXPECT_EQ(dir.read("wall.json").front(), '{');

  fs::create_directory(dir.path() / "text");
  fs::create_directory(dir.path() / "json");
  const Invocation text_run = host("run " + quoted(dir.path() / "wall.dat") + " --output-dir " +
                                   quoted(dir.path() / "text"));
  const Invocation json_run = host("run " + quoted(dir.path() / "wall.json") + " --output-dir " +
                                   quoted(dir.path() / "json"));
  ASSERT_EQ(text_run.exit_code, 0) << text_run.output;
  ASSERT_EQ(json_run.exit_code, 0) << json_run.output;
  EXPECT_NE(json_run.output.find("outcome:   solved"), std::string::npos) << json_run.output;
  // The report's head names its input and folder and the time of the run.
  const auto report = [&](const std::string& folder) {
    const std::string text = testing::file_text(dir.path() / folder / "wall.out");
    const std::size_t time = text.find("Time:");
    return time == std::string::npos ? text : text.substr(text.find('\n', time));
  };
  EXPECT_GT(report("json").size(), 10000u);
  EXPECT_EQ(report("json"), report("text"));
  for (const char* file : {"wall.plt", "wall.pyc", "wall.epf"}) {
    EXPECT_EQ(testing::file_text(dir.path() / "json" / file),
              testing::file_text(dir.path() / "text" / file))
        << file;
  }

  const Invocation back =
      host("convert " + quoted(dir.path() / "wall.json") + " " + quoted(dir.path() / "back.dat"));
  ASSERT_EQ(back.exit_code, 0) << back.output;
  const Invocation again =
      host("convert " + quoted(dir.path() / "back.dat") + " " + quoted(dir.path() / "again.json"));
  ASSERT_EQ(again.exit_code, 0) << again.output;
  EXPECT_EQ(dir.read("again.json"), dir.read("wall.json"));
}

TEST(HostJson, ConvertRefusesToWriteOverItsInputOrAnUnreadableDeck) {
  testing::RunDirectory dir;
  const std::string deck = "T\n1 0 0 0 0 0 3 0 1 0 0 0\n10 12 1 .01 0 12 120 5 0 0\n0\n";
  dir.write("w.dat", deck);
  for (const std::string& out :
       {(dir.path() / "w.dat").string(), (dir.path() / "." / "w.dat").string()}) {
    const Invocation same = host("convert " + quoted(dir.path() / "w.dat") + " '" + out + "'");
    EXPECT_EQ(same.exit_code, 2) << same.output;
    EXPECT_NE(same.output.find("would overwrite the input deck"), std::string::npos);
    EXPECT_EQ(dir.read("w.dat"), deck);
  }
  EXPECT_EQ(host("convert " + quoted(dir.path() / "w.dat")).exit_code, 2);
  EXPECT_EQ(host("convert " + quoted(dir.path() / "none.dat") + " x.json").exit_code, 2);

  dir.write("bad.dat", "T\n1 0 0 0 0 0 3 0 1 0 0 0\n40 six\n");
  const Invocation bad =
      host("convert " + quoted(dir.path() / "bad.dat") + " " + quoted(dir.path() / "bad.json"));
  EXPECT_EQ(bad.exit_code, 1);
  EXPECT_NE(bad.output.find("bad.dat, line 3, item 2: expected a real number, found \"six\""),
            std::string::npos)
      << bad.output;
  EXPECT_FALSE(fs::exists(dir.path() / "bad.json"));

  dir.write("typo.json", R"({"problems": [{"control": {"units": "si", "stgaes": 2}}]})");
  const Invocation typo =
      host("convert " + quoted(dir.path() / "typo.json") + " " + quoted(dir.path() / "typo.dat"));
  EXPECT_EQ(typo.exit_code, 1);
  EXPECT_NE(
      typo.output.find(
          R"(typo.json: /problems/0/control: unknown field "stgaes" (did you mean "stages"?))"),
      std::string::npos)
      << typo.output;
  EXPECT_FALSE(fs::exists(dir.path() / "typo.dat"));
}

TEST(HostJson, RunAndCheckNameTheJsonPathOfWhatIsWrong) {
  testing::RunDirectory dir;
  dir.write("bad.json", R"({"problems": [{"control": {"units": "english"},
      "geometry": {"increments": 40, "increment_length": "six"}}]})");
  const Invocation run = host("run " + quoted(dir.path() / "bad.json"));
  EXPECT_EQ(run.exit_code, 1);
  const std::string message =
      R"(bad.json: /problems/0/geometry/increment_length: expected a number, found "six")";
  EXPECT_NE(run.output.find("outcome:   bad input: " + message), std::string::npos) << run.output;
  EXPECT_NE(dir.read("bad.out").find("ERROR STOP -- INPUT DATA ERROR"), std::string::npos);
  const Invocation check = host("check " + quoted(dir.path() / "bad.json"));
  EXPECT_EQ(check.exit_code, 1);
  EXPECT_NE(check.output.find("bad input: " + message), std::string::npos) << check.output;

  // Values the engine refuses, and findings, by the path of their record.
  dir.write("zero.json", R"({"problems": [{"control": {"units": "english"},
      "geometry": {"increments": 40, "max_iterations": 10}}]})");
  const Invocation zero = host("run " + quoted(dir.path() / "zero.json"));
  EXPECT_EQ(zero.exit_code, 1);
  EXPECT_NE(zero.output.find("zero.json: /problems/0/geometry: the increment length must be "
                             "greater than 0"),
            std::string::npos)
      << zero.output;
  dir.write("short.json", R"({"problems": [{"control": {"units": "english"},
      "geometry": {"increments": 40, "increment_length": 6, "max_deflection": 1,
                   "tolerance": 0.001, "width": 12, "wall_height": 120, "max_iterations": 10},
      "wall_sections": [{"bottom": 20, "cross_section": 1}],
      "cross_sections": [{"name": "PLATE",
                          "top": {"moment_of_inertia": 100, "elastic_modulus": 29e6}}]}]})");
  const Invocation findings = host("check " + quoted(dir.path() / "short.json"));
  EXPECT_EQ(findings.exit_code, 4) << findings.output;
  EXPECT_NE(findings.output.find(
                "short.json: /problems/0/geometry/wall_height (problem 1): warning: N*h = 240 in"),
            std::string::npos)
      << findings.output;
}

TEST(HostJson, SchemaPrintsOrWritesTheCommittedSchema) {
  testing::RunDirectory dir;
  const std::string committed =
      testing::file_text(fs::path(KESTRO_SOURCE_DIR) / "schema/deck.schema.json");
  ASSERT_FALSE(committed.empty());
  const Invocation printed = host("schema");
  EXPECT_EQ(printed.exit_code, 0);
  EXPECT_EQ(printed.output, committed);
  EXPECT_EQ(host("schema " + quoted(dir.path() / "deck.schema.json")).exit_code, 0);
  EXPECT_EQ(dir.read("deck.schema.json"), committed);
  EXPECT_EQ(host("schema a b").exit_code, 2);
  const Invocation help = host("--help");
  EXPECT_NE(help.output.find("kestro convert IN OUT"), std::string::npos);
}

}  // namespace
}  // namespace kestro
