// The in-flight menu's map page: its lists, the view dragged, scrolled or moved by the arrow keys,
// the map mark set by a right click, the names under the cursor, and the drawing through the
// radar's big map.
#include "ai/CFerroGroup.h"
#include "ai/CFerroGroupList.h"
#include "foundation/CTimer.h"
#include "foundation/CallTrace.h"
#include "foundation/NameKey32.h"
#include "render/CFont.h"
#include "render/Graphic.h"
#include "render/TextureManager.h"
#include "script/CZJScriptManager.h"
#include "ui/CHtmlControl.h"
#include "ui/CMenuControl.h"
#include "ui/CMenuHost.h"
#include "ui/CMenuListEntry.h"
#include "ui/CRTMenu.h"
#include "ui/CRadar.h"
#include "ui/MenuDraw.h"
#include "world/db/COrgManager.h"
#include "world/objects/CCamera.h"
#include "world/objects/CObjectList.h"
#include "world/objects/CZJObject.h"
#include "world/objects/PlayerGlobals.h"
#include "world/terrain/CLocation.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kNetworkState = 3;
constexpr int kBuildingType = 11;
constexpr int32_t kViewWidth = 499;
constexpr int32_t kViewHeight = 546;
constexpr float kArrowStep = 160.0f;
constexpr float kGroupReach = 130.0f;
constexpr float kPlaceReach = 250.0f;
constexpr uint8_t kNumpadMinus = 74;
constexpr uint8_t kLeft = 203;
constexpr uint8_t kRight = 205;
constexpr uint8_t kUp = 200;
constexpr uint8_t kDown = 208;
constexpr uint8_t kPressed = 0x80;
constexpr uint8_t kReleased = 0x40;
constexpr uint32_t kHintColour = 0xFFFFFFFF;
constexpr int kPictureSlot = 6;
// The cockpit atlas's 75 x 75 piece shown in the view's top right corner.
constexpr float kCutU = 259.0f;
constexpr float kCutV = 436.0f;
constexpr float kCut = 75.0f;
constexpr float kAtlasExtent = 512.0f;

std::string Name(const char* key)
{
    CXAnsiString name;
    if (!g_pScriptManager || !g_pScriptManager->GetTextName(key, name))
        return key;
    return name.Text();
}

// The list key of a building: in a network game "B_L1_ZAR" and the name's last character.
std::string BuildingKey(const char* name)
{
    if (MenuHost().State() != kNetworkState)
        return name;
    const size_t length = std::strlen(name);
    char key[32];
    std::snprintf(key, sizeof key, "B_L1_ZAR%c", length ? name[length - 1] : '0');
    return key;
}

bool Within(const Vec3& a, const Vec3& b, float reach)
{
    const float dx = a.x - b.x;
    const float dy = a.y - b.y;
    return dx * dx + dy * dy < reach * reach;
}

// Groups whose marks and names the map shows: organisations in use, alive, not packed into a
// building, of the first organisation.
bool ShownGroup(const CFerroGroup& group)
{
    return g_OrgManager.IsInUse() && !group.inBuilding && group.organisation >= 0
        && group.organisation == g_OrgManager.FindOrganisation("ORG_FIRST") && !CRadar::GroupDestroyed(group);
}

CTexture* TextureOf(const char* name)
{
    if (!g_pTextureManager)
        return nullptr;
    const int index = g_pTextureManager->FindTexture(name);
    return index >= 0 ? g_pTextureManager->GetTexture(index) : nullptr;
}

} // namespace

void CRTMenu::MapArea(int32_t& left, int32_t& top, int32_t& right, int32_t& bottom) const
{
    int32_t gridRight = 0;
    int32_t gridBottom = 0;
    GridRect(left, top, gridRight, gridBottom);
    left += int32_t(12.0f * ScaleX());
    top += int32_t(12.0f * ScaleY());
    right = left + mapWidth;
    bottom = top + mapHeight;
}

void CRTMenu::OpenMap()
{
    if (textPanel)
        textPanel->visible = 0;
    mapWidth = int32_t(ScaleX() * float(kViewWidth));
    mapHeight = int32_t(ScaleY() * float(kViewHeight));
    if (CameraObject)
        viewPosition = CameraObject->frame.position;
    if (g_pRadar)
        g_pRadar->InitBigMap(mapWidth, mapHeight);
}

void CRTMenu::CloseMap()
{
    if (g_pRadar)
        g_pRadar->DoneBigMap();
}

void CRTMenu::FillMapLists()
{
    buildings.clear();
    bearings.clear();
    std::vector<SListEntry> entries(2 * kMaxMarks + 8);
    int32_t count = 0;
    const auto add = [&](const char* key, const std::string& shown, uint32_t kind) {
        SListEntry& entry = entries.at(size_t(count));
        entry = SListEntry {};
        entry.id = kRightListBase + uint32_t(count);
        entry.kind = kind;
        std::snprintf(entry.key, sizeof entry.key, "%s", key);
        std::snprintf(entry.name, sizeof entry.name, "%s", shown.c_str());
        ++count;
    };
    add("INT_BUILDINGS", Name("INT_BUILDINGS"), kEntryOpenHeader);
    if (g_pScriptManager) {
        for (const std::string& name : g_pScriptManager->visitedBuildings) {
            if (int32_t(buildings.size()) >= kMaxMarks)
                break;
            CZJObject* object = ObjectList.FindObject(MakeNameKey32(name.c_str()), 0);
            if (!object)
                continue;
            const std::string key = BuildingKey(name.c_str());
            add(key.c_str(), Name(key.c_str()), kEntryOrdinary);
            buildings.push_back(object);
        }
    }
    add("INT_POINTERS", Name("INT_POINTERS"), kEntryOpenHeader);
    CXAnsiString player;
    if (g_pScriptManager)
        player = g_pScriptManager->playerName;
    add("PLAYER", player.Text(), kEntryOrdinary);
    if (g_pRadar && g_pRadar->markShown)
        add("PELENG", Name("INT_CRT_PELENG"), kEntryOrdinary);
    if (g_pScriptManager) {
        for (const std::string& name : g_pScriptManager->markedPoints) {
            if (int32_t(bearings.size()) >= kMaxMarks)
                break;
            CZJObject* object = ObjectList.FindObject(MakeNameKey32(name.c_str()), kBuildingType);
            if (!object)
                continue;
            add(name.c_str(), Name(name.c_str()), kEntryOrdinary);
            bearings.push_back(object);
        }
    }
    FillRightList(entries.data(), count);
}

void CRTMenu::AimAt(const char* key)
{
    const CZJObject* target = nullptr;
    if (std::strcmp(key, "PLAYER") == 0) {
        target = PlayerObject;
    } else if (std::strcmp(key, "PELENG") == 0) {
        if (!g_pRadar)
            return;
        scrollTarget = g_pRadar->markPosition;
        scrolling = 1;
        scrollDistance = 1.0f;
        return;
    } else {
        target = ObjectList.FindObject(MakeNameKey32(key), 0);
        if (!target)
            target = ObjectList.FindObject(MakeNameKey32(key), kBuildingType);
    }
    if (!target)
        return;
    scrollTarget = target->frame.position;
    scrolling = 1;
    scrollDistance = 1.0f;
}

std::string CRTMenu::NamesAt(const Vec3& point) const
{
    std::string names;
    const auto add = [&](const std::string& name) {
        if (!names.empty())
            names += '\n';
        names += name;
    };
    for (int i = 1; i < FerroGroupList.Count(); ++i) {
        const CFerroGroup* group = FerroGroupList.At(i);
        if (group && ShownGroup(*group) && Within(group->position, point, kGroupReach))
            add(Name(group->name));
    }
    for (const CZJObject* building : buildings)
        if (Within(building->frame.position, point, kPlaceReach))
            add(Name(BuildingKey(building->name).c_str()));
    for (const CZJObject* bearing : bearings)
        if (Within(bearing->frame.position, point, kPlaceReach))
            add(Name(bearing->name));
    return names;
}

void CRTMenu::ProcessMessages()
{
    ZJ_TRACE("CRTMenu::ProcessMessages");
    CMainMenu::ProcessMessages();
    if (page == kCmdMap)
        MapInput();
}

void CRTMenu::MapInput()
{
    CMenuHost& host = MenuHost();
    const float dt = FrameTime;
    if (scrolling) {
        const float dx = float(int32_t(scrollTarget.x - viewPosition.x));
        const float dy = float(int32_t(scrollTarget.y - viewPosition.y));
        const float length = std::sqrt(dx * dx + dy * dy);
        scrollDistance = 2.0f * length;
        if (scrollDistance < 10.0f || dt >= 1.0f) {
            viewPosition = scrollTarget;
            scrolling = 0;
        } else {
            const float step = std::trunc(scrollDistance) * dt;
            viewPosition.x += dx / length * step;
            viewPosition.y += dy / length * step;
        }
    }
    if ((host.KeyDown(kNumpadMinus) || host.MouseWheel() > 0) && g_pRadar) {
        g_pRadar->zoomShift = 0;
        g_pRadar->ResetBigMapCache();
    }
    if (host.KeyDown(kLeft))
        viewPosition.x -= kArrowStep;
    if (host.KeyDown(kRight))
        viewPosition.x += kArrowStep;
    if (host.KeyDown(kUp))
        viewPosition.y -= kArrowStep;
    if (host.KeyDown(kDown))
        viewPosition.y += kArrowStep;

    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    MapArea(left, top, right, bottom);
    const plat::window::Point cursor = host.MousePosition();
    const bool inside = cursor.x >= left && cursor.x < right && cursor.y >= top && cursor.y < bottom;
    const uint8_t leftButton = host.MouseEvents(0);
    if ((leftButton & kPressed) && inside) {
        draggingMap = 1;
        lastCursorX = cursor.x;
        lastCursorY = cursor.y;
    }
    if (leftButton & kReleased)
        draggingMap = 0;
    if (draggingMap) {
        viewPosition.x -= 10.0f * float(cursor.x - lastCursorX);
        viewPosition.y -= 10.0f * float(cursor.y - lastCursorY);
        lastCursorX = cursor.x;
        lastCursorY = cursor.y;
        scrolling = 0;
    }
    // The world point under the cursor: the view's top left in map pixels plus the cursor's offset.
    const float viewLeft = 0.1f * viewPosition.x - float(mapWidth >> 1);
    const float viewTop = 0.1f * viewPosition.y - float(mapHeight >> 1);
    Vec3 point { 10.0f * (viewLeft + float(cursor.x - left)), 10.0f * (viewTop + float(cursor.y - top)),
        0.0f };
    if ((host.MouseEvents(1) & kPressed) && inside && g_pRadar) {
        point.z = Location.GetHeightAt(point, false);
        g_pRadar->markPosition = point;
        g_pRadar->markShown = 1;
        g_pRadar->tracking = 0;
        CMenuControl::PlaySound("SND_INT_MAP_PLACE");
    }
    if (inside)
        hint = NamesAt(point);
}

void CRTMenu::RenderBackGround()
{
    ZJ_TRACE("CRTMenu::RenderBackGround");
    CMainMenu::RenderBackGround();
    if (page != kCmdMap)
        return;
    DrawMap();
}

void CRTMenu::DrawMap()
{
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    MapArea(left, top, right, bottom);
    if (g_pRadar) {
        g_pRadar->SetBMVector(viewPosition);
        g_pRadar->DrawBigMap(left, top);
        for (const CZJObject* building : buildings)
            g_pRadar->DrawBuildingMark(left, top, building->frame.position);
        for (const CZJObject* bearing : bearings)
            g_pRadar->DrawBearingMark(left, top, bearing->frame.position);
    }
    const float gridRight = float(left) + float(kGridColumns) * ScaleX();
    DrawMenuQuad(kPictureSlot, TextureOf("TEX_KT_ALL"), gridRight - 120.0f, float(top + 5), gridRight - 45.0f,
        float(top + 80), kCutU / kAtlasExtent, kCutV / kAtlasExtent, (kCutU + kCut) / kAtlasExtent,
        (kCutV + kCut) / kAtlasExtent);
    if (g_pRadar) {
        for (int i = 1; i < FerroGroupList.Count(); ++i) {
            const CFerroGroup* group = FerroGroupList.At(i);
            if (group && ShownGroup(*group))
                g_pRadar->DrawGroupMark(left, top, group->position);
        }
    }
    if (!g_pFont || hint.empty())
        return;
    std::vector<std::string> lines(1);
    for (const char c : hint) {
        if (c == '\n')
            lines.emplace_back();
        else
            lines.back() += c;
    }
    const int32_t lineHeight = g_pFont->GetLineHeight();
    int32_t y = bottom - int32_t(lines.size()) * lineHeight;
    for (const std::string& line : lines) {
        g_pFont->PrintText(left + 4, y, line.c_str(), kHintColour);
        y += lineHeight;
    }
}
