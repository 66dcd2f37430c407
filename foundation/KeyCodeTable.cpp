#include "foundation/KeyCodeTable.h"

#include "foundation/BaseDirectory.h"
#include "foundation/ErrorLog.h"
#include "platform/win/paths.h"
#include "platform/win/text.h"

#include <cstdio>
#include <cstring>
#include <string>

KeyCodeTable g_KeyCodeTable;

namespace {

constexpr size_t kMaxFileBytes = 1 << 20;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Whitespace-separated words; a word keeps at most kMaxToken bytes and knows whether it was cut.
class Tokens {
public:
    explicit Tokens(std::string_view text)
        : m_text(text)
    {
    }
    bool Next(std::string_view& word, bool& cut)
    {
        while (m_pos < m_text.size() && IsBlank(m_text[m_pos]))
            ++m_pos;
        if (m_pos >= m_text.size())
            return false;
        const size_t start = m_pos;
        while (m_pos < m_text.size() && !IsBlank(m_text[m_pos]))
            ++m_pos;
        word = m_text.substr(start, m_pos - start);
        cut = word.size() > KeyCodeTable::kMaxToken;
        if (cut)
            word = word.substr(0, KeyCodeTable::kMaxToken);
        return true;
    }

private:
    std::string_view m_text;
    size_t m_pos = 0;
};

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The leading hexadecimal number of the word ("0x" allowed); false when it has no digit or
// passes 0xFFFF.
bool ParseCode(std::string_view word, uint16_t& code, bool& tooLarge)
{
    size_t i = 0;
    if (word.size() >= 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X') && word.size() > 2
        && HexDigit(word[2]) >= 0)
        i = 2;
    uint32_t value = 0;
    size_t digits = 0;
    tooLarge = false;
    for (; i < word.size() && HexDigit(word[i]) >= 0; ++i, ++digits) {
        value = value * 16 + uint32_t(HexDigit(word[i]));
        if (value > 0xFFFF)
            tooLarge = true;
        if (tooLarge)
            value = 0x10000;
    }
    code = uint16_t(value);
    return digits > 0 && !tooLarge;
}

// The row count: an optional sign and decimal digits, as a number read; 0 without digits.
int64_t ParseCount(std::string_view word)
{
    size_t i = 0;
    bool negative = false;
    if (i < word.size() && (word[i] == '-' || word[i] == '+'))
        negative = word[i++] == '-';
    int64_t value = 0;
    for (; i < word.size() && word[i] >= '0' && word[i] <= '9'; ++i) {
        value = value * 10 + (word[i] - '0');
        if (value > INT32_MAX)
            value = INT32_MAX;
    }
    return negative ? -value : value;
}

} // namespace

bool KeyCodeTable::Parse(std::string_view text, const Log& log)
{
    Free();
    Tokens tokens(text);
    std::string_view word;
    bool cut = false;
    if (!tokens.Next(word, cut))
        return true;
    const int64_t count = ParseCount(word);
    char line[128];
    for (int64_t row = 0; row < count; ++row) {
        std::string_view words[3];
        bool cuts[3] = {};
        for (int k = 0; k < 3; ++k) {
            if (!tokens.Next(words[k], cuts[k])) {
                Free();
                if (log) {
                    std::snprintf(line, sizeof line, "DICode.ini: row %lld of %lld is incomplete",
                        (long long)row + 1, (long long)count);
                    log(line);
                }
                return false;
            }
        }
        uint16_t code = 0;
        bool tooLarge = false;
        const char* reason = nullptr;
        if (!ParseCode(words[1], code, tooLarge))
            reason = tooLarge ? "its code is above 0xFFFF" : "its code is not hexadecimal";
        else if (cuts[2] || words[2].size() > kMaxName)
            reason = "its name is longer than 15 characters";
        if (reason) {
            if (log) {
                std::snprintf(
                    line, sizeof line, "DICode.ini: row %lld skipped: %s", (long long)row + 1, reason);
                log(line);
            }
            continue;
        }
        SKeyCodeRow* added = m_rows.AddEmpty(true);
        added->code = code;
        std::memcpy(added->name, words[2].data(), words[2].size());
    }
    return true;
}

void KeyCodeTable::Load()
{
    Free();
    const std::string path = BaseDirectory() + "Data\\CONFIG\\DICode.ini";
    std::FILE* file = plat::win::OpenFile(path, "rt");
    if (!file)
        return;
    std::string text;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0 && text.size() < kMaxFileBytes)
        text.append(buffer, n);
    std::fclose(file);
    Parse(text, [](const char* line) { WriteErrorLog(line); });
}

int32_t KeyCodeTable::Find(std::string_view name) const
{
    for (const SKeyCodeRow& row : m_rows) {
        if (plat::win::EqualNoCase1251(std::string_view(row.name, strnlen(row.name, sizeof row.name)), name))
            return row.code;
    }
    return -1;
}
