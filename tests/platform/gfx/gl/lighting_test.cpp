// Per-vertex lighting with the Direct3D 8 formulas, and the specular probe the shader slots
// run at start-up, set up exactly as they set it up.
#include "tests/platform/gfx/gl/gl_fixture.h"

#include <cmath>
#include <cstring>

namespace plat::gfx::gltest {
namespace {

struct LitVertex {
    float x, y, z;
    float nx, ny, nz;
    Color diffuse;
};
constexpr uint32_t kLitFvf = fvf::kXyz | fvf::kNormal | fvf::kDiffuse;

struct NormalVertex {
    float x, y, z;
    float nx, ny, nz;
    float u, v;
};
constexpr uint32_t kNormalFvf = fvf::kXyz | fvf::kNormal | fvf::kTex1;

ColorValue Rgba(float r, float g, float b, float a = 1)
{
    return { r, g, b, a };
}

class LightingTest : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        CreateDevice(16, 16);
        m_device->SetTransform(Transform::Projection, Perspective(1.5707964f, 1, 0.1f, 100));
        m_device->SetRenderState(RenderState::CullMode, uint32_t(Cull::None));
        m_device->SetTextureStageState(0, StageState::ColorOp, uint32_t(TextureOp::SelectArg1));
        m_device->SetTextureStageState(0, StageState::ColorArg1, uint32_t(TextureArg::Diffuse));
    }

    // A quad facing the camera at distance z, half size h, with or without vertex colours.
    void Quad(float z, float h, bool withColor, Color color = 0xFF00FF00u)
    {
        LitVertex v[4] = { { -h, h, z, 0, 0, -1, color }, { h, h, z, 0, 0, -1, color },
            { -h, -h, z, 0, 0, -1, color }, { h, -h, z, 0, 0, -1, color } };
        Begin();
        ClearTarget(0xFF000000u);
        if (withColor) {
            m_device->SetVertexShader(kLitFvf);
            ASSERT_EQ(
                m_device->DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, v, sizeof(LitVertex)), Result::Ok);
        } else {
            struct Plain {
                float x, y, z, nx, ny, nz;
            } p[4];
            for (int i = 0; i < 4; ++i)
                p[i] = { v[i].x, v[i].y, v[i].z, 0, 0, -1 };
            m_device->SetVertexShader(fvf::kXyz | fvf::kNormal);
            ASSERT_EQ(
                m_device->DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, p, sizeof(Plain)), Result::Ok);
        }
        End();
    }
};

TEST_F(LightingTest, directionalLightWithGlobalAmbient)
{
    Material material;
    material.diffuse = Rgba(1, 1, 1);
    material.ambient = Rgba(1, 1, 1);
    m_device->SetMaterial(material);
    Light light;
    light.type = LightType::Directional;
    light.diffuse = Rgba(0.5f, 0.25f, 0.0f);
    light.direction = { 0, 0, 1 };
    m_device->SetLight(0, light);
    m_device->LightEnable(0, true);
    m_device->SetRenderState(RenderState::Ambient, 0x00202020u);
    Quad(5, 5, false);
    // 0.5 + 32/255, 0.25 + 32/255, 32/255
    EXPECT_RGB(Pixel(8, 8), 0x00A06020u);
    // Lit from behind: ambient only.
    light.direction = { 0, 0, -1 };
    m_device->SetLight(0, light);
    Quad(5, 5, false);
    EXPECT_RGB(Pixel(8, 8), 0x00202020u);
}

TEST_F(LightingTest, pointLightAttenuatesAndStopsAtItsRange)
{
    Material material;
    material.diffuse = Rgba(1, 1, 1);
    m_device->SetMaterial(material);
    Light light;
    light.type = LightType::Point;
    light.diffuse = Rgba(1, 1, 1);
    light.position = { 0, 0, 0 };
    light.range = 100;
    light.attenuation0 = 0;
    light.attenuation1 = 0.2f; // 1 / (0.2 d) = 1 at d = 5, 0.5 at d = 10
    m_device->SetLight(1, light);
    m_device->LightEnable(1, true);
    m_device->SetRenderState(RenderState::Ambient, 0);
    // Small quads, so the corners' distances stay near the centre's.
    Quad(5, 0.3f, false);
    EXPECT_RGB(Pixel(8, 8), 0x00FFFFFFu);
    Quad(10, 0.3f, false);
    EXPECT_RGB(Pixel(8, 8), 0x00808080u);
    light.range = 9.9f;
    m_device->SetLight(1, light);
    Quad(10, 0.3f, false);
    EXPECT_RGB(Pixel(8, 8), 0x00000000u);
}

TEST_F(LightingTest, lightsAtHighIndicesUpTo231Light)
{
    Material material;
    material.diffuse = Rgba(1, 1, 1);
    m_device->SetMaterial(material);
    m_device->SetRenderState(RenderState::Ambient, 0);
    struct Case {
        uint32_t index;
        ColorValue diffuse;
    };
    const Case cases[] = { { 32, Rgba(0.5f, 0, 0) }, { 200, Rgba(0, 0.5f, 0) }, { 231, Rgba(0, 0, 0.5f) } };
    for (const Case& c : cases) {
        Light light;
        light.type = LightType::Point;
        light.diffuse = c.diffuse;
        light.position = { 0, 0, 0 };
        light.range = 100;
        light.attenuation0 = 1;
        ASSERT_EQ(m_device->SetLight(c.index, light), Result::Ok);
        ASSERT_EQ(m_device->LightEnable(c.index, true), Result::Ok);
    }
    Quad(5, 0.3f, false);
    EXPECT_RGB(Pixel(8, 8), 0x00808080u) << "the three lights add up";
    ASSERT_EQ(m_device->LightEnable(231, false), Result::Ok);
    Quad(5, 0.3f, false);
    EXPECT_RGB(Pixel(8, 8), 0x00808000u);
    for (uint32_t index : { 32u, 200u })
        m_device->LightEnable(index, false);
}

TEST_F(LightingTest, materialSourcesTakeVertexColoursWhenTheVertexHasThem)
{
    Material material;
    material.diffuse = Rgba(0, 0, 1);
    m_device->SetMaterial(material);
    Light light;
    light.type = LightType::Directional;
    light.diffuse = Rgba(1, 1, 1);
    light.direction = { 0, 0, 1 };
    m_device->SetLight(0, light);
    m_device->LightEnable(0, true);
    m_device->SetRenderState(RenderState::Ambient, 0);
    struct Case {
        bool colorVertex;
        bool vertexHasColor;
        MaterialSource source;
        Color expected;
    };
    const Case cases[] = {
        { true, true, MaterialSource::Color1, 0x0000FF00u },
        { true, false, MaterialSource::Color1, 0x000000FFu }, // the vertex lacks it: the material's
        { false, true, MaterialSource::Color1, 0x000000FFu },
        { true, true, MaterialSource::Material, 0x000000FFu },
    };
    for (const Case& c : cases) {
        m_device->SetRenderState(RenderState::ColorVertex, c.colorVertex);
        m_device->SetRenderState(RenderState::DiffuseMaterialSource, uint32_t(c.source));
        Quad(5, 5, c.vertexHasColor);
        EXPECT_RGB(Pixel(8, 8), c.expected)
            << "colorvertex " << c.colorVertex << " colour " << c.vertexHasColor;
    }
}

TEST_F(LightingTest, colorTwoTakesTheVertexSpecularAsTheMaterialColour)
{
    struct SpecularVertex {
        float x, y, z, nx, ny, nz;
        Color diffuse;
        Color specular;
    };
    Material material;
    material.diffuse = Rgba(0, 0, 1);
    m_device->SetMaterial(material);
    Light light;
    light.type = LightType::Directional;
    light.diffuse = Rgba(1, 1, 1);
    light.direction = { 0, 0, 1 };
    m_device->SetLight(0, light);
    m_device->LightEnable(0, true);
    m_device->SetRenderState(RenderState::Ambient, 0);
    m_device->SetRenderState(RenderState::ColorVertex, 1);
    m_device->SetRenderState(RenderState::SpecularEnable, 0);
    const Color diffuse = 0xFF00FF00u;
    const Color specular = 0xFFC04020u;
    const SpecularVertex v[4]
        = { { -5, 5, 5, 0, 0, -1, diffuse, specular }, { 5, 5, 5, 0, 0, -1, diffuse, specular },
              { -5, -5, 5, 0, 0, -1, diffuse, specular }, { 5, -5, 5, 0, 0, -1, diffuse, specular } };
    for (MaterialSource source : { MaterialSource::Color2, MaterialSource::Color1 }) {
        m_device->SetRenderState(RenderState::DiffuseMaterialSource, uint32_t(source));
        Begin();
        ClearTarget(0xFF000000u);
        m_device->SetVertexShader(fvf::kXyz | fvf::kNormal | fvf::kDiffuse | fvf::kSpecular);
        ASSERT_EQ(m_device->DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, v, sizeof(SpecularVertex)),
            Result::Ok);
        End();
        EXPECT_RGB(Pixel(8, 8), source == MaterialSource::Color2 ? 0x00C04020u : 0x0000FF00u);
    }
}

// The specular probe: a 32x32 target of the back-buffer format, a quad at z 10 facing the
// camera, specular only, read at (16, 16).
class SpecularProbeTest : public GlTest, public ::testing::WithParamInterface<Format> { };

TEST_P(SpecularProbeTest, readsTheBlueThatPassesTheProbe)
{
    Format format = GetParam();
    CreateDevice(64, 64, format);
    Surface* target = nullptr;
    ASSERT_EQ(m_device->CreateRenderTarget(32, 32, format, MultiSample::None, true, &target), Result::Ok);
    Surface* oldTarget = nullptr;
    Surface* oldDepth = nullptr;
    m_device->GetRenderTarget(&oldTarget);
    m_device->GetDepthStencilSurface(&oldDepth);
    ASSERT_EQ(m_device->SetRenderTarget(target, nullptr), Result::Ok);
    m_device->SetRenderState(RenderState::ZEnable, 0);
    m_device->SetViewport({ 0, 0, 32, 32, 0, 1 });

    VertexBuffer* vb = nullptr;
    IndexBuffer* ib = nullptr;
    ASSERT_EQ(m_device->CreateVertexBuffer(
                  4 * sizeof(NormalVertex), usage::kWriteOnly, kNormalFvf, Pool::Managed, &vb),
        Result::Ok);
    ASSERT_EQ(
        m_device->CreateIndexBuffer(12, usage::kWriteOnly, Format::Index16, Pool::Managed, &ib), Result::Ok);
    uint8_t* bytes = nullptr;
    ASSERT_EQ(vb->Lock(0, 0, &bytes, 0), Result::Ok);
    auto* v = reinterpret_cast<NormalVertex*>(bytes);
    for (int i = 0; i < 4; ++i)
        v[i] = { float((i % 2) - 0.5) * 10, float((i / 2) - 0.5) * 10, 10, 0, 0, -1, 0, 0 };
    vb->Unlock();
    ASSERT_EQ(ib->Lock(0, 0, &bytes, 0), Result::Ok);
    const uint16_t indices[6] = { 0, 1, 2, 2, 1, 3 };
    std::memcpy(bytes, indices, sizeof indices);
    ib->Unlock();

    m_device->SetRenderState(RenderState::Ambient, 0);
    m_device->SetRenderState(RenderState::CullMode, uint32_t(Cull::None));
    m_device->SetRenderState(RenderState::Lighting, 1);
    Material material;
    material.specular = Rgba(1, 1, 1, 1);
    material.power = 10;
    m_device->SetMaterial(material);
    Light light;
    light.type = LightType::Directional;
    light.specular = Rgba(0.5f, 0.5f, 0.5f, 0.5f);
    light.direction = { 0, 0, 1 };
    m_device->SetLight(0, light);
    m_device->LightEnable(0, true);
    m_device->SetTransform(Transform::Projection, Perspective(1.5707964f, 1, 0.1f, 1000));
    m_device->SetTexture(0, nullptr);
    m_device->SetRenderState(RenderState::SpecularEnable, 0);
    m_device->SetTextureStageState(0, StageState::ColorOp, uint32_t(TextureOp::SelectArg1));
    m_device->SetTextureStageState(0, StageState::ColorArg1, uint32_t(TextureArg::Specular));

    Begin();
    m_device->SetVertexShader(kNormalFvf);
    m_device->SetStreamSource(0, vb, sizeof(NormalVertex));
    m_device->SetIndices(ib, 0);
    ASSERT_EQ(m_device->DrawIndexedPrimitive(PrimitiveType::TriangleList, 0, 4, 0, 2), Result::Ok);
    End();
    uint32_t pixel = Pixel(16, 16, target);
    if (format == Format::X8R8G8B8) {
        int blue = int(pixel & 0xFF);
        EXPECT_NEAR(blue, 79, 2);
        EXPECT_GT(blue, 64);
        EXPECT_LT(blue, 96);
    } else {
        int blue = int(pixel & 0x1F);
        EXPECT_TRUE(blue == 9 || blue == 10) << "five-bit blue " << blue;
    }

    m_device->SetRenderTarget(oldTarget, oldDepth);
    m_device->SetStreamSource(0, nullptr, 0);
    m_device->SetIndices(nullptr, 0);
    oldTarget->Release();
    if (oldDepth)
        oldDepth->Release();
    target->Release();
    vb->Release();
    ib->Release();
}

INSTANTIATE_TEST_SUITE_P(
    BackBufferFormats, SpecularProbeTest, ::testing::Values(Format::X8R8G8B8, Format::R5G6B5));

} // namespace
} // namespace plat::gfx::gltest
