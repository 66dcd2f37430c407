// Windows-style paths on a POSIX file system. The program's paths are Windows-1251 bytes with
// backslashes ("Data\CONFIG\cfg.ini"); names on disk are UTF-8. Every file open goes through
// ResolvePath, which matches each component exactly, else ignoring case.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace plat::win {

// The POSIX path of a Windows-style one: '\' becomes '/', empty and "." components drop, ".."
// removes the component before it. Each component is matched exactly, else ignoring case (of
// several case variants the first in byte order); a component found in neither way keeps the
// caller's spelling, so a file being created gets the name it was given. A leading separator
// keeps the path absolute. A drive letter ("C:") never resolves: nullopt.
std::optional<std::string> ResolvePath(std::string_view path);
// The same for a path relative to a POSIX folder (UTF-8, already resolved); an absolute path
// ignores the folder.
std::optional<std::string> ResolvePathIn(const std::string& folder, std::string_view path);

// fopen through the resolver. Modes as stdio's ("rb", "rt", "w", "a+", ...); the descriptor is
// close-on-exec. A read-only text mode ("r", "rt") reads CRLF as LF; such a stream holds the
// file's translated text, and ftell/fseek count its bytes. Writes are never translated. A
// directory does not open. Returns null on failure.
std::FILE* OpenFile(std::string_view path, std::string_view mode);

// False when the folder exists already or its parent is missing.
bool MakeDirectory(std::string_view path);
// Removes a file (not a folder); false when there was none.
bool RemoveFile(std::string_view path);
// Renames a file, replacing the file of the new name at once; false on failure.
bool RenameFile(std::string_view from, std::string_view to);

// The working directory as the program's paths use it: always ".", so paths built on it stay
// relative and short.
std::string CurrentDirectory();

} // namespace plat::win
