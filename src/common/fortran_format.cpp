#include "common/fortran_format.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <utility>

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
  char peek() const {
    return pos_ < text_.size()
               ? static_cast<char>(std::toupper(static_cast<unsigned char>(text_[pos_])))
               : '\0';
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

// ---------------------------------------------------------------------------
// Decimal conversion.  std::to_chars with a precision is correctly rounded
// from the exact binary value, exact ties going to even.

// |x| * 10^p rounded to an integer, as decimal digits without leading zeros
// ("" when it rounds to 0).
std::string scaled_integer(double magnitude, int p) {
  if (p >= 0) {
    std::string buffer(static_cast<std::size_t>(p) + 320, '\0');
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude,
                                      std::chars_format::fixed, p);
    std::string digits;
    for (const char* c = buffer.data(); c != result.ptr; ++c) {
      if (*c != '.' && (*c != '0' || !digits.empty())) digits += *c;
    }
    return digits;
  }
  // Rounding to tens or coarser (a negative scale factor larger than d): take
  // the exact expansion, 1074 decimals being enough for any double, and round
  // it here.
  std::string buffer(1074 + 320, '\0');
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude,
                                    std::chars_format::fixed, 1074);
  const std::string_view exact(buffer.data(), static_cast<std::size_t>(result.ptr - buffer.data()));
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

// |x| rounded to n >= 1 significant digits: x ~ 0.d1 d2 ... dn * 10^exponent.
// Zero has n zero digits and exponent 0.
struct Significant {
  std::string digits;
  int exponent = 0;
};

Significant significant(double magnitude, int n) {
  std::string buffer(static_cast<std::size_t>(n) + 16, '\0');
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude,
                                    std::chars_format::scientific, n - 1);
  Significant s;
  const char* c = buffer.data();
  for (; *c != 'e'; ++c) {
    if (*c != '.') s.digits += *c;
  }
  ++c;
  if (*c == '+') ++c;
  int exponent = 0;
  std::from_chars(c, result.ptr, exponent);
  s.exponent = magnitude == 0.0 ? 0 : exponent + 1;
  return s;
}

// ---------------------------------------------------------------------------
// Field helpers.

std::string stars(int w) {
  return std::string(static_cast<std::size_t>(w), '*');
}

std::string right_justified(std::string_view text, int w) {
  const std::size_t width = static_cast<std::size_t>(w);
  if (text.size() > width) return stars(w);
  std::string field(width - text.size(), ' ');
  field += text;
  return field;
}

void check_width(int w, int d) {
  if (w < 1) throw FormatError("edit descriptor width must be positive");
  if (d < 0) throw FormatError("edit descriptor digits must not be negative");
}

// NaN and infinities in a field of width w, shortened or starred to fit.
std::optional<std::string> special_value(double value, int w) {
  if (std::isnan(value)) return right_justified("NaN", w);
  if (!std::isinf(value)) return std::nullopt;
  if (value > 0) return right_justified(w >= 8 ? "Infinity" : "Inf", w);
  return right_justified(w >= 9 ? "-Infinity" : "-Inf", w);
}

}  // namespace

// ---------------------------------------------------------------------------
// Edit descriptors.

std::string edit_integer(std::int64_t value, int w, int m) {
  check_width(w, 0);
  if (m == 0 && value == 0) return std::string(static_cast<std::size_t>(w), ' ');
  const std::uint64_t magnitude = value < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(value)
                                            : static_cast<std::uint64_t>(value);
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude);
  std::string digits(buffer, result.ptr);
  if (m > static_cast<int>(digits.size()))
    digits.insert(0, static_cast<std::size_t>(m) - digits.size(), '0');
  if (value < 0) digits.insert(digits.begin(), '-');
  return right_justified(digits, w);
}

std::string edit_fixed(double value, int w, int d, int scale) {
  check_width(w, d);
  if (auto special = special_value(value, w)) return *special;
  std::string digits = scaled_integer(std::fabs(value), d + scale);
  const bool negative = std::signbit(value) && !digits.empty();
  const std::size_t decimals = static_cast<std::size_t>(d);
  if (digits.size() < decimals) digits.insert(0, decimals - digits.size(), '0');
  std::string body =
      digits.substr(0, digits.size() - decimals) + '.' + digits.substr(digits.size() - decimals);
  // The zero before the point is written when there is room for it; without
  // decimals it is the whole number and always written.
  if (body[0] == '.' && (d == 0 || static_cast<int>(body.size()) + negative < w))
    body.insert(0, 1, '0');
  if (negative) body.insert(0, 1, '-');
  return right_justified(body, w);
}

std::string edit_exponent(double value, int w, int d, int e, int scale) {
  check_width(w, d);
  if (scale <= -d || scale > d + 1) {
    throw FormatError("scale factor " + std::to_string(scale) + "P is out of range for E" +
                      std::to_string(w) + "." + std::to_string(d));
  }
  if (auto special = special_value(value, w)) return *special;
  const double magnitude = std::fabs(value);
  const Significant s = significant(magnitude, scale > 0 ? d + 1 : d + scale);
  const bool negative = std::signbit(value) && magnitude != 0.0;

  std::string mantissa;
  if (scale > 0) {
    const std::size_t before = static_cast<std::size_t>(scale);
    mantissa = s.digits.substr(0, before) + '.' + s.digits.substr(before);
  } else {
    mantissa = '.' + std::string(static_cast<std::size_t>(-scale), '0') + s.digits;
  }

  const int exponent = magnitude == 0.0 ? 0 : s.exponent - scale;
  char buffer[8];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::abs(exponent));
  std::string exp_digits(buffer, result.ptr);
  const char exp_sign = exponent < 0 ? '-' : '+';
  std::string exp_field;
  if (e == 0) {
    // E+nn up to 99, then +nnn without the letter (a double's decimal
    // exponent never needs more than three digits).
    if (exp_digits.size() < 2) exp_digits.insert(0, 1, '0');
    exp_field =
        exp_digits.size() == 2 ? std::string("E") + exp_sign + exp_digits : exp_sign + exp_digits;
  } else {
    if (static_cast<int>(exp_digits.size()) > e) return stars(w);
    exp_digits.insert(0, static_cast<std::size_t>(e) - exp_digits.size(), '0');
    exp_field = std::string("E") + exp_sign + exp_digits;
  }

  std::string body = mantissa + exp_field;
  if (body[0] == '.' && static_cast<int>(body.size()) + negative < w) body.insert(0, 1, '0');
  if (negative) body.insert(0, 1, '-');
  return right_justified(body, w);
}

std::string edit_general(double value, int w, int d, int e, int scale) {
  check_width(w, d);
  if (d < 1) throw FormatError("G needs at least one digit");
  if (auto special = special_value(value, w)) return *special;
  // In range, the value is written as F without scale factor in the first
  // w - n columns, followed by n blanks where the exponent would be.
  const int n = e == 0 ? 4 : e + 2;
  const auto as_fixed = [&](int decimals) {
    if (w - n < 1) return stars(w);
    std::string field = edit_fixed(value, w - n, decimals, 0);
    if (field[0] == '*') return stars(w);
    return field + std::string(static_cast<std::size_t>(n), ' ');
  };
  const double magnitude = std::fabs(value);
  if (magnitude == 0.0) return as_fixed(d - 1);
  // The range is decided on the value rounded to d digits: 0.1 <= r < 10^d.
  const int exponent = significant(magnitude, d).exponent;
  if (exponent >= 0 && exponent <= d) return as_fixed(d - exponent);
  return edit_exponent(value, w, d, e, scale);
}

// ---------------------------------------------------------------------------
// Interpreter.

namespace {

class Writer {
 public:
  explicit Writer(std::span<const FormatItem> items) : items_(items) {}

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

  FormattedText finish() && {
    if (!keep_open_) out_ += '\n';
    return FormattedText{std::move(out_), keep_open_};
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
        put(node.text);
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
          put(edit(node, items_[next_++]));
        }
        return true;
    }
  }

  void put(std::string_view field) {
    out_.append(static_cast<std::size_t>(pending_skip_), ' ');
    pending_skip_ = 0;
    out_ += field;
  }

  std::string edit(const Node& node, const FormatItem& item) const {
    switch (node.kind) {
      case Kind::integer:
        return edit_integer(get<std::int64_t>(item, "I"), node.width, node.digits);
      case Kind::fixed:
        return edit_fixed(get<double>(item, "F"), node.width, node.digits, scale_);
      case Kind::exponent:
        return edit_exponent(get<double>(item, "E"), node.width, node.digits, node.exp_digits,
                             scale_);
      case Kind::general:
        return edit_general(get<double>(item, "G"), node.width, node.digits, node.exp_digits,
                            scale_);
      case Kind::logical:
        return right_justified(get<bool>(item, "L") ? "T" : "F", node.width);
      default: {
        const std::string_view text = get<std::string_view>(item, "A");
        if (node.width < 0) return std::string(text);
        const std::size_t w = static_cast<std::size_t>(node.width);
        if (text.size() >= w) return std::string(text.substr(0, w));
        return std::string(w - text.size(), ' ') + std::string(text);
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
  std::string out_;
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

FormattedText format_write(const FortranFormat& format, std::span<const FormatItem> items) {
  Writer writer(items);
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
  return std::move(writer).finish();
}

}  // namespace kestro
