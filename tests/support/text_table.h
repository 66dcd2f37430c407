// The script manager's text table in tests: an "INFORMATION" table source (UTF-8, the database
// builder's format, fields NAME, TEXT, ABOUT and DELETED declared here) written as the record
// database "SCRIPT\Quest.dat" under a folder.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace zoq::test {

// records: "[KEY]" blocks with "TEXT = ..." and the like.
bool WriteTextTable(const std::filesystem::path& root, std::string_view records, std::string& error);

} // namespace zoq::test
