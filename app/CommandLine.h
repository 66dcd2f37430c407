// The game's command line: up to three switch and value pairs read with the pattern
// "-%s %s -%s %s -%s %s"; reading stops at the first part that does not match.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// One switch and its value.
struct SCommandLinePair {
    std::string name;
    std::string value;
    bool cut = false; // the value was longer than the 255 bytes kept
};

// The pairs read before the first part that does not match; a switch without its value ends the
// list. Words keep at most 255 bytes.
std::vector<SCommandLinePair> ScanCommandLine(std::string_view line);
