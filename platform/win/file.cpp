#include "platform/win/file.h"

#include "platform/win/debug.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plat::win {
namespace {

void Report(const char* call, const std::string& path, const char* reason)
{
    DebugOutput(std::string(call) + ": " + path + ": " + reason);
}

// Reads exactly n bytes at offset, retrying interrupted reads; false when fewer arrive.
bool ReadFully(int fd, uint8_t* out, size_t n, uint64_t offset, const std::string& path)
{
    while (n > 0) {
        const ssize_t got = ::pread(fd, out, n, off_t(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            Report("ReadOnlyFile::ReadAt", path, got < 0 ? std::strerror(errno) : "the file ends early");
            return false;
        }
        out += got;
        n -= size_t(got);
        offset += uint64_t(got);
    }
    return true;
}

} // namespace

FileResult ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes)
{
    bytes.clear();
    ReadOnlyFile file;
    const FileResult opened = file.Open(path);
    if (opened != FileResult::Ok)
        return opened;
    bytes.resize(size_t(file.Size()));
    if (!file.ReadAt(bytes.data(), bytes.size(), 0)) {
        bytes.clear();
        return FileResult::Unreadable;
    }
    return FileResult::Ok;
}

std::optional<uint64_t> OpenFileSize(std::FILE* file)
{
    struct stat info { };
    if (!file || ::fstat(::fileno(file), &info) != 0)
        return std::nullopt;
    return uint64_t(info.st_size);
}

FileResult ReadOnlyFile::Open(const std::string& path)
{
    Close();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return FileResult::Missing;
        Report("ReadOnlyFile::Open", path, std::strerror(errno));
        return FileResult::Unreadable;
    }
    struct stat info { };
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return FileResult::NotRegular;
    }
    m_fd = fd;
    m_size = uint64_t(info.st_size);
    m_path = path;
    return FileResult::Ok;
}

void ReadOnlyFile::Close() noexcept
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_size = 0;
}

bool ReadOnlyFile::ReadAt(void* dest, size_t n, uint64_t offset) const
{
    return m_fd >= 0 && ReadFully(m_fd, static_cast<uint8_t*>(dest), n, offset, m_path);
}

bool FileMapping::Map(const ReadOnlyFile& file)
{
    Unmap();
    if (!file.IsOpen())
        return false;
    if (file.Size() == 0)
        return true;
    void* map = ::mmap(nullptr, size_t(file.Size()), PROT_READ, MAP_SHARED, file.m_fd, 0);
    if (map == MAP_FAILED) {
        Report("FileMapping::Map", file.m_path, std::strerror(errno));
        return false;
    }
    m_data = static_cast<const uint8_t*>(map);
    m_size = file.Size();
    return true;
}

void FileMapping::Unmap() noexcept
{
    if (m_data)
        ::munmap(const_cast<uint8_t*>(m_data), size_t(m_size));
    m_data = nullptr;
    m_size = 0;
}

} // namespace plat::win
