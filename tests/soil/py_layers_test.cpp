// Generated p-y curves through whole runs, where layering must not change
// the answer: a layer split in two continues as one (for every soil type and
// both loadings), thin layers give curves, a station between layers gets one
// spring, denser curves converge to an independent finite-element solution,
// curves are never used beyond their ultimate resistance, the soil of either
// side gives mirrored answers, and user curves mix with generated ones.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "kestro/kestro.hpp"

namespace kestro {
namespace {

// A soil layer: its type, the depth of its bottom below the top of the wall
// and its six values at its top and bottom (unit weight, S, PHI, E50, KPY,
// the sixth value).
struct Layer {
  int type = 1;
  double bottom = 0.0;
  std::array<double, 6> top{};
  std::array<double, 6> base{};
};

// Homogeneous values of each soil type in SI units (kN, m): effective unit
// weight 8 kN/m3 (no water), soft and stiff clays of 50 kPa, sand of 35
// degrees, silt of 10 kPa and 30 degrees, rock and weak rock of 5 MPa.
std::array<double, 6> soil_values(int type) {
  switch (type) {
    case 1:
      return {8.0, 50.0, 0.0, 0.01, 0.0, 0.0};
    case 2:
      return {8.0, 50.0, 0.0, 0.007, 135000.0, 0.0};
    case 3:
      return {8.0, 50.0, 0.0, 0.005, 0.0, 0.0};
    case 4:
      return {8.0, 0.0, 35.0, 0.0, 20000.0, 0.0};
    case 5:
      return {8.0, 10.0, 30.0, 0.0, 20000.0, 0.0};
    case 6:
      return {20.0, 5000.0, 0.0, 0.0, 0.0, 0.0};
    default:
      return {20.0, 5000.0, 0.0, 0.0005, 500000.0, 50.0};
  }
}

Layer layer(int type, double bottom) {
  return Layer{type, bottom, soil_values(type), soil_values(type)};
}

// A pile (or a wall) in SI units with generated p-y curves and no earth
// pressure, loaded by a force at its head.
struct Pile {
  int N = 120;
  double h = 0.1;
  double HFREE = 0.0;
  double b = 0.6;
  double spacing = 6.0;  // WA: spaced elements, no reduction
  double I = 6.36e9;     // mm4; with E = 3.0E7 kPa, EI = 1.908E5 kN-m2
  double load = 100.0;
  bool cyclic = false;
  double tolerance = 1.0e-7;
  std::vector<Layer> layers;
  std::vector<std::string> user_curves;  // records of user curves given with generated ones
  int user_curve_count = 0;              // the curves those records hold

  std::string deck() const {
    std::ostringstream d;
    d.precision(12);
    const double length = N * h;
    d << "PILE IN LAYERED SOIL\n"
      << "2 0 1 1 0 0 2 " << user_curve_count << " 1 0 0 0\n"
      << N << ' ' << h << " 10.0 " << tolerance << ' ' << HFREE << ' ' << b << ' ' << length
      << " 500 0 0\n"
      << "0.0 " << length << " 1\n"
      << "0 0 0 0\n'PILE'\n"
      << b * 1000.0 << " 0 0 0 0 0 0 0\n0 0 0 " << I << " 0 0 0 0 3.0E7 0 0 0\n0 0 0 0 0\n'PILE'\n"
      << "0 0\n"
      << "1\n1 0 0 " << load << " 0 0\n0\n"
      << HFREE << ' ' << spacing << ' ' << b << " 1000.0 1000.0 1.0 1 0.0 0.0\n"
      << "0 0 0 0 0 0\n0\n"
      << layers.size() << (cyclic ? " 0 " : " 1 ") << "0.0\n";
    for (const Layer& l : layers) {
      d << l.type << ' ' << l.bottom << '\n';
      for (const auto& values : {l.top, l.base}) {
        for (double v : values)
          d << v << ' ';
        d << '\n';
      }
    }
    for (const std::string& record : user_curves)
      d << record << '\n';
    d << "0\n";
    return d.str();
  }

  MemoryRunResult run() const {
    MemoryRunInput input;
    input.deck = deck();
    return run_in_memory(input, [] { return LocalTime{}; });
  }
};

// The values of the only problem of a run that solved it.
const ProblemResult& solved(const MemoryRunResult& run) {
  EXPECT_EQ(run.outcome, Outcome::completed) << run.message;
  EXPECT_EQ(run.problems.size(), 1u);
  EXPECT_TRUE(run.problems.at(0).results.has_value()) << solution_warning(run.problems.at(0));
  return run.problems.at(0);
}

// The generated curves of a p-y curve file by depth below the top of the
// wall: 34 points (p, y), the excavation half then the backfill half.
using CurvesByDepth = std::map<double, std::vector<std::pair<double, double>>>;
CurvesByDepth curves_of(const std::string& file) {
  CurvesByDepth curves;
  std::istringstream in(file);
  std::string line;
  std::getline(in, line);  // the count
  while (std::getline(in, line)) {
    double depth = 0.0;
    int points = 0;
    if (std::sscanf(line.c_str(), "%lf %d", &depth, &points) != 2 || points != 34) continue;
    auto& curve = curves[depth];
    for (int k = 0; k < points && std::getline(in, line); ++k) {
      int number = 0;
      double p = 0.0, y = 0.0;
      std::sscanf(line.c_str(), "%d %lf %lf", &number, &p, &y);
      curve.emplace_back(p, y);
    }
  }
  return curves;
}

// The curve at a depth (to a micrometre).
CurvesByDepth::const_iterator near(const CurvesByDepth& curves, double depth) {
  const auto at = curves.lower_bound(depth - 1e-6);
  return at != curves.end() && at->first <= depth + 1e-6 ? at : curves.end();
}

// Largest difference of two curves' p (and y), relative to the largest |p|
// (and |y|) of the reference.
double curve_difference(const std::vector<std::pair<double, double>>& curve,
                        const std::vector<std::pair<double, double>>& reference) {
  double dp = 0.0, dy = 0.0, pu = 0.0, yu = 0.0;
  for (std::size_t k = 0; k < reference.size(); ++k) {
    dp = std::max(dp, std::abs(curve[k].first - reference[k].first));
    dy = std::max(dy, std::abs(curve[k].second - reference[k].second));
    pu = std::max(pu, std::abs(reference[k].first));
    yu = std::max(yu, std::abs(reference[k].second));
  }
  return std::max(pu > 0.0 ? dp / pu : dp, yu > 0.0 ? dy / yu : dy);
}

TEST(SplitLayers, ALayerSplitInTwoGivesTheSameCurvesBelowTheCut) {
  // A 1.5 m wide pile in 12 m of one soil, and the same soil cut at 2 m
  // (above the depths where the clay wedge reaches 9cb, 12.2 m here, and
  // where the sand's wedge meets its flow and A stops changing), at 6 m and
  // at 10 m (below the sand's).  The curves at depths both profiles have
  // (the bottom of the soil, and 9 m with the cut at 6 m) agree within 2 % of
  // their ultimate resistance and largest deflection.
  for (int type = 1; type <= 7; ++type) {
    for (const bool cyclic : {false, true}) {
      Pile whole;
      whole.b = 1.5;
      whole.spacing = 15.0;
      whole.load = 10.0;
      whole.cyclic = cyclic;
      whole.layers = {layer(type, 12.0)};
      const CurvesByDepth reference = curves_of(whole.run().py_curves);
      ASSERT_EQ(reference.size(), 5u) << type;
      for (const double cut : {2.0, 6.0, 10.0}) {
        Pile split = whole;
        split.layers = {layer(type, cut), layer(type, 12.0)};
        const CurvesByDepth curves = curves_of(split.run().py_curves);
        int compared = 0;
        for (const auto& [depth, curve] : curves) {
          const auto match = near(reference, depth);
          if (depth < cut || match == reference.end()) continue;
          EXPECT_LT(curve_difference(curve, match->second), 0.02)
              << "type " << type << (cyclic ? " cyclic" : " static") << ", cut at " << cut
              << ", depth " << depth;
          ++compared;
        }
        EXPECT_GE(compared, cut == 6.0 ? 2 : 1) << type;
      }
    }
  }
}

TEST(SplitLayers, AStrengthGrowingWithDepthContinuesAcrossTheCut) {
  // Soft clay with c = 20 + 6z kPa, whole and cut at 6 m.
  Pile whole;
  whole.b = 1.5;
  whole.spacing = 15.0;
  Layer clay = layer(1, 12.0);
  clay.top[1] = 20.0;
  clay.base[1] = 92.0;
  whole.layers = {clay};
  const CurvesByDepth reference = curves_of(whole.run().py_curves);
  Pile split = whole;
  Layer upper = clay, lower = clay;
  upper.bottom = 6.0;
  upper.base[1] = lower.top[1] = 56.0;
  split.layers = {upper, lower};
  const MemoryRunResult run = split.run();
  ASSERT_EQ(run.outcome, Outcome::completed) << run.message;
  const CurvesByDepth curves = curves_of(run.py_curves);
  for (const double depth : {9.0, 11.99}) {
    const auto curve = near(curves, depth);
    const auto expected = near(reference, depth);
    ASSERT_TRUE(curve != curves.end() && expected != reference.end()) << depth;
    EXPECT_LT(curve_difference(curve->second, expected->second), 0.02) << depth;
  }
}

TEST(ThinLayers, EverySoilTypeGivesCurvesAtTheExcavationAndBetweenLayers) {
  // A layer 1 mm to 5 cm thick of each soil type, its values changing from
  // its top to its bottom, just below an excavation at 2 m and between two
  // layers of soft clay at 5 m, each at a station and 4.5 cm further down
  // (where the curves 1 cm inside the layer would round to stations on
  // either side of 50.5).  Each deck runs to a solution.
  for (int type = 1; type <= 7; ++type) {
    Layer thin = layer(type, 0.0);
    for (const int value : {1, 2, 3, 4, 5})
      thin.base[std::size_t(value)] *= 1.5;
    thin.base[5] = std::min(thin.base[5], 100.0);  // the RQD of weak rock
    for (const double thickness : {0.001, 0.004, 0.01, 0.05}) {
      for (const double shift : {0.0, 0.045}) {
        Pile at_excavation;
        at_excavation.HFREE = 2.0 + shift;
        at_excavation.load = 20.0;
        thin.bottom = at_excavation.HFREE + thickness;
        at_excavation.layers = {thin, layer(1, 12.0)};
        Pile between = at_excavation;
        between.HFREE = 2.0;
        Layer above = layer(1, 5.0 + shift);
        thin.bottom = above.bottom + thickness;
        between.layers = {above, thin, layer(1, 12.0)};
        for (const Pile& pile : {at_excavation, between}) {
          const MemoryRunResult run = pile.run();
          const std::string where = "type " + std::to_string(type) + ", " +
                                    std::to_string(thickness) + " m above " +
                                    std::to_string(pile.layers.back().bottom - 12.0 +
                                                   pile.layers[pile.layers.size() - 2].bottom);
          EXPECT_EQ(run.outcome, Outcome::completed) << where << ": " << run.message;
          ASSERT_FALSE(run.problems.empty());
          EXPECT_TRUE(run.problems[0].results.has_value())
              << where << ": " << solution_warning(run.problems[0]);
        }
      }
    }
  }
}

// The 20 m pile of 0.6 m in soft clay with c = 20 + 2z kPa, E50 0.01,
// 8 kN/m3, 100 kN at its head, 400 increments, cut into `count` layers.
Pile clay_pile(int count, double load = 100.0, bool cyclic = false) {
  Pile pile;
  pile.N = 400;
  pile.h = 0.05;
  pile.load = load;
  pile.cyclic = cyclic;
  for (int k = 0; k < count; ++k) {
    const double top = 20.0 * k / count;
    Layer l = layer(1, 20.0 * (k + 1) / count);
    l.top[1] = 20.0 + 2.0 * top;
    l.base[1] = 20.0 + 2.0 * l.bottom;
    pile.layers.push_back(l);
  }
  return pile;
}

// An independent solution of the same pile: cubic beam finite elements of
// 5 cm with the static soft-clay curve of 17 points at every node (its local
// c and depth, the ultimate resistance held beyond the last point), solved
// by secant iteration on a banded system.
double finite_element_head_deflection(double EI, double load) {
  const int elements = 400;
  const int nodes = elements + 1;
  const double L = 20.0, h = L / elements, b = 0.6, gamma = 8.0, e50 = 0.01;
  const std::array<double, 17> fractions = {0.0,  0.00025, 0.0025, 0.0075, 0.02, 0.04,
                                            0.06, 0.1,     0.15,   0.225,  0.3,  0.4,
                                            0.5,  0.65,    0.8,    1.0,    1.2};
  const double y50 = 2.5 * e50 * b;
  const auto resistance = [&](int node, double y) {
    const double z = node * h, c = 20.0 + 2.0 * z;
    const double pu = std::min(3.0 + gamma * z / c + 0.5 * z / b, 9.0) * c * b;
    const double a = std::abs(y);
    double p = pu;
    for (std::size_t k = 1; k < fractions.size(); ++k) {
      const double y1 = 8.0 * y50 * fractions[k - 1], y2 = 8.0 * y50 * fractions[k];
      if (a <= y2) {
        const auto matlock = [&](double v) { return 0.5 * pu * std::cbrt(v / y50); };
        p = matlock(y1) + (matlock(y2) - matlock(y1)) * (a - y1) / (y2 - y1);
        break;
      }
    }
    return p;  // magnitude, against the deflection
  };
  const int dofs = 2 * nodes, band = 3;
  const double k[4][4] = {{12.0, 6.0 * h, -12.0, 6.0 * h},
                          {6.0 * h, 4.0 * h * h, -6.0 * h, 2.0 * h * h},
                          {-12.0, -6.0 * h, 12.0, -6.0 * h},
                          {6.0 * h, 2.0 * h * h, -6.0 * h, 4.0 * h * h}};
  std::vector<double> w(nodes, 0.0);
  for (int iteration = 0; iteration < 200; ++iteration) {
    // Band storage: A[i][j - i + band].
    std::vector<std::array<double, 2 * band + 1>> A(dofs);
    for (auto& row : A)
      row.fill(0.0);
    for (int e = 0; e < elements; ++e) {
      for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
          A[2 * e + i][j - i + band] += EI / (h * h * h) * k[i][j];
    }
    for (int n = 0; n < nodes; ++n) {
      const double tributary = (n == 0 || n == elements) ? h / 2.0 : h;
      const double secant = std::abs(w[n]) > 1e-12 ? resistance(n, w[n]) / std::abs(w[n])
                                                   : resistance(n, 8.0 * y50 * fractions[1]) /
                                                         (8.0 * y50 * fractions[1]);
      A[2 * n][band] += secant * tributary;
    }
    std::vector<double> f(dofs, 0.0);
    f[0] = load;
    for (int i = 0; i < dofs; ++i) {  // elimination without pivoting
      for (int r = i + 1; r <= std::min(dofs - 1, i + band); ++r) {
        const double m = A[r][i - r + band] / A[i][band];
        for (int j = i; j <= std::min(dofs - 1, i + band); ++j)
          A[r][j - r + band] -= m * A[i][j - i + band];
        f[r] -= m * f[i];
      }
    }
    std::vector<double> u(dofs, 0.0);
    for (int i = dofs - 1; i >= 0; --i) {
      double sum = f[i];
      for (int j = i + 1; j <= std::min(dofs - 1, i + band); ++j)
        sum -= A[i][j - i + band] * u[j];
      u[i] = sum / A[i][band];
    }
    double change = 0.0;
    for (int n = 0; n < nodes; ++n) {
      change = std::max(change, std::abs(u[2 * n] - w[n]));
      w[n] = u[2 * n];
    }
    if (change < 1e-11) break;
  }
  return w[0];
}

TEST(DenseCurves, LayeredPileConvergesToAnIndependentSolution) {
  // The same pile cut into 10 and into 20 layers (50 and 100 curves) agrees
  // within 2 %, and within 3 % of the finite elements.
  const MemoryRunResult ten_layers = clay_pile(10).run();
  const MemoryRunResult twenty_layers = clay_pile(20).run();
  const double ten = solved(ten_layers).results->stations[0].deflection;
  const double twenty = solved(twenty_layers).results->stations[0].deflection;
  const double reference = finite_element_head_deflection(1.908e5, 100.0);
  EXPECT_NEAR(ten, twenty, 0.02 * std::abs(twenty));
  EXPECT_NEAR(ten, reference, 0.03 * std::abs(reference));
  EXPECT_NEAR(twenty, reference, 0.03 * std::abs(reference));
}

TEST(LayerBoundaries, AStationBetweenTwoLayersGetsOneSpring) {
  // The curves 1 cm either side of each boundary of the 10-layer pile fall
  // on one station (every 2 m = 40 increments).  Its soil reaction lies
  // between those of its neighbours, not at twice their size.
  const MemoryRunResult run = clay_pile(10).run();
  const ProblemResult& pile = solved(run);
  const std::vector<StationResult>& s = pile.results->stations;
  for (int station = 40; station < 400; station += 40) {
    const double p = s[station].soil_reaction;
    const double above = s[station - 1].soil_reaction, below = s[station + 1].soil_reaction;
    EXPECT_LE(std::abs(p), std::max(std::abs(above), std::abs(below)) * 1.001 + 1e-9)
        << "station " << station << ": " << above << " " << p << " " << below;
  }
}

TEST(CurveEnds, SoilNeverPullsAndNeverPassesItsUltimate) {
  // Cyclic soft clay ends on its falling branch and falls on to its
  // residual; weak rock rises to pur.  Under large loads every station's
  // soil resists its deflection, and no curve is taken beyond its side's
  // largest resistance.
  Pile weak_rock;
  weak_rock.load = 4000.0;
  weak_rock.layers = {layer(7, 12.0)};
  for (const Pile& pile : {clay_pile(10, 300.0, true), weak_rock}) {
    const MemoryRunResult run = pile.run();
    const ProblemResult& p = solved(run);
    for (const StationResult& s : p.results->stations)
      EXPECT_LE(s.soil_reaction * s.deflection, 0.0) << "X = " << s.X;
    for (const CurveResult& c : p.curves)
      EXPECT_LE(c.mobilised, 1.0 + 1e-12) << "station " << c.station;
  }
}

TEST(Symmetry, ALoadAndItsOppositeGiveMirroredResultsOnEverySoil) {
  // With the excavation at the top of the wall both sides have the same
  // soil: the results of -P mirror those of +P, and no load moves nothing.
  for (int type = 1; type <= 7; ++type) {
    Pile push;
    push.load = type >= 6 ? 2000.0 : 50.0;
    push.layers = {layer(type, 12.0)};
    Pile pull = push, none = push;
    pull.load = -push.load;
    none.load = 0.0;
    const MemoryRunResult runs[] = {push.run(), pull.run(), none.run()};
    const ProblemResult& a = solved(runs[0]);
    const ProblemResult& b = solved(runs[1]);
    const ProblemResult& zero = solved(runs[2]);
    for (std::size_t k = 0; k < a.results->stations.size(); ++k) {
      const StationResult& p = a.results->stations[k];
      const StationResult& q = b.results->stations[k];
      EXPECT_NEAR(p.deflection, -q.deflection, 1e-9 * std::abs(a.results->stations[0].deflection))
          << "type " << type << ", station " << k;
      EXPECT_NEAR(p.moment, -q.moment, 1e-9 * push.load * 12.0) << "type " << type;
      EXPECT_EQ(zero.results->stations[k].deflection, 0.0) << "type " << type;
      EXPECT_EQ(zero.results->stations[k].moment, 0.0) << "type " << type;
    }
  }
}

TEST(RandomPiles, SolvedPilesBalanceAndMirror) {
  // Piles in one to six random layers of random soil types, loaded at the
  // head both ways.  Every valid solution balances its forces, and the
  // solution of -P mirrors that of +P (both sides of a pile with no
  // excavation have the same soil).
  std::mt19937 random(20261209);
  const auto uniform = [&](double lo, double hi) {
    return std::uniform_real_distribution<double>(lo, hi)(random);
  };
  int solved_count = 0;
  const int piles = 40;
  for (int k = 0; k < piles; ++k) {
    Pile push;
    push.N = 120;
    push.h = 0.1;
    push.b = uniform(0.3, 1.2);
    push.spacing = 5.0 * push.b;
    push.I = uniform(1.0e9, 3.0e10);
    push.cyclic = random() % 2 == 0;
    push.tolerance = 1.0e-10;
    const int count = 1 + static_cast<int>(random() % 6);
    double bottom = 0.0;
    for (int j = 0; j < count; ++j) {
      bottom = j + 1 == count ? 12.0 : bottom + uniform(0.2, 12.0 - bottom) / 2.0;
      Layer l = layer(1 + static_cast<int>(random() % 7), bottom);
      for (double& value : l.top)
        value *= uniform(0.7, 1.3);
      l.base = l.top;
      l.base[5] = l.top[5] = std::min(l.top[5], 100.0);  // the RQD of weak rock
      push.layers.push_back(l);
    }
    push.load = uniform(10.0, 200.0);
    Pile pull = push;
    pull.load = -push.load;
    const MemoryRunResult a = push.run();
    const MemoryRunResult b = pull.run();
    ASSERT_EQ(a.outcome, Outcome::completed) << a.message;
    if (!a.problems[0].results || !b.problems[0].results) continue;
    ++solved_count;
    EXPECT_LT(a.problems[0].force_residual, 1e-8) << "pile " << k;
    EXPECT_LT(b.problems[0].force_residual, 1e-8) << "pile " << k;
    const std::vector<StationResult>& p = a.problems[0].results->stations;
    const std::vector<StationResult>& q = b.problems[0].results->stations;
    const double scale = std::abs(p[0].deflection);
    for (std::size_t j = 0; j < p.size(); ++j) {
      EXPECT_NEAR(p[j].deflection, -q[j].deflection, 1e-6 * scale) << "pile " << k << " " << j;
    }
  }
  EXPECT_GE(solved_count, piles * 3 / 4);
}

TEST(UserCurvesAmongGenerated, CurvesBelowTheFirstGeneratedOneJoinTheChain) {
  // Generated curves from the excavation at 2 m (station 20); a measured
  // curve at station 30 below it, and one at station 25 between generated
  // ones, give a solution; the user curves act at their stations.
  Pile pile;
  pile.HFREE = 2.0;
  pile.load = 20.0;
  pile.layers = {layer(4, 12.0)};
  pile.user_curves = {"30 3 1.0 1.0", "0.0 0.0", "0.01 -400.0", "0.1 -500.0",
                      "25 3 1.0 1.0", "0.0 0.0", "0.01 -300.0", "0.1 -400.0"};
  pile.user_curve_count = 2;
  const MemoryRunResult run = pile.run();
  const ProblemResult& p = solved(run);
  std::vector<int> stations;
  for (const CurveResult& c : p.curves)
    stations.push_back(c.station);
  EXPECT_TRUE(std::is_sorted(stations.begin(), stations.end()));
  for (const int station : {25, 30})
    EXPECT_NE(std::find(stations.begin(), stations.end(), station), stations.end()) << station;
}

}  // namespace
}  // namespace kestro
