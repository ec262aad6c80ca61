// Every way a run ends early is raised the same way from any depth and
// reported once: the report shows the stop's own text, the console the
// reason, and the end sequence closes every file.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>

#include "common/run_stop.h"
#include "driver/run.h"
#include "driver/run_context.h"

namespace kestro {
namespace {

// A stop raised three calls down, as a table reader or the solver would.
void deep(const std::function<void()>& raise, int depth = 3) {
  if (depth == 0) {
    raise();
    return;
  }
  deep(raise, depth - 1);
}

struct Ended {
  RunResult result;
  std::string report;
  std::string monitor;
  std::string plot;
  std::string console;
};

Ended end_with(const std::function<void()>& raise) {
  std::ostringstream console;
  std::ostringstream report;
  std::ostringstream monitor;
  std::ostringstream plot;
  RunContext context(".", console, Clock{});
  context.use_deck(read_deck("T\n1 0 0 0 0 0 3 0 1 0 0 0\n", "wall.dat"));
  context.files.report.attach(report);
  context.files.monitor.attach(monitor);
  context.files.plot.attach(plot);
  context.in().next_problem();
  context.in().take("title");
  Ended ended;
  try {
    deep(raise);
    ADD_FAILURE() << "nothing was raised";
  } catch (const RunStop& stop) {
    ended.result = report_stop(context, stop);
  }
  end_sequence(context);
  ended.report = report.str();
  ended.monitor = monitor.str();
  ended.plot = plot.str();
  ended.console = console.str();
  return ended;
}

const std::string kEnd = "\n\n     END OF ANALYSIS                             \n";

TEST(RunStops, EachKindWritesItsTextAndEndsTheRun) {
  struct Case {
    std::function<void()> raise;
    Outcome outcome;
    std::string report;   // before the end lines
    std::string console;  // all of it
  };
  const Case cases[] = {
      {[] {
         stop_bad_input(InputPlace{"wall.dat", 2}, "the unit flag must be 1 or 2, found 3");
       },
       Outcome::bad_input,
       "\n\n     ERROR STOP -- INPUT DATA ERROR\n     wall.dat, line 2: the unit flag must be 1 "
       "or 2, found 3\n",
       "wall.dat, line 2: the unit flag must be 1 or 2, found 3\n"},
      {[] {
         stop_error(ErrorStop::stations_not_in_order, InputPlace{"wall.dat", 2});
       },
       Outcome::error_stop, "\n\n     ERROR STOP -- STATIONS NOT IN ORDER\n",
       "wall.dat, line 2: ERROR STOP -- STATIONS NOT IN ORDER\n"},
      {[] {
         stop_error(ErrorStop::too_much_data, InputPlace{"wall.dat", 2}, "more than 20 points: 21");
       },
       Outcome::error_stop, "\n\n     TOO MUCH DATA FOR AVAILABLE STORAGE\n\n\n",
       "wall.dat, line 2: TOO MUCH DATA FOR AVAILABLE STORAGE (more than 20 points: 21)\n"},
      {[] { stop_error(ErrorStop::data_beyond_end, InputPlace{}); }, Outcome::error_stop,
       "\n\n     ERROR -- NON-ZERO TABLE 4 DATA BEYOND END\n",
       "ERROR -- NON-ZERO TABLE 4 DATA BEYOND END\n"},
      {[] {
         stop_quietly(InputPlace{"wall.dat", 2}, "negative number of wall sections");
       },
       Outcome::error_stop, "", "wall.dat, line 2: negative number of wall sections\n"},
      {[] {
         stop_with_code(StopCode::outside_weights, InputPlace{"wall.dat", 20, 2},
                        "depth 30 below the unit-weight profile");
       },
       Outcome::error_stop, "",
       "stop code 4: wall.dat, line 20, item 2: depth 30 below the unit-weight profile\n"},
      {[] { stop_not_available("p-y modification factors"); }, Outcome::error_stop,
       "\n\n     NOT AVAILABLE IN THIS VERSION OF THE ENGINE: p-y modification factors\n",
       "NOT AVAILABLE IN THIS VERSION OF THE ENGINE: p-y modification factors\n"},
  };
  for (const Case& c : cases) {
    const Ended ended = end_with(c.raise);
    EXPECT_EQ(ended.result.outcome, c.outcome) << c.console;
    EXPECT_EQ(ended.report, c.report + kEnd);
    EXPECT_EQ(ended.monitor, kEnd);
    EXPECT_EQ(ended.console, c.console);
    // The closing block of a problem without results.
    EXPECT_EQ(ended.plot, "            0           0           0\n");
    // The caller gets the console's reason without its line end.
    EXPECT_TRUE(c.console.ends_with(ended.result.message + "\n")) << ended.result.message;
    // A message that names a line has it as a value too.
    const bool names_a_line = ended.result.message.find(", line ") != std::string::npos;
    EXPECT_EQ(ended.result.place.line != 0, names_a_line) << ended.result.message;
  }
}

// The readers' own errors are the same stop.
TEST(RunStops, ReaderErrorsAreBadInput) {
  const Ended ended = end_with([] {
    ListInput input("wall.dat", "1 six\n");
    ListRead read = input.read();
    int first = 0;
    int second = 0;
    read.integer(first);
    read.integer(second);
  });
  EXPECT_EQ(ended.result.outcome, Outcome::bad_input);
  EXPECT_EQ(ended.result.message, "wall.dat, line 1, item 2: expected an integer, found \"six\"");
  // The place the message names is also given as values.
  EXPECT_EQ(ended.result.place.file, "wall.dat");
  EXPECT_EQ(ended.result.place.line, 1u);
  EXPECT_EQ(ended.result.place.item, 2);
  EXPECT_TRUE(ended.report.starts_with("\n\n     ERROR STOP -- INPUT DATA ERROR\n"));
}

}  // namespace
}  // namespace kestro
