// The command-line host as a user runs it: exit codes, printed paths and
// messages.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

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
  EXPECT_NE(run.output.find("outcome:   completed (no problem had a wall to solve)"),
            std::string::npos)
      << run.output;
  EXPECT_NE(out.read("control-records.out").find("END OF ANALYSIS"), std::string::npos);
  // The run is held in memory: no run list is left behind.
  EXPECT_FALSE(std::filesystem::exists(out.path() / "NAMES.dat"));
}

TEST(Host, StatesTheForceResidualAndWarnsWhenTheWallIsOutOfBalance) {
  // The soldier piles in sand closed at 0.001 in balance to about 1 %; at
  // 1e-5 in to round-off.  The outcome line states the residual, a warning
  // line follows above 1 %, and the page says the same; the run is solved.
  testing::RunDirectory out;
  std::ifstream deck(KESTRO_SOURCE_DIR "/tests/decks/sand-soldier-piles.dat");
  std::string text((std::istreambuf_iterator<char>(deck)), std::istreambuf_iterator<char>());
  out.write("loose.dat", text);
  const std::size_t line = text.find("0.001 120.0");
  ASSERT_NE(line, std::string::npos);
  out.write("tight.dat", text.replace(line, 5, "1e-5 "));
  const Invocation loose = host("run '" + (out.path() / "loose.dat").string() + "' --html");
  EXPECT_EQ(loose.exit_code, 0) << loose.output;
  EXPECT_NE(loose.output.find("outcome:   solved (force residual 1."), std::string::npos)
      << loose.output;
  EXPECT_NE(loose.output.find("warning:   stage 1: THE FORCES ON THE WALL BALANCE ONLY TO 1."),
            std::string::npos)
      << loose.output;
  const std::string page = out.read("loose.html");
  EXPECT_NE(page.find("data-check=\"force-residual\">1."), std::string::npos);
  EXPECT_NE(page.find("THE FORCES ON THE WALL BALANCE ONLY TO"), std::string::npos);
  const Invocation tight = host("run '" + (out.path() / "tight.dat").string() + "'");
  EXPECT_EQ(tight.exit_code, 0) << tight.output;
  EXPECT_NE(tight.output.find("outcome:   solved (force residual "), std::string::npos);
  EXPECT_EQ(tight.output.find("warning:"), std::string::npos) << tight.output;
}

TEST(Host, CheckGradesItsFindingsAndExitsFourOnlyForWarningsAndErrors) {
  // Every bundled example checks clean: notes at most, exit 0.
  for (const char* name : {"tied-back-wall", "tied-back-wall-clay", "cantilever-layered-soil",
                           "staged-excavation-sand-weak-rock", "control-records"}) {
    const Invocation clean =
        host(std::string("check '" KESTRO_SOURCE_DIR "/examples/") + name + ".dat'");
    EXPECT_EQ(clean.exit_code, 0) << name << "\n" << clean.output;
    EXPECT_EQ(clean.output.find(": warning: "), std::string::npos) << clean.output;
  }
  const Invocation note = host("check '" KESTRO_SOURCE_DIR "/examples/tied-back-wall.dat'");
  EXPECT_NE(note.output.find("tied-back-wall.dat (problem 1): note: 5 user p-y curve(s)"),
            std::string::npos)
      << note.output;
  // A comma decimal is a warning: exit 4, with the line.
  testing::RunDirectory dir;
  dir.write("comma.dat",
            "T\n1 0 0 0 0 0 3 0 1 0 0 0\n40 6.0 0,5 0.001 120.0 12.0 240.0 100 0 0\n0\n");
  const Invocation comma = host("check '" + (dir.path() / "comma.dat").string() + "'");
  EXPECT_EQ(comma.exit_code, 4) << comma.output;
  EXPECT_NE(comma.output.find("comma.dat, line 3 (problem 1): warning: the line holds more "
                              "numbers than the geometry and iteration record reads"),
            std::string::npos)
      << comma.output;
  // A deck the engine stops on: the error finding, exit 1.
  dir.write("stops.dat", "T\n3 0 0 0 0 0 3 0 1 0 0 0\n40 6 1 .01 0 12 240 10 0 0\n0\n");
  const Invocation stops = host("check '" + (dir.path() / "stops.dat").string() + "'");
  EXPECT_EQ(stops.exit_code, 1) << stops.output;
  EXPECT_NE(stops.output.find("error: bad input: stops.dat, line 2: the unit flag must be 1"),
            std::string::npos)
      << stops.output;
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

// A wall on springs whose head load moves it beyond an allowable deflection
// of 0.01 in: the analysis runs to its end without a valid solution, which is
// not success.
const std::string kUnsupportedWall =
    "STIFF LIMIT\n1 0 1 1 0 0 3 0 1 0 0 0\n40 6 0.01 0.001 0 12 240 50 0 0\n"
    "0.0 20.0 1\n0 0 0 0\n'PLATE'\n10 0 0 0 0 0 0 0\n0 0 0 500 0 0 0 0 29E6 0 0 0\n"
    "0 0 0 0 0\n'X'\n0 0\n1\n1 0 0 1000 0 0\n1\n20 40 1 5000 0\n0\n";

TEST(Host, ARunWithoutAValidSolutionIsNotSuccess) {
  testing::RunDirectory dir;
  dir.write("free.dat", kUnsupportedWall);
  const Invocation run = host("run '" + (dir.path() / "free.dat").string() + "'");
  EXPECT_EQ(run.exit_code, 3) << run.output;
  EXPECT_NE(run.output.find("outcome:   no valid solution in stage 1: MAX ALLOWABLE DEFLECTION "
                            "EXCEEDED AT 39 STATIONS"),
            std::string::npos)
      << run.output;
  EXPECT_NE(dir.read("free.out").find("END OF ANALYSIS"), std::string::npos);
}

TEST(Host, RefusesOutputsThatWouldOverwriteTheDeck) {
  testing::RunDirectory dir;
  const std::string deck = "T\n1 0 0 0 0 0 3 0 1 0 0 0\n10 12 1 .01 0 12 120 5 0 0\n0\n";
  for (const char* name : {"wall.out", "w.plt", "w.mon", "w.pyc", "w.epf"}) {
    dir.write(name, deck);
    const Invocation run = host(std::string("run '") + (dir.path() / name).string() + "'");
    EXPECT_EQ(run.exit_code, 2) << name;
    EXPECT_NE(run.output.find("would overwrite the input data file"), std::string::npos)
        << run.output;
    EXPECT_EQ(dir.read(name), deck) << name;
  }
  // A deck named like the run list is an ordinary deck: nothing overwrites it.
  dir.write("NAMES.dat", deck);
  EXPECT_EQ(host("run '" + (dir.path() / "NAMES.dat").string() + "'").exit_code, 0);
  EXPECT_EQ(dir.read("NAMES.dat"), deck);
}

// Fifty hosts in one folder at once, each on its own deck and ten of them on
// one shared deck: every report is whole and belongs to its deck.
TEST(Host, ConcurrentRunsInOneFolderNeverInterfere) {
  testing::RunDirectory dir;
  constexpr int kHosts = 50;
  const std::string body = "1 0 0 0 0 0 3 0 1 0 0 0\n10 12 1 .01 0 12 120 5 0 0\n0\n";
  for (int k = 0; k < kHosts - 10; ++k)
    dir.write("deck" + std::to_string(k) + ".dat", "DECK " + std::to_string(k) + "\n" + body);
  dir.write("shared.dat", "SHARED DECK\n" + body);
  std::vector<std::thread> hosts;
  std::vector<int> exits(kHosts, -1);
  for (int k = 0; k < kHosts; ++k) {
    const std::string deck = k < kHosts - 10 ? "deck" + std::to_string(k) + ".dat" : "shared.dat";
    hosts.emplace_back(
        [&, k, deck] { exits[k] = host("run '" + (dir.path() / deck).string() + "'").exit_code; });
  }
  for (std::thread& t : hosts)
    t.join();
  for (int k = 0; k < kHosts; ++k)
    EXPECT_EQ(exits[k], 0) << "host " << k;
  for (int k = 0; k < kHosts - 10; ++k) {
    const std::string report = dir.read("deck" + std::to_string(k) + ".out");
    EXPECT_NE(report.find("      DECK " + std::to_string(k) + " "), std::string::npos) << k;
    EXPECT_TRUE(report.ends_with("END OF ANALYSIS                             \n")) << k;
  }
  const std::string shared = dir.read("shared.out");
  EXPECT_NE(shared.find("SHARED DECK"), std::string::npos);
  EXPECT_TRUE(shared.ends_with("END OF ANALYSIS                             \n"));
  // No temporary file is left behind.
  for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
    EXPECT_EQ(entry.path().string().find(".part-"), std::string::npos) << entry.path();
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

// The lines a batch prints on standard output, without its messages on
// standard error.
std::vector<std::string> standard_output_lines(const std::string& arguments, int& exit_code) {
  const Invocation run = host(arguments + " 2>/dev/null; exit $?");
  exit_code = run.exit_code;
  std::vector<std::string> lines;
  std::istringstream in(run.output);
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

std::size_t columns(const std::string& line) {
  std::size_t n = 0;
  for (const char c : line)
    n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return n;
}

// A 4 ft plate on a spring, loaded at its head, that solves.
const std::string kSolvedDeck =
    "T\n1 0 1 1 0 0 3 0 1 0 0 0\n40 1.2 1.0 0.001 0 12 48 50 0 0\n0.0 4.0 1\n0 0 0 0\n'PLATE'\n"
    "10 0 0 0 0 0 0 0\n0 0 0 500 0 0 0 0 29E6 0 0 0\n0 0 0 0 0\n'X'\n0 0\n1\n1 0 0 1000 0 0\n1\n"
    "4 40 1 5000 0\n0\n";

TEST(HostBatch, RunsTheDecksOfAFolderInNameOrder) {
  testing::RunDirectory in;
  testing::RunDirectory out;
  for (const char* name : {"b.dat", "a.dat", "C.DAT"})
    in.write(name, std::string("DECK ") + name + "\n" + kSolvedDeck.substr(2));
  // Not decks: the run list of a front end, other files, a subfolder's decks.
  in.write("NAMES.dat", "3.0\n\n\n0\nwall.dat\nwall.out\nwall.plt\nwall.mon\n");
  in.write("notes.txt", kSolvedDeck);
  std::filesystem::create_directory(in.path() / "older");
  in.write("older/old.dat", kSolvedDeck);
  int exit_code = -1;
  const std::vector<std::string> lines = standard_output_lines(
      "batch '" + in.path().string() + "' --output-dir '" + out.path().string() + "'", exit_code);
  EXPECT_EQ(exit_code, 0);
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(lines[0].rfind("deck ", 0), 0u) << lines[0];
  // Rows in byte order of the names; the long folder is left out of them.
  const std::string rows[] = {"C.DAT", "a.dat", "b.dat"};
  for (std::size_t k = 0; k < 3; ++k) {
    EXPECT_NE(lines[k + 1].find(rows[k] + " "), std::string::npos) << lines[k + 1];
    EXPECT_NE(lines[k + 1].find("  solved  "), std::string::npos) << lines[k + 1];
  }
  EXPECT_EQ(lines.back().rfind("3 decks, 0 failed, ", 0), 0u) << lines.back();
  for (const char* name : {"C", "a", "b"})
    EXPECT_NE(out.read(std::string(name) + ".out").find("END OF ANALYSIS"), std::string::npos);
  for (const char* name : {"NAMES.out", "notes.out", "old.out"})
    EXPECT_FALSE(std::filesystem::exists(out.path() / name)) << name;
}

TEST(HostBatch, AMissingPathOrAFolderWithoutDecksRunsNothing) {
  testing::RunDirectory dir;
  dir.write("good.dat", kSolvedDeck);
  std::filesystem::create_directory(dir.path() / "empty");
  const std::string good = "'" + (dir.path() / "good.dat").string() + "' ";
  const Invocation missing = host("batch " + good + "'" + (dir.path() / "gone").string() + "'");
  EXPECT_EQ(missing.exit_code, 2);
  EXPECT_NE(
      missing.output.find("kestro: no such deck or folder: " + (dir.path() / "gone").string()),
      std::string::npos)
      << missing.output;
  const Invocation empty = host("batch " + good + "'" + (dir.path() / "empty").string() + "'");
  EXPECT_EQ(empty.exit_code, 2);
  EXPECT_NE(empty.output.find("no decks (*.dat) in the folder"), std::string::npos) << empty.output;
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "good.out"));
}

TEST(HostBatch, DecksThatWouldOverwriteEachOthersOutputsAreRefused) {
  testing::RunDirectory dir;
  std::filesystem::create_directories(dir.path() / "site-a");
  std::filesystem::create_directories(dir.path() / "site-b");
  dir.write("site-a/wall.dat", kSolvedDeck);
  dir.write("site-b/wall.dat", kSolvedDeck);
  const std::string decks =
      "'" + (dir.path() / "site-a").string() + "' '" + (dir.path() / "site-b").string() + "'";
  const Invocation clash = host("batch " + decks + " -o '" + (dir.path() / "out").string() + "'");
  EXPECT_EQ(clash.exit_code, 2);
  EXPECT_NE(clash.output.find("would both write"), std::string::npos) << clash.output;
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "out" / "wall.out"));
  // Beside their decks they are apart.
  EXPECT_EQ(host("batch " + decks).exit_code, 0);
  EXPECT_NE(dir.read("site-b/wall.out").find("END OF ANALYSIS"), std::string::npos);
}

// Long names, a bad deck, a deck without a wall, English and SI decks: the
// summary keeps to 100 columns and still shows where each name starts and
// ends, and the time is given in a readable unit.
TEST(HostBatch, TheSummaryFitsInOneHundredColumns) {
  testing::RunDirectory dir;
  const std::string long_name =
      "harbour-quay-extension-anchored-sheet-pile-wall-with-two-rows-of-tie-backs-stage-3.dat";
  dir.write(long_name, "T\n" + kSolvedDeck.substr(2));
  dir.write("bad.dat", "T\n1 0 0 0 0 0 3 0 1 0 0 0\n40 six 1 .01 0 12 120 0 0 0\n0\n");
  dir.write("free.dat", kUnsupportedWall);
  int exit_code = -1;
  const std::vector<std::string> lines = standard_output_lines(
      "batch '" + dir.path().string() + "' '" KESTRO_SOURCE_DIR "/examples/control-records.dat' '" +
          KESTRO_SOURCE_DIR "/tests/decks/staged-si.dat' -o '" + (dir.path() / "out").string() +
          "'",
      exit_code);
  EXPECT_EQ(exit_code, 1);
  ASSERT_EQ(lines.size(), 8u);  // heading, 5 decks, units, totals
  for (const std::string& line : lines)
    EXPECT_LE(columns(line), 100u) << line;
  const auto row_of = [&](const std::string& text) {
    for (const std::string& line : lines)
      if (line.find(text) != std::string::npos) return line;
    return std::string("(no row with " + text + ")");
  };
  const std::string shortened = row_of("harbour-");
  EXPECT_EQ(shortened.rfind("harbour-", 0), 0u) << shortened;
  EXPECT_NE(shortened.find("...", 0), std::string::npos) << shortened;
  EXPECT_NE(shortened.find("-3.dat  solved"), std::string::npos) << shortened;
  EXPECT_NE(row_of("bad.dat").find("  bad input  "), std::string::npos) << row_of("bad.dat");
  EXPECT_NE(row_of("free.dat").find("  no valid solution  "), std::string::npos);
  EXPECT_NE(row_of("control-records.dat").find("  completed  "), std::string::npos);
  EXPECT_NE(row_of("staged-si.dat").find("  SI"), std::string::npos);
  EXPECT_EQ(lines[6],
            "units: English deflection in, moment lb-in, depth ft; SI deflection m, moment kN-m, "
            "depth m");
  // "5 decks, 2 failed, 2 jobs, 3.65 ms": at most three digits, then a unit.
  EXPECT_TRUE(std::regex_match(
      lines[7],
      std::regex("5 decks, 2 failed, [0-9]+ jobs?, [0-9]{1,3}(\\.[0-9]{1,2})? (ns|µs|ms|s)")))
      << lines[7];
}

TEST(HostExtras, RunWritesThePageAndTheExportBesideTheReport) {
  testing::RunDirectory out;
  const std::string csv = (out.path() / "csv").string();
  const std::string json = (out.path() / "wall.json").string();
  const Invocation run =
      host("run '" KESTRO_SOURCE_DIR "/examples/tied-back-wall.dat' --output-dir '" +
           out.path().string() + "' --html --csv '" + csv + "' --json '" + json + "'");
  EXPECT_EQ(run.exit_code, 0) << run.output;
  EXPECT_NE(run.output.find("html:      " + (out.path() / "tied-back-wall.html").string()),
            std::string::npos)
      << run.output;
  const std::string page = out.read("tied-back-wall.html");
  EXPECT_EQ(page.rfind("<!DOCTYPE html>", 0), 0u);
  EXPECT_NE(page.find("TIED-BACK SHEET-PILE WALL WITH USER P-Y CURVES"), std::string::npos);
  EXPECT_TRUE(page.ends_with("</html>\n"));
  EXPECT_NE(out.read("csv/tied-back-wall-p1-stations.csv").find("station,X (ft),deflection (in)"),
            std::string::npos);
  EXPECT_NE(out.read("wall.json").find("\"format\": \"kestro-results\""), std::string::npos);
  // Without the options nothing more is written.
  testing::RunDirectory plain;
  EXPECT_EQ(host("run '" KESTRO_SOURCE_DIR "/examples/tied-back-wall.dat' --output-dir '" +
                 plain.path().string() + "'")
                .exit_code,
            0);
  EXPECT_FALSE(std::filesystem::exists(plain.path() / "tied-back-wall.html"));
}

// A run without a valid solution, and one that ends on bad input, still get
// a page that says so.
TEST(HostExtras, ThePageOfARunThatFailedSaysWhy) {
  testing::RunDirectory dir;
  dir.write("free.dat", kUnsupportedWall);
  dir.write("bad.dat", "T\n1 0 0 0 0 0 3 0 1 0 0 0\n40 six 1 .01 0 12 120 0 0 0\n0\n");
  EXPECT_EQ(host("run '" + (dir.path() / "free.dat").string() + "' --html").exit_code, 3);
  EXPECT_NE(dir.read("free.html")
                .find("no valid solution: MAX ALLOWABLE DEFLECTION EXCEEDED AT 39 STATIONS"),
            std::string::npos);
  EXPECT_EQ(host("run '" + (dir.path() / "bad.dat").string() + "' --html --json '" +
                 (dir.path() / "bad.json").string() + "'")
                .exit_code,
            1);
  EXPECT_NE(dir.read("bad.html").find("expected a real number, found &quot;six&quot;"),
            std::string::npos);
  EXPECT_NE(dir.read("bad.json").find("\"outcome\": \"bad input\""), std::string::npos);
}

TEST(HostExtras, UsageErrorsAndADeckTheyWouldOverwrite) {
  EXPECT_EQ(host("run a.dat --csv").exit_code, 2);
  EXPECT_EQ(host("run a.dat --json").exit_code, 2);
  EXPECT_EQ(host("batch a.dat --csv").exit_code, 2);
  testing::RunDirectory dir;
  const std::string deck = "T\n1 0 0 0 0 0 3 0 1 0 0 0\n10 12 1 .01 0 12 120 5 0 0\n0\n";
  dir.write("wall.html", deck);
  EXPECT_EQ(host("run '" + (dir.path() / "wall.html").string() + "' --html").exit_code, 2);
  EXPECT_EQ(dir.read("wall.html"), deck);
  dir.write("w.dat", deck);
  EXPECT_EQ(host("run '" + (dir.path() / "w.dat").string() + "' --json '" +
                 (dir.path() / "w.dat").string() + "'")
                .exit_code,
            1);
  EXPECT_EQ(dir.read("w.dat"), deck);
}

TEST(HostExtras, BatchWritesAPageAndAJsonDocumentPerDeck) {
  testing::RunDirectory out;
  const Invocation batch =
      host("batch --jobs 2 --html --json --csv '" + (out.path() / "csv").string() +
           "' --output-dir '" + out.path().string() +
           "' '" KESTRO_SOURCE_DIR "/examples/tied-back-wall.dat' '" KESTRO_SOURCE_DIR
           "/examples/cantilever-layered-soil.dat'");
  EXPECT_EQ(batch.exit_code, 0) << batch.output;
  for (const char* name : {"tied-back-wall", "cantilever-layered-soil"}) {
    EXPECT_NE(out.read(std::string(name) + ".html").find("</html>"), std::string::npos) << name;
    EXPECT_NE(out.read(std::string(name) + ".json").find("\"verdict\": \"solved\""),
              std::string::npos)
        << name;
    EXPECT_FALSE(out.read("csv/" + std::string(name) + "-p1-stations.csv").empty()) << name;
  }
}

}  // namespace
}  // namespace kestro
