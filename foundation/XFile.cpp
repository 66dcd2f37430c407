#include "foundation/XFile.h"

#include "platform/win/file.h"

#include <utility>

XFile::~XFile()
{
    Close();
}

XFile::XFile(XFile&& other) noexcept
    : m_cursor(std::move(other.m_cursor))
    , m_file(std::exchange(other.m_file, nullptr))
    , m_opened(std::exchange(other.m_opened, false))
    , m_inArchive(std::exchange(other.m_inArchive, false))
{
}

XFile& XFile::operator=(XFile&& other) noexcept
{
    if (this != &other) {
        Close();
        m_cursor = std::move(other.m_cursor);
        m_file = std::exchange(other.m_file, nullptr);
        m_opened = std::exchange(other.m_opened, false);
        m_inArchive = std::exchange(other.m_inArchive, false);
    }
    return *this;
}

void XFile::Close()
{
    if (m_file)
        std::fclose(m_file);
    m_file = nullptr;
    m_opened = false;
    m_cursor.Reset();
}

size_t XFile::Read(void* dest, size_t n)
{
    if (!m_opened)
        return 0;
    if (m_inArchive)
        return m_cursor.Engine()->Read(m_cursor, dest, n);
    return m_file ? std::fread(dest, n, 1, m_file) : 0;
}

size_t XFile::ReadAvailable(void* dest, size_t n)
{
    if (!m_opened)
        return 0;
    if (m_inArchive)
        return m_cursor.Engine()->ReadAvailable(m_cursor, dest, n);
    return m_file ? std::fread(dest, 1, n, m_file) : 0;
}

bool XFile::Seek(long offset, int origin)
{
    if (m_opened && m_inArchive) {
        int64_t position = origin == 1 ? int64_t(m_cursor.Position()) + offset : int64_t(offset);
        if (position < 0)
            return false;
        m_cursor.SetPosition(uint64_t(position));
        return true;
    }
    return m_file && std::fseek(m_file, offset, origin == 1 ? SEEK_CUR : SEEK_SET) == 0;
}

int64_t XFile::Tell() const
{
    if (m_opened && m_inArchive)
        return int64_t(m_cursor.Position());
    return m_file ? int64_t(std::ftell(m_file)) : -1;
}

int64_t XFile::Size() const
{
    if (m_opened && m_inArchive)
        return m_cursor.Size();
    const std::optional<uint64_t> size = plat::win::OpenFileSize(m_file);
    return size ? int64_t(*size) : -1;
}
