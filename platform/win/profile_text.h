// The text of a profile (ini) file, parsed in place: every line keeps its bytes, so a write
// changes one line and leaves the rest of the file as it was. Names compare ignoring case
// over ASCII and Cyrillic (Windows-1251); the first of duplicate keys wins.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plat::win {

class ProfileText {
public:
    explicit ProfileText(std::string bytes = {});

    // The key's value, trimmed, without quotes that enclose it wholly; nullopt when absent.
    std::optional<std::string_view> Find(std::string_view section, std::string_view key) const;
    // Section names in file order, each name once.
    std::vector<std::string_view> SectionNames() const;
    // Makes the key's line "key=value": rewrites an existing one, else adds it after the
    // section's last key line, else adds the section at the end.
    void Set(std::string_view section, std::string_view key, std::string_view value);

    const std::string& Bytes() const { return m_bytes; }

private:
    enum class Kind { Other, Section, Key };
    struct Line {
        std::size_t start = 0; // first byte of the line
        std::size_t length = 0; // bytes before the line ending
        std::size_t eol = 0; // 0, 1 (LF) or 2 (CRLF)
        Kind kind = Kind::Other;
        std::string_view name; // section or key name, trimmed
        std::string_view value; // key value, trimmed and unquoted
    };

    void Parse();
    // Index of the first key line of `key` in a section named `section`, or -1.
    int FindLine(std::string_view section, std::string_view key) const;
    std::string_view LineEnding() const;

    std::string m_bytes;
    std::vector<Line> m_lines;
};

} // namespace plat::win
