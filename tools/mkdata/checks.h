// Checks of a filled DataSet before anything is written: every file a reader opens is made, every
// recipe's file is read, names fit their fields, needed rows exist, and names between tables
// resolve to rows that are not deleted. Each fault is one "origin: what" line.
#pragma once

#include "tools/mkdata/data_set.h"

#include <string>
#include <vector>

namespace zoq::tools::mkdata {

// Adds a line per fault; true when there is none.
bool CheckDataSet(const DataSet& set, std::vector<std::string>& faults);

} // namespace zoq::tools::mkdata
