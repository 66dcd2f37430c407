#include "tests/support/log_lines.h"

#include <sstream>

namespace zoq::test {

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

int CountLines(const std::string& text, std::string_view needle)
{
    int count = 0;
    for (const std::string& line : SplitLines(text))
        count += line.find(needle) != std::string::npos ? 1 : 0;
    return count;
}

} // namespace zoq::test
