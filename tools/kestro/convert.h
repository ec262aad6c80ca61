// `kestro convert IN OUT` and `kestro schema [FILE]`: a deck from one form to
// the other, and the JSON Schema of the JSON form.
#pragma once

#include <string>
#include <vector>

namespace kestro::host {

// Converts the deck IN into OUT, each in the form its name says (JSON for a
// name ending in .json, the list-directed text otherwise), writing OUT whole.
// Refuses to write over IN.  Exit status: 0 converted, 1 IN cannot be read
// or converted (nothing is written), 2 usage.  `args` is the command line
// from "convert" on.
int convert_command(const std::vector<std::string>& args);

// Prints the JSON Schema of the JSON form of a deck, or writes it whole to
// FILE.  Exit status 0, 1 when FILE cannot be written, 2 usage.
int schema_command(const std::vector<std::string>& args);

}  // namespace kestro::host
