// Windows-style relative paths on a POSIX file system.
#pragma once

#include <string>

namespace plat::win {

// The working directory as the program's paths use it: always ".", so paths built on it stay
// relative and short.
std::string CurrentDirectory();

} // namespace plat::win
