// Builds small image files in memory for the reader and loader tests.
#pragma once

#include "platform/gfx/types.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace plat::gfx::test {

using Bytes = std::vector<uint8_t>;

// A w x h picture of 0xAARRGGBB pixels with distinct values.
std::vector<uint32_t> MakePicture(uint32_t w, uint32_t h, bool alpha);

Bytes MakeBmp(const std::vector<uint32_t>& argb, uint32_t w, uint32_t h, uint32_t bits, bool topDown);
// type 2 or 10; 24 or 32 bits; RLE files use runs where neighbours repeat.
Bytes MakeTga(const std::vector<uint32_t>& argb, uint32_t w, uint32_t h, uint32_t type, uint32_t bits, bool topOrigin);
// levels of raw data in `format` (DXT or 16/32-bit).
Bytes MakeDds(Format format, uint32_t w, uint32_t h, const std::vector<Bytes>& levels);
Bytes MakePng(const std::vector<uint32_t>& argb, uint32_t w, uint32_t h, bool alpha);
Bytes MakeJpeg(const std::vector<uint32_t>& argb, uint32_t w, uint32_t h, int quality);

void Put32(Bytes& bytes, size_t at, uint32_t value);
void Put16(Bytes& bytes, size_t at, uint32_t value);

// A fresh folder under the system's temporary folder, removed with the object.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    std::string Write(const std::string& name, const Bytes& bytes) const;
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

} // namespace plat::gfx::test
