// Output files that appear whole or not at all: written under a temporary name beside the
// target and renamed over it when complete.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

namespace zoq::tools::data {

class AtomicFile {
public:
    AtomicFile() = default;
    ~AtomicFile(); // removes the temporary file unless committed
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    bool Open(const std::filesystem::path& target, std::string& error);
    std::FILE* Stream() const { return m_stream; }
    bool Write(const void* data, size_t n, std::string& error);
    // Flushes, closes and renames; false (temporary removed) on any failure.
    bool Commit(std::string& error);

private:
    std::filesystem::path m_target;
    std::filesystem::path m_temp;
    std::FILE* m_stream = nullptr;
};

} // namespace zoq::tools::data
