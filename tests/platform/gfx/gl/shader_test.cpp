// Translated shaders: the water vertex shader with constants chosen so its outputs can be
// worked by hand, and the sky-layer, SpecBump and SpecMap pixel programs.
#include "tests/platform/gfx/gl/gl_fixture.h"
#include "tests/platform/gfx/water_shader.h"

#include "platform/gfx/d3dx/d3dx.h"

#include <cmath>
#include <string>

namespace plat::gfx::gltest {
namespace {

using test::kWaterLines;

std::vector<uint32_t> Assemble(const std::string& text)
{
    std::vector<uint32_t> tokens;
    std::string errors;
    EXPECT_EQ(d3dx::AssembleShader(text, tokens, &errors), Result::Ok) << errors;
    return tokens;
}

struct WaterVertex {
    float position[3];
    float height[3];
    float normal[3];
    Color color;
    float uv[2];
};

class ShaderTest : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        CreateDevice(16, 16);
        ASSERT_EQ(m_device->CreateRenderTarget(16, 16, Format::A8R8G8B8, MultiSample::None, true, &m_target),
            Result::Ok);
        ASSERT_EQ(m_device->SetRenderTarget(m_target, nullptr), Result::Ok);
        m_device->SetRenderState(RenderState::CullMode, uint32_t(Cull::None));
    }
    void TearDown() override
    {
        if (m_target)
            m_target->Release();
        GlTest::TearDown();
    }

    void SetConstant(uint32_t reg, float x, float y, float z, float w)
    {
        const float v[4] = { x, y, z, w };
        ASSERT_EQ(m_device->SetVertexShaderConstant(reg, v, 1), Result::Ok);
    }

    Surface* m_target = nullptr;
};

TEST_F(ShaderTest, theWaterVertexShaderGivesHandWorkedOutputs)
{
    std::string text;
    for (const char* line : kWaterLines)
        text += std::string(text.empty() ? "" : "\n") + line;
    std::vector<uint32_t> tokens = Assemble(text);
    const VertexElement declaration[] = { { 0, DeclType::Float3 }, { 1, DeclType::Float3 },
        { 3, DeclType::Float3 }, { 5, DeclType::D3dColor }, { 7, DeclType::Float2 } };
    uint32_t handle = 0;
    ASSERT_EQ(m_device->CreateVertexShader(declaration, tokens.data(), handle, 0), Result::Ok);

    // c0-c2 and c3-c6 identity rows; the height is v1.x = 0.5 through c11 = (1, 0, 0).
    for (uint32_t i = 0; i < 3; ++i)
        SetConstant(i, i == 0, i == 1, i == 2, 0);
    for (uint32_t i = 0; i < 4; ++i)
        SetConstant(3 + i, i == 0, i == 1, i == 2, i == 3);
    SetConstant(8, 0.5f, 0.5f, -0.25f, 1.0f);
    SetConstant(9, 0.5f, 0.5f, 1.5f, 0); // r0 = (x/2, y/2, 2): oT1 = (x/4 + 0.5, y/4 + 0.5)
    SetConstant(10, 0.25f, 0.25f, 0.5f, -1.0f / 3); // oT0 = uv/2 + 0.25; fog = 2^(-d^2/3)
    SetConstant(11, 1, 0, 0, 0);
    SetConstant(12, 1, 1, 1, 0.25f);
    SetConstant(13, 0, 0, -1, 1); // every corner lies sqrt(3) from it

    // Corners (+-1, +-1, 0): to c13 is (-+1, -+1, -1), so r0.z = -1/sqrt 3 and
    // alpha = (0 + 1 + 1/sqrt 3) * 0.25 = 0.394 (100); fog 2^-1 = 0.5.
    WaterVertex quad[4];
    const float corners[4][2] = { { -1, 1 }, { 1, 1 }, { -1, -1 }, { 1, -1 } };
    for (int i = 0; i < 4; ++i)
        quad[i] = { { corners[i][0], corners[i][1], 0 }, { 0.5f, 0, 0 }, { 0, 0, 1 }, 0x00204080u,
            { (corners[i][0] + 1) / 2, (1 - corners[i][1]) / 2 } };

    auto draw = [&] {
        EXPECT_EQ(m_device->BeginScene(), Result::Ok);
        m_device->Clear(0, nullptr, clear::kTarget, 0, 1, 0);
        m_device->SetVertexShader(handle);
        EXPECT_EQ(m_device->DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, quad, sizeof(WaterVertex)),
            Result::Ok);
        EXPECT_EQ(m_device->EndScene(), Result::Ok);
    };

    // Diffuse out: v5's colour, the computed alpha.
    m_device->SetTextureStageState(0, StageState::ColorOp, uint32_t(TextureOp::SelectArg1));
    m_device->SetTextureStageState(0, StageState::ColorArg1, uint32_t(TextureArg::Diffuse));
    m_device->SetTextureStageState(0, StageState::AlphaOp, uint32_t(TextureOp::SelectArg1));
    m_device->SetTextureStageState(0, StageState::AlphaArg1, uint32_t(TextureArg::Diffuse));
    draw();
    EXPECT_PIXEL(Pixel(8, 8, m_target), 0x64204080u);
    EXPECT_PIXEL(Pixel(1, 14, m_target), 0x64204080u);

    // oT0: uv / 2 + 0.25 over a red | blue texture: the left part reads red, the right blue.
    Texture* halves = MakeTexture(2, 1, { 0xFFFF0000u, 0xFF0000FFu });
    m_device->SetTexture(0, halves);
    m_device->SetTextureStageState(0, StageState::ColorArg1, uint32_t(TextureArg::Texture));
    draw();
    EXPECT_RGB(Pixel(4, 8, m_target), 0xFF0000u);
    EXPECT_RGB(Pixel(12, 8, m_target), 0x0000FFu);

    // oT1: (x / 4 + 0.5, y / 4 + 0.5) on stage 1 over quadrants red, green / blue, white.
    Texture* quadrants = MakeTexture(2, 2, { 0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu });
    m_device->SetTexture(1, quadrants);
    m_device->SetTextureStageState(1, StageState::ColorOp, uint32_t(TextureOp::SelectArg1));
    m_device->SetTextureStageState(1, StageState::ColorArg1, uint32_t(TextureArg::Texture));
    draw();
    EXPECT_RGB(Pixel(4, 4, m_target), 0x0000FFu); // y up: v past 0.5
    EXPECT_RGB(Pixel(12, 4, m_target), 0xFFFFFFu);
    EXPECT_RGB(Pixel(4, 12, m_target), 0xFF0000u);
    EXPECT_RGB(Pixel(12, 12, m_target), 0x00FF00u);
    m_device->SetTextureStageState(1, StageState::ColorOp, uint32_t(TextureOp::Disable));

    // oFog.x = 0.5 with vertex fog: half way to red.
    m_device->SetTextureStageState(0, StageState::ColorArg1, uint32_t(TextureArg::Diffuse));
    m_device->SetRenderState(RenderState::FogEnable, 1);
    m_device->SetRenderState(RenderState::FogColor, 0x00FF0000u);
    draw();
    EXPECT_PIXEL(Pixel(8, 8, m_target), 0x648F2040u);
    m_device->SetRenderState(RenderState::FogEnable, 0);
    m_device->SetVertexShader(0);
    m_device->DeleteVertexShader(handle);
}

// Pixel programs over a pre-transformed quad with diffuse D = (a 128, 0x204080) and
// specular S = (a 64, r 128, g 128, b 230).
struct PixelCase {
    const char* name;
    const char* source;
    Color texture0;
    Color texture1;
    float c0w;
    Color expected;
};

TEST_F(ShaderTest, pixelProgramsOfTheShaderSlots)
{
    const PixelCase cases[] = {
        // Colour t0; alpha c0.w * t1.a * t0.a * v0.a = 0.5^4.
        { "sky layer",
            "ps.1.0\ntex t0\ntex t1\nmul r0.a, t0.a, v0.a\nmul r1.a, t1.a, r0.a\nmov r1.rgb, t0\nmul r0.a, "
            "c0.a, r1.a\n"
            "mov r0.rgb, r1",
            0x80336699u, 0x80FFFFFFu, 0.5f, 0x10336699u },
        // sat(dot(2 t0 - 1, 2 v1 - 1))^4 with t0 = (128, 128, 255), v1 = (128, 128, 230): 0.8039^4.
        { "SpecBump",
            "ps.1.1\ntex t0\ndp3_sat r0, t0_bx2, v1_bx2\nmul r1.rgb, r0, r0\nmul r0.rgb, r1, r1\nmul r0.a, "
            "v0.a, t0.a",
            0xFF8080FFu, 0xFFFFFFFFu, 0, 0x806A6A6Au },
        { "SpecMap", "ps.1.0\ntex t0\ntex t1\nmov r0, v1", 0xFF000000u, 0xFF000000u, 0, 0x408080E6u },
    };
    struct Vertex {
        float x, y, z, rhw;
        Color diffuse, specular;
        float u, v;
    };
    Vertex quad[4] = { { -0.5f, -0.5f, 0.5f, 1, 0x80204080u, 0x408080E6u, 0, 0 },
        { 15.5f, -0.5f, 0.5f, 1, 0x80204080u, 0x408080E6u, 1, 0 },
        { -0.5f, 15.5f, 0.5f, 1, 0x80204080u, 0x408080E6u, 0, 1 },
        { 15.5f, 15.5f, 0.5f, 1, 0x80204080u, 0x408080E6u, 1, 1 } };
    for (const PixelCase& c : cases) {
        std::vector<uint32_t> tokens = Assemble(c.source);
        uint32_t handle = 0;
        ASSERT_EQ(m_device->CreatePixelShader(tokens.data(), handle), Result::Ok) << c.name;
        m_device->SetTexture(0, SolidTexture(c.texture0));
        m_device->SetTexture(1, SolidTexture(c.texture1));
        const float c0[4] = { c.c0w, 0, 0, c.c0w };
        m_device->SetPixelShaderConstant(0, c0, 1);
        m_device->SetPixelShader(handle);
        Begin();
        m_device->Clear(0, nullptr, clear::kTarget, 0, 1, 0);
        m_device->SetVertexShader(fvf::kXyzRhw | fvf::kDiffuse | fvf::kSpecular | fvf::kTex1);
        ASSERT_EQ(
            m_device->DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, quad, sizeof(Vertex)), Result::Ok);
        End();
        EXPECT_PIXEL(Pixel(8, 8, m_target), c.expected) << c.name;
        m_device->SetPixelShader(0);
        m_device->DeletePixelShader(handle);
    }
}

} // namespace
} // namespace plat::gfx::gltest
