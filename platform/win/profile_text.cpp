#include "platform/win/profile_text.h"

#include "platform/win/text.h"

namespace plat::win {
namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::string_view Unquote(std::string_view s)
{
    if (s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front())
        return s.substr(1, s.size() - 2);
    return s;
}

} // namespace

ProfileText::ProfileText(std::string bytes)
    : m_bytes(std::move(bytes))
{
    Parse();
}

void ProfileText::Parse()
{
    m_lines.clear();
    std::size_t pos = 0;
    if (m_bytes.starts_with("\xEF\xBB\xBF"))
        pos = 3;
    const std::string_view all(m_bytes);
    while (pos < all.size()) {
        Line line;
        line.start = pos;
        std::size_t newline = all.find('\n', pos);
        if (newline == std::string_view::npos) {
            line.length = all.size() - pos;
            pos = all.size();
        } else {
            line.length = newline - pos;
            line.eol = 1;
            if (line.length > 0 && all[newline - 1] == '\r') {
                --line.length;
                line.eol = 2;
            }
            pos = newline + 1;
        }
        std::string_view text = Trim(all.substr(line.start, line.length));
        if (!text.empty() && text.front() == '[') {
            line.kind = Kind::Section;
            std::size_t close = text.find(']');
            line.name
                = Trim(text.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
        } else if (!text.empty() && text.front() != ';') {
            std::size_t equals = text.find('=');
            if (equals != std::string_view::npos) {
                line.kind = Kind::Key;
                line.name = Trim(text.substr(0, equals));
                line.value = Unquote(Trim(text.substr(equals + 1)));
            }
        }
        m_lines.push_back(line);
    }
}

int ProfileText::FindLine(std::string_view section, std::string_view key) const
{
    bool inSection = false;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        const Line& line = m_lines[i];
        if (line.kind == Kind::Section)
            inSection = EqualNoCase1251(line.name, section);
        else if (inSection && line.kind == Kind::Key && EqualNoCase1251(line.name, key))
            return int(i);
    }
    return -1;
}

std::optional<std::string_view> ProfileText::Find(std::string_view section, std::string_view key) const
{
    int index = FindLine(section, key);
    if (index < 0)
        return std::nullopt;
    return m_lines[std::size_t(index)].value;
}

std::vector<std::string_view> ProfileText::SectionNames() const
{
    std::vector<std::string_view> names;
    for (const Line& line : m_lines) {
        if (line.kind != Kind::Section)
            continue;
        bool seen = false;
        for (std::string_view name : names)
            seen = seen || EqualNoCase1251(name, line.name);
        if (!seen)
            names.push_back(line.name);
    }
    return names;
}

std::string_view ProfileText::LineEnding() const
{
    for (const Line& line : m_lines) {
        if (line.eol == 1)
            return "\n";
        if (line.eol == 2)
            return "\r\n";
    }
    return "\r\n";
}

void ProfileText::Set(std::string_view section, std::string_view key, std::string_view value)
{
    const std::string_view eol = LineEnding();
    std::string keyLine;
    keyLine.append(key).append("=").append(value);

    int found = FindLine(section, key);
    if (found >= 0) {
        const Line& line = m_lines[std::size_t(found)];
        m_bytes.replace(line.start, line.length, keyLine);
        Parse();
        return;
    }

    // After the last key line of the first section of that name, else after its header.
    int after = -1;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        const Line& line = m_lines[i];
        if (line.kind == Kind::Section) {
            if (after >= 0)
                break;
            if (EqualNoCase1251(line.name, section))
                after = int(i);
        } else if (after >= 0 && line.kind == Kind::Key) {
            after = int(i);
        }
    }

    std::string insert;
    std::size_t at = m_bytes.size();
    if (after >= 0) {
        const Line& line = m_lines[std::size_t(after)];
        at = line.start + line.length + line.eol;
        if (line.eol == 0)
            insert.append(eol);
    } else {
        if (!m_lines.empty() && m_lines.back().eol == 0)
            insert.append(eol);
        insert.append("[").append(section).append("]").append(eol);
    }
    insert.append(keyLine).append(eol);
    m_bytes.insert(at, insert);
    Parse();
}

} // namespace plat::win
