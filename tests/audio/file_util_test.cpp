#include "audio/CFileUtil.h"
#include "tests/audio/audio_fixture.h"
#include "tests/support/le_bytes.h"
#include "tools/audio/theora_writer.h"

#include <ogg/ogg.h>

#include <optional>

using namespace audiotest;
using writer::Bytes;
using writer::RiffBuilder;

namespace {

class FileUtilTest : public AudioTest { };

Bytes Fmt(
    uint16_t tag, uint16_t channels, uint16_t bits, std::optional<uint16_t> extra = {}, size_t extraBytes = 0)
{
    Bytes fmt = writer::PcmFmtChunk({ channels, 22050, bits });
    zoq::test::PutAt(fmt, 0, tag);
    if (extra) {
        AppendLE<uint16_t>(fmt, *extra);
        fmt.insert(fmt.end(), extraBytes, 0xEE);
    }
    return fmt;
}

struct WavCase {
    const char* name;
    Bytes file;
    SoundResult result;
    uint32_t size; // data bytes when read
    uint16_t channels;
};

TEST_F(FileUtilTest, WavFilesAreCheckedChunkByChunk)
{
    const Bytes ten = { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10 };
    const Bytes seven(7, 0x80);
    const uint8_t list[] = { 'I', 'N', 'F', 'O', 'x' };
    const WavCase cases[] = {
        { "8-bit mono", writer::MakeWav({ 1, 22050, 8 }, seven), kSoundOk, 7, 1 },
        { "8-bit stereo, trimmed to whole frames", writer::MakeWav({ 2, 22050, 8 }, seven), kSoundOk, 6, 2 },
        { "16-bit mono", writer::MakeWav({ 1, 22050, 16 }, ten), kSoundOk, 10, 1 },
        { "16-bit stereo, trimmed to whole frames", writer::MakeWav({ 2, 22050, 16 }, ten), kSoundOk, 8, 2 },
        { "odd LIST chunk before data",
            RiffBuilder().Chunk("fmt ", Fmt(1, 1, 16)).Chunk("LIST", list).Chunk("data", ten).Build(),
            kSoundOk, 10, 1 },
        { "odd data chunk padded at the end",
            RiffBuilder().Chunk("fmt ", Fmt(1, 1, 8)).Chunk("data", seven).Build(), kSoundOk, 7, 1 },
        { "other format with its extra bytes",
            RiffBuilder().Chunk("fmt ", Fmt(2, 1, 8, 2, 2)).Chunk("data", ten).Build(), kSoundOk, 0, 1 },
        { "fmt shorter than 16 bytes",
            RiffBuilder()
                .Chunk("fmt ",
                    [] {
                        Bytes f = Fmt(1, 1, 16);
                        f.resize(14);
                        return f;
                    }())
                .Chunk("data", ten)
                .Build(),
            kSoundFail, 0, 0 },
        { "extra size past its chunk",
            RiffBuilder().Chunk("fmt ", Fmt(2, 1, 8, 8, 2)).Chunk("data", ten).Build(), kSoundFail, 0, 0 },
        { "other format without extra size",
            RiffBuilder().Chunk("fmt ", Fmt(2, 1, 8)).Chunk("data", ten).Build(), kSoundFail, 0, 0 },
        { "no data chunk", RiffBuilder().Chunk("fmt ", Fmt(1, 1, 16)).Chunk("LIST", list).Build(), kSoundFail,
            0, 0 },
        { "data before fmt", RiffBuilder().Chunk("data", ten).Chunk("fmt ", Fmt(1, 1, 16)).Build(),
            kSoundFail, 0, 0 },
        { "no fmt chunk", RiffBuilder().Chunk("data", ten).Build(), kSoundFail, 0, 0 },
        { "not WAVE", RiffBuilder().Chunk("fmt ", Fmt(1, 1, 16)).Chunk("data", ten).Build("AVI "), kSoundFail,
            0, 0 },
        { "not RIFF", Bytes(44, 'x'), kSoundFail, 0, 0 },
        { "too short for a header", Bytes { 'R', 'I', 'F', 'F' }, kSoundFail, 0, 0 },
        { "data size past the file",
            RiffBuilder().Chunk("fmt ", Fmt(1, 1, 16)).Chunk("data", ten, 1000, false).Build(), kSoundFail, 0,
            0 },
        { "fmt size past the file", RiffBuilder().Chunk("fmt ", Fmt(1, 1, 16), 0xFFFFFFF0u).Build(),
            kSoundFail, 0, 0 },
        { "RIFF size past the file",
            RiffBuilder().Chunk("fmt ", Fmt(1, 1, 16)).Chunk("data", ten).Build("WAVE", 5000), kSoundFail, 0,
            0 },
        { "zero block align",
            RiffBuilder()
                .Chunk("fmt ",
                    [] {
                        Bytes f = Fmt(1, 1, 16);
                        f[12] = f[13] = 0;
                        return f;
                    }())
                .Chunk("data", ten)
                .Build(),
            kSoundFail, 0, 0 },
    };
    for (const WavCase& c : cases) {
        SCOPED_TRACE(c.name);
        CFileUtil file(4096);
        ASSERT_EQ(file.OpenWaveMemory(c.file), c.result);
        if (c.result != kSoundOk) {
            EXPECT_EQ(file.GetFormat(), nullptr);
            continue;
        }
        ASSERT_NE(file.GetFormat(), nullptr);
        EXPECT_EQ(file.GetFormat()->channels, c.channels);
        if (c.size) {
            EXPECT_EQ(file.GetSize(), c.size);
            uint8_t out[64] = {};
            EXPECT_EQ(file.Read(out, 64), c.size);
            EXPECT_EQ(out[0], c.size == 7 || c.size == 6 ? 0x80 : 1);
        }
    }
}

TEST_F(FileUtilTest, OpenReadsWavFilesFromTheBaseDirectory)
{
    const Bytes data = { 10, 20, 30, 40, 50, 60 };
    WriteFile("Sound\\Hit.wav", writer::MakeWav({ 1, 11025, 16 }, data));
    CFileUtil file(4096);
    ASSERT_EQ(file.Open("SOUND\\hit.wav"), kSoundOk);
    EXPECT_FALSE(file.IsOgg());
    EXPECT_EQ(file.GetFormat()->samplesPerSec, 11025u);
    uint8_t out[4];
    EXPECT_EQ(file.Read(out, 4), 4u);
    EXPECT_EQ(out[3], 40);
    EXPECT_EQ(file.Read(out, 4), 2u);
    EXPECT_EQ(out[1], 60);
    EXPECT_EQ(file.Read(out, 4), 0u);
    EXPECT_EQ(file.Open("Sound\\missing.wav"), kSoundFail);
    EXPECT_EQ(file.Open(nullptr), kSoundInvalidArg);
}

Bytes Encode(double seconds, int channels, int rate, int serial = 1)
{
    return writer::EncodeVorbis(
        Tone(seconds, channels, rate), uint16_t(channels), uint32_t(rate), { 0.3f, serial });
}

TEST_F(FileUtilTest, OggFilesDecodeWholeWithTheirFormat)
{
    struct Case {
        int channels;
        int rate;
        uint32_t frames;
    };
    for (const Case c : { Case { 1, 22050, 11025 }, Case { 2, 44100, 30000 } }) {
        SCOPED_TRACE(c.channels);
        WriteFile("a.ogg",
            writer::EncodeVorbis(
                Tone(double(c.frames) / c.rate, c.channels, c.rate), uint16_t(c.channels), uint32_t(c.rate)));
        CFileUtil file;
        ASSERT_EQ(file.Open("a.ogg"), kSoundOk);
        EXPECT_TRUE(file.IsOgg());
        const auto* format = file.GetFormat();
        ASSERT_NE(format, nullptr);
        EXPECT_EQ(format->channels, c.channels);
        EXPECT_EQ(format->samplesPerSec, uint32_t(c.rate));
        EXPECT_EQ(format->bitsPerSample, 16);
        EXPECT_EQ(format->blockAlign, 2 * c.channels);
        EXPECT_EQ(format->avgBytesPerSec, uint32_t(2 * c.channels * c.rate));
        EXPECT_EQ(format->extraSize, 0);
        EXPECT_EQ(file.GetSize(), c.frames * 2 * uint32_t(c.channels));
        std::vector<uint8_t> pcm(file.GetSize());
        EXPECT_EQ(file.Read(pcm.data(), uint32_t(pcm.size())), pcm.size());
        const auto samples = Samples(pcm.data(), pcm.size());
        int16_t peak = 0;
        for (size_t i = 0; i < samples.size(); i += size_t(c.channels))
            peak = std::max<int16_t>(peak, samples[i]);
        EXPECT_NEAR(peak, 16383, 1000);
    }
}

TEST_F(FileUtilTest, AChainedFileKeepsTheFirstStreamsFormat)
{
    Bytes chained = Encode(0.5, 2, 22050, 1);
    const Bytes second = Encode(0.25, 1, 11025, 2);
    chained.insert(chained.end(), second.begin(), second.end());
    std::vector<uint8_t> pcm(CFileUtil::kPcmBufferSize);
    CFileUtil file(uint32_t(pcm.size()));
    uint32_t size = 0, read = 0;
    ASSERT_TRUE(file.ReadOGGMemory(pcm.data(), "chain.ogg", chained, size, read));
    EXPECT_EQ(read, chained.size());
    EXPECT_EQ(file.GetFormat()->channels, 2);
    EXPECT_EQ(file.GetFormat()->samplesPerSec, 22050u);
    EXPECT_EQ(size, (11025u * 2 + 2756u) * 2);
}

TEST_F(FileUtilTest, FullScaleSamplesClampToTheSixteenBitRange)
{
    std::vector<float> square(22050);
    for (size_t i = 0; i < square.size(); ++i)
        square[i] = (i / 50) % 2 ? 1.0f : -1.0f;
    const Bytes ogg = writer::EncodeVorbis(square, 1, 22050, { 0.6f, 1 });
    std::vector<uint8_t> pcm(1 << 20);
    CFileUtil file(uint32_t(pcm.size()));
    uint32_t size = 0, read = 0;
    ASSERT_TRUE(file.ReadOGGMemory(pcm.data(), "square.ogg", ogg, size, read));
    const auto samples = Samples(pcm.data(), size);
    EXPECT_EQ(*std::max_element(samples.begin(), samples.end()), 32767);
    EXPECT_EQ(*std::min_element(samples.begin(), samples.end()), -32768);
}

TEST_F(FileUtilTest, FilesThatAreNoVorbisAreRefusedWithTheirLogLines)
{
    std::vector<uint8_t> pcm(1 << 16);
    CFileUtil file(uint32_t(pcm.size()));
    uint32_t size = 0, read = 0;
    const uint32_t grey = 0x808080;
    const Bytes video = writer::EncodeSolidClip({ 16, 16, 25, 1, 20 }, { &grey, 1 });
    EXPECT_FALSE(file.ReadOGGMemory(pcm.data(), "video.ogg", video, size, read));
    EXPECT_TRUE(LogHas("ERROR!!! CFileUtil::ReadOgg - Несоответсвие версий Ogg\n"));
    EXPECT_TRUE(LogHas(" video.ogg\n"));
    EXPECT_FALSE(file.ReadOGGMemory(pcm.data(), "noise.ogg", Bytes(9000, 0x5A), size, read));
    EXPECT_FALSE(file.ReadOGGMemory(pcm.data(), "short.ogg", Bytes(100, 0x5A), size, read));
    EXPECT_TRUE(LogHas("CFileUtil::ReadOGG no Vorbis stream: short.ogg"));
    EXPECT_EQ(size, 0u);
    // Headers cut off after the first page.
    Bytes cut = Encode(0.2, 1, 22050);
    cut.resize(60);
    EXPECT_FALSE(file.ReadOGGMemory(pcm.data(), "cut.ogg", cut, size, read));
    // A comment header that is no header, on a page whose checksum still holds.
    Bytes damaged = Encode(0.2, 1, 22050);
    const size_t second = 58; // the identification page is 58 bytes long
    ASSERT_EQ(std::string(damaged.begin() + second, damaged.begin() + second + 4), "OggS");
    ogg_page page;
    page.header = damaged.data() + second;
    page.header_len = 27 + damaged[second + 26];
    page.body = page.header + page.header_len;
    page.body_len = 0;
    for (int i = 0; i < damaged[second + 26]; ++i)
        page.body_len += damaged[second + 27 + size_t(i)];
    page.body[0] = 0x7F;
    ogg_page_checksum_set(&page);
    EXPECT_FALSE(file.ReadOGGMemory(pcm.data(), "damaged.ogg", damaged, size, read));
    EXPECT_TRUE(LogHas("ERROR!!! CFileUtil::ReadOgg - Ошибка считывания заголовка\n"));
    EXPECT_TRUE(LogHas(" damaged.ogg\n"));
    // Open refuses such a file with an invalid-argument answer.
    WriteFile("bad.ogg", Bytes(100, 1));
    EXPECT_EQ(file.Open("bad.ogg"), kSoundInvalidArg);
    EXPECT_EQ(file.Open("missing.ogg"), kSoundInvalidArg);
}

TEST_F(FileUtilTest, ASoundLongerThanTheBufferIsCutAtAWholeBatch)
{
    const Bytes ogg = Encode(2.0, 2, 22050);
    const uint32_t capacity = 100000;
    std::vector<uint8_t> pcm(capacity);
    CFileUtil file(capacity);
    uint32_t size = 0, read = 0;
    ASSERT_TRUE(file.ReadOGGMemory(pcm.data(), "long.ogg", ogg, size, read));
    EXPECT_LE(size, capacity);
    EXPECT_GT(size, capacity - 4096 * 2);
    EXPECT_EQ(size % 4, 0u);
    EXPECT_EQ(read, ogg.size());
    EXPECT_TRUE(LogHas("CFileUtil::ReadOGG sound cut: long.ogg"));
}

} // namespace
