// Reads of the objects file that CZJEngine::Load has open in the file layer. The engine tells the
// reader the file's size; every read and every count is checked against the bytes left before
// anything is read or allocated, so a short or corrupt file fails with one log line naming the
// file, the field and the offset, and an XRangeError. Main thread only.
#pragma once

#include "foundation/ByteOrder.h"
#include "foundation/ErrorLog.h"
#include "foundation/PakManager.h"
#include "foundation/XRangeError.h"

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <string>

class CObjectsFileReader {
public:
    static void Begin(const char* path, uint64_t size)
    {
        s_path = path ? path : "";
        s_size = size;
        s_offset = 0;
    }
    static uint64_t Offset() { return s_offset; }
    static uint64_t Left() { return s_size - s_offset; }

    [[noreturn]] static void Fail(const char* what, uint64_t value)
    {
        char line[384];
        std::snprintf(line, sizeof line,
            "Objects file %s: bad %s %" PRIu64 " at offset %" PRIu64 ", %" PRIu64 " bytes left",
            s_path.c_str(), what, value, s_offset, Left());
        WriteErrorLog(line);
        throw XRangeError();
    }

    [[noreturn]] static void FailRead(const char* what, uint64_t n)
    {
        char line[384];
        std::snprintf(line, sizeof line,
            "Objects file %s: %s needs %" PRIu64 " bytes at offset %" PRIu64 ", %" PRIu64 " left",
            s_path.c_str(), what, n, s_offset, Left());
        WriteErrorLog(line);
        throw XRangeError();
    }

    static void Read(void* dest, uint64_t n, const char* what)
    {
        if (n > Left() || (n != 0 && g_PakManager.Read(dest, size_t(n)) == 0))
            FailRead(what, n);
        s_offset += n;
    }
    static uint32_t ReadU32(const char* what)
    {
        uint8_t bytes[4];
        Read(bytes, 4, what);
        return LoadLE<uint32_t>(bytes);
    }
    static void Skip(uint64_t n, const char* what)
    {
        if (n > Left() || (n != 0 && !g_PakManager.Seek(long(n), 1)))
            FailRead(what, n);
        s_offset += n;
    }
    // count x unit bytes must be left, and count must not pass limit (0: no limit).
    static void CheckCount(uint64_t count, uint64_t unit, uint64_t limit, const char* what)
    {
        if ((limit != 0 && count > limit) || count * unit > Left())
            Fail(what, count);
    }

private:
    static inline std::string s_path;
    static inline uint64_t s_size = 0;
    static inline uint64_t s_offset = 0;
};
