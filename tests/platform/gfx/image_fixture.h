// Pictures and a temporary folder for the image reader and loader tests; the image files
// themselves come from the texture writers of the tools.
#pragma once

#include "tests/support/temp_dir.h"
#include "tools/texture/image_files.h"

#include <cstdint>
#include <string>
#include <vector>

namespace plat::gfx::test {

using zoq::tools::texture::MakeBmp;
using zoq::tools::texture::MakeDds;
using zoq::tools::texture::MakeJpeg;
using zoq::tools::texture::MakePng;
using zoq::tools::texture::MakeTga;

// A w x h picture of 0xAARRGGBB pixels with distinct values.
std::vector<uint32_t> MakePicture(uint32_t w, uint32_t h, bool alpha);

// A temporary folder that image files are written to.
class TempFolder : public zoq::test::TempDir {
public:
    // The file's path.
    std::string Write(const std::string& name, const Bytes& bytes) const;
};

} // namespace plat::gfx::test
