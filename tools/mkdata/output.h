// Placement and writing of the game folder. What the game reads through the file layer goes into
// Data\data01.pak; what it opens from disk stays a plain file. The Data folder is built as
// Data.new and swapped in whole, so an interrupted run leaves the old one.
#pragma once

#include "tools/mkdata/data_set.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zoq::tools::mkdata {

inline constexpr const char* kPakPath = "Data\\data01.pak";
inline constexpr const char* kStampPath = "Data\\mkdata.stamp";
inline constexpr const char* kConfigPath = "Data\\CONFIG\\cfg.ini";

struct PlacedFile {
    const DataFile* file = nullptr;
    bool archived = false;
};

// Every file with its place, sorted by path: archived when every reader of it opens it through
// the file layer.
std::vector<PlacedFile> PlaceFiles(const DataSet& set);

// "archive|plain <size> <Windows path>" lines (paths in UTF-8).
std::string ListLines(const std::vector<PlacedFile>& placed);

struct WriteResult {
    size_t archived = 0;
    size_t plain = 0;
    uint64_t bytes = 0;
    bool keptConfig = false;
};

// The stamp text that a finished folder carries: the hash of sources and generator, then the
// size of every plain file (the archive included, zjserv.ini too).
std::string StampText(uint64_t hash, const std::vector<PlacedFile>& placed, uint64_t pakSize);
// True when out holds a finished folder of that hash whose files are all there.
bool FolderUpToDate(const std::filesystem::path& out, uint64_t hash);

// Writes out/Data (through out/Data.new) and the plain files at out's root. An existing
// cfg.ini is kept unless force. False with a reason; the old folder then stays.
bool WriteFolder(const std::filesystem::path& out, const std::vector<PlacedFile>& placed, uint64_t hash,
    bool force, WriteResult& result, std::string& error);

// The host path of a Windows path under out.
std::filesystem::path HostPath(const std::filesystem::path& out, const std::string& windowsPath);

} // namespace zoq::tools::mkdata
