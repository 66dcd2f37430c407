// Adapter: backend choice, profiles, format and device-type checks, device creation.
#include "tests/platform/gfx/gfx_fixture.h"

#include "tests/support/scoped_env.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace plat::gfx::test {
namespace {

using zoq::test::ScopedEnv;

TEST(Backends, environmentPicksTheBackendAndTheProfile)
{
    {
        ScopedEnv gfx("ZOQ_GFX", "null");
        ScopedEnv caps("ZOQ_GFX_CAPS", "minimal");
        Adapter* adapter = CreateAdapter();
        ASSERT_NE(adapter, nullptr);
        EXPECT_STREQ(adapter->BackendName(), "null");
        EXPECT_EQ(adapter->GetCapsProfile(), CapsProfile::Minimal);
        Caps c;
        adapter->GetDeviceCaps(0, DeviceType::Hal, c);
        EXPECT_EQ(c.maxTextureBlendStages, 2u);
        adapter->Release();
    }
    {
        ScopedEnv gfx("ZOQ_GFX", "null");
        ScopedEnv caps("ZOQ_GFX_CAPS", "tiny");
        testing::internal::CaptureStderr();
        EXPECT_EQ(CreateAdapter(), nullptr);
        EXPECT_NE(testing::internal::GetCapturedStderr().find("ZOQ_GFX_CAPS"), std::string::npos);
    }
    {
        ScopedEnv gfx("ZOQ_GFX", "vulkan");
        ScopedEnv caps("ZOQ_GFX_CAPS", nullptr);
        testing::internal::CaptureStderr();
        EXPECT_EQ(CreateAdapter(), nullptr);
        EXPECT_NE(testing::internal::GetCapturedStderr().find("'vulkan' is not built"), std::string::npos);
    }
    // Unset: the first backend built, gl when it is there (its own tests cover it).
    ASSERT_FALSE(BuiltBackends().empty());
    EXPECT_STREQ(BuiltBackends().back().name, "null");
    if (std::string_view(BuiltBackends()[0].name) == "null") {
        ScopedEnv gfx("ZOQ_GFX", nullptr);
        ScopedEnv caps("ZOQ_GFX_CAPS", nullptr);
        testing::internal::CaptureStderr();
        Adapter* adapter = CreateAdapter();
        EXPECT_NE(testing::internal::GetCapturedStderr().find("'gl' is not built"), std::string::npos);
        ASSERT_NE(adapter, nullptr);
        EXPECT_STREQ(adapter->BackendName(), "null");
        EXPECT_EQ(adapter->GetCapsProfile(), CapsProfile::Full);
        adapter->Release();
    } else {
        EXPECT_STREQ(BuiltBackends()[0].name, "gl");
    }
}

TEST(Caps, theMinimalProfileDiffersExactlyInItsListedItems)
{
    Caps full = null::FullCaps(DeviceType::Hal);
    Caps minimal = MinimalCaps(full);
    EXPECT_EQ(minimal.maxTextureBlendStages, 2u);
    EXPECT_EQ(minimal.maxSimultaneousTextures, 2u);
    EXPECT_FALSE(minimal.argTemp);
    EXPECT_FALSE(minimal.textureOps & OpBit(TextureOp::BumpEnvMap));
    EXPECT_FALSE(minimal.textureOps & OpBit(TextureOp::DotProduct3));
    EXPECT_TRUE(minimal.textureOps & OpBit(TextureOp::MultiplyAdd));
    EXPECT_EQ(minimal.vertexShaderVersion, 0u);
    EXPECT_EQ(minimal.pixelShaderVersion, 0u);
    EXPECT_FALSE(minimal.projectedTextures);
    EXPECT_FALSE(minimal.borderAddress);
    EXPECT_FALSE(minimal.anisotropy);
    EXPECT_FALSE(minimal.fogTable);
    EXPECT_FALSE(minimal.fogRange);
    EXPECT_FALSE(minimal.dynamicTextures);
    EXPECT_FALSE(minimal.dxt5Textures);
    EXPECT_LE(minimal.maxVertexBlendMatrices, 1u);
    EXPECT_LE(minimal.maxPointSize, 1.0f);
    EXPECT_FALSE(minimal.fullscreenGamma);
    // Everything else is the full profile's.
    Caps back = minimal;
    back.maxTextureBlendStages = full.maxTextureBlendStages;
    back.maxSimultaneousTextures = full.maxSimultaneousTextures;
    back.argTemp = full.argTemp;
    back.textureOps = full.textureOps;
    back.vertexShaderVersion = full.vertexShaderVersion;
    back.maxVertexShaderConst = full.maxVertexShaderConst;
    back.pixelShaderVersion = full.pixelShaderVersion;
    back.maxPixelShaderValue = full.maxPixelShaderValue;
    back.projectedTextures = full.projectedTextures;
    back.borderAddress = full.borderAddress;
    back.anisotropy = full.anisotropy;
    back.maxAnisotropy = full.maxAnisotropy;
    back.fogTable = full.fogTable;
    back.fogRange = full.fogRange;
    back.dynamicTextures = full.dynamicTextures;
    back.dxt5Textures = full.dxt5Textures;
    back.maxVertexBlendMatrices = full.maxVertexBlendMatrices;
    back.maxPointSize = full.maxPointSize;
    back.fullscreenGamma = full.fullscreenGamma;
    EXPECT_EQ(back, full);
    // The full profile has every listed operation, never the luminance bump.
    EXPECT_EQ(full.textureOps, kAllTextureOps);
    EXPECT_FALSE(full.textureOps & OpBit(TextureOp::BumpEnvMapLuminance));
    EXPECT_EQ(full.maxActiveLights, 16u);
    EXPECT_EQ(full.maxStreams, 1u);
    EXPECT_FALSE(full.pureDevice);
}

TEST_F(GfxTest, formatProbesFindWhatTheLayerHasAndFallThroughTheRest)
{
    struct Row {
        uint32_t usage;
        ResourceType type;
        Format format;
        Result full;
        Result minimal;
    };
    const Row rows[] = {
        { 0, ResourceType::Texture, Format::A8R8G8B8, Result::Ok, Result::Ok },
        { 0, ResourceType::Texture, Format::X8R8G8B8, Result::Ok, Result::Ok },
        { 0, ResourceType::Texture, Format::R5G6B5, Result::Ok, Result::Ok },
        { 0, ResourceType::Texture, Format::A4R4G4B4, Result::Ok, Result::Ok },
        { 0, ResourceType::Texture, Format::A1R5G5B5, Result::Ok, Result::Ok },
        { 0, ResourceType::Texture, Format::Dxt1, Result::Ok, Result::Ok },
        { 0, ResourceType::Texture, Format::Dxt3, Result::Ok, Result::Ok },
        { 0, ResourceType::Texture, Format::Dxt5, Result::Ok, Result::NotAvailable },
        { 0, ResourceType::Texture, Format::V8U8, Result::Ok, Result::Ok },
        { usage::kDynamic, ResourceType::Texture, Format::Dxt3, Result::Ok, Result::NotAvailable },
        { usage::kRenderTarget, ResourceType::Texture, Format::A8R8G8B8, Result::Ok, Result::Ok },
        { usage::kRenderTarget, ResourceType::Texture, Format::A4R4G4B4, Result::NotAvailable,
            Result::NotAvailable },
        { usage::kDepthStencil, ResourceType::Surface, Format::D24S8, Result::Ok, Result::Ok },
        { usage::kDepthStencil, ResourceType::Surface, Format::D24X8, Result::Ok, Result::Ok },
        { usage::kDepthStencil, ResourceType::Surface, Format::D16, Result::Ok, Result::Ok },
        { usage::kDepthStencil, ResourceType::Surface, Format::D32, Result::NotAvailable,
            Result::NotAvailable },
        { usage::kDepthStencil, ResourceType::Surface, Format::D24X4S4, Result::NotAvailable,
            Result::NotAvailable },
        { 0, ResourceType::Texture, Format::R8G8B8, Result::NotAvailable, Result::NotAvailable },
        { 0, ResourceType::Texture, Format::X1R5G5B5, Result::NotAvailable, Result::NotAvailable },
        { 0, ResourceType::Texture, Format::A8, Result::NotAvailable, Result::NotAvailable },
        { 0, ResourceType::Texture, Format::P8, Result::NotAvailable, Result::NotAvailable },
        { 0, ResourceType::Texture, Format::L6V5U5, Result::NotAvailable, Result::NotAvailable },
        { 0, ResourceType::Texture, Format::X8L8V8U8, Result::NotAvailable, Result::NotAvailable },
        { 0, ResourceType::IndexBuffer, Format::Index16, Result::Ok, Result::Ok },
        { 0, ResourceType::IndexBuffer, Format::Index32, Result::NotAvailable, Result::NotAvailable },
        { 0, ResourceType::CubeTexture, Format::A8R8G8B8, Result::NotAvailable, Result::NotAvailable },
    };
    for (CapsProfile profile : { CapsProfile::Full, CapsProfile::Minimal }) {
        m_adapter->SetCapsProfile(profile);
        for (const Row& row : rows)
            EXPECT_EQ(m_adapter->CheckDeviceFormat(
                          0, DeviceType::Hal, Format::X8R8G8B8, row.usage, row.type, row.format),
                profile == CapsProfile::Full ? row.full : row.minimal)
                << FormatName(row.format) << (profile == CapsProfile::Full ? " full" : " minimal");
    }
    EXPECT_EQ(m_adapter->CheckDeviceFormat(
                  0, DeviceType::Ref, Format::X8R8G8B8, 0, ResourceType::Texture, Format::A8R8G8B8),
        Result::NotAvailable)
        << "no REF device unless configured";
    EXPECT_EQ(m_adapter->CheckDeviceFormat(
                  1, DeviceType::Hal, Format::X8R8G8B8, 0, ResourceType::Texture, Format::A8R8G8B8),
        Result::InvalidCall);
}

TEST_F(GfxTest, deviceTypeDepthAndMultisampleChecks)
{
    EXPECT_EQ(
        m_adapter->CheckDeviceType(0, DeviceType::Hal, Format::X8R8G8B8, Format::X8R8G8B8, true), Result::Ok);
    EXPECT_EQ(
        m_adapter->CheckDeviceType(0, DeviceType::Hal, Format::R5G6B5, Format::R5G6B5, false), Result::Ok);
    EXPECT_EQ(m_adapter->CheckDeviceType(0, DeviceType::Hal, Format::A8R8G8B8, Format::A8R8G8B8, true),
        Result::NotAvailable);
    EXPECT_EQ(m_adapter->CheckDeviceType(0, DeviceType::Hal, Format::X1R5G5B5, Format::X1R5G5B5, false),
        Result::NotAvailable);
    EXPECT_EQ(m_adapter->CheckDeviceType(0, DeviceType::Ref, Format::X8R8G8B8, Format::X8R8G8B8, true),
        Result::NotAvailable);
    EXPECT_EQ(m_adapter->CheckDepthStencilMatch(
                  0, DeviceType::Hal, Format::X8R8G8B8, Format::X8R8G8B8, Format::D24S8),
        Result::Ok);
    EXPECT_EQ(
        m_adapter->CheckDepthStencilMatch(0, DeviceType::Hal, Format::R5G6B5, Format::R5G6B5, Format::D16),
        Result::Ok);
    EXPECT_EQ(m_adapter->CheckDepthStencilMatch(
                  0, DeviceType::Hal, Format::X8R8G8B8, Format::X8R8G8B8, Format::D32),
        Result::NotAvailable);
    EXPECT_EQ(
        m_adapter->CheckDeviceMultiSampleType(0, DeviceType::Hal, Format::X8R8G8B8, true, MultiSample::None),
        Result::Ok);
    EXPECT_EQ(m_adapter->CheckDeviceMultiSampleType(
                  0, DeviceType::Hal, Format::X8R8G8B8, true, MultiSample::Samples4),
        Result::Ok);
    EXPECT_EQ(m_adapter->CheckDeviceMultiSampleType(
                  0, DeviceType::Hal, Format::X8R8G8B8, true, MultiSample::Samples8),
        Result::NotAvailable);
    EXPECT_EQ(
        m_adapter->CheckDeviceMultiSampleType(0, DeviceType::Hal, Format::R8G8B8, true, MultiSample::None),
        Result::NotAvailable);
    DisplayMode mode;
    ASSERT_EQ(m_adapter->GetAdapterDisplayMode(0, mode), Result::Ok);
    EXPECT_EQ(mode.format, Format::X8R8G8B8);
    ASSERT_GT(m_adapter->GetAdapterModeCount(0), 0u);
    EXPECT_EQ(m_adapter->EnumAdapterModes(0, m_adapter->GetAdapterModeCount(0), mode), Result::InvalidCall);
}

TEST_F(GfxTest, theNullAdapterIsConfigurablePerDeviceType)
{
    null::Config& config = null::GetConfig();
    config.ref.available = true;
    config.hal.refusedFormats = { Format::D24S8, Format::D24X8, Format::D16 };
    config.desktop.format = Format::A8R8G8B8;
    // The depth walk of the device wrapper finds nothing on HAL and something on REF.
    for (Format depth : { Format::D24S8, Format::D24X4S4, Format::D32, Format::D24X8, Format::D16 })
        EXPECT_NE(m_adapter->CheckDeviceFormat(0, DeviceType::Hal, Format::X8R8G8B8, usage::kDepthStencil,
                      ResourceType::Surface, depth),
            Result::Ok);
    EXPECT_EQ(m_adapter->CheckDeviceFormat(0, DeviceType::Ref, Format::X8R8G8B8, usage::kDepthStencil,
                  ResourceType::Surface, Format::D24S8),
        Result::Ok);
    DisplayMode mode;
    m_adapter->GetAdapterDisplayMode(0, mode);
    EXPECT_EQ(mode.format, Format::A8R8G8B8);
    config.hal.failCreateDevice = true;
    PresentParameters params = Windowed();
    params.enableAutoDepthStencil = false;
    testing::internal::CaptureStderr();
    EXPECT_EQ(m_adapter->CreateDevice(
                  0, DeviceType::Hal, &m_window, create::kMixedVertexProcessing, params, &m_device),
        Result::NotAvailable);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(m_device, nullptr);
    params = Windowed();
    params.autoDepthStencilFormat = Format::D16;
    ASSERT_EQ(m_adapter->CreateDevice(
                  0, DeviceType::Ref, &m_window, create::kSoftwareVertexProcessing, params, &m_device),
        Result::Ok);
    Caps caps;
    m_device->GetDeviceCaps(caps);
    EXPECT_EQ(caps.deviceType, DeviceType::Ref);
}

TEST_F(GfxTest, createDeviceChecksItsParameters)
{
    struct Row {
        const char* name;
        std::function<void(PresentParameters&)> edit;
        uint32_t behaviour;
        Result expected;
    };
    const Row rows[] = {
        { "windowed", [](PresentParameters&) {}, create::kHardwareVertexProcessing, Result::Ok },
        { "full screen mode", [](PresentParameters& p) { p = GfxTest::FullScreen(); },
            create::kHardwareVertexProcessing, Result::Ok },
        { "full screen size without a mode",
            [](PresentParameters& p) {
                p = GfxTest::FullScreen();
                p.backBufferWidth = 801;
            },
            create::kHardwareVertexProcessing, Result::InvalidCall },
        { "16-bit full screen",
            [](PresentParameters& p) {
                p = GfxTest::FullScreen();
                p.backBufferFormat = Format::R5G6B5;
                p.autoDepthStencilFormat = Format::D16;
            },
            create::kHardwareVertexProcessing, Result::Ok },
        { "A8R8G8B8 back buffer", [](PresentParameters& p) { p.backBufferFormat = Format::A8R8G8B8; },
            create::kHardwareVertexProcessing, Result::InvalidCall },
        { "absent depth format", [](PresentParameters& p) { p.autoDepthStencilFormat = Format::D32; },
            create::kHardwareVertexProcessing, Result::InvalidCall },
        { "two vertex processings", [](PresentParameters&) {},
            create::kHardwareVertexProcessing | create::kMixedVertexProcessing, Result::InvalidCall },
        { "pure device", [](PresentParameters&) {}, create::kHardwareVertexProcessing | create::kPureDevice,
            Result::InvalidCall },
        { "multithreaded", [](PresentParameters&) {}, create::kMixedVertexProcessing | create::kMultithreaded,
            Result::Ok },
        { "lockable and multisampled",
            [](PresentParameters& p) {
                p.flags = present::kLockableBackBuffer;
                p.multiSample = MultiSample::Samples2;
            },
            create::kHardwareVertexProcessing, Result::InvalidCall },
    };
    for (const Row& row : rows) {
        PresentParameters params = Windowed();
        row.edit(params);
        testing::internal::CaptureStderr();
        Result r = m_adapter->CreateDevice(0, DeviceType::Hal, &m_window, row.behaviour, params, &m_device);
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(r, row.expected) << row.name;
        if (m_device) {
            m_device->Release();
            m_device = nullptr;
        }
    }
}

} // namespace
} // namespace plat::gfx::test
