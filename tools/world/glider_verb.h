// The glider command of zoq-world, on tables already loaded: the physics values a glider type
// gives a glider, before and after its hull is set, and the model points it found.
#pragma once

namespace zoq::tools::world {

// A glider of the row at the identity placement without a machine: Init, SetGliderType with the
// row's hull item, InitGlider; six lines. False for a name the glider table lacks.
bool PrintGlider(const char* type);

} // namespace zoq::tools::world
