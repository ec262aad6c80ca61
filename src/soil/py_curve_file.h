// The p-y curve file: the curves of a generation as it writes them (the user
// curves held for it first, then five generated curves per layer), the text
// of the file, and the curves it carries to the solver, every value rounded
// as the file's fields keep it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace kestro {

// Points per half-curve (one side of the wall) of a generated curve.
inline constexpr int kHalfCurvePoints = 17;

// The layouts of a point record: point number, p, y.
enum class PointLayout {
  four_digits,         // (I5,1X,1PE10.3,1X,1PE10.3): four significant digits
  four_digits_joined,  // (I5,1X,1P,2E10.3): four digits, y written right after p
  three_digits,        // (I5,2(2X,E10.3)): three significant digits
};

// Significant digits a point record keeps of p and y.
int point_digits(PointLayout layout);

// One curve of the file: a held user curve at its station, or a generated
// curve at its depth x + H (excavation side's 17 points, then the backfill
// side's 17, each side's numbered from 1).
struct PyFileCurve {
  bool user = false;
  int STA = 0;         // a user curve's station
  double depth = 0.0;  // a generated curve's depth
  PointLayout layout = PointLayout::four_digits;
  std::vector<double> p;
  std::vector<double> y;
};

// The file: its curves in order.  Its first record is their count.
struct PyCurveFile {
  std::vector<PyFileCurve> curves;
};

// The text of the file: the count, list-directed, then per curve its head
// (station or depth, and the number of points; list-directed) and one record
// per point in the curve's layout.
std::string py_curve_file_text(const PyCurveFile& file);

// Line of the file on which the head of curve k (from 0) stands.
std::size_t head_line(const PyCurveFile& file, std::size_t k);

// A curve as reading its records back gives it: the depth as
// round_list_directed keeps it, p and y as round_to_significant keeps them
// at the digits of the curve's layout.  head is the line of its head record.
// A record that would not read back (a value that is not finite, or in the
// joined layout a negative y, whose field runs into p's) stops the run with
// the reader's message for that record, naming the file `label` (bad
// input).
PyFileCurve read_back_curve(const PyFileCurve& curve, const std::string& label, std::size_t head);

}  // namespace kestro
