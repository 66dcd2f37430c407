// CRenderer: the markers of the current target's group, the quest timers, the information panel
// and the warning colours they share with the message window.
#include "ui/CRenderer.h"

#include "ai/CFerroGroup.h"
#include "ai/CFerrovant.h"
#include "foundation/CTimer.h"
#include "foundation/CViewFrame.h"
#include "foundation/CallTrace.h"
#include "foundation/GroupName.h"
#include "render/CFont.h"
#include "render/Graphic.h"
#include "render/TexShaderManager.h"
#include "render/TextureManager.h"
#include "script/CZJScriptManager.h"
#include "ui/CRadar.h"
#include "world/db/CEquipmentManager.h"
#include "world/db/CGunManager.h"
#include "world/db/COrgManager.h"
#include "world/objects/CCamera.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/CObjectList.h"
#include "world/objects/PlayerGlobals.h"
#include "world/terrain/CEnvironment.h"
#include "world/terrain/CLocation.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>

namespace {

constexpr float kSecondsPerDay = 86400.0f;

CRenderer::SClip Project(const Vec3& p)
{
    const float* m = ViewFrame.combined.m;
    return { p.x * m[0] + p.y * m[4] + p.z * m[8] + m[12], p.x * m[1] + p.y * m[5] + p.z * m[9] + m[13],
        p.x * m[3] + p.y * m[7] + p.z * m[11] + m[15] };
}

bool InView(const CRenderer::SClip& c)
{
    return c.w >= 0.0f && std::fabs(c.x) <= 1.02f * c.w && std::fabs(c.y) <= 1.02f * c.w;
}

// Rounds half away from zero.
int32_t RoundAway(float value)
{
    return int32_t(value + (value < 0.0f ? -0.5f : 0.5f));
}

// The text of a key, empty when the table has none.
std::string KeyText(const char* key)
{
    CXAnsiString text;
    if (!g_pScriptManager || !g_pScriptManager->GetText(key, text))
        return {};
    return text.Text();
}

} // namespace

float TargetArmourRatio(float hullMaxWear, float hullWear, float armour, float maxArmour)
{
    const float whole = hullMaxWear * 0.5f + maxArmour;
    if (!(whole > 0.0f))
        return 0.0f;
    return ((hullMaxWear - hullWear) * 0.5f + armour) / whole;
}

uint32_t WarningSignColour(int sign, double clock)
{
    const double p = 1.0 - 0.75 * (1.5 * clock - std::floor(1.5 * clock));
    const double q = std::max(p, 0.8);
    const auto alpha = uint32_t(255.0 * p);
    const auto blue = uint32_t((q - 0.8) * 1275.0);
    uint32_t red = 255;
    uint32_t green;
    switch (sign) {
    case 5:
        green = 255;
        break;
    case 6:
        green = uint32_t(0x80 + (q - 0.8) * 635.0);
        break;
    case 7:
        red = green = uint32_t((q - 0.8) * 1275.0);
        break;
    default:
        green = uint32_t(0x2C + (q - 0.8) * 1055.0);
        break;
    }
    return alpha << 24 | std::min(red, 255u) << 16 | std::min(green, 255u) << 8 | std::min(blue, 255u);
}

void CRenderer::DrawTarget()
{
    ZJ_TRACE("CRenderer::DrawTarget");
    const auto* player = static_cast<const CGliderObject*>(PlayerObject);
    const auto* target = static_cast<const CGliderObject*>(player->target);
    const CFerroGroup* group = target->ferrovant ? target->ferrovant->group : nullptr;
    uint32_t colour = 0xFF808080u;
    if (group) {
        for (int i = 0; i < group->targetCount; ++i)
            if (group->targets[i].group == 0) {
                colour = CRadar::GetPointColor(group->targets[i]);
                break;
            }
    }
    std::vector<const CGliderObject*> members;
    if (group) {
        for (int i = 0; i < std::min(group->memberCount, int(CFerroGroup::kMaxMembers)); ++i)
            if (const CGliderObject* glider = group->members[i].glider)
                members.push_back(glider);
    } else {
        members.push_back(target);
    }
    CTexture* corner = Texture(texTargetCorner);
    const float W = float(g_Graphic.ScreenWidth());
    const float H = float(g_Graphic.ScreenHeight());
    const Vec3 camera = ViewFrame.position;
    for (const CGliderObject* member : members) {
        if (!member->alive || !member->visible)
            continue;
        const uint32_t tint = member == target ? colour : colour & 0x7FFFFFFFu;
        SClip c = Project(member->frame.position);
        if (!InView(c)) {
            Vec3 toMember;
            Vec3Sub(toMember, member->frame.position, camera);
            const float distance = Vec3Length(toMember);
            const float k = member->radius > 0.0f ? distance / member->radius : 0.0f;
            if (k >= 2.0f) {
                // The point beside the member, across the line of sight toward the view axis.
                Vec3 across;
                Vec3Cross(across, toMember, ViewFrame.forward);
                Vec3Cross(across, across, toMember);
                Vec3Normalize(across, across);
                Vec3 point;
                Vec3Scale(point, across, (0.6f / (k * k) + 1.0f) * member->radius);
                Vec3AddInPlace(point, member->frame.position);
                c = Project(point);
                if (!InView(c)) {
                    DrawArrow(c, tint);
                    continue;
                }
            }
        }
        if (c.w == 0.0f)
            continue;
        const float cx = W / 2 * (1 + c.x / c.w);
        const float cy = H / 2 * (1 - c.y / c.w);
        const float s = std::clamp(W / c.w * member->radius * 0.5f - 8.0f, -8.0f, 128.0f);
        const int corners[4][2] = { { -1, -1 }, { 1, -1 }, { 1, 1 }, { -1, 1 } };
        for (const auto& [dx, dy] : corners) {
            const float x = float(int(cx + float(dx) * s));
            const float y = float(int(cy + float(dy) * (s + 31)));
            DrawTinted(
                corner, tint, x, y, x + 32.0f * float(dx), y - 32.0f * float(dy), 0.0f, 0.0f, 32.0f, 32.0f);
        }
        const CFerrovant* machine = member->ferrovant;
        if (!machine)
            continue;
        const float x0 = float(int(cx - s - 16));
        const float length = 2 * s + 32;
        const float top = float(int(cy - s - 33));
        DrawBar(0xA0404040u, x0, top, x0 + float(int(length)), top + 6);
        DrawBar(0xA04040FFu, x0, top, x0 + float(int(length * machine->GetShieldLevel(0))), top + 3);
        const float hullMax = machine->hull.MaximumWear();
        const float armour = TargetArmourRatio(
            hullMax, machine->hull.wear, machine->GetArmorLevel(1), machine->GetArmorLevel(2));
        const bool sound = hullMax > 0.0f && machine->hull.wear / hullMax < 0.25f;
        const float armourTop = float(int(cy - s - 30));
        DrawBar(sound ? 0xA000FF00u : 0xA0FF0000u, x0, armourTop, x0 + float(int(length * armour)),
            armourTop + 3);
    }
}

void CRenderer::DrawArrow(const SClip& c, uint32_t colour)
{
    const float W = float(g_Graphic.ScreenWidth());
    const float H = float(g_Graphic.ScreenHeight());
    const float d = 1.0f / std::max(std::fabs(c.w), 50.0f);
    float a = c.x * d;
    if (a == 0.0f)
        a = 0.01f;
    const float b = c.y * d;
    const float g = 1.3f * std::sqrt(a * a + b * b + 0.1f);
    const float a2 = a / g;
    const float b2 = b / g;
    const float px = W / 2 * (a2 + 1);
    const float py = H / 2 - H / 2 * b2;
    const float theta = std::atan2(b2, a2) + std::numbers::pi_v<float>;
    const float cosT = std::cos(theta);
    const float sinT = std::sin(theta);
    // The quad spans (0 .. 32, -16 .. 16) around the anchor, turned about it.
    const float corners[4][2] = { { 0, -16 }, { 32, -16 }, { 0, 16 }, { 32, 16 } };
    float xs[4];
    float ys[4];
    for (int i = 0; i < 4; ++i) {
        const float u = corners[i][0];
        const float v = corners[i][1];
        xs[i] = px + u * cosT + v * sinT;
        ys[i] = py - u * sinT + v * cosT;
    }
    AddQuad(xs, ys, 0.0f, 0.0f, 1.0f, 1.0f);
    if (g_TexShaderManager)
        g_TexShaderManager->SetFactorColor(colour);
    FlushPieces(kTintSlot, Texture(texTargetArrow));
}

void CRenderer::DrawTargetBadge(const CGliderObject& target)
{
    const CFerrovant* machine = target.ferrovant;
    const CFerroGroup* group = machine ? machine->group : nullptr;
    if (!machine)
        return;
    const int32_t W = g_Graphic.ScreenWidth();
    const int32_t H = g_Graphic.ScreenHeight();
    if (group) {
        const int32_t icon = g_OrgManager.GetIcon(group->organisation);
        if (icon != -1 && g_pTextureManager) {
            const float frame = float(int(10.0 * GameClock) % 19);
            DrawPiece(kPlainSlot, Texture(g_pTextureManager->FindTexture("TEX_KT_ORG_ICONS")), float(W - 189),
                float(H - 64), float(W - 139), float(H - 14), 50.0f * frame, 50.0f * float(icon), 1024.0f,
                1024.0f);
        }
    }
    CTexture* pips = Texture(texIcons);
    const auto pip = [&](int32_t x, int32_t y) {
        AddPiece(float(x), float(y), float(x + 24), float(y + 24), 1.0f, 184.0f, 256.0f, 256.0f);
    };
    std::vector<std::pair<int32_t, int32_t>> levels; // x of the level, the level
    int standing = 0;
    if (group) {
        for (int i = 0; i < std::min(group->memberCount, int(CFerroGroup::kMaxMembers)); ++i)
            standing += !group->members[i].dead && !group->members[i].inBuilding;
    }
    if (standing <= 1) {
        const int32_t level = machine->level;
        for (int32_t i = 0; i < level; ++i)
            pip(W - 135 + 3 * (level - i), H - 36);
        if (level != 0)
            levels.push_back({ W - 114 + 3 * level, level });
    } else {
        int shown = 0;
        for (int i = 0; i < std::min(group->memberCount, int(CFerroGroup::kMaxMembers)) && shown < 5; ++i) {
            const CFerrovant& member = group->members[i];
            if (member.dead || member.inBuilding)
                continue;
            pip(W - 134 + 22 * i, H - 36);
            levels.push_back({ W - 114 + 22 * i, member.level });
            ++shown;
        }
    }
    FlushPieces(kPipSlot, pips);
    if (!g_pFont)
        return;
    char text[16];
    for (const auto& [x, level] : levels) {
        std::snprintf(text, sizeof text, "%d", level);
        g_pFont->PrintText(x, H - 29, text, 0xFFFFFFFFu);
    }
    g_pFont->PrintText(W - 138, H - 56, StripGroupPrefix(machine->name).c_str(), 0xFFFFFFFFu);
}

void CRenderer::DrawAimingMark(const CGliderObject& glider)
{
    if (!g_pTextureManager)
        return;
    const Vec3 direction = aimForward ? glider.frame.forward : glider.aimDirection;
    float distance = 10000.0f;
    if (CameraMode == 1) {
        Vec3 hit;
        float nearest = 10000.0f;
        if (Location.GetRayIntersection(glider.frame.position, direction, 1000.0f, hit)) {
            Vec3Sub(hit, hit, glider.frame.position);
            nearest = Vec3Length(hit);
        }
        CZJObject* object = nullptr;
        if (ObjectList.GetRayIntersection(glider.frame.position, direction, 1000.0f, hit, &glider, object)) {
            Vec3Sub(hit, hit, glider.frame.position);
            nearest = std::min(nearest, Vec3Length(hit));
        }
        distance = nearest;
    }
    Vec3 point;
    Vec3Scale(point, direction, distance);
    Vec3AddInPlace(point, glider.frame.position);
    const SClip c = Project(point);
    if (c.w == 0.0f)
        return;
    const float W = float(g_Graphic.ScreenWidth());
    const float H = float(g_Graphic.ScreenHeight());
    const auto sx = float(RoundAway(W * (c.x / c.w + 1) * 0.5f));
    const auto sy = float(RoundAway(H * (0.5f - 0.5f * c.y / c.w)));
    DrawPiece(kPlainSlot, Texture(g_pTextureManager->FindTexture("TEX_KPT_PRICEL")), sx - 32, sy - 32,
        sx + 32, sy + 32, 0.0f, 0.0f, 64.0f, 64.0f);
    if (g_TexShaderManager) {
        g_TexShaderManager->SetFactorColor(0xFFFFFFFFu);
        g_TexShaderManager->SetFactorAlpha(float((std::sin(6.0 * GameClock) + 1.0) * 0.25 + 0.1));
    }
    DrawPiece(kTintSlot, Texture(g_pTextureManager->FindTexture("TEX_KPT_PRICEL_GREEN")), sx - 32, sy - 32,
        sx + 32, sy + 32, 0.0f, 0.0f, 64.0f, 64.0f);
}

void CRenderer::DrawQuest()
{
    if (!g_pScriptManager || !g_pFont)
        return;
    const int32_t lineHeight = g_pFont->GetLineHeight();
    const int32_t right = g_Graphic.ScreenWidth() - g_pFont->GetTextWidth("XXXXX") - 12;
    int32_t y = g_Graphic.ScreenHeight() - lineHeight - 86;
    const float now = GameTimeDays();
    for (const SScriptTimer& timer : g_pScriptManager->Timers()) {
        const float left = (timer.expiry - now) * kSecondsPerDay;
        if (left <= 0.0f)
            continue;
        CXAnsiString name;
        const std::string key(timer.name, strnlen(timer.name, sizeof timer.name));
        if (!g_pScriptManager->GetTextName(key.c_str(), name))
            name = key.c_str();
        const int seconds = int(left);
        char text[160];
        std::snprintf(text, sizeof text, "%s %02d:%02d", name.Text(), seconds / 60, seconds % 60);
        const uint32_t colour = left < 10.0f ? WarningSignColour(-1, GameClock) : 0xFFFFFFFFu;
        g_pFont->PrintText(right - g_pFont->GetTextWidth(text), y, text, colour);
        y -= lineHeight;
    }
}

void CRenderer::DrawInfoPanel()
{
    if (!PlayerObject || PlayerObject->type != 14 || !g_pFont)
        return;
    const auto* target
        = static_cast<const CGliderObject*>(static_cast<const CGliderObject*>(PlayerObject)->target);
    if (!target || target->type != 14 || !target->ferrovant)
        return;
    const std::vector<std::string> lines = InfoPanelLines(*target);
    const int32_t lineHeight = g_pFont->GetLineHeight();
    int32_t width = 0;
    for (const std::string& line : lines)
        width = std::max(width, g_pFont->GetTextWidth(line.c_str()));
    const int32_t W = g_Graphic.ScreenWidth();
    const int32_t H = g_Graphic.ScreenHeight();
    const auto boxW = float(width + 24);
    const auto boxH = float(lineHeight * int32_t(lines.size()) + 16);
    const float left = float(W / 2) - boxW / 2;
    const float top = float(H - 20) - boxH;
    // The grid behind the text, then the box's frame.
    if (g_pTextureManager) {
        DrawPiece(kPlainSlot, Texture(g_pTextureManager->FindTexture("TEX_KT_SETKA")), left, top, left + boxW,
            top + boxH, 0.0f, 0.0f, 64.0f, 64.0f);
    }
    DrawBar(0xC093EE6Bu, left, top, left + boxW, top + 1);
    DrawBar(0xC093EE6Bu, left, top + boxH - 1, left + boxW, top + boxH);
    DrawBar(0xC093EE6Bu, left, top, left + 1, top + boxH);
    DrawBar(0xC093EE6Bu, left + boxW - 1, top, left + boxW, top + boxH);
    int32_t y = int32_t(top) + 8;
    for (const std::string& line : lines) {
        g_pFont->PrintText(int32_t(left) + 12, y, line.c_str(), 0xFFFFFFFFu);
        y += lineHeight;
    }
}

std::vector<std::string> CRenderer::InfoPanelLines(const CGliderObject& target)
{
    const CFerrovant& machine = *target.ferrovant;
    // A line is the key's text, a blank and the value; a part's value is its key's NAME.
    std::vector<std::string> lines;
    const auto add = [&](const char* key, const std::string& value) {
        lines.push_back(value.empty() ? KeyText(key) : KeyText(key) + " " + value);
    };
    const auto nameOf = [](const char* key) {
        CXAnsiString name;
        if (!key || !g_pScriptManager || !g_pScriptManager->GetTextName(key, name) || !name.Text()[0])
            return std::string(key ? key : "");
        return std::string(name.Text());
    };
    add("INT_INF_GLIDERS_IS", nameOf(target.TypeName()));
    const char* guns[2] = { "INT_INF_LIGHTGUN_IS", "INT_INF_HEAVYGUN_IS" };
    for (int mount = 0; mount < 2; ++mount) {
        const int32_t row = int32_t(target.guns[mount].item.words[0]);
        if (target.guns[mount].assigned && row >= 0 && row < g_GunManager.GunCount())
            add(guns[mount], nameOf(g_GunManager.GetRowNames().GetString(row)));
    }
    if (machine.shield.index >= 0 && machine.shield.index < g_EquipmentManager.EquipmentCount())
        add("INT_INF_SHIELD_IS", nameOf(g_EquipmentManager.GetRowNames().GetString(machine.shield.index)));
    const float damage = machine.hull.WearRatio();
    if (damage == 0.0f)
        add("INT_INF_NO_DAMAGES", {});
    else
        add("INT_INF_DAMAGES_IS", std::to_string(int(damage * 100.0f)) + "%");
    const float goods = machine.GetGoodsWeight();
    if (goods > 0.0f)
        add("INT_INF_HOLD_IS", std::to_string(int(goods)));
    else
        add("INT_INF_HOLD_EMPTY", {});
    return lines;
}
