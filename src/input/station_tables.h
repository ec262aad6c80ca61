// The tables that place data on the stations: specified deflections and
// slopes, the stiffness and load table (EI from the wall sections, load
// records, spring records, tie-backs) and the end-of-wall check.
#pragma once

#include "input/input_context.h"

namespace kestro {

// Reads and echoes control.specified_points points and sets the station
// condition codes.  Stations that decrease, or a first station below -1, end
// the run with "ERROR STOP -- STATIONS NOT IN ORDER"; points whose codes
// would fall on each other's stations are bad input.
void read_specified_points(const InputContext& context);

// Writes the stiffness and load table: the EI rows of the wall sections, then
// reads the load records, the spring records and the tie-backs, spreading
// each over the stations and echoing it; then the tie-back data table and the
// end-of-wall check ("ERROR -- NON-ZERO TABLE 4 DATA BEYOND END").
void read_stiffness_and_load_data(const InputContext& context);

}  // namespace kestro
