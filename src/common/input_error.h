// The stop raised by the readers for input they cannot parse.
#pragma once

#include <string>
#include <utility>

#include "common/run_stop.h"

namespace kestro {

// Bad input found while reading: the message says which file, which line and
// what was expected, e.g. `wall.dat, line 3, item 2: expected a real number,
// found "six"`.  It is a RunStop of kind bad_input, reported like any other.
class InputError : public RunStop {
 public:
  explicit InputError(std::string message, InputPlace place = {})
      : RunStop(StopKind::bad_input, std::move(message)) {
    at(std::move(place));
  }
};

}  // namespace kestro
