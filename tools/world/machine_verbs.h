// The machine commands of zoq-world, on tables already loaded: the configuration list and one
// machine record read from its stored bytes.
#pragma once

#include <cstdint>
#include <vector>

namespace zoq::tools::world {

// One "config" line per configuration in list order.
void PrintConfigs();
// Reads the record (wire form, or full save form) and prints it; false when it is refused.
bool PrintMachine(const std::vector<uint8_t>& bytes, bool full);

} // namespace zoq::tools::world
