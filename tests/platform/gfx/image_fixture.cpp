#include "image_fixture.h"

#include <fstream>

#include <unistd.h>

namespace plat::gfx::test {

std::vector<uint32_t> MakePicture(uint32_t w, uint32_t h, bool alpha)
{
    std::vector<uint32_t> out(size_t(w) * h);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            uint32_t a = alpha ? (x * 37 + y * 11 + 5) & 255 : 255;
            out[y * w + x] = a << 24 | ((x * 40 + 7) & 255) << 16 | ((y * 50 + 3) & 255) << 8
                | ((x * 13 + y * 29) & 255);
        }
    return out;
}

TempFolder::TempFolder()
{
    static int counter = 0;
    m_path = std::filesystem::temp_directory_path()
        / ("zoq-gfx-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(m_path);
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

std::string TempFolder::Write(const std::string& name, const Bytes& bytes) const
{
    std::filesystem::path path = m_path / name;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path.string();
}

} // namespace plat::gfx::test
