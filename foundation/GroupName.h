// Display form of a group key.
#pragma once

#include <string>
#include <string_view>

// An upper-cased copy of name; when name itself begins with "GRP_" (case-sensitive, tested
// before upper-casing) the first four characters are dropped.
std::string StripGroupPrefix(std::string_view name);
