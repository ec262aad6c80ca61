// The catalogue of bad input: every deck of decks/ is run the three ways a
// user meets the engine (the C++ API, the shared library's IKESTRO and the
// command-line host).  Each must end with the message cases.txt gives, naming
// the deck and its line, and leave the report, the monitor file and the
// plot-data file complete.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/host_invocation.h"
#include "support/run_fixture.h"

namespace kestro {
namespace {

namespace fs = std::filesystem;

const fs::path kCatalogue = fs::path(KESTRO_TEST_DATA_DIR) / "catalogue";
const std::string kEndLine = "     END OF ANALYSIS                             \n";
const std::string kInputError = "ERROR STOP -- INPUT DATA ERROR";

struct Case {
  std::string deck;     // file name in decks/
  std::string outcome;  // "bad input" or "error stop"
  std::string line;     // the line the message names
  std::string message;  // the message of the run
  std::string report;   // the report's line before END OF ANALYSIS; "-": none
  friend void PrintTo(const Case& c, std::ostream* out) { *out << c.deck; }
};

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Blocks of "key: value" lines separated by blank lines; '#' starts a comment
// line.  A malformed file gives no cases, which CasesMatchTheDecks reports.
std::vector<Case> load_cases() {
  std::vector<Case> cases;
  std::istringstream in(read_file(kCatalogue / "cases.txt"));
  std::map<std::string, std::string> block;
  auto flush = [&] {
    if (block.empty()) return;
    cases.push_back(
        Case{block["deck"], block["outcome"], block["line"], block["message"], block["report"]});
    block.clear();
  };
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line[0] == '#') continue;
    const std::size_t colon = line.find(": ");
    if (colon == std::string::npos) {
      flush();
      continue;
    }
    block[line.substr(0, colon)] = line.substr(colon + 2);
  }
  flush();
  return cases;
}

const std::vector<Case>& cases() {
  static const std::vector<Case> kCases = load_cases();
  return kCases;
}

std::string deck_text(const Case& c) {
  return read_file(kCatalogue / "decks" / c.deck);
}

std::string stem(const std::string& name) {
  return name.substr(0, name.rfind('.'));
}

// The integers of a list-directed record.
std::vector<long> integers(const std::string& record) {
  std::istringstream in(record);
  std::vector<long> values;
  for (long value; in >> value;)
    values.push_back(value);
  return values;
}

std::string last_line(const std::string& text) {
  if (text.empty() || text.back() != '\n') return "";
  const std::size_t start = text.rfind('\n', text.size() - 2);
  return text.substr(start == std::string::npos ? 0 : start + 1,
                     text.size() - 1 - (start == std::string::npos ? 0 : start + 1));
}

// Checks the three files a run leaves, whoever ran it.
void expect_complete_files(const Case& c, const fs::path& dir, const std::string& name) {
  std::string report = read_file(dir / (name + ".out"));
  EXPECT_TRUE(report.ends_with("\n\n\n" + kEndLine)) << report;
  EXPECT_TRUE(read_file(dir / (name + ".mon")).ends_with(kEndLine));
  // The plot-data file ends with the closing block of a problem that has no
  // results: 0, the number of stations and the unit flag.
  const std::vector<long> closing = integers(last_line(read_file(dir / (name + ".plt"))));
  ASSERT_EQ(closing.size(), 3u);
  EXPECT_EQ(closing[0], 0);

  if (c.report == "-") {
    EXPECT_EQ(report.find("ERROR"), std::string::npos) << report;
    EXPECT_EQ(report.find("TOO MUCH"), std::string::npos) << report;
  } else if (c.report == kInputError) {
    // The error block is the last thing before the end line.
    EXPECT_TRUE(
        report.ends_with("     " + kInputError + "\n     " + c.message + "\n\n\n" + kEndLine))
        << report.substr(report.size() - std::min<std::size_t>(report.size(), 400));
  } else {
    EXPECT_NE(report.find("\n     " + c.report + "\n"), std::string::npos) << report;
  }
  // No value that is not a number reaches a file; the message may quote one.
  if (const std::size_t at = report.find(c.message); at != std::string::npos) {
    report.erase(at, c.message.size());
  }
  for (const std::string& file : {report, read_file(dir / (name + ".plt"))}) {
    EXPECT_EQ(file.find("NaN"), std::string::npos);
    EXPECT_EQ(file.find("Infinity"), std::string::npos);
  }
}

TEST(Catalogue, CasesMatchTheDecks) {
  std::set<std::string> decks;
  for (const fs::directory_entry& entry : fs::directory_iterator(kCatalogue / "decks")) {
    decks.insert(entry.path().filename().string());
  }
  std::multiset<std::string> listed;
  for (const Case& c : cases()) {
    listed.insert(c.deck);
    EXPECT_TRUE(c.outcome == "bad input" || c.outcome == "error stop") << c.deck;
    EXPECT_FALSE(c.report.empty()) << c.deck;
    // The message names the deck and the line of the case.
    EXPECT_TRUE(c.message.starts_with(c.deck + ", line " + c.line + ":") ||
                c.message.starts_with(c.deck + ", line " + c.line + ", item "))
        << c.message;
  }
  EXPECT_EQ(std::set<std::string>(listed.begin(), listed.end()), decks);
  EXPECT_EQ(listed.size(), decks.size()) << "a deck is listed twice";
  EXPECT_GE(cases().size(), 50u);
}

class BadInput : public ::testing::TestWithParam<Case> {};

TEST_P(BadInput, RunEndsWithTheMessageAndCompleteFiles) {
  const Case& c = GetParam();
  testing::RunDirectory dir;
  dir.write(c.deck, deck_text(c));
  dir.write_names(c.deck);
  const RunResult result = dir.run();
  EXPECT_EQ(outcome_name(result.outcome), c.outcome);
  EXPECT_EQ(result.message, c.message);
  EXPECT_EQ(dir.console(), c.message + "\n");
  expect_complete_files(c, dir.path(), "wall");
}

using EntryPoint = std::int32_t (*)(std::int32_t, std::int32_t);

class SharedLibrary : public ::testing::TestWithParam<Case> {
 protected:
  static void SetUpTestSuite() { handle = dlopen(KESTRO_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL); }
  static void TearDownTestSuite() {
    if (handle != nullptr) dlclose(handle);
    handle = nullptr;
  }
  static void* handle;
};
void* SharedLibrary::handle = nullptr;

TEST_P(SharedLibrary, IkestroReturnsZero) {
  const Case& c = GetParam();
  ASSERT_NE(handle, nullptr) << dlerror();
  auto entry = reinterpret_cast<EntryPoint>(dlsym(handle, "IKESTRO"));
  ASSERT_NE(entry, nullptr);
  testing::RunDirectory dir;
  dir.write(c.deck, deck_text(c));
  dir.write_names(c.deck);
  const fs::path here = fs::current_path();
  fs::current_path(dir.path());
  const std::int32_t status = entry(0, 0);
  fs::current_path(here);
  EXPECT_EQ(status, 0);
  expect_complete_files(c, dir.path(), "wall");
}

testing::Invocation host(const fs::path& input) {
  return testing::run_host(KESTRO_HOST_PATH, "run '" + input.string() + "'");
}

TEST_P(BadInput, HostExitsNonZeroAndPrintsTheMessage) {
  const Case& c = GetParam();
  testing::RunDirectory dir;
  dir.write(c.deck, deck_text(c));
  const testing::Invocation run = host(dir.path() / c.deck);
  EXPECT_EQ(run.exit_code, 1) << run.output;
  // Once on standard error, once in the outcome line.
  EXPECT_NE(run.output.find(c.message + "\n"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("outcome:   " + c.outcome + ": " + c.message + "\n"), std::string::npos)
      << run.output;
  expect_complete_files(c, dir.path(), stem(c.deck));
}

std::string case_name(const ::testing::TestParamInfo<Case>& info) {
  std::string name = stem(info.param.deck);
  std::replace_if(
      name.begin(), name.end(),
      [](char ch) { return !std::isalnum(static_cast<unsigned char>(ch)); }, '_');
  return name;
}

INSTANTIATE_TEST_SUITE_P(Catalogue, BadInput, ::testing::ValuesIn(cases()), case_name);
INSTANTIATE_TEST_SUITE_P(Catalogue, SharedLibrary, ::testing::ValuesIn(cases()), case_name);

}  // namespace
}  // namespace kestro
