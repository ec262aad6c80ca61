// Fortran edit-descriptor formatting for the engine's fixed-layout text files.
//
// A format is parsed once into a FortranFormat and then applied to item lists
// any number of times.  The supported descriptors are Iw, Iw.m, Fw.d, Ew.d,
// Ew.dEe, Gw.d, Gw.dEe, kP (persisting), Lw, Aw, A, nX, 'text', "text", nH
// literals, '/', repeat counts, parenthesised groups, the record-keeping
// backslash (or '$') and format reversion.  The layout rules and the choices
// made where compilers differ are those of the engine's text-file rules: the
// minus sign is dropped on values that print as zero, exact binary ties round
// to even, overflowing fields are filled with '*'.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kestro {

// One output list item of a formatted WRITE.
using FormatItem = std::variant<std::int64_t, double, std::string_view, bool>;

// Thrown by FortranFormat::parse for a format text that is not well formed,
// and by format_write when an item does not suit its edit descriptor (an
// integer item for F, a text for I ...).  Both are programming errors of the
// engine, never caused by user input.
class FormatError : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

// A parsed format, ready to be applied.  Cheap to copy (shares its parse).
class FortranFormat {
 public:
  // The empty format "()", which writes one empty record.
  FortranFormat();

  // Parses a format text including its outer parentheses, e.g.
  // "(6X,'Stage No :',I2,2X,A70)".  Letters may be in either case.  Blanks
  // outside literals are ignored; they may stand between the parts of a
  // descriptor ("A2 ,", "1 P") but not inside a number.  Commas between items
  // are optional.  Throws FormatError for a text that is not a format.
  static FortranFormat parse(std::string_view text);

  struct Node;  // parse tree, defined in the implementation

  // The outermost parenthesis: a group whose children are the top-level items.
  const Node& root() const { return *root_; }
  // Index of the top-level item where format reversion resumes: the last
  // top-level group, or 0 (the whole format) when there is none.
  std::size_t reversion_start() const { return reversion_start_; }

 private:
  std::shared_ptr<const Node> root_;
  std::size_t reversion_start_ = 0;
};

// Result of one formatted WRITE.  Every record the write ended is followed
// by '\n'.  A write that ends on a backslash leaves its last record open: the
// text after the last '\n' (possibly empty) belongs to a record that the next
// write to the same unit continues.
struct FormattedText {
  std::string text;
  bool record_open = false;
};

// Applies the format to the items exactly as a Fortran WRITE would: data
// descriptors consume items in order, the write stops at the first data
// descriptor with no item left (or at the final parenthesis when all items
// are used), and remaining items revert the format to its last top-level
// group, starting a new record.
//
// nX only moves the position: blanks are written when a later descriptor of
// the same record writes something, and skips still pending when the record
// ends ('/', reversion, the end of the write) are dropped, as gfortran does.
// A backslash keeps the record in which it is met open at the end of the
// write; a '/' or a reversion after it still ends that record.
FormattedText format_write(const FortranFormat& format, std::span<const FormatItem> items);

// The same write appended to out, which is left to hold the text of
// FormattedText::text after what it held; returns FormattedText::record_open.
// Allocates nothing once out has the capacity, except for the rare value
// whose rounding needs its exact decimal expansion.  On FormatError, out
// may hold part of the write.
bool format_append(const FortranFormat& format, std::span<const FormatItem> items,
                   std::string& out);

// Convenience for call sites: format_write(format, {item, item, ...}).
inline FormattedText format_write(const FortranFormat& format,
                                  std::initializer_list<FormatItem> items) {
  return format_write(format, std::span<const FormatItem>(items.begin(), items.size()));
}

// Single edit descriptors, exposed for the list-directed writer and tests.
// scale is the current kP factor (applies to F, E and G).  Each returns
// exactly w characters, or '*' * w when the value does not fit.
std::string edit_integer(std::int64_t value, int w, int m = -1);  // m < 0: no .m
std::string edit_fixed(double value, int w, int d, int scale = 0);
std::string edit_exponent(double value, int w, int d, int e = 0, int scale = 0);  // e = 0: default
std::string edit_general(double value, int w, int d, int e = 0, int scale = 0);

// The same descriptors appended to out (allocation as for format_append);
// errors as above, with nothing appended.
void append_integer(std::string& out, std::int64_t value, int w, int m = -1);
void append_fixed(std::string& out, double value, int w, int d, int scale = 0);
void append_exponent(std::string& out, double value, int w, int d, int e = 0, int scale = 0);
void append_general(std::string& out, double value, int w, int d, int e = 0, int scale = 0);

// The value an E field with n significant digits keeps of x once the list-
// directed reader has read it back (n is d under 0P, d + 1 under 1P:
// E10.3 keeps 3, 1PE10.3 keeps 4, E12.5 keeps 5): x correctly rounded to n
// significant decimal digits from its exact binary value, exact ties to
// even, then the double nearest to that decimal.  Zero of either sign gives
// +0 (the field shows no sign).  NaN and infinities come back as they are,
// and a value whose rounding lies beyond the largest double becomes an
// infinity of its sign: the reader refuses the fields of all three, so a
// result that is not finite means the field would not read back.  Throws
// FormatError unless 1 <= n <= 17.  Allocates nothing except in the rare
// cases where formatting would need the exact decimal expansion.
double round_to_significant(double x, int n);

}  // namespace kestro
