// Lines of a text (a log file, a program's output) and how many of them hold a piece of text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zoq::test {

// The lines without their '\n'.
std::vector<std::string> SplitLines(const std::string& text);
// Lines holding needle; an empty needle counts every line.
int CountLines(const std::string& text, std::string_view needle);

} // namespace zoq::test
