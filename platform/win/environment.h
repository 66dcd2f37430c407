// The environment variables the programs read. Each program checks them once at start, so a bad
// value is refused in one line instead of being replaced by a default in silence.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace plat::win {

struct EnvironmentVariable {
    const char* name;
    const char* expected; // what a valid value looks like, for the refusal
    bool (*valid)(std::string_view value);
};

// Every variable the programs read, in the order the README lists them.
std::span<const EnvironmentVariable> EnvironmentVariables();

// Empty when every variable that is set holds a valid value; else one line naming the first bad
// one, e.g. "ZOQ_NET_PORT=abc: expected a port number from 0 to 65535".
std::string CheckEnvironment();

// At a program's start: writes "<program>: <CheckEnvironment line>" to stderr and answers true
// when a variable is bad; the program then exits 2.
bool RefuseBadEnvironment(const char* program);

} // namespace plat::win
