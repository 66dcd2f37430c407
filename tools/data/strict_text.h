// UTF-8 to Windows-1251 that refuses what has no byte, for names and texts written into data.
#pragma once

#include <string>
#include <string_view>

namespace zoq::tools::data {

// False when a sequence is invalid, a character has no Windows-1251 byte or a NUL occurs.
bool StrictUtf8ToCp1251(std::string_view utf8, std::string& out);

} // namespace zoq::tools::data
