// The block packers against the reader's unpackers, codec names and flags, stored names and the
// archive layout.
#include "tools/data/pak_codec.h"
#include "tools/data/pak_writer.h"

#include "foundation/KWUnpack.h"
#include "platform/win/text.h"
#include "tests/support/files.h"
#include "tests/support/le_bytes.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>

namespace {

using zoq::test::U32At;

using namespace zoq::tools::data;

// Unpacks one block record the way the reader does; nullopt when it does not decode.
std::optional<Bytes> UnpackRecord(const BlockRecord& block, uint32_t blockSize)
{
    const Bytes& r = block.record;
    const size_t room = blockSize + 128;
    Bytes a(room), b(room);
    size_t written = 0;
    const uint32_t flags = block.flags;
    auto rle = [&](const uint8_t* in, size_t n, uint8_t* out, size_t cap) {
        return (flags & 1) ? UnpackRle16(in, n, out, cap, written) : UnpackRle8(in, n, out, cap, written);
    };
    auto lz = [&](const uint8_t* in, size_t n, uint8_t* out, size_t cap) {
        return (flags & 4) ? UnpackLzFlags(in, n, out, cap, written)
                           : UnpackLzEscape(in, n, out, cap, written);
    };
    if (flags == 0)
        return Bytes(r.begin() + 4, r.end());
    if ((flags & 3) && (flags & 12)) {
        const uint32_t middle = U32At(r, 0);
        if (!lz(r.data() + 8, U32At(r, 4), b.data(), room) || written != middle)
            return std::nullopt;
        if (!rle(b.data(), middle, a.data(), blockSize))
            return std::nullopt;
    } else if (flags & 12) {
        if (!lz(r.data() + 4, U32At(r, 0), a.data(), blockSize))
            return std::nullopt;
    } else if (!rle(r.data() + 4, U32At(r, 0), a.data(), blockSize)) {
        return std::nullopt;
    }
    return Bytes(a.begin(), a.begin() + long(written));
}

std::vector<std::pair<std::string, Bytes>> Samples(size_t size)
{
    std::mt19937 random(42);
    std::vector<std::pair<std::string, Bytes>> samples;
    Bytes noise(size);
    for (auto& b : noise)
        b = uint8_t(random());
    samples.push_back({ "noise", noise });
    samples.push_back({ "zeros", Bytes(size, 0) });
    Bytes everyByte(size);
    for (size_t i = 0; i < size; ++i)
        everyByte[i] = uint8_t(i);
    samples.push_back({ "everyByte", everyByte });
    Bytes words(size);
    for (size_t i = 0; i < size; ++i)
        words[i] = (i / 2) % 5 < 3 ? uint8_t(i % 2 ? 0x12 : 0x34) : uint8_t(random());
    samples.push_back({ "wordRuns", words });
    std::string text;
    while (text.size() < size)
        text += "TEX_ROW_" + std::to_string(text.size() % 97) + " = Data\\Textures\\row.tm\n";
    samples.push_back({ "text", Bytes(text.begin(), text.begin() + long(size)) });
    samples.push_back({ "one", Bytes(1, 7) });
    samples.push_back({ "empty", {} });
    return samples;
}

const Codec kAllCodecs[] = { Codec::Raw, Codec::Rle8, Codec::Rle16, Codec::LzFlags, Codec::LzEscape,
    Codec::Rle8LzFlags, Codec::Rle8LzEscape, Codec::Rle16LzFlags, Codec::Rle16LzEscape, Codec::Auto };

TEST(PakCodec, everyCodecRoundTripsThroughTheUnpackers)
{
    for (uint32_t blockSize : { 64u, 4096u }) {
        for (const auto& [name, block] : Samples(blockSize)) {
            for (Codec codec : kAllCodecs) {
                BlockRecord record = PackBlock(block, codec, blockSize);
                if (codec != Codec::Auto && !(codec == Codec::Rle16 && block.size() % 2)) {
                    EXPECT_TRUE(record.flags == CodecFlags(codec) || record.flags == 0)
                        << name << " " << CodecName(codec);
                }
                std::optional<Bytes> back = UnpackRecord(record, blockSize);
                ASSERT_TRUE(back) << name << " " << CodecName(codec) << " block " << blockSize;
                EXPECT_EQ(*back, block) << name << " " << CodecName(codec) << " block " << blockSize;
            }
        }
    }
}

TEST(PakCodec, blocksTheCodecCannotHoldAreStoredRaw)
{
    const Bytes odd = { 1, 2, 3 };
    for (Codec codec : { Codec::Rle16, Codec::Rle16LzFlags, Codec::Rle16LzEscape }) {
        BlockRecord record = PackBlock(odd, codec, 64);
        EXPECT_EQ(record.flags, 0u);
        EXPECT_EQ(record.record, (Bytes { 3, 0, 0, 0, 1, 2, 3 }));
    }
}

TEST(PakCodec, autoChoosesTheSmallestRecord)
{
    for (const auto& [name, block] : Samples(4096)) {
        const size_t chosen = PackBlock(block, Codec::Auto, 4096).record.size();
        for (Codec codec : kAllCodecs)
            EXPECT_LE(chosen, PackBlock(block, codec, 4096).record.size()) << name << " " << CodecName(codec);
    }
}

TEST(PakCodec, namesAndFlagsFollowTheFormat)
{
    const std::pair<const char*, uint32_t> rows[] = { { "raw", 0 }, { "rle8", 2 }, { "rle16", 1 },
        { "lzflags", 4 }, { "lzescape", 8 }, { "rle8+lzflags", 6 }, { "rle8+lzescape", 10 },
        { "rle16+lzflags", 5 }, { "rle16+lzescape", 9 } };
    for (const auto& [name, flags] : rows) {
        std::optional<Codec> codec = ParseCodec(name);
        ASSERT_TRUE(codec) << name;
        EXPECT_STREQ(CodecName(*codec), name);
        EXPECT_EQ(CodecFlags(*codec), flags) << name;
    }
    EXPECT_EQ(ParseCodec("auto"), Codec::Auto);
    EXPECT_FALSE(ParseCodec("RLE8"));
    EXPECT_FALSE(ParseCodec("lz"));
}

TEST(PakNames, storedNamesAreUpperCaseWindows1251WithBackslashes)
{
    struct Row {
        const char* utf8;
        const char* stored; // null: refused
    };
    const std::string name79(79, 'a');
    const std::string name80(80, 'a');
    const Row rows[] = {
        { "Data/Dir/x.tm", "DATA\\DIR\\X.TM" },
        { "Data/Звуки/ёж.ogg", CP1251("DATA\\ЗВУКИ\\ЁЖ.OGG") },
        { "Data/日本.txt", nullptr },
        { "Data/\xff.txt", nullptr },
        { name79.c_str(), nullptr },
        { name80.c_str(), nullptr },
        { "", nullptr },
    };
    for (const Row& row : rows) {
        std::string stored;
        std::string error;
        bool ok = MakePakName(row.utf8, stored, error);
        if (row.utf8 == name79) {
            EXPECT_TRUE(ok);
            EXPECT_EQ(stored, std::string(79, 'A'));
            continue;
        }
        EXPECT_EQ(ok, row.stored != nullptr) << row.utf8;
        if (ok) {
            EXPECT_EQ(stored, row.stored);
        } else {
            EXPECT_FALSE(error.empty());
        }
    }
}

using PakWriterTest = zoq::test::TempDirTest;

TEST_F(PakWriterTest, archiveHasSortedTableAndFilesBackToBack)
{
    std::string error;
    const auto out = m_dir / "x.pak";
    ASSERT_TRUE(WritePak(
        out, { { "B", {}, { 1, 2, 3 } }, { "A", {}, { 4, 5 } }, { "C", {}, {} } }, { 64, Codec::Raw }, error))
        << error;
    const Bytes bytes = zoq::test::ReadBytes(out);
    ASSERT_GE(bytes.size(), 22u + 3 * 88 + 12);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 6), "ZOQPAK");
    EXPECT_EQ(U32At(bytes, 6), 3u);
    EXPECT_EQ(U32At(bytes, 10), 1u);
    EXPECT_EQ(U32At(bytes, 14), 64u);
    const char* names[] = { "A", "B", "C" };
    const uint32_t starts[] = { 0, 2, 5 };
    const uint32_t sizes[] = { 2, 3, 0 };
    for (int i = 0; i < 3; ++i) {
        EXPECT_STREQ(reinterpret_cast<const char*>(&bytes[22 + 88 * i]), names[i]);
        EXPECT_EQ(U32At(bytes, 22 + 88 * i + 80), starts[i]);
        EXPECT_EQ(U32At(bytes, 22 + 88 * i + 84), sizes[i]);
    }
    const size_t block = 22 + 3 * 88;
    EXPECT_EQ(U32At(bytes, block + 4), 0u);
    const uint32_t record = U32At(bytes, block + 8);
    EXPECT_EQ(record, block + 12);
    EXPECT_EQ(Bytes(bytes.begin() + record, bytes.end()), (Bytes { 5, 0, 0, 0, 4, 5, 1, 2, 3 }));
}

TEST_F(PakWriterTest, refusesDuplicatesBadBlockSizesAndLeavesNoFile)
{
    std::string error;
    const auto out = m_dir / "x.pak";
    EXPECT_FALSE(WritePak(out, { { "A", {}, { 1 } }, { "A", {}, { 2 } } }, {}, error));
    EXPECT_NE(error.find("two files stored as 'A'"), std::string::npos) << error;
    EXPECT_FALSE(WritePak(out, { { "A", {}, { 1 } } }, { 63, Codec::Auto }, error));
    EXPECT_FALSE(WritePak(out, { { "A", {}, { 1 } } }, { 16777217, Codec::Auto }, error));
    EXPECT_FALSE(WritePak(out, { { "A", m_dir / "missing", {} } }, {}, error));
    EXPECT_TRUE(std::filesystem::is_empty(m_dir));
}

} // namespace
