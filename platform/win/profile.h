// Profile (ini) files with Windows semantics. Section, key and value texts are Windows-1251
// bytes; names match ignoring case, Cyrillic too. A missing file reads as empty; a file named
// without a folder lies in the current directory. Every call that fills a buffer takes its size
// and never writes past it.
#pragma once

#include <cstdint>
#include <string_view>

namespace plat::win {

// Copies the value (or the default, null meaning "", without trailing blanks) into buf: at most
// size - 1 bytes and a NUL. Returns the bytes copied.
uint32_t ReadProfileString(std::string_view file, std::string_view section, std::string_view key,
    const char* def, char* buf, uint32_t size);

// The value read as an integer: blanks, a sign, decimal or "0x" digits up to the first other
// character (none gives 0), clamped to the int32_t range. Absent or empty gives def. The result
// is the 32-bit pattern: callers cast it to int32_t for a signed value.
uint32_t ReadProfileInt(std::string_view file, std::string_view section, std::string_view key, int32_t def);

// Every section name, each followed by a NUL, then a final NUL; returns the bytes before the
// final NUL. When the list does not fit, the last name is cut, two NULs end the buffer and the
// result is size - 2.
uint32_t ReadProfileSectionNames(std::string_view file, char* buf, uint32_t size);

// Sets key=value in the section, keeping every other byte of the file and its line endings
// (CRLF in a new file). The file is replaced through a temporary file beside it, so a crash
// never leaves it half written. False when its folder is missing or it cannot be written.
bool WriteProfileString(
    std::string_view file, std::string_view section, std::string_view key, std::string_view value);

} // namespace plat::win
