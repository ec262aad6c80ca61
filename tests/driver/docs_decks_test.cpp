// The decks of the documentation run as the documentation says: every
// ```deck block of docs/*.md runs to the end, and every ```report block after
// it holds lines of that deck's report.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "kestro/kestro.hpp"

namespace kestro {
namespace {

namespace fs = std::filesystem;

struct Block {
  std::string kind;  // "deck" or "report"
  std::string text;
};

// The fenced blocks of a markdown text whose fence names a kind.
std::vector<Block> fenced_blocks(const std::string& markdown) {
  std::vector<Block> blocks;
  std::istringstream in(markdown);
  std::string line;
  Block* open = nullptr;
  while (std::getline(in, line)) {
    if (open == nullptr && line.rfind("```", 0) == 0 && line.size() > 3) {
      blocks.push_back(Block{line.substr(3), {}});
      open = &blocks.back();
    } else if (open != nullptr && line == "```") {
      open = nullptr;
    } else if (open != nullptr) {
      open->text += line + "\n";
    }
  }
  return blocks;
}

TEST(DocumentedDecks, RunAndGiveTheQuotedReportLines) {
  int decks = 0;
  int quoted = 0;
  for (const auto& entry : fs::directory_iterator(fs::path(KESTRO_SOURCE_DIR) / "docs")) {
    if (entry.path().extension() != ".md") continue;
    std::ifstream file(entry.path());
    std::stringstream markdown;
    markdown << file.rdbuf();
    std::string report;
    for (const Block& block : fenced_blocks(markdown.str())) {
      SCOPED_TRACE(entry.path().filename().string());
      if (block.kind == "deck") {
        MemoryRunInput input;
        input.deck = block.text;
        const MemoryRunResult run = run_in_memory(input, [] { return LocalTime{}; });
        EXPECT_EQ(run.outcome, Outcome::completed) << run.message;
        for (const ProblemResult& problem : run.problems)
          EXPECT_EQ(solution_warning(problem), "") << "problem " << problem.number;
        report = run.report;
        ++decks;
      } else if (block.kind == "report") {
        ASSERT_FALSE(report.empty()) << "a report block before any deck";
        std::istringstream lines(block.text);
        for (std::string line; std::getline(lines, line);) {
          EXPECT_NE(report.find("\n" + line + "\n"), std::string::npos) << line;
          ++quoted;
        }
      }
    }
  }
  EXPECT_GE(decks, 1);
  EXPECT_GE(quoted, 3);
}

}  // namespace
}  // namespace kestro
