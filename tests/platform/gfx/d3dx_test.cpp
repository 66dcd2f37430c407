// D3DX loaders on the null device: levels, conversions, stretching and surface to DXT3.
#include "tests/platform/gfx/gfx_fixture.h"
#include "tests/platform/gfx/image_fixture.h"

#include "platform/gfx/d3dx/d3dx.h"
#include "platform/gfx/d3dx/dxt.h"
#include "platform/gfx/format.h"

#include <gtest/gtest.h>

#include <cstring>

namespace plat::gfx::test {
namespace {

using namespace d3dx;

class D3dxTest : public GfxTest {
protected:
    void SetUp() override
    {
        GfxTest::SetUp();
        CreateWindowed();
    }
    TempFolder m_folder;
};

std::vector<uint32_t> LevelArgb(const Surface& level)
{
    std::vector<uint32_t> out(size_t(level.Width()) * level.Height());
    ToArgb(level.GetFormat(), level.Bits(), level.Pitch(), level.Width(), level.Height(), out.data(),
        level.Width());
    return out;
}

TEST_F(D3dxTest, textureTakesTheFileSizeUnroundedAndAFullChain)
{
    std::vector<uint32_t> picture(5 * 3);
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 5; ++x)
            picture[y * 5 + x] = (200 - x * 10) << 24 | (x * 10 + 40) << 16 | (y * 20 + 60) << 8 | 100;
    std::string path = m_folder.Write("five.png", MakePng(picture, 5, 3, true));
    struct Row {
        Format format;
        int tolerance;
    };
    for (Row row : { Row { Format::A8R8G8B8, 0 }, Row { Format::X8R8G8B8, 0 }, Row { Format::R5G6B5, 4 },
             Row { Format::A4R4G4B4, 8 }, Row { Format::A1R5G5B5, 4 }, Row { Format::Dxt3, 20 } }) {
        SCOPED_TRACE(FormatName(row.format));
        Held<Texture> texture;
        ImageInfo info;
        ASSERT_EQ(CreateTextureFromFileEx(*m_device, path, kDefault, kDefault, kDefault, 0, row.format,
                      Pool::Managed, Filter::Box, Filter::Default, 0, &info, &texture),
            Result::Ok);
        EXPECT_EQ(info.width, 5u);
        EXPECT_EQ(info.imageFileFormat, ImageFileFormat::Png);
        EXPECT_EQ(texture->Width(), 5u);
        EXPECT_EQ(texture->Height(), 3u);
        EXPECT_EQ(texture->GetLevelCount(), 3u); // 5x3, 2x1, 1x1
        EXPECT_EQ(texture->GetFormat(), row.format);
        std::vector<uint32_t> level0 = LevelArgb(texture->Level(0));
        for (size_t i = 0; i < picture.size(); ++i)
            for (int c = 0; c < 3; ++c)
                EXPECT_NEAR(
                    int((level0[i] >> (8 * c)) & 255), int((picture[i] >> (8 * c)) & 255), row.tolerance)
                    << i;
        // Level 1 is the box average of level 0 (2x1 from 5x3).
        std::vector<uint32_t> level1 = LevelArgb(texture->Level(1));
        ASSERT_EQ(level1.size(), 2u);
        double green = 0;
        for (uint32_t y = 0; y < 3; ++y)
            for (uint32_t x = 0; x < 5; ++x)
                green += (x < 2 || (x == 2) ? (x == 2 ? 0.5 : 1.0) : 0.0) * ((level0[y * 5 + x] >> 8) & 255);
        EXPECT_NEAR(double((level1[0] >> 8) & 255), green / 7.5, row.tolerance + 2.0);
    }
}

TEST_F(D3dxTest, sizesLevelsAndFiltersAsGiven)
{
    std::vector<uint32_t> picture = MakePicture(16, 16, false);
    std::string path = m_folder.Write("sixteen.bmp", MakeBmp(picture, 16, 16, 24, false));
    Held<Texture> texture;
    ASSERT_EQ(CreateTextureFromFileEx(*m_device, path, 8, 4, 2, 0, Format::Unknown, Pool::Managed,
                  Filter::Point, Filter::None, 0, nullptr, &texture),
        Result::Ok);
    EXPECT_EQ(texture->Width(), 8u);
    EXPECT_EQ(texture->Height(), 4u);
    EXPECT_EQ(texture->GetLevelCount(), 2u);
    EXPECT_EQ(texture->GetFormat(), Format::X8R8G8B8);
    std::vector<uint32_t> level0 = LevelArgb(texture->Level(0));
    EXPECT_EQ(level0[0], picture[2 * 16 + 1] | 0xFF000000u) << "point sampling takes the nearest pixel";
    std::vector<uint32_t> level1 = LevelArgb(texture->Level(1));
    EXPECT_EQ(level1[0], 0xFF000000u) << "mip filter None leaves the level black";
}

TEST_F(D3dxTest, ddsLevelsOfTheSameFormatAreCopiedAsStored)
{
    std::vector<Bytes> levels;
    for (uint32_t level = 0; level < 4; ++level) {
        std::vector<uint32_t> pixels
            = MakePicture(std::max(1u, 8u >> level), std::max(1u, 8u >> level), true);
        Bytes blocks(SurfaceBytes(Format::Dxt5, 8 >> level, 8 >> level));
        EncodeDxt(Format::Dxt5, pixels.data(), std::max(1u, 8u >> level), 8 >> level, 8 >> level,
            blocks.data(), RowPitch(Format::Dxt5, 8 >> level));
        levels.push_back(blocks);
    }
    std::string path = m_folder.Write("font.dds", MakeDds(Format::Dxt5, 8, 8, levels));
    Held<Texture> raw, converted;
    ASSERT_EQ(CreateTextureFromFileEx(*m_device, path, kDefault, kDefault, 0, 0, Format::Unknown,
                  Pool::Managed, Filter::Box, Filter::Default, 0, nullptr, &raw),
        Result::Ok);
    EXPECT_EQ(raw->GetFormat(), Format::Dxt5);
    for (uint32_t level = 0; level < 4; ++level)
        EXPECT_EQ(std::memcmp(raw->Level(level).Bits(), levels[level].data(), levels[level].size()), 0)
            << level;
    ASSERT_EQ(CreateTextureFromFileEx(*m_device, path, kDefault, kDefault, 1, 0, Format::A4R4G4B4,
                  Pool::Managed, Filter::Box, Filter::Default, 0, nullptr, &converted),
        Result::Ok);
    EXPECT_EQ(converted->GetLevelCount(), 1u);
    std::vector<uint32_t> decoded(64);
    DecodeDxt(Format::Dxt5, levels[0].data(), RowPitch(Format::Dxt5, 8), 8, 8, decoded.data(), 8);
    std::vector<uint32_t> back = LevelArgb(converted->Level(0));
    for (size_t i = 0; i < 64; ++i)
        EXPECT_NEAR(int(back[i] >> 24), int(decoded[i] >> 24), 9);
}

TEST_F(D3dxTest, aDefaultTextureIsFilledThroughASystemCopy)
{
    std::string path = m_folder.Write("cache.tga", MakeTga(MakePicture(8, 8, true), 8, 8, 2, 32, false));
    Held<Texture> texture;
    ASSERT_EQ(CreateTextureFromFileEx(*m_device, path, kDefault, kDefault, 1, 0, Format::A8R8G8B8,
                  Pool::Default, Filter::None, Filter::None, 0, nullptr, &texture),
        Result::Ok);
    std::vector<uint32_t> level = LevelArgb(texture->Level(0));
    EXPECT_EQ(level, MakePicture(8, 8, true));
    EXPECT_EQ(m_device->Counts().resources[size_t(Pool::SystemMem)], 0u) << "the staging copy is released";
}

TEST_F(D3dxTest, loaderFailuresAreCodes)
{
    std::string good = m_folder.Write("good.png", MakePng(MakePicture(4, 4, false), 4, 4, false));
    Bytes broken = MakePng(MakePicture(4, 4, false), 4, 4, false);
    broken.resize(broken.size() / 2);
    std::string bad = m_folder.Write("bad.png", broken);
    Held<Texture> texture;
    testing::internal::CaptureStderr();
    EXPECT_EQ(
        CreateTextureFromFileEx(*m_device, (m_folder.Path() / "missing.png").string(), kDefault, kDefault, 1,
            0, Format::A8R8G8B8, Pool::Managed, Filter::Box, Filter::Box, 0, nullptr, &texture),
        Result::NotFound);
    EXPECT_EQ(CreateTextureFromFileEx(*m_device, bad, kDefault, kDefault, 1, 0, Format::A8R8G8B8,
                  Pool::Managed, Filter::Box, Filter::Box, 0, nullptr, &texture),
        Result::InvalidData);
    EXPECT_EQ(CreateTextureFromFileEx(*m_device, good, kDefault, kDefault, 1, 0, Format::A8R8G8B8,
                  Pool::Managed, Filter::Box, Filter::Box, 0xFF000000, nullptr, &texture),
        Result::InvalidCall)
        << "colour key 0 only";
    EXPECT_EQ(CreateTextureFromFileEx(*m_device, good, kDefault, kDefault, 1, 0, Format::V8U8, Pool::Managed,
                  Filter::Box, Filter::Box, 0, nullptr, &texture),
        Result::InvalidCall);
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("missing.png"), std::string::npos) << log;
    EXPECT_EQ(texture.p, nullptr);
    ImageInfo info;
    EXPECT_EQ(GetImageInfoFromFile(good, info), Result::Ok);
    EXPECT_EQ(info.width, 4u);
    EXPECT_EQ(info.format, Format::X8R8G8B8);
    EXPECT_EQ(info.imageFileFormat, ImageFileFormat::Png);
}

TEST_F(D3dxTest, imageInfoOfEachKind)
{
    std::vector<uint32_t> picture = MakePicture(6, 10, true);
    struct Row {
        const char* name;
        Bytes file;
        ImageFileFormat kind;
        Format format;
    };
    const Row rows[] = {
        { "a.bmp", MakeBmp(picture, 6, 10, 24, false), ImageFileFormat::Bmp, Format::X8R8G8B8 },
        { "a.tga", MakeTga(picture, 6, 10, 10, 32, true), ImageFileFormat::Tga, Format::A8R8G8B8 },
        { "a.png", MakePng(picture, 6, 10, true), ImageFileFormat::Png, Format::A8R8G8B8 },
        { "a.jpg", MakeJpeg(picture, 6, 10, 80), ImageFileFormat::Jpg, Format::X8R8G8B8 },
        { "a.dds", MakeDds(Format::R5G6B5, 6, 10, { Bytes(120) }), ImageFileFormat::Dds, Format::R5G6B5 },
    };
    for (const Row& row : rows) {
        ImageInfo info;
        ASSERT_EQ(GetImageInfoFromFile(m_folder.Write(row.name, row.file), info), Result::Ok) << row.name;
        EXPECT_EQ(info.width, 6u) << row.name;
        EXPECT_EQ(info.height, 10u) << row.name;
        EXPECT_EQ(info.imageFileFormat, row.kind) << row.name;
        EXPECT_EQ(info.format, row.format) << row.name;
    }
}

TEST_F(D3dxTest, aFileIsStretchedIntoASurfaceRoundedUpToAMultipleOfFour)
{
    // A 30x17 picture, left half red, right half blue, into a 32x20 DXT3 image surface.
    std::vector<uint32_t> picture(30 * 17);
    for (uint32_t y = 0; y < 17; ++y)
        for (uint32_t x = 0; x < 30; ++x)
            picture[y * 30 + x] = x < 15 ? 0xFFFF0000u : 0xFF0000FFu;
    std::string path = m_folder.Write("picture.tga", MakeTga(picture, 30, 17, 2, 24, false));
    ImageInfo info;
    ASSERT_EQ(GetImageInfoFromFile(path, info), Result::Ok);
    Held<Surface> surface;
    ASSERT_EQ(
        m_device->CreateImageSurface((info.width + 3) & ~3u, (info.height + 3) & ~3u, Format::Dxt3, &surface),
        Result::Ok);
    ASSERT_EQ(
        LoadSurfaceFromFile(*surface, nullptr, path, nullptr, Filter::Triangle, 0, nullptr), Result::Ok);
    std::vector<uint32_t> argb = LevelArgb(*surface);
    auto at = [&](uint32_t x, uint32_t y) { return argb[y * 32 + x]; };
    EXPECT_EQ(at(0, 0), 0xFFFF0000u);
    EXPECT_EQ(at(31, 19), 0xFF0000FFu) << "the picture fills the whole surface";
    EXPECT_EQ(at(12, 10), 0xFFFF0000u);
    EXPECT_EQ(at(19, 10), 0xFF0000FFu);
    // A rectangle off the block grid or outside is refused, nothing touched.
    Rect unaligned { 2, 0, 10, 8 };
    EXPECT_EQ(LoadSurfaceFromFile(*surface, &unaligned, path, nullptr, Filter::Default, 0, nullptr),
        Result::InvalidCall);
    Rect beyond { 0, 0, 31, 17 };
    EXPECT_EQ(LoadSurfaceFromFile(*surface, nullptr, path, &beyond, Filter::Default, 0, nullptr),
        Result::InvalidCall);
    // Into a rectangle: the first block column only.
    Rect column { 0, 0, 4, 20 };
    Rect blue { 16, 0, 30, 17 };
    ASSERT_EQ(LoadSurfaceFromFile(*surface, &column, path, &blue, Filter::Point, 0, nullptr), Result::Ok);
    argb = LevelArgb(*surface);
    EXPECT_EQ(at(0, 0), 0xFF0000FFu);
    EXPECT_EQ(at(4, 0), 0xFFFF0000u);
}

TEST_F(D3dxTest, aScreenshotSurfaceBecomesADxt3Level)
{
    Held<Surface> shot;
    ASSERT_EQ(m_device->CreateImageSurface(256, 256, Format::X8R8G8B8, &shot), Result::Ok);
    LockedRect locked;
    ASSERT_EQ(shot->LockRect(locked, nullptr, 0), Result::Ok);
    for (uint32_t y = 0; y < 256; ++y)
        for (uint32_t x = 0; x < 256; ++x)
            static_cast<uint32_t*>(locked.bits)[y * uint32_t(locked.pitch) / 4 + x]
                = 0xFF000000u | x << 16 | y << 8 | 0x40;
    shot->UnlockRect();
    for (Pool pool : { Pool::Managed, Pool::Default }) {
        SCOPED_TRACE(PoolName(pool));
        Held<Texture> preview;
        Held<Surface> level;
        ASSERT_EQ(m_device->CreateTexture(256, 256, 1, 0, Format::Dxt3, pool, &preview), Result::Ok);
        preview->GetSurfaceLevel(0, &level);
        ASSERT_EQ(LoadSurfaceFromSurface(*level, nullptr, *shot, nullptr, Filter::Default, 0), Result::Ok);
        std::vector<uint32_t> argb = LevelArgb(*level);
        for (uint32_t y = 0; y < 256; y += 51)
            for (uint32_t x = 0; x < 256; x += 37) {
                uint32_t p = argb[y * 256 + x];
                EXPECT_NEAR(int((p >> 16) & 255), int(x), 6);
                EXPECT_NEAR(int((p >> 8) & 255), int(y), 6);
                EXPECT_EQ(p >> 24, 255u);
            }
    }
    // Half of it into a smaller surface: resampled.
    Held<Surface> small;
    ASSERT_EQ(m_device->CreateImageSurface(64, 64, Format::X8R8G8B8, &small), Result::Ok);
    Rect left { 0, 0, 128, 256 };
    ASSERT_EQ(LoadSurfaceFromSurface(*small, nullptr, *shot, &left, Filter::Box, 0), Result::Ok);
    std::vector<uint32_t> argb = LevelArgb(*small);
    EXPECT_NEAR(int((argb[63] >> 16) & 255), 126, 2);
    EXPECT_NEAR(int((argb[63 * 64] >> 8) & 255), 252, 2);
}

TEST(D3dxMath, vertexSizesAndTranspose)
{
    EXPECT_EQ(GetFVFVertexSize(0x112), 32u);
    EXPECT_EQ(GetFVFVertexSize(0x204), 32u);
    Matrix m;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            m.m[i][j] = float(i * 4 + j);
    Matrix t;
    EXPECT_EQ(MatrixTranspose(&t, &m), &t);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            EXPECT_EQ(t.m[i][j], m.m[j][i]);
    MatrixTranspose(&m, &m);
    EXPECT_EQ(m, t) << "in place";
}

} // namespace
} // namespace plat::gfx::test
