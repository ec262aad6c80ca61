// The command-line host as a user runs it: exit codes, printed paths and
// messages.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/host_invocation.h"
#include "support/run_fixture.h"

namespace kestro {
namespace {

using testing::Invocation;

Invocation host(const std::string& arguments) {
  return testing::run_host(KESTRO_HOST_PATH, arguments);
}

TEST(Host, RunsTheBundledExample) {
  testing::RunDirectory out;
  const Invocation run =
      host("run '" KESTRO_SOURCE_DIR "/examples/control-records.dat' --output-dir '" +
           out.path().string() + "'");
  EXPECT_EQ(run.exit_code, 0) << run.output;
  EXPECT_NE(run.output.find("report:    " + (out.path() / "control-records.out").string()),
            std::string::npos)
      << run.output;
  EXPECT_NE(run.output.find("plot data: " + (out.path() / "control-records.plt").string()),
            std::string::npos);
  EXPECT_NE(run.output.find("monitor:   " + (out.path() / "control-records.mon").string()),
            std::string::npos);
  EXPECT_NE(run.output.find("outcome:   completed"), std::string::npos);
  EXPECT_NE(out.read("control-records.out").find("END OF ANALYSIS"), std::string::npos);
  EXPECT_NE(out.read("NAMES.dat").find("control-records.plt\n"), std::string::npos);
}

TEST(Host, BadDeckExitsOneWithTheMessage) {
  testing::RunDirectory dir;
  dir.write("bad.dat", "T\n1 0 0 0 0 0 3 0 1 0 0 0\n40 six 1 .01 0 12 120 0 0 0\n0\n");
  const Invocation run = host("run '" + (dir.path() / "bad.dat").string() + "'");
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_NE(run.output.find("bad.dat, line 3, item 2: expected a real number, found \"six\""),
            std::string::npos)
      << run.output;
  EXPECT_NE(run.output.find("outcome:   bad input"), std::string::npos);
  EXPECT_NE(dir.read("bad.out").find("     ERROR STOP -- INPUT DATA ERROR"), std::string::npos);
}

TEST(Host, UsageErrors) {
  EXPECT_EQ(host("").exit_code, 2);
  EXPECT_EQ(host("run").exit_code, 2);
  EXPECT_EQ(host("frobnicate").exit_code, 2);
  EXPECT_EQ(host("run /nonexistent/deck.dat").exit_code, 2);
  EXPECT_EQ(host("run a.dat --output-dir").exit_code, 2);
  EXPECT_EQ(host("run a.dat --colour").exit_code, 2);
  const Invocation help = host("--help");
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_NE(help.output.find("usage: kestro run INPUT"), std::string::npos);
  const Invocation version = host("--version");
  EXPECT_EQ(version.exit_code, 0);
  EXPECT_EQ(version.output.rfind("kestro ", 0), 0u);
}

TEST(HostBatch, WritesTheFilesOfEachDeckAsRunDoesAndSummarises) {
  testing::RunDirectory batch_dir;
  testing::RunDirectory single_dir;
  const std::string examples = KESTRO_SOURCE_DIR "/examples/";
  const std::string decks[] = {"tied-back-wall", "control-records"};
  std::string arguments = "batch --jobs 2 --output-dir '" + batch_dir.path().string() + "'";
  for (const std::string& deck : decks) {
    arguments += " '" + examples + deck + ".dat'";
    const Invocation single =
        host("run '" + examples + deck + ".dat' --output-dir '" + single_dir.path().string() + "'");
    ASSERT_EQ(single.exit_code, 0) << single.output;
  }
  const Invocation batch = host(arguments);
  EXPECT_EQ(batch.exit_code, 0) << batch.output;
  EXPECT_NE(batch.output.find("2 decks, 0 failed"), std::string::npos) << batch.output;
  for (const std::string& deck : decks) {
    for (const char* extension : {".plt", ".mon"})
      EXPECT_EQ(batch_dir.read(deck + extension), single_dir.read(deck + extension)) << deck;
    // The report differs only in the time of the analysis.
    std::string batch_report = batch_dir.read(deck + ".out");
    std::string single_report = single_dir.read(deck + ".out");
    const std::size_t date = single_report.find("Date:  ");
    ASSERT_NE(date, std::string::npos);
    const std::size_t end = single_report.find('\n', date);
    EXPECT_EQ(batch_report.erase(date, end - date), single_report.erase(date, end - date));
  }
  // The summary names the tied-back wall's largest moment, as the report has it.
  EXPECT_NE(batch.output.find("tied-back-wall.dat"), std::string::npos);
}

TEST(HostBatch, ABadDeckAmongGoodOnesFailsTheBatchOnly) {
  testing::RunDirectory dir;
  dir.write("bad.dat", "T\n1 0 0 0 0 0 3 0 1 0 0 0\n40 six 1 .01 0 12 120 0 0 0\n0\n");
  const Invocation batch =
      host("batch '" + (dir.path() / "bad.dat").string() + "' '" +
           KESTRO_SOURCE_DIR "/examples/tied-back-wall.dat' -o '" + dir.path().string() + "'");
  EXPECT_EQ(batch.exit_code, 1);
  EXPECT_NE(batch.output.find("2 decks, 1 failed"), std::string::npos) << batch.output;
  EXPECT_NE(batch.output.find("expected a real number, found \"six\""), std::string::npos);
  EXPECT_NE(dir.read("tied-back-wall.out").find("END OF ANALYSIS"), std::string::npos);
  EXPECT_NE(dir.read("bad.out").find("ERROR STOP -- INPUT DATA ERROR"), std::string::npos);
  EXPECT_EQ(host("batch").exit_code, 2);
  EXPECT_EQ(host("batch --jobs 0 a.dat").exit_code, 2);
}

}  // namespace
}  // namespace kestro
