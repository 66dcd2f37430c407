#include "tests/support/le_bytes.h"
#include "tools/audio/theora_writer.h"
#include "tools/audio/vorbis_memory.h"
#include "tools/audio/vorbis_writer.h"
#include "tools/audio/wav_writer.h"

#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <cmath>

using namespace zoq::tools::audio;

namespace {

using zoq::test::U16At;
using zoq::test::U32At;

std::string IdAt(const Bytes& b, size_t at)
{
    return std::string(b.begin() + at, b.begin() + at + 4);
}

TEST(WavWriter, WritesAPcmFileWithFmtThenData)
{
    const int16_t samples[] = { 1, -2, 300, -32768 };
    const Bytes file = MakeWav({ 2, 22050, 16 }, PcmBytes(samples));
    ASSERT_EQ(file.size(), 44u + 8);
    EXPECT_EQ(IdAt(file, 0), "RIFF");
    EXPECT_EQ(U32At(file, 4), file.size() - 8);
    EXPECT_EQ(IdAt(file, 8), "WAVE");
    EXPECT_EQ(IdAt(file, 12), "fmt ");
    EXPECT_EQ(U32At(file, 16), 16u);
    EXPECT_EQ(U16At(file, 20), 1); // PCM
    EXPECT_EQ(U16At(file, 22), 2); // channels
    EXPECT_EQ(U32At(file, 24), 22050u); // rate
    EXPECT_EQ(U32At(file, 28), 88200u); // bytes per second
    EXPECT_EQ(U16At(file, 32), 4); // block align
    EXPECT_EQ(U16At(file, 34), 16); // bits
    EXPECT_EQ(IdAt(file, 36), "data");
    EXPECT_EQ(U32At(file, 40), 8u);
    EXPECT_EQ(U16At(file, 48), 300);
    EXPECT_EQ(U16At(file, 50), 0x8000);
}

TEST(WavWriter, TheBuilderPadsOddChunksAndCanDeclareFalseSizes)
{
    const uint8_t three[] = { 1, 2, 3 };
    const Bytes padded = RiffBuilder().Chunk("LIST", three).Build();
    EXPECT_EQ(padded.size(), 12u + 8 + 4);
    EXPECT_EQ(U32At(padded, 16), 3u);
    const Bytes lying = RiffBuilder().Chunk("data", three, 1000, false).Build("WAVE", 7);
    EXPECT_EQ(lying.size(), 12u + 8 + 3);
    EXPECT_EQ(U32At(lying, 4), 7u);
    EXPECT_EQ(U32At(lying, 16), 1000u);
    EXPECT_EQ(IdAt(RiffBuilder().Build("AVI "), 8), "AVI ");
}

TEST(VorbisWriter, EncodesWhatVorbisfileDecodes)
{
    std::vector<float> samples(2 * 22050);
    for (size_t i = 0; i < samples.size() / 2; ++i) {
        samples[2 * i] = 0.5f * std::sin(float(i) * 0.05f);
        samples[2 * i + 1] = 0.25f * std::sin(float(i) * 0.05f);
    }
    const Bytes first = EncodeVorbis(samples, 2, 22050, { 0.4f, 1 });
    const Bytes second = EncodeVorbis(std::span(samples).first(22050), 1, 11025, { 0.4f, 2 });
    ASSERT_FALSE(first.empty());
    Bytes chained = first;
    chained.insert(chained.end(), second.begin(), second.end());

    MemoryFile memory { &chained };
    OggVorbis_File file;
    ASSERT_EQ(ov_open_callbacks(&memory, &file, nullptr, 0, kMemoryFileCallbacks), 0);
    ASSERT_EQ(ov_streams(&file), 2);
    EXPECT_EQ(ov_info(&file, 0)->channels, 2);
    EXPECT_EQ(ov_info(&file, 0)->rate, 22050);
    EXPECT_EQ(ov_info(&file, 1)->channels, 1);
    EXPECT_EQ(ov_serialnumber(&file, 0), 1);
    EXPECT_EQ(ov_serialnumber(&file, 1), 2);
    EXPECT_EQ(ov_pcm_total(&file, 0), 22050);
    EXPECT_EQ(ov_pcm_total(&file, 1), 22050);
    // The left channel is twice the right one.
    float** pcm = nullptr;
    int section = 0;
    double left = 0, right = 0;
    long n = 0;
    ASSERT_EQ(ov_raw_seek(&file, 0), 0);
    while ((n = ov_read_float(&file, &pcm, 1024, &section)) > 0 && section == 0) {
        for (long i = 0; i < n; ++i) {
            left += std::fabs(pcm[0][i]);
            right += std::fabs(pcm[1][i]);
        }
    }
    EXPECT_NEAR(left / right, 2.0, 0.1);
    ov_clear(&file);
}

TEST(TheoraWriter, RefusesBadSettingsAndFrames)
{
    TheoraWriter writer;
    std::string error;
    EXPECT_FALSE(writer.Begin({ 0, 16, 25, 1, 48 }, error));
    EXPECT_FALSE(writer.Begin({ 16, 16, 0, 1, 48 }, error));
    ASSERT_TRUE(writer.Begin({ 16, 16, 25, 1, 48 }, error));
    std::vector<uint32_t> wrong(15 * 16);
    EXPECT_FALSE(writer.AddFrame(wrong, error));
    std::vector<uint32_t> right(16 * 16, 0x808080);
    EXPECT_TRUE(writer.AddFrame(right, error));
    const Bytes file = writer.Finish();
    ASSERT_GT(file.size(), 100u);
    EXPECT_EQ(IdAt(file, 0), "OggS");
    EXPECT_TRUE(writer.Finish().empty());
}

} // namespace
