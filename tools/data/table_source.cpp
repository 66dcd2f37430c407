#include "tools/data/table_source.h"

#include "platform/win/text.h"
#include "tools/data/strict_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>

namespace zoq::tools::data {
namespace {

struct TypeRow {
    FieldType type;
    const char* name;
};

constexpr TypeRow kTypes[] = {
    { FieldType::Text, "text" },
    { FieldType::Integer, "int" },
    { FieldType::Float, "float" },
};

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

class Parser {
public:
    Parser(const std::string& file, TableSource& table, std::string& error)
        : m_file(file)
        , m_table(table)
        , m_error(error)
    {
    }

    bool Line(size_t number, std::string_view line)
    {
        m_line = number;
        line = Trim(line);
        if (line.empty() || line.front() == '#')
            return true;
        if (line.front() == '@')
            return Directive(line);
        if (line.front() == '[')
            return Record(line);
        size_t eq = line.find('=');
        if (eq == std::string_view::npos)
            return Fail("expected '[RECORD]', '@table', '@field' or 'KEY = VALUE'");
        return Value(Trim(line.substr(0, eq)), Trim(line.substr(eq + 1)));
    }

private:
    bool Fail(const std::string& reason)
    {
        m_error = m_file + ":" + std::to_string(m_line) + ": " + reason;
        return false;
    }

    bool Name(std::string_view utf8, const char* what, std::string& out)
    {
        if (utf8.empty())
            return Fail(std::string("empty ") + what + " name");
        if (!StrictUtf8ToCp1251(utf8, out))
            return Fail(std::string(what) + " name has a character without a Windows-1251 byte");
        if (out.size() > kMaxTableName)
            return Fail(std::string(what) + " name longer than 31 bytes");
        return true;
    }

    bool Directive(std::string_view line)
    {
        size_t space = line.find_first_of(" \t");
        std::string_view word = line.substr(0, space);
        std::string_view rest
            = space == std::string_view::npos ? std::string_view() : Trim(line.substr(space));
        if (word == "@table") {
            if (m_haveTable)
                return Fail("repeated @table");
            if (!m_table.fields.empty() || !m_table.records.empty())
                return Fail("@table after fields or records");
            m_haveTable = true;
            return Name(rest, "table", m_table.name);
        }
        if (word == "@field") {
            if (!m_table.records.empty())
                return Fail("@field after the first record");
            size_t sep = rest.find_first_of(" \t");
            if (sep == std::string_view::npos)
                return Fail("@field needs a name and a type");
            std::string_view typeName = Trim(rest.substr(sep));
            TableField field;
            if (!Name(rest.substr(0, sep), "field", field.name))
                return false;
            auto row = std::find_if(
                std::begin(kTypes), std::end(kTypes), [&](const TypeRow& r) { return typeName == r.name; });
            if (row == std::end(kTypes))
                return Fail("field type '" + std::string(typeName) + "' is not text, int or float");
            field.type = row->type;
            if (FindField(field.name) >= 0)
                return Fail("repeated field '" + std::string(rest.substr(0, sep)) + "'");
            m_table.fields.push_back(std::move(field));
            return true;
        }
        return Fail("unknown directive '" + std::string(word) + "'");
    }

    bool Record(std::string_view line)
    {
        if (line.back() != ']')
            return Fail("record line must end with ']'");
        TableRecord record;
        if (!Name(Trim(line.substr(1, line.size() - 2)), "record", record.name))
            return false;
        for (const TableRecord& other : m_table.records) {
            if (plat::win::EqualNoCase1251(other.name, record.name))
                return Fail("duplicate record '" + std::string(Trim(line.substr(1, line.size() - 2))) + "'");
        }
        m_table.records.push_back(std::move(record));
        return true;
    }

    int FindField(std::string_view name) const
    {
        for (size_t i = 0; i < m_table.fields.size(); ++i) {
            if (plat::win::EqualNoCase1251(m_table.fields[i].name, name))
                return int(i);
        }
        return -1;
    }

    bool Value(std::string_view keyUtf8, std::string_view text)
    {
        if (m_table.records.empty())
            return Fail("value before the first record");
        std::string key;
        if (!StrictUtf8ToCp1251(keyUtf8, key))
            return Fail("key has a character without a Windows-1251 byte");
        int field = FindField(key);
        if (field < 0)
            return Fail("undeclared key '" + std::string(keyUtf8) + "'");
        TableRecord& record = m_table.records.back();
        for (const TableValue& value : record.values) {
            if (value.field == size_t(field))
                return Fail("repeated key '" + std::string(keyUtf8) + "'");
        }
        TableValue value;
        value.field = size_t(field);
        switch (m_table.fields[size_t(field)].type) {
        case FieldType::Text: {
            std::string utf8;
            if (!Text(text, utf8))
                return false;
            if (!StrictUtf8ToCp1251(utf8, value.bytes))
                return Fail("text has a character without a Windows-1251 byte");
            value.bytes.push_back('\0');
            break;
        }
        case FieldType::Integer: {
            int32_t v = 0;
            if (!Integer(text, v))
                return Fail("'" + std::string(text) + "' is not a 32-bit integer");
            value.bytes.assign(reinterpret_cast<const char*>(&v), 4);
            break;
        }
        case FieldType::Float: {
            float v = 0;
            auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
            if (text.empty() || ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v))
                return Fail("'" + std::string(text) + "' is not a finite float");
            value.bytes.assign(reinterpret_cast<const char*>(&v), 4);
            break;
        }
        }
        record.values.push_back(std::move(value));
        return true;
    }

    bool Text(std::string_view text, std::string& out)
    {
        if (text.empty() || text.front() != '"') {
            out = text;
            return true;
        }
        size_t i = 1;
        for (; i < text.size() && text[i] != '"'; ++i) {
            if (text[i] == '\\') {
                if (i + 1 >= text.size() || (text[i + 1] != '"' && text[i + 1] != '\\'))
                    return Fail("in quotes only \\\" and \\\\ may follow a backslash");
                ++i;
            }
            out.push_back(text[i]);
        }
        if (i >= text.size())
            return Fail("unterminated quoted text");
        if (!Trim(text.substr(i + 1)).empty())
            return Fail("text after the closing quote");
        return true;
    }

    static bool Integer(std::string_view text, int32_t& out)
    {
        bool negative = !text.empty() && (text.front() == '-' || text.front() == '+');
        std::string_view digits = negative ? text.substr(1) : text;
        if (negative && text.front() == '+')
            negative = false;
        int base = 10;
        if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
            digits.remove_prefix(2);
            base = 16;
        }
        if (digits.empty())
            return false;
        uint64_t v = 0;
        auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v, base);
        if (ec != std::errc() || end != digits.data() + digits.size())
            return false;
        if (base == 16) {
            // Hex gives the bit pattern: 0xFFFFFFFF is -1.
            if (negative || v > 0xFFFFFFFFull)
                return false;
            out = int32_t(uint32_t(v));
            return true;
        }
        if (negative ? v > 0x80000000ull : v > 0x7FFFFFFFull)
            return false;
        out = negative ? int32_t(-int64_t(v)) : int32_t(v);
        return true;
    }

    const std::string& m_file;
    TableSource& m_table;
    std::string& m_error;
    size_t m_line = 0;
    bool m_haveTable = false;
};

} // namespace

const char* FieldTypeName(FieldType type)
{
    for (const TypeRow& row : kTypes) {
        if (row.type == type)
            return row.name;
    }
    return "?";
}

bool ParseTableSource(std::string_view text, const std::string& file, const std::string& defaultName,
    TableSource& table, std::string& error)
{
    table = TableSource();
    table.file = file;
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    Parser parser(file, table, error);
    size_t number = 1;
    while (true) {
        size_t eol = text.find('\n');
        if (!parser.Line(number, text.substr(0, eol)))
            return false;
        if (eol == std::string_view::npos)
            break;
        text.remove_prefix(eol + 1);
        ++number;
    }
    if (table.name.empty()) {
        if (!StrictUtf8ToCp1251(defaultName, table.name) || table.name.empty()) {
            error = file + ": file name is no table name";
            return false;
        }
        if (table.name.size() > kMaxTableName) {
            error = file + ": table name longer than 31 bytes";
            return false;
        }
    }
    return true;
}

bool ParseTableDirectory(
    const std::filesystem::path& dir, std::vector<TableSource>& tables, std::string& error)
{
    namespace fs = std::filesystem;
    std::error_code code;
    std::vector<fs::path> files;
    for (fs::directory_iterator it(dir, code), end; !code && it != end; it.increment(code)) {
        const fs::path& path = it->path();
        if (path.extension() == ".txt" && it->is_regular_file(code))
            files.push_back(path);
    }
    if (code) {
        error = dir.string() + ": " + code.message();
        return false;
    }
    std::sort(files.begin(), files.end(),
        [](const fs::path& a, const fs::path& b) { return a.filename().string() < b.filename().string(); });
    for (const fs::path& path : files) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        if (!in) {
            error = path.string() + ": cannot read";
            return false;
        }
        TableSource table;
        if (!ParseTableSource(text.str(), path.string(), path.stem().string(), table, error))
            return false;
        tables.push_back(std::move(table));
    }
    return true;
}

} // namespace zoq::tools::data
