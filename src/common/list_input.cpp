#include "common/list_input.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <system_error>

#include <fast_float/fast_float.h>

namespace kestro {
namespace {

constexpr std::size_t kShownLength = 40;                        // longer found texts are cut
constexpr std::int64_t kExponentLimit = 1'000'000'000'000'000;  // exponents saturate here

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}
bool is_quote(char c) {
  return c == '\'' || c == '"';
}
bool ends_item(char c) {
  return c == ' ' || c == '\t' || c == ',' || c == '/';
}

// Length of the unquoted item at the start of text: up to a blank, comma,
// slash or the end of the line.
std::size_t item_length(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && !ends_item(text[i]))
    ++i;
  return i;
}

std::size_t skip_digits(std::string_view s, std::size_t i) {
  while (i < s.size() && is_digit(s[i]))
    ++i;
  return i;
}

// The found text of a message: quoted, cut, and escaped so that binary
// garbage or a huge line still gives a short readable message.
std::string show(std::string_view raw) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out = "\"";
  const std::size_t n = std::min(raw.size(), kShownLength);
  for (std::size_t i = 0; i < n; ++i) {
    const auto c = static_cast<unsigned char>(raw[i]);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c >= 0x7F) {
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 0xF];
    } else {
      out += static_cast<char>(c);
    }
  }
  if (raw.size() > n) out += "...";
  out += '"';
  return out;
}

// A number as written: [sign] digits [. digits] [exponent], where the
// exponent is E, e, D or d with an optional sign, or a sign alone, then digits.
struct Number {
  bool negative = false;
  // Written as fast_float reads it: no '+' before the number, and an
  // exponent, if any, with the letter E or e.
  bool plain = true;
  std::string_view mantissa;  // digits and point, without the sign
  std::string_view whole;     // digits before the point
  std::string_view fraction;  // digits after the point
  bool exponent_negative = false;
  std::string_view exponent_digits;
  std::int64_t exponent = 0;  // saturated at +-kExponentLimit

  std::size_t digit_count() const { return whole.size() + fraction.size(); }
  char digit(std::size_t i) const {
    return i < whole.size() ? whole[i] : fraction[i - whole.size()];
  }
  // Index of the first digit other than 0, or digit_count() for a zero.
  std::size_t first_significant() const {
    std::size_t i = 0;
    while (i < digit_count() && digit(i) == '0')
      ++i;
    return i;
  }
};

std::optional<Number> parse_number(std::string_view s) {
  Number n;
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    n.negative = s[i] == '-';
    n.plain = n.negative;
    ++i;
  }
  const std::size_t mantissa_start = i;
  std::size_t j = skip_digits(s, i);
  n.whole = s.substr(i, j - i);
  i = j;
  if (i < s.size() && s[i] == '.') {
    j = skip_digits(s, ++i);
    n.fraction = s.substr(i, j - i);
    i = j;
  }
  if (n.whole.empty() && n.fraction.empty()) return std::nullopt;
  n.mantissa = s.substr(mantissa_start, i - mantissa_start);
  if (i == s.size()) return n;

  const char c = s[i];
  if (c == 'E' || c == 'e') {
    ++i;
  } else if (c == 'D' || c == 'd') {
    n.plain = false;
    ++i;
  } else if (c == '+' || c == '-') {
    n.plain = false;
  } else {
    return std::nullopt;
  }
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) n.exponent_negative = s[i++] == '-';
  j = skip_digits(s, i);
  if (j == i || j != s.size()) return std::nullopt;
  n.exponent_digits = s.substr(i, j - i);
  for (const char d : n.exponent_digits) {
    n.exponent = std::min(n.exponent * 10 + (d - '0'), kExponentLimit);
  }
  if (n.exponent_negative) n.exponent = -n.exponent;
  return n;
}

// Up to this many digits, a number's digits make an exact double.
constexpr int kExactDigits = 15;
// Powers of ten that doubles hold exactly.
constexpr int kExactPower = 22;

// digits * 10^power as the correctly rounded double: one correctly rounded
// product or quotient of two exact doubles, for digits below 10^15 and
// |power| <= 22.
double exact_scaled(std::uint64_t digits, int power) {
  static constexpr double kPowers[kExactPower + 1] = {
      1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
      1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  const auto whole = static_cast<double>(digits);
  return power >= 0 ? whole * kPowers[power] : whole / kPowers[-power];
}

// The value of the common short forms ([sign] digits [. digits] [exponent],
// at most 15 digits, a small exponent) in one pass over the item; nothing
// for any other item, which then takes the general route.
std::optional<double> quick_real(std::string_view s) {
  std::size_t i = 0;
  const std::size_t size = s.size();
  bool negative = false;
  if (i < size && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
  std::uint64_t digits = 0;
  int count = 0;
  int fraction = 0;
  for (; i < size && is_digit(s[i]); ++i, ++count)
    digits = digits * 10 + static_cast<std::uint64_t>(s[i] - '0');
  if (i < size && s[i] == '.') {
    for (++i; i < size && is_digit(s[i]); ++i, ++count, ++fraction)
      digits = digits * 10 + static_cast<std::uint64_t>(s[i] - '0');
  }
  if (count == 0 || count > kExactDigits) return std::nullopt;
  int exponent = 0;
  if (i < size) {
    const char c = s[i];
    if (c == 'E' || c == 'e' || c == 'D' || c == 'd') {
      ++i;
    } else if (c != '+' && c != '-') {
      return std::nullopt;
    }
    bool exponent_negative = false;
    if (i < size && (s[i] == '+' || s[i] == '-')) exponent_negative = s[i++] == '-';
    const std::size_t first = i;
    for (; i < size && is_digit(s[i]) && i - first < 4; ++i)
      exponent = exponent * 10 + (s[i] - '0');
    if (i == first || i != size) return std::nullopt;
    if (exponent_negative) exponent = -exponent;
  }
  const int power = exponent - fraction;
  if (power < -kExactPower || power > kExactPower) return std::nullopt;
  const double magnitude = exact_scaled(digits, power);
  return negative ? -magnitude : magnitude;
}

// The common integer form: [sign] up to 9 digits; nothing for any other item.
std::optional<int> quick_integer(std::string_view s) {
  std::size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
  if (i == s.size() || s.size() - i > 9) return std::nullopt;
  int value = 0;
  for (; i < s.size(); ++i) {
    if (!is_digit(s[i])) return std::nullopt;
    value = value * 10 + (s[i] - '0');
  }
  return negative ? -value : value;
}

// The value of n, parsed from item, as a double; std::nullopt when it is too
// large.  A value too small for a double is zero.
std::optional<double> to_real(std::string_view item, const Number& n) {
  if (n.digit_count() <= kExactDigits) {
    const std::int64_t power = n.exponent - static_cast<std::int64_t>(n.fraction.size());
    if (power >= -kExactPower && power <= kExactPower) {
      std::uint64_t digits = 0;
      for (const char c : n.whole)
        digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
      for (const char c : n.fraction)
        digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
      const double magnitude = exact_scaled(digits, static_cast<int>(power));
      return n.negative ? -magnitude : magnitude;
    }
  }
  double value = 0;
  fast_float::from_chars_result result{};
  const char* end = nullptr;
  if (n.plain) {
    end = item.data() + item.size();
    result = fast_float::from_chars(item.data(), end, value, fast_float::chars_format::general);
  } else {
    // 1.5D3, 1.5+3 or +1.5: spelt again as -1.5e3 for the conversion, on the
    // stack when short.
    char small[64];
    std::string large;
    const std::size_t length = n.mantissa.size() + n.exponent_digits.size() + 3;
    char* const text = length <= sizeof small ? small : (large.resize(length), large.data());
    char* p = text;
    if (n.negative) *p++ = '-';
    p = std::copy(n.mantissa.begin(), n.mantissa.end(), p);
    if (!n.exponent_digits.empty()) {
      *p++ = 'e';
      if (n.exponent_negative) *p++ = '-';
      p = std::copy(n.exponent_digits.begin(), n.exponent_digits.end(), p);
    }
    end = p;
    result = fast_float::from_chars(text, end, value, fast_float::chars_format::general);
  }
  if (result.ec != std::errc() && result.ec != std::errc::result_out_of_range) return std::nullopt;
  if (result.ec == std::errc() && result.ptr != end) return std::nullopt;
  const bool underflow = value == 0.0 && n.first_significant() < n.digit_count();
  if (result.ec == std::errc() && std::isfinite(value) && !underflow) return value;
  // Out of range either way (fast_float gives infinity or zero, a newer one
  // says so as well): the position of the first significant digit relative
  // to the point tells overflow from underflow.
  const std::size_t first = n.first_significant();
  const auto order =
      static_cast<std::int64_t>(n.whole.size()) - static_cast<std::int64_t>(first) + n.exponent;
  if (first < n.digit_count() && order > 0) return std::nullopt;
  return n.negative ? -0.0 : 0.0;
}

// The value of n when it is a whole number within the range of int.  Worked
// on the digits, so 3.0000000000000000001 is not taken for 3.
std::optional<int> to_integer(const Number& n) {
  const auto count = static_cast<std::int64_t>(n.digit_count());
  const std::int64_t point = static_cast<std::int64_t>(n.whole.size()) + n.exponent;
  const std::int64_t integral_end = std::clamp<std::int64_t>(point, 0, count);
  for (std::int64_t i = integral_end; i < count; ++i) {
    if (n.digit(static_cast<std::size_t>(i)) != '0') return std::nullopt;
  }
  const auto first = static_cast<std::int64_t>(n.first_significant());
  if (first >= integral_end) return 0;
  if (point - first > 10) return std::nullopt;
  std::int64_t value = 0;
  for (std::int64_t i = first; i < point; ++i) {
    value = value * 10 + (i < count ? n.digit(static_cast<std::size_t>(i)) - '0' : 0);
  }
  if (n.negative) value = -value;
  if (value < INT_MIN || value > INT_MAX) return std::nullopt;
  return static_cast<int>(value);
}

}  // namespace

// ---------------------------------------------------------------- ListInput

ListInput::ListInput(std::string label, std::string contents)
    : label_(std::move(label)), contents_(std::move(contents)) {
  std::size_t start = 0;
  while (start < contents_.size()) {
    std::size_t end = contents_.find('\n', start);
    const std::size_t next = end == std::string::npos ? contents_.size() : end + 1;
    if (end == std::string::npos) end = contents_.size();
    if (end > start && contents_[end - 1] == '\r') --end;
    lines_.emplace_back(start, end - start);
    start = next;
  }
}

std::optional<ListInput> ListInput::open(const std::string& path, std::string label) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::string contents;
  char buffer[65536];
  while (file.read(buffer, sizeof buffer) || file.gcount() > 0) {
    contents.append(buffer, static_cast<std::size_t>(file.gcount()));
  }
  if (file.bad() || !file.eof()) return std::nullopt;
  return ListInput(std::move(label), std::move(contents));
}

std::string_view ListInput::text_from(std::size_t line) const {
  if (line == 0 || line > lines_.size()) return {};
  return std::string_view(contents_).substr(lines_[line - 1].first);
}

std::string ListInput::read_fixed(std::size_t width, std::string_view what) {
  if (at_end()) {
    current_line_ = end_line();
    fail(current_line_, 1, what, "the end of the file");
  }
  in_line_ = false;
  std::string record(line(next_line_).substr(0, width));
  record.resize(width, ' ');
  current_line_ = ++next_line_;
  return record;
}

bool ListInput::skip_blanks() {
  for (;;) {
    if (!in_line_) {
      if (at_end()) return false;
      line_ = next_line_++;
      column_ = 0;
      in_line_ = true;
    }
    const std::string_view text = line(line_);
    std::size_t p = column_;
    while (p < text.size() && (text[p] == ' ' || text[p] == '\t'))
      ++p;
    if (p < text.size()) {
      column_ = p;
      return true;
    }
    in_line_ = false;
  }
}

void ListInput::fail(std::size_t line, int item, std::string_view expected,
                     std::string_view found) const {
  std::string message = label_;
  message += ", line ";
  message += std::to_string(line);
  message += ", item ";
  message += std::to_string(item);
  message += ": expected ";
  message += expected;
  message += ", found ";
  message += found;
  throw InputError(message);
}

// ----------------------------------------------------------------- ListRead

ListRead::ListRead(ListInput& input) : input_(input) {
  input_.in_line_ = false;
}

ListRead::~ListRead() {
  finish();
}

std::string_view ListRead::unread() const {
  if (finished_ || slash_seen_ || !input_.in_line_) return {};
  return input_.line(input_.line_)
      .substr(std::min(input_.column_, input_.line(input_.line_).size()));
}

void ListRead::finish() noexcept {
  if (finished_) return;
  finished_ = true;
  // A READ of no item still takes its line.
  if (item_number_ == 0 && !input_.at_end()) input_.current_line_ = ++input_.next_line_;
  input_.in_line_ = false;
}

void ListRead::fail(std::size_t line, std::string_view expected, std::string_view found) const {
  input_.fail(line, item_number_, expected, found);
}

ListRead::Item& ListRead::next(std::string_view expected) {
  ++item_number_;
  ListInput& in = input_;
  if (slash_seen_) return item_;
  if (repeats_left_ > 0) {
    --repeats_left_;
    in.current_line_ = item_.line;
    return item_;
  }
  for (;;) {
    if (!in.skip_blanks()) {
      in.current_line_ = in.end_line();
      fail(in.current_line_, expected, "the end of the file");
    }
    in.current_line_ = in.line_ + 1;
    const char c = in.line(in.line_)[in.column_];
    if (c == ',') {
      ++in.column_;
      if (separator_pending_) {
        separator_pending_ = false;
        continue;
      }
      item_.null = true;
      item_.line = in.current_line_;
      return item_;
    }
    if (c == '/') {
      ++in.column_;
      slash_seen_ = true;
      item_.null = true;
      return item_;
    }
    break;
  }

  item_.line = in.current_line_;
  item_.integer.reset();
  item_.real.reset();
  std::string_view rest = in.line(in.line_).substr(in.column_);
  // The item up to its end, and where its first '*' is (or its length).
  std::size_t length = 0;
  std::size_t star = std::string_view::npos;
  for (; length < rest.size() && !ends_item(rest[length]); ++length) {
    if (rest[length] == '*' && star == std::string_view::npos) star = length;
  }
  const std::string_view word = rest.substr(0, length);
  int repeats = 1;
  const std::size_t digits = skip_digits(rest, 0);
  if (digits > 0 && digits < rest.size() && rest[digits] == '*') {
    std::int64_t count = 0;
    for (std::size_t i = 0; i < digits; ++i) {
      count = std::min<std::int64_t>(count * 10 + (rest[i] - '0'), std::int64_t{INT_MAX} + 1);
    }
    if (count == 0 || count > INT_MAX) fail(item_.line, "a positive repeat count", show(word));
    repeats = static_cast<int>(count);
    in.column_ += digits + 1;
    rest.remove_prefix(digits + 1);
    if (rest.empty() || ends_item(rest[0])) {  // r* : r nulls
      item_.null = true;
      repeats_left_ = repeats - 1;
      separator_pending_ = true;
      return item_;
    }
    length = item_length(rest);
  } else if (!is_quote(rest[0])) {
    // -2*5 or 1.5*3: a repeat count that is not a positive integer.
    if (star != std::string_view::npos && star > 0 && parse_number(word.substr(0, star))) {
      fail(item_.line, "a positive repeat count", show(word));
    }
  }

  item_.quoted = is_quote(rest[0]);
  if (item_.quoted) {
    take_quoted(expected);
  } else {
    item_.value = rest.substr(0, length);
    in.column_ += length;
  }
  item_.null = false;
  repeats_left_ = repeats - 1;
  separator_pending_ = true;
  return item_;
}

// Reads a quoted item starting at the cursor; it may run on over line ends.
void ListRead::take_quoted(std::string_view expected) {
  ListInput& in = input_;
  const char quote = in.line(in.line_)[in.column_++];
  quoted_.clear();
  for (;;) {
    const std::string_view line = in.line(in.line_);
    const std::size_t close = line.find(quote, in.column_);
    if (close == std::string_view::npos) {
      quoted_.append(line.substr(in.column_));
      if (in.at_end()) {
        in.current_line_ = item_.line;
        fail(item_.line, expected, "a quote that is never closed");
      }
      in.line_ = in.next_line_++;
      in.column_ = 0;
      continue;
    }
    quoted_.append(line.substr(in.column_, close - in.column_));
    in.column_ = close + 1;
    if (in.column_ < line.size() && line[in.column_] == quote) {  // doubled quote
      quoted_ += quote;
      ++in.column_;
      continue;
    }
    break;
  }
  in.current_line_ = in.line_ + 1;
  item_.value = quoted_;
  quoted_shown_.assign(1, quote);
  quoted_shown_ += quoted_;
  quoted_shown_ += quote;
  const std::string_view rest = in.line(in.line_).substr(in.column_);
  if (!rest.empty() && !ends_item(rest[0])) {
    quoted_shown_ += rest.substr(0, item_length(rest));
    fail(in.current_line_, expected, show(quoted_shown_));
  }
}

void ListRead::integer(int& value) {
  if (const auto v = integer()) value = *v;
}

void ListRead::real(double& value) {
  if (const auto v = real()) value = *v;
}

void ListRead::text(std::string& value) {
  if (auto v = text()) value = std::move(*v);
}

std::optional<int> ListRead::integer() {
  static constexpr std::string_view kExpected = "an integer";
  Item& item = next(kExpected);
  if (item.null) return std::nullopt;
  if (!item.integer && !item.quoted) {  // a quoted item is never a number
    item.integer = quick_integer(item.value);
    if (!item.integer) {
      if (const auto number = parse_number(item.value)) item.integer = to_integer(*number);
    }
  }
  if (!item.integer) fail(item.line, kExpected, show(shown()));
  return item.integer;
}

std::optional<double> ListRead::real() {
  static constexpr std::string_view kExpected = "a real number";
  Item& item = next(kExpected);
  if (item.null) return std::nullopt;
  if (!item.real && !item.quoted) {
    item.real = quick_real(item.value);
    if (!item.real) {
      if (const auto number = parse_number(item.value)) item.real = to_real(item.value, *number);
    }
  }
  if (!item.real) fail(item.line, kExpected, show(shown()));
  return item.real;
}

std::optional<std::string> ListRead::text() {
  const Item& item = next("a text");
  if (item.null) return std::nullopt;
  return std::string(item.value);
}

std::string ListRead::shown() const {
  return item_.quoted ? quoted_shown_ : std::string(item_.value);
}

}  // namespace kestro
