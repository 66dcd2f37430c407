// Parameter tables in ini mode for the tests: a root file in the base directory names one ini
// file per table, and the parameter readers are pointed at it.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace zoq::test {

// (table name, ini text), both as stored (Windows-1251).
using IniTables = std::vector<std::pair<std::string, std::string>>;

// Writes the tables as table0.ini, table1.ini, ... and the root file naming them, then selects
// the root as the readers' source.
void UseIniTables(const IniTables& tables, const std::string& root = "tables.ini");
// The same with names and texts given in UTF-8.
void UseUtf8IniTables(const IniTables& tables);

} // namespace zoq::test
