// The echo of the moment-curvature data: user-defined EI sets named by the
// cross sections and the generated curves of the other nonlinear sections.
#include "input/moment_curvature.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "driver/run_context.h"
#include "support/section_fixture.h"

namespace kestro {
namespace {

using testing::Context;
using testing::curve;
using testing::elastic;
using testing::nonlinear;

TEST(NonlinearEcho, WritesBothBlocksInTheirLayout) {
  Context c(2, 1.0, UnitSystem::si);
  WallTables& tables = c.context.problem.tables;
  tables.ei_sets = {curve({0.0, 50.0}, {0.0, 0.002}, 100.0), curve({0.0, 1.0}, {0.0, 1.0})};
  // Cross section 1: user set 1; 2: elastic; 3: a steel pipe with its level.
  tables.cross_sections = {nonlinear(NonlinearType::user_defined_ei, 1), elastic(1.0, 1.0),
                           nonlinear(NonlinearType::steel_pipe)};
  tables.section_curves = {curve({}, {}), curve({}, {}), curve({0.0, 24.0}, {0.0, 0.5}, -2.5)};
  echo_nonlinear_ei(input_context(c.context));
  // Zero curvature: no EI column.  0.002 has too many leading zeros for F14
  // with five digits and goes to 1PE14.5; the other values print in F.
  const std::string expected =
      "\n"
      "     * USER DEFINED NONLINEAR EI *\n"
      "\n"
      "        SET          =      1\n"
      "\n"
      "        AXIAL THRUST =    100.0000    KN\n"
      "\n"
      "        N            CURVATURE         MOMENT           EI   \n"
      "                      RAD/ M           KN- M           KN- M**2\n"
      "         1           0.00000           0.00000 \n"
      "         2       2.00000E-03           50.0000           25000.0 \n"
      " \n"
      "\n"
      "     * INTERNALLY GENERATED NONLINEAR EI *\n"
      "\n"
      "        SET          =      3\n"
      "\n"
      "        AXIAL THRUST =     -2.5000    KN\n"
      "\n"
      "        N            CURVATURE         MOMENT           EI   \n"
      "                      RAD/ M           KN- M           KN- M**2\n"
      "         1           0.00000           0.00000 \n"
      "         2           0.50000           24.0000           48.0000 \n"
      " \n";
  EXPECT_EQ(c.report.str(), expected);
}

TEST(NonlinearEcho, NothingForElasticWalls) {
  Context c(2, 1.0, UnitSystem::si);
  c.context.problem.tables.cross_sections = {elastic(1.0, 2.0)};
  echo_nonlinear_ei(input_context(c.context));
  EXPECT_EQ(c.report.str(), "");
}

}  // namespace
}  // namespace kestro
