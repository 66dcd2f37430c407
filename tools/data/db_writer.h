// Builds the three files of a record database (data, ".tab" names, ".ind" index) from table
// sources. Ids and name marks come out as the reader's registration would make them: tables
// 1, 2, ... in order, field ids counting on through the whole name file.
#pragma once

#include "tools/data/table_source.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zoq::tools::data {

struct DbImage {
    std::vector<uint8_t> data; // the records
    std::vector<uint8_t> names; // ".tab"
    std::vector<uint8_t> index; // ".ind"
};

inline constexpr size_t kMaxRecordFields = 256;

bool BuildDatabase(const std::vector<TableSource>& tables, DbImage& image, std::string& error);

// The name and index files' paths: everything from the last "." of the file name replaced.
std::filesystem::path DbCompanionPath(const std::filesystem::path& data, const char* extension);

// Writes the three files, each through a temporary file.
bool WriteDatabase(const std::filesystem::path& data, const DbImage& image, std::string& error);

} // namespace zoq::tools::data
