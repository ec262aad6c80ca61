#include "soil/py_multipliers.h"

#include <cmath>
#include <string>

#include "common/run_stop.h"
#include "input/deck_source.h"

namespace kestro {

namespace {

constexpr double kSpacingCoefficient = double(0.5292f);
constexpr double kSpacingExponent = double(0.5659f);
constexpr double kSpacedFrom = double(1.1f);
constexpr double kSpacedUpTo = double(3.1f);

// The table factor chosen by `pick` at depth x, or nothing outside the table.
// A depth equal to a repeated table depth takes the later row.
template <typename Pick>
bool table_factor(const std::vector<ReductionFactor>& rows, double x, Pick pick, double& factor) {
  if (rows.empty() || x < rows.front().depth || x > rows.back().depth) return false;
  for (std::size_t i = rows.size(); i-- > 0;) {
    if (rows[i].depth == x) {
      factor = pick(rows[i]);
      return true;
    }
  }
  for (std::size_t i = 1; i < rows.size(); ++i) {
    const ReductionFactor& upper = rows[i - 1];
    const ReductionFactor& lower = rows[i];
    if (x > upper.depth && x < lower.depth) {
      const double t = (x - upper.depth) / (lower.depth - upper.depth);
      factor = pick(upper) + (pick(lower) - pick(upper)) * t;
      return true;
    }
  }
  return false;
}

}  // namespace

ReductionFactors read_reduction_factors(DeckSource& input, int count) {
  ReductionFactors factors;
  input.take("py_factors/combination");
  const deck::PyFactors given = input.problem().py_factors.value_or(deck::PyFactors{});
  factors.combination = static_cast<int>(given.combination);
  if (count > kMaxReductionFactors) {
    stop_error(ErrorStop::too_much_data, place_of(input),
               "more than " + std::to_string(kMaxReductionFactors) +
                   " p-y modification factors: " + std::to_string(count));
  }
  for (int i = 0; i < count; ++i) {
    input.take("py_factors/rows/" + std::to_string(i) + "/y_factor");
    const deck::FactorRow& record = given.rows[static_cast<std::size_t>(i)];
    ReductionFactor row;
    row.depth = record.depth;
    row.p_factor = record.p_factor;
    row.y_factor = record.y_factor;
    const std::string name = "p-y modification factor " + std::to_string(i + 1);
    if (!factors.rows.empty() && row.depth < factors.rows.back().depth) {
      stop_bad_record(input, 0, name + ": the depths must not decrease");
    }
    if (!(row.p_factor >= 0.0)) {
      stop_bad_record(input, 0, name + ": the p-factor must not be negative");
    }
    if (!(row.y_factor > 0.0)) {
      stop_bad_record(input, 0,
                      name +
                          ": the y-factor must be positive, or the deflections of the "
                          "curves would not increase");
    }
    factors.rows.push_back(row);
  }
  return factors;
}

double spacing_ratio(double WA, double WP) {
  const double ratio = WA / WP;
  return ratio < 1.0 ? 1.0 : ratio;
}

double spacing_factor(const MultiplierInputs& inputs, double x) {
  const double ratio = inputs.WA / inputs.WP;
  if (ratio >= kSpacedFrom && ratio < kSpacedUpTo && x >= inputs.H) {
    return kSpacingCoefficient * std::pow(ratio, kSpacingExponent);
  }
  return 1.0;
}

double p_multiplier(const MultiplierInputs& inputs, double x) {
  const double fs = spacing_factor(inputs, x);
  if (inputs.factors.rows.empty()) return fs;
  double ft = 1.0;
  table_factor(
      inputs.factors.rows, x, [](const ReductionFactor& r) { return r.p_factor; }, ft);
  return inputs.factors.combination == 1 ? fs * ft : ft;
}

double y_multiplier(const MultiplierInputs& inputs, double x) {
  double ym = 1.0;
  table_factor(
      inputs.factors.rows, x, [](const ReductionFactor& r) { return r.y_factor; }, ym);
  return ym;
}

}  // namespace kestro
