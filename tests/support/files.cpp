#include "tests/support/files.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace zoq::test {
namespace {

void Write(const std::filesystem::path& path, const void* data, size_t size, std::ios::openmode mode)
{
    if (path.has_parent_path()) {
        std::error_code ignored;
        std::filesystem::create_directories(path.parent_path(), ignored);
    }
    std::ofstream out(path, std::ios::binary | mode);
    out.write(static_cast<const char*>(data), std::streamsize(size));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

} // namespace

std::string ReadText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteText(const std::filesystem::path& path, std::string_view text)
{
    Write(path, text.data(), text.size(), std::ios::trunc);
}

void WriteBytes(const std::filesystem::path& path, std::span<const uint8_t> bytes)
{
    Write(path, bytes.data(), bytes.size(), std::ios::trunc);
}

void AppendText(const std::filesystem::path& path, std::string_view text)
{
    Write(path, text.data(), text.size(), std::ios::app);
}

} // namespace zoq::test
