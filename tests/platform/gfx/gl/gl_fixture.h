// A gl-backend device on the offscreen driver with a small lockable back buffer, and helpers
// to draw and read pixels back.
#pragma once

#include "platform/gfx/adapter.h"
#include "platform/gfx/device.h"
#include "platform/gfx/fvf.h"
#include "platform/gfx/gl/gl_backend.h"
#include "tests/support/gl_environment.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <vector>

namespace plat::gfx::gltest {

// A pre-transformed vertex: screen position, colour, one coordinate set.
struct ScreenVertex {
    float x, y, z, rhw;
    Color diffuse;
    float u, v;
};
constexpr uint32_t kScreenFvf = fvf::kXyzRhw | fvf::kDiffuse | fvf::kTex1;

// An untransformed vertex with a colour and one coordinate set.
struct ColorVertex {
    float x, y, z;
    Color diffuse;
    float u, v;
};
constexpr uint32_t kColorFvf = fvf::kXyz | fvf::kDiffuse | fvf::kTex1;

inline int Channel(uint32_t argb, int shift)
{
    return int((argb >> shift) & 0xFF);
}

// Each channel within `tolerance`.
inline bool Near(uint32_t a, uint32_t b, int tolerance = 2)
{
    for (int shift : { 0, 8, 16, 24 })
        if (std::abs(Channel(a, shift) - Channel(b, shift)) > tolerance)
            return false;
    return true;
}

// Left-handed perspective on row vectors: view z = near maps to 0, far to 1.
inline Matrix Perspective(float fovY, float aspect, float nearZ, float farZ)
{
    float h = 1.0f / std::tan(fovY / 2);
    Matrix m;
    m.m[0][0] = h / aspect;
    m.m[1][1] = h;
    m.m[2][2] = farZ / (farZ - nearZ);
    m.m[2][3] = 1;
    m.m[3][2] = -nearZ * farZ / (farZ - nearZ);
    return m;
}

::testing::AssertionResult PixelNear(
    const char* ae, const char* be, const char*, uint32_t a, uint32_t b, int tolerance);

#define EXPECT_PIXEL(actual, expected)                                                                       \
    EXPECT_PRED_FORMAT3(::plat::gfx::gltest::PixelNear, actual, expected, 2)
#define EXPECT_RGB(actual, expected)                                                                         \
    EXPECT_PRED_FORMAT3(::plat::gfx::gltest::PixelNear, (actual) | 0xFF000000u, (expected) | 0xFF000000u, 2)

class GlTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A device with a lockable back buffer of that size and format and a D24S8 depth buffer.
    void CreateDevice(uint32_t width = 16, uint32_t height = 16, Format format = Format::X8R8G8B8,
        MultiSample multiSample = MultiSample::None);

    // Pixels of a surface (the current target when null) as 0xAARRGGBB; R5G6B5 pixels come
    // back raw in the low 16 bits.
    std::vector<uint32_t> Read(Surface* surface = nullptr);
    uint32_t Pixel(int x, int y, Surface* surface = nullptr);

    // A screen quad over [x0, x1) x [y0, y1), corners on pixel edges, coordinates 0..1.
    void ScreenQuad(float x0, float y0, float x1, float y1, Color color, float z = 0.5f);
    void DrawScreen(
        const std::vector<ScreenVertex>& vertices, PrimitiveType type = PrimitiveType::TriangleStrip);

    // A managed texture filled from 0xAARRGGBB texels (A8R8G8B8, X8R8G8B8) rows top first.
    Texture* MakeTexture(uint32_t width, uint32_t height, const std::vector<uint32_t>& texels,
        Format format = Format::A8R8G8B8);
    // Solid colour texture.
    Texture* SolidTexture(Color color, Format format = Format::A8R8G8B8);

    void Begin() { ASSERT_EQ(m_device->BeginScene(), Result::Ok); }
    void End() { ASSERT_EQ(m_device->EndScene(), Result::Ok); }
    void ClearTarget(Color color);

    gl::GlDevice& Gl() { return *gl::FromDevice(*m_device); }

    std::optional<zoq::test::GlEnvironment> m_gl;
    Adapter* m_adapter = nullptr;
    Device* m_device = nullptr;
    PresentParameters m_params;
    std::vector<Resource*> m_owned; // released at tear-down
};

} // namespace plat::gfx::gltest
