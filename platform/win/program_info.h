// What every program tells about itself: its name, the one version all programs share, and the
// answer to --help and --version.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace plat::win {

// The version of the whole tree, as "1.0.0".
std::string_view ProgramVersion();
// The running program's file name, without its folder.
std::string ProgramName();

// When the first argument is --help or --version, prints the usage or "name version" on stdout
// and returns the exit code 0; otherwise nullopt and the program does its own work.
std::optional<int> AnswerInfoOption(int argc, char** argv, std::string_view name, std::string_view usage);

} // namespace plat::win
