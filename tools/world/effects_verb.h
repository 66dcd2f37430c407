// The effects command of zoq-world, on the type tables already loaded with no location (ground
// height 0): one line per projectile row (its missile at an identity frame at the origin) and per
// explosion row (its explosion after Init).
#pragma once

#include <string>
#include <vector>

namespace zoq::tools::world {

// Every projectile row, then every explosion row, in table order; with names, those rows in the
// order given. An unknown name prints "zoq-world: no projectile or explosion NAME" to stderr
// before anything else and gives 1; else 0. rand is seeded with 1 first.
int PrintEffects(const std::vector<std::string>& names);

} // namespace zoq::tools::world
