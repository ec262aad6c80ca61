// Small writers that build a report line piece by piece: each appends to the
// current record of a unit without ending it, except line_end.
#pragma once

#include <string_view>

#include "common/text_unit.h"

namespace kestro {

// Writes x in width w with s significant digits: Fw.d for values of ordinary
// size, 1PEw.s for very small or very large ones.  Zero and magnitudes below
// 1.0E-50 print as 0 with Fw.s.
void write_number(TextUnit& unit, int w, int s, double x);

// Writes n with Iw.
void write_integer(TextUnit& unit, int w, int n);

// Writes n blanks; nothing when n is below 1.
void write_blanks(TextUnit& unit, int n);

// Writes the first `width` characters of text (format A1, A2 or A3); a
// shorter text is right-justified in the field.
void write_label(TextUnit& unit, std::string_view text, int width);

// Writes one blank and ends the record.
void line_end(TextUnit& unit);

}  // namespace kestro
