// The caches: shadowed GL state never leaks from one draw into another, programs and samplers
// are built once per state.
#include "tests/platform/gfx/gl/gl_fixture.h"

#include <cstring>
#include <functional>
#include <random>

namespace plat::gfx::gltest {
namespace {

// Render states the random walk sets, each with the values it picks from.
struct StateChoice {
    RenderState state;
    std::vector<uint32_t> values;
};

const std::vector<StateChoice>& RenderChoices()
{
    static const std::vector<StateChoice> choices = {
        { RenderState::AlphaBlendEnable, { 0, 1 } },
        { RenderState::SrcBlend,
            { uint32_t(Blend::One), uint32_t(Blend::SrcAlpha), uint32_t(Blend::DestColor),
                uint32_t(Blend::Zero) } },
        { RenderState::DestBlend,
            { uint32_t(Blend::Zero), uint32_t(Blend::InvSrcAlpha), uint32_t(Blend::One),
                uint32_t(Blend::SrcColor) } },
        { RenderState::CullMode, { uint32_t(Cull::None), uint32_t(Cull::Cw), uint32_t(Cull::Ccw) } },
        { RenderState::ZEnable, { 0, 1 } },
        { RenderState::ZWriteEnable, { 0, 1 } },
        { RenderState::ZFunc,
            { uint32_t(Compare::Less), uint32_t(Compare::LessEqual), uint32_t(Compare::Always),
                uint32_t(Compare::Greater) } },
        { RenderState::AlphaTestEnable, { 0, 1 } },
        { RenderState::AlphaRef, { 0, 1, 100, 200 } },
        { RenderState::AlphaFunc,
            { uint32_t(Compare::Greater), uint32_t(Compare::Less), uint32_t(Compare::Always) } },
        { RenderState::TextureFactor, { 0xFFFFFFFFu, 0x80FF0000u, 0x4000FF80u } },
        { RenderState::SpecularEnable, { 0, 1 } },
        { RenderState::FogEnable, { 0, 1 } },
        { RenderState::FogColor, { 0x00FF0000u, 0x000000FFu } },
        { RenderState::FogTableMode, { uint32_t(FogMode::None), uint32_t(FogMode::Linear) } },
        { RenderState::FogVertexMode,
            { uint32_t(FogMode::None), uint32_t(FogMode::Linear), uint32_t(FogMode::Exp) } },
        { RenderState::FogEnd, { FloatBits(1.0f), FloatBits(20.0f) } },
        { RenderState::Lighting, { 0, 1 } },
        { RenderState::ZBias, { 0, 2 } },
    };
    return choices;
}

struct StageChoice {
    StageState state;
    std::vector<uint32_t> values;
};

const std::vector<StageChoice>& StageChoices()
{
    using Op = TextureOp;
    auto arg = [](TextureArg a, uint32_t m = 0) { return uint32_t(a) | m; };
    static const std::vector<StageChoice> choices = {
        { StageState::ColorOp,
            { uint32_t(Op::Disable), uint32_t(Op::SelectArg1), uint32_t(Op::Modulate), uint32_t(Op::Add),
                uint32_t(Op::BlendFactorAlpha), uint32_t(Op::Lerp) } },
        { StageState::ColorArg1,
            { arg(TextureArg::Texture), arg(TextureArg::Diffuse), arg(TextureArg::TFactor),
                arg(TextureArg::Texture, kArgComplement) } },
        { StageState::ColorArg2,
            { arg(TextureArg::Current), arg(TextureArg::Diffuse), arg(TextureArg::Specular) } },
        { StageState::ColorArg0, { arg(TextureArg::Current), arg(TextureArg::TFactor) } },
        { StageState::AlphaOp, { uint32_t(Op::Disable), uint32_t(Op::SelectArg1), uint32_t(Op::Modulate) } },
        { StageState::AlphaArg1,
            { arg(TextureArg::Texture), arg(TextureArg::Diffuse), arg(TextureArg::TFactor) } },
        { StageState::AlphaArg2, { arg(TextureArg::Current), arg(TextureArg::Diffuse) } },
        { StageState::AddressU,
            { uint32_t(TextureAddress::Wrap), uint32_t(TextureAddress::Clamp),
                uint32_t(TextureAddress::Border) } },
        { StageState::AddressV, { uint32_t(TextureAddress::Wrap), uint32_t(TextureAddress::Clamp) } },
        { StageState::BorderColor, { 0xFF00FF00u, 0xFFFF00FFu } },
        { StageState::MagFilter, { uint32_t(TextureFilter::Point), uint32_t(TextureFilter::Linear) } },
        { StageState::MinFilter, { uint32_t(TextureFilter::Point), uint32_t(TextureFilter::Linear) } },
        { StageState::ResultArg, { uint32_t(TextureArg::Current), uint32_t(TextureArg::Temp) } },
    };
    return choices;
}

struct FullVertex {
    float x, y, z, rhw;
    Color diffuse, specular;
    float u, v;
};

class CacheTest : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        CreateDevice(16, 16);
    }

    void MakeTextures(Device& device, std::vector<Texture*>& out)
    {
        const std::vector<std::vector<uint32_t>> pictures = {
            { 0xFFFF0000u, 0x8000FF00u, 0x400000FFu, 0xFFFFFFFFu },
            { 0x20FFFF00u, 0xFF00FFFFu, 0xFF808080u, 0x00000000u },
        };
        for (const auto& texels : pictures) {
            Texture* texture = nullptr;
            ASSERT_EQ(
                device.CreateTexture(2, 2, 1, 0, Format::A8R8G8B8, Pool::Managed, &texture), Result::Ok);
            LockedRect locked;
            texture->LockRect(0, locked, nullptr, 0);
            for (int y = 0; y < 2; ++y)
                std::memcpy(static_cast<uint8_t*>(locked.bits) + y * locked.pitch, texels.data() + y * 2, 8);
            texture->UnlockRect(0);
            out.push_back(texture);
        }
    }

    // Two overlapping quads, one pre-transformed, one in world space.
    static void DrawScene(Device& device)
    {
        FullVertex a[4] = { { 1.5f, 1.5f, 0.4f, 1, 0xC0FF8040u, 0x00204060u, -0.5f, -0.5f },
            { 13.5f, 1.5f, 0.4f, 1, 0x80FF8040u, 0x00204060u, 1.5f, -0.5f },
            { 1.5f, 13.5f, 0.6f, 1, 0xFF4080FFu, 0x00204060u, -0.5f, 1.5f },
            { 13.5f, 13.5f, 0.6f, 1, 0x404080FFu, 0x00204060u, 1.5f, 1.5f } };
        device.SetVertexShader(fvf::kXyzRhw | fvf::kDiffuse | fvf::kSpecular | fvf::kTex1);
        device.DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, a, sizeof(FullVertex));
        struct World {
            float x, y, z, nx, ny, nz;
            Color diffuse;
            float u, v;
        } b[3] = { { -0.8f, -0.8f, 0.5f, 0, 0, -1, 0xFF00FF00u, 0, 0 },
            { 0.9f, -0.6f, 0.3f, 0, 0, -1, 0x8000FFFFu, 2, 0 },
            { -0.5f, 0.9f, 0.7f, 0, 0, -1, 0xFFFF00FFu, 0, 2 } };
        device.SetVertexShader(fvf::kXyz | fvf::kNormal | fvf::kDiffuse | fvf::kTex1);
        device.DrawPrimitiveUP(PrimitiveType::TriangleList, 1, b, sizeof(World));
    }
};

TEST_F(CacheTest, aThousandRandomStateChangesDrawLikeTheFinalStateOnAFreshDevice)
{
    std::vector<Texture*> textures;
    MakeTextures(*m_device, textures);
    std::mt19937 random(20240611u);
    auto pick = [&](size_t n) { return size_t(random() % n); };
    Material material;
    material.diffuse = { 1, 0.5f, 0.25f, 1 };
    material.ambient = { 0.2f, 0.2f, 0.2f, 1 };
    m_device->SetMaterial(material);
    Light light;
    light.type = LightType::Directional;
    light.diffuse = { 1, 1, 1, 1 };
    light.direction = { 0, 0, 1 };
    m_device->SetLight(0, light);
    m_device->LightEnable(0, true);

    Begin();
    for (int i = 0; i < 1000; ++i) {
        switch (pick(5)) {
        case 0:
        case 1: {
            const StateChoice& c = RenderChoices()[pick(RenderChoices().size())];
            m_device->SetRenderState(c.state, c.values[pick(c.values.size())]);
            break;
        }
        case 2: {
            const StageChoice& c = StageChoices()[pick(StageChoices().size())];
            m_device->SetTextureStageState(uint32_t(pick(3)), c.state, c.values[pick(c.values.size())]);
            break;
        }
        case 3:
            m_device->SetTexture(uint32_t(pick(3)), pick(3) == 0 ? nullptr : textures[pick(2)]);
            break;
        case 4: {
            Viewport vp { uint32_t(pick(3)), uint32_t(pick(3)), 16 - uint32_t(pick(4)),
                16 - uint32_t(pick(4)), 0, 1 };
            m_device->SetViewport(vp);
            break;
        }
        }
        if (i % 25 == 0) {
            if (pick(4) == 0)
                m_device->Clear(0, nullptr, clear::kTarget | clear::kZBuffer, 0xFF102030u, 1, 0);
            DrawScene(*m_device);
        }
    }
    ClearTarget(0xFF203040u);
    DrawScene(*m_device);
    End();
    std::vector<uint32_t> walked = Read();

    // The same final state on a fresh device.
    Device* fresh = nullptr;
    PresentParameters params = m_params;
    ASSERT_EQ(m_adapter->CreateDevice(
                  0, DeviceType::Hal, nullptr, create::kHardwareVertexProcessing, params, &fresh),
        Result::Ok);
    std::vector<Texture*> freshTextures;
    MakeTextures(*fresh, freshTextures);
    for (size_t s = 0; s < kRenderStateCount; ++s) {
        uint32_t value = 0;
        m_device->GetRenderState(RenderState(s), value);
        fresh->SetRenderState(RenderState(s), value);
    }
    for (uint32_t k = 0; k < kStageCount; ++k) {
        for (size_t s = 0; s < kStageStateCount; ++s) {
            uint32_t value = 0;
            m_device->GetTextureStageState(k, StageState(s), value);
            fresh->SetTextureStageState(k, StageState(s), value);
        }
        Texture* bound = nullptr;
        m_device->GetTexture(k, &bound);
        Texture* mapped = nullptr;
        for (size_t t = 0; t < textures.size(); ++t)
            if (bound == textures[t])
                mapped = freshTextures[t];
        fresh->SetTexture(k, mapped);
        if (bound)
            bound->Release();
    }
    Viewport vp;
    m_device->GetViewport(vp);
    fresh->SetViewport(vp);
    fresh->SetMaterial(material);
    fresh->SetLight(0, light);
    fresh->LightEnable(0, true);
    fresh->BeginScene();
    uint32_t flags = clear::kTarget | clear::kZBuffer;
    fresh->Clear(0, nullptr, flags, 0xFF203040u, 1, 0);
    DrawScene(*fresh);
    fresh->EndScene();
    Surface* back = nullptr;
    fresh->GetRenderTarget(&back);
    std::vector<uint32_t> direct = Read(back);
    back->Release();
    // Outside the final viewport each device keeps its own older pixels.
    size_t differing = 0;
    for (uint32_t y = vp.y; y < vp.y + vp.height; ++y)
        for (uint32_t x = vp.x; x < vp.x + vp.width; ++x)
            differing += walked[y * 16 + x] != direct[y * 16 + x] ? 1 : 0;
    EXPECT_EQ(differing, 0u);

    for (Texture* t : textures)
        t->Release();
    for (Texture* t : freshTextures)
        t->Release();
    fresh->Release();
}

TEST_F(CacheTest, aFrameDrawnTwiceCompilesNoProgramTheSecondTime)
{
    std::vector<Texture*> textures;
    MakeTextures(*m_device, textures);
    auto frame = [&] {
        Begin();
        ClearTarget(0xFF000000u);
        for (uint32_t i = 0; i < 6; ++i) {
            m_device->SetTexture(0, textures[i % 2]);
            m_device->SetTextureStageState(0, StageState::ColorOp,
                uint32_t(i % 3 == 0  ? TextureOp::Modulate
                        : i % 3 == 1 ? TextureOp::Add
                                     : TextureOp::SelectArg1));
            m_device->SetRenderState(RenderState::FogEnable, i >= 3);
            m_device->SetTextureStageState(
                0, StageState::MagFilter, uint32_t(i % 2 ? TextureFilter::Linear : TextureFilter::Point));
            DrawScene(*m_device);
        }
        End();
        m_device->Present();
    };
    frame();
    gl::Stats first = gl::GetStats(Gl());
    EXPECT_GT(first.programsCompiled, 0u);
    frame();
    gl::Stats second = gl::GetStats(Gl());
    EXPECT_EQ(second.programsCompiled, first.programsCompiled);
    EXPECT_EQ(second.samplers, first.samplers);
    EXPECT_EQ(second.vertexArrays, first.vertexArrays);
    EXPECT_EQ(second.skippedDraws, 0u);
    for (Texture* t : textures)
        t->Release();
}

// A draw whose groups did not change sets nothing again, unless GL was changed in between:
// each of these leaves GL otherwise than the first draw did.
TEST_F(CacheTest, aDrawAfterGlWasUsedForSomethingElseSetsItsStateAgain)
{
    struct Between {
        const char* name;
        std::function<void()> act;
    };
    const Between cases[] = {
        { "a clear of one pixel",
            [this] {
                const Rect corner { 0, 0, 1, 1 };
                m_device->Clear(1, &corner, clear::kTarget, 0xFF0000FFu, 1, 0);
            } },
        { "a present",
            [this] {
                End();
                m_device->Present();
                Begin();
            } },
        { "a texture upload", [this] { SolidTexture(0xFF00FFFFu); } },
        { "a read of the target", [this] { Read(); } },
    };
    for (const Between& between : cases) {
        SCOPED_TRACE(between.name);
        m_device->SetTextureStageState(0, StageState::ColorOp, uint32_t(TextureOp::SelectArg1));
        m_device->SetTextureStageState(0, StageState::ColorArg1, uint32_t(TextureArg::TFactor));
        Begin();
        ClearTarget(0xFF000000u);
        m_device->SetRenderState(RenderState::TextureFactor, 0xFFFF0000u);
        ScreenQuad(0, 0, 16, 16, 0xFFFFFFFFu);
        between.act();
        // Only a value changes: no group the raster state, program or bindings come from.
        m_device->SetRenderState(RenderState::TextureFactor, 0xFF00FF00u);
        ScreenQuad(0, 0, 16, 16, 0xFFFFFFFFu);
        End();
        for (int y : { 0, 7, 15 })
            for (int x : { 0, 8, 15 })
                EXPECT_PIXEL(Pixel(x, y), 0xFF00FF00u) << x << "," << y;
    }
}

} // namespace
} // namespace plat::gfx::gltest
