#include "tests/platform/gfx/image_fixture.h"

#include "tests/support/files.h"

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

std::string TempFolder::Write(const std::string& name, const Bytes& bytes) const
{
    const std::filesystem::path path = *this / name;
    zoq::test::WriteBytes(path, bytes);
    return path.string();
}

} // namespace plat::gfx::test
