// The results report: header, non-convergence warnings, the station table
// with its couple correction, restraint, tie-back and node-reaction tables,
// checked as exact text where the layout matters and against beam theory
// where the numbers do.
#include "output/results_report.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "output/results_fixture.h"
#include "solver/difference_equation.h"

namespace kestro {
namespace {

using testing::lines_of;
using testing::ResultsContext;

const std::string kHeader = "\n\n     RESULTS\n     -------\n     NUMBER OF ITERATIONS :   3\n";
const std::string kTableHead =
    "   STA I      X         DEFL.       SLOPE      MOMENT      SHEAR    SOIL_REACT "
    "NET_FORCE/STA    EI";
const std::string kEnglishUnits =
    "             FT          IN          RAD      LBS-IN        LBS       LBS/IN        LBS"
    "      LBS-IN**2";
const std::string kSiUnits =
    "              M           M          RAD       KN- M         KN        KN/ M         KN"
    "       KN- M**2";
const std::string kTableRule =
    "   ------    ----        ----       -----      ------      ------    ---------   "
    "---------   ---------";

// --- Header and warnings ---------------------------------------------------

TEST(ResultsWarnings, AllowableDeflectionGoesToReportAndMonitorAndReplacesTables) {
  ResultsContext r(4, 10.0, UnitSystem::english);
  r.parabolic_deflections(1.0e6);
  r.context.problem.iteration = {IterationOutcome::allowable_deflection_exceeded, 3, 7, 2, {}};
  r.write();
  const std::string warning =
      "\n     ***** MAX ALLOWABLE DEFLECTION EXCEEDED AT ***   7  *** STATIONS *****\n";
  // The allowable-deflection warning wins over the closure count.
  EXPECT_EQ(r.report.str(), kHeader + warning);
  EXPECT_EQ(r.monitor.str(), warning);
  EXPECT_FALSE(r.context.problem.results.has_value());
}

TEST(ResultsWarnings, SolutionNotClosedGoesToReportAndMonitorAndReplacesTables) {
  ResultsContext r(4, 10.0, UnitSystem::english);
  r.parabolic_deflections(1.0e6);
  r.context.problem.iteration = {IterationOutcome::iteration_limit_reached, 20, 0, 4, {}};
  r.write();
  const std::string warning =
      "\n     ***** MAXIMUM NUMBER OF ITERATIONS  REACHED *****\n"
      "     ***** SOLUTION NOT CLOSED WITHIN SPECIFIED TOLERANCE *****\n";
  EXPECT_EQ(r.report.str(),
            "\n\n     RESULTS\n     -------\n     NUMBER OF ITERATIONS :  20\n" + warning);
  EXPECT_EQ(r.monitor.str(), warning);
  EXPECT_FALSE(r.context.problem.results.has_value());
}

TEST(ResultsWarnings, IterationLimitWithEverythingClosedPrintsTables) {
  ResultsContext r(4, 10.0, UnitSystem::english);
  r.parabolic_deflections(1.0e6);
  r.context.problem.iteration = {IterationOutcome::iteration_limit_reached, 20, 0, 0, {}};
  r.write();
  EXPECT_NE(r.report.str().find(kTableHead), std::string::npos);
  EXPECT_EQ(r.monitor.str(), "");
  EXPECT_TRUE(r.context.problem.results.has_value());
}

TEST(ResultsWarnings, ZeroIterationLimitPrintsNoWarningAndTheTableFollowsTheHeader) {
  ResultsContext r(4, 10.0, UnitSystem::english);
  r.parabolic_deflections(1.0e6);
  r.context.problem.geometry.max_iterations = 0;
  // A single pass still counts stations; none of it may turn into a warning.
  r.context.problem.iteration = {IterationOutcome::single_pass, 0, 2, 5, {}};
  r.write();
  const std::string text = r.report.str();
  EXPECT_EQ(text.substr(0, text.find(kTableHead)),
            "\n\n     RESULTS\n     -------\n     NUMBER OF ITERATIONS :   0\n\n");
  EXPECT_EQ(r.monitor.str(), "");
  EXPECT_TRUE(r.context.problem.results.has_value());
}

TEST(ResultsWarnings, ValueThatIsNotFiniteLeavesOnlyTheHeader) {
  ResultsContext r(4, 10.0, UnitSystem::english);
  r.parabolic_deflections(1.0e6);
  r.context.problem.iteration = {IterationOutcome::not_finite, 3, 0, 0, {}};
  r.write();
  EXPECT_EQ(r.report.str(), kHeader);
  EXPECT_EQ(r.monitor.str(), "");
  EXPECT_FALSE(r.context.problem.results.has_value());
}

// --- The results table -----------------------------------------------------

TEST(ResultsTableLayout, EnglishHeadUnitsRuleAndRow) {
  ResultsContext r(4, 10.0, UnitSystem::english);
  r.parabolic_deflections(1.0e6);
  r.context.problem.wall.soil_reaction[2] = 5.5;
  r.write();
  const std::vector<std::string> lines = lines_of(r.report.str());
  // 2 empty, RESULTS, rule, iterations, empty, head, units, rule, stations 0..4.
  ASSERT_EQ(lines.size(), 14u);
  EXPECT_EQ(lines[5], "");
  EXPECT_EQ(lines[6], kTableHead);
  EXPECT_EQ(lines[7], kEnglishUnits);
  EXPECT_EQ(lines[8], kTableRule);
  // Station 2: X = 20 in = 1.6667 ft, w = 4/64, slope (9-1)/64/20,
  // moment 1e6 * (2/64) / 100, shear and net force zero on the parabola.
  EXPECT_EQ(lines[11],
            "     2   1.667E+00   6.250E-02   6.250E-03   3.125E+02   0.000E+00   5.500E+00"
            "   0.000E+00   1.000E+06");
  EXPECT_TRUE(r.context.problem.results.has_value());
}

TEST(ResultsTableLayout, SiUnitsLineAndDepthInMetres) {
  ResultsContext r(4, 0.5, UnitSystem::si);
  r.parabolic_deflections(100.0);
  r.write();
  const std::vector<std::string> lines = lines_of(r.report.str());
  ASSERT_EQ(lines.size(), 14u);
  EXPECT_EQ(lines[7], kSiUnits);
  EXPECT_EQ(lines[12].substr(0, 18), "     3   1.500E+00");
  EXPECT_DOUBLE_EQ(r.context.problem.results->stations[3].X, 1.5);
}

TEST(ResultsTableLayout, OnlyHeaderAndTableWithoutSpringsTiebacksOrPoints) {
  ResultsContext r(6, 12.0, UnitSystem::english);
  r.parabolic_deflections(2.0e6);
  r.write();
  const std::vector<std::string> lines = lines_of(r.report.str());
  ASSERT_EQ(lines.size(), 9u + 7u);
  EXPECT_EQ(lines.back().substr(0, 6), "     6");
}

TEST(ResultsValues, EnglishDepthInFeetWhileDeflectionStaysInInches) {
  ResultsContext r(4, 12.0, UnitSystem::english);
  r.parabolic_deflections(1.0e6);
  r.write();
  const StationResult& s3 = r.context.problem.results->stations[3];
  EXPECT_DOUBLE_EQ(s3.X, 3.0);
  EXPECT_DOUBLE_EQ(s3.deflection, 9.0 / 64.0);
  const std::vector<std::string> lines = lines_of(r.report.str());
  EXPECT_EQ(lines[12].substr(0, 30), "     3   3.000E+00   1.406E-01");
}

TEST(ResultsValues, MomentAtTheBottomAndZeroBeyondIt) {
  // w = s^2/64 up to N+1, EI only on 0..N: the bottom moment is a full
  // curvature, station N+1 has no EI and so no moment.
  const int N = 4;
  ResultsContext r(N, 10.0, UnitSystem::si);
  r.parabolic_deflections(1.0e6);
  r.write();
  const ResultsTable& t = *r.context.problem.results;
  ASSERT_EQ(t.stations.size(), static_cast<std::size_t>(N + 2));
  const double tolerance = 1e-12;
  EXPECT_NEAR(t.stations[N].moment, 312.5, 312.5 * tolerance);
  EXPECT_EQ(t.stations[N + 1].moment, 0.0);
  // The net force at N sees the zero moment below: (M(N-1) - 2M(N) + 0)/h.
  EXPECT_NEAR(t.stations[N].net_force, -31.25, 31.25 * tolerance);
  EXPECT_NEAR(t.stations[N].shear, -312.5 / 20.0, 15.625 * tolerance);
  // The top: the moment of station -1 is taken as zero.
  EXPECT_NEAR(t.stations[0].shear, 312.5 / 20.0, 15.625 * tolerance);
}

TEST(ResultsValues, CoupleAtStationFiveCorrectsShearAndNetForce) {
  const int N = 10;
  const double h = 2.0;
  const double T = 12.0;
  ResultsContext plain(N, h, UnitSystem::si);
  ResultsContext loaded(N, h, UnitSystem::si);
  for (ResultsContext* r : {&plain, &loaded}) {
    r->parabolic_deflections(500.0);
    r->context.problem.wall.w[7] += 0.25;  // some shear and net force to correct
    extrapolate_end_deflections(r->context.problem.wall);
  }
  loaded.context.problem.tables.couples.push_back(CoupleRecord{5, T / (2.0 * h)});
  const ResultsTable a = compute_results(results_context(plain.context));
  const ResultsTable b = compute_results(results_context(loaded.context));
  const double c = T / (2.0 * h);
  const double tolerance = 1e-12;
  for (int I = 0; I <= N + 1; ++I) {
    const std::size_t i = static_cast<std::size_t>(I);
    double shear_shift = 0.0;
    double force_shift = 0.0;
    if (I == 5) shear_shift = -c;
    if (I == 4 || I == 6) shear_shift = -T / (4.0 * h);
    if (I == 4) force_shift = -c;
    if (I == 6) force_shift = c;
    EXPECT_NEAR(b.stations[i].shear - a.stations[i].shear, shear_shift, tolerance) << I;
    EXPECT_NEAR(b.stations[i].net_force - a.stations[i].net_force, force_shift, tolerance) << I;
    EXPECT_EQ(b.stations[i].moment, a.stations[i].moment) << I;
  }
}

// A simply supported wall of length L = N*h with a point load P at mid
// height, solved by the difference equation: the moments are those of the
// beam (zero at the supports, P*L/4 at the load), the shear is P/2 on each
// side, and the supports carry P/2 each.
TEST(ResultsValues, SimplySupportedBeamMomentShearAndReactions) {
  const int N = 10;
  const double h = 0.5;
  const double L = N * h;
  const double P = 3.0;
  ResultsContext r(N, h, UnitSystem::si);
  WallModel& wall = r.context.problem.wall;
  wall.EI.fill(0, N, 2.0e4);
  wall.Q[N / 2] = P;
  wall.specified_points = {{0, 1, 0.0, 0.0}, {N, 1, 0.0, 0.0}};
  ASSERT_FALSE(set_condition_codes(wall).has_value());
  copy_to_working_arrays(wall);
  clear_deflections(wall);
  solve_deflections(wall, 1e-12, 1e30);
  r.write();
  ASSERT_TRUE(r.context.problem.results.has_value());
  const ResultsTable& t = *r.context.problem.results;

  const double tolerance = 1e-9;  // relative, round-off of the elimination
  // Positive load gives positive deflection, so curvature and moment at the
  // load are negative in the sign of the difference equation.
  EXPECT_NEAR(t.stations[N / 2].moment, -P * L / 4.0, P * L * tolerance);
  EXPECT_NEAR(t.stations[0].moment, 0.0, P * L * tolerance);
  EXPECT_NEAR(t.stations[N].moment, 0.0, P * L * tolerance);
  for (int I = 1; I < N; ++I) {
    if (I == N / 2) continue;
    const double expected = I < N / 2 ? -P / 2.0 : P / 2.0;
    EXPECT_NEAR(t.stations[static_cast<std::size_t>(I)].shear, expected, P * tolerance) << I;
  }
  EXPECT_NEAR(t.stations[N / 2].net_force, P, P * tolerance);

  ASSERT_EQ(t.node_reactions.size(), 2u);
  EXPECT_EQ(t.node_reactions[0].force, t.stations[0].net_force);
  EXPECT_EQ(t.node_reactions[1].force, t.stations[N].net_force);
  EXPECT_NEAR(t.node_reactions[0].force, -P / 2.0, P * tolerance);
  EXPECT_NEAR(t.node_reactions[1].force, -P / 2.0, P * tolerance);
}

// Walls with an end held against rotation, solved by the difference
// equation: a cantilever of length L = N*h with P at its free end and a
// fixed-guided member with H at its guided end.  Statics: the clamp carries
// P*L and the reaction -P; the guided end takes no force, so its net force is
// its load H, and the clamp of the fixed-guided member the reaction -H.
TEST(ResultsValues, EndsHeldAgainstRotationMomentsAndReactions) {
  const int N = 10;
  const double h = 0.5;
  const double L = N * h;
  const double P = 3.0;
  const double tolerance = 1e-9;  // relative, round-off of the elimination
  struct Case {
    const char* name;
    std::vector<SpecifiedPoint> points;
    int load_station;
    int clamp_station;
  };
  const Case cases[] = {{"clamped bottom", {{N, 3, 0.0, 0.0}}, 0, N},
                        {"clamped top", {{0, 3, 0.0, 0.0}}, N, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResultsContext r(N, h, UnitSystem::si);
    WallModel& wall = r.context.problem.wall;
    wall.EI.fill(0, N, 2.0e4);
    wall.Q[c.load_station] = P;
    wall.specified_points = c.points;
    ASSERT_FALSE(set_condition_codes(wall).has_value());
    copy_to_working_arrays(wall);
    clear_deflections(wall);
    solve_deflections(wall, 1e-12, 1e30);
    extrapolate_end_deflections(wall);
    r.write();
    ASSERT_TRUE(r.context.problem.results.has_value());
    const ResultsTable& t = *r.context.problem.results;
    const std::size_t clamp = static_cast<std::size_t>(c.clamp_station);
    EXPECT_NEAR(t.stations[clamp].moment, P * L, P * L * tolerance);
    for (int I = 1; I < N; ++I) {
      const std::size_t i = static_cast<std::size_t>(I);
      EXPECT_NEAR(std::abs(t.stations[i].shear), P, P * tolerance) << I;
      EXPECT_NEAR(t.stations[i].net_force, 0.0, P * tolerance) << I;
    }
    ASSERT_EQ(t.node_reactions.size(), 1u);
    EXPECT_EQ(t.node_reactions[0].force, t.stations[clamp].net_force);
    EXPECT_NEAR(t.node_reactions[0].force, -P, P * tolerance);
  }

  ResultsContext r(N, h, UnitSystem::si);
  WallModel& wall = r.context.problem.wall;
  wall.EI.fill(0, N, 2.0e4);
  wall.Q[N] = P;
  wall.specified_points = {{0, 3, 0.0, 0.0}, {N, 2, 0.0, 0.0}};
  ASSERT_FALSE(set_condition_codes(wall).has_value());
  copy_to_working_arrays(wall);
  clear_deflections(wall);
  solve_deflections(wall, 1e-12, 1e30);
  extrapolate_end_deflections(wall);
  r.write();
  const ResultsTable& t = *r.context.problem.results;
  EXPECT_NEAR(t.stations[0].moment, P * L / 2.0, P * L * tolerance);
  EXPECT_NEAR(t.stations[N].moment, -P * L / 2.0, P * L * tolerance);
  ASSERT_EQ(t.node_reactions.size(), 2u);
  EXPECT_NEAR(t.node_reactions[0].force, -P, P * tolerance);
  EXPECT_NEAR(t.node_reactions[1].force, P, P * tolerance);
}

TEST(ResultsValues, CoupleAtAClampIsTheClampsAndCorrectsNothing) {
  // The couple record at a clamped station changes neither the solution nor
  // the shears and net forces derived from it.
  const int N = 10;
  const double h = 0.5;
  const double T = 40.0;
  ResultsContext plain(N, h, UnitSystem::si);
  ResultsContext loaded(N, h, UnitSystem::si);
  for (ResultsContext* r : {&plain, &loaded}) {
    WallModel& wall = r->context.problem.wall;
    wall.EI.fill(0, N, 2.0e4);
    wall.Q[0] = 3.0;
    wall.specified_points = {{N, 3, 0.0, 0.0}};
  }
  loaded.context.problem.wall.T[N] = T;
  loaded.context.problem.tables.couples.push_back(CoupleRecord{N, T / (2.0 * h)});
  for (ResultsContext* r : {&plain, &loaded}) {
    WallModel& wall = r->context.problem.wall;
    ASSERT_FALSE(set_condition_codes(wall).has_value());
    copy_to_working_arrays(wall);
    clear_deflections(wall);
    solve_deflections(wall, 1e-12, 1e30);
    extrapolate_end_deflections(wall);
    r->write();
  }
  const ResultsTable& a = *plain.context.problem.results;
  const ResultsTable& b = *loaded.context.problem.results;
  const double tolerance = 1e-9 * 3.0 * N * h;  // of the clamp moment
  for (int I = 0; I <= N + 1; ++I) {
    const std::size_t i = static_cast<std::size_t>(I);
    EXPECT_NEAR(b.stations[i].moment, a.stations[i].moment, tolerance) << I;
    EXPECT_NEAR(b.stations[i].shear, a.stations[i].shear, tolerance) << I;
    EXPECT_NEAR(b.stations[i].net_force, a.stations[i].net_force, tolerance) << I;
  }
  EXPECT_NEAR(b.node_reactions[0].force, a.node_reactions[0].force, tolerance);
}

// --- Restraint, tie-back and node-reaction tables -------------------------

TEST(ResultsTables, RestraintRowsPerStationOfEachSpringRecord) {
  ResultsContext r(4, 10.0, UnitSystem::english);
  r.parabolic_deflections(1.0e6);
  r.context.problem.tables.springs = {{2, 3, 100.0, 50.0}, {4, 3, 9.0, 9.0}};  // second is reversed
  r.write();
  const ResultsTable& t = *r.context.problem.results;
  ASSERT_EQ(t.restraints.size(), 2u);
  EXPECT_EQ(t.restraints[1].station, 3);
  EXPECT_DOUBLE_EQ(t.restraints[1].force, 100.0 * 9.0 / 64.0);
  EXPECT_DOUBLE_EQ(t.restraints[1].moment, 50.0 * (16.0 - 4.0) / 64.0 / 20.0);

  const std::string text = r.report.str();
  const std::string head =
      "\n\n     LATERAL AND ROTATIONAL RESTRAINT RESULTS\n"
      "     ----------------------------------------\n\n"
      "     STA         X             FORCE           MOMENT\n"
      "                FT              LBS           LBS- IN\n"
      "    -----    ---------       ---------       ---------\n";
  const std::size_t at = text.find(head);
  ASSERT_NE(at, std::string::npos) << text;
  // Station 2: w = 4/64, slope = 8/64/20.
  EXPECT_EQ(text.substr(at + head.size()),
            "       2     1.667E+00       6.2500E+00       3.1250E-01\n"
            "       3     2.500E+00       1.4062E+01       4.6875E-01\n");
}

TEST(ResultsTables, TiebackForcesAlongTheAnchorAndPerTieback) {
  const double tolerance = 1e-12;
  const double angle = 15.0;
  const double cosine = std::cos(double(3.1416f) * angle / 180.0);
  for (UnitSystem units : {UnitSystem::english, UnitSystem::si}) {
    ResultsContext r(20, 12.0, units);
    r.context.problem.geometry.width = 4.0;
    r.context.problem.wall.w[10] = 0.5;
    TieBack tieback;
    tieback.depth = 10.0;
    tieback.station = 10;
    tieback.angle = angle;
    tieback.spacing = 8.0;
    tieback.Q = -500.0;
    tieback.S = 200.0;
    r.context.problem.tables.tiebacks = {tieback};
    r.write();
    ASSERT_EQ(r.context.problem.results->tiebacks.size(), 1u);
    const TiebackResult& t = r.context.problem.results->tiebacks[0];
    const double per_tieback = (units == UnitSystem::english ? 12.0 : 1.0) * 8.0 / 4.0;
    EXPECT_NEAR(t.horizontal_force, -600.0, 600.0 * tolerance);
    EXPECT_NEAR(t.force, -600.0 / cosine, 600.0 * tolerance);
    EXPECT_NEAR(t.force_per_tieback, -600.0 / cosine * per_tieback, 1e4 * tolerance);
  }
}

TEST(ResultsTables, TiebackTableLayout) {
  ResultsContext r(20, 12.0, UnitSystem::english);
  r.context.problem.geometry.width = 12.0;
  r.context.problem.wall.w[10] = 0.5;
  TieBack tieback;
  tieback.depth = 10.0;
  tieback.station = 10;
  tieback.spacing = 8.0;
  tieback.Q = -500.0;
  tieback.S = 200.0;
  r.context.problem.tables.tiebacks = {tieback};
  r.write();
  const std::string text = r.report.str();
  const std::string head =
      "\n\n     TIE BACK RESULTS\n     ----------------\n\n"
      "     N     STA         X        HOR.FORCE/STA.     FORCE/STA.     FORCE/TIE BACK\n"
      "                      FT            LBS               LBS               LBS\n"
      "   -----  -----    --------     --------------   --------------   --------------\n";
  const std::size_t at = text.find(head);
  ASSERT_NE(at, std::string::npos) << text;
  // -500 - 200*0.5; angle 0; per tie-back 12*8/12 times the force.
  EXPECT_EQ(text.substr(at + head.size()),
            "     1     10     1.000E+01      -6.0000E+02      -6.0000E+02      -4.8000E+03\n");
}

TEST(ResultsTables, NodeReactionLayoutAndEqualityWithNetForce) {
  ResultsContext r(4, 0.5, UnitSystem::si);
  r.parabolic_deflections(100.0);
  r.context.problem.wall.specified_points = {{0, 1, 0.0, 0.0}, {3, 2, 0.0, 0.01}};
  r.write();
  const ResultsTable& t = *r.context.problem.results;
  ASSERT_EQ(t.node_reactions.size(), 2u);
  EXPECT_EQ(t.node_reactions[0].force, t.stations[0].net_force);
  EXPECT_EQ(t.node_reactions[1].force, t.stations[3].net_force);
  // Station 0: M(0) = 100 * (2/64) / 0.25 = 12.5, M(-1) = 0, M(1) = 12.5,
  // so the net force is (0 - 25 + 12.5) / 0.5 = -25.
  const std::string text = r.report.str();
  const std::string head =
      "\n\n     NODE REACTIONS\n     --------------\n\n"
      "     N     STA         X            FORCE    \n"
      "                       M             KN\n"
      "   -----  -----    --------    --------------\n"
      "     1      0     0.000E+00      -2.5000E+01\n";
  EXPECT_NE(text.find(head), std::string::npos) << text;
}

}  // namespace
}  // namespace kestro
