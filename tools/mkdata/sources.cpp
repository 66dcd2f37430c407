#include "tools/mkdata/sources.h"

#include "platform/win/text.h"
#include "tools/data/strict_text.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <system_error>

namespace zoq::tools::mkdata {

SourceTree::SourceTree(std::filesystem::path root)
    : m_root(std::move(root))
{
    std::filesystem::path name = m_root.lexically_normal();
    if (!name.has_filename())
        name = name.parent_path();
    m_name = name.filename().string();
    if (m_name.empty() || m_name == ".")
        m_name = "data";
}

std::string SourceTree::Shown(std::string_view relative) const
{
    return m_name + "/" + std::string(relative);
}

bool SourceTree::Exists(std::string_view relative) const
{
    std::error_code ec;
    return std::filesystem::is_regular_file(m_root / std::filesystem::path(relative), ec);
}

bool SourceTree::ReadFile(std::string_view relative, std::string& out, std::string& error) const
{
    std::ifstream in(m_root / std::filesystem::path(relative), std::ios::binary);
    if (!in) {
        error = Shown(relative) + ": cannot open";
        return false;
    }
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) {
        error = Shown(relative) + ": cannot read";
        return false;
    }
    return true;
}

std::vector<std::string> SourceTree::List(std::string_view folder, std::string_view extension) const
{
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry :
        std::filesystem::directory_iterator(m_root / std::filesystem::path(folder), ec)) {
        if (!entry.is_regular_file(ec))
            continue;
        const std::string name = entry.path().filename().string();
        if (name.size() > extension.size()
            && name.compare(name.size() - extension.size(), extension.size(), extension) == 0)
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string_view> SplitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

std::string_view TrimBlanks(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

std::vector<std::string_view> SplitWords(std::string_view text)
{
    std::vector<std::string_view> words;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
            ++i;
        const size_t start = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t')
            ++i;
        if (i > start)
            words.push_back(text.substr(start, i - start));
    }
    return words;
}

bool ToCp1251(std::string_view utf8, std::string& out)
{
    out.clear();
    return data::StrictUtf8ToCp1251(utf8, out);
}

std::string ToUtf8(std::string_view cp1251)
{
    return plat::win::Cp1251ToUtf8(cp1251);
}

bool LoadTableSource(const SourceTree& tree, std::string_view relative, TableEntry& out, std::string& error)
{
    std::string text;
    if (!tree.ReadFile(relative, text, error))
        return false;
    std::string name(std::filesystem::path(relative).stem().string());
    std::string defaultName;
    if (!ToCp1251(name, defaultName))
        defaultName.clear();
    out = TableEntry();
    out.origin = tree.At(relative, 1);
    if (!data::ParseTableSource(text, tree.Shown(relative), defaultName, out.table, error))
        return false;
    // The parser has accepted the text, so every "[...]" line opens a record and every other
    // line that is not a comment, a directive or blank holds one value of the record before it.
    const std::vector<std::string_view> lines = SplitLines(text);
    for (size_t n = 0; n < lines.size(); ++n) {
        const std::string_view line = TrimBlanks(lines[n]);
        if (line.empty() || line.front() == '#' || line.front() == '@')
            continue;
        if (line.front() == '[') {
            out.recordLines.push_back(int(n + 1));
            out.valueLines.emplace_back();
        } else if (!out.valueLines.empty()) {
            out.valueLines.back().push_back(int(n + 1));
        }
    }
    if (out.recordLines.size() != out.table.records.size()) {
        error = tree.Shown(relative) + ": records could not be located";
        return false;
    }
    return true;
}

uint64_t Fnv1a(std::string_view bytes, uint64_t seed)
{
    uint64_t hash = seed;
    for (unsigned char c : bytes) {
        hash ^= c;
        hash *= 0x100000001b3ull;
    }
    return hash;
}

} // namespace zoq::tools::mkdata
