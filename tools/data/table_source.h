// Table sources: the readable text form of one database table, UTF-8.
//
//   # comment
//   @table Текстуры            (optional; default: the file name without ".txt")
//   @field Filename text       (text|int|float; field ids follow the declaration order)
//   [TEX_SAMPLECOLOR]
//   Filename = Data\Textures\sample.tm
//
// A text value is the trimmed rest of the line, or "..." with \" and \\ to keep blanks. An
// int is decimal or 0x-hex, a float finite. Names are at most 31 bytes in Windows-1251.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zoq::tools::data {

enum class FieldType : uint32_t {
    Text = 0, // stored in the name file: fixed by the format
    Integer = 1,
    Float = 2,
};

const char* FieldTypeName(FieldType type); // "text", "int", "float"

struct TableField {
    std::string name; // Windows-1251
    FieldType type = FieldType::Text;
};

struct TableValue {
    size_t field = 0; // index into TableSource::fields
    std::string bytes; // as stored: text with its terminator, or 4 bytes
};

struct TableRecord {
    std::string name; // Windows-1251
    std::vector<TableValue> values; // in line order
};

struct TableSource {
    std::string file; // for messages
    std::string name; // Windows-1251
    std::vector<TableField> fields;
    std::vector<TableRecord> records;
};

inline constexpr size_t kMaxTableName = 31;

// Parses one source; errors read "FILE:LINE: reason".
bool ParseTableSource(std::string_view text, const std::string& file, const std::string& defaultName,
    TableSource& table, std::string& error);

// Every "*.txt" of dir in file-name byte order, one table each.
bool ParseTableDirectory(
    const std::filesystem::path& dir, std::vector<TableSource>& tables, std::string& error);

} // namespace zoq::tools::data
