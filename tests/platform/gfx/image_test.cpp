// Image readers: each on a known picture, every truncation and absurd headers.
#include "tests/platform/gfx/image_fixture.h"

#include "platform/gfx/d3dx/image.h"
#include "platform/gfx/format.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <zlib.h>

namespace plat::gfx::test {
namespace {

using d3dx::Image;
using d3dx::ImageFileFormat;
using d3dx::ReadImage;

uint32_t PixelOf(const Image& image, uint32_t x, uint32_t y)
{
    uint32_t value;
    std::memcpy(&value, image.levels[0].data() + (size_t(y) * image.info.width + x) * 4, 4);
    return value;
}

struct KnownFile {
    const char* name;
    Bytes file;
    ImageFileFormat kind;
    Format format;
    bool alpha; // the picture keeps its alpha
    int tolerance;
};

std::vector<KnownFile> KnownFiles(
    const std::vector<uint32_t>& opaque, const std::vector<uint32_t>& alpha, uint32_t w, uint32_t h)
{
    return {
        { "BMP 24 bottom-up", MakeBmp(opaque, w, h, 24, false), ImageFileFormat::Bmp, Format::X8R8G8B8, false,
            0 },
        { "BMP 32 top-down", MakeBmp(opaque, w, h, 32, true), ImageFileFormat::Bmp, Format::X8R8G8B8, false,
            0 },
        { "TGA 2 24 bottom", MakeTga(opaque, w, h, 2, 24, false), ImageFileFormat::Tga, Format::X8R8G8B8,
            false, 0 },
        { "TGA 2 32 top", MakeTga(alpha, w, h, 2, 32, true), ImageFileFormat::Tga, Format::A8R8G8B8, true,
            0 },
        { "TGA 10 32 bottom", MakeTga(alpha, w, h, 10, 32, false), ImageFileFormat::Tga, Format::A8R8G8B8,
            true, 0 },
        { "TGA 10 24 top", MakeTga(opaque, w, h, 10, 24, true), ImageFileFormat::Tga, Format::X8R8G8B8, false,
            0 },
        { "PNG RGBA", MakePng(alpha, w, h, true), ImageFileFormat::Png, Format::A8R8G8B8, true, 0 },
        { "PNG RGB", MakePng(opaque, w, h, false), ImageFileFormat::Png, Format::X8R8G8B8, false, 0 },
        { "JPEG", MakeJpeg(opaque, w, h, 100), ImageFileFormat::Jpg, Format::X8R8G8B8, false, 12 },
    };
}

TEST(ImageReaders, eachReaderReadsAKnownPicture)
{
    const uint32_t w = 13, h = 7;
    std::vector<uint32_t> opaque = MakePicture(w, h, false);
    std::vector<uint32_t> alpha = MakePicture(w, h, true);
    // Runs for the RLE writer.
    for (uint32_t x = 0; x < 6; ++x)
        alpha[2 * w + x] = alpha[2 * w], opaque[3 * w + x] = opaque[3 * w];
    for (const KnownFile& known : KnownFiles(opaque, alpha, w, h)) {
        SCOPED_TRACE(known.name);
        Image image;
        std::string error;
        ASSERT_EQ(ReadImage(known.file, image, false, &error), Result::Ok) << error;
        EXPECT_EQ(image.info.width, w);
        EXPECT_EQ(image.info.height, h);
        EXPECT_EQ(image.info.format, known.format);
        EXPECT_EQ(image.info.imageFileFormat, known.kind);
        const std::vector<uint32_t>& expected = known.alpha ? alpha : opaque;
        int worst = 0;
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x) {
                uint32_t got = PixelOf(image, x, y),
                         want = expected[y * w + x] | (known.alpha ? 0 : 0xFF000000u);
                for (int c = 0; c < 4; ++c)
                    worst = std::max(
                        worst, std::abs(int((got >> (8 * c)) & 255) - int((want >> (8 * c)) & 255)));
            }
        EXPECT_LE(worst, known.tolerance);
        Image header;
        ASSERT_EQ(ReadImage(known.file, header, true, nullptr), Result::Ok);
        EXPECT_EQ(header.info.width, w);
        EXPECT_TRUE(header.levels.empty());
    }
}

TEST(ImageReaders, ddsKeepsItsFormatAndLevels)
{
    struct Row {
        Format format;
        uint32_t levels;
    };
    for (Row row : { Row { Format::Dxt1, 4 }, Row { Format::Dxt3, 1 }, Row { Format::Dxt5, 3 },
             Row { Format::A8R8G8B8, 4 }, Row { Format::X8R8G8B8, 1 }, Row { Format::R5G6B5, 2 },
             Row { Format::A4R4G4B4, 4 }, Row { Format::A1R5G5B5, 1 } }) {
        std::vector<Bytes> levels;
        for (uint32_t level = 0; level < row.levels; ++level) {
            Bytes data(SurfaceBytes(row.format, 8 >> level, 8 >> level));
            for (size_t i = 0; i < data.size(); ++i)
                data[i] = uint8_t(i * 7 + level);
            levels.push_back(data);
        }
        Bytes file = MakeDds(row.format, 8, 8, levels);
        Image image;
        std::string error;
        ASSERT_EQ(ReadImage(file, image, false, &error), Result::Ok)
            << FormatName(row.format) << " " << error;
        EXPECT_EQ(image.info.format, row.format);
        EXPECT_EQ(image.info.mipLevels, row.levels);
        ASSERT_EQ(image.levels.size(), row.levels);
        for (uint32_t level = 0; level < row.levels; ++level)
            EXPECT_EQ(image.levels[level], levels[level]);
    }
}

uint32_t Crc(const Bytes& bytes, size_t from, size_t count)
{
    return uint32_t(crc32(0, bytes.data() + from, uInt(count)));
}

TEST(ImageReaders, truncatedFilesFailAtEveryLength)
{
    const uint32_t w = 9, h = 5;
    std::vector<uint32_t> opaque = MakePicture(w, h, false);
    std::vector<uint32_t> alpha = MakePicture(w, h, true);
    std::vector<KnownFile> files = KnownFiles(opaque, alpha, w, h);
    Bytes dxt(SurfaceBytes(Format::Dxt5, 8, 8), 0x5A);
    files.push_back({ "DDS", MakeDds(Format::Dxt5, 8, 8, { dxt, Bytes(SurfaceBytes(Format::Dxt5, 4, 4), 1) }),
        ImageFileFormat::Dds, Format::Dxt5, true, 0 });
    for (const KnownFile& known : files) {
        Image whole;
        ASSERT_EQ(ReadImage(known.file, whole, false, nullptr), Result::Ok);
        for (size_t length = 0; length < known.file.size(); ++length) {
            Bytes cut(known.file.begin(), known.file.begin() + long(length));
            Image image;
            if (ReadImage(cut, image, false, nullptr) == Result::Ok) {
                // Only a PNG cut inside its closing chunk, after every pixel, may still read.
                ASSERT_EQ(known.kind, ImageFileFormat::Png) << known.name << " cut at " << length;
                ASSERT_GE(length + 12, known.file.size()) << known.name << " cut at " << length;
                ASSERT_EQ(image.levels, whole.levels);
            }
        }
    }
}

TEST(ImageReaders, absurdHeadersFailWithAReason)
{
    std::vector<uint32_t> picture = MakePicture(4, 4, true);
    struct Row {
        const char* name;
        std::function<Bytes()> make;
    };
    const Row rows[] = {
        { "BMP width past the limit",
            [&] {
                Bytes f = MakeBmp(picture, 4, 4, 24, false);
                StoreLE<uint32_t>(f.data() + 18, 16385);
                return f;
            } },
        { "BMP height of INT_MIN",
            [&] {
                Bytes f = MakeBmp(picture, 4, 4, 24, false);
                StoreLE<uint32_t>(f.data() + 22, 0x80000000u);
                return f;
            } },
        { "BMP zero width",
            [&] {
                Bytes f = MakeBmp(picture, 4, 4, 24, false);
                StoreLE<uint32_t>(f.data() + 18, 0);
                return f;
            } },
        { "BMP 8-bit palette",
            [&] {
                Bytes f = MakeBmp(picture, 4, 4, 24, false);
                StoreLE<uint16_t>(f.data() + 28, 8);
                return f;
            } },
        { "BMP pixels past the end",
            [&] {
                Bytes f = MakeBmp(picture, 4, 4, 24, false);
                StoreLE<uint32_t>(f.data() + 10, 0xFFFFFFF0u);
                return f;
            } },
        { "BMP area past the limit",
            [&] {
                Bytes f = MakeBmp(picture, 4, 4, 32, false);
                StoreLE<uint32_t>(f.data() + 18, 16384);
                StoreLE<uint32_t>(f.data() + 22, 16384);
                return f;
            } },
        { "BMP run-length",
            [&] {
                Bytes f = MakeBmp(picture, 4, 4, 24, false);
                StoreLE<uint32_t>(f.data() + 30, 1);
                return f;
            } },
        { "TGA palette type",
            [&] {
                Bytes f = MakeTga(picture, 4, 4, 2, 32, false);
                f[2] = 1;
                return f;
            } },
        { "TGA 16-bit",
            [&] {
                Bytes f = MakeTga(picture, 4, 4, 2, 32, false);
                f[16] = 16;
                return f;
            } },
        { "TGA zero size",
            [&] {
                Bytes f = MakeTga(picture, 4, 4, 2, 32, false);
                StoreLE<uint16_t>(f.data() + 12, 0);
                return f;
            } },
        { "TGA run past the picture",
            [&] {
                Bytes f = MakeTga(picture, 4, 4, 10, 32, false);
                f[21] = 0xFF;
                return f;
            } },
        { "TGA colour map past the end",
            [&] {
                Bytes f = MakeTga(picture, 4, 4, 2, 32, false);
                f[1] = 1;
                StoreLE<uint16_t>(f.data() + 5, 60000);
                f[7] = 32;
                return f;
            } },
        { "DDS header size",
            [&] {
                Bytes f = MakeDds(Format::Dxt1, 4, 4, { Bytes(8) });
                StoreLE<uint32_t>(f.data() + 4, 100);
                return f;
            } },
        { "DDS zero width",
            [&] {
                Bytes f = MakeDds(Format::Dxt1, 4, 4, { Bytes(8) });
                StoreLE<uint32_t>(f.data() + 16, 0);
                return f;
            } },
        { "DDS huge",
            [&] {
                Bytes f = MakeDds(Format::Dxt1, 4, 4, { Bytes(8) });
                StoreLE<uint32_t>(f.data() + 16, 16384);
                StoreLE<uint32_t>(f.data() + 12, 16384);
                return f;
            } },
        { "DDS forty levels",
            [&] {
                Bytes f = MakeDds(Format::Dxt1, 4, 4, { Bytes(8), Bytes(8) });
                StoreLE<uint32_t>(f.data() + 28, 40);
                return f;
            } },
        { "DDS unknown code",
            [&] {
                Bytes f = MakeDds(Format::Dxt1, 4, 4, { Bytes(8) });
                StoreLE<uint32_t>(f.data() + 84, FourCC('D', 'X', 'T', '2'));
                return f;
            } },
        { "DDS cube map",
            [&] {
                Bytes f = MakeDds(Format::Dxt1, 4, 4, { Bytes(8) });
                StoreLE<uint32_t>(f.data() + 112, 0x200);
                return f;
            } },
        { "DDS odd masks",
            [&] {
                Bytes f = MakeDds(Format::A8R8G8B8, 1, 1, { Bytes(4) });
                StoreLE<uint32_t>(f.data() + 92, 0xFF);
                return f;
            } },
        { "PNG 20000 wide",
            [&] {
                Bytes f = MakePng(picture, 4, 4, true);
                StoreLE<uint32_t>(f.data() + 16, 0x204E0000u); // big-endian 20000
                uint32_t crc = Crc(f, 12, 17);
                f[29] = uint8_t(crc >> 24);
                f[30] = uint8_t(crc >> 16);
                f[31] = uint8_t(crc >> 8);
                f[32] = uint8_t(crc);
                return f;
            } },
        { "PNG bad header checksum",
            [&] {
                Bytes f = MakePng(picture, 4, 4, true);
                f[29] ^= 0xFF;
                return f;
            } },
        { "JPEG garbage after the marker",
            [&] {
                Bytes f = MakeJpeg(picture, 8, 8, 90);
                for (size_t i = 20; i < f.size() - 2; ++i)
                    f[i] = 0xFF;
                return f;
            } },
        { "nothing", [&] { return Bytes(); } },
    };
    for (const Row& row : rows) {
        Image image;
        std::string error;
        EXPECT_EQ(ReadImage(row.make(), image, false, &error), Result::InvalidData) << row.name;
        EXPECT_FALSE(error.empty()) << row.name;
    }
}

} // namespace
} // namespace plat::gfx::test
