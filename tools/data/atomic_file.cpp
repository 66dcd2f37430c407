#include "tools/data/atomic_file.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace zoq::tools::data {

AtomicFile::~AtomicFile()
{
    if (m_stream) {
        std::fclose(m_stream);
        std::error_code ignored;
        std::filesystem::remove(m_temp, ignored);
    }
}

bool AtomicFile::Open(const std::filesystem::path& target, std::string& error)
{
    m_target = target;
    m_temp = target;
    m_temp += ".tmp" + std::to_string(::getpid());
    m_stream = std::fopen(m_temp.c_str(), "wb");
    if (!m_stream) {
        error = std::string("cannot create: ") + std::strerror(errno);
        return false;
    }
    return true;
}

bool AtomicFile::Write(const void* data, size_t n, std::string& error)
{
    if (n != 0 && std::fwrite(data, 1, n, m_stream) != n) {
        error = std::string("write failed: ") + std::strerror(errno);
        return false;
    }
    return true;
}

bool AtomicFile::Commit(std::string& error)
{
    std::FILE* stream = m_stream;
    m_stream = nullptr;
    bool ok = std::fflush(stream) == 0;
    ok = std::fclose(stream) == 0 && ok;
    std::error_code code;
    if (ok) {
        std::filesystem::rename(m_temp, m_target, code);
        if (!code)
            return true;
        error = "cannot rename: " + code.message();
    } else {
        error = std::string("write failed: ") + std::strerror(errno);
    }
    std::filesystem::remove(m_temp, code);
    return false;
}

} // namespace zoq::tools::data
