// Resources in GL: texture formats as sampled, DXT with and without the driver's s3tc,
// dirty-rectangle uploads, copies and texture updates, dynamic vertex buffers, indexed draws
// with a base vertex, multisampled back buffers read back resolved, failing programs.
#include "tests/platform/gfx/gl/gl_fixture.h"

#include "platform/gfx/d3dx/dxt.h"
#include "platform/gfx/format.h"

#include <algorithm>
#include <cstring>

namespace plat::gfx::gltest {
namespace {

class ResourceTest : public GlTest {
public:
    void SetUp() override
    {
        GlTest::SetUp();
        CreateDevice(16, 16);
        MakeTarget();
    }
    void TearDown() override
    {
        if (m_target)
            m_target->Release();
        m_target = nullptr;
        GlTest::TearDown();
        gl::ForceSoftwareDxt(false);
    }

    void MakeTarget()
    {
        ASSERT_EQ(m_device->CreateRenderTarget(16, 16, Format::A8R8G8B8, MultiSample::None, true, &m_target),
            Result::Ok);
        ASSERT_EQ(m_device->SetRenderTarget(m_target, nullptr), Result::Ok);
        m_device->SetTextureStageState(0, StageState::ColorOp, uint32_t(TextureOp::SelectArg1));
        m_device->SetTextureStageState(0, StageState::AlphaOp, uint32_t(TextureOp::SelectArg1));
    }

    // The texture drawn 1:1 at the top left; its pixels read back.
    std::vector<uint32_t> Show(Texture* texture)
    {
        m_device->SetTexture(0, texture);
        Begin();
        m_device->Clear(0, nullptr, clear::kTarget, 0, 1, 0);
        ScreenQuad(0, 0, float(texture->Width()), float(texture->Height()), 0xFFFFFFFFu);
        End();
        std::vector<uint32_t> all = Read(m_target);
        std::vector<uint32_t> out;
        for (uint32_t y = 0; y < texture->Height(); ++y)
            for (uint32_t x = 0; x < texture->Width(); ++x)
                out.push_back(all[y * 16 + x]);
        return out;
    }

    Texture* Make(uint32_t width, uint32_t height, Format format, const void* data, uint32_t rowBytes,
        Pool pool = Pool::Managed)
    {
        Texture* texture = nullptr;
        EXPECT_EQ(m_device->CreateTexture(width, height, 1, 0, format, pool, &texture), Result::Ok);
        if (!texture)
            return nullptr;
        m_owned.push_back(texture);
        LockedRect locked;
        EXPECT_EQ(texture->LockRect(0, locked, nullptr, 0), Result::Ok);
        uint32_t rows = IsCompressed(format) ? (height + 3) / 4 : height;
        for (uint32_t y = 0; y < rows; ++y)
            std::memcpy(static_cast<uint8_t*>(locked.bits) + size_t(y) * size_t(locked.pitch),
                static_cast<const uint8_t*>(data) + size_t(y) * rowBytes, rowBytes);
        texture->UnlockRect(0);
        return texture;
    }

    Surface* m_target = nullptr;
};

TEST_F(ResourceTest, packedFormatsSampleAsTheirColours)
{
    struct Case {
        Format format;
        uint16_t texels[2];
        Color expected[2];
    };
    const Case cases[] = {
        { Format::R5G6B5, { 0xF800, 0x8410 }, { 0xFFFF0000u, 0xFF848284u } },
        { Format::A4R4G4B4, { 0xF00F, 0x8421 }, { 0xFF0000FFu, 0x88442211u } },
        { Format::A1R5G5B5, { 0xFC00, 0x03E0 }, { 0xFFFF0000u, 0x0000FF00u } },
    };
    for (const Case& c : cases) {
        Texture* texture = Make(2, 1, c.format, c.texels, 4);
        std::vector<uint32_t> shown = Show(texture);
        EXPECT_PIXEL(shown[0], c.expected[0]) << FormatName(c.format);
        EXPECT_PIXEL(shown[1], c.expected[1]) << FormatName(c.format);
    }
    // X8R8G8B8 reads alpha as 1 whatever the byte holds.
    const uint32_t x8[2] = { 0x00123456u, 0x7F654321u };
    std::vector<uint32_t> shown = Show(Make(2, 1, Format::X8R8G8B8, x8, 8));
    EXPECT_EQ(shown[0], 0xFF123456u);
    EXPECT_EQ(shown[1], 0xFF654321u);
}

class DxtTest : public ResourceTest, public ::testing::WithParamInterface<bool> { };

TEST_P(DxtTest, blocksDecodeLikeTheSharedCodecAndSubRectanglesUpload)
{
    bool software = GetParam();
    gl::ForceSoftwareDxt(software);
    m_target->Release();
    m_target = nullptr;
    m_device->Release();
    m_device = nullptr;
    CreateDevice(16, 16);
    MakeTarget();
    EXPECT_EQ(gl::GetStats(Gl()).softwareDxt, software || !gl::GetDriverFacts().s3tc);

    for (Format format : { Format::Dxt1, Format::Dxt3, Format::Dxt5 }) {
        // An 8x8 texture: four blocks, each flat in its own colour; then the top right block
        // rewritten through a locked 4x4 rectangle.
        const Color colours[4] = { 0xFF8040C0u, 0xFF20E060u, 0x80FF0000u, 0xFF0000FFu };
        uint32_t blockBytes = d3dx::DxtBlockBytes(format);
        std::vector<uint8_t> blocks(4 * blockBytes);
        for (int b = 0; b < 4; ++b) {
            uint32_t texels[16];
            for (uint32_t& t : texels)
                t = colours[b];
            d3dx::EncodeDxtBlock(format, texels, blocks.data() + b * blockBytes);
        }
        Texture* texture = Make(8, 8, format, blocks.data(), 2 * blockBytes);
        std::vector<uint32_t> shown = Show(texture);
        for (int b = 0; b < 4; ++b) {
            uint32_t decoded[16];
            d3dx::DecodeDxtBlock(format, blocks.data() + b * blockBytes, decoded);
            uint32_t x = (b % 2) * 4 + 1, y = (b / 2) * 4 + 2;
            EXPECT_PIXEL(shown[y * 8 + x], decoded[0]) << FormatName(format) << " block " << b;
        }

        uint32_t texels[16];
        for (uint32_t& t : texels)
            t = 0xFFFFFF00u;
        std::vector<uint8_t> yellow(blockBytes);
        d3dx::EncodeDxtBlock(format, texels, yellow.data());
        Rect corner { 4, 0, 8, 4 };
        LockedRect locked;
        ASSERT_EQ(texture->LockRect(0, locked, &corner, 0), Result::Ok);
        std::memcpy(locked.bits, yellow.data(), blockBytes);
        texture->UnlockRect(0);
        shown = Show(texture);
        uint32_t decoded[16];
        d3dx::DecodeDxtBlock(format, yellow.data(), decoded);
        EXPECT_PIXEL(shown[1 * 8 + 5], decoded[0]) << FormatName(format) << " rewritten block";
        d3dx::DecodeDxtBlock(format, blocks.data(), decoded);
        EXPECT_PIXEL(shown[1 * 8 + 1], decoded[0]) << FormatName(format) << " untouched block";
    }
}

INSTANTIATE_TEST_SUITE_P(DriverAndCodec, DxtTest, ::testing::Values(false, true));

TEST_F(ResourceTest, aLockedRectangleUploadsOnlyItself)
{
    std::vector<uint32_t> texels(16, 0xFF000080u);
    Texture* texture = Make(4, 4, Format::A8R8G8B8, texels.data(), 16);
    Rect middle { 1, 1, 3, 3 };
    LockedRect locked;
    ASSERT_EQ(texture->LockRect(0, locked, &middle, 0), Result::Ok);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            std::memcpy(static_cast<uint8_t*>(locked.bits) + y * locked.pitch + x * 4, "\x00\xFF\x00\xFF", 4);
    texture->UnlockRect(0);
    std::vector<uint32_t> shown = Show(texture);
    EXPECT_EQ(shown[0], 0xFF000080u);
    EXPECT_EQ(shown[1 * 4 + 1], 0xFF00FF00u);
    EXPECT_EQ(shown[2 * 4 + 2], 0xFF00FF00u);
    EXPECT_EQ(shown[3 * 4 + 3], 0xFF000080u);
}

TEST_F(ResourceTest, copiesAndTextureUpdatesReachTheDrawnPicture)
{
    // A target drawn on, copied into an image surface (read back), then into a texture level.
    m_device->SetTextureStageState(0, StageState::ColorArg1, uint32_t(TextureArg::Diffuse));
    Begin();
    m_device->Clear(0, nullptr, clear::kTarget, 0xFF112233u, 1, 0);
    ScreenQuad(0, 0, 4, 4, 0xFFAA0000u);
    End();
    m_device->SetTextureStageState(0, StageState::ColorArg1, uint32_t(TextureArg::Texture));
    Surface* image = nullptr;
    ASSERT_EQ(m_device->CreateImageSurface(16, 16, Format::A8R8G8B8, &image), Result::Ok);
    ASSERT_EQ(m_device->CopyRects(m_target, nullptr, 0, image, nullptr), Result::Ok);
    std::vector<uint32_t> copied = Read(image);
    EXPECT_EQ(copied[0], 0xFFAA0000u);
    EXPECT_EQ(copied[5 * 16 + 5], 0xFF112233u);

    Texture* texture = nullptr;
    ASSERT_EQ(m_device->CreateTexture(4, 4, 1, 0, Format::A8R8G8B8, Pool::Managed, &texture), Result::Ok);
    m_owned.push_back(texture);
    Surface* level = nullptr;
    ASSERT_EQ(texture->GetSurfaceLevel(0, &level), Result::Ok);
    Rect from { 2, 2, 6, 6 };
    Point to { 0, 0 };
    ASSERT_EQ(m_device->CopyRects(image, &from, 1, level, &to), Result::Ok);
    level->Release();
    std::vector<uint32_t> shown = Show(texture);
    EXPECT_EQ(shown[0], 0xFFAA0000u);
    EXPECT_EQ(shown[3 * 4 + 3], 0xFF112233u);
    image->Release();

    // UpdateTexture from system memory into a default-pool texture.
    Texture* source = nullptr;
    Texture* target = nullptr;
    ASSERT_EQ(m_device->CreateTexture(4, 4, 1, 0, Format::A8R8G8B8, Pool::SystemMem, &source), Result::Ok);
    ASSERT_EQ(m_device->CreateTexture(4, 4, 1, 0, Format::A8R8G8B8, Pool::Default, &target), Result::Ok);
    m_owned.push_back(source);
    m_owned.push_back(target);
    LockedRect locked;
    ASSERT_EQ(source->LockRect(0, locked, nullptr, 0), Result::Ok);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            uint32_t value = 0xFF00C000u | uint32_t(x * 16 + y);
            std::memcpy(static_cast<uint8_t*>(locked.bits) + y * locked.pitch + x * 4, &value, 4);
        }
    source->UnlockRect(0);
    ASSERT_EQ(m_device->UpdateTexture(source, target), Result::Ok);
    shown = Show(target);
    EXPECT_EQ(shown[0], 0xFF00C000u);
    EXPECT_EQ(shown[2 * 4 + 3], 0xFF00C032u);
}

TEST_F(ResourceTest, dynamicBuffersDiscardAndAppendAndIndicesTakeTheBaseVertex)
{
    VertexBuffer* vb = nullptr;
    ASSERT_EQ(m_device->CreateVertexBuffer(8 * sizeof(ScreenVertex), usage::kDynamic | usage::kWriteOnly,
                  kScreenFvf, Pool::Default, &vb),
        Result::Ok);
    auto quad = [](float x0, float y0, float x1, float y1, Color c, ScreenVertex* out) {
        out[0] = { x0 - 0.5f, y0 - 0.5f, 0.5f, 1, c, 0, 0 };
        out[1] = { x1 - 0.5f, y0 - 0.5f, 0.5f, 1, c, 1, 0 };
        out[2] = { x0 - 0.5f, y1 - 0.5f, 0.5f, 1, c, 0, 1 };
        out[3] = { x1 - 0.5f, y1 - 0.5f, 0.5f, 1, c, 1, 1 };
    };
    m_device->SetTexture(0, nullptr);
    m_device->SetTextureStageState(0, StageState::ColorArg1, uint32_t(TextureArg::Diffuse));
    m_device->SetVertexShader(kScreenFvf);
    m_device->SetStreamSource(0, vb, sizeof(ScreenVertex));
    uint8_t* bytes = nullptr;

    Begin();
    m_device->Clear(0, nullptr, clear::kTarget, 0, 1, 0);
    ASSERT_EQ(vb->Lock(0, 4 * sizeof(ScreenVertex), &bytes, lock::kDiscard), Result::Ok);
    quad(0, 0, 8, 8, 0xFFFF0000u, reinterpret_cast<ScreenVertex*>(bytes));
    vb->Unlock();
    m_device->DrawPrimitive(PrimitiveType::TriangleStrip, 0, 2);
    ASSERT_EQ(
        vb->Lock(4 * sizeof(ScreenVertex), 4 * sizeof(ScreenVertex), &bytes, lock::kNoOverwrite), Result::Ok);
    quad(8, 8, 16, 16, 0xFF00FF00u, reinterpret_cast<ScreenVertex*>(bytes));
    vb->Unlock();
    m_device->DrawPrimitive(PrimitiveType::TriangleStrip, 4, 2);
    End();
    std::vector<uint32_t> p = Read(m_target);
    EXPECT_EQ(p[4 * 16 + 4], 0xFFFF0000u);
    EXPECT_EQ(p[12 * 16 + 12], 0xFF00FF00u);

    // The same two quads by index, the second through the base vertex.
    IndexBuffer* ib = nullptr;
    ASSERT_EQ(
        m_device->CreateIndexBuffer(12, usage::kWriteOnly, Format::Index16, Pool::Managed, &ib), Result::Ok);
    ASSERT_EQ(ib->Lock(0, 0, &bytes, 0), Result::Ok);
    const uint16_t indices[6] = { 0, 1, 2, 2, 1, 3 };
    std::memcpy(bytes, indices, sizeof indices);
    ib->Unlock();
    Begin();
    m_device->Clear(0, nullptr, clear::kTarget, 0, 1, 0);
    m_device->SetIndices(ib, 4);
    ASSERT_EQ(m_device->DrawIndexedPrimitive(PrimitiveType::TriangleList, 0, 4, 0, 2), Result::Ok);
    End();
    p = Read(m_target);
    EXPECT_EQ(p[4 * 16 + 4], 0u);
    EXPECT_EQ(p[12 * 16 + 12], 0xFF00FF00u);
    m_device->SetIndices(nullptr, 0);
    m_device->SetStreamSource(0, nullptr, 0);
    ib->Release();
    vb->Release();
}

TEST_F(ResourceTest, aMultisampledBackBufferReadsBackResolved)
{
    m_target->Release();
    m_target = nullptr;
    m_device->Release();
    m_device = nullptr;
    uint32_t samples = std::min(4u, gl::GetDriverFacts().maxSamples);
    ASSERT_GE(samples, 2u) << "the driver has no multisampling";
    CreateDevice(16, 16, Format::X8R8G8B8, MultiSample(samples));
    Begin();
    ClearTarget(0xFF0000FFu);
    ScreenQuad(0, 0, 8, 16, 0xFFFFFF00u);
    End();
    Surface* back = nullptr;
    ASSERT_EQ(m_device->GetRenderTarget(&back), Result::Ok);
    Surface* image = nullptr;
    ASSERT_EQ(m_device->CreateImageSurface(16, 16, Format::X8R8G8B8, &image), Result::Ok);
    ASSERT_EQ(m_device->CopyRects(back, nullptr, 0, image, nullptr), Result::Ok);
    std::vector<uint32_t> p = Read(image);
    EXPECT_EQ(p[8 * 16 + 2], 0xFFFFFF00u);
    EXPECT_EQ(p[8 * 16 + 12], 0xFF0000FFu);
    EXPECT_EQ(m_device->Present(), Result::Ok);
    image->Release();
    back->Release();
}

TEST_F(ResourceTest, validationJudgesTheStagesBeforeAnyVertexFormatIsSet)
{
    m_device->SetVertexShader(0);
    m_device->SetTextureStageState(0, StageState::ColorOp, uint32_t(TextureOp::DotProduct3));
    uint32_t passes = 0;
    EXPECT_EQ(m_device->ValidateDevice(&passes), Result::Ok);
    EXPECT_EQ(passes, 1u);
}

TEST_F(ResourceTest, aProgramThatFailsIsLoggedOnceAndItsDrawsAndValidationFail)
{
    gl::BreakNewPrograms(Gl(), true);
    m_device->SetTextureStageState(0, StageState::ColorOp, uint32_t(TextureOp::Modulate2x));
    testing::internal::CaptureStderr();
    Begin();
    m_device->Clear(0, nullptr, clear::kTarget, 0xFF0000FFu, 1, 0);
    ScreenQuad(0, 0, 16, 16, 0xFFFFFFFFu);
    ScreenQuad(0, 0, 16, 16, 0xFFFFFFFFu);
    End();
    uint32_t passes = 0;
    EXPECT_NE(m_device->ValidateDevice(&passes), Result::Ok);
    std::string log = testing::internal::GetCapturedStderr();
    size_t first = log.find("does not compile");
    EXPECT_NE(first, std::string::npos);
    EXPECT_EQ(log.find("does not compile", first + 1), std::string::npos);
    EXPECT_NE(log.find("not a statement"), std::string::npos);
    EXPECT_EQ(Pixel(8, 8, m_target), 0xFF0000FFu);
    EXPECT_EQ(gl::GetStats(Gl()).skippedDraws, 2u);
    // Another state builds a good program again.
    gl::BreakNewPrograms(Gl(), false);
    m_device->SetTextureStageState(0, StageState::ColorOp, uint32_t(TextureOp::Modulate));
    EXPECT_EQ(m_device->ValidateDevice(&passes), Result::Ok);
}

} // namespace
} // namespace plat::gfx::gltest
