#include "app/CommandLine.h"

#include <algorithm>

namespace {

constexpr size_t kMaxWord = 255;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// sscanf's parts of "-%s %s": a literal that must come next, and a word after blanks.
class Scanner {
public:
    explicit Scanner(std::string_view text)
        : m_text(text)
    {
    }
    void SkipBlanks()
    {
        while (m_pos < m_text.size() && IsBlank(m_text[m_pos]))
            ++m_pos;
    }
    bool Literal(char c)
    {
        if (m_pos >= m_text.size() || m_text[m_pos] != c)
            return false;
        ++m_pos;
        return true;
    }
    bool Word(std::string& out, bool& cut)
    {
        SkipBlanks();
        const size_t start = m_pos;
        while (m_pos < m_text.size() && !IsBlank(m_text[m_pos]) && m_text[m_pos] != '\0')
            ++m_pos;
        if (m_pos == start)
            return false;
        std::string_view word = m_text.substr(start, m_pos - start);
        cut = word.size() > kMaxWord;
        out.assign(word.substr(0, kMaxWord));
        return true;
    }

private:
    std::string_view m_text;
    size_t m_pos = 0;
};

} // namespace

std::vector<SCommandLinePair> ScanCommandLine(std::string_view line)
{
    std::vector<SCommandLinePair> pairs;
    Scanner scan(line.substr(0, std::min(line.find('\0'), line.size())));
    for (int i = 0; i < 3; ++i) {
        if (i > 0)
            scan.SkipBlanks();
        SCommandLinePair pair;
        bool nameCut = false;
        if (!scan.Literal('-') || !scan.Word(pair.name, nameCut))
            break;
        if (!scan.Word(pair.value, pair.cut))
            break;
        pairs.push_back(std::move(pair));
    }
    return pairs;
}
