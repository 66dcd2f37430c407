// Resources: locking rules and rectangles, copies and dirty uploads, targets, draw ranges.
#include "tests/platform/gfx/gfx_fixture.h"

#include "platform/gfx/format.h"
#include "platform/gfx/fvf.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace plat::gfx::test {
namespace {

TEST(Fvf, vertexSizesOfTheGameFormats)
{
    struct Row {
        uint32_t code;
        uint32_t size;
    };
    const Row rows[] = {
        { 0x112, 32 }, // XYZ | NORMAL | TEX1
        { 0x242, 32 }, // XYZ | DIFFUSE | TEX2
        { 0x42, 16 }, // XYZ | DIFFUSE
        { 0x204, 32 }, // XYZRHW | TEX2
        { 0x152, 36 }, // XYZ | NORMAL | DIFFUSE | TEX1
        { 0x15A, 48 }, // XYZB3 | NORMAL | DIFFUSE | TEX1
        { 0x1D2, 40 }, // XYZ | NORMAL | DIFFUSE | SPECULAR | TEX1
        { 0x1C4, 32 }, // XYZRHW | DIFFUSE | SPECULAR | TEX1
        { 0x122, 24 }, // XYZ | PSIZE | TEX1
        { fvf::kXyz | fvf::kTex2 | fvf::TexCoordSize1(0) | fvf::TexCoordSize4(1), 12 + 4 + 16 },
        { fvf::kXyz | fvf::kTex8, 12 + 64 }, { 0x000, 0 }, // no position
        { 0x00C, 0 }, // four weights
        { 0x1002, 0 }, // unknown bit
        { fvf::kXyz | fvf::kTex1 | fvf::TexCoordSize3(1), 0 }, // a size for a set it lacks
    };
    for (const Row& row : rows)
        EXPECT_EQ(FvfVertexSize(row.code), row.size) << std::hex << row.code;
}

TEST_F(GfxTest, newResourcesAreZeroAndSizesAreChecked)
{
    CreateWindowed();
    struct Row {
        const char* name;
        std::function<Result(Device&)> create;
        Result expected;
    };
    const Row rows[] = {
        { "zero width",
            [](Device& d) {
                Held<Texture> t;
                return d.CreateTexture(0, 4, 1, 0, Format::A8R8G8B8, Pool::Managed, &t);
            },
            Result::InvalidCall },
        { "too wide",
            [](Device& d) {
                Held<Texture> t;
                return d.CreateTexture(8193, 4, 1, 0, Format::A8R8G8B8, Pool::Managed, &t);
            },
            Result::InvalidCall },
        { "too many levels",
            [](Device& d) {
                Held<Texture> t;
                return d.CreateTexture(8, 4, 5, 0, Format::A8R8G8B8, Pool::Managed, &t);
            },
            Result::InvalidCall },
        { "full chain",
            [](Device& d) {
                Held<Texture> t;
                return d.CreateTexture(8, 4, 4, 0, Format::A8R8G8B8, Pool::Managed, &t);
            },
            Result::Ok },
        { "absent format",
            [](Device& d) {
                Held<Texture> t;
                return d.CreateTexture(8, 8, 1, 0, Format::R8G8B8, Pool::Managed, &t);
            },
            Result::InvalidCall },
        { "bump format",
            [](Device& d) {
                Held<Texture> t;
                return d.CreateTexture(8, 8, 1, 0, Format::V8U8, Pool::Managed, &t);
            },
            Result::Ok },
        { "dynamic managed",
            [](Device& d) {
                Held<Texture> t;
                return d.CreateTexture(8, 8, 1, usage::kDynamic, Format::A8R8G8B8, Pool::Managed, &t);
            },
            Result::InvalidCall },
        { "target not in DEFAULT",
            [](Device& d) {
                Held<Texture> t;
                return d.CreateTexture(8, 8, 1, usage::kRenderTarget, Format::A8R8G8B8, Pool::Managed, &t);
            },
            Result::InvalidCall },
        { "target of a texture-only format",
            [](Device& d) {
                Held<Texture> t;
                return d.CreateTexture(8, 8, 1, usage::kRenderTarget, Format::Dxt3, Pool::Default, &t);
            },
            Result::InvalidCall },
        { "empty vertex buffer",
            [](Device& d) {
                Held<VertexBuffer> b;
                return d.CreateVertexBuffer(0, 0, 0, Pool::Managed, &b);
            },
            Result::InvalidCall },
        { "huge vertex buffer",
            [](Device& d) {
                Held<VertexBuffer> b;
                return d.CreateVertexBuffer(0xFFFFFFF0u, 0, 0, Pool::Managed, &b);
            },
            Result::InvalidCall },
        { "vertex buffer smaller than its vertex",
            [](Device& d) {
                Held<VertexBuffer> b;
                return d.CreateVertexBuffer(16, 0, 0x112, Pool::Managed, &b);
            },
            Result::InvalidCall },
        { "32-bit indices",
            [](Device& d) {
                Held<IndexBuffer> b;
                return d.CreateIndexBuffer(64, 0, Format::Index32, Pool::Managed, &b);
            },
            Result::InvalidCall },
        { "image of zero height",
            [](Device& d) {
                Held<Surface> s;
                return d.CreateImageSurface(4, 0, Format::Dxt3, &s);
            },
            Result::InvalidCall },
        { "image too large",
            [](Device& d) {
                Held<Surface> s;
                return d.CreateImageSurface(16385, 4, Format::X8R8G8B8, &s);
            },
            Result::InvalidCall },
        { "depth of a colour format",
            [](Device& d) {
                Held<Surface> s;
                return d.CreateDepthStencilSurface(64, 64, Format::X8R8G8B8, MultiSample::None, &s);
            },
            Result::InvalidCall },
        { "target of a depth format",
            [](Device& d) {
                Held<Surface> s;
                return d.CreateRenderTarget(64, 64, Format::D16, MultiSample::None, false, &s);
            },
            Result::InvalidCall },
        { "lockable multisampled target",
            [](Device& d) {
                Held<Surface> s;
                return d.CreateRenderTarget(64, 64, Format::X8R8G8B8, MultiSample::Samples4, true, &s);
            },
            Result::InvalidCall },
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.create(*m_device), row.expected) << row.name;

    Held<Texture> texture;
    ASSERT_EQ(m_device->CreateTexture(16, 16, 0, 0, Format::Dxt5, Pool::Managed, &texture), Result::Ok);
    EXPECT_EQ(texture->GetLevelCount(), 5u);
    for (uint32_t level = 0; level < texture->GetLevelCount(); ++level) {
        const Surface& surface = texture->Level(level);
        std::vector<uint8_t> zero(surface.ByteSize(), 0);
        EXPECT_EQ(std::memcmp(surface.Bits(), zero.data(), zero.size()), 0) << "level " << level;
    }
    SurfaceDesc desc;
    texture->GetLevelDesc(4, desc);
    EXPECT_EQ(desc.width, 1u);
    EXPECT_EQ(desc.size, 16u); // one block
}

TEST_F(GfxTest, getReturningAnObjectAddsAReference)
{
    CreateWindowed();
    Texture* texture = nullptr;
    ASSERT_EQ(m_device->CreateTexture(8, 8, 2, 0, Format::A8R8G8B8, Pool::Managed, &texture), Result::Ok);
    Surface* level = nullptr;
    ASSERT_EQ(texture->GetSurfaceLevel(1, &level), Result::Ok);
    EXPECT_EQ(texture->AddRef(), 3u); // one of its own, one from the level
    EXPECT_EQ(texture->Release(), 2u);
    EXPECT_EQ(level->Release(), 1u);
    m_device->SetTexture(0, texture);
    Texture* bound = nullptr;
    m_device->GetTexture(0, &bound);
    EXPECT_EQ(bound->Release(), 1u);
    EXPECT_EQ(texture->Release(), 0u);
    EXPECT_EQ(m_device->Counts().resources[size_t(Pool::Managed)], 1u) << "still bound";
    m_device->SetTexture(0, nullptr);
    EXPECT_EQ(m_device->Counts().resources[size_t(Pool::Managed)], 0u);
}

TEST_F(GfxTest, lockRulesByPoolAndUsage)
{
    CreateWindowed();
    struct Row {
        const char* name;
        uint32_t usage;
        Pool pool;
        uint32_t flags;
        Result expected;
    };
    const Row rows[] = {
        { "managed", 0, Pool::Managed, 0, Result::Ok },
        { "system memory", 0, Pool::SystemMem, 0, Result::Ok },
        { "default", 0, Pool::Default, 0, Result::InvalidCall },
        { "default dynamic", usage::kDynamic, Pool::Default, lock::kDiscard, Result::Ok },
        { "discard needs dynamic", 0, Pool::Managed, lock::kDiscard, Result::InvalidCall },
        { "render-target texture", usage::kRenderTarget, Pool::Default, 0, Result::InvalidCall },
        { "unknown flag", 0, Pool::Managed, 1u << 20, Result::InvalidCall },
    };
    for (const Row& row : rows) {
        Held<Texture> texture;
        ASSERT_EQ(
            m_device->CreateTexture(8, 8, 1, row.usage, Format::A8R8G8B8, row.pool, &texture), Result::Ok)
            << row.name;
        LockedRect locked;
        EXPECT_EQ(texture->LockRect(0, locked, nullptr, row.flags), row.expected) << row.name;
        if (row.expected == Result::Ok) {
            EXPECT_EQ(texture->LockRect(0, locked, nullptr, 0), Result::InvalidCall) << "locked twice";
            EXPECT_EQ(texture->UnlockRect(0), Result::Ok);
        }
        EXPECT_EQ(texture->UnlockRect(0), Result::InvalidCall) << row.name;
    }
    Held<Surface> target, lockable, depth;
    ASSERT_EQ(m_device->CreateRenderTarget(32, 32, Format::X8R8G8B8, MultiSample::None, false, &target),
        Result::Ok);
    ASSERT_EQ(m_device->CreateRenderTarget(32, 32, Format::X8R8G8B8, MultiSample::None, true, &lockable),
        Result::Ok);
    ASSERT_EQ(
        m_device->CreateDepthStencilSurface(32, 32, Format::D16, MultiSample::None, &depth), Result::Ok);
    LockedRect locked;
    EXPECT_EQ(target->LockRect(locked, nullptr, 0), Result::InvalidCall);
    EXPECT_EQ(depth->LockRect(locked, nullptr, 0), Result::InvalidCall);
    uint32_t readBacks = Null().GetCounters().readBacks;
    ASSERT_EQ(lockable->LockRect(locked, nullptr, lock::kReadOnly), Result::Ok);
    EXPECT_EQ(Null().GetCounters().readBacks, readBacks + 1) << "a target is read back when locked";
    lockable->UnlockRect();
}

TEST_F(GfxTest, rectanglesOutsideOrOffTheBlockGridAreRefused)
{
    CreateWindowed();
    Held<Texture> dxt, plain;
    ASSERT_EQ(m_device->CreateTexture(8, 8, 0, 0, Format::Dxt3, Pool::Managed, &dxt), Result::Ok);
    ASSERT_EQ(m_device->CreateTexture(8, 8, 1, 0, Format::R5G6B5, Pool::Managed, &plain), Result::Ok);
    struct Row {
        Texture* texture;
        uint32_t level;
        Rect rect;
        bool ok;
    };
    const Row rows[] = {
        { dxt, 0, { 4, 4, 8, 8 }, true },
        { dxt, 0, { 2, 0, 6, 4 }, false },
        { dxt, 0, { 0, 0, 4, 6 }, false },
        { dxt, 0, { 0, 0, 8, 12 }, false },
        { dxt, 1, { 0, 0, 4, 4 }, true },
        { dxt, 2, { 0, 0, 2, 2 }, true }, // a level below 4x4 locks whole
        { dxt, 3, { 0, 0, 1, 1 }, true },
        { dxt, 2, { 0, 0, 1, 2 }, false },
        { plain, 0, { 1, 1, 3, 3 }, true },
        { plain, 0, { -1, 0, 3, 3 }, false },
        { plain, 0, { 3, 3, 3, 4 }, false }, // empty
        { plain, 0, { 0, 0, 9, 1 }, false },
    };
    for (const Row& row : rows) {
        LockedRect locked;
        Result r = row.texture->LockRect(row.level, locked, &row.rect, 0);
        EXPECT_EQ(r, row.ok ? Result::Ok : Result::InvalidCall)
            << row.rect.left << "," << row.rect.top << "," << row.rect.right << "," << row.rect.bottom;
        if (r == Result::Ok)
            row.texture->UnlockRect(row.level);
    }
    // DXT pitch is one block row: 2 blocks of 16 bytes; a lock at (4, 4) starts at block (1, 1).
    LockedRect locked;
    Rect rect { 4, 4, 8, 8 };
    ASSERT_EQ(dxt->LockRect(0, locked, &rect, 0), Result::Ok);
    EXPECT_EQ(locked.pitch, 32);
    EXPECT_EQ(static_cast<uint8_t*>(locked.bits) - dxt->Level(0).Bits(), 32 + 16);
    dxt->UnlockRect(0);
    EXPECT_EQ(dxt->AddDirtyRect(&rect), Result::Ok);
    Rect outside { 0, 0, 9, 8 };
    EXPECT_EQ(dxt->AddDirtyRect(&outside), Result::InvalidCall);
}

TEST_F(GfxTest, copyRectsNeedsEqualFormatsAndCopiesOnlyWhatItIsGiven)
{
    CreateWindowed();
    Held<Surface> source, target, other;
    ASSERT_EQ(m_device->CreateImageSurface(8, 8, Format::X8R8G8B8, &source), Result::Ok);
    ASSERT_EQ(m_device->CreateImageSurface(8, 8, Format::X8R8G8B8, &target), Result::Ok);
    ASSERT_EQ(m_device->CreateImageSurface(8, 8, Format::R5G6B5, &other), Result::Ok);
    LockedRect locked;
    source->LockRect(locked, nullptr, 0);
    for (int i = 0; i < 64; ++i)
        static_cast<uint32_t*>(locked.bits)[i] = uint32_t(i + 1);
    source->UnlockRect();

    EXPECT_EQ(m_device->CopyRects(source, nullptr, 0, other, nullptr), Result::InvalidCall);
    Rect rect { 2, 2, 4, 4 };
    Point beyond { 7, 7 };
    EXPECT_EQ(m_device->CopyRects(source, &rect, 1, target, &beyond), Result::InvalidCall);
    const uint32_t* out = reinterpret_cast<const uint32_t*>(target->Bits());
    for (int i = 0; i < 64; ++i)
        ASSERT_EQ(out[i], 0u) << "a refused copy touches nothing";
    Point at { 0, 5 };
    ASSERT_EQ(m_device->CopyRects(source, &rect, 1, target, &at), Result::Ok);
    EXPECT_EQ(out[5 * 8 + 0], uint32_t(2 * 8 + 2 + 1));
    EXPECT_EQ(out[6 * 8 + 1], uint32_t(3 * 8 + 3 + 1));
    EXPECT_EQ(out[5 * 8 + 2], 0u);
    ASSERT_EQ(m_device->CopyRects(source, nullptr, 0, target, nullptr), Result::Ok);
    EXPECT_EQ(std::memcmp(source->Bits(), target->Bits(), 256), 0);

    null::GetConfig().failCopyRects = true;
    EXPECT_NE(m_device->CopyRects(source, nullptr, 0, target, nullptr), Result::Ok);
}

TEST_F(GfxTest, copyRectsFromTheBackBufferReadsItBack)
{
    PresentParameters params = Windowed();
    params.flags = present::kLockableBackBuffer;
    ASSERT_EQ(Create(params), Result::Ok);
    Rect area { 10, 10, 20, 20 };
    ASSERT_EQ(m_device->Clear(1, &area, clear::kTarget, 0xFF336699, 1, 0), Result::Ok);
    Held<Surface> back, image;
    m_device->GetRenderTarget(&back);
    ASSERT_EQ(m_device->CreateImageSurface(640, 480, Format::X8R8G8B8, &image), Result::Ok);
    uint32_t readBacks = Null().GetCounters().readBacks;
    ASSERT_EQ(m_device->CopyRects(back, nullptr, 0, image, nullptr), Result::Ok);
    EXPECT_EQ(Null().GetCounters().readBacks, readBacks + 1);
    LockedRect locked;
    ASSERT_EQ(image->LockRect(locked, nullptr, lock::kReadOnly), Result::Ok);
    auto pixel
        = [&](int x, int y) { return static_cast<const uint32_t*>(locked.bits)[y * locked.pitch / 4 + x]; };
    EXPECT_EQ(pixel(10, 10), 0xFF336699u);
    EXPECT_EQ(pixel(19, 19), 0xFF336699u);
    EXPECT_EQ(pixel(20, 19), 0u);
    image->UnlockRect();
}

TEST_F(GfxTest, updateTextureCopiesTheDirtyRegionOnlyAndThenClearsIt)
{
    CreateWindowed();
    Held<Texture> staging, cache;
    ASSERT_EQ(m_device->CreateTexture(256, 256, 1, 0, Format::Dxt3, Pool::SystemMem, &staging), Result::Ok);
    ASSERT_EQ(m_device->CreateTexture(256, 256, 1, 0, Format::Dxt3, Pool::Default, &cache), Result::Ok);
    ASSERT_EQ(m_device->UpdateTexture(staging, cache), Result::Ok); // a new texture is dirty whole
    uint64_t bytes = Null().GetCounters().uploadedBytes;

    // Write two blocks, but mark only one of them with NO_DIRTY_UPDATE left out.
    LockedRect locked;
    Rect first { 0, 0, 4, 4 };
    Rect second { 8, 0, 12, 4 };
    staging->LockRect(0, locked, &first, 0);
    std::memset(locked.bits, 0x11, 16);
    staging->UnlockRect(0);
    staging->LockRect(0, locked, &second, lock::kNoDirtyUpdate);
    std::memset(locked.bits, 0x22, 16);
    staging->UnlockRect(0);
    ASSERT_EQ(m_device->UpdateTexture(staging, cache), Result::Ok);
    EXPECT_EQ(Null().GetCounters().uploadedBytes - bytes, 16u);
    EXPECT_EQ(cache->Level(0).Bits()[0], 0x11);
    EXPECT_EQ(cache->Level(0).Bits()[32], 0x00) << "outside the dirty region";

    bytes = Null().GetCounters().uploadedBytes;
    ASSERT_EQ(m_device->UpdateTexture(staging, cache), Result::Ok);
    EXPECT_EQ(Null().GetCounters().uploadedBytes, bytes) << "clean after the update";
    // AddDirtyRect on either texture names the region, unaligned rectangles grow to blocks.
    Rect unaligned { 9, 1, 10, 2 };
    ASSERT_EQ(cache->AddDirtyRect(&unaligned), Result::Ok);
    ASSERT_EQ(m_device->UpdateTexture(staging, cache), Result::Ok);
    EXPECT_EQ(Null().GetCounters().uploadedBytes - bytes, 16u);
    EXPECT_EQ(cache->Level(0).Bits()[32], 0x22);
    // CopyRects into the staging level marks it dirty too.
    Held<Surface> picture, stagingLevel;
    ASSERT_EQ(m_device->CreateImageSurface(16, 16, Format::Dxt3, &picture), Result::Ok);
    staging->GetSurfaceLevel(0, &stagingLevel);
    Rect tile { 0, 0, 16, 16 };
    Point origin { 0, 0 };
    bytes = Null().GetCounters().uploadedBytes;
    ASSERT_EQ(m_device->CopyRects(picture, &tile, 1, stagingLevel, &origin), Result::Ok);
    ASSERT_EQ(m_device->UpdateTexture(staging, cache), Result::Ok);
    EXPECT_EQ(Null().GetCounters().uploadedBytes - bytes, 16u * 16u);
}

TEST_F(GfxTest, updateTextureRefusesMismatches)
{
    CreateWindowed();
    Held<Texture> sys, sys565, def, managed, defSmall, defMore;
    m_device->CreateTexture(64, 64, 2, 0, Format::A8R8G8B8, Pool::SystemMem, &sys);
    m_device->CreateTexture(64, 64, 2, 0, Format::R5G6B5, Pool::SystemMem, &sys565);
    m_device->CreateTexture(64, 64, 2, 0, Format::A8R8G8B8, Pool::Default, &def);
    m_device->CreateTexture(64, 64, 2, 0, Format::A8R8G8B8, Pool::Managed, &managed);
    m_device->CreateTexture(32, 32, 2, 0, Format::A8R8G8B8, Pool::Default, &defSmall);
    m_device->CreateTexture(64, 64, 3, 0, Format::A8R8G8B8, Pool::Default, &defMore);
    EXPECT_EQ(m_device->UpdateTexture(sys565, def), Result::InvalidCall);
    EXPECT_EQ(m_device->UpdateTexture(sys, managed), Result::InvalidCall);
    EXPECT_EQ(m_device->UpdateTexture(def, def), Result::InvalidCall);
    EXPECT_EQ(m_device->UpdateTexture(sys, defSmall), Result::InvalidCall);
    EXPECT_EQ(m_device->UpdateTexture(sys, defMore), Result::InvalidCall);
    EXPECT_EQ(m_device->UpdateTexture(sys, def), Result::Ok);
    sys->AddDirtyRect(nullptr);
    null::GetConfig().failUpdateTexture = true;
    EXPECT_NE(m_device->UpdateTexture(sys, def), Result::Ok);
}

TEST_F(GfxTest, setRenderTargetRules)
{
    CreateWindowed();
    Held<Texture> targetTexture;
    Held<Surface> level, depth, smallDepth, image, back, current;
    ASSERT_EQ(m_device->CreateTexture(
                  512, 512, 1, usage::kRenderTarget, Format::X8R8G8B8, Pool::Default, &targetTexture),
        Result::Ok);
    targetTexture->GetSurfaceLevel(0, &level);
    ASSERT_EQ(
        m_device->CreateDepthStencilSurface(512, 512, Format::D24S8, MultiSample::None, &depth), Result::Ok);
    ASSERT_EQ(
        m_device->CreateDepthStencilSurface(64, 64, Format::D16, MultiSample::None, &smallDepth), Result::Ok);
    ASSERT_EQ(m_device->CreateImageSurface(64, 64, Format::X8R8G8B8, &image), Result::Ok);
    m_device->GetRenderTarget(&back);

    EXPECT_EQ(m_device->SetRenderTarget(image, nullptr), Result::InvalidCall)
        << "image surfaces are no targets";
    EXPECT_EQ(m_device->SetRenderTarget(level, smallDepth), Result::InvalidCall)
        << "depth smaller than the target";
    EXPECT_EQ(m_device->SetRenderTarget(level, level), Result::InvalidCall);
    ASSERT_EQ(m_device->SetRenderTarget(level, depth), Result::Ok);
    Viewport vp;
    m_device->GetViewport(vp);
    EXPECT_EQ(vp.width, 512u);
    // A null target keeps the colour target, a null depth detaches depth.
    ASSERT_EQ(m_device->SetRenderTarget(nullptr, nullptr), Result::Ok);
    m_device->GetRenderTarget(&current);
    EXPECT_EQ(current.p, level.p);
    Held<Surface> noDepth;
    EXPECT_EQ(m_device->GetDepthStencilSurface(&noDepth), Result::NotFound);
    EXPECT_EQ(m_device->Clear(0, nullptr, clear::kZBuffer, 0, 1, 0), Result::InvalidCall);
    ASSERT_EQ(m_device->SetRenderTarget(back, smallDepth), Result::InvalidCall);
    m_device->GetViewport(vp);
    EXPECT_EQ(vp.width, 512u) << "a refused call changes nothing";
    ASSERT_EQ(m_device->SetRenderTarget(back, nullptr), Result::Ok);
    m_device->GetViewport(vp);
    EXPECT_EQ(vp.width, 640u);
    Viewport big { 0, 0, 641, 480, 0, 1 };
    EXPECT_EQ(m_device->SetViewport(big), Result::InvalidCall);
}

TEST_F(GfxTest, clearFillsTheTargetWithinTheViewportAndRects)
{
    PresentParameters params = Windowed();
    params.flags = present::kLockableBackBuffer;
    ASSERT_EQ(Create(params), Result::Ok);
    m_device->SetViewport({ 100, 100, 50, 50, 0, 1 });
    ASSERT_EQ(m_device->Clear(0, nullptr, clear::kTarget | clear::kZBuffer, 0xFF0000FF, 1, 0), Result::Ok);
    Rect partly { 140, 140, 200, 200 };
    ASSERT_EQ(m_device->Clear(1, &partly, clear::kTarget, 0xFF00FF00, 1, 0), Result::Ok);
    ASSERT_EQ(Null().Clears().size(), 2u);
    EXPECT_EQ(Null().Clears()[0].call.rects[0], (Rect { 100, 100, 150, 150 }));
    EXPECT_EQ(Null().Clears()[1].call.rects[0], (Rect { 140, 140, 150, 150 }));
    Held<Surface> back;
    m_device->GetRenderTarget(&back);
    LockedRect locked;
    ASSERT_EQ(back->LockRect(locked, nullptr, lock::kReadOnly), Result::Ok);
    auto pixel
        = [&](int x, int y) { return static_cast<const uint32_t*>(locked.bits)[y * locked.pitch / 4 + x]; };
    EXPECT_EQ(pixel(99, 100), 0u);
    EXPECT_EQ(pixel(100, 100), 0xFF0000FFu);
    EXPECT_EQ(pixel(145, 145), 0xFF00FF00u);
    EXPECT_EQ(pixel(150, 150), 0u);
    back->UnlockRect();
    EXPECT_EQ(m_device->Clear(1, nullptr, clear::kTarget, 0, 1, 0), Result::InvalidCall);
    EXPECT_EQ(m_device->Clear(0, nullptr, 0, 0, 1, 0), Result::InvalidCall);
    EXPECT_EQ(m_device->Clear(0, nullptr, clear::kZBuffer, 0, 2, 0), Result::InvalidCall);
}

// ---- Draws ----

class DrawTest : public GfxTest {
protected:
    void SetUp() override
    {
        GfxTest::SetUp();
        CreateWindowed();
        ASSERT_EQ(
            m_device->CreateVertexBuffer(10 * 16, usage::kWriteOnly, 0x42, Pool::Managed, &m_vb), Result::Ok);
        ASSERT_EQ(m_device->CreateIndexBuffer(2 * 12, 0, Format::Index16, Pool::Managed, &m_ib), Result::Ok);
        uint8_t* data = nullptr;
        ASSERT_EQ(m_ib->Lock(0, 0, &data, 0), Result::Ok);
        const uint16_t indices[12] = { 0, 1, 2, 2, 1, 3, 4, 5, 6, 6, 5, 9 };
        std::memcpy(data, indices, sizeof indices);
        m_ib->Unlock();
        m_device->SetVertexShader(0x42);
        m_device->SetStreamSource(0, m_vb, 16);
        m_device->SetIndices(m_ib, 0);
    }
    void TearDown() override
    {
        m_vb.Reset();
        m_ib.Reset();
        GfxTest::TearDown();
    }
    Held<VertexBuffer> m_vb;
    Held<IndexBuffer> m_ib;
};

TEST_F(DrawTest, drawsPastTheirBuffersAreRefused)
{
    struct Row {
        const char* name;
        std::function<Result(Device&, VertexBuffer*, IndexBuffer*)> draw;
        Result expected;
    };
    const Row rows[] = {
        { "whole buffer",
            [](Device& d, VertexBuffer*, IndexBuffer*) {
                return d.DrawPrimitive(PrimitiveType::TriangleStrip, 0, 8);
            },
            Result::Ok },
        { "one vertex past",
            [](Device& d, VertexBuffer*, IndexBuffer*) {
                return d.DrawPrimitive(PrimitiveType::TriangleStrip, 1, 8);
            },
            Result::InvalidCall },
        { "list past",
            [](Device& d, VertexBuffer*, IndexBuffer*) {
                return d.DrawPrimitive(PrimitiveType::TriangleList, 0, 4);
            },
            Result::InvalidCall },
        { "indexed",
            [](Device& d, VertexBuffer*, IndexBuffer*) {
                return d.DrawIndexedPrimitive(PrimitiveType::TriangleList, 0, 10, 0, 4);
            },
            Result::Ok },
        { "indices past the index buffer",
            [](Device& d, VertexBuffer*, IndexBuffer*) {
                return d.DrawIndexedPrimitive(PrimitiveType::TriangleList, 0, 10, 3, 4);
            },
            Result::InvalidCall },
        { "index 9 plus base 1",
            [](Device& d, VertexBuffer*, IndexBuffer* ib) {
                d.SetIndices(ib, 1);
                return d.DrawIndexedPrimitive(PrimitiveType::TriangleList, 0, 9, 0, 4);
            },
            Result::InvalidCall },
        { "index range short of 9 with base 1",
            [](Device& d, VertexBuffer*, IndexBuffer* ib) {
                d.SetIndices(ib, 1);
                return d.DrawIndexedPrimitive(PrimitiveType::TriangleList, 0, 4, 0, 2);
            },
            Result::Ok },
        { "vertex range past",
            [](Device& d, VertexBuffer*, IndexBuffer*) {
                return d.DrawIndexedPrimitive(PrimitiveType::TriangleList, 5, 6, 0, 1);
            },
            Result::InvalidCall },
        { "no indices",
            [](Device& d, VertexBuffer*, IndexBuffer*) {
                d.SetIndices(nullptr, 0);
                return d.DrawIndexedPrimitive(PrimitiveType::TriangleList, 0, 4, 0, 2);
            },
            Result::InvalidCall },
        { "no vertices",
            [](Device& d, VertexBuffer*, IndexBuffer*) {
                d.SetStreamSource(0, nullptr, 0);
                return d.DrawPrimitive(PrimitiveType::PointList, 0, 1);
            },
            Result::InvalidCall },
        { "stride below the vertex",
            [](Device& d, VertexBuffer* vb, IndexBuffer*) {
                d.SetStreamSource(0, vb, 12);
                return d.DrawPrimitive(PrimitiveType::PointList, 0, 1);
            },
            Result::InvalidCall },
        { "no format",
            [](Device& d, VertexBuffer*, IndexBuffer*) {
                d.SetVertexShader(0);
                return d.DrawPrimitive(PrimitiveType::PointList, 0, 1);
            },
            Result::InvalidCall },
        { "larger format than the stride",
            [](Device& d, VertexBuffer*, IndexBuffer*) {
                d.SetVertexShader(0x112);
                return d.DrawPrimitive(PrimitiveType::PointList, 0, 1);
            },
            Result::InvalidCall },
    };
    testing::internal::CaptureStderr();
    for (const Row& row : rows) {
        m_device->SetVertexShader(0x42);
        m_device->SetStreamSource(0, m_vb, 16);
        m_device->SetIndices(m_ib, 0);
        size_t before = Null().Draws().size();
        EXPECT_EQ(row.draw(*m_device, m_vb, m_ib), row.expected) << row.name;
        EXPECT_EQ(Null().Draws().size(), before + (row.expected == Result::Ok ? 1 : 0)) << row.name;
    }
    // Repeated refusals on the same buffer log once.
    m_device->DrawPrimitive(PrimitiveType::TriangleList, 0, 4);
    m_device->DrawPrimitive(PrimitiveType::TriangleList, 0, 4);
    std::string log = testing::internal::GetCapturedStderr();
    size_t count = 0;
    for (size_t at = log.find("vertices past the vertex buffer"); at != std::string::npos;
         at = log.find("vertices past the vertex buffer", at + 1))
        ++count;
    EXPECT_EQ(count, 1u) << log;
}

TEST_F(DrawTest, indexMaximaFollowEachUnlockedRange)
{
    EXPECT_EQ(m_ib->MaxIndex(0, 12), 9u);
    // Rewrite indices 6..11 to small values through a range lock: index 9 is gone.
    uint8_t* data = nullptr;
    ASSERT_EQ(m_ib->Lock(12, 12, &data, lock::kNoOverwrite), Result::Ok);
    const uint16_t smaller[6] = { 0, 1, 2, 2, 1, 3 };
    std::memcpy(data, smaller, sizeof smaller);
    m_ib->Unlock();
    EXPECT_EQ(m_ib->MaxIndex(0, 12), 3u);
    m_device->SetIndices(m_ib, 6);
    EXPECT_EQ(m_device->DrawIndexedPrimitive(PrimitiveType::TriangleList, 0, 4, 0, 4), Result::Ok);
    m_device->SetIndices(m_ib, 7);
    EXPECT_EQ(m_device->DrawIndexedPrimitive(PrimitiveType::TriangleList, 0, 3, 0, 4), Result::InvalidCall)
        << "index 3 plus base 7 passes the buffer";

    // Across blocks of cached maxima.
    Held<IndexBuffer> big;
    ASSERT_EQ(m_device->CreateIndexBuffer(2 * 300, 0, Format::Index16, Pool::Managed, &big), Result::Ok);
    ASSERT_EQ(big->Lock(2 * 150, 2, &data, 0), Result::Ok);
    const uint16_t nine = 9;
    std::memcpy(data, &nine, 2);
    big->Unlock();
    struct Row {
        uint32_t first, count, max;
    };
    const Row rows[] = { { 0, 300, 9 }, { 0, 150, 0 }, { 151, 149, 0 }, { 128, 64, 9 }, { 150, 1, 9 },
        { 64, 128, 9 }, { 0, 128, 0 } };
    for (const Row& row : rows)
        EXPECT_EQ(big->MaxIndex(row.first, row.count), row.max) << row.first << "+" << row.count;
}

TEST_F(DrawTest, drawRecordsCarryTheResolvedStateAndUserDrawsUnbindTheStream)
{
    Held<Texture> texture;
    m_device->CreateTexture(4, 4, 1, 0, Format::A8R8G8B8, Pool::Managed, &texture);
    m_device->SetTexture(1, texture);
    m_device->SetRenderState(RenderState::CullMode, StateValue(Cull::None));
    ASSERT_EQ(m_device->DrawIndexedPrimitive(PrimitiveType::TriangleList, 0, 4, 0, 2), Result::Ok);
    const null::DrawRecord& draw = Null().Draws().back();
    EXPECT_EQ(draw.vertexBuffer, m_vb->Id());
    EXPECT_EQ(draw.indexBuffer, m_ib->Id());
    EXPECT_EQ(draw.textures[1], texture->Id());
    EXPECT_EQ(draw.vertexShader, 0x42u);
    EXPECT_EQ(draw.call.vertexCount, 6u);
    EXPECT_EQ(draw.render[size_t(RenderState::CullMode)], StateValue(Cull::None));
    EXPECT_NE(draw.dirty, 0u);
    ASSERT_EQ(m_device->DrawIndexedPrimitive(PrimitiveType::TriangleList, 0, 4, 0, 2), Result::Ok);
    EXPECT_EQ(Null().Draws().back().dirty, 0u) << "nothing changed between the draws";

    // A transform marks its own bit, and only when its value changes.
    Matrix moved = Matrix::Identity();
    moved.m[3][0] = 2;
    m_device->SetTransform(Transform::World, Matrix::Identity());
    ASSERT_EQ(m_device->DrawIndexedPrimitive(PrimitiveType::TriangleList, 0, 4, 0, 2), Result::Ok);
    EXPECT_EQ(Null().Draws().back().dirty, 0u) << "the same world matrix again";
    m_device->SetTransform(Transform::World, moved);
    m_device->SetTransform(Transform::Texture3, moved);
    ASSERT_EQ(m_device->DrawIndexedPrimitive(PrimitiveType::TriangleList, 0, 4, 0, 2), Result::Ok);
    EXPECT_EQ(Null().Draws().back().dirty,
        dirty::TransformBit(Transform::World) | dirty::TransformBit(Transform::Texture3));

    // Render states that only feed values mark their own group.
    m_device->SetRenderState(RenderState::TextureFactor, 0xFF102030u);
    m_device->SetRenderState(RenderState::FogStart, FloatBits(2.0f));
    ASSERT_EQ(m_device->DrawIndexedPrimitive(PrimitiveType::TriangleList, 0, 4, 0, 2), Result::Ok);
    EXPECT_EQ(Null().Draws().back().dirty, dirty::kRenderValues);
    m_device->SetRenderState(RenderState::AlphaBlendEnable, 1);
    ASSERT_EQ(m_device->DrawIndexedPrimitive(PrimitiveType::TriangleList, 0, 4, 0, 2), Result::Ok);
    EXPECT_EQ(Null().Draws().back().dirty, dirty::kRenderStates);

    float quad[4][4] = {};
    ASSERT_EQ(m_device->DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, quad, 16), Result::Ok);
    EXPECT_EQ(Null().Draws().back().vertexBuffer, 0u);
    Held<VertexBuffer> stream;
    uint32_t stride = 1;
    m_device->GetStreamSource(0, &stream, stride);
    EXPECT_EQ(stream.p, nullptr);
    EXPECT_EQ(stride, 0u);
}

TEST_F(DrawTest, bufferLocksAreByteRangesInsideTheBuffer)
{
    uint8_t* data = nullptr;
    EXPECT_EQ(m_vb->Lock(150, 20, &data, 0), Result::InvalidCall);
    EXPECT_EQ(m_vb->Lock(161, 0, &data, 0), Result::InvalidCall);
    EXPECT_EQ(m_vb->Lock(0, 16, &data, lock::kDiscard | lock::kNoOverwrite), Result::InvalidCall);
    uint32_t uploads = Null().GetCounters().bufferUploads;
    ASSERT_EQ(m_vb->Lock(144, 0, &data, lock::kNoOverwrite), Result::Ok);
    EXPECT_EQ(data, m_vb->Bytes() + 144);
    EXPECT_EQ(m_vb->Lock(0, 16, &data, 0), Result::InvalidCall);
    ASSERT_EQ(m_vb->Unlock(), Result::Ok);
    EXPECT_EQ(Null().GetCounters().bufferUploads, uploads + 1);
    ASSERT_EQ(m_vb->Lock(0, 16, &data, lock::kReadOnly), Result::Ok);
    m_vb->Unlock();
    EXPECT_EQ(Null().GetCounters().bufferUploads, uploads + 1) << "a read-only lock uploads nothing";
    EXPECT_EQ(m_vb->Unlock(), Result::InvalidCall);
}

TEST_F(GfxTest, failureInjectionRefusesCreation)
{
    CreateWindowed();
    null::GetConfig().failCreates = 1;
    Held<Texture> texture;
    EXPECT_EQ(m_device->CreateTexture(8, 8, 1, 0, Format::A8R8G8B8, Pool::Managed, &texture),
        Result::OutOfVideoMemory);
    EXPECT_EQ(texture.p, nullptr);
    EXPECT_EQ(m_device->CreateTexture(8, 8, 1, 0, Format::A8R8G8B8, Pool::Managed, &texture), Result::Ok);
    DeviceCounts counts = m_device->Counts();
    EXPECT_EQ(counts.resources[size_t(Pool::Managed)], 1u);
    EXPECT_EQ(counts.bytes[size_t(Pool::Managed)], 256u);
}

TEST_F(GfxTest, resourcesOutliveTheirDeviceAsPlainMemory)
{
    CreateWindowed();
    Texture* texture = nullptr;
    ASSERT_EQ(m_device->CreateTexture(8, 8, 1, 0, Format::A8R8G8B8, Pool::Managed, &texture), Result::Ok);
    m_device->SetTexture(0, texture);
    Surface* back = nullptr;
    m_device->GetRenderTarget(&back);
    m_device->Release();
    m_device = nullptr;
    LockedRect locked;
    ASSERT_EQ(texture->LockRect(0, locked, nullptr, 0), Result::Ok);
    EXPECT_EQ(texture->UnlockRect(0), Result::Ok);
    EXPECT_EQ(texture->OwnerDevice(), nullptr);
    EXPECT_EQ(texture->Release(), 0u);
    EXPECT_EQ(back->Release(), 0u);
}

} // namespace
} // namespace plat::gfx::test
