// The error raised for input the engine cannot use.
#pragma once

#include <stdexcept>
#include <string>

namespace kestro {

// Bad input: the message says which file, which line and what was expected,
// e.g. `wall.dat, line 3, item 2: expected a real number, found "six"`.
// The driver reports it and ends the run through its end sequence.
class InputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace kestro
