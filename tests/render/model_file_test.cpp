// The model-file reader: what it reads back from the writer, and the files it refuses.
#include "render/ModelFile.h"
#include "tools/model/model_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace {

using namespace zoq::tools::model;
using Mutation = std::function<void(SModelFile&)>;

SModelFile Kind(std::string_view kind)
{
    SModelFile file;
    EXPECT_TRUE(MakeModel(kind, "TEX_SAMPLECOLOR", file));
    return file;
}

struct ReadOutcome {
    bool refused = false;
    std::string reason;
    std::vector<std::string> log;
    SModelFile file;
};

ReadOutcome ReadBytes(const Bytes& bytes)
{
    ReadOutcome outcome;
    try {
        outcome.file = ReadModelFile(bytes.data(), bytes.size(),
            [&outcome](std::string_view line) { outcome.log.emplace_back(line); });
    } catch (const XModelFileError& error) {
        outcome.refused = true;
        outcome.reason = error.what();
    }
    return outcome;
}

TEST(ModelFileReader, truncationAnywhereIsRefused)
{
    for (std::string_view kind : { "glider", "missile", "building", "tree" }) {
        const Bytes whole = EncodeModelFile(Kind(kind));
        const size_t step = whole.size() > 8000 ? 7 : 1;
        for (size_t size = 0; size < whole.size(); size += step) {
            const Bytes cut(whole.begin(), whole.begin() + long(size));
            ASSERT_TRUE(ReadBytes(cut).refused) << kind << " cut to " << size;
        }
        EXPECT_FALSE(ReadBytes(whole).refused) << kind;
    }
}

TEST(ModelFileReader, badFilesAreRefusedWithTheirReason)
{
    const struct {
        const char* what;
        const char* kind;
        Mutation mutate;
        const char* reason;
    } kRows[] = {
        { "part type 5", "stone", [](SModelFile& f) { f.parts[1].record.type = 5; },
            "part 1: part type 5 is unknown" },
        { "five channels", "glider",
            [](SModelFile& f) { f.parts[0].model->channels.push_back(f.parts[0].model->channels[3]); },
            "part 0: channel count 5 is above 4" },
        { "nine pieces", "glider",
            [](SModelFile& f) { f.parts[0].model->pieces.push_back(f.parts[0].model->pieces[0]); },
            "part 0: damage piece count 9 is above 8" },
        { "index past the vertices", "stone", [](SModelFile& f) { f.parts[0].model->mesh.indices[4] = 24; },
            "part 0: the main mesh index entry 4 = 24 is not below 24" },
        { "index count not a multiple of 3", "stone",
            [](SModelFile& f) { f.parts[0].model->mesh.indices.pop_back(); },
            "part 0: the main mesh index count 35 is not a multiple of 3" },
        { "no position", "stone", [](SModelFile& f) { f.parts[0].model->mesh.format = 0x11C; },
            "part 0: the main mesh format 0x11c has no position" },
        { "too many vertices", "stone", [](SModelFile& f) { f.parts[0].model->mesh.vertexCount = 65537; },
            "part 0: the main mesh has 65537 vertices, more than 65536" },
        { "bad triangle number", "glider",
            [](SModelFile& f) { f.parts[0].model->pieces[3].triangles[1] = 24; },
            "part 0: damage piece triangle entry 1 = 24 is not below 24" },
        { "delta vertex past the mesh", "glider",
            [](SModelFile& f) { f.parts[0].model->channels[2].blocks[1].indices[0] = 48; },
            "part 0: delta vertex index entry 0 = 48 is not below 48" },
        { "unindexed deltas past the mesh", "stone",
            [](SModelFile& f) {
                SMorphChannelBlock channel;
                channel.type = 3;
                channel.blockCount = 1;
                channel.blocks[0].deltas.resize(25);
                f.parts[0].model->channels.push_back(channel);
            },
            "part 0: delta block 0 has 25 deltas for 24 vertices" },
        { "unknown channel type with deltas", "stone",
            [](SModelFile& f) {
                SMorphChannelBlock channel;
                channel.type = 16;
                channel.blockCount = 1;
                channel.blocks[0].deltas.resize(2);
                f.parts[0].model->channels.push_back(channel);
            },
            "part 0: channel of type 16 with deltas is unknown" },
        { "ordering past the vertices", "building",
            [](SModelFile& f) { f.parts[0].model->orderings[100] = 48; },
            "part 0: ordering index entry 100 = 48 is not below 48" },
        { "part count past the file", "stone", [](SModelFile& f) { f.parts.resize(1); }, nullptr },
    };
    for (const auto& row : kRows) {
        SModelFile file = Kind(row.kind);
        row.mutate(file);
        Bytes bytes = EncodeModelFile(file);
        if (!row.reason)
            bytes[0] = 200; // the part count
        const ReadOutcome outcome = ReadBytes(bytes);
        ASSERT_TRUE(outcome.refused) << row.what;
        if (row.reason)
            EXPECT_EQ(outcome.reason.substr(0, outcome.reason.find(" at offset")), row.reason) << row.what;
        else
            EXPECT_EQ(outcome.reason, "part count 200 needs more bytes than the file has at offset 0");
    }
}

TEST(ModelFileReader, unknownChannelTypeWithoutDeltasIsSkippedAndLogged)
{
    for (uint32_t type : { 0u, 16u }) {
        SModelFile file = Kind("stone");
        SMorphChannelBlock channel;
        channel.type = type;
        file.parts[0].model->channels.push_back(channel);
        file.parts[0].model->channels.push_back(Kind("building").parts[0].model->channels[0]);
        file.parts[0].model->channels[1].blocks[0].indices.assign(24, 3);
        const ReadOutcome outcome = ReadBytes(EncodeModelFile(file));
        ASSERT_FALSE(outcome.refused) << outcome.reason;
        ASSERT_EQ(outcome.log.size(), 1u);
        EXPECT_EQ(outcome.log[0].rfind("CModel::Load ", 0), 0u);
        const SModelBlock& model = *outcome.file.parts[0].model;
        ASSERT_EQ(model.channels.size(), 2u);
        EXPECT_EQ(model.channels[0].blockCount, 0);
        EXPECT_EQ(model.channels[1].type, 3u);
        EXPECT_STREQ(model.channels[1].name, "DOOR");
    }
}

TEST(ModelFileReader, channelNamesAreUpperCased)
{
    SModelFile file = Kind("building");
    std::strcpy(file.parts[0].model->channels[0].name, "door\xe0"); // a, Cyrillic small a
    const ReadOutcome outcome = ReadBytes(EncodeModelFile(file));
    ASSERT_FALSE(outcome.refused);
    EXPECT_STREQ(outcome.file.parts[0].model->channels[0].name, "DOOR\xc0");
}

TEST(ModelFileReader, meshWithoutIndicesIsAPointList)
{
    SModelFile file = Kind("stone");
    file.parts[0].model->mesh.indices.clear();
    const ReadOutcome outcome = ReadBytes(EncodeModelFile(file));
    ASSERT_FALSE(outcome.refused) << outcome.reason;
    EXPECT_TRUE(outcome.file.parts[0].model->mesh.indices.empty());
    EXPECT_EQ(outcome.file.parts[0].model->mesh.vertexCount, 24u);
}

TEST(ModelFileReader, billboardsHaveNoDataBlock)
{
    const Bytes bytes = EncodeModelFile(Kind("tree"));
    const ReadOutcome outcome = ReadBytes(bytes);
    ASSERT_FALSE(outcome.refused);
    ASSERT_EQ(outcome.file.parts.size(), 3u);
    EXPECT_EQ(outcome.file.parts[1].record.type, 2u);
    EXPECT_FALSE(outcome.file.parts[1].model);
    // The shape's record follows the billboard's record directly.
    size_t body = bytes.size() - 228 - (144 + 12 + 24 * 32 + 36 * 2);
    EXPECT_EQ(std::memcmp(&bytes[body - 228], "\x02\0\0\0BILLBOARD", 13), 0);
}

// A particle block as the game saves it, with keyCount keys, key k having a = k; the
// description holds the keys too.
Bytes ParticleBlockBytes(uint32_t keyCount, uint32_t sizeChange = 0)
{
    SParticleBlock block;
    for (uint32_t k = 0; k < keyCount && k < 20; ++k)
        block.desc.keys[k].a = float(k);
    block.desc.maxParticles = 7;
    block.viewer.kind = 3;
    std::strcpy(block.viewer.texture, "TEX_FIRE");
    Bytes bytes(4);
    auto put = [&bytes](const void* p, size_t n) {
        bytes.insert(bytes.end(), static_cast<const uint8_t*>(p), static_cast<const uint8_t*>(p) + n);
    };
    put(&block.desc, sizeof block.desc);
    put(&keyCount, 4);
    for (uint32_t k = 0; k < keyCount; ++k) {
        SForceKey key {};
        key.a = float(k);
        put(&key, sizeof key);
    }
    put(&block.viewer, sizeof block.viewer);
    const uint32_t size = uint32_t(bytes.size() - 4) - sizeChange;
    std::memcpy(bytes.data(), &size, 4);
    bytes.resize(4 + size);
    return bytes;
}

TEST(ParticleBlock, keysPastTwentyAreSkippedByTheBlockSize)
{
    const Bytes bytes = ParticleBlockBytes(21);
    SParticleBlock block;
    std::string reason;
    ASSERT_TRUE(ParseParticleBlock(bytes.data() + 4, bytes.size() - 4, block, reason)) << reason;
    EXPECT_EQ(block.keyCount, 20u);
    EXPECT_EQ(block.desc.keys[19].a, 19.0f);
    EXPECT_EQ(block.viewer.kind, 3u);
    EXPECT_STREQ(block.viewer.texture, "TEX_FIRE");
    EXPECT_EQ(block.desc.maxParticles, 7u);
}

TEST(ParticleBlock, blocksSmallerThanTheirFieldsAreRefused)
{
    for (uint32_t keys : { 0u, 3u, 21u }) {
        const Bytes bytes = ParticleBlockBytes(keys, 1);
        SParticleBlock block;
        std::string reason;
        EXPECT_FALSE(ParseParticleBlock(bytes.data() + 4, bytes.size() - 4, block, reason)) << keys;
        EXPECT_FALSE(reason.empty());
    }
    // A huge key count cannot wrap the size arithmetic.
    Bytes bytes = ParticleBlockBytes(0);
    const uint32_t huge = 0xFFFFFFFFu;
    std::memcpy(bytes.data() + 4 + 880, &huge, 4);
    SParticleBlock block;
    std::string reason;
    EXPECT_FALSE(ParseParticleBlock(bytes.data() + 4, bytes.size() - 4, block, reason));
}

TEST(ParticleBlock, smallEmitterBlockRefusesTheModelFile)
{
    SModelFile file = Kind("missile");
    Bytes bytes = EncodeModelFile(file);
    // The emitter is the last part: shrink its size field and cut the file to match.
    const size_t block = bytes.size() - (particleblock::kFixedBytes + 32) - 4;
    const uint32_t size = 100;
    std::memcpy(&bytes[block], &size, 4);
    bytes.resize(block + 4 + size);
    const ReadOutcome outcome = ReadBytes(bytes);
    ASSERT_TRUE(outcome.refused);
    EXPECT_EQ(outcome.reason.rfind("part 3: particle block of 100 bytes", 0), 0u) << outcome.reason;
}

TEST(ParticleBlock, writerRoundTripsTheSaveForm)
{
    const Bytes bytes = ParticleBlockBytes(3);
    SParticleBlock block;
    std::string reason;
    ASSERT_TRUE(ParseParticleBlock(bytes.data() + 4, bytes.size() - 4, block, reason));
    Bytes again;
    AppendParticleBlock(block, again);
    EXPECT_EQ(again, bytes);
}

} // namespace
