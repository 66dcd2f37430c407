// TexShaderManager on the null backend: which variant each profile builds, what a failed slot
// means, the blocks it holds, the batch sequences of Apply, and the baseline every slot returns
// the device to.
#include "tests/render/shader_fixture.h"

#include "foundation/XRangeError.h"
#include "platform/gfx/device.h"
#include "render/ShaderSlotTable.h"

#include <map>
#include <stdexcept>

using namespace plat::gfx;
using namespace shader_test;

namespace {

bool IsBlock(uint32_t handle)
{
    return handle != 0 && handle != ShaderSlot::kNoBlock;
}

// Block calls of one kind the device refuses while Init builds the slot.
void FailWhileBuilding(
    null::NullDevice& device, const TexShaderManager& manager, int slot, StateBlockCall call)
{
    device.SetStateBlockFault([&manager, slot, call](StateBlockCall made, uint32_t) {
        return made == call && manager.BuildingSlot() == slot;
    });
}

uint32_t HeldBlocks(TexShaderManager& manager)
{
    uint32_t blocks = 0;
    for (int i = 0; i < TexShaderManager::kSlotCount; ++i) {
        const ShaderSlot& slot = manager.GetSlot(i);
        for (int p = 0; p < slot.passCount; ++p)
            blocks += IsBlock(slot.passBlocks[p]) ? 1 : 0;
        blocks += IsBlock(slot.restoreBlock) ? 1 : 0;
        blocks += IsBlock(slot.repeatBlock) ? 1 : 0;
    }
    return blocks;
}

} // namespace

// ---- Variant choice ----

struct VariantCase {
    Profile profile;
    bool probe;
};

class ShaderVariantTest : public ShaderTest, public ::testing::WithParamInterface<VariantCase> { };

TEST_P(ShaderVariantTest, initBuildsTheFirstVariantTheDeviceTakes)
{
    // Variant letters by slot for: full probe T, full probe F, minimal probe T, minimal probe F
    // ('-' unbuilt).
    struct Row {
        int slot;
        const char* letters;
    };
    static constexpr Row kRows[] = {
        { 1, "ACBC" },
        { 4, "AACC" },
        { 5, "AA--" },
        { 16, "AABB" },
        { 21, "ABAB" },
        { 23, "AADD" },
        { 26, "AABB" },
        { 32, "AABB" },
        { 42, "AABB" },
        { 44, "AABB" },
        { 36, "AACC" },
        { 35, "AAAA" },
        { 43, "AAAA" },
    };
    const VariantCase c = GetParam();
    CreateGraphic(c.profile);
    TexShaderManager& manager = Manager(c.probe);
    ASSERT_TRUE(manager.Init(true));
    EXPECT_EQ(manager.SpecularProbe(), c.probe);
    EXPECT_FALSE(LogExists()) << LogText();

    const int column = (c.profile == Profile::Full ? 0 : 2) + (c.probe ? 0 : 1);
    for (const Row& row : kRows) {
        char expected = row.letters[column];
        if (c.profile == Profile::MinimalPs && row.slot == 36)
            expected = 'B';
        const char built = manager.BuiltVariant(row.slot);
        EXPECT_EQ(built ? built : '-', expected) << "slot " << row.slot;
        EXPECT_EQ(manager.GetSlot(row.slot).passCount > 0, expected != '-') << "slot " << row.slot;
    }
    // Every slot without a choice is built as A.
    for (int slot = 0; slot < TexShaderManager::kSlotCount; ++slot) {
        bool listed = false;
        for (const Row& row : kRows)
            listed = listed || row.slot == slot;
        if (!listed) {
            EXPECT_EQ(manager.BuiltVariant(slot), 'A') << "slot " << slot;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Profiles, ShaderVariantTest,
    ::testing::Values(VariantCase { Profile::Full, true }, VariantCase { Profile::Full, false },
        VariantCase { Profile::Minimal, true }, VariantCase { Profile::Minimal, false },
        VariantCase { Profile::MinimalPs, true }, VariantCase { Profile::MinimalPs, false }),
    [](const auto& info) {
        return std::string(ProfileName(info.param.profile)) + (info.param.probe ? "ProbeTrue" : "ProbeFalse");
    });

TEST_F(ShaderTest, slot27RecordsStage2OnlyOnWideDevicesAndSlot46BorderOnlyWithBorder)
{
    for (Profile profile : { Profile::Full, Profile::Minimal }) {
        SCOPED_TRACE(ProfileName(profile));
        CreateGraphic(profile);
        TexShaderManager& manager = Manager();
        ASSERT_TRUE(manager.Init(true));
        const bool full = profile == Profile::Full;

        Dev().SetTextureStageState(2, StageState::ColorOp, StateValue(TextureOp::Add));
        Dev().ApplyStateBlock(manager.GetSlot(27).passBlocks[0]);
        EXPECT_EQ(Stage(2, StageState::ColorOp), StateValue(full ? TextureOp::SelectArg1 : TextureOp::Add));
        Dev().ApplyStateBlock(manager.GetSlot(27).restoreBlock);
        EXPECT_EQ(Stage(2, StageState::ColorOp), StateValue(full ? TextureOp::Disable : TextureOp::Add));

        Dev().ApplyStateBlock(manager.GetSlot(46).passBlocks[0]);
        const auto expected = StateValue(full ? TextureAddress::Border : TextureAddress::Clamp);
        for (uint32_t stage : { 0u, 1u }) {
            EXPECT_EQ(Stage(stage, StageState::AddressU), expected);
            EXPECT_EQ(Stage(stage, StageState::AddressV), expected);
        }
        m_manager.reset();
        g_Graphic.Release();
    }
}

// ---- Failure policy ----

TEST_F(ShaderTest, aFailedSlotStopsLogsOrIsIgnoredAsItsStepSays)
{
    struct Case {
        int slot;
        const char* message; // null: no log line
        bool result;
        int laterSlot; // a slot built after it: unbuilt when Init stopped
    };
    const Case cases[] = {
        { 0, nullptr, false, 1 },
        { 6, "TexShaderManager::Init SHADER_ALPHA_NORMAL_NOCULL создать не получилось", false, 10 },
        { 2, "TexShaderManager::Init Шейдер SHADER_ALPHA_SI создать не получилось", false, 3 },
        { 3, "TexShaderManager::Init Шейдер SHADER_ALPHA_SI_ADD создать не получилось", false, 33 },
        { 16, "TexShaderManager::Init SHADER_SKYLAYER создать не получилось", false, 17 },
        { 35, "TexShaderManager::Init SHADER_BUMP_DIFFUSE not supported", true, 36 },
        { 36, "TexShaderManager::Init SHADER_BUMPMAP_SPEC not supported", true, 43 },
        { 44, "TexShaderManager::Init SHADER_MINIMAP fails", false, 45 },
        { 33, nullptr, true, 4 },
        { 5, nullptr, true, 6 },
    };
    CreateGraphic(Profile::Full);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.slot);
        std::filesystem::remove(m_dir / "error.log");
        TexShaderManager& manager = Manager();
        FailWhileBuilding(Null(), manager, c.slot, StateBlockCall::End);
        EXPECT_EQ(manager.Init(true), c.result);
        const std::vector<std::string> messages = LogMessages();
        if (c.message) {
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_EQ(messages[0], c.message);
        } else {
            EXPECT_TRUE(messages.empty());
        }
        const ShaderSlot& failed = manager.GetSlot(c.slot);
        EXPECT_EQ(failed.passCount, 0);
        EXPECT_EQ(manager.BuiltVariant(c.slot), 0);
        EXPECT_EQ(manager.GetSlot(c.laterSlot).passCount > 0, c.result);
        EXPECT_EQ(Dev().Counts().stateBlocks, HeldBlocks(manager));
    }
}

TEST_F(ShaderTest, aVariantThatFailsAfterRecordingGivesBackItsBlocksAndTheNextOneIsTried)
{
    // Minimal: slot 4's A and B fail before recording; C records pass 1 and its apply fails.
    CreateGraphic(Profile::Minimal);
    TexShaderManager& manager = Manager();
    FailWhileBuilding(Null(), manager, 4, StateBlockCall::Apply);
    EXPECT_FALSE(manager.Init(true));
    const ShaderSlot& slot = manager.GetSlot(4);
    EXPECT_EQ(slot.passCount, 0);
    EXPECT_EQ(slot.restoreBlock, ShaderSlot::kNoBlock);
    EXPECT_EQ(slot.repeatBlock, ShaderSlot::kNoBlock);
    EXPECT_EQ(slot.textures[0][0], -1);
    EXPECT_EQ(slot.vertexShader, nullptr);
    EXPECT_EQ(Dev().Counts().stateBlocks, HeldBlocks(manager));
    EXPECT_FALSE(Dev().IsRecording());

    // Full: slot 23 A fails on its restore's End only when the variant does not count validation
    // as success; here A succeeds with no restore block, B is not tried.
    g_Graphic.Release();
    CreateGraphic(Profile::Full);
    TexShaderManager& water = Manager();
    FailWhileBuilding(Null(), water, 23, StateBlockCall::End);
    EXPECT_FALSE(water.Init(true)); // every End of slot 23 fails: no variant survives
    EXPECT_EQ(water.GetSlot(23).passCount, 0);
    EXPECT_EQ(water.VertexShaderHandle(), 0u);
    EXPECT_EQ(Dev().Counts().vertexShaders, 0u);
    EXPECT_EQ(Dev().Counts().stateBlocks, HeldBlocks(water));
}

// ---- Blocks and life cycle ----

TEST_F(ShaderTest, purgeGivesBackEveryBlockAndShaderAndInitAfterPurgeDoesNotProbe)
{
    CreateGraphic(Profile::Full);
    TexShaderManager& manager = Manager(std::nullopt);
    Null().ClearRecords();
    ASSERT_TRUE(manager.Init(true));
    // The probe drew its quad; on the null backend the target stays black, so no specular.
    EXPECT_EQ(Null().Draws().size(), 1u);
    EXPECT_FALSE(manager.SpecularProbe());
    EXPECT_EQ(manager.BuiltVariant(1), 'C');
    EXPECT_EQ(Dev().Counts().stateBlocks, HeldBlocks(manager));
    EXPECT_EQ(Dev().Counts().pixelShaders, 3u);
    EXPECT_EQ(Dev().Counts().vertexShaders, 1u);
    EXPECT_NE(manager.VertexShaderHandle(), 0u);
    ASSERT_NE(manager.GetSlot(23).vertexShader, nullptr);
    EXPECT_EQ(*manager.GetSlot(23).vertexShader, manager.VertexShaderHandle());
    // The probe put the device back.
    Surface* target = nullptr;
    Dev().GetRenderTarget(&target);
    EXPECT_EQ(target, g_Graphic.RenderTarget());
    target->Release();
    Viewport viewport;
    Dev().GetViewport(viewport);
    EXPECT_EQ(viewport.width, 640u);
    EXPECT_EQ(viewport.height, 480u);
    bool lightOn = true;
    Dev().GetLightEnable(0, lightOn);
    EXPECT_FALSE(lightOn);

    manager.Purge();
    EXPECT_EQ(Dev().Counts().stateBlocks, 0u);
    EXPECT_EQ(Dev().Counts().pixelShaders, 0u);
    EXPECT_EQ(Dev().Counts().vertexShaders, 0u);
    EXPECT_EQ(manager.GetSlot(1).passCount, 0);
    EXPECT_EQ(manager.PixelShaderHandle(0), 0u);

    Null().ClearRecords();
    ASSERT_TRUE(manager.Init(false));
    EXPECT_TRUE(Null().Draws().empty());
    EXPECT_EQ(Dev().Counts().stateBlocks, HeldBlocks(manager));
    EXPECT_EQ(Dev().Counts().vertexShaders, 1u);
    EXPECT_FALSE(LogExists());
}

TEST_F(ShaderTest, getSlotIsRangeChecked)
{
    CreateGraphic();
    TexShaderManager& manager = Manager();
    EXPECT_THROW(manager.GetSlot(50), XRangeError);
    EXPECT_THROW(manager.GetSlot(-1), XRangeError);
    EXPECT_NO_THROW(manager.GetSlot(49));
}

// ---- Apply ----

class ShaderApplyTest : public ShaderTest {
protected:
    void SetUp() override
    {
        ShaderTest::SetUp();
        CreateGraphic(Profile::Full);
        ASSERT_TRUE(Manager().Init(true));
        Null().ClearRecords(); // the applied-block log starts here
        m_quad = MakeQuad();
        m_texture = MakeTexture();
        m_other = MakeTexture();
    }
    void TearDown() override
    {
        m_quad.reset();
        m_texture.reset();
        m_other.reset();
        ShaderTest::TearDown();
    }
    const ShaderSlot& Slot(int i) { return m_manager->GetSlot(i); }
    uint32_t TextureId(uint32_t stage) { return Null().Draws().back().textures[stage]; }
    // The blocks applied since the records were last cleared.
    const std::vector<uint32_t>& Applied() { return Null().AppliedStateBlocks(); }
    std::unique_ptr<Mesh> m_quad;
    std::unique_ptr<CTexture> m_texture;
    std::unique_ptr<CTexture> m_other;
};

TEST_F(ShaderApplyTest, batchSequencesApplyOnlyTheBlocksTheyNeed)
{
    TexShaderManager& m = *m_manager;
    struct Step {
        const char* what;
        std::vector<uint32_t> blocks;
        int current;
    };

    // A, B in batch, then ApplyEx.
    m.ResetCurrent();
    m.Apply(22, m_quad.get(), m_texture.get());
    m.Apply(6, m_quad.get(), m_texture.get());
    m.ApplyEx();
    const Step batch { "22, 6, ApplyEx",
        { Slot(22).passBlocks[0], Slot(22).restoreBlock, Slot(6).passBlocks[0], Slot(6).restoreBlock }, 6 };

    const auto check = [&](const Step& step) {
        EXPECT_EQ(Applied(), step.blocks) << step.what;
        EXPECT_EQ(m.CurrentSlot(), step.current) << step.what;
        Null().ClearRecords();
    };
    check(batch);
    EXPECT_FALSE(m.IsBatch());

    // Slot 35 twice in batch: the repeat block replaces pass 1 the second time.
    m.ResetCurrent();
    m.Apply(35, m_quad.get(), m_texture.get());
    m.Apply(35, m_quad.get(), m_texture.get());
    check({ "35 twice",
        { Slot(35).passBlocks[0], Slot(35).passBlocks[1], Slot(35).repeatBlock, Slot(35).passBlocks[1] },
        35 });
    m.ApplyEx();
    Null().ClearRecords();

    // Outside batch mode: every pass, then the restore.
    m.Apply(1, m_quad.get(), m_texture.get(), m_other.get());
    check({ "1 outside batch", { Slot(1).passBlocks[0], Slot(1).restoreBlock }, 1 });

    // Nothing to draw: no call at all, the current slot stays.
    Mesh empty;
    Null().ClearRecords();
    m.Apply(22, &empty, m_texture.get());
    m.Apply(22, nullptr, m_texture.get());
    check({ "no vertices", {}, 1 });
    EXPECT_TRUE(Null().Draws().empty());
}

TEST_F(ShaderApplyTest, theSameSlotTwiceInBatchBindsOnlyChangedTextures)
{
    TexShaderManager& m = *m_manager;
    m.ResetCurrent();
    m.Apply(7, m_quad.get(), m_texture.get());
    ASSERT_EQ(TextureId(0), m_texture->GetTexture()->Id());
    Null().ClearRecords();

    // Someone binds behind the cache's back: the same texture is not bound again.
    Dev().SetTexture(0, m_other->GetTexture());
    m.Apply(7, m_quad.get(), m_texture.get());
    EXPECT_TRUE(Applied().empty());
    EXPECT_EQ(TextureId(0), m_other->GetTexture()->Id());
    m.Apply(7, m_quad.get(), m_other.get());
    EXPECT_EQ(TextureId(0), m_other->GetTexture()->Id());
    EXPECT_EQ(StageTextureCache[0], m_other.get());
    EXPECT_TRUE(Applied().empty());

    // A null texture keeps the stage's binding.
    m.Apply(7, m_quad.get(), nullptr);
    EXPECT_EQ(TextureId(0), m_other->GetTexture()->Id());
    m.ApplyEx();
}

TEST_F(ShaderApplyTest, texturesFollowTheSlotsLists)
{
    TexShaderManager& m = *m_manager;
    auto third = MakeTexture();
    // Slot 44 A: stage 0 <- t0, stage 1 <- t2, stage 2 <- t1.
    m.Apply(44, m_quad.get(), m_texture.get(), m_other.get(), third.get());
    EXPECT_EQ(TextureId(0), m_texture->GetTexture()->Id());
    EXPECT_EQ(TextureId(1), third->GetTexture()->Id());
    EXPECT_EQ(TextureId(2), m_other->GetTexture()->Id());
    // Slot 35: two passes, one draw each.
    Null().ClearRecords();
    m.Apply(35, m_quad.get(), m_other.get());
    EXPECT_EQ(Null().Draws().size(), 2u);
    EXPECT_EQ(TextureId(0), m_other->GetTexture()->Id());
    EXPECT_EQ(TextureId(1), m_other->GetTexture()->Id());
}

TEST_F(ShaderApplyTest, badSlotsAndFailingBlocksThrowOutsideBatchOnly)
{
    TexShaderManager& m = *m_manager;
    EXPECT_THROW(m.Apply(50, m_quad.get(), m_texture.get()), XRangeError);
    EXPECT_THROW(m.Apply(-1, m_quad.get(), m_texture.get()), XRangeError);

    Null().SetStateBlockFault([](StateBlockCall call, uint32_t) { return call == StateBlockCall::Apply; });
    try {
        m.Apply(22, m_quad.get(), m_texture.get());
        ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "ApplyStateBlock");
    }
    m.ResetCurrent();
    EXPECT_NO_THROW(m.Apply(22, m_quad.get(), m_texture.get()));
    EXPECT_NO_THROW(m.Apply(6, m_quad.get(), m_texture.get()));
    m.ApplyEx();
    Null().SetStateBlockFault({});
}

TEST_F(ShaderApplyTest, anUnbuiltSlotDrawsNothing)
{
    TexShaderManager& m = *m_manager;
    m.Purge();
    Null().ClearRecords();
    m.Apply(22, m_quad.get(), m_texture.get());
    m.ResetCurrent();
    m.Apply(22, m_quad.get(), m_texture.get());
    m.Apply(6, m_quad.get(), m_texture.get());
    m.ApplyEx();
    EXPECT_TRUE(Null().Draws().empty());
    EXPECT_TRUE(Applied().empty());
}

TEST_F(ShaderApplyTest, theWaterSlotDrawsThroughItsVertexShader)
{
    TexShaderManager& m = *m_manager;
    ASSERT_EQ(m.BuiltVariant(23), 'A');
    // The water vertex is 48 bytes (v0, v1, v3 three floats, v5 a colour, v7 two floats), as
    // long as position, normal, diffuse, specular and two coordinate sets.
    Mesh water(Mesh::kStaticManaged, 0x2D2, 4, true, 6);
    ASSERT_EQ(water.stride, 48u);
    Null().ClearRecords();
    m.Apply(23, &water, m_texture.get(), m_other.get(), m_texture.get());
    ASSERT_FALSE(Null().Draws().empty());
    EXPECT_EQ(Null().Draws().back().vertexShader, m.VertexShaderHandle());
    // The next fixed-function draw of the same mesh sets its format again.
    m.Apply(22, &water, m_texture.get());
    EXPECT_EQ(Null().Draws().back().vertexShader, water.format);
}

// ---- Live states ----

TEST_F(ShaderTest, textureFactorGoesToTheStateAndToC0WithPixelShaders)
{
    for (Profile profile : { Profile::Full, Profile::Minimal }) {
        SCOPED_TRACE(ProfileName(profile));
        CreateGraphic(profile);
        TexShaderManager& manager = Manager();
        const Vector4 marker { 9, 9, 9, 9 };
        Dev().SetPixelShaderConstant(0, &marker, 1);

        manager.SetFactorAlpha(0.5f, 1);
        EXPECT_EQ(Render(RenderState::TextureFactor), 0x7FFFFFFFu);
        Vector4 c0;
        Dev().GetPixelShaderConstant(0, &c0, 1);
        EXPECT_EQ(c0.x, 9.0f);

        manager.SetFactorAlpha(0.25f);
        EXPECT_EQ(Render(RenderState::TextureFactor), 0x3FFFFFFFu);
        Dev().GetPixelShaderConstant(0, &c0, 1);
        const bool ps = profile == Profile::Full;
        EXPECT_EQ(c0.x, ps ? 0.25f : 9.0f);
        EXPECT_EQ(c0.y, ps ? 0.0f : 9.0f);
        EXPECT_EQ(c0.w, ps ? 0.25f : 9.0f);

        manager.SetFactorColor(0x80FF3300u, 2);
        EXPECT_EQ(Render(RenderState::TextureFactor), 0x3FFFFFFFu);
        manager.SetFactorColor(0x80FF3300u);
        EXPECT_EQ(Render(RenderState::TextureFactor), 0x80FF3300u);
        Dev().GetPixelShaderConstant(0, &c0, 1);
        if (ps) {
            EXPECT_FLOAT_EQ(c0.x, 128.0f / 255.0f);
            EXPECT_FLOAT_EQ(c0.y, 1.0f);
            EXPECT_FLOAT_EQ(c0.z, 51.0f / 255.0f);
            EXPECT_FLOAT_EQ(c0.w, 0.0f);
        }

        // Alpha outside 0..1 saturates instead of wrapping.
        manager.SetFactorAlpha(2.0f, 1);
        EXPECT_EQ(Render(RenderState::TextureFactor), 0xFFFFFFFFu);
        manager.SetFactorAlpha(-1.0f, 1);
        EXPECT_EQ(Render(RenderState::TextureFactor), 0x00FFFFFFu);

        manager.SetStageClamp(true, 1);
        const auto clamp = StateValue(ps ? TextureAddress::Border : TextureAddress::Clamp);
        EXPECT_EQ(Stage(1, StageState::AddressU), clamp);
        EXPECT_EQ(Stage(1, StageState::AddressV), clamp);
        manager.IsShaderValid(false, 1);
        EXPECT_EQ(Stage(1, StageState::AddressU), StateValue(TextureAddress::Wrap));
        m_manager.reset();
        g_Graphic.Release();
    }
}

TEST_F(ShaderTest, waterMatricesGoToConstantsTransposed)
{
    CreateGraphic();
    Matrix a;
    Matrix b;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            a.m[r][c] = float(r * 4 + c);
            b.m[r][c] = float(100 + r * 4 + c);
        }
    const Vector4 marker { -1, -1, -1, -1 };
    Dev().SetVertexShaderConstant(7, &marker, 1);
    SetVertexShaderMatrices(&a, &b);
    Vector4 constants[8];
    Dev().GetVertexShaderConstant(0, constants, 8);
    // c3 = column 0 of a, c6 = column 3; c0-c2 = columns 0-2 of b; c7 untouched.
    EXPECT_EQ(constants[3].x, 0.0f);
    EXPECT_EQ(constants[3].y, 4.0f);
    EXPECT_EQ(constants[6].w, 15.0f);
    EXPECT_EQ(constants[0].y, 104.0f);
    EXPECT_EQ(constants[2].w, 114.0f);
    EXPECT_EQ(constants[7].x, -1.0f);
}

TEST_F(ShaderTest, probePixelIsJudgedStrictlyInsideItsWindow)
{
    struct Case {
        Format format;
        uint32_t blue;
        bool probe;
    };
    const Case cases[] = {
        { Format::X8R8G8B8, 64, false },
        { Format::X8R8G8B8, 65, true },
        { Format::X8R8G8B8, 95, true },
        { Format::X8R8G8B8, 96, false },
        { Format::R5G6B5, 5, false },
        { Format::R5G6B5, 6, true },
        { Format::R5G6B5, 17, true },
        { Format::R5G6B5, 18, false },
    };
    for (const Case& c : cases) {
        // Red and green full, so only the blue bits decide.
        uint8_t pixel[4];
        if (c.format == Format::X8R8G8B8) {
            const uint32_t value = 0xFFFFFF00u | c.blue;
            std::memcpy(pixel, &value, 4);
        } else {
            const auto value = uint16_t(0xFFE0u | c.blue);
            std::memcpy(pixel, &value, 2);
        }
        EXPECT_EQ(TexShaderManager::JudgeProbePixel(c.format, pixel), c.probe) << c.blue;
    }
    EXPECT_FALSE(LogExists());
    const uint8_t black[4] = {};
    EXPECT_TRUE(TexShaderManager::JudgeProbePixel(Format::A8R8G8B8, black));
    ASSERT_EQ(LogMessages().size(), 1u);
    EXPECT_EQ(LogMessages()[0], "TexShaderManager::GetCaps Unknown target render format");
}

// ---- The baseline every slot returns to ----

namespace {

struct Checked {
    std::array<uint32_t, kRenderStateCount> render {};
    uint32_t stage[4][5] = {}; // colour op, RESULTARG, TEXCOORDINDEX, TEXTURETRANSFORMFLAGS, ADDRESSU/V
    uint32_t addressV[4] = {};
};

constexpr StageState kStageChecks[5] = { StageState::ColorOp, StageState::ResultArg,
    StageState::TexCoordIndex, StageState::TextureTransformFlags, StageState::AddressU };

Checked Snapshot(Device& device)
{
    Checked out;
    for (size_t i = 0; i < kRenderStateCount; ++i)
        device.GetRenderState(RenderState(i), out.render[i]);
    for (uint32_t s = 0; s < 4; ++s) {
        for (int k = 0; k < 5; ++k)
            device.GetTextureStageState(s, kStageChecks[k], out.stage[s][k]);
        device.GetTextureStageState(s, StageState::AddressV, out.addressV[s]);
    }
    return out;
}

} // namespace

class ShaderBaselineTest : public ShaderTest, public ::testing::WithParamInterface<VariantCase> { };

TEST_P(ShaderBaselineTest, everySlotReturnsTheDeviceToTheBaseline)
{
    const VariantCase c = GetParam();
    CreateGraphic(c.profile);
    TexShaderManager& manager = Manager(c.probe);
    ASSERT_TRUE(manager.Init(true));

    // Differences the table keeps on purpose, by slot: render state or stage TEXCOORDINDEX.
    struct Pinned {
        int slot;
        int stage; // -1: render state
        uint32_t state;
        uint32_t value;
    };
    std::vector<Pinned> pinned = {
        { 8, -1, uint32_t(RenderState::NormalizeNormals), 1 },
        { 31, -1, uint32_t(RenderState::NormalizeNormals), 1 },
        { 31, -1, uint32_t(RenderState::SpecularEnable), 0 },
        { 34, -1, uint32_t(RenderState::SpecularEnable), 0 },
        { 37, -1, uint32_t(RenderState::SpecularEnable), 0 },
        { 43, -1, uint32_t(RenderState::SpecularEnable), 0 },
        { 47, -1, uint32_t(RenderState::AlphaTestEnable), 1 },
    };
    if (manager.BuiltVariant(23) == 'A') {
        pinned.push_back({ 23, 1, 2, 1 });
        pinned.push_back({ 23, 2, 2, 2 });
    }

    for (int slot = 0; slot < TexShaderManager::kSlotCount; ++slot) {
        const ShaderSlot& record = manager.GetSlot(slot);
        if (record.passCount == 0)
            continue;
        // The baseline: SetDefaultStages over the Direct3D defaults, lit, depth-tested, specular.
        for (size_t i = 0; i < kRenderStateCount; ++i)
            Dev().SetRenderState(RenderState(i), DefaultRenderState(RenderState(i), true));
        for (uint32_t s = 0; s < 4; ++s)
            for (size_t k = 0; k < kStageStateCount; ++k)
                Dev().SetTextureStageState(s, StageState(k), DefaultStageState(s, StageState(k)));
        manager.SetDefaultStages();
        Dev().SetRenderState(RenderState::Lighting, 1);
        Dev().SetRenderState(RenderState::ZEnable, 1);
        Dev().SetRenderState(RenderState::SpecularEnable, 1);
        Checked expected = Snapshot(Dev());
        for (const Pinned& p : pinned) {
            if (p.slot != slot)
                continue;
            if (p.stage < 0)
                expected.render[p.state] = p.value;
            else
                expected.stage[p.stage][p.state] = p.value;
        }

        for (int p = 0; p < record.passCount; ++p) {
            ASSERT_EQ(Dev().ApplyStateBlock(record.passBlocks[p]), Result::Ok);
        }
        if (IsBlock(record.restoreBlock)) {
            ASSERT_EQ(Dev().ApplyStateBlock(record.restoreBlock), Result::Ok);
        }
        const Checked after = Snapshot(Dev());

        for (size_t i = 0; i < kRenderStateCount; ++i) {
            const auto state = RenderState(i);
            if (state == RenderState::FogEnable || state == RenderState::TextureFactor)
                continue;
            EXPECT_EQ(after.render[i], expected.render[i])
                << "slot " << slot << " " << manager.BuiltVariant(slot) << " " << RenderStateRow(state).name;
        }
        for (uint32_t s = 0; s < 4; ++s) {
            for (int k = s == 0 ? 1 : 0; k < 5; ++k) {
                EXPECT_EQ(after.stage[s][k], expected.stage[s][k])
                    << "slot " << slot << " " << manager.BuiltVariant(slot) << " stage " << s << " "
                    << StageStateRow(kStageChecks[k]).name;
            }
            EXPECT_EQ(after.addressV[s], expected.addressV[s])
                << "slot " << slot << " stage " << s << " ADDRESSV";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Profiles, ShaderBaselineTest,
    ::testing::Values(VariantCase { Profile::Full, true }, VariantCase { Profile::Full, false },
        VariantCase { Profile::Minimal, true }, VariantCase { Profile::Minimal, false },
        VariantCase { Profile::MinimalPs, true }),
    [](const auto& info) {
        return std::string(ProfileName(info.param.profile)) + (info.param.probe ? "ProbeTrue" : "ProbeFalse");
    });
