// XFile: a file open beside PakManager's current file, from an archive or from disk. Each XFile
// has its own read position and block cache, so several may read files of one archive at once,
// each on its own thread.
#pragma once

#include "foundation/KWEngine.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>

class XFile {
public:
    XFile() = default;
    virtual ~XFile();
    XFile(XFile&& other) noexcept;
    XFile& operator=(XFile&& other) noexcept;
    XFile(const XFile&) = delete;
    XFile& operator=(const XFile&) = delete;

    // Archived: n when all n bytes were there, else 0 (what the file held is copied). On disk:
    // 1 for a complete read, else 0. Not opened: 0.
    size_t Read(void* dest, size_t n);
    // At most n bytes; returns the count read.
    size_t ReadAvailable(void* dest, size_t n);
    // origin 1 moves by offset from the current position, any other value sets it. A position
    // below 0 is refused (false, nothing moves).
    bool Seek(long offset, int origin);
    // The read position and the file's size in bytes; -1 when not opened.
    int64_t Tell() const;
    int64_t Size() const;
    // Closes a disk file and clears the opened flag.
    void Close();

    bool IsOpened() const noexcept { return m_opened; }
    bool IsInArchive() const noexcept { return m_inArchive; }

private:
    friend class PakManager;

    KWCursor m_cursor; // the archive that serves it and the position
    std::FILE* m_file = nullptr; // on disk
    bool m_opened = false;
    bool m_inArchive = false;
};
