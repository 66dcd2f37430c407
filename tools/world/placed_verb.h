// The placed command of zoq-world, on a location already loaded: one run of the object list with
// no player's glider, then a line for every placed building, tower, boundary post and piece of
// scenery.
#pragma once

namespace zoq::tools::world {

// Runs the object list once (1/60 s, no player's glider) and prints one line per object of the
// placed kinds in list order: type code, name, type id, radius, solid, rays and the kind's own
// fields.
void PrintPlaced();

} // namespace zoq::tools::world
