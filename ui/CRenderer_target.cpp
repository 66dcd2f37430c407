// CRenderer: the markers of the current target's group, the quest timers, the information panel
// and the warning colours they share with the message window.
#include "ui/CRenderer.h"

#include "ai/CFerroGroup.h"
#include "ai/CFerrovant.h"
#include "foundation/CTimer.h"
#include "foundation/CViewFrame.h"
#include "foundation/CallTrace.h"
#include "render/CFont.h"
#include "render/Graphic.h"
#include "render/TexShaderManager.h"
#include "render/TextureManager.h"
#include "script/CZJScriptManager.h"
#include "ui/CRadar.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/PlayerGlobals.h"
#include "world/terrain/CEnvironment.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace {

constexpr float kSecondsPerDay = 86400.0f;

struct SClip {
    float x, y, w;
};

SClip Project(const Vec3& p)
{
    const float* m = ViewFrame.combined.m;
    return { p.x * m[0] + p.y * m[4] + p.z * m[8] + m[12], p.x * m[1] + p.y * m[5] + p.z * m[9] + m[13],
        p.x * m[3] + p.y * m[7] + p.z * m[11] + m[15] };
}

bool InView(const SClip& c)
{
    return c.w >= 0.0f && std::fabs(c.x) <= 1.02f * c.w && std::fabs(c.y) <= 1.02f * c.w;
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
    for (const CGliderObject* member : members) {
        if (!member->alive || !member->visible)
            continue;
        const SClip c = Project(member->frame.position);
        if (!InView(c) || c.w == 0.0f)
            continue;
        const uint32_t tint = member == target ? colour : colour & 0x7FFFFFFFu;
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
    const CFerrovant& machine = *target->ferrovant;
    // A line is the key's text, a blank and the value; a part's value is its key's NAME.
    std::vector<std::string> lines;
    const auto add
        = [&](const char* key, const std::string& value) { lines.push_back(KeyText(key) + " " + value); };
    add("INT_INF_GLIDERS_IS", machine.name);
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
    const int32_t lineHeight = g_pFont->GetLineHeight();
    int32_t y = g_Graphic.ScreenHeight() - 20 - lineHeight * int32_t(lines.size());
    for (const std::string& line : lines) {
        g_pFont->PrintText((g_Graphic.ScreenWidth() - g_pFont->GetTextWidth(line.c_str())) / 2, y,
            line.c_str(), 0xFFFFFFFFu);
        y += lineHeight;
    }
}
