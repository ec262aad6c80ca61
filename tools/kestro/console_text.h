// Text the host prints for a person at a terminal: durations in readable
// units and deck names shortened to fit a column.
#pragma once

#include <cstddef>
#include <string>

namespace kestro::host {

// A duration as a person reads it: three significant digits in the largest
// unit that keeps the number at least 1 ("850 µs", "3.65 ms", "1.24 s"),
// whole seconds from a minute on ("2 min 05 s") and whole minutes from an
// hour on ("1 h 02 min").  A negative or non-finite duration is "0 s".
std::string duration_text(double seconds);

// The number of characters (UTF-8 code points) of text: the columns it takes
// on a terminal, wide characters aside.
std::size_t text_columns(const std::string& text);

// `path` in at most `width` columns: as it is when it fits; else its last
// components after ".../" (".../examples/wall.dat"), as many as fit; else the
// file name alone; else the file name with its middle replaced by "...", so
// that its start and its extension stay.  Never cuts a UTF-8 character.
// A width below 8 is taken as 8.
std::string shortened_path(const std::string& path, std::size_t width);

}  // namespace kestro::host
