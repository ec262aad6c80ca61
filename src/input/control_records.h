// The control record and the geometry and iteration record of a problem:
// reading, validation and echo into the report.
#pragma once

#include "input/input_context.h"

namespace kestro {

// Reads the twelve integers of the control record into context.control.
// Raises a bad-input stop for items that do not parse.
void read_control_record(const InputContext& context);

// Checks the unit flag (1 or 2), sets the unit labels of the problem and
// writes the "PROGRAM CONTROL PARAMETERS" echo with the tie-back hinge lines.
// A unit flag other than 1 or 2 raises a bad-input stop naming the control record.
void echo_control_parameters(const InputContext& context);

// Reads, validates and echoes the geometry and iteration record and prepares
// the wall model for the problem (N and h, every station array cleared).  A negative
// iteration limit ends the run quietly; more increments than the station
// arrays hold ends it with "TOO MUCH DATA FOR AVAILABLE STORAGE"; fewer than
// one increment, or an increment length that is not positive, is bad input.
void read_geometry_record(const InputContext& context);

// Checks the counts that decide the following tables: negative counts end
// the run quietly, more specified points than the store holds ends it with
// "TOO MUCH DATA FOR AVAILABLE STORAGE", other negative counts are bad input.
void check_table_counts(const InputContext& context);

}  // namespace kestro
