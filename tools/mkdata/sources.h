// The readable sources of the demo data: a folder of UTF-8 text files ("data/" in the source
// tree), read by path relative to it, with messages that name "data/<path>:<line>".
#pragma once

#include "tools/mkdata/data_set.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zoq::tools::mkdata {

class SourceTree {
public:
    explicit SourceTree(std::filesystem::path root);

    const std::filesystem::path& Root() const { return m_root; }
    // "data/tables/x.txt" for "tables/x.txt": the folder's own name, then the path.
    std::string Shown(std::string_view relative) const;
    Origin At(std::string_view relative, int line) const { return { Shown(relative), line }; }

    bool Exists(std::string_view relative) const;
    // The whole file; false with "data/<path>: reason".
    bool ReadFile(std::string_view relative, std::string& out, std::string& error) const;
    // File names (not folders) directly in a folder, in byte order; empty when it is missing.
    std::vector<std::string> List(std::string_view folder, std::string_view extension) const;

private:
    std::filesystem::path m_root;
    std::string m_name;
};

// Lines of a text without their line ends; a trailing "\r" is dropped.
std::vector<std::string_view> SplitLines(std::string_view text);
std::string_view TrimBlanks(std::string_view text);
// Blank-separated words.
std::vector<std::string_view> SplitWords(std::string_view text);

// UTF-8 to Windows-1251; false when a character has no byte there (or the text is not UTF-8).
bool ToCp1251(std::string_view utf8, std::string& out);
std::string ToUtf8(std::string_view cp1251);

// Parses a table source and finds the line of every record and value.
bool LoadTableSource(const SourceTree& tree, std::string_view relative, TableEntry& out, std::string& error);

// 64-bit FNV-1a, for stamps and stream serials.
uint64_t Fnv1a(std::string_view bytes, uint64_t seed = 0xcbf29ce484222325ull);

} // namespace zoq::tools::mkdata
