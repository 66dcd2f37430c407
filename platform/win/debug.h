// Debugger output: diagnostics for developers, on stderr. Text is Windows-1251 and leaves as
// UTF-8, one write per message so lines of different threads never interleave.
#pragma once

#include <string_view>

namespace plat::win {

void DebugOutput(std::string_view text);
// Fuzz targets, which run a reader millions of times, turn the output off (on at the start).
void SetDebugOutputEnabled(bool on);

} // namespace plat::win
