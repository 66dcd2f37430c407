// File search with wildcards, and file times. Times are UTC; only the local conversion applies
// the time zone.
#pragma once

#include "platform/win/clock.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace plat::win {

// A file time: nanoseconds since 1970-01-01 UTC.
struct FileTime {
    int64_t unixNanoseconds = 0;
};

struct FoundFile {
    std::string name; // Windows-1251, without the folder
    bool isDirectory = false;
    uint64_t size = 0;
    FileTime lastWriteTime;
};

// The entries of the pattern's folder whose names match its last component: '*' any run and
// '?' one character, ignoring case; never "." or "..". Sorted by name ignoring case, then
// bytewise, so ties come out alike on every system. A missing folder gives no entries.
std::vector<FoundFile> FileSearch(std::string_view pattern);

// The last write time of a file or folder; false when there is none.
bool GetFileTime(std::string_view path, FileTime& lastWrite);

struct DosDateTime {
    uint16_t date = 0; // (year - 1980) << 9 | month << 5 | day
    uint16_t time = 0; // hour << 11 | minute << 5 | second / 2
};

// The file time's UTC fields as a DOS stamp, no local shift: a time before 1980 gives 0, one
// after 2107 the largest stamp.
DosDateTime FileTimeToDosDateTime(FileTime time);

// The file time in the local time zone, with milliseconds.
LocalTime FileTimeToLocalTime(FileTime time);

} // namespace plat::win
