// The model writer and its procedural kinds against the game's reader.
#include "tools/model/model_writer.h"

#include "tests/support/log_lines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

using namespace zoq::tools::model;

SModelFile Read(const Bytes& bytes, std::vector<std::string>* log = nullptr)
{
    return ReadModelFile(bytes.data(), bytes.size(), [log](std::string_view line) {
        if (log)
            log->emplace_back(line);
    });
}

class EveryKind : public ::testing::TestWithParam<std::string_view> { };

TEST_P(EveryKind, writesWhatTheReaderReadsBackByteForByte)
{
    SModelFile made;
    ASSERT_TRUE(MakeModel(GetParam(), "TEX_SAMPLECOLOR", made));
    const Bytes first = EncodeModelFile(made);
    std::vector<std::string> log;
    const SModelFile read = Read(first, &log);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(read.parts.size(), made.parts.size());
    EXPECT_EQ(EncodeModelFile(read), first);
    for (const SModelPartBlock& part : read.parts)
        EXPECT_EQ(part.record.groupMask, 0xFu) << part.record.name;
}

INSTANTIATE_TEST_SUITE_P(Kinds, EveryKind, ::testing::ValuesIn(ModelKinds()),
    [](const auto& info) { return std::string(info.param); });

TEST(ModelKinds, unknownKindIsRefused)
{
    SModelFile file;
    EXPECT_FALSE(MakeModel("boat", "TEX_SAMPLECOLOR", file));
}

TEST(ModelKinds, partTableOfEachKind)
{
    const struct {
        std::string_view kind;
        std::string parts; // type and name of each part
    } kRows[] = {
        { "glider", "0 BODY,1 FIRE,1 FIRE1,1 LIGHTGUN,1 LIGHTGUN1,1 HEAVYGUN,1 HEAVYGUN1,1 ROCKET,1 SHAPE" },
        { "building", "0 BODY,1 SHAPE,1 SHAPE2,1 INTO,1 INTO1,1 OPEN,1 OPEN1" },
        { "hall", "0 BODY,1 SHAPE,1 SHAPE2,1 INTO,1 INTO1,1 OPEN,1 OPEN1" },
        { "tree", "0 BODY,2 BILLBOARD,1 SHAPE" },
        { "stone", "0 BODY,1 SHAPE" },
        { "missile", "0 BODY,1 FIRE,1 FX,4 SMOKE" },
        { "thing", "0 BODY,1 FX,4 GLOW" },
        { "gun", "0 BODY,1 FX,1 FX1,1 FX2" },
        { "flash", "0 FLASH" },
        { "flame", "0 FLAME,0 FLAME1,0 FLAME2" },
    };
    for (const auto& row : kRows) {
        SModelFile file;
        ASSERT_TRUE(MakeModel(row.kind, "T", file));
        std::string parts;
        for (const SModelPartBlock& part : file.parts)
            parts += (parts.empty() ? "" : ",") + std::to_string(part.record.type) + " " + part.record.name;
        EXPECT_EQ(parts, row.parts) << row.kind;
    }
}

TEST(ModelKinds, specialBodiesCarryTheirSettings)
{
    SModelFile tree, flash, building;
    ASSERT_TRUE(MakeModel("tree", "T", tree));
    ASSERT_TRUE(MakeModel("flash", "T", flash));
    ASSERT_TRUE(MakeModel("building", "T", building));
    EXPECT_EQ(tree.parts[0].model->mesh.format, 0x116u);
    EXPECT_EQ(tree.parts[0].model->blendMode, 1u);
    EXPECT_EQ(tree.parts[0].model->shaderSlot, 6u);
    EXPECT_EQ(flash.parts[0].model->frameGrid, 4);
    EXPECT_EQ(flash.parts[0].model->shaderSlot, 38u);
    EXPECT_EQ(flash.parts[0].model->mesh.vertexCount, 4u);
    EXPECT_TRUE(building.parts[0].model->HasOrderings());
    EXPECT_EQ(building.parts[0].model->orderings.size(), 6 * building.parts[0].model->mesh.indices.size());
}

TEST(ModelKinds, markerIsThreeTrianglesAroundOneCorner)
{
    const float at[3] = { 1, 2, 3 };
    const SModelPartBlock marker = MarkerPart("FX", at);
    const SMeshBlock& mesh = marker.model->mesh;
    ASSERT_EQ(mesh.vertexCount, 9u);
    const auto* v = reinterpret_cast<const float*>(mesh.vertices.data());
    for (int i : { 0, 3, 6 }) {
        EXPECT_EQ(v[8 * i + 0], 1.0f);
        EXPECT_EQ(v[8 * i + 1], 2.0f);
        EXPECT_EQ(v[8 * i + 2], 3.0f);
    }
    EXPECT_EQ(mesh.indices, (std::vector<uint16_t> { 0, 1, 2, 3, 4, 5, 6, 7, 8 }));
}

TEST(ModelInfo, gliderListsPointsAndChannels)
{
    SModelFile file;
    ASSERT_TRUE(MakeModel("glider", "TEX_SAMPLECOLOR", file));
    const std::vector<std::string> lines
        = zoq::test::SplitLines(FormatModelInfo(Read(EncodeModelFile(file))));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "parts 9");
    EXPECT_EQ(lines[1], "part 0 type=0 name=BODY group=0x0000000f facing=0 textures=TEX_SAMPLECOLOR,-,-,-");
    EXPECT_EQ(lines[2], "  model fvf=0x112 vertices=48 triangles=24 slot=0 grid=0 blend=0 orderings=0");
    EXPECT_EQ(lines[3],
        "  material diffuse=0.8,0.8,0.8,1 ambient=0.5,0.5,0.5,1 specular=0.2,0.2,0.2,1 emissive=0,0,0,1 "
        "power=10");
    EXPECT_EQ(lines[4], "  channel 0 type=1 name=ROTATE deltas=24,24,24,24");
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                  [](const std::string& l) { return l.rfind("  channel ", 0) == 0; }),
        4);
    EXPECT_NE(
        std::find(lines.begin(), lines.end(), "  point 0 name=FIRE at=-0.5,-2.1,0 triangles=2 vertices=24"),
        lines.end());
    EXPECT_NE(std::find_if(lines.begin(), lines.end(),
                  [](const std::string& l) { return l.rfind("  point 1 name=FIRE1 ", 0) == 0; }),
        lines.end());
}

TEST(ModelInfo, emitterLineAndEmptyNames)
{
    SModelFile file;
    ASSERT_TRUE(MakeModel("missile", "SMOKE_TEX", file));
    const std::string text = FormatModelInfo(Read(EncodeModelFile(file)));
    EXPECT_NE(
        text.find("part 1 type=1 name=FIRE group=0x0000000f facing=0 textures=-,-,-,-\n"), std::string::npos);
    EXPECT_NE(text.find("part 3 type=4 name=SMOKE group=0x0000000f facing=0 textures=-,-,-,-\n"
                        "  emitter max=200 kind=1 texture=SMOKE_TEX keys=1 lifetime=1.5 rate=40\n"),
        std::string::npos);
}

TEST(HeavyModel, holdsChannelsOrderingsAndPieces)
{
    const uint32_t types[4] = { 1, 8, 10, 12 };
    const SModelFile file = MakeHeavyModel(10000, types, 10000);
    const SModelBlock& model = *file.parts[0].model;
    EXPECT_EQ(model.mesh.vertexCount, 10000u);
    ASSERT_EQ(model.channels.size(), 4u);
    EXPECT_EQ(model.channels[1].blockCount, 3);
    EXPECT_EQ(model.channels[1].blocks[2].deltas.size(), 10000u);
    EXPECT_EQ(model.pieces.size(), 8u);
    const Bytes bytes = EncodeModelFile(file);
    EXPECT_EQ(EncodeModelFile(Read(bytes)), bytes);
}

} // namespace
