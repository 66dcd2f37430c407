// Fog (vertex, range, table, from the specular alpha), the alpha test at 8-bit precision and
// the blend pairs the shader slots use.
#include "tests/platform/gfx/gl/gl_fixture.h"

#include <cmath>

namespace plat::gfx::gltest {
namespace {

constexpr Color kRed = 0xFFFF0000u;
constexpr Color kGreen = 0xFF00FF00u;

// Green mixed with red fog by factor f.
Color Fogged(float f)
{
    auto c = [](float v) { return uint32_t(std::lround(v * 255)); };
    return 0xFF000000u | c(1 - f) << 16 | c(f) << 8;
}

class RasterTest : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        CreateDevice(16, 16);
        m_device->SetRenderState(RenderState::Lighting, 0);
        m_device->SetRenderState(RenderState::CullMode, uint32_t(Cull::None));
        m_device->SetTransform(Transform::Projection, Perspective(1.5707964f, 1, 1, 100));
    }

    // A quad at view depth z filling the screen.
    void DepthQuad(float z)
    {
        ColorVertex v[4] = { { -z, z, z, kGreen, 0, 0 }, { z, z, z, kGreen, 1, 0 },
            { -z, -z, z, kGreen, 0, 1 }, { z, -z, z, kGreen, 1, 1 } };
        Begin();
        ClearTarget(0xFF000000u);
        m_device->SetVertexShader(kColorFvf);
        ASSERT_EQ(
            m_device->DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, v, sizeof(ColorVertex)), Result::Ok);
        End();
    }

    void Fog(FogMode vertex, FogMode table, bool range, float start, float end, float density)
    {
        m_device->SetRenderState(RenderState::FogEnable, 1);
        m_device->SetRenderState(RenderState::FogColor, kRed);
        m_device->SetRenderState(RenderState::FogVertexMode, uint32_t(vertex));
        m_device->SetRenderState(RenderState::FogTableMode, uint32_t(table));
        m_device->SetRenderState(RenderState::RangeFogEnable, range);
        m_device->SetRenderState(RenderState::FogStart, FloatBits(start));
        m_device->SetRenderState(RenderState::FogEnd, FloatBits(end));
        m_device->SetRenderState(RenderState::FogDensity, FloatBits(density));
    }
};

TEST_F(RasterTest, fogModes)
{
    struct Case {
        const char* name;
        FogMode vertex;
        FogMode table;
        bool range;
        float factor;
    };
    const float corner = std::sqrt(75.0f); // a corner of the quad at z 5 lies sqrt(25 + 25 + 25) away
    const Case cases[] = {
        { "vertex LINEAR", FogMode::Linear, FogMode::None, false, 0.5f },
        { "vertex EXP", FogMode::Exp, FogMode::None, false, std::exp(-0.5f) },
        { "vertex EXP2", FogMode::Exp2, FogMode::None, false, std::exp(-0.25f) },
        { "range LINEAR", FogMode::Linear, FogMode::None, true, (10 - corner) / 10 },
        { "table LINEAR wins over vertex", FogMode::Exp, FogMode::Linear, false, 0.5f },
        { "table EXP2", FogMode::None, FogMode::Exp2, false, std::exp(-0.25f) },
    };
    for (const Case& c : cases) {
        Fog(c.vertex, c.table, c.range, 0, 10, 0.1f);
        DepthQuad(5);
        EXPECT_RGB(Pixel(8, 8), Fogged(c.factor)) << c.name;
    }
}

TEST_F(RasterTest, screenVerticesFogByTheirSpecularAlpha)
{
    Fog(FogMode::Linear, FogMode::None, false, 0, 10, 0.1f);
    struct Vertex {
        float x, y, z, rhw;
        Color diffuse, specular;
    };
    const Color specular = 0x40000000u; // factor 64 / 255
    Vertex v[4] = { { -0.5f, -0.5f, 0.5f, 1, kGreen, specular }, { 15.5f, -0.5f, 0.5f, 1, kGreen, specular },
        { -0.5f, 15.5f, 0.5f, 1, kGreen, specular }, { 15.5f, 15.5f, 0.5f, 1, kGreen, specular } };
    Begin();
    ClearTarget(0xFF000000u);
    m_device->SetVertexShader(fvf::kXyzRhw | fvf::kDiffuse | fvf::kSpecular);
    ASSERT_EQ(m_device->DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, v, sizeof(Vertex)), Result::Ok);
    End();
    EXPECT_RGB(Pixel(8, 8), Fogged(64.0f / 255));
}

TEST_F(RasterTest, alphaTestComparesEightBitAlpha)
{
    m_device->SetRenderState(RenderState::AlphaTestEnable, 1);
    m_device->SetRenderState(RenderState::AlphaFunc, uint32_t(Compare::Greater));
    m_device->SetTextureStageState(0, StageState::AlphaOp, uint32_t(TextureOp::SelectArg1));
    m_device->SetTextureStageState(0, StageState::AlphaArg1, uint32_t(TextureArg::Diffuse));
    struct Case {
        uint32_t ref;
        uint32_t alpha;
        bool kept;
    };
    const Case cases[] = { { 1, 1, false }, { 1, 2, true }, { 5, 5, false }, { 5, 6, true }, { 0, 0, false },
        { 0, 1, true } };
    for (const Case& c : cases) {
        m_device->SetRenderState(RenderState::AlphaRef, c.ref);
        Begin();
        ClearTarget(0xFF000000u);
        ScreenQuad(0, 0, 16, 16, c.alpha << 24 | 0x00FF00u);
        End();
        EXPECT_EQ(Pixel(8, 8) == kGreen, c.kept) << "ref " << c.ref << " alpha " << c.alpha;
    }
}

TEST_F(RasterTest, blendPairsOfTheShaderSlots)
{
    // Destination (64, 128, 192); source diffuse (a 128, 128, 64, 32).
    struct Case {
        Blend source;
        Blend dest;
        Color expected;
    };
    const Case cases[] = {
        { Blend::One, Blend::Zero, 0x804020u },
        { Blend::SrcAlpha, Blend::InvSrcAlpha, 0x606070u },
        { Blend::DestColor, Blend::Zero, 0x202018u },
        { Blend::One, Blend::One, 0xC0C0E0u },
        { Blend::Zero, Blend::SrcColor, 0x202018u },
        { Blend::Zero, Blend::InvSrcAlpha, 0x204060u },
    };
    m_device->SetTextureStageState(0, StageState::AlphaOp, uint32_t(TextureOp::SelectArg1));
    m_device->SetTextureStageState(0, StageState::AlphaArg1, uint32_t(TextureArg::Diffuse));
    m_device->SetRenderState(RenderState::AlphaBlendEnable, 1);
    for (const Case& c : cases) {
        m_device->SetRenderState(RenderState::SrcBlend, uint32_t(c.source));
        m_device->SetRenderState(RenderState::DestBlend, uint32_t(c.dest));
        Begin();
        ClearTarget(0xFF4080C0u);
        ScreenQuad(0, 0, 16, 16, 0x80804020u);
        End();
        EXPECT_RGB(Pixel(8, 8), c.expected) << "source " << int(c.source) << " dest " << int(c.dest);
    }
}

} // namespace
} // namespace plat::gfx::gltest
