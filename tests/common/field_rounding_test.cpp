// The rounding a field applies to a value, against the route it replaces:
// the value written with its edit descriptor (or list-directed) and read
// back by the list-directed reader.  Both must give the same double, bit for
// bit (the sign of zero included), or both refuse: a field the reader cannot
// read (NaN, an infinity, a rounding beyond the largest double) is a value
// that is not finite.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "common/fortran_format.h"
#include "common/input_error.h"
#include "common/list_input.h"
#include "common/list_output.h"

namespace kestro {
namespace {

// The value the reader gives for a field, or std::nullopt when it refuses it.
std::optional<double> read_back(const std::string& field) {
  ListInput in("field", field);
  try {
    ListRead read = in.read();
    double value = 0.0;
    read.real(value);
    return value;
  } catch (const InputError&) {
    return std::nullopt;
  }
}

// An E field that keeps n significant digits: Ew.d under 0P (n = d) or 1P
// (n = d + 1), wide enough for any exponent.
struct Field {
  int w = 0;
  int d = 0;
  int scale = 0;
  int digits() const { return scale > 0 ? d + 1 : d; }
  std::string text(double x) const { return edit_exponent(x, w, d, 0, scale); }
};

// The engine's transient-file fields, then 1 to 17 digits in both scales.
std::vector<Field> fields() {
  std::vector<Field> all = {{10, 3, 0}, {10, 3, 1}, {12, 5, 0}};
  for (int n = 1; n <= 17; ++n) {
    all.push_back(Field{n + 9, n, 0});
    if (n > 1) all.push_back(Field{n + 9, n - 1, 1});
  }
  return all;
}

std::uint64_t bits(double x) {
  return std::bit_cast<std::uint64_t>(x);
}

// Compares the rounding of x with the round trip through the text; returns
// false (with a failure naming both) when they differ.
bool agrees(const std::string& text, double rounded, double x, const char* what) {
  const std::optional<double> back = read_back(text);
  if (!back) {
    EXPECT_FALSE(std::isfinite(rounded)) << what << ": the reader refuses \"" << text << "\" of "
                                         << x << " but the rounding gives " << rounded;
    return !std::isfinite(rounded);
  }
  EXPECT_EQ(bits(*back), bits(rounded))
      << what << " of " << std::hexfloat << x << ": \"" << text << "\" reads back as " << *back
      << ", the rounding gives " << rounded;
  return bits(*back) == bits(rounded);
}

// Values of every kind a field can meet.
class Values {
 public:
  explicit Values(std::uint64_t seed) : random_(seed) {}

  // Uniformly random bit patterns: every magnitude, subnormals, NaNs and
  // infinities included.
  double any_bits() { return std::bit_cast<double>(random_()); }

  // A random mantissa over a random decade from 1e-320 to 1e308.
  double any_decade() {
    std::uniform_real_distribution<double> mantissa(1.0, 10.0);
    std::uniform_int_distribution<int> decade(-320, 307);
    std::bernoulli_distribution negative(0.5);
    const double x = mantissa(random_) * std::pow(10.0, decade(random_));
    return negative(random_) ? -x : x;
  }

  // An exact binary value that lies on the midpoint between two decimals of
  // n significant digits: m * 2^-k with m odd has k decimals ending in 5, so
  // it is a tie at n digits when m * 5^k has n + 1 digits.
  double tie(int n) {
    std::uniform_int_distribution<int> power(1, 22);
    for (;;) {
      const int k = power(random_);
      const double five_k = std::pow(5.0, k);
      const double low = std::ceil(std::pow(10.0, n) / five_k);
      const double high = std::floor((std::pow(10.0, n + 1) - 1) / five_k);
      if (low > high || high > 0x1p53) continue;
      std::uniform_real_distribution<double> pick(low, high);
      const double m = std::floor(pick(random_));
      if (std::fmod(m, 2.0) == 0.0) continue;
      return std::ldexp(m, -k);
    }
  }

  std::mt19937_64& random() { return random_; }

 private:
  std::mt19937_64 random_;
};

// The edge values: zeros, the ends of the double range, powers of ten and
// the values just beside them, where the rounding carries into a new decade.
std::vector<double> edge_values() {
  std::vector<double> v = {0.0,
                           -0.0,
                           std::numeric_limits<double>::quiet_NaN(),
                           std::numeric_limits<double>::infinity(),
                           -std::numeric_limits<double>::infinity(),
                           std::numeric_limits<double>::max(),
                           std::numeric_limits<double>::min(),
                           std::numeric_limits<double>::denorm_min(),
                           9.9995e307,
                           9.9994999e307,
                           1.797e308,
                           1.7975e308,
                           0.5,
                           1.0625,
                           2.5,
                           0.0625,
                           9.9995,
                           9.99949999,
                           0.99995,
                           999.95};
  for (int e = -323; e <= 308; ++e) {
    const double p = std::pow(10.0, e);
    v.push_back(p);
    v.push_back(std::nextafter(p, 0.0));
    v.push_back(std::nextafter(p, std::numeric_limits<double>::infinity()));
    for (const double m : {9.5, 9.95, 9.995, 9.9995, 9.99995, 1.5, 1.25, 1.0005})
      v.push_back(m * p);
  }
  const std::size_t count = v.size();
  for (std::size_t i = 0; i < count; ++i)
    v.push_back(-v[i]);
  return v;
}

TEST(FieldRounding, TheTransientFilesFieldsAtTheEdges) {
  for (const Field& f : fields()) {
    int failures = 0;
    for (const double x : edge_values()) {
      if (!agrees(f.text(x), round_to_significant(x, f.digits()), x, "E field") &&
          ++failures > 10) {
        FAIL() << "E" << f.w << "." << f.d << " scale " << f.scale;
      }
    }
  }
}

TEST(FieldRounding, FourThreeAndFiveDigitsOfRandomValues) {
  // The fields the engine hands over: 1PE10.3 (four digits), E10.3 (three)
  // and E12.5 (five).
  Values values(20240305);
  for (const Field f : {Field{10, 3, 1}, Field{10, 3, 0}, Field{12, 5, 0}}) {
    int failures = 0;
    for (int i = 0; i < 60000 && failures <= 10; ++i) {
      const double x = i % 2 == 0 ? values.any_bits() : values.any_decade();
      if (!agrees(f.text(x), round_to_significant(x, f.digits()), x, "random")) ++failures;
    }
  }
}

TEST(FieldRounding, ExactTiesGoToEvenAndTheirNeighboursDoNot) {
  Values values(7);
  for (const Field& f : fields()) {
    const int n = f.digits();
    int failures = 0;
    for (int i = 0; i < 1500 && failures <= 10; ++i) {
      const double tie = values.tie(n);
      const double below = std::nextafter(tie, 0.0);
      const double above = std::nextafter(tie, 1e300);
      // A true tie: its two neighbours round to different decimals.
      EXPECT_NE(f.text(below), f.text(above)) << std::hexfloat << tie;
      for (const double x : {tie, -tie, below, above}) {
        if (!agrees(f.text(x), round_to_significant(x, n), x, "tie")) ++failures;
      }
    }
  }
  // Hand values: 1.0625 to four digits is 1.062, 1.0635 (not exact in
  // binary, just above) is 1.064, 2.5 to one digit is 2.
  EXPECT_EQ(round_to_significant(1.0625, 4), 1.062);
  EXPECT_EQ(round_to_significant(0.0625, 2), 0.062);
  EXPECT_EQ(round_to_significant(2.5, 1), 2.0);
  EXPECT_EQ(round_to_significant(3.5, 1), 4.0);
}

TEST(FieldRounding, RandomValuesAtEveryDigitCount) {
  Values values(99);
  for (const Field& f : fields()) {
    int failures = 0;
    for (int i = 0; i < 4000 && failures <= 10; ++i) {
      const double x = i % 2 == 0 ? values.any_bits() : values.any_decade();
      if (!agrees(f.text(x), round_to_significant(x, f.digits()), x, "random")) ++failures;
    }
  }
}

TEST(FieldRounding, SignsZerosAndWhatDoesNotReadBack) {
  EXPECT_EQ(bits(round_to_significant(-0.0, 4)), bits(0.0));
  EXPECT_EQ(bits(round_list_directed(-0.0)), bits(0.0));
  EXPECT_EQ(round_to_significant(-123.456, 4), -123.5);
  EXPECT_EQ(round_to_significant(std::numeric_limits<double>::denorm_min(), 4),
            std::numeric_limits<double>::denorm_min());
  EXPECT_TRUE(std::isnan(round_to_significant(std::nan(""), 3)));
  // The largest double rounds to 1.798E+308, beyond the range: infinite.
  EXPECT_EQ(round_to_significant(-std::numeric_limits<double>::max(), 4),
            -std::numeric_limits<double>::infinity());
  EXPECT_FALSE(read_back(edit_exponent(std::numeric_limits<double>::max(), 10, 3, 0, 1)));
  EXPECT_THROW(round_to_significant(1.0, 0), FormatError);
  EXPECT_THROW(round_to_significant(1.0, 18), FormatError);
}

TEST(FieldRounding, ListDirectedRealsKeepFifteenOrSixteenDigits) {
  // F form between 0.1 and 10^15 (15 digits), E form outside (16 digits).
  EXPECT_EQ(round_list_directed(0.1 + 1e-17), 0.1);
  EXPECT_EQ(round_list_directed(1.0 / 3.0), 0.333333333333333);
  EXPECT_EQ(round_list_directed(1.0 / 30.0), 0.03333333333333333);
  Values values(11);
  std::vector<double> xs = edge_values();
  for (int i = 0; i < 60000; ++i)
    xs.push_back(i % 2 == 0 ? values.any_bits() : values.any_decade());
  // Around the bounds of the F form, where rounding to 15 digits decides.
  for (const double bound : {0.1, 1e15}) {
    double x = bound;
    for (int i = 0; i < 200; ++i) {
      xs.push_back(x);
      xs.push_back(-x);
      x = std::nextafter(x, 0.0);
    }
    x = bound;
    for (int i = 0; i < 200; ++i) {
      x = std::nextafter(x, 1e300);
      xs.push_back(x);
    }
    for (const double m : {0.99999999999999949, 0.9999999999999995, 0.99999999999999951})
      xs.push_back(m * bound);
  }
  int failures = 0;
  for (const double x : xs) {
    const std::string text = list_write({x});
    if (!agrees(text, round_list_directed(x), x, "list-directed") && ++failures > 10) {
      FAIL() << "too many failures";
    }
  }
}

}  // namespace
}  // namespace kestro
