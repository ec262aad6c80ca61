// The report layouts of user p-y curves, shared by the readers of user curves
// alone and of user curves given with generated ones.
#pragma once

#include "common/fortran_format.h"

namespace kestro {

struct UserCurveFormats {
  FortranFormat none = FortranFormat::parse("(/'                    ')");
  FortranFormat empty_line = FortranFormat::parse("()");
  FortranFormat title = FortranFormat::parse(
      "(//6X,50('*')/6X,'*     INPUTTED  SOIL RESISTANCE (P-Y) CURVES     *'/6X,50('*')/)");
  FortranFormat column_head = FortranFormat::parse(
      "(//'     FROM TO CONTD      P-MULTIPLIER  Y-MULTIPLIER','      POINTS     ')");
  FortranFormat single_row = FortranFormat::parse("(5X,2I4,I3,5X,2E14.3,1(8X,I4))");
  FortranFormat opening_row = FortranFormat::parse("(5X,I4,4X,I3,5X,1P,2E14.3,1(10X,I3))");
  FortranFormat closing_row = FortranFormat::parse("(9X,I4,I3,5X,1P,2E14.3,1(10X,I3))");
  FortranFormat point_head = FortranFormat::parse(
      "(/18X,'    Y    ',12X,'   P    '/20X,A3,16X,A4,'/',A2/18X,'---------',12X,'--------')");
  FortranFormat point_row = FortranFormat::parse("(17X,1PE10.3,10X,1PE10.3)");
};

// The formats, parsed once.
const UserCurveFormats& user_curve_formats();

}  // namespace kestro
