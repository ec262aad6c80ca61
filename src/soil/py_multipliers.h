// The p- and y-multipliers of generated p-y curves: the reduction for closely
// spaced wall elements and the user's table of p- and y-factors by depth.
#pragma once

#include <cstddef>
#include <vector>

namespace kestro {

class DeckSource;

// Most rows the table of p-y modification factors may have.
inline constexpr int kMaxReductionFactors = 400;

// One row of the table: depth below the top of the wall (base length unit)
// and the factors applied to p and to y there.
struct ReductionFactor {
  double depth = 0.0;
  double p_factor = 1.0;
  double y_factor = 1.0;
};

// The user's p-y modification factors.  combination 1: the table factor is
// multiplied by the spacing factor; any other value: the table factor alone.
struct ReductionFactors {
  int combination = 0;
  std::vector<ReductionFactor> rows;  // in increasing depth
};

// Takes the combination-flag record and `count` rows of depth, p-factor and
// y-factor.  More than kMaxReductionFactors rows end the run with "TOO MUCH
// DATA FOR AVAILABLE STORAGE"; depths that decrease, a negative p-factor or
// a y-factor that is not positive (the deflections of a curve would no longer
// increase) are bad input naming the line.
ReductionFactors read_reduction_factors(DeckSource& input, int count);

// What the multipliers depend on: the free height H (HFREE), the widths WA
// and WP, and the table.
struct MultiplierInputs {
  double H = 0.0;
  double WA = 0.0;
  double WP = 0.0;
  ReductionFactors factors;
};

// WA/WP raised to 1 when smaller: the spacing ratio s/b of the models.  WP
// must be positive (checked when the profile is built).
double spacing_ratio(double WA, double WP);

// Spacing factor at depth x below the top of the wall: 0.5292*(s/b)^0.5659
// below the excavation surface when 1.1 <= s/b < 3.1, else 1.
double spacing_factor(const MultiplierInputs& inputs, double x);

// p-multiplier pm(x), x below the top of the wall.
double p_multiplier(const MultiplierInputs& inputs, double x);

// y-multiplier ym(x): the table's y-factor, 1 outside the table or without one.
double y_multiplier(const MultiplierInputs& inputs, double x);

}  // namespace kestro
