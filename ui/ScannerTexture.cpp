#include "ui/ScannerTexture.h"

#include "ai/CFerrovant.h"
#include "foundation/CTimer.h"
#include "foundation/CViewFrame.h"
#include "platform/gfx/device.h"
#include "platform/gfx/resource.h"
#include "render/CTexture.h"
#include "render/Graphic.h"
#include "world/db/CBuildingManager.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/CHelperPoint.h"
#include "world/objects/CObjectList.h"
#include "world/objects/CTheThing.h"
#include "world/objects/PlayerGlobals.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

int32_t ScannerRandomState = 0;

namespace {

constexpr float kPi = std::numbers::pi_v<float>;
constexpr int kBuildingType = 11;
constexpr int kGliderType = 14;
constexpr int kThingType = 21;
constexpr int kNoScanBuildingKind = 7;

CTexture* g_systemTexture = nullptr;
CTexture* g_deviceTexture = nullptr;

void ReleaseTexture(CTexture*& texture)
{
    delete texture;
    texture = nullptr;
}

CTexture* MakeTexture(plat::gfx::Pool pool)
{
    auto* texture = new CTexture();
    g_Graphic.CreateTexture(texture, kScannerWidth, kScannerHeight, 1, plat::gfx::Format::A4R4G4B4, pool, 0);
    if (!texture->GetTexture())
        ReleaseTexture(texture);
    return texture;
}

int32_t NextRandom()
{
    ScannerRandomState = int32_t((int64_t(ScannerRandomState) * 9301 + 49297) % 233280);
    return ScannerRandomState;
}

uint16_t HalveAlpha(uint16_t pixel)
{
    return uint16_t((((pixel >> 12) >> 1) << 12) | (pixel & 0x0FFF));
}

// Locks the painted texture, lets write fill it, unlocks and copies it to the device texture.
template <class Write> void PaintTexture(Write write)
{
    plat::gfx::Device* device = g_Graphic.GetDevice();
    if (!device || !g_systemTexture || !g_deviceTexture)
        return;
    plat::gfx::Texture* painted = g_systemTexture->GetTexture();
    plat::gfx::LockedRect locked;
    if (plat::gfx::Failed(painted->LockRect(0, locked, nullptr, 0)))
        return;
    write(static_cast<uint8_t*>(locked.bits), locked.pitch);
    painted->UnlockRect(0);
    device->UpdateTexture(painted, g_deviceTexture->GetTexture());
}

struct SScannerView {
    Vec3 centre;
    float base;
};

void AddThing(float* channel, const SScannerView& view, const Vec3& position, float amplitude, float spread)
{
    const float bearing = std::atan2(position.x - view.centre.x, position.y - view.centre.y);
    AddScannerSpike(channel, ScannerColumn(view.base, bearing), amplitude, int(spread * amplitude));
}

float Distance(const Vec3& a, const Vec3& b)
{
    Vec3 offset;
    Vec3Sub(offset, a, b);
    return Vec3Length(offset);
}

void FillBuildings(const SScannerView& view, float* channel)
{
    SObjectQuery list {};
    ObjectList.GetRealTimeObjectList(view.centre, 3000.0f, kBuildingType, list);
    for (int i = 0; i < list.count; ++i) {
        const CZJObject* building = list.objects[i];
        const int row = building->typeIndex;
        if (row >= 0 && row < g_BuildingManager.RowCount()) {
            const SBuildingType& desc = g_BuildingManager.GetDesc(row);
            if (desc.kind == kNoScanBuildingKind || !desc.radiates)
                continue;
        }
        const float d = Distance(building->frame.position, view.centre);
        AddThing(channel, view, building->frame.position,
            std::min(20.0f, 1.0f + 64.0f * building->radius / (d + 500.0f)), 0.5f);
    }
}

void FillGliders(const SScannerView& view, float* channel)
{
    SObjectQuery list {};
    ObjectList.GetRealTimeObjectList(view.centre, 2000.0f, kGliderType, list);
    const int playerLevel = PlayerFerrovant ? PlayerFerrovant->level : 0;
    for (int i = 0; i < list.count; ++i) {
        const auto* glider = static_cast<const CGliderObject*>(list.objects[i]);
        if (glider == PlayerObject)
            continue;
        const int level = glider->ferrovant ? glider->ferrovant->level : 0;
        const float q = float(level / (playerLevel + 1));
        const float d = Distance(glider->frame.position, view.centre);
        AddThing(channel, view, glider->frame.position,
            std::min(20.0f, 2.0f + 16.0f * glider->radius / (d + 100.0f) * q * q), 0.75f);
    }
}

void FillHelpers(const SScannerView& view, float* channel)
{
    for (const CHelperPoint* point : ObjectList.HelperPoints()) {
        Vec3 offset;
        Vec3Sub(offset, point->transform.position, view.centre);
        if (Vec3LengthSq(offset) >= 1000000.0f)
            continue;
        const float d = Vec3Length(offset);
        AddThing(channel, view, point->transform.position, std::min(10.0f, 10000.0f / d), 0.25f);
    }
}

void FillThings(const SScannerView& view, float* channel)
{
    SObjectQuery list {};
    ObjectList.GetRealTimeObjectList(view.centre, 1000.0f, kThingType, list);
    for (int i = 0; i < list.count; ++i) {
        const auto* thing = static_cast<const CTheThing*>(list.objects[i]);
        if (!thing->onGround)
            continue;
        const float d = Distance(thing->frame.position, view.centre);
        AddThing(channel, view, thing->frame.position, std::min(20.0f, 3.0f + 500.0f / (d + 50.0f)), 0.75f);
    }
}

} // namespace

bool CreateScannerTextures()
{
    ReleaseScannerTextures();
    if (!g_Graphic.GetDevice())
        return false;
    g_systemTexture = MakeTexture(plat::gfx::Pool::SystemMem);
    g_deviceTexture = MakeTexture(plat::gfx::Pool::Default);
    if (!g_systemTexture || !g_deviceTexture) {
        ReleaseScannerTextures();
        return false;
    }
    return true;
}

void ReleaseScannerTextures()
{
    ReleaseTexture(g_systemTexture);
    ReleaseTexture(g_deviceTexture);
}

CTexture* ScannerTexture()
{
    return g_deviceTexture;
}

CTexture* ScannerSystemTexture()
{
    return g_systemTexture;
}

int ScannerColumn(float base, float bearing)
{
    float v = base - bearing / kPi * 64.0f;
    if (v < 0.0f)
        v += 128.0f;
    else if (v > 128.0f)
        v -= 128.0f;
    const float u = v - 64.0f;
    const float side = u > 0.0f ? 1.0f : -1.0f;
    return (int(64.0f + side * 8.0f * std::sqrt(std::fabs(u))) + 512) % kScannerWidth;
}

void AddScannerSpike(float* channel, int column, float amplitude, int halfWidth)
{
    channel[column] += amplitude * (0.8f + float(NextRandom() % 10000) * 0.00004f);
    for (int k = 1; k <= halfWidth; ++k) {
        const float side = amplitude / float(k);
        channel[(column + k) % kScannerWidth] += side * (0.75f + float(NextRandom() % 10000) * 0.00005f);
        channel[((column - k) % kScannerWidth + kScannerWidth) % kScannerWidth]
            += side * (0.75f + float(NextRandom() % 10000) * 0.00005f);
    }
}

void PaintScannerRows(const SScannerChannels& channels, double clock, uint8_t* bits, int32_t pitch)
{
    for (int i = 0; i < kScannerWidth; ++i) {
        const float f = float(std::fabs(std::sin(10.0 * clock + 0.3 * i)) * 0.75 + 0.25);
        const float b = f * channels.glider[i];
        const float a = f * channels.building[i];
        const float t = f * channels.thing[i];
        const float h = f * channels.helper[i];
        for (int y = kScannerFirstRow; y <= kScannerLastRow; ++y) {
            const int d = std::abs(y - 32);
            const float df = float(d);
            uint16_t pixel = df < b ? 0xFFFF : df < a ? 0x80F0 : df < t ? 0xF85F : df < h ? 0xFF80 : 0x0000;
            if (i % 3 == 0)
                pixel = HalveAlpha(pixel);
            if (d == int(b) || d == int(a) || d == int(t))
                pixel = HalveAlpha(pixel);
            std::memcpy(bits + y * pitch + i * 2, &pixel, 2);
        }
    }
}

void ClearScannerTexture()
{
    PaintTexture([](uint8_t* bits, int32_t pitch) {
        const uint16_t black = 0xF000;
        for (int y = kScannerFirstRow; y <= kScannerLastRow; ++y)
            for (int i = 0; i < kScannerWidth; ++i)
                std::memcpy(bits + y * pitch + i * 2, &black, 2);
    });
}

void UpdateScannerTexture()
{
    SScannerChannels channels {};
    const Vec3 forward = ViewFrame.forward;
    const float heading = std::atan2(forward.x, forward.y);
    const SScannerView view { ViewFrame.position, (heading + kPi) / kPi * 64.0f };
    FillBuildings(view, channels.building);
    FillGliders(view, channels.glider);
    FillHelpers(view, channels.helper);
    FillThings(view, channels.thing);
    PaintTexture([&](uint8_t* bits, int32_t pitch) { PaintScannerRows(channels, GameClock, bits, pitch); });
}
