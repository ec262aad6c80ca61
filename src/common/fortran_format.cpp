#include "common/fortran_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <utility>

#include <fast_float/fast_float.h>
#include <fmt/format.h>

namespace kestro {

// One item of a parsed format.  A group holds its items; every other kind is
// a single edit descriptor.
struct FortranFormat::Node {
  enum class Kind {
    group,      // r(...)
    integer,    // rIw, rIw.m
    fixed,      // rFw.d
    exponent,   // rEw.d, rEw.dEe
    general,    // rGw.d, rGw.dEe
    logical,    // rLw
    text,       // rAw, rA
    skip,       // nX
    literal,    // 'text', "text", nHtext
    scale,      // kP
    slash,      // r/
    keep_open,  // \ or $
  };

  Kind kind = Kind::group;
  int repeat = 1;      // group, data descriptors and slash
  int width = 0;       // w of a data descriptor (-1: A without width), n of nX
  int digits = 0;      // d of F, E, G; m of I (-1: no .m)
  int exp_digits = 0;  // e of E, G (0: default exponent)
  int factor = 0;      // k of kP
  std::string text;    // literal
  std::vector<Node> items;
};

namespace {

using Node = FortranFormat::Node;
using Kind = Node::Kind;

// Widths, counts and repeat factors above this are taken for typing errors.
constexpr int kMaxNumber = 10000;

// ---------------------------------------------------------------------------
// Parser: format text -> tree of nodes.

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {}

  Node format() {
    skip_blanks();
    if (!accept('(')) fail("a format must begin with '('");
    Node root;
    root.items = list();
    skip_blanks();
    if (pos_ != text_.size()) fail("text after the closing ')'");
    return root;
  }

 private:
  [[noreturn]] void fail(std::string_view what) const {
    throw FormatError("bad format \"" + std::string(text_) + "\": " + std::string(what) +
                      " (column " + std::to_string(pos_ + 1) + ")");
  }

  void skip_blanks() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t'))
      ++pos_;
  }
  // The next character, letters in upper case (formats are ASCII).
  char peek() const {
    if (pos_ == text_.size()) return '\0';
    const char c = text_[pos_];
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  }
  bool accept(char c) {
    if (peek() != c) return false;
    ++pos_;
    return true;
  }
  static bool is_digit(char c) { return c >= '0' && c <= '9'; }

  // Digits at the current position, if any.
  std::optional<int> number() {
    if (!is_digit(peek())) return std::nullopt;
    int value = 0;
    while (is_digit(peek())) {
      value = value * 10 + (text_[pos_++] - '0');
      if (value > kMaxNumber) fail("number too large");
    }
    return value;
  }
  int required_number(std::string_view what) {
    skip_blanks();
    const std::optional<int> n = number();
    if (!n) fail(what);
    return *n;
  }

  // Items up to and including the ')' that closes the group.
  std::vector<Node> list() {
    std::vector<Node> nodes;
    skip_blanks();
    if (accept(')')) return nodes;
    for (;;) {
      nodes.push_back(item());
      skip_blanks();
      if (accept(')')) return nodes;
      if (pos_ == text_.size()) fail("missing ')'");
      if (accept(',')) {
        skip_blanks();
        if (peek() == ',' || peek() == ')') fail("misplaced comma");
      }
    }
  }

  Node item() {
    skip_blanks();
    const char c = peek();
    if (c == '\'' || c == '"') return literal(quoted());
    if (c == '/') return counted(Kind::slash, 1);
    if (c == '\\' || c == '$') return counted(Kind::keep_open, 1);
    if (c == '(') return group(1);
    if (c == ',') fail("misplaced comma");

    int sign = 0;
    if (c == '+' || c == '-') {
      sign = c == '-' ? -1 : 1;
      ++pos_;
      skip_blanks();
    }
    const std::optional<int> count = number();
    if (sign != 0 && !count) fail("a sign must be followed by a scale factor");
    skip_blanks();
    const char letter = peek();
    if (!count) return data(letter, 1);

    if (letter == 'P') {
      ++pos_;
      Node node;
      node.kind = Kind::scale;
      node.factor = sign < 0 ? -*count : *count;
      return node;
    }
    if (sign != 0) fail("only a scale factor may have a sign");
    if (letter == 'H') {
      ++pos_;
      return literal(hollerith(*count));
    }
    if (*count == 0) fail("a count must be positive");
    if (letter == 'X') {
      ++pos_;
      Node node;
      node.kind = Kind::skip;
      node.width = *count;
      return node;
    }
    if (letter == '/') return counted(Kind::slash, *count);
    if (letter == '(') return group(*count);
    return data(letter, *count);
  }

  Node counted(Kind kind, int repeat) {
    ++pos_;
    Node node;
    node.kind = kind;
    node.repeat = repeat;
    return node;
  }

  Node group(int repeat) {
    ++pos_;
    Node node;
    node.repeat = repeat;
    node.items = list();
    if (node.items.empty()) fail("empty group");
    return node;
  }

  static Node literal(std::string text) {
    Node node;
    node.kind = Kind::literal;
    node.text = std::move(text);
    return node;
  }

  // 'text' or "text"; a doubled quote stands for one.
  std::string quoted() {
    const char quote = text_[pos_++];
    std::string text;
    for (;;) {
      if (pos_ == text_.size()) fail("unterminated literal");
      const char c = text_[pos_++];
      if (c == quote) {
        if (pos_ == text_.size() || text_[pos_] != quote) return text;
        ++pos_;
      }
      text += c;
    }
  }

  // The n characters after H, blanks included.
  std::string hollerith(int n) {
    if (n == 0) fail("0H has no text");
    if (text_.size() - pos_ < static_cast<std::size_t>(n)) fail("Hollerith text runs past the end");
    std::string text(text_.substr(pos_, static_cast<std::size_t>(n)));
    pos_ += static_cast<std::size_t>(n);
    return text;
  }

  Node data(char letter, int repeat) {
    Node node;
    node.repeat = repeat;
    switch (letter) {
      case 'I':
        node.kind = Kind::integer;
        break;
      case 'F':
        node.kind = Kind::fixed;
        break;
      case 'E':
        node.kind = Kind::exponent;
        break;
      case 'G':
        node.kind = Kind::general;
        break;
      case 'L':
        node.kind = Kind::logical;
        break;
      case 'A':
        node.kind = Kind::text;
        break;
      case 'X':
        fail("X needs a count");
      case '\0':
        fail("missing ')'");
      default:
        fail(std::string("unknown edit descriptor '") + text_[pos_] + "'");
    }
    ++pos_;

    if (node.kind == Kind::text) {
      skip_blanks();
      node.width = number().value_or(-1);
      if (node.width == 0) fail("zero width");
      return node;
    }
    node.width = required_number("a width is needed");
    if (node.width == 0) fail("zero width");
    if (node.kind == Kind::logical) return node;

    skip_blanks();
    if (node.kind == Kind::integer) {
      node.digits = accept('.') ? required_number("digits are needed after '.'") : -1;
      if (node.digits > node.width) fail("more digits than the width");
      return node;
    }
    if (!accept('.')) fail("'.d' is needed");
    node.digits = required_number("digits are needed after '.'");
    if (node.kind == Kind::general && node.digits == 0) fail("G needs at least one digit");
    if (node.kind == Kind::exponent || node.kind == Kind::general) {
      skip_blanks();
      // An E followed by digits is the exponent width; any other E is the
      // next descriptor.
      if (peek() == 'E' && pos_ + 1 < text_.size() && is_digit(text_[pos_ + 1])) {
        ++pos_;
        node.exp_digits = *number();
        if (node.exp_digits == 0) fail("zero exponent width");
      }
    }
    return node;
  }

  std::string_view text_;
  std::size_t pos_ = 0;
};

// The bits of a double, as std::bit_cast gives them (which the C++ library
// of the WebAssembly build does not have).
std::uint64_t bits_of(double value) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

// ---------------------------------------------------------------------------
// Decimal conversion.
//
// A real field needs |x| correctly rounded, from its exact binary value, at
// one decimal place; exact ties go to even.  Three routes give it, each
// taken only when the one before cannot decide:
//
// 1. Binary: |x| times an exact power of ten (at most 10^22) is one
//    correctly rounded product y; below 2^52, y rounds to the same integer
//    as the exact product unless it lies within an ulp of a half-integer,
//    and there the exact error of y (a fused multiply-add) settles it.
//    This serves fields of up to 16 significant digits.
// 2. Shortest digits: one shortest round-trip conversion ({fmt} without
//    precision), rounded as a digit string.  That is the correct
//    rounding unless the digits end exactly on the rounding midpoint, or
//    more digits are asked for than the double determines; otherwise a
//    midpoint between the value and its shortest digits would be a
//    shorter, or an equally short and closer, representation of the same
//    double.
// 3. Exact expansion: {fmt} with a precision, which is correctly rounded
//    (exact ties to even).
//
// {fmt} and fast_float serve every target alike, the WebAssembly one too,
// whose C++ library has no floating-point std::to_chars or std::from_chars.

// |x| = 0.d1 d2 ... dn * 10^exponent with d1 != 0; no digits for zero.
struct Shortest {
  char digits[24];
  int count = 0;
  int exponent = 0;
};

Shortest shortest(double magnitude) {
  Shortest s;
  if (magnitude == 0.0) return s;
  // The shortest text {fmt} gives is fixed ("46.599", "0.001") or with an
  // exponent ("1.2345678901234568e+17"); its digits and the place of the
  // point give 0.d1 d2 ... * 10^exponent either way.
  char buffer[40];
  const char* const end = fmt::format_to_n(buffer, sizeof buffer, "{}", magnitude).out;
  const char* c = buffer;
  int before_point = 0;
  bool point = false;
  bool leading = true;
  for (; c != end && *c != 'e'; ++c) {
    if (*c == '.') {
      point = true;
      continue;
    }
    if (!point) ++before_point;
    if (leading && *c == '0') {  // a zero before the first significant digit
      --before_point;
      continue;
    }
    leading = false;
    s.digits[s.count++] = *c;
  }
  int exponent = 0;
  if (c != end) {
    ++c;
    const bool negative = *c == '-';
    if (*c == '-' || *c == '+') ++c;
    for (; c != end; ++c)
      exponent = exponent * 10 + (*c - '0');
    if (negative) exponent = -exponent;
  }
  s.exponent = before_point + exponent;
  while (s.count > 1 && s.digits[s.count - 1] == '0')
    --s.count;
  return s;
}

// A rounded decimal value: 0.digits * 10^exponent, the digits followed by as
// many zeros as a field asks for.  No digits: the value rounded to zero.
struct Rounded {
  Rounded() = default;
  Rounded(const Rounded&) = delete;
  Rounded& operator=(const Rounded&) = delete;

  std::string_view digits;
  int exponent = 0;
  char buffer[24];
  std::string exact;  // digits of the exact route, when taken

  // Writes digits first to last - 1 (zeros beyond the stored ones, and for
  // negative positions) at c; returns the end.
  char* copy_digits(char* c, int first, int last) const {
    if (first < 0) {
      const int zeros = std::min(last, 0) - first;
      c = std::fill_n(c, zeros, '0');
      first += zeros;
    }
    const int stored = std::clamp(static_cast<int>(digits.size()) - first, 0, last - first);
    // No digits stored (a value that rounds to zero): nothing to copy, and no
    // offset may be applied to the empty view's pointer.
    if (stored > 0) c = std::copy_n(digits.data() + first, stored, c);
    return std::fill_n(c, last - first - stored, '0');
  }
};

// |x| with p >= 0 decimals, every digit of the exact binary value, correctly
// rounded with exact ties to even.  {fmt} stops after the 767 significant
// digits a double can have; the zeros beyond them are put back here.
std::string exact_fixed(double magnitude, int p) {
  std::string text = fmt::format("{:.{}f}", magnitude, p);
  const std::size_t point = text.find('.');
  std::size_t decimals = 0;
  if (point != std::string::npos) {
    decimals = text.size() - point - 1;
  } else if (p > 0) {
    text += '.';
  }
  text.append(static_cast<std::size_t>(p) - decimals, '0');
  return text;
}

// |x| * 10^p rounded to an integer from the exact binary value, as decimal
// digits without leading zeros ("" when it rounds to 0).
std::string scaled_integer(double magnitude, int p) {
  if (p >= 0) {
    std::string digits;
    for (const char c : exact_fixed(magnitude, p)) {
      if (c != '.' && (c != '0' || !digits.empty())) digits += c;
    }
    return digits;
  }
  // Rounding to tens or coarser (a negative scale factor larger than d): take
  // the exact expansion, 1074 decimals being enough for any double, and round
  // it here.
  const std::string expansion = exact_fixed(magnitude, 1074);
  const std::string_view exact = expansion;
  const std::string_view whole = exact.substr(0, exact.find('.'));
  const std::string_view fraction = exact.substr(whole.size() + 1);
  const std::size_t dropped = static_cast<std::size_t>(-p);
  const std::size_t kept = whole.size() > dropped ? whole.size() - dropped : 0;
  std::string head(whole.substr(0, kept));
  const std::string tail = std::string(dropped > whole.size() ? dropped - whole.size() : 0, '0') +
                           std::string(whole.substr(kept)) + std::string(fraction);
  const bool rest_nonzero = tail.find_first_not_of('0', 1) != std::string::npos;
  const bool odd = !head.empty() && (head.back() - '0') % 2 == 1;
  if (tail[0] > '5' || (tail[0] == '5' && (rest_nonzero || odd))) {
    std::size_t i = head.size();
    while (i > 0 && head[i - 1] == '9')
      head[--i] = '0';
    if (i == 0) {
      head.insert(head.begin(), '1');
    } else {
      ++head[i - 1];
    }
  }
  const std::size_t first = head.find_first_not_of('0');
  return first == std::string::npos ? std::string() : head.substr(first);
}

// True when the spacing of doubles at |x| is finer than 10^-p, so that a
// value with no digit below 10^-p is the nearest such value to x.
bool resolves(double magnitude, int p) {
  constexpr double kLog2Of10 = 3.321928094887362347870319429489390175864831393;
  const auto biased = static_cast<int>((bits_of(magnitude) >> 52) & 0x7FF);
  const int ulp_exponent = biased == 0 ? -1074 : biased - 1075;
  // p * log2(10) is never within 1e-6 of an integer for the p a double
  // can ask for, other than p = 0, where the comparison is exact.
  return ulp_exponent < -p * kLog2Of10 - 1e-6;
}

// Powers of ten that doubles hold exactly.
constexpr int kExactPowers = 22;

double exact_power_of_ten(int k) {
  static constexpr double kPowers[kExactPowers + 1] = {
      1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
      1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  return kPowers[k];
}

// |x| * 10^p for |p| <= 22, one correctly rounded product or quotient.
double scaled(double magnitude, int p) {
  return p >= 0 ? magnitude * exact_power_of_ten(p) : magnitude / exact_power_of_ten(-p);
}

// Number of decimal digits of x (1 for 0).
int digit_count(std::uint32_t x) {
  if (x >= 10000) {
    if (x >= 1000000) return x >= 100000000 ? 9 + (x >= 1000000000) : 7 + (x >= 10000000);
    return 5 + (x >= 100000);
  }
  if (x >= 100) return 3 + (x >= 1000);
  return 1 + (x >= 10);
}

// Writes the last `count` decimal digits of x (zeros where x has fewer)
// just before end, by pairs.
void put_digits(std::uint32_t x, char* end, int count) {
  static constexpr char kPairs[] =
      "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
      "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
      "8081828384858687888990919293949596979899";
  for (; count >= 2; count -= 2) {
    const std::uint32_t pair = x % 100;
    x /= 100;
    end -= 2;
    end[0] = kPairs[2 * pair];
    end[1] = kPairs[2 * pair + 1];
  }
  if (count == 1) end[-1] = static_cast<char>('0' + x % 10);
}

// Writes the decimal digits of 0 < v < 2^53 at out (room for 16) and returns
// their number: two halves of at most eight digits in 32-bit arithmetic.
int write_digits(std::uint64_t v, char* out) {
  constexpr std::uint64_t kHalf = 100000000;
  const auto high = static_cast<std::uint32_t>(v / kHalf);
  const auto low = static_cast<std::uint32_t>(v % kHalf);
  if (high == 0) {
    const int length = digit_count(low);
    put_digits(low, out + length, length);
    return length;
  }
  const int length = digit_count(high);
  put_digits(high, out + length, length);
  put_digits(low, out + length + 8, 8);
  return length + 8;
}

// The quick route: t = |x| * 10^p rounded to an integer in binary
// arithmetic, from y = scaled(|x|, p), which is within half an ulp of t.
// When no half-integer lies within an ulp of y, y rounds as t does.  Near
// one (a decimal tie such as 1.0125 to four digits), the exact error of y,
// which a fused multiply-add gives, tells on which side of it t lies, or
// that t is the tie itself.  False when y is too large for that; r is then
// untouched.
bool round_to_integer(double magnitude, double y, int p, std::uint64_t& integer) {
  constexpr double kLimit = 0x1p52;  // below it y's ulp is at most 1/2
  if (!(y < kLimit)) return false;
  const auto truncated = static_cast<std::uint64_t>(y);
  const double above_half = y - static_cast<double>(truncated) - 0.5;  // exact
  bool round_up = above_half > 0;
  if (std::fabs(above_half) <= y * 0x1p-52) {
    const double power = exact_power_of_ten(p >= 0 ? p : -p);
    // The sign of t - (truncated + 1/2) = above_half + (t - y), exactly:
    // for a product t - y is fma(|x|, 10^p, -y); for a quotient it is
    // fma(-y, 10^-p, |x|) / 10^-p, whose sign with above_half's comes from
    // one more fused operation.
    const double side = p >= 0 ? above_half + std::fma(magnitude, power, -y)
                               : std::fma(above_half, power, std::fma(-y, power, magnitude));
    round_up = side > 0 || (side == 0 && truncated % 2 == 1);
  }
  integer = truncated + (round_up ? 1 : 0);
  return true;
}

// The same rounding as decimal digits in r.
bool round_scaled(double magnitude, double y, int p, Rounded& r) {
  std::uint64_t integer = 0;
  if (!round_to_integer(magnitude, y, p, integer)) return false;
  if (integer == 0) {
    r.digits = {};
    r.exponent = 0;
    return true;
  }
  const int length = write_digits(integer, r.buffer);
  r.digits = std::string_view(r.buffer, static_cast<std::size_t>(length));
  r.exponent = length - p;
  return true;
}

// The quick route to n significant digits of a normal |x| > 0: t = |x| *
// 10^p rounded to an integer, 10^(n-1) <= t <= 10^n.  It needs the decimal
// exponent E (10^(E-1) <= |x| < 10^E): estimated from the binary exponent,
// it is E or E - 1; the scaled value then tells which, unless it lies too
// near a power of ten to be sure.  False when it cannot decide.
bool significant_integer(double magnitude, int n, std::uint64_t& integer, int& p) {
  const auto biased = static_cast<int>((bits_of(magnitude) >> 52) & 0x7FF);
  if (biased == 0) return false;                // subnormal
  const int binary = biased - 1023;             // 2^binary <= |x| < 2^(binary + 1)
  int exponent = ((binary * 78913) >> 18) + 1;  // floor(binary * log10(2)) + 1
  p = n - exponent;
  if (p < -kExactPowers || p > kExactPowers) return false;
  double y = scaled(magnitude, p);
  const double low = exact_power_of_ten(n - 1);
  const double high = exact_power_of_ten(n);
  if (y >= high) {
    --p;
    if (p < -kExactPowers) return false;
    y = scaled(magnitude, p);
  }
  constexpr double kMargin = 0x1p-50;
  if (y < low * (1 + kMargin) || y >= high * (1 - kMargin)) return false;
  return round_to_integer(magnitude, y, p, integer);
}

// Rounds |x| (whose shortest digits are s) to p decimals, p < 0 rounding to
// tens or coarser, correctly from the exact binary value.
void round_at(double magnitude, const Shortest& s, int p, Rounded& r) {
  r.digits = {};
  r.exponent = 0;
  if (s.count == 0) return;
  const int n = s.exponent + p;  // significant digits kept
  bool exact_needed = false;
  if (n >= s.count) {
    exact_needed = !resolves(magnitude, p);
    if (!exact_needed) {
      r.digits = std::string_view(s.digits, static_cast<std::size_t>(s.count));
      r.exponent = s.exponent;
      return;
    }
  } else if (n >= 0) {
    const char first_dropped = s.digits[n];
    if (first_dropped == '5' && s.count == n + 1) {
      exact_needed = true;  // on the midpoint, or the shortest digits hide the side
    } else if (first_dropped < '5') {
      std::copy(s.digits, s.digits + n, r.buffer);
      int count = n;
      while (count > 0 && r.buffer[count - 1] == '0')
        --count;
      r.digits = std::string_view(r.buffer, static_cast<std::size_t>(count));
      r.exponent = count > 0 ? s.exponent : 0;
      return;
    } else {
      std::copy(s.digits, s.digits + n, r.buffer);
      int count = n;
      while (count > 0 && r.buffer[count - 1] == '9')
        --count;
      if (count == 0) {
        r.buffer[0] = '1';
        r.digits = std::string_view(r.buffer, 1);
        r.exponent = s.exponent + 1;
      } else {
        ++r.buffer[count - 1];
        r.digits = std::string_view(r.buffer, static_cast<std::size_t>(count));
        r.exponent = s.exponent;
      }
      return;
    }
  } else {
    return;  // below half of the last place kept: zero
  }
  if (exact_needed) {
    r.exact = scaled_integer(magnitude, p);
    r.digits = r.exact;
    r.exponent = static_cast<int>(r.exact.size()) - p;
  }
}

// |x| rounded to n >= 1 significant digits.  Zero has no digits and
// exponent 0.
void round_significant(double magnitude, const Shortest& s, int n, Rounded& r) {
  // Shortest digits that are a power of ten may stand for a value just below
  // it, whose first significant digit is one place lower.  When the doubles
  // are dense enough even at that place, the power itself is the answer;
  // otherwise the exact expansion decides.
  if (s.count != 1 || s.digits[0] != '1') return round_at(magnitude, s, n - s.exponent, r);
  if (resolves(magnitude, n - s.exponent + 1)) {
    r.digits = std::string_view(s.digits, 1);
    r.exponent = s.exponent;
    return;
  }
  const std::string text = fmt::format("{:.{}e}", magnitude, n - 1);
  const std::size_t e = text.find('e');
  int exponent = 0;
  std::from_chars(text.data() + e + (text[e + 1] == '+' ? 2 : 1), text.data() + text.size(),
                  exponent);
  std::string digits;
  for (const char c : std::string_view(text).substr(0, e)) {
    if (c != '.') digits += c;
  }
  r.exact = std::move(digits);
  r.digits = r.exact;
  r.exponent = exponent + 1;
}

// A finite magnitude to be rounded for a field: the quick binary route when
// it can decide, else the rounding of its shortest digits (converted once).
class Decimal {
 public:
  explicit Decimal(double magnitude) : magnitude_(magnitude) {}

  double magnitude() const { return magnitude_; }

  // Rounded to p decimals (p < 0: to tens or coarser).
  void round_at(int p, Rounded& r) {
    if (magnitude_ == 0.0) {
      r.digits = {};
      r.exponent = 0;
      return;
    }
    if (p >= -kExactPowers && p <= kExactPowers &&
        round_scaled(magnitude_, scaled(magnitude_, p), p, r)) {
      return;
    }
    kestro::round_at(magnitude_, shortest(), p, r);
  }

  // Rounded to n >= 1 significant digits.
  void round_significant(int n, Rounded& r) {
    if (magnitude_ == 0.0) {
      r.digits = {};
      r.exponent = 0;
      return;
    }
    if (n <= 16 && significant_quickly(n, r)) return;
    kestro::round_significant(magnitude_, shortest(), n, r);
  }

 private:
  const Shortest& shortest() {
    if (!have_shortest_) {
      shortest_ = kestro::shortest(magnitude_);
      have_shortest_ = true;
    }
    return shortest_;
  }

  bool significant_quickly(int n, Rounded& r) const {
    std::uint64_t integer = 0;
    int p = 0;
    if (!significant_integer(magnitude_, n, integer, p)) return false;
    const int length = write_digits(integer, r.buffer);
    r.digits = std::string_view(r.buffer, static_cast<std::size_t>(length));
    r.exponent = length - p;
    return true;
  }

  double magnitude_;
  Shortest shortest_;
  bool have_shortest_ = false;
};

// ---------------------------------------------------------------------------
// Field writers: each appends exactly w characters to out.

void put_stars(std::string& out, int w) {
  out.append(static_cast<std::size_t>(w), '*');
}

void put_right_justified(std::string& out, std::string_view text, int w) {
  const std::size_t width = static_cast<std::size_t>(w);
  if (text.size() > width) return put_stars(out, w);
  out.append(width - text.size(), ' ');
  out += text;
}

void check_width(int w, int d) {
  if (w < 1) throw FormatError("edit descriptor width must be positive");
  if (d < 0) throw FormatError("edit descriptor digits must not be negative");
}

// NaN and infinities in a field of width w, shortened or starred to fit.
void put_special_value(std::string& out, double value, int w) {
  if (std::isnan(value)) {
    put_right_justified(out, "NaN", w);
  } else if (value > 0) {
    put_right_justified(out, w >= 8 ? "Infinity" : "Inf", w);
  } else {
    put_right_justified(out, w >= 9 ? "-Infinity" : "-Inf", w);
  }
}

// Room for w more characters at the end of out; the caller fills them all.
char* extend(std::string& out, int w) {
  const std::size_t size = out.size();
  out.resize(size + static_cast<std::size_t>(w));
  return out.data() + size;
}

// Fw.d of a value rounded to p = d + scale decimals (r), written when it
// fits in w columns; false, with nothing written, when it does not.
bool put_fixed(std::string& out, bool sign_bit, const Rounded& r, int p, int w, int d) {
  // |x| * 10^p as an integer has `total` digits: r's digits, then zeros.
  const int total = r.digits.empty() ? 0 : r.exponent + p;
  const bool negative = sign_bit && total > 0;
  const int head = total > d ? total - d : 0;
  const int body = head + 1 + d;
  // The zero before the point is written when there is room for it; without
  // decimals it is the whole number and always written.
  const bool lead_zero = head == 0 && (d == 0 || body + negative < w);
  const int length = body + lead_zero + negative;
  if (length > w) return false;
  char* c = extend(out, w);
  c = std::fill_n(c, w - length, ' ');
  if (negative) *c++ = '-';
  if (lead_zero) *c++ = '0';
  c = r.copy_digits(c, 0, head);
  *c++ = '.';
  r.copy_digits(c, total - d, total);
  return true;
}

void put_fixed_field(std::string& out, double value, int w, int d, int scale) {
  Decimal decimal(std::fabs(value));
  Rounded r;
  decimal.round_at(d + scale, r);
  if (!put_fixed(out, std::signbit(value), r, d + scale, w, d)) put_stars(out, w);
}

[[noreturn]] void scale_out_of_range(int w, int d, int scale) {
  throw FormatError("scale factor " + std::to_string(scale) + "P is out of range for E" +
                    std::to_string(w) + "." + std::to_string(d));
}

inline void check_scale(int w, int d, int scale) {
  if (scale <= -d || scale > d + 1) scale_out_of_range(w, d, scale);
}

// Ew.dEe of a finite value.
void put_exponent_field(std::string& out, bool sign_bit, Decimal& decimal, int w, int d, int e,
                        int scale) {
  const double magnitude = decimal.magnitude();
  const int significant = scale > 0 ? d + 1 : d + scale;
  Rounded r;
  decimal.round_significant(significant, r);
  const bool negative = sign_bit && magnitude != 0.0;
  const int exponent = magnitude == 0.0 ? 0 : r.exponent - scale;
  const int exp_magnitude = exponent < 0 ? -exponent : exponent;
  const int exp_count = exp_magnitude < 10 ? 1 : exp_magnitude < 100 ? 2 : 3;
  // E+nn up to 99, then +nnn without the letter (a double's decimal exponent
  // never needs more than three digits); with Ee, E and e digits.
  int exp_width = 0;
  bool letter = true;
  if (e == 0) {
    exp_width = exp_count < 2 ? 2 : exp_count;
    letter = exp_width == 2;
  } else {
    if (exp_count > e) return put_stars(out, w);
    exp_width = e;
  }
  const int mantissa = scale > 0 ? significant + 1 : 1 - scale + significant;
  const int body = mantissa + letter + 1 + exp_width;
  const bool lead_zero = scale <= 0 && body + negative < w;
  const int length = body + lead_zero + negative;
  if (length > w) return put_stars(out, w);

  char* c = extend(out, w);
  c = std::fill_n(c, w - length, ' ');
  if (negative) *c++ = '-';
  if (lead_zero) *c++ = '0';
  if (scale > 0) {
    c = r.copy_digits(c, 0, scale);
    *c++ = '.';
    c = r.copy_digits(c, scale, significant);
  } else {
    *c++ = '.';
    c = std::fill_n(c, -scale, '0');
    c = r.copy_digits(c, 0, significant);
  }
  if (letter) *c++ = 'E';
  *c++ = exponent < 0 ? '-' : '+';
  c = std::fill_n(c, exp_width - exp_count, '0');
  std::to_chars(c, c + exp_count, exp_magnitude);
}

// Gw.dEe of a finite value.
void put_general_field(std::string& out, double value, int w, int d, int e, int scale) {
  // In range, the value is written as F without scale factor in the first
  // w - n columns, followed by n blanks where the exponent would be.
  const int n = e == 0 ? 4 : e + 2;
  Decimal decimal(std::fabs(value));
  const auto as_fixed = [&](const Rounded& r, int decimals) {
    if (w - n < 1 || !put_fixed(out, std::signbit(value), r, decimals, w - n, decimals)) {
      return put_stars(out, w);
    }
    out.append(static_cast<std::size_t>(n), ' ');
  };
  Rounded r;
  if (decimal.magnitude() == 0.0) return as_fixed(r, d - 1);
  // The range is decided on the value rounded to d digits: 0.1 <= r < 10^d.
  // In range, F with d - exponent decimals keeps the same d digits (or,
  // when rounding carried into a new decade, gives the same power of ten),
  // so r serves for the F form as it is.
  decimal.round_significant(d, r);
  if (r.exponent >= 0 && r.exponent <= d) return as_fixed(r, d - r.exponent);
  check_scale(w, d, scale);
  put_exponent_field(out, std::signbit(value), decimal, w, d, e, scale);
}

void put_integer_field(std::string& out, std::int64_t value, int w, int m) {
  if (m == 0 && value == 0) return out.append(static_cast<std::size_t>(w), ' '), void();
  const std::uint64_t magnitude = value < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(value)
                                            : static_cast<std::uint64_t>(value);
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude);
  const int digits = static_cast<int>(result.ptr - buffer);
  const int zeros = m > digits ? m - digits : 0;
  const int length = digits + zeros + (value < 0 ? 1 : 0);
  if (length > w) return put_stars(out, w);
  out.append(static_cast<std::size_t>(w - length), ' ');
  if (value < 0) out += '-';
  out.append(static_cast<std::size_t>(zeros), '0');
  out.append(buffer, static_cast<std::size_t>(digits));
}

}  // namespace

// ---------------------------------------------------------------------------
// Edit descriptors.

void append_integer(std::string& out, std::int64_t value, int w, int m) {
  check_width(w, 0);
  put_integer_field(out, value, w, m);
}

void append_fixed(std::string& out, double value, int w, int d, int scale) {
  check_width(w, d);
  if (!std::isfinite(value)) return put_special_value(out, value, w);
  put_fixed_field(out, value, w, d, scale);
}

void append_exponent(std::string& out, double value, int w, int d, int e, int scale) {
  check_width(w, d);
  check_scale(w, d, scale);
  if (!std::isfinite(value)) return put_special_value(out, value, w);
  Decimal decimal(std::fabs(value));
  put_exponent_field(out, std::signbit(value), decimal, w, d, e, scale);
}

void append_general(std::string& out, double value, int w, int d, int e, int scale) {
  check_width(w, d);
  if (d < 1) throw FormatError("G needs at least one digit");
  if (!std::isfinite(value)) return put_special_value(out, value, w);
  put_general_field(out, value, w, d, e, scale);
}

namespace {

// Largest count of significant digits round_to_significant takes.
constexpr int kMaxRoundedDigits = 17;

// The double nearest to digits * 10^power (digits < 10^18), correctly
// rounded as the list-directed reader converts: one exact product or
// quotient when both operands are exact doubles, else fast_float, which
// gives infinity beyond the largest double.
double nearest_double(std::uint64_t digits, int power) {
  constexpr std::uint64_t kExactInteger = std::uint64_t{1} << 53;
  if (digits < kExactInteger && power >= -kExactPowers && power <= kExactPowers) {
    const auto whole = static_cast<double>(digits);
    return power >= 0 ? whole * exact_power_of_ten(power) : whole / exact_power_of_ten(-power);
  }
  char text[48];
  const int length =
      std::snprintf(text, sizeof text, "%llue%d", static_cast<unsigned long long>(digits), power);
  double value = 0.0;
  const auto result =
      fast_float::from_chars(text, text + length, value, fast_float::chars_format::scientific);
  if (result.ec == std::errc::result_out_of_range) {
    // Newer fast_float reports the range as well as giving the limit.  Out
    // of range upwards only: a rounded nonzero double never underflows, its
    // first significant digit being at least that of the smallest subnormal.
    return digits == 0 ? 0.0 : std::numeric_limits<double>::infinity();
  }
  return value;
}

// Up to this many significant digits the rounded integer and the power of
// ten are exact doubles, and their quotient or product is the result.
constexpr int kQuickDigits = 15;

// The quick route of round_to_significant for a normal |x| > 0 and n <=
// kQuickDigits: y = |x| * 10^p (one correctly rounded operation) with
// 10^(n-1) < y < 10^n, rounded to the nearest integer t in binary (adding
// and taking away 2^52 rounds to even), then t / 10^p.  Where y lies within
// an ulp of a half-integer, or too near a power of ten for its decimal
// exponent to be sure, the exact routes decide: false.
bool round_quickly(double magnitude, int n, double& rounded) {
  const auto biased = static_cast<int>(bits_of(magnitude) >> 52);
  if (biased == 0) return false;  // subnormal
  const int binary = biased - 1023;
  int p = n - (((binary * 78913) >> 18) + 1);
  if (p <= -kExactPowers || p > kExactPowers) return false;
  double y = scaled(magnitude, p);
  const double high = exact_power_of_ten(n);
  if (y >= high) {
    --p;
    y = scaled(magnitude, p);
  }
  constexpr double kMargin = 0x1p-50;
  if (y < exact_power_of_ten(n - 1) * (1 + kMargin) || y >= high * (1 - kMargin)) return false;
  constexpr double kShift = 0x1p52;
  const double t = (y + kShift) - kShift;
  if (std::fabs(std::fabs(y - t) - 0.5) <= y * 0x1p-52) return false;
  rounded = p >= 0 ? t / exact_power_of_ten(p) : t * exact_power_of_ten(-p);
  return true;
}

// The other routes of round_to_significant for a finite x != 0, through the
// decimal digits of the formatter's rounding.  Kept apart, as is the throw,
// so that the quick route needs no stack frame.
[[gnu::noinline]] double round_exactly(double x, int n) {
  Decimal decimal(std::fabs(x));
  Rounded r;
  decimal.round_significant(n, r);
  std::uint64_t digits = 0;
  for (const char c : r.digits)
    digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
  const double magnitude = nearest_double(digits, r.exponent - static_cast<int>(r.digits.size()));
  return std::signbit(x) ? -magnitude : magnitude;
}

[[noreturn, gnu::noinline, gnu::cold]] void bad_digit_count(int n) {
  throw FormatError("cannot round to " + std::to_string(n) + " significant digits");
}

}  // namespace

double round_to_significant(double x, int n) {
  if (n < 1 || n > kMaxRoundedDigits) bad_digit_count(n);
  if (!std::isfinite(x)) return x;
  if (x == 0.0) return 0.0;
  double rounded = 0.0;
  if (n <= kQuickDigits && round_quickly(std::fabs(x), n, rounded)) {
    return std::signbit(x) ? -rounded : rounded;
  }
  return round_exactly(x, n);
}

std::string edit_integer(std::int64_t value, int w, int m) {
  std::string out;
  append_integer(out, value, w, m);
  return out;
}

std::string edit_fixed(double value, int w, int d, int scale) {
  std::string out;
  append_fixed(out, value, w, d, scale);
  return out;
}

std::string edit_exponent(double value, int w, int d, int e, int scale) {
  std::string out;
  append_exponent(out, value, w, d, e, scale);
  return out;
}

std::string edit_general(double value, int w, int d, int e, int scale) {
  std::string out;
  append_general(out, value, w, d, e, scale);
  return out;
}

// ---------------------------------------------------------------------------
// Interpreter.

namespace {

class Writer {
 public:
  Writer(std::span<const FormatItem> items, std::string& out) : items_(items), out_(out) {}

  bool items_left() const { return next_ < items_.size(); }
  std::size_t items_used() const { return next_; }

  // Runs the items from `first` on; false when it stopped at a data
  // descriptor with no item left.
  bool run(const std::vector<Node>& nodes, std::size_t first = 0) {
    for (std::size_t i = first; i < nodes.size(); ++i) {
      if (!run(nodes[i])) return false;
    }
    return true;
  }

  void end_record() {
    out_ += '\n';
    pending_skip_ = 0;
    keep_open_ = false;
  }

  // Ends the write; true when its last record stays open.
  bool finish() {
    if (!keep_open_) out_ += '\n';
    return keep_open_;
  }

 private:
  bool run(const Node& node) {
    switch (node.kind) {
      case Kind::group:
        for (int r = 0; r < node.repeat; ++r) {
          if (!run(node.items)) return false;
        }
        return true;
      case Kind::skip:
        pending_skip_ += node.width;
        return true;
      case Kind::literal:
        skip_pending();
        out_ += node.text;
        return true;
      case Kind::scale:
        scale_ = node.factor;
        return true;
      case Kind::slash:
        for (int r = 0; r < node.repeat; ++r)
          end_record();
        return true;
      case Kind::keep_open:
        keep_open_ = true;
        return true;
      default:
        for (int r = 0; r < node.repeat; ++r) {
          if (!items_left()) return false;
          skip_pending();
          edit(node, items_[next_++]);
        }
        return true;
    }
  }

  void skip_pending() {
    out_.append(static_cast<std::size_t>(pending_skip_), ' ');
    pending_skip_ = 0;
  }

  void edit(const Node& node, const FormatItem& item) const {
    switch (node.kind) {
      case Kind::integer:
        return append_integer(out_, get<std::int64_t>(item, "I"), node.width, node.digits);
      case Kind::fixed:
        return append_fixed(out_, get<double>(item, "F"), node.width, node.digits, scale_);
      case Kind::exponent:
        return append_exponent(out_, get<double>(item, "E"), node.width, node.digits,
                               node.exp_digits, scale_);
      case Kind::general:
        return append_general(out_, get<double>(item, "G"), node.width, node.digits,
                              node.exp_digits, scale_);
      case Kind::logical:
        return put_right_justified(out_, get<bool>(item, "L") ? "T" : "F", node.width);
      default: {
        const std::string_view text = get<std::string_view>(item, "A");
        if (node.width < 0) {
          out_ += text;
          return;
        }
        const std::size_t w = static_cast<std::size_t>(node.width);
        if (text.size() >= w) {
          out_ += text.substr(0, w);
        } else {
          out_.append(w - text.size(), ' ');
          out_ += text;
        }
      }
    }
  }

  template <class T>
  T get(const FormatItem& item, const char* descriptor) const {
    if (const T* value = std::get_if<T>(&item)) return *value;
    static const char* const kTypeNames[] = {"an integer", "a real", "a text", "a logical"};
    throw FormatError(std::string("format_write: item ") + std::to_string(next_) + " is " +
                      kTypeNames[item.index()] + ", which " + descriptor + " cannot edit");
  }

  std::span<const FormatItem> items_;
  std::size_t next_ = 0;
  std::string& out_;
  int pending_skip_ = 0;
  int scale_ = 0;
  bool keep_open_ = false;
};

}  // namespace

FortranFormat::FortranFormat() : root_(std::make_shared<const Node>()) {}

FortranFormat FortranFormat::parse(std::string_view text) {
  FortranFormat format;
  auto root = std::make_shared<Node>(Parser(text).format());
  for (std::size_t i = 0; i < root->items.size(); ++i) {
    if (root->items[i].kind == Kind::group) format.reversion_start_ = i;
  }
  format.root_ = std::move(root);
  return format;
}

bool format_append(const FortranFormat& format, std::span<const FormatItem> items,
                   std::string& out) {
  Writer writer(items, out);
  const std::vector<Node>& top = format.root().items;
  if (writer.run(top)) {
    while (writer.items_left()) {
      const std::size_t used = writer.items_used();
      writer.end_record();
      if (!writer.run(top, format.reversion_start())) break;
      if (writer.items_used() == used) {
        throw FormatError(
            "format_write: the format has no data descriptor for the remaining items");
      }
    }
  }
  return writer.finish();
}

FormattedText format_write(const FortranFormat& format, std::span<const FormatItem> items) {
  FormattedText result;
  result.record_open = format_append(format, items, result.text);
  return result;
}

}  // namespace kestro
