// The script compiler: a readable script (UTF-8, one statement a line, "//" comments, INCLUDE
// under a root folder) becomes the lines the game reads, checked, in the stored form of a line
// table: u32 buffer size S, u32 bytes used U, u32 line count N, U bytes of lines each followed by
// NUL, u32 capacity C, C x u32 offsets. The compiler writes S = U and C = N.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zoq::tools::script {

struct StoredScript {
    uint32_t buffer = 0;
    uint32_t used = 0;
    uint32_t capacity = 0;
    std::vector<std::string> lines; // Windows-1251
};

// The checked lines of source; false with "<file>:<line>: <reason>".
bool CompileScript(const std::filesystem::path& source, const std::filesystem::path& root,
    std::vector<std::string>& lines, std::string& error);
std::vector<uint8_t> StoreScript(const std::vector<std::string>& lines);
// Reads a stored form; false with the reason when it is corrupt.
bool ReadStoredScript(const std::vector<uint8_t>& bytes, StoredScript& script, std::string& error);

} // namespace zoq::tools::script
