// PakManager: the file layer. Init mounts every "*.pak" of a folder, newest first (equal stamps
// keep the search's name order); Open serves a path from the first archive that holds it, else
// from disk. The current file is main-thread state; XFiles opened through OpenXFile are
// independent of it and of each other.
#pragma once

#include "foundation/KWEngine.h"
#include "foundation/XFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

class PakManager {
public:
    PakManager() = default;
    virtual ~PakManager();
    PakManager(const PakManager&) = delete;
    PakManager& operator=(const PakManager&) = delete;

    // Mounts every "*.pak" (any case) of dir, a folder under the base directory.
    void Init(const char* dir);
    // Makes path the current file (closing a disk file left open); true when an archive holds
    // it or it opened from disk.
    bool Open(const char* path);
    // Archived: n when all n bytes were there, else 0 (what the file held is copied). On disk:
    // 1 for a complete read, else 0.
    size_t Read(void* dest, size_t n);
    // At most n bytes, never past the file's end; returns the count read.
    size_t ReadAvailable(void* dest, size_t n);
    // origin 1 moves by offset from the current position, any other value sets it. A position
    // below 0 is refused (false, nothing moves).
    bool Seek(long offset, int origin);
    // The current file's read position and size in bytes; -1 when none is open.
    int64_t Tell() const;
    int64_t Size() const;
    void CloseFile();
    // Closes the disk file and every archive.
    void Close();
    // Fills xfile (closing what it held); non-zero when the file opened.
    int OpenXFile(const char* path, XFile& xfile) const;

    int GetArchiveCount() const noexcept { return int(m_archives.size()); }
    // Archive i in mount order (0 is the newest); throws XRangeError outside the table.
    const KWEngine& GetArchive(int i) const;
    // The archive that serves the current file, -1 for a disk file or none.
    int GetCurrentArchive() const noexcept { return m_current; }

private:
    // The archive holding path and the file's index there; -1 when none does.
    int Find(const char* path, int& file) const;

    std::FILE* m_file = nullptr;
    std::vector<std::shared_ptr<KWEngine>> m_archives;
    int m_current = -1;
    KWCursor m_cursor;
};

extern PakManager g_PakManager;
