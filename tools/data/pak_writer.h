// Writes archives: header, file table sorted by name, block table and block records, with the
// files back to back in the unpacked stream. Output goes to a temporary file that is renamed
// over the target only when complete.
#pragma once

#include "tools/data/pak_codec.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zoq::tools::data {

inline constexpr uint32_t kMinPakBlockSize = 64;
inline constexpr uint32_t kMaxPakBlockSize = 16777216;
inline constexpr size_t kMaxPakName = 79; // bytes before the terminator of an 80-byte entry

// One file to store: its name as stored (Windows-1251, "\" separators, upper case) and either
// its bytes or the host file to read them from.
struct PakSource {
    std::string name;
    std::filesystem::path path; // used when data is empty and path is set
    Bytes data;
};

struct PakOptions {
    uint32_t blockSize = 65536;
    Codec codec = Codec::Auto;
};

// Every regular file under dir, named by its path relative to root ("\" separators, upper
// case, Windows-1251, at most 79 bytes). False with a reason naming the file on failure.
bool CollectPakSources(const std::filesystem::path& dir, const std::filesystem::path& root,
    std::vector<PakSource>& sources, std::string& error);

// The stored form of a host-relative name ("Data/Dir/x.tm" -> "DATA\DIR\X.TM"); false when a
// character has no Windows-1251 byte or the name is too long.
bool MakePakName(std::string_view utf8Relative, std::string& stored, std::string& error);

// Sorts the sources by name and writes the archive. Names must be unique.
bool WritePak(const std::filesystem::path& out, std::vector<PakSource> sources, const PakOptions& options,
    std::string& error);

} // namespace zoq::tools::data
