// CRenderer: the cockpit display over the world.
#include "ui/CRenderer.h"

#include "ai/CFerrovant.h"
#include "foundation/CTimer.h"
#include "foundation/CallTrace.h"
#include "platform/gfx/device.h"
#include "platform/gfx/states.h"
#include "render/CModelManager.h"
#include "render/Graphic.h"
#include "render/Mesh.h"
#include "render/TexShaderManager.h"
#include "render/TextureManager.h"
#include "ui/CMessager.h"
#include "ui/CRadar.h"
#include "ui/ScannerTexture.h"
#include "world/db/CEquipmentManager.h"
#include "world/db/CGunManager.h"
#include "world/db/CMissileManager.h"
#include "world/objects/CCamera.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/PlayerGlobals.h"
#include "world/terrain/CEnvironment.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr float kPi = std::numbers::pi_v<float>;
constexpr float kAtlas = 512.0f;
constexpr float kLowRatio = 0.24060151f; // 32 / 133
constexpr uint32_t kGreen = 0xFF93EE6Bu;
constexpr uint32_t kOrange = 0xFFFF6C00u;
constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr uint32_t kGrey = 0xFF808080u;
constexpr int kBoostIcon = 14;

const std::vector<SKokpitPiece> kPieces = {
    { "upper right frame", 2, 308, 150, 150 },
    { "upper left frame", 154, 308, 165, 123 },
    { "lower left frame", 329, 1, 182, 58 },
    { "lower right frame", 2, 0, 182, 58 },
    { "number box", 330, 61, 71, 20 },
    { "weapon panel", 2, 460, 93, 51 },
    { "lamp box", 198, 473, 60, 38 },
    { "gauge bar", 2, 250, 133, 19 },
    { "gauge warning", 2, 73, 176, 51 },
    { "weapon bar", 149, 250, 60, 19 },
    { "status frame", 2, 126, 104, 66 },
    { "lamp glow", 1, 193, 76, 56 },
    { "not ready cover", 337, 458, 93, 51 },
    { "bracket lower", 319, 367, 193, 66 },
    { "bracket right", 448, 174, 66, 193 },
};

const SKokpitPiece& Piece(const char* name)
{
    return *std::find_if(kPieces.begin(), kPieces.end(),
        [&](const SKokpitPiece& piece) { return std::string_view(piece.name) == name; });
}

// The alpha byte of a blink at k half-turns a second, over the colour's low 24 bits.
uint32_t Blink(uint32_t colour, float k)
{
    const double t = GameClock;
    const auto alpha = uint32_t(255.0 * (std::sin(k * kPi * t) + 1.0) / 2.0);
    return alpha << 24 | (colour & 0xFFFFFFu);
}

float Pulse()
{
    return float(0.75 + 0.25 * std::sin(4.0 * kPi * GameClock));
}

uint32_t BlendColour(uint32_t a, uint32_t b, float q)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const float channel = float((a >> shift) & 0xFF) * q + float((b >> shift) & 0xFF) * (1.0f - q);
        out |= uint32_t(std::clamp(channel, 0.0f, 255.0f)) << shift;
    }
    return out;
}

// A bar's length in pixels, never negative.
float BarLength(float full, float ratio)
{
    return float(int(full * std::clamp(ratio, 0.0f, 1.0f)));
}

} // namespace

const std::vector<SKokpitPiece>& KokpitPieces()
{
    return kPieces;
}

std::vector<SWeaponPanel> CRenderer::WeaponPanels(const CGliderObject& glider)
{
    std::vector<SWeaponPanel> panels;
    for (const int mount : { 0, 1, 3, 2 }) {
        const CGun& gun = glider.guns[mount];
        const bool launcher = mount >= 2;
        if (!gun.assigned || !gun.desc || (launcher && gun.projectileType == -1))
            continue;
        const int32_t icon = launcher ? g_MissileManager.GetDesc(gun.projectileType).icon : gun.desc->icon;
        panels.push_back(MakeWeaponPanel(gun, *gun.desc, icon));
    }
    return panels;
}

std::vector<CRenderer::SLamp> CRenderer::Lamps(const CGliderObject& glider, const CFerrovant& machine)
{
    std::vector<SLamp> lamps { { kBoostIcon, glider.throttle > 1.1f } };
    for (int i = 0; i < machine.MountedCount() && lamps.size() < size_t(kMaxLamps); ++i) {
        const CEquipment& item = machine.Mounted(i);
        if (item.index < 0)
            continue;
        const SEquipmentType& row = g_EquipmentManager.GetEquipment(item.index);
        if (row.lamp)
            lamps.push_back({ row.icon, item.active != 0 });
    }
    return lamps;
}

std::vector<CRenderer::SDamaged> CRenderer::DamagedParts(const CFerrovant& machine)
{
    std::vector<SDamaged> parts;
    const std::pair<const CEquipment*, int32_t> candidates[]
        = { { &machine.hull, 4 }, { &machine.reactor, 6 }, { &machine.engine, 5 } };
    for (const auto& [part, icon] : candidates) {
        const float ratio = part->WearRatio();
        if (ratio != 0.0f)
            parts.push_back({ icon, ratio });
    }
    return parts;
}

void CRenderer::DrawKokpit()
{
    ZJ_TRACE("CRenderer::DrawKokpit");
    if ((CameraMode != 0 && CameraMode != 1) || !PlayerObject || PlayerObject->type != 14 || !PlayerFerrovant)
        return;
    const auto& glider = *static_cast<const CGliderObject*>(PlayerObject);
    const CFerrovant& machine = *PlayerFerrovant;
    if (glider.target && glider.target->type == 14)
        DrawTarget();
    SKokpitFrame frame;
    {
        ZJ_TRACE("EQP");
        frame.weapons = WeaponPanels(glider);
        frame.lamps = Lamps(glider, machine);
        frame.damaged = DamagedParts(machine);
    }
    frame.energy = machine.GetEnergyLevel(0);
    frame.armour = machine.GetArmorLevel(0);
    frame.shield = machine.GetShieldLevel(0);
    frame.armourHits = ArmourHits;
    frame.shieldHits = ShieldHits;
    frame.hullHits = HullHits;
    frame.speed = int32_t(float(int32_t(Vec3Length(glider.velocity))) * 3.6f);
    frame.hours = TimeOfDay();
    frame.markShown = g_pRadar && g_pRadar->markShown;
    if (frame.markShown) {
        Vec3 offset;
        Vec3Sub(offset, g_pRadar->markPosition, glider.frame.position);
        frame.markDistance = int32_t(Vec3Length(offset));
    }
    DrawPanels(frame);
    DrawAimingMark(glider);
    if (glider.target && glider.target->type == 14)
        DrawTargetBadge(*static_cast<const CGliderObject*>(glider.target));
    DrawQuest();
}

void CRenderer::DrawPanels(const SKokpitFrame& frame)
{
    const std::vector<SWeaponPanel>& weapons = frame.weapons;
    const std::vector<SLamp>& lamps = frame.lamps;
    const std::vector<SDamaged>& damaged = frame.damaged;
    CTexture* atlas = Texture(texAll);
    CTexture* icons = g_pTextureManager ? Texture(g_pTextureManager->FindTexture("TEX_KT_ICONS")) : nullptr;
    const float W = float(g_Graphic.ScreenWidth());
    const float H = float(g_Graphic.ScreenHeight());
    const int32_t base = (g_Graphic.ScreenHeight() - 256) / 2;
    const auto row = [&](size_t i) { return float(base + 56 * int32_t(i)); };

    // Frame pieces, one batch.
    const auto add = [&](const char* name, float x1, float y1, float x2, float y2) {
        const SKokpitPiece& p = Piece(name);
        AddPiece(x1, y1, x2, y2, float(p.u), float(p.v), kAtlas, kAtlas);
    };
    add("upper right frame", W - 160, 10, W - 10, 160);
    add("upper left frame", 10, 10, 175, 133);
    add("lower left frame", 10, H - 68, 192, H - 10);
    add("lower right frame", W - 192, H - 68, W - 10, H - 10);
    add("number box", 11, H - 88, 82, H - 68);
    add("number box", W - 82, H - 88, W - 11, H - 68);
    if (frame.markShown)
        add("number box", W - 160, 161, W - 89, 181);
    for (size_t i = 0; i < weapons.size(); ++i)
        add("weapon panel", 12, row(i), 105, row(i) + 51);
    for (size_t i = 0; i < lamps.size(); ++i)
        add("lamp box", W - 70, row(i), W - 10, row(i) + 38);
    for (size_t j = 0; j < damaged.size(); ++j)
        add("weapon panel", 12 + 98 * float(j), H - 160, 105 + 98 * float(j), H - 109);
    FlushPieces(kPlainSlot, atlas);

    // Gauges with their warnings.
    struct SGauge {
        float top;
        float ratio;
        float hits;
    };
    const SGauge gauges[] = { { 29, frame.energy, 0.0f }, { 71, frame.armour, frame.armourHits },
        { 113, frame.shield, frame.shieldHits } };
    const SKokpitPiece& gauge = Piece("gauge bar");
    const SKokpitPiece& warning = Piece("gauge warning");
    for (const SGauge& g : gauges) {
        DrawTinted(atlas, g.ratio > kLowRatio ? kGreen : kOrange, 38, g.top, 38 + BarLength(133, g.ratio),
            g.top + 19, float(gauge.u), float(gauge.v), kAtlas, kAtlas);
        if (g.ratio < kLowRatio || g.hits != 0.0f)
            DrawTinted(atlas, Blink(0xFF6C00, g.hits != 0.0f ? 8.0f : 4.0f), 4, g.top - 25, 180, g.top + 26,
                float(warning.u), float(warning.v), kAtlas, kAtlas);
    }

    // Speed, time of day and the distance to the mark.
    AddNumber(55, H - 84, frame.speed, false);
    const float hours = frame.hours;
    AddNumber(W - 27, H - 84, int32_t(hours) * 100 + int32_t((hours - float(int32_t(hours))) * 60.0f), true);
    if (frame.markShown)
        AddNumber(W - 107, 165, frame.markDistance, false);
    if (g_TexShaderManager)
        g_TexShaderManager->SetFactorColor(kGreen);
    FlushPieces(kTintSlot, atlas);

    DrawWeaponPanels(weapons, base, atlas);
    for (size_t i = 0; i < weapons.size(); ++i)
        if (weapons[i].ammoFed)
            AddNumber(85, row(i) + 33, weapons[i].ammo, false);
    FlushPieces(kPlainSlot, atlas);

    const SKokpitPiece& glow = Piece("lamp glow");
    for (size_t i = 0; i < lamps.size(); ++i) {
        if (!lamps[i].lit)
            continue;
        if (g_TexShaderManager) {
            g_TexShaderManager->SetFactorColor(kWhite);
            g_TexShaderManager->SetFactorAlpha(float((std::sin(4.0 * kPi * GameClock) + 1.0) / 2.0));
        }
        DrawPiece(kTintSlot, atlas, W - 77, row(i) - 8, W - 1, row(i) + 48, float(glow.u), float(glow.v),
            kAtlas, kAtlas);
    }
    const SKokpitPiece& bar = Piece("weapon bar");
    const SKokpitPiece& status = Piece("status frame");
    for (size_t j = 0; j < damaged.size(); ++j) {
        const float x = 98 * float(j);
        DrawTinted(atlas, kOrange, 43 + x, H - 131, 43 + x + BarLength(60, damaged[j].ratio), H - 112,
            float(bar.u), float(bar.v), kAtlas, kAtlas);
        DrawTinted(atlas, Blink(0xFF6C00, 4.0f), 8 + x, H - 165, 112 + x, H - 99, float(status.u),
            float(status.v), kAtlas, kAtlas);
    }

    // Icons, 64 x 32 cells of "TEX_KT_ICONS".
    const auto icon = [&](int slot, int32_t n, float x, float y, float alpha) {
        if (g_TexShaderManager && slot == kTintSlot) {
            g_TexShaderManager->SetFactorColor(kWhite);
            g_TexShaderManager->SetFactorAlpha(alpha);
        }
        DrawPiece(
            slot, icons, x, y, x + 64, y + 32, float(64 * (n / 16)), float(32 * (n % 16)), 256.0f, 512.0f);
    };
    for (size_t i = 0; i < weapons.size(); ++i) {
        const SWeaponPanel& w = weapons[i];
        icon(kTintSlot, w.icon, 16, row(i) + 3, w.firing || w.lowAmmo || w.readyFlash ? Pulse() : 1.0f);
    }
    for (size_t i = 0; i < lamps.size(); ++i)
        icon(kTintSlot, lamps[i].icon, W - 66, row(i) + 3, lamps[i].lit ? Pulse() : 1.0f);
    for (size_t j = 0; j < damaged.size(); ++j)
        icon(kPlainSlot, damaged[j].icon, 16 + 98 * float(j), H - 158, 1.0f);
    const SKokpitPiece& cover = Piece("not ready cover");
    for (size_t i = 0; i < weapons.size(); ++i)
        if (weapons[i].notReady)
            AddPiece(12, row(i), 105, row(i) + 51, float(cover.u), float(cover.v), kAtlas, kAtlas);
    FlushPieces(kPlainSlot, atlas);

    if (showMessagesAndRadar) {
        if (g_pMessager)
            g_pMessager->Draw();
        if (g_pRadar)
            g_pRadar->DrawMinimap(atlas, 0);
    }
    DrawPiece(kPlainSlot, ScannerTexture(), 38, H - 70, 166, H - 6, 0.0f, 0.0f, float(kScannerWidth),
        float(kScannerHeight));
    DrawBrackets(frame, atlas);
}

void CRenderer::DrawWeaponPanels(const std::vector<SWeaponPanel>& panels, int32_t base, CTexture* atlas)
{
    const SKokpitPiece& bar = Piece("weapon bar");
    const SKokpitPiece& status = Piece("status frame");
    const auto drawBar = [&](uint32_t colour, float y, float start, float length) {
        DrawTinted(atlas, colour, 42 + start, y, 42 + start + length, y + 19, float(bar.u) + start,
            float(bar.v), kAtlas, kAtlas);
    };
    for (size_t i = 0; i < panels.size(); ++i) {
        const SWeaponPanel& w = panels[i];
        const float y = float(base + 56 * int32_t(i));
        const float barY = y + 29;
        if (w.charged && w.charge != 1.0f) {
            drawBar(kGrey, barY, 0, 60);
            drawBar(kGreen, barY, 0, BarLength(60, w.charge));
        } else if (!w.heatLimited) {
            const bool sweep = w.q < 1.0f && w.rate < 60.0f;
            if (!w.ammoFed)
                drawBar(kGreen, barY, 0, 60);
            if (sweep || !w.ammoFed) {
                const float q = std::clamp(w.q, 0.0f, 1.0f);
                const float start = float(int(60.0f * std::max(0.0f, 2.0f * (q - 0.5f))));
                drawBar(kWhite, barY, start, float(int(std::min(60.0f - start, 120.0f * q))));
            }
        } else if (!w.ammoFed) {
            drawBar(w.overheated ? kOrange : BlendColour(kGreen, 0xFFFFFF00u, std::clamp(w.q, 0.0f, 1.0f)),
                barY, 0, BarLength(60, w.q));
        }
        if (w.firing || w.lowAmmo || w.readyFlash) {
            uint32_t colour;
            if (w.lowAmmo && !w.readyFlash)
                colour = Blink(0xFF6C00, 4.0f);
            else {
                const double a
                    = 255.0 * (std::sin(4.0 * kPi * GameClock) + 1.0) / 2.0 * (w.fireFlash + 1.0) / 2.0;
                colour = uint32_t(std::clamp(a, 0.0, 255.0)) << 24 | 0xFFFFFFu;
            }
            DrawTinted(
                atlas, colour, 7, y - 5, 111, y + 61, float(status.u), float(status.v), kAtlas, kAtlas);
        }
    }
}

void CRenderer::DrawBrackets(const SKokpitFrame& frame, CTexture* atlas)
{
    if (frame.armourHits == 0.0f && frame.hullHits == 0.0f && frame.shieldHits == 0.0f)
        return;
    plat::gfx::Device* device = g_Graphic.GetDevice();
    if (!device || !g_pModelManager || g_pModelManager->ScreenSlot() < 0)
        return;
    const float m = std::min(1.0f, std::max({ frame.armourHits, frame.hullHits, frame.shieldHits }));
    const float f = float((std::sin(4.0 * kPi * GameClock) * m + 1.0 - m) * 0.25 + 0.75);
    const int32_t w = g_Graphic.ScreenWidth();
    const int32_t h = g_Graphic.ScreenHeight();
    const SKokpitPiece& lower = Piece("bracket lower");
    const SKokpitPiece& right = Piece("bracket right");
    const auto add = [&](const SKokpitPiece& p, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
        AddPiece(float(x1), float(y1), float(x2), float(y2), float(p.u), float(p.v), kAtlas, kAtlas);
    };
    add(lower, w / 2 - 96, 3 * h / 4 - 32, w / 2 + 97, 3 * h / 4 + 34);
    add(lower, w / 2 - 96, h / 4 + 32, w / 2 + 97, h / 4 - 34);
    add(right, 3 * w / 4 - 32, h / 2 - 96, 3 * w / 4 + 34, h / 2 + 97);
    add(right, w / 4 + 32, h / 2 - 96, w / 4 - 34, h / 2 + 97);
    m_largeBatch.firstVertex = m_largeBatch.firstIndex = 0;
    Mesh* mesh = g_pModelManager->GetRenderSingleBufMesh(g_pModelManager->ScreenSlot(), m_largeBatch);
    m_largeBatch.vertexCount = m_largeBatch.indexCount = 0;
    if (!mesh)
        return;
    // Colour = atlas x factor; alpha = atlas alpha - f, then squared and times four.
    using plat::gfx::Arg;
    using plat::gfx::RenderState;
    using plat::gfx::StageState;
    using plat::gfx::TextureArg;
    using plat::gfx::TextureOp;
    const auto stage = [&](uint32_t i, StageState state, uint32_t value) {
        device->SetTextureStageState(i, state, value);
    };
    device->SetRenderState(RenderState::TextureFactor, uint32_t(f * 255.0f) << 24 | 0xFFFFFFu);
    stage(0, StageState::ColorOp, uint32_t(TextureOp::Modulate));
    stage(0, StageState::ColorArg1, Arg(TextureArg::Texture));
    stage(0, StageState::ColorArg2, Arg(TextureArg::TFactor));
    stage(0, StageState::AlphaOp, uint32_t(TextureOp::Subtract));
    stage(0, StageState::AlphaArg1, Arg(TextureArg::Texture));
    stage(0, StageState::AlphaArg2, Arg(TextureArg::TFactor));
    stage(1, StageState::ColorOp, uint32_t(TextureOp::SelectArg1));
    stage(1, StageState::ColorArg1, Arg(TextureArg::Current));
    stage(1, StageState::AlphaOp, uint32_t(TextureOp::Modulate4x));
    stage(1, StageState::AlphaArg1, Arg(TextureArg::Current));
    stage(1, StageState::AlphaArg2, Arg(TextureArg::Current));
    device->SetRenderState(RenderState::AlphaBlendEnable, 1);
    device->SetRenderState(RenderState::SrcBlend, uint32_t(plat::gfx::Blend::SrcAlpha));
    device->SetRenderState(RenderState::DestBlend, uint32_t(plat::gfx::Blend::InvSrcAlpha));
    device->SetRenderState(RenderState::CullMode, uint32_t(plat::gfx::Cull::None));
    if (atlas)
        atlas->SetToStage(0);
    mesh->Render(true);
    stage(1, StageState::ColorOp, uint32_t(TextureOp::Disable));
    stage(1, StageState::AlphaOp, uint32_t(TextureOp::Disable));
    device->SetRenderState(RenderState::SrcBlend, uint32_t(plat::gfx::Blend::One));
    device->SetRenderState(RenderState::DestBlend, uint32_t(plat::gfx::Blend::Zero));
    device->SetRenderState(RenderState::CullMode, uint32_t(plat::gfx::Cull::Ccw));
    if (g_TexShaderManager)
        g_TexShaderManager->ResetCurrent();
}
