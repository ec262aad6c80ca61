// Wall sections and cross sections: reading, echo and the section-property
// summary.  The stiffness copies of each elastic section are made here; the
// stations get their EI from them when the stiffness table is built.
#pragma once

#include "input/input_context.h"

namespace kestro {

// Reads control.wall_sections records (TOP, BOTTOM, SECTION) and echoes
// "* WALL SECTIONS *".
void read_wall_sections(const InputContext& context);

// Reads control.cross_sections definitions, echoes "* CROSS SECTIONS *" and
// the "* CROSS SECTIONS PROPERTIES *" summary.  More sections, rebars,
// strands or repeated values than the store holds end the run with "TOO
// MUCH DATA FOR AVAILABLE STORAGE"; an unknown shape or nonlinear type, or a
// wall section naming a cross section that does not exist, is bad input.
void read_cross_sections(const InputContext& context);

// Station of a depth (feet in English units, metres in SI): depth*12/h or
// depth/h, rounded half away from zero.
int depth_station(const InputContext& context, double depth);

}  // namespace kestro
