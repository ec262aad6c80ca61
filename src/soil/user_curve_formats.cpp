#include "soil/user_curve_formats.h"

namespace kestro {

const UserCurveFormats& user_curve_formats() {
  static const UserCurveFormats kFormats;
  return kFormats;
}

}  // namespace kestro
