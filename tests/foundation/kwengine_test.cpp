// The archive reader: round trips through every codec, block caching, clamped reads, corrupt
// archives and blocks, lookup and concurrent cursors.
#include "tests/foundation/data_dir_fixture.h"

#include "foundation/KWEngine.h"
#include "platform/win/text.h"
#include "tests/support/le_bytes.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <thread>

namespace {

using zoq::test::PutU32;
using zoq::test::U32At;

using zoq::tools::data::Codec;

const std::vector<std::pair<std::string, Bytes>>& SampleFiles()
{
    static const std::vector<std::pair<std::string, Bytes>> files = {
        { "DATA\\A.BIN", MixedBytes(517, 1) },
        { "DATA\\EMPTY", {} },
        { "DATA\\ONE", { 0x42 } },
        { "DATA\\Z\\TEXT.TXT", MixedBytes(1300, 2) },
    };
    return files;
}

class KWEngineTest : public DataDirTest {
protected:
    // Reads the whole file in pieces of the given size.
    static Bytes ReadAll(const KWEngine& engine, KWCursor& cursor, size_t piece)
    {
        Bytes out;
        Bytes buffer(piece);
        while (true) {
            size_t got = engine.ReadAvailable(cursor, buffer.data(), piece);
            if (got == 0)
                break;
            out.insert(out.end(), buffer.begin(), buffer.begin() + got);
        }
        return out;
    }
};

class KWEngineCodecTest : public KWEngineTest, public ::testing::WithParamInterface<Codec> { };

TEST_P(KWEngineCodecTest, everyFileReadsBackExactlyInAnyPieceSize)
{
    WriteArchive("x.pak", SampleFiles(), 64, GetParam());
    KWEngine engine;
    ASSERT_TRUE(engine.Init("x.pak"));
    ASSERT_EQ(engine.FileCount(), 4);
    for (const auto& [name, bytes] : SampleFiles()) {
        for (size_t piece : { size_t(1), size_t(7), size_t(64), size_t(100), size_t(5000) }) {
            KWCursor cursor;
            ASSERT_TRUE(engine.Open(cursor, name.c_str())) << name;
            EXPECT_EQ(ReadAll(engine, cursor, piece), bytes) << name << " in pieces of " << piece;
        }
        KWCursor cursor;
        ASSERT_TRUE(engine.Open(cursor, name.c_str()));
        Bytes whole(bytes.size() + 1);
        EXPECT_EQ(engine.Read(cursor, whole.data(), bytes.size()), bytes.size());
        EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), whole.begin()));
    }
    EXPECT_EQ(LogText(), "");
}

INSTANTIATE_TEST_SUITE_P(Codecs, KWEngineCodecTest,
    ::testing::Values(Codec::Raw, Codec::Rle8, Codec::Rle16, Codec::LzFlags, Codec::LzEscape,
        Codec::Rle8LzFlags, Codec::Rle8LzEscape, Codec::Rle16LzFlags, Codec::Rle16LzEscape, Codec::Auto),
    [](const ::testing::TestParamInfo<Codec>& info) {
        std::string name = zoq::tools::data::CodecName(info.param);
        std::replace(name.begin(), name.end(), '+', '_');
        return name;
    });

TEST_F(KWEngineTest, readAcrossFileEndReturnsZeroWithoutNextFileBytes)
{
    WriteArchive("x.pak", { { "A", Bytes(10, 'a') }, { "B", Bytes(10, 'b') } }, 64, Codec::LzFlags);
    KWEngine engine;
    ASSERT_TRUE(engine.Init("x.pak"));
    KWCursor cursor;
    ASSERT_TRUE(engine.Open(cursor, "A"));
    cursor.SetPosition(6);
    Bytes dest(8, 0xEE);
    EXPECT_EQ(engine.Read(cursor, dest.data(), 8), 0u);
    EXPECT_EQ(dest, (Bytes { 'a', 'a', 'a', 'a', 0xEE, 0xEE, 0xEE, 0xEE }));
    EXPECT_EQ(cursor.Position(), 10u);
    EXPECT_EQ(engine.Read(cursor, dest.data(), 1), 0u);
    cursor.SetPosition(100);
    EXPECT_EQ(engine.ReadAvailable(cursor, dest.data(), 8), 0u);
}

TEST_F(KWEngineTest, readsInsideOneBlockUnpackItOnce)
{
    const Bytes content = MixedBytes(200, 3);
    WriteArchive("x.pak", { { "F", content } }, 64, Codec::LzFlags);
    KWEngine engine;
    ASSERT_TRUE(engine.Init("x.pak"));
    KWCursor cursor;
    ASSERT_TRUE(engine.Open(cursor, "F"));
    Bytes dest(10);
    ASSERT_EQ(engine.Read(cursor, dest.data(), 10), 10u);

    // Spoil every block record on disk: what is already unpacked still serves.
    Bytes archive = ReadBytes("x.pak");
    const size_t records = 22 + 88 * 1 + 12 * engine.BlockCount();
    std::fill(archive.begin() + long(records), archive.end(), 0xFF);
    WriteBytes("x.pak", archive);

    ASSERT_EQ(engine.Read(cursor, dest.data(), 10), 10u);
    EXPECT_TRUE(std::equal(dest.begin(), dest.end(), content.begin() + 10));
    EXPECT_EQ(LogText(), "");

    // The next block is read now and found corrupt: the read fails, logged once.
    cursor.SetPosition(64);
    EXPECT_EQ(engine.Read(cursor, dest.data(), 10), 0u);
    cursor.SetPosition(64);
    EXPECT_EQ(engine.Read(cursor, dest.data(), 10), 0u);
    ASSERT_EQ(LogLines().size(), 1u);
    EXPECT_NE(LogText().find("KWEngine::LoadBlock corrupt block 1 of x.pak"), std::string::npos) << LogText();
}

TEST_F(KWEngineTest, lookupDropsBaseDirectoryAcceptsSlashesAndIgnoresCase)
{
    WriteArchive("x.pak", { { CP1251("DATA\\ТЕКСТ\\A.TXT"), { 1, 2, 3 } }, { "DATA\\B", { 4 } } });
    KWEngine engine;
    ASSERT_TRUE(engine.Init("x.pak"));
    // The table is sorted by stored bytes: "DATA\B" comes first.
    EXPECT_EQ(engine.FindFile(CP1251(".\\data\\текст\\a.txt")), 1);
    EXPECT_EQ(engine.FindFile(CP1251("Data/Текст/A.txt")), 1);
    EXPECT_EQ(engine.FindFile("./DATA\\B"), 0);
    EXPECT_EQ(engine.FindFile("DATA\\C"), -1);
    EXPECT_EQ(engine.FindFile("DATA"), -1);
    KWCursor cursor;
    EXPECT_FALSE(engine.Open(cursor, "DATA\\C"));
    EXPECT_FALSE(cursor.IsOpen());
}

TEST_F(KWEngineTest, archiveThatCannotOpenServesNothingSilently)
{
    KWEngine engine;
    EXPECT_FALSE(engine.Init("missing.pak"));
    EXPECT_EQ(engine.FindFile("A"), -1);
    EXPECT_FALSE(LogExists());
}

struct CorruptArchiveCase {
    const char* name;
    std::function<void(Bytes&)> spoil;
    const char* logged;
};

class KWEngineCorruptTest : public KWEngineTest, public ::testing::WithParamInterface<CorruptArchiveCase> { };

TEST_P(KWEngineCorruptTest, badArchiveIsNotMountedAndLogsItsReason)
{
    WriteArchive("x.pak", SampleFiles(), 64, Codec::LzFlags);
    Bytes archive = ReadBytes("x.pak");
    GetParam().spoil(archive);
    WriteBytes("x.pak", archive);
    KWEngine engine;
    EXPECT_FALSE(engine.Init("x.pak"));
    EXPECT_EQ(engine.FileCount(), 0);
    EXPECT_EQ(engine.FindFile("DATA\\A.BIN"), -1);
    const std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find(GetParam().logged), std::string::npos) << lines[0];
}

const CorruptArchiveCase kCorruptArchives[] = {
    { "shortHeader", [](Bytes& a) { a.resize(21); }, "KWEngine::Init Error read file" },
    { "fileTablePastEnd", [](Bytes& a) { PutU32(a, 6, 0x40000000); }, "KWEngine::Init Error read file" },
    { "blockTablePastEnd", [](Bytes& a) { PutU32(a, 10, 0xFFFFFFFF); },
        "KWEngine::Init Error read header file" },
    { "blockSizeZero", [](Bytes& a) { PutU32(a, 14, 0); },
        "KWEngine::Init corrupt archive x.pak: block size 0" },
    { "blockSizeHuge", [](Bytes& a) { PutU32(a, 14, (64u << 20) + 1); }, "block size 67108865 outside" },
    { "nameUnterminated", [](Bytes& a) { std::fill(a.begin() + 22, a.begin() + 22 + 80, 'A'); },
        "not terminated" },
    { "filePastLastBlock", [](Bytes& a) { PutU32(a, 22 + 84, 100000); }, "file 0 ends past the last block" },
    { "startPastLastBlock", [](Bytes& a) { PutU32(a, 22 + 88 * 3 + 80, 0xFFFFFFF0); }, "file 3 ends past" },
    { "blockOutsideFile", [](Bytes& a) { PutU32(a, 22 + 88 * 4 + 12 * 2 + 8, uint32_t(a.size() - 2)); },
        "block 2 record lies outside" },
};

INSTANTIATE_TEST_SUITE_P(Archives, KWEngineCorruptTest, ::testing::ValuesIn(kCorruptArchives),
    [](const ::testing::TestParamInfo<CorruptArchiveCase>& info) { return std::string(info.param.name); });

struct CorruptBlockCase {
    const char* name;
    Codec codec;
    // Spoils block 1's record, which starts at the given offset.
    std::function<void(Bytes& archive, size_t record)> spoil;
    const char* logged;
};

class KWEngineBlockTest : public KWEngineTest, public ::testing::WithParamInterface<CorruptBlockCase> { };

TEST_P(KWEngineBlockTest, badBlockFailsItsReadsOthersStillServe)
{
    const Bytes content = MixedBytes(64 * 3, 4);
    WriteArchive("x.pak", { { "F", content } }, 64, GetParam().codec);
    Bytes archive = ReadBytes("x.pak");
    const size_t blockTable = 22 + 88;
    ASSERT_EQ(U32At(archive, blockTable + 12 + 4), zoq::tools::data::CodecFlags(GetParam().codec));
    GetParam().spoil(archive, U32At(archive, blockTable + 12 + 8));
    WriteBytes("x.pak", archive);

    KWEngine engine;
    ASSERT_TRUE(engine.Init("x.pak"));
    KWCursor cursor;
    ASSERT_TRUE(engine.Open(cursor, "F"));
    Bytes dest(64 * 3, 0);
    EXPECT_EQ(engine.Read(cursor, dest.data(), dest.size()), 0u);
    EXPECT_EQ(cursor.Position(), 64u);
    EXPECT_TRUE(std::equal(content.begin(), content.begin() + 64, dest.begin()));
    cursor.SetPosition(128);
    EXPECT_EQ(engine.Read(cursor, dest.data(), 64), 64u);
    EXPECT_TRUE(std::equal(content.begin() + 128, content.end(), dest.begin()));
    const std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("corrupt block 1"), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find(GetParam().logged), std::string::npos) << lines[0];
}

const CorruptBlockCase kCorruptBlocks[] = {
    { "rawLengthAboveBlockSize", Codec::Raw, [](Bytes& a, size_t r) { PutU32(a, r, 65); }, "too large" },
    { "rawShorterThanRead", Codec::Raw, [](Bytes& a, size_t r) { PutU32(a, r, 10); }, "holds 10 bytes" },
    { "packedLengthPastRoom", Codec::LzFlags, [](Bytes& a, size_t r) { PutU32(a, r, 64 + 129); },
        "too large" },
    { "middleLengthPastRoom", Codec::Rle8LzFlags, [](Bytes& a, size_t r) { PutU32(a, r, 64 + 129); },
        "too large" },
    { "middleLengthWrong", Codec::Rle8LzFlags, [](Bytes& a, size_t r) { PutU32(a, r, U32At(a, r) - 1); },
        "LZ stage gave" },
    { "lzDistanceBeforeOutput", Codec::LzFlags,
        [](Bytes& a, size_t r) {
            a[r + 4] = 0x01; // first item a reference
            a[r + 5] = 0x00;
            a[r + 6] = 0x05;
        },
        "does not unpack" },
    { "runPastBlock", Codec::Rle8,
        [](Bytes& a, size_t r) {
            const uint8_t escape = a[r + 4];
            a[r + 5] = escape; // a run of 257 in a 64-byte block
            a[r + 6] = 254;
        },
        "does not unpack" },
    { "recordPastEnd", Codec::LzEscape, [](Bytes& a, size_t r) { PutU32(a, r, uint32_t(a.size() - r)); },
        "past the end" },
};

INSTANTIATE_TEST_SUITE_P(Blocks, KWEngineBlockTest, ::testing::ValuesIn(kCorruptBlocks),
    [](const ::testing::TestParamInfo<CorruptBlockCase>& info) { return std::string(info.param.name); });

TEST_F(KWEngineTest, cursorsOnTwoThreadsReadTheirOwnFiles)
{
    const Bytes first = MixedBytes(40000, 5);
    const Bytes second = MixedBytes(30000, 6);
    WriteArchive("x.pak", { { "FIRST", first }, { "SECOND", second } }, 256, Codec::Rle8LzFlags);
    KWEngine engine;
    ASSERT_TRUE(engine.Init("x.pak"));
    auto reader = [&](const char* name, const Bytes& expected, bool& same) {
        for (int round = 0; round < 20; ++round) {
            KWCursor cursor;
            if (!engine.Open(cursor, name))
                return;
            Bytes out;
            Bytes piece(97);
            size_t got;
            while ((got = engine.ReadAvailable(cursor, piece.data(), piece.size())) > 0)
                out.insert(out.end(), piece.begin(), piece.begin() + long(got));
            if (out != expected)
                return;
        }
        same = true;
    };
    bool firstSame = false;
    bool secondSame = false;
    std::thread a(reader, "FIRST", std::cref(first), std::ref(firstSame));
    std::thread b(reader, "SECOND", std::cref(second), std::ref(secondSame));
    a.join();
    b.join();
    EXPECT_TRUE(firstSame);
    EXPECT_TRUE(secondSame);
}

} // namespace
