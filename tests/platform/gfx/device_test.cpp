// Device state: defaults, state blocks, validation under both profiles, loss and reset.
#include "tests/platform/gfx/gfx_fixture.h"

#include "platform/gfx/fvf.h"
#include "platform/gfx/lighting.h"
#include "tests/support/files.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace plat::gfx::test {
namespace {

uint32_t RS(Device& d, RenderState s)
{
    uint32_t v = 0xDEADBEEF;
    EXPECT_EQ(d.GetRenderState(s, v), Result::Ok);
    return v;
}

uint32_t TSS(Device& d, uint32_t stage, StageState s)
{
    uint32_t v = 0xDEADBEEF;
    EXPECT_EQ(d.GetTextureStageState(stage, s, v), Result::Ok);
    return v;
}

// The defaults the game relies on without setting them.
struct DefaultRow {
    RenderState state;
    uint32_t value;
};
const DefaultRow kReliedOn[] = {
    { RenderState::ZFunc, StateValue(Compare::LessEqual) },
    { RenderState::LocalViewer, 1 },
    { RenderState::ColorVertex, 1 },
    { RenderState::DiffuseMaterialSource, StateValue(MaterialSource::Color1) },
    { RenderState::SpecularMaterialSource, StateValue(MaterialSource::Color2) },
    { RenderState::AmbientMaterialSource, StateValue(MaterialSource::Material) },
    { RenderState::EmissiveMaterialSource, StateValue(MaterialSource::Material) },
    { RenderState::ZEnable, 1 }, // an automatic depth buffer exists
    { RenderState::ZWriteEnable, 1 },
    { RenderState::Lighting, 1 },
    { RenderState::CullMode, StateValue(Cull::Ccw) },
    { RenderState::SrcBlend, StateValue(Blend::One) },
    { RenderState::DestBlend, StateValue(Blend::Zero) },
    { RenderState::AlphaFunc, StateValue(Compare::Always) },
    { RenderState::TextureFactor, 0xFFFFFFFF },
    { RenderState::Clipping, 1 },
    { RenderState::FogEnd, FloatBits(1.0f) },
    { RenderState::FogDensity, FloatBits(1.0f) },
    { RenderState::PointSizeMax, FloatBits(64.0f) },
    { RenderState::SpecularEnable, 0 },
};

void ExpectDefaults(Device& device)
{
    for (const DefaultRow& row : kReliedOn)
        EXPECT_EQ(RS(device, row.state), row.value) << RenderStateRow(row.state).name;
    for (size_t i = 0; i < kRenderStateCount; ++i)
        EXPECT_EQ(RS(device, RenderState(i)), DefaultRenderState(RenderState(i), true))
            << RenderStateRow(RenderState(i)).name;
    for (uint32_t stage = 0; stage < kStageCount; ++stage) {
        EXPECT_EQ(TSS(device, stage, StageState::TexCoordIndex), stage);
        EXPECT_EQ(TSS(device, stage, StageState::ColorOp),
            StateValue(stage == 0 ? TextureOp::Modulate : TextureOp::Disable));
        EXPECT_EQ(TSS(device, stage, StageState::AlphaOp),
            StateValue(stage == 0 ? TextureOp::SelectArg1 : TextureOp::Disable));
        EXPECT_EQ(TSS(device, stage, StageState::ColorArg1), Arg(TextureArg::Texture));
        EXPECT_EQ(TSS(device, stage, StageState::ColorArg2), Arg(TextureArg::Current));
        EXPECT_EQ(TSS(device, stage, StageState::AddressU), StateValue(TextureAddress::Wrap));
        EXPECT_EQ(TSS(device, stage, StageState::ResultArg), Arg(TextureArg::Current));
        EXPECT_EQ(
            TSS(device, stage, StageState::TextureTransformFlags), StateValue(TextureTransform::Disable));
    }
    Matrix m;
    for (size_t i = 0; i < kTransformCount; ++i) {
        ASSERT_EQ(device.GetTransform(Transform(i), m), Result::Ok);
        EXPECT_EQ(m, Matrix::Identity());
    }
    Viewport vp;
    device.GetViewport(vp);
    EXPECT_EQ(vp.width, 640u);
    EXPECT_EQ(vp.height, 480u);
    uint32_t shader = 1;
    device.GetVertexShader(shader);
    EXPECT_EQ(shader, 0u);
}

TEST_F(GfxTest, createDeviceAndResetStartFromTheDirect3DDefaults)
{
    CreateWindowed();
    EXPECT_EQ(m_params.backBufferWidth, 640u); // a windowed 0x0 back buffer takes the client size
    EXPECT_EQ(m_params.backBufferHeight, 480u);
    ExpectDefaults(*m_device);

    m_device->SetRenderState(RenderState::ZFunc, StateValue(Compare::Always));
    m_device->SetTextureStageState(3, StageState::TexCoordIndex, 0);
    m_device->SetTransform(Transform::View, Matrix {});
    Light light;
    light.direction = { 1, 0, 0 };
    ASSERT_EQ(m_device->SetLight(0, light), Result::Ok);
    m_device->LightEnable(0, true);
    PresentParameters params = Windowed();
    ASSERT_EQ(m_device->Reset(params), Result::Ok);
    ExpectDefaults(*m_device);
    Light out;
    EXPECT_EQ(m_device->GetLight(0, out), Result::InvalidCall);
}

TEST_F(GfxTest, zEnableDefaultsOffWithoutAnAutomaticDepthBuffer)
{
    PresentParameters params = Windowed();
    params.enableAutoDepthStencil = false;
    ASSERT_EQ(Create(params), Result::Ok);
    EXPECT_EQ(RS(*m_device, RenderState::ZEnable), 0u);
    Held<Surface> depth;
    EXPECT_EQ(m_device->GetDepthStencilSurface(&depth), Result::NotFound);
}

TEST_F(GfxTest, setStatesRefuseValuesOutsideTheirRange)
{
    CreateWindowed();
    struct Row {
        std::function<Result(Device&)> call;
    };
    const Row rows[] = {
        { [](Device& d) { return d.SetRenderState(RenderState::ZFunc, 8); } },
        { [](Device& d) { return d.SetRenderState(RenderState::SrcBlend, 10); } },
        { [](Device& d) { return d.SetRenderState(RenderState::ZEnable, 2); } },
        { [](Device& d) {
            return d.SetRenderState(
                RenderState::FogStart, FloatBits(std::numeric_limits<float>::quiet_NaN()));
        } },
        { [](Device& d) { return d.SetRenderState(RenderState::Count, 0); } },
        { [](Device& d) { return d.SetTextureStageState(8, StageState::ColorOp, 0); } },
        { [](Device& d) { return d.SetTextureStageState(0, StageState::ColorOp, 99); } },
        { [](Device& d) { return d.SetTextureStageState(0, StageState::ColorArg1, 6); } },
        { [](Device& d) { return d.SetTextureStageState(0, StageState::ColorArg1, 0x40); } },
        { [](Device& d) {
            return d.SetTextureStageState(0, StageState::ResultArg, Arg(TextureArg::Texture));
        } },
        { [](Device& d) { return d.SetTextureStageState(0, StageState::TexCoordIndex, 8); } },
        { [](Device& d) { return d.SetTextureStageState(0, StageState::TexCoordIndex, 3u << 16); } },
        { [](Device& d) { return d.SetTextureStageState(0, StageState::TextureTransformFlags, 5); } },
        { [](Device& d) { return d.SetTextureStageState(0, StageState::AddressU, 3); } },
        { [](Device& d) { return d.SetVertexShader(0x1001); } }, // bit outside the format
        { [](Device& d) { return d.SetVertexShader(3); } }, // no such shader handle
        { [](Device& d) { return d.SetPixelShader(5); } },
    };
    for (size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(rows[i].call(*m_device), Result::InvalidCall) << "row " << i;
    EXPECT_EQ(m_device->SetTextureStageState(0, StageState::TexCoordIndex, kTexCoordCameraSpacePosition | 1),
        Result::Ok);
    EXPECT_EQ(m_device->SetTextureStageState(1, StageState::TextureTransformFlags,
                  StateValue(TextureTransform::Count3) | kTextureTransformProjected),
        Result::Ok);
    EXPECT_EQ(m_device->SetTextureStageState(
                  0, StageState::ColorArg1, Arg(TextureArg::Temp, kArgComplement | kArgAlphaReplicate)),
        Result::Ok);
}

// ---- State blocks ----

// One row per kind of recordable state: set a live value A, record B, check A is still live,
// apply the block, check B.
struct RecordRow {
    const char* name;
    std::function<void(Device&, int)> set; // 0 = A, 1 = B
    std::function<int(Device&)> get; // which value is live, -1 for neither
};

std::vector<RecordRow> RecordRows(Texture* t0, Texture* t1, VertexBuffer* v0, VertexBuffer* v1,
    IndexBuffer* i0, IndexBuffer* i1, uint32_t ps)
{
    auto which = [](bool a, bool b) { return a ? 0 : b ? 1 : -1; };
    return {
        { "render state", [](Device& d, int v) { d.SetRenderState(RenderState::AlphaRef, v ? 200 : 100); },
            [=](Device& d) {
                uint32_t x;
                d.GetRenderState(RenderState::AlphaRef, x);
                return which(x == 100, x == 200);
            } },
        { "stage state", [](Device& d, int v) { d.SetTextureStageState(5, StageState::ColorOp, v ? 6 : 3); },
            [=](Device& d) {
                uint32_t x;
                d.GetTextureStageState(5, StageState::ColorOp, x);
                return which(x == 3, x == 6);
            } },
        { "transform",
            [](Device& d, int v) {
                Matrix m = Matrix::Identity();
                m.m[3][0] = v ? 2.f : 1.f;
                d.SetTransform(Transform::Texture4, m);
            },
            [=](Device& d) {
                Matrix m;
                d.GetTransform(Transform::Texture4, m);
                return which(m.m[3][0] == 1, m.m[3][0] == 2);
            } },
        { "viewport",
            [](Device& d, int v) {
                d.SetViewport({ 0, 0, v ? 32u : 16u, 16, 0, 1 });
            },
            [=](Device& d) {
                Viewport x;
                d.GetViewport(x);
                return which(x.width == 16, x.width == 32);
            } },
        { "material",
            [](Device& d, int v) {
                Material m;
                m.power = v ? 20.f : 10.f;
                d.SetMaterial(m);
            },
            [=](Device& d) {
                Material m;
                d.GetMaterial(m);
                return which(m.power == 10, m.power == 20);
            } },
        { "light",
            [](Device& d, int v) {
                Light l;
                l.direction = { 0, 0, 1 };
                l.range = v ? 5.f : 4.f;
                d.SetLight(33, l);
                d.LightEnable(33, v == 1);
            },
            [=](Device& d) {
                Light l;
                bool on = false;
                if (d.GetLight(33, l) != Result::Ok)
                    return -1;
                d.GetLightEnable(33, on);
                return which(l.range == 4 && !on, l.range == 5 && on);
            } },
        { "clip plane",
            [](Device& d, int v) {
                float p[4] = { v ? 2.f : 1.f, 0, 0, 0 };
                d.SetClipPlane(2, p);
            },
            [=](Device& d) {
                float p[4];
                d.GetClipPlane(2, p);
                return which(p[0] == 1, p[0] == 2);
            } },
        { "texture", [=](Device& d, int v) { d.SetTexture(6, v ? t1 : t0); },
            [=](Device& d) {
                Held<Texture> t;
                d.GetTexture(6, &t);
                return which(t.p == t0, t.p == t1);
            } },
        { "stream", [=](Device& d, int v) { d.SetStreamSource(0, v ? v1 : v0, v ? 32 : 16); },
            [=](Device& d) {
                Held<VertexBuffer> b;
                uint32_t s;
                d.GetStreamSource(0, &b, s);
                return which(b.p == v0 && s == 16, b.p == v1 && s == 32);
            } },
        { "indices", [=](Device& d, int v) { d.SetIndices(v ? i1 : i0, v ? 7 : 3); },
            [=](Device& d) {
                Held<IndexBuffer> b;
                uint32_t base;
                d.GetIndices(&b, base);
                return which(b.p == i0 && base == 3, b.p == i1 && base == 7);
            } },
        { "vertex shader", [](Device& d, int v) { d.SetVertexShader(v ? 0x242 : 0x112); },
            [=](Device& d) {
                uint32_t x;
                d.GetVertexShader(x);
                return which(x == 0x112, x == 0x242);
            } },
        { "pixel shader", [=](Device& d, int v) { d.SetPixelShader(v ? ps : 0); },
            [=](Device& d) {
                uint32_t x;
                d.GetPixelShader(x);
                return which(x == 0, x == ps);
            } },
        { "vertex constant",
            [](Device& d, int v) {
                float c[4] = { v ? 2.f : 1.f, 0, 0, 0 };
                d.SetVertexShaderConstant(95, c, 1);
            },
            [=](Device& d) {
                float c[4];
                d.GetVertexShaderConstant(95, c, 1);
                return which(c[0] == 1, c[0] == 2);
            } },
        { "pixel constant",
            [](Device& d, int v) {
                float c[4] = { v ? 2.f : 1.f, 0, 0, 0 };
                d.SetPixelShaderConstant(7, c, 1);
            },
            [=](Device& d) {
                float c[4];
                d.GetPixelShaderConstant(7, c, 1);
                return which(c[0] == 1, c[0] == 2);
            } },
    };
}

std::vector<uint32_t> MinimalPixelShader()
{
    std::vector<uint32_t> out { tokens::Version(ShaderKind::Pixel, 1, 1) };
    Instruction tex;
    tex.op = ShaderOp::Tex;
    tex.dest = { RegisterType::Texture, 0, kMaskAll };
    tokens::Append(out, tex);
    Instruction mov;
    mov.op = ShaderOp::Mov;
    mov.dest = { RegisterType::Temp, 0, kMaskAll };
    mov.sourceCount = 1;
    mov.source[0] = { RegisterType::Texture, 0, kSwizzleIdentity, SourceModifier::None };
    tokens::Append(out, mov);
    out.push_back(tokens::kEnd);
    return out;
}

TEST_F(GfxTest, stateBlocksRecordEachKindWithoutApplyingItAndApplyExactlyIt)
{
    CreateWindowed();
    Held<Texture> t0, t1;
    Held<VertexBuffer> v0, v1;
    Held<IndexBuffer> i0, i1;
    ASSERT_EQ(m_device->CreateTexture(4, 4, 1, 0, Format::A8R8G8B8, Pool::Managed, &t0), Result::Ok);
    ASSERT_EQ(m_device->CreateTexture(4, 4, 1, 0, Format::A8R8G8B8, Pool::Managed, &t1), Result::Ok);
    ASSERT_EQ(m_device->CreateVertexBuffer(64, 0, 0, Pool::Managed, &v0), Result::Ok);
    ASSERT_EQ(m_device->CreateVertexBuffer(64, 0, 0, Pool::Managed, &v1), Result::Ok);
    ASSERT_EQ(m_device->CreateIndexBuffer(12, 0, Format::Index16, Pool::Managed, &i0), Result::Ok);
    ASSERT_EQ(m_device->CreateIndexBuffer(12, 0, Format::Index16, Pool::Managed, &i1), Result::Ok);
    std::vector<uint32_t> tokens = MinimalPixelShader();
    uint32_t ps = 0;
    ASSERT_EQ(m_device->CreatePixelShader(tokens.data(), ps), Result::Ok);

    for (const RecordRow& row : RecordRows(t0, t1, v0, v1, i0, i1, ps)) {
        SCOPED_TRACE(row.name);
        row.set(*m_device, 0);
        ASSERT_EQ(row.get(*m_device), 0);
        ASSERT_EQ(m_device->BeginStateBlock(), Result::Ok);
        row.set(*m_device, 0); // the last value recorded wins
        row.set(*m_device, 1);
        EXPECT_EQ(row.get(*m_device), 0) << "recording must not change the live state";
        uint32_t block = 0;
        ASSERT_EQ(m_device->EndStateBlock(block), Result::Ok);
        EXPECT_NE(block, 0u);
        EXPECT_NE(block, 0xFFFFFFFFu);
        EXPECT_EQ(row.get(*m_device), 0);
        ASSERT_EQ(m_device->ApplyStateBlock(block), Result::Ok);
        EXPECT_EQ(row.get(*m_device), 1);
        row.set(*m_device, 0);
        EXPECT_EQ(m_device->DeleteStateBlock(block), Result::Ok);
    }
    EXPECT_EQ(m_device->Counts().stateBlocks, 0u);
}

TEST_F(GfxTest, aStateBlockHoldsOnlyWhatWasSetWhileRecording)
{
    CreateWindowed();
    ASSERT_EQ(m_device->BeginStateBlock(), Result::Ok);
    m_device->SetRenderState(RenderState::SrcBlend, StateValue(Blend::SrcAlpha));
    uint32_t block;
    ASSERT_EQ(m_device->EndStateBlock(block), Result::Ok);
    m_device->SetRenderState(RenderState::DestBlend, StateValue(Blend::InvSrcAlpha));
    m_device->SetRenderState(RenderState::SrcBlend, StateValue(Blend::One));
    ASSERT_EQ(m_device->ApplyStateBlock(block), Result::Ok);
    EXPECT_EQ(RS(*m_device, RenderState::SrcBlend), StateValue(Blend::SrcAlpha));
    EXPECT_EQ(RS(*m_device, RenderState::DestBlend), StateValue(Blend::InvSrcAlpha));
}

TEST_F(GfxTest, stateBlockCallsOutOfOrderAreRefused)
{
    CreateWindowed();
    uint32_t block = 0;
    EXPECT_EQ(m_device->EndStateBlock(block), Result::InvalidCall);
    EXPECT_EQ(m_device->ApplyStateBlock(12345), Result::InvalidCall);
    EXPECT_EQ(m_device->DeleteStateBlock(12345), Result::InvalidCall);
    EXPECT_EQ(m_device->ApplyStateBlock(0), Result::InvalidCall);
    ASSERT_EQ(m_device->BeginStateBlock(), Result::Ok);
    EXPECT_EQ(m_device->BeginStateBlock(), Result::InvalidCall);
    ASSERT_EQ(m_device->EndStateBlock(block), Result::Ok);
    EXPECT_EQ(m_device->EndStateBlock(block), Result::InvalidCall);
    ASSERT_EQ(m_device->DeleteStateBlock(block), Result::Ok);
    EXPECT_EQ(m_device->DeleteStateBlock(block), Result::InvalidCall);
    EXPECT_EQ(m_device->ApplyStateBlock(block), Result::InvalidCall);
}

TEST_F(GfxTest, validateDeviceJudgesTheLiveStateWhileRecording)
{
    PresentParameters params = Windowed();
    m_adapter->SetCapsProfile(CapsProfile::Minimal);
    ASSERT_EQ(Create(params), Result::Ok);
    ASSERT_EQ(m_device->BeginStateBlock(), Result::Ok);
    m_device->SetTextureStageState(0, StageState::ColorOp, StateValue(TextureOp::DotProduct3));
    EXPECT_EQ(m_device->ValidateDevice(nullptr), Result::Ok);
    uint32_t block;
    m_device->EndStateBlock(block);
    ASSERT_EQ(m_device->ApplyStateBlock(block), Result::Ok);
    EXPECT_EQ(m_device->ValidateDevice(nullptr), Result::InvalidCall);
}

TEST_F(GfxTest, aTextureReleasedWhileRecordedLivesUntilTheBlockIsDeleted)
{
    CreateWindowed();
    Texture* texture = nullptr;
    ASSERT_EQ(m_device->CreateTexture(8, 8, 1, 0, Format::A8R8G8B8, Pool::Managed, &texture), Result::Ok);
    m_device->BeginStateBlock();
    m_device->SetTexture(0, texture);
    uint32_t block;
    m_device->EndStateBlock(block);
    EXPECT_EQ(texture->Release(), 0u);
    EXPECT_EQ(m_device->Counts().resources[size_t(Pool::Managed)], 1u);
    m_device->ApplyStateBlock(block);
    Held<Texture> bound;
    m_device->GetTexture(0, &bound);
    EXPECT_EQ(bound.p, texture);
    bound.Reset();
    m_device->SetTexture(0, nullptr);
    EXPECT_EQ(m_device->Counts().resources[size_t(Pool::Managed)], 1u);
    m_device->DeleteStateBlock(block);
    EXPECT_EQ(m_device->Counts().resources[size_t(Pool::Managed)], 0u);
}

TEST_F(GfxTest, injectedBlockFaultsHitOnlyTheCallsTheyNameAndLeaveNothingBehind)
{
    CreateWindowed();
    Texture* texture = nullptr;
    ASSERT_EQ(m_device->CreateTexture(8, 8, 1, 0, Format::A8R8G8B8, Pool::Managed, &texture), Result::Ok);
    // The second End fails: its recording is dropped with the texture it held.
    int ends = 0;
    Null().SetStateBlockFault(
        [&](StateBlockCall call, uint32_t) { return call == StateBlockCall::End && ++ends == 2; });
    uint32_t blocks[3] = {};
    for (uint32_t& block : blocks) {
        ASSERT_EQ(m_device->BeginStateBlock(), Result::Ok);
        m_device->SetRenderState(RenderState::CullMode, StateValue(Cull::None));
        m_device->SetTexture(0, texture);
        block = 0;
        Result ended = m_device->EndStateBlock(block);
        EXPECT_EQ(ended, &block == &blocks[1] ? Result::OutOfVideoMemory : Result::Ok);
        EXPECT_FALSE(m_device->IsRecording());
    }
    EXPECT_EQ(blocks[1], 0u);
    EXPECT_NE(blocks[2], 0u);
    EXPECT_EQ(m_device->Counts().stateBlocks, 2u);
    m_device->DeleteStateBlock(blocks[0]);
    m_device->DeleteStateBlock(blocks[2]);
    EXPECT_EQ(texture->Release(), 0u);
    EXPECT_EQ(m_device->Counts().resources[size_t(Pool::Managed)], 0u);

    // A refused Apply sets nothing; the others are logged in order.
    uint32_t cull = 0, fog = 0;
    for (auto [block, state] :
        { std::pair { &cull, RenderState::CullMode }, { &fog, RenderState::FogEnable } }) {
        ASSERT_EQ(m_device->BeginStateBlock(), Result::Ok);
        m_device->SetRenderState(state, 1);
        ASSERT_EQ(m_device->EndStateBlock(*block), Result::Ok);
    }
    Null().SetStateBlockFault([&](StateBlockCall call, uint32_t handle) {
        return call == StateBlockCall::Apply && handle == cull;
    });
    Null().ClearRecords();
    EXPECT_EQ(m_device->ApplyStateBlock(fog), Result::Ok);
    EXPECT_EQ(m_device->ApplyStateBlock(cull), Result::InvalidCall);
    EXPECT_EQ(RS(*m_device, RenderState::CullMode), StateValue(Cull::Ccw));
    EXPECT_EQ(RS(*m_device, RenderState::FogEnable), 1u);
    Null().SetStateBlockFault({});
    EXPECT_EQ(m_device->ApplyStateBlock(cull), Result::Ok);
    EXPECT_EQ(Null().AppliedStateBlocks(), (std::vector<uint32_t> { fog, cull }));
    EXPECT_EQ(Null().GetCounters().stateBlocksApplied, 2u);

    // With the log off (benchmarks) applies are still counted.
    Null().SetStateBlockLog(false);
    m_device->ApplyStateBlock(fog);
    EXPECT_EQ(Null().AppliedStateBlocks().size(), 2u);
    EXPECT_EQ(Null().GetCounters().stateBlocksApplied, 3u);
}

// ---- ValidateDevice under both profiles ----

struct ValidateRow {
    const char* name;
    std::function<void(Device&, Texture*)> setup;
    Result full;
    Result minimal;
};

void Stage(Device& d, uint32_t s, TextureOp op, uint32_t a1 = Arg(TextureArg::Texture),
    uint32_t a2 = Arg(TextureArg::Current))
{
    d.SetTextureStageState(s, StageState::ColorOp, StateValue(op));
    d.SetTextureStageState(s, StageState::ColorArg1, a1);
    d.SetTextureStageState(s, StageState::ColorArg2, a2);
    d.SetTextureStageState(s, StageState::AlphaOp, StateValue(TextureOp::SelectArg1));
    d.SetTextureStageState(s, StageState::AlphaArg1, Arg(TextureArg::Diffuse));
}

const ValidateRow kValidateRows[] = {
    { "defaults", [](Device&, Texture*) {}, Result::Ok, Result::Ok },
    { "two stages", [](Device& d, Texture*) { Stage(d, 1, TextureOp::Modulate); }, Result::Ok, Result::Ok },
    { "three stages",
        [](Device& d, Texture*) {
            Stage(d, 1, TextureOp::Modulate);
            Stage(d, 2, TextureOp::Add);
        },
        Result::Ok, Result::InvalidCall },
    { "stages after a disabled one do not count",
        [](Device& d, Texture*) {
            Stage(d, 1, TextureOp::Disable);
            Stage(d, 2, TextureOp::DotProduct3);
        },
        Result::Ok, Result::Ok },
    { "dot product", [](Device& d, Texture*) { Stage(d, 0, TextureOp::DotProduct3); }, Result::Ok,
        Result::InvalidCall },
    { "temp argument", [](Device& d, Texture*) { Stage(d, 0, TextureOp::Modulate, Arg(TextureArg::Temp)); },
        Result::Ok, Result::InvalidCall },
    { "temp result",
        [](Device& d, Texture*) { d.SetTextureStageState(0, StageState::ResultArg, Arg(TextureArg::Temp)); },
        Result::Ok, Result::InvalidCall },
    { "temp in an unread argument",
        [](Device& d, Texture*) {
            Stage(d, 0, TextureOp::SelectArg1, Arg(TextureArg::Texture), Arg(TextureArg::Temp));
        },
        Result::Ok, Result::Ok },
    { "multiply-add reads argument 0",
        [](Device& d, Texture*) {
            Stage(d, 0, TextureOp::MultiplyAdd);
            d.SetTextureStageState(0, StageState::ColorArg0, Arg(TextureArg::Temp));
        },
        Result::Ok, Result::InvalidCall },
    { "border",
        [](Device& d, Texture*) {
            d.SetTextureStageState(0, StageState::AddressU, StateValue(TextureAddress::Border));
        },
        Result::Ok, Result::InvalidCall },
    { "projected",
        [](Device& d, Texture*) {
            d.SetTextureStageState(0, StageState::TextureTransformFlags,
                StateValue(TextureTransform::Count3) | kTextureTransformProjected);
        },
        Result::Ok, Result::InvalidCall },
    { "anisotropic",
        [](Device& d, Texture*) {
            d.SetTextureStageState(0, StageState::MinFilter, StateValue(TextureFilter::Anisotropic));
        },
        Result::Ok, Result::InvalidCall },
    { "bump followed by a stage",
        [](Device& d, Texture*) {
            Stage(d, 0, TextureOp::BumpEnvMap);
            Stage(d, 1, TextureOp::SelectArg1);
        },
        Result::Ok, Result::InvalidCall },
    { "ends on bump", [](Device& d, Texture*) { Stage(d, 0, TextureOp::BumpEnvMap); }, Result::InvalidCall,
        Result::InvalidCall },
    { "luminance bump is never reported",
        [](Device& d, Texture*) {
            Stage(d, 0, TextureOp::BumpEnvMapLuminance);
            Stage(d, 1, TextureOp::SelectArg1);
        },
        Result::InvalidCall, Result::InvalidCall },
    { "texture on the third stage",
        [](Device& d, Texture* t) {
            Stage(d, 1, TextureOp::Modulate);
            Stage(d, 2, TextureOp::Modulate);
            d.SetTexture(2, t);
        },
        Result::Ok, Result::InvalidCall },
    { "texture on a disabled stage", [](Device& d, Texture* t) { d.SetTexture(3, t); }, Result::Ok,
        Result::Ok },
    { "alpha DISABLE under an enabled colour passes the alpha on",
        [](Device& d, Texture*) {
            d.SetTextureStageState(0, StageState::ColorOp, StateValue(TextureOp::SelectArg1));
            d.SetTextureStageState(0, StageState::AlphaOp, StateValue(TextureOp::Disable));
        },
        Result::Ok, Result::Ok },
    { "table fog",
        [](Device& d, Texture*) {
            d.SetRenderState(RenderState::FogEnable, 1);
            d.SetRenderState(RenderState::FogTableMode, StateValue(FogMode::Linear));
        },
        Result::Ok, Result::InvalidCall },
    { "range fog",
        [](Device& d, Texture*) {
            d.SetRenderState(RenderState::FogEnable, 1);
            d.SetRenderState(RenderState::RangeFogEnable, 1);
        },
        Result::Ok, Result::InvalidCall },
    { "vertex blending",
        [](Device& d, Texture*) {
            d.SetRenderState(RenderState::VertexBlend, StateValue(VertexBlendMode::Weights2));
        },
        Result::Ok, Result::InvalidCall },
};

class ValidateTest : public GfxTest, public ::testing::WithParamInterface<CapsProfile> { };

TEST_P(ValidateTest, eachCauseFailsWhereTheProfileLacksIt)
{
    CapsProfile profile = GetParam();
    for (const ValidateRow& row : kValidateRows) {
        SCOPED_TRACE(row.name);
        m_adapter->SetCapsProfile(profile);
        ASSERT_EQ(Create(Windowed()), Result::Ok);
        Held<Texture> texture;
        ASSERT_EQ(m_device->CreateTexture(4, 4, 1, 0, Format::A8R8G8B8, Pool::Managed, &texture), Result::Ok);
        row.setup(*m_device, texture);
        uint32_t passes = 7;
        Result expected = profile == CapsProfile::Full ? row.full : row.minimal;
        EXPECT_EQ(m_device->ValidateDevice(&passes), expected) << m_device->ValidationFault();
        EXPECT_EQ(passes, expected == Result::Ok ? 1u : 0u);
        texture.Reset();
        m_device->Release();
        m_device = nullptr;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Profiles, ValidateTest, ::testing::Values(CapsProfile::Full, CapsProfile::Minimal), [](const auto& info) {
        return info.param == CapsProfile::Full ? std::string("full") : std::string("minimal");
    });

TEST_F(GfxTest, minimalProfileRefusesShadersUnlessATestGrantsThem)
{
    m_adapter->SetCapsProfile(CapsProfile::Minimal);
    ASSERT_EQ(Create(Windowed()), Result::Ok);
    std::vector<uint32_t> tokens = MinimalPixelShader();
    uint32_t handle = 0;
    EXPECT_EQ(m_device->CreatePixelShader(tokens.data(), handle), Result::InvalidCall);
    m_device->Release();
    m_device = nullptr;

    Caps caps;
    ASSERT_EQ(m_adapter->GetDeviceCaps(0, DeviceType::Hal, caps), Result::Ok);
    caps.pixelShaderVersion = ShaderVersion(1, 1);
    m_adapter->SetCaps(DeviceType::Hal, caps);
    ASSERT_EQ(Create(Windowed()), Result::Ok);
    ASSERT_EQ(m_device->CreatePixelShader(tokens.data(), handle), Result::Ok);
    EXPECT_EQ(handle != 0 && handle != 0xFFFFFFFFu, true);
    m_device->SetPixelShader(handle);
    EXPECT_EQ(m_device->ValidateDevice(nullptr), Result::Ok);
    // The stage limits still hold for the fixed-function path.
    m_device->SetPixelShader(0);
    Stage(*m_device, 1, TextureOp::Modulate);
    Stage(*m_device, 2, TextureOp::Modulate);
    EXPECT_EQ(m_device->ValidateDevice(nullptr), Result::InvalidCall);
}

// ---- Loss and reset ----

TEST_F(GfxTest, fullScreenDeviceIsLostWhileItsWindowIsAwayAndNeedsAReset)
{
    struct Row {
        const char* name;
        bool windowed;
        bool minimised;
        bool focused;
        Result whileAway;
    };
    const Row rows[] = {
        { "full screen minimised", false, true, false, Result::DeviceLost },
        { "full screen unfocused", false, false, false, Result::DeviceLost },
        { "window minimised", true, true, false, Result::Ok },
        { "window unfocused", true, false, false, Result::Ok },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        m_window = FakeWindow {};
        ASSERT_EQ(Create(row.windowed ? Windowed() : FullScreen()), Result::Ok);
        EXPECT_EQ(m_device->TestCooperativeLevel(), Result::Ok);
        m_window.minimised = row.minimised;
        m_window.focused = row.focused;
        EXPECT_EQ(m_device->TestCooperativeLevel(), row.whileAway);
        EXPECT_EQ(m_device->Present(), row.whileAway == Result::Ok ? Result::Ok : Result::DeviceLost);
        m_window = FakeWindow {};
        Result back = m_device->TestCooperativeLevel();
        EXPECT_EQ(back, row.whileAway == Result::Ok ? Result::Ok : Result::DeviceNotReset);
        EXPECT_EQ(m_device->TestCooperativeLevel(), back);
        PresentParameters params = m_params;
        EXPECT_EQ(m_device->Reset(params), Result::Ok);
        EXPECT_EQ(m_device->TestCooperativeLevel(), Result::Ok);
        m_device->Release();
        m_device = nullptr;
    }
}

TEST_F(GfxTest, aLostDeviceDrawsAndClearsNothingButLocksAndCreates)
{
    CreateWindowed();
    Held<VertexBuffer> vb;
    ASSERT_EQ(m_device->CreateVertexBuffer(3 * 16, 0, 0x42, Pool::Managed, &vb), Result::Ok);
    m_device->SetStreamSource(0, vb, 16);
    m_device->SetVertexShader(0x42);
    m_device->SetForcedLoss(true);
    EXPECT_EQ(m_device->TestCooperativeLevel(), Result::DeviceLost);
    EXPECT_EQ(m_device->Clear(0, nullptr, clear::kTarget, 0xFF00FF00, 1, 0), Result::Ok);
    EXPECT_EQ(m_device->DrawPrimitive(PrimitiveType::TriangleList, 0, 1), Result::Ok);
    EXPECT_EQ(m_device->Present(), Result::DeviceLost);
    EXPECT_TRUE(Null().Draws().empty());
    EXPECT_TRUE(Null().Clears().empty());
    EXPECT_TRUE(Null().Presents().empty());
    Held<Texture> texture;
    EXPECT_EQ(m_device->CreateTexture(8, 8, 1, 0, Format::A8R8G8B8, Pool::Managed, &texture), Result::Ok);
    LockedRect locked;
    EXPECT_EQ(texture->LockRect(0, locked, nullptr, 0), Result::Ok);
    EXPECT_EQ(texture->UnlockRect(0), Result::Ok);
    m_device->SetForcedLoss(false);
    EXPECT_EQ(m_device->TestCooperativeLevel(), Result::DeviceNotReset);
    vb.Reset();
    PresentParameters params = Windowed();
    ASSERT_EQ(m_device->Reset(params), Result::Ok);
    EXPECT_EQ(m_device->Present(), Result::Ok);
}

// ZOQ_GFX_NULL_LOSS names a file whose presence loses every null device, for runs of whole programs.
TEST_F(GfxTest, theNullLossFileOfTheEnvironmentLosesTheDeviceWhileItExists)
{
    zoq::test::TempDir dir("null-loss");
    const std::filesystem::path file = dir.Path() / "lost";
    {
        zoq::test::ScopedEnv env("ZOQ_GFX_NULL_LOSS", file.string().c_str());
        null::ResetConfig();
    }
    CreateWindowed();
    EXPECT_EQ(m_device->Present(), Result::Ok);
    zoq::test::WriteText(file, "");
    EXPECT_EQ(m_device->TestCooperativeLevel(), Result::DeviceLost);
    EXPECT_EQ(m_device->Present(), Result::DeviceLost);
    std::filesystem::remove(file);
    EXPECT_EQ(m_device->TestCooperativeLevel(), Result::DeviceNotReset);
    PresentParameters params = Windowed();
    ASSERT_EQ(m_device->Reset(params), Result::Ok);
    EXPECT_EQ(m_device->Present(), Result::Ok);
}

TEST_F(GfxTest, resetIsRefusedWhileDefaultResourcesAreHeldAndNamesEach)
{
    CreateWindowed();
    Held<Texture> managed, dynamic;
    ASSERT_EQ(m_device->CreateTexture(16, 16, 1, 0, Format::A8R8G8B8, Pool::Managed, &managed), Result::Ok);
    ASSERT_EQ(m_device->CreateTexture(256, 256, 1, usage::kDynamic, Format::Dxt3, Pool::Default, &dynamic),
        Result::Ok);
    LockedRect locked;
    ASSERT_EQ(managed->LockRect(0, locked, nullptr, 0), Result::Ok);
    static_cast<uint8_t*>(locked.bits)[5] = 0xAB;
    managed->UnlockRect(0);
    Held<Surface> back;
    ASSERT_EQ(m_device->GetRenderTarget(&back), Result::Ok);

    PresentParameters params = Windowed();
    testing::internal::CaptureStderr();
    EXPECT_EQ(m_device->Reset(params), Result::InvalidCall);
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("texture 256x256 DXT3 is still held"), std::string::npos) << log;
    EXPECT_NE(log.find("back buffer 640x480 X8R8G8B8 is still held"), std::string::npos) << log;
    EXPECT_EQ(log.find("16x16"), std::string::npos) << "MANAGED textures survive a reset";

    back.Reset();
    testing::internal::CaptureStderr();
    EXPECT_EQ(m_device->Reset(params), Result::InvalidCall);
    log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(log.find("back buffer"), std::string::npos);
    dynamic.Reset();
    ASSERT_EQ(m_device->Reset(params), Result::Ok);
    ASSERT_EQ(managed->LockRect(0, locked, nullptr, lock::kReadOnly), Result::Ok);
    EXPECT_EQ(static_cast<uint8_t*>(locked.bits)[5], 0xAB);
    managed->UnlockRect(0);
}

TEST_F(GfxTest, resetWithANewSizeMakesANewBackBufferAndViewport)
{
    CreateWindowed();
    PresentParameters params = Windowed();
    params.backBufferWidth = 320;
    params.backBufferHeight = 200;
    params.backBufferFormat = Format::R5G6B5;
    params.autoDepthStencilFormat = Format::D16;
    ASSERT_EQ(m_device->Reset(params), Result::Ok);
    Held<Surface> back;
    m_device->GetRenderTarget(&back);
    SurfaceDesc desc;
    back->GetDesc(desc);
    EXPECT_EQ(desc.width, 320u);
    EXPECT_EQ(desc.format, Format::R5G6B5);
    Viewport vp;
    m_device->GetViewport(vp);
    EXPECT_EQ(vp.width, 320u);
    EXPECT_EQ(vp.height, 200u);
}

// ---- Gamma ----

TEST_F(GfxTest, gammaRampIsAppliedAtPresentWhenTheProfileReportsIt)
{
    GammaRamp half = GammaRamp::Identity();
    for (auto& v : half.red)
        v /= 2;
    for (CapsProfile profile : { CapsProfile::Full, CapsProfile::Minimal }) {
        m_adapter->SetCapsProfile(profile);
        ASSERT_EQ(Create(Windowed()), Result::Ok);
        m_device->SetGammaRamp(0, half);
        GammaRamp read;
        m_device->GetGammaRamp(read);
        EXPECT_EQ(read, half);
        ASSERT_EQ(m_device->Present(), Result::Ok);
        ASSERT_EQ(Null().Presents().size(), 1u);
        EXPECT_EQ(Null().Presents()[0].ramp, profile == CapsProfile::Full ? half : GammaRamp::Identity());
        m_device->Release();
        m_device = nullptr;
    }
}

// ---- Lights and lighting ----

TEST_F(GfxTest, lightsAtSparseIndicesAndTheActiveLimit)
{
    CreateWindowed();
    Light light;
    light.type = LightType::Point;
    light.range = 10;
    light.attenuation0 = 1;
    for (uint32_t index : { 0u, 1u, 10u, 11u, 32u, 231u }) {
        EXPECT_EQ(m_device->SetLight(index, light), Result::Ok);
        EXPECT_EQ(m_device->LightEnable(index, true), Result::Ok);
    }
    for (uint32_t index = 100; index < 110; ++index)
        EXPECT_EQ(m_device->LightEnable(index, true), Result::Ok); // a default light is made
    EXPECT_EQ(m_device->LightEnable(200, true), Result::InvalidCall) << "sixteen lights at most";
    EXPECT_EQ(m_device->LightEnable(231, false), Result::Ok);
    EXPECT_EQ(m_device->LightEnable(200, true), Result::Ok);
    Light spot;
    spot.type = LightType::Spot;
    EXPECT_EQ(m_device->SetLight(2, spot), Result::InvalidCall);
    Light zero;
    zero.direction = { 0, 0, 0 };
    EXPECT_EQ(m_device->SetLight(2, zero), Result::InvalidCall);
}

TEST(Lighting, theSpecularProbeReadsAboutPointThirtyOneAtEachVertex)
{
    DeviceState state;
    for (size_t i = 0; i < kRenderStateCount; ++i)
        state.render[i] = DefaultRenderState(RenderState(i), false);
    state.transforms.fill(Matrix::Identity());
    state.render[size_t(RenderState::Ambient)] = 0;
    state.material.specular = { 1, 1, 1, 1 };
    state.material.power = 10;
    Light light;
    light.type = LightType::Directional;
    light.specular = { 0.5f, 0.5f, 0.5f, 0.5f };
    light.direction = { 0, 0, 1 };
    state.lights[0] = { light, true };
    for (int i = 0; i < 4; ++i) {
        Vector3 p { (float(i % 2) - 0.5f) * 10, (float(i / 2) - 0.5f) * 10, 10 };
        LitVertex lit = LightVertex(state, p, { 0, 0, -1 }, std::nullopt, std::nullopt);
        EXPECT_NEAR(lit.specular.b, 0.309f, 0.005f);
        int blue = int(lit.specular.b * 255 + 0.5f);
        EXPECT_GT(blue, 64);
        EXPECT_LT(blue, 96);
        EXPECT_NEAR(blue, 79, 1);
        EXPECT_EQ(lit.diffuse.r, 0.0f);
    }
}

TEST(Lighting, formulasForDirectionalAndPointLightsAndSources)
{
    DeviceState state;
    for (size_t i = 0; i < kRenderStateCount; ++i)
        state.render[i] = DefaultRenderState(RenderState(i), false);
    state.transforms.fill(Matrix::Identity());
    state.render[size_t(RenderState::Ambient)] = 0xFF202020; // global ambient 32/255
    state.material.diffuse = { 0.5f, 0.5f, 0.5f, 0.75f };
    state.material.ambient = { 1, 1, 1, 1 };
    state.material.emissive = { 0.1f, 0, 0, 0 };
    Light sun;
    sun.type = LightType::Directional;
    sun.diffuse = { 1, 1, 1, 1 };
    sun.direction = { 0, -1, 0 }; // shining down onto an upward normal
    state.lights[0] = { sun, true };
    // COLOR1 is the default diffuse source; a vertex without colour takes the material's.
    LitVertex lit = LightVertex(state, { 0, 0, 5 }, { 0, 1, 0 }, std::nullopt, std::nullopt);
    EXPECT_NEAR(lit.diffuse.r, 0.1f + 32.0f / 255 + 0.5f, 1e-4);
    EXPECT_NEAR(lit.diffuse.g, 32.0f / 255 + 0.5f, 1e-4);
    EXPECT_NEAR(lit.diffuse.a, 0.75f, 1e-6);
    lit = LightVertex(state, { 0, 0, 5 }, { 0, 1, 0 }, Color(0x80FF0000), std::nullopt);
    EXPECT_FLOAT_EQ(lit.diffuse.r, 1.0f); // saturated
    EXPECT_NEAR(lit.diffuse.g, 32.0f / 255, 1e-4);
    EXPECT_NEAR(lit.diffuse.a, 128.0f / 255, 1e-4);

    Light lamp;
    lamp.type = LightType::Point;
    lamp.diffuse = { 1, 1, 1, 1 };
    lamp.position = { 0, 2, 5 };
    lamp.range = 3;
    lamp.attenuation0 = 1;
    lamp.attenuation2 = 0.25f; // att at distance 2 = 1 / (1 + 1) = 0.5
    state.lights[0].enabled = false;
    state.lights[40] = { lamp, true };
    state.render[size_t(RenderState::Ambient)] = 0;
    state.material.emissive = {};
    lit = LightVertex(state, { 0, 0, 5 }, { 0, 1, 0 }, std::nullopt, std::nullopt);
    EXPECT_NEAR(lit.diffuse.g, 0.5f * 0.5f, 1e-5);
    state.lights[40].light.range = 1.5f;
    lit = LightVertex(state, { 0, 0, 5 }, { 0, 1, 0 }, std::nullopt, std::nullopt);
    EXPECT_EQ(lit.diffuse.g, 0.0f) << "nothing past the range";
}

} // namespace
} // namespace plat::gfx::test
