// KWEngine: the reader of one archive. Init loads and checks the tables; after that the engine
// never changes and reads from a read-only mapping of the file (pread where it cannot be
// mapped), so any number of cursors (KWCursor: an open file with its
// own position and one-block cache) may read it at once, also from several threads. A read
// stops at its file's end and never delivers the next file's bytes.
#pragma once

#include "platform/win/file.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class KWEngine;

// One open file of an archive: its read position and its own cache of one unpacked block.
class KWCursor {
public:
    KWCursor() = default;
    KWCursor(KWCursor&&) noexcept = default;
    KWCursor& operator=(KWCursor&&) noexcept = default;
    KWCursor(const KWCursor&) = delete;
    KWCursor& operator=(const KWCursor&) = delete;

    const KWEngine* Engine() const noexcept { return m_engine; }
    int File() const noexcept { return m_file; }
    bool IsOpen() const noexcept { return m_engine && m_file >= 0; }
    // Bytes from the file's start; may lie past its end (reads there deliver nothing).
    uint64_t Position() const noexcept { return m_position; }
    void SetPosition(uint64_t position) noexcept { m_position = position; }
    // The open file's size, 0 when none.
    uint32_t Size() const noexcept;
    // Forgets the file (and the engine it keeps alive); keeps the buffers.
    void Reset() noexcept;

private:
    friend class KWEngine;

    const KWEngine* m_engine = nullptr;
    std::shared_ptr<const KWEngine> m_keep; // set when the engine is shared
    uint64_t m_generation = 0; // of the engine load the cached block belongs to
    int m_file = -1;
    uint64_t m_position = 0;
    int64_t m_block = -1; // the block now in m_a
    uint32_t m_blockLength = 0; // its unpacked length
    size_t m_capacity = 0; // of each buffer: block size + 128
    std::unique_ptr<uint8_t[]> m_a; // unpacked block
    std::unique_ptr<uint8_t[]> m_b; // stored bytes or the middle stage
};

struct KWFileEntry {
    char name[80]; // upper-cased at load, terminated
    uint32_t start; // in the unpacked stream
    uint32_t size;
};

struct KWBlockEntry {
    uint32_t flags; // bits 0-1 run-length stage, bits 2-3 LZ stage
    uint32_t offset; // of the block record in the archive
};

class KWEngine : public std::enable_shared_from_this<KWEngine> {
public:
    static constexpr uint32_t kMaxBlockSize = 64u << 20;
    static constexpr size_t kSpare = 128; // beyond the block size in each work buffer

    // Where messages go: the error log unless a tool sets its own.
    using LogFunction = void (*)(std::string_view message);

    KWEngine() = default;
    ~KWEngine();
    KWEngine(const KWEngine&) = delete;
    KWEngine& operator=(const KWEngine&) = delete;

    void SetLog(LogFunction log) noexcept { m_log = log; }

    // Mounts the archive at a program path (resolved on disk). A bad archive is logged and
    // serves nothing; one that cannot be opened serves nothing silently. True when mounted.
    bool Init(const char* path);
    // Mounts a host path; on failure returns false with the reason and logs nothing.
    bool Load(const std::string& hostPath, std::string& reason);
    void Close() noexcept;

    bool IsMounted() const noexcept { return m_file.IsOpen(); }
    const std::string& Path() const noexcept { return m_path; }
    uint32_t BlockSize() const noexcept { return m_blockSize; }
    int FileCount() const noexcept { return int(m_files.size()); }
    int BlockCount() const noexcept { return int(m_blocks.size()); }
    const KWFileEntry& FileEntry(int i) const { return m_files.at(size_t(i)); }
    const KWBlockEntry& BlockEntry(int i) const { return m_blocks.at(size_t(i)); }

    // Index of a file, or -1. The base directory's prefix is dropped when present, '/' reads as
    // '\' and the name is upper-cased; the first entry in table order wins.
    int FindFile(const char* name) const;
    // Makes the file current in the cursor with position 0; true when found.
    bool Open(KWCursor& cursor, const char* name) const;
    bool OpenIndex(KWCursor& cursor, int index) const;
    // Copies n bytes from the cursor's position and advances it. Returns n when all n bytes were
    // there, else 0 with what the file still held (or what was read before a bad block) copied.
    size_t Read(KWCursor& cursor, void* dest, size_t n) const;
    // Copies at most n bytes, stopping at the file's end or a bad block; returns the count.
    size_t ReadAvailable(KWCursor& cursor, void* dest, size_t n) const;
    // Brings block k, unpacked, into the cursor's buffer unless it is there; false (logged once
    // per block) when the block is corrupt.
    bool LoadBlock(KWCursor& cursor, uint32_t k) const;

private:
    struct NameHash {
        using is_transparent = void;
        size_t operator()(std::string_view s) const noexcept { return std::hash<std::string_view> {}(s); }
    };

    bool LoadFile(const std::string& hostPath, std::string& reason, const char*& fixedText);
    void Log(const std::string& message) const;
    bool ReadAt(void* dest, size_t n, uint64_t offset) const;
    // n stored bytes at offset: in the mapping, or read into scratch; null when unreadable.
    const uint8_t* Stored(uint8_t* scratch, size_t n, uint64_t offset) const;
    void EnsureBuffers(KWCursor& cursor) const;
    // Unpacks block k into out (room for the block size) with the cursor's buffers as scratch;
    // written is the unpacked length.
    bool Unpack(KWCursor& cursor, uint32_t k, uint8_t* out, size_t& written, std::string& reason) const;
    void BadBlock(uint32_t k, const std::string& reason) const;
    void Attach(KWCursor& cursor, int index) const;

    plat::win::ReadOnlyFile m_file;
    plat::win::FileMapping m_map; // the whole archive, read-only
    uint64_t m_fileSize = 0;
    uint32_t m_blockSize = 0;
    uint64_t m_generation = 0; // unique per load: cursors tell their cache apart by it
    std::string m_path;
    std::vector<KWFileEntry> m_files;
    std::vector<KWBlockEntry> m_blocks;
    std::unordered_map<std::string, int, NameHash, std::equal_to<>> m_index;
    std::unique_ptr<std::atomic<bool>[]> m_blockLogged;
    LogFunction m_log = nullptr;
};
