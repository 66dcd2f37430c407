// Reading files by host path (already resolved): a whole file at once, a file read at offsets,
// and a read-only mapping. Only regular files are read. A missing or irregular file is a result
// for the caller to report; a failing system call also writes one debug line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace plat::win {

enum class FileResult {
    Ok,
    Missing, // no file by that name
    Unreadable, // it does not open, or a read fails or ends early
    NotRegular, // a folder, a device or a pipe
};

// The whole file as it was when opened: a file that shrinks meanwhile is Unreadable.
FileResult ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes);

// The size of an open stream's file; nullopt for a stream without one (a text stream of OpenFile).
std::optional<uint64_t> OpenFileSize(std::FILE* file);

// A regular file open for reading at offsets. It has no position, so reads may run in parallel.
class ReadOnlyFile {
public:
    ReadOnlyFile() = default;
    ~ReadOnlyFile() { Close(); }
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    // Closes what was open first; on failure the file stays closed.
    FileResult Open(const std::string& path);
    void Close() noexcept;
    bool IsOpen() const noexcept { return m_fd >= 0; }
    // The size when opened.
    uint64_t Size() const noexcept { return m_size; }
    // Exactly n bytes at offset; false when fewer are there.
    bool ReadAt(void* dest, size_t n, uint64_t offset) const;

private:
    friend class FileMapping;

    int m_fd = -1;
    uint64_t m_size = 0;
    std::string m_path; // for debug lines
};

// A read-only view of a whole open file, unmapped when destroyed. An empty file maps to an empty
// view without memory.
class FileMapping {
public:
    FileMapping() = default;
    ~FileMapping() { Unmap(); }
    FileMapping(const FileMapping&) = delete;
    FileMapping& operator=(const FileMapping&) = delete;

    // Unmaps what was mapped first; the view keeps no hold on the file's descriptor.
    bool Map(const ReadOnlyFile& file);
    void Unmap() noexcept;
    const uint8_t* Data() const noexcept { return m_data; }
    uint64_t Size() const noexcept { return m_size; }

private:
    const uint8_t* m_data = nullptr;
    uint64_t m_size = 0;
};

} // namespace plat::win
