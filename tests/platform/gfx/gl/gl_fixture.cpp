#include "tests/platform/gfx/gl/gl_fixture.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace plat::gfx::gltest {

::testing::AssertionResult PixelNear(
    const char* ae, const char* be, const char*, uint32_t a, uint32_t b, int tolerance)
{
    if (Near(a, b, tolerance))
        return ::testing::AssertionSuccess();
    char text[160];
    std::snprintf(text, sizeof text, "%s is 0x%08X, %s is 0x%08X (tolerance %d)", ae, a, be, b, tolerance);
    return ::testing::AssertionFailure() << text;
}

void GlTest::SetUp()
{
    m_gl.emplace();
    m_adapter = CreateAdapter("gl", CapsProfile::Full);
    ASSERT_NE(m_adapter, nullptr);
    ASSERT_TRUE(zoq::test::GlEnvironment::DriverReady());
}

void GlTest::TearDown()
{
    for (Resource* resource : m_owned)
        resource->Release();
    m_owned.clear();
    if (m_device)
        m_device->Release();
    if (m_adapter)
        m_adapter->Release();
    m_gl.reset();
}

void GlTest::CreateDevice(uint32_t width, uint32_t height, Format format, MultiSample multiSample)
{
    m_params = PresentParameters {};
    m_params.windowed = true;
    m_params.backBufferWidth = width;
    m_params.backBufferHeight = height;
    m_params.backBufferFormat = format;
    m_params.enableAutoDepthStencil = true;
    m_params.autoDepthStencilFormat = Format::D24S8;
    m_params.multiSample = multiSample;
    m_params.flags = multiSample == MultiSample::None ? present::kLockableBackBuffer : 0;
    ASSERT_EQ(m_adapter->CreateDevice(
                  0, DeviceType::Hal, nullptr, create::kHardwareVertexProcessing, m_params, &m_device),
        Result::Ok);
    ASSERT_NE(gl::FromDevice(*m_device), nullptr);
}

std::vector<uint32_t> GlTest::Read(Surface* surface)
{
    Surface* target = surface;
    if (!target) {
        EXPECT_EQ(m_device->GetRenderTarget(&target), Result::Ok);
        if (!target)
            return {};
    }
    std::vector<uint32_t> out(size_t(target->Width()) * target->Height());
    LockedRect locked;
    Result r = target->LockRect(locked, nullptr, lock::kReadOnly);
    EXPECT_EQ(r, Result::Ok);
    if (r == Result::Ok) {
        for (uint32_t y = 0; y < target->Height(); ++y) {
            const uint8_t* row = static_cast<const uint8_t*>(locked.bits) + size_t(y) * size_t(locked.pitch);
            for (uint32_t x = 0; x < target->Width(); ++x) {
                uint32_t value = 0;
                if (target->GetFormat() == Format::R5G6B5) {
                    uint16_t v16;
                    std::memcpy(&v16, row + 2 * x, 2);
                    value = v16;
                } else {
                    std::memcpy(&value, row + 4 * x, 4);
                    if (target->GetFormat() == Format::X8R8G8B8)
                        value |= 0xFF000000u;
                }
                out[size_t(y) * target->Width() + x] = value;
            }
        }
        target->UnlockRect();
    }
    if (!surface)
        target->Release();
    return out;
}

uint32_t GlTest::Pixel(int x, int y, Surface* surface)
{
    Surface* target = surface;
    if (!target && m_device->GetRenderTarget(&target) != Result::Ok)
        return 0;
    uint32_t width = target->Width();
    if (!surface)
        target->Release();
    std::vector<uint32_t> pixels = Read(surface);
    size_t at = size_t(y) * width + size_t(x);
    return at < pixels.size() ? pixels[at] : 0;
}

void GlTest::DrawScreen(const std::vector<ScreenVertex>& vertices, PrimitiveType type)
{
    ASSERT_EQ(m_device->SetVertexShader(kScreenFvf), Result::Ok);
    uint32_t count = uint32_t(vertices.size());
    uint32_t primitives = type == PrimitiveType::TriangleList ? count / 3
        : type == PrimitiveType::PointList                    ? count
        : type == PrimitiveType::LineList                     ? count / 2
        : type == PrimitiveType::LineStrip                    ? count - 1
                                                              : count - 2;
    ASSERT_EQ(m_device->DrawPrimitiveUP(type, primitives, vertices.data(), sizeof(ScreenVertex)), Result::Ok);
}

void GlTest::ScreenQuad(float x0, float y0, float x1, float y1, Color color, float z)
{
    float l = x0 - 0.5f, t = y0 - 0.5f, r = x1 - 0.5f, b = y1 - 0.5f;
    DrawScreen({ { l, t, z, 1, color, 0, 0 }, { r, t, z, 1, color, 1, 0 }, { l, b, z, 1, color, 0, 1 },
        { r, b, z, 1, color, 1, 1 } });
}

Texture* GlTest::MakeTexture(
    uint32_t width, uint32_t height, const std::vector<uint32_t>& texels, Format format)
{
    Texture* texture = nullptr;
    EXPECT_EQ(m_device->CreateTexture(width, height, 1, 0, format, Pool::Managed, &texture), Result::Ok);
    if (!texture)
        return nullptr;
    m_owned.push_back(texture);
    LockedRect locked;
    EXPECT_EQ(texture->LockRect(0, locked, nullptr, 0), Result::Ok);
    for (uint32_t y = 0; y < height; ++y)
        std::memcpy(static_cast<uint8_t*>(locked.bits) + size_t(y) * size_t(locked.pitch),
            texels.data() + size_t(y) * width, width * 4);
    EXPECT_EQ(texture->UnlockRect(0), Result::Ok);
    return texture;
}

Texture* GlTest::SolidTexture(Color color, Format format)
{
    return MakeTexture(4, 4, std::vector<uint32_t>(16, color), format);
}

void GlTest::ClearTarget(Color color)
{
    Surface* depth = nullptr;
    uint32_t flags = clear::kTarget;
    if (m_device->GetDepthStencilSurface(&depth) == Result::Ok) {
        flags |= clear::kZBuffer;
        depth->Release();
    }
    ASSERT_EQ(m_device->Clear(0, nullptr, flags, color, 1.0f, 0), Result::Ok);
}

} // namespace plat::gfx::gltest
