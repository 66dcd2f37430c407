#include "tests/e2e/E2EAppGame.h"

#include "ai/CFerroGroup.h"
#include "ai/CFerroGroupList.h"
#include "ai/CFerrovant.h"
#include "app/CInputConfig.h"
#include "app/CZJApp.h"
#include "app/GameSettings.h"
#include "app/Steering.h"
#include "foundation/ErrorLog.h"
#include "foundation/Matrix.h"
#include "platform/input/key_names.h"
#include "platform/win/paths.h"
#include "platform/win/profile.h"
#include "platform/win/text.h"
#include "platform/window/keys.h"
#include "script/CZJScriptManager.h"
#include "tests/platform/window/sdl_events.h"
#include "ui/CBuildingMenu.h"
#include "ui/CGlowButton.h"
#include "ui/CHtmlControl.h"
#include "ui/CInGameMenu.h"
#include "ui/CLoadSaveMenu.h"
#include "ui/CMainMenuButton.h"
#include "ui/CMenuLinkItem.h"
#include "ui/CTextButton.h"
#include "ui/CZJHtmlWindow.h"
#include "ui/CZJStartMenu.h"
#include "world/db/CBuildingManager.h"
#include "world/db/CZJEngine.h"
#include "world/objects/CBuildingObject.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/CObjectList.h"
#include "world/objects/PlayerGlobals.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string_view>

namespace e2e {

namespace {

plat::window::Window& AppWindow()
{
    return *g_pZJApp->GetWindow();
}

CBaseMenu* RunningMenu()
{
    return g_pZJApp ? g_pZJApp->modalMenu : nullptr;
}

// The command of a control that sends one; 0 for the others.
uint32_t CommandOf(const CMenuControl& control)
{
    if (const auto* button = dynamic_cast<const CTextButton*>(&control))
        return button->command;
    if (const auto* button = dynamic_cast<const CGlowButton*>(&control))
        return button->command;
    if (const auto* button = dynamic_cast<const CMainMenuButton*>(&control))
        return button->command;
    if (const auto* link = dynamic_cast<const CMenuLinkItem*>(&control))
        return link->command;
    return 0;
}

// Whether the menu takes mouse input: a full-screen menu takes none while its panels slide or its
// pages change.
bool TakesMouse(const CBaseMenu& menu)
{
    const auto* full = dynamic_cast<const CMainMenu*>(&menu);
    return !full || (full->currentMessage == CMainMenu::kMsgIdle && full->messages.IsEmpty());
}

Point3 PointOf(const Vec3& v)
{
    return { v.x, v.y, v.z };
}

// The middle of one of a building's boxes, in the world.
Point3 BoxMiddle(const CBuildingObject& building, const SDoorBox& box)
{
    const Vec3 middle { (box.min[0] + box.max[0]) * 0.5f, (box.min[1] + box.max[1]) * 0.5f,
        (box.min[2] + box.max[2]) * 0.5f };
    Vec3 at;
    TransformCoord(at, middle, building.frame.matrix);
    return PointOf(at);
}

// The game folder's file, found ignoring case; the path as given when it is missing.
std::filesystem::path HostPath(const std::string& path)
{
    const auto host = plat::win::ResolvePath(plat::win::Utf8ToCp1251(path));
    return host ? std::filesystem::path(*host) : std::filesystem::path(path);
}

constexpr std::string_view kErrorLog = "error.log";
// The stamp before each message of error.log: "dd-mm-yyyy hh:mm:ss:mmm ".
constexpr size_t kStampLength = 24;
// What the game writes to error.log as information in a sound run: the map's memory figures and
// cache rates, and the jump a link starts. The start line is information too.
constexpr std::string_view kInformation[]
    = { "Mesh Size=", "Map Mesh Memory==", "CASH Success ", "V CASH Success ", "JUMP to '" };

bool IsInformation(std::string_view line)
{
    const std::string_view message = line.substr(std::min(line.size(), kStampLength));
    return message == ErrorLogStartLine() || std::ranges::any_of(kInformation, [&](std::string_view start) {
        return message.starts_with(start);
    });
}

// The resource managers' ID logs end so; a "NULL" line names an ID they could not resolve.
constexpr std::string_view kIdLogEnd = "_log.txt";
constexpr std::string_view kNullLineEnd = "\tNULL";

bool IsIdLog(const std::filesystem::path& path)
{
    std::string name = path.filename().string();
    std::ranges::transform(name, name.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return name.ends_with(kIdLogEnd);
}

// Every ID log of the game folder and its subfolders.
std::vector<std::string> IdLogs()
{
    std::vector<std::string> logs;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(".", error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        if (it->is_regular_file(error) && IsIdLog(it->path()))
            logs.push_back(it->path().string());
    }
    return logs;
}

uintmax_t SizeOf(const std::string& path)
{
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(path, error);
    return error ? 0 : size;
}

// The lines the file gained past start (all of them when it shrank).
std::vector<std::string> AddedLines(const std::string& path, uintmax_t start)
{
    std::vector<std::string> lines;
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return lines;
    if (SizeOf(path) >= start)
        file.seekg(std::streamoff(start));
    for (std::string line; std::getline(file, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// SDL's buttons for Mouse1 to Mouse5 of DICode.ini: left, right, middle, X1, X2.
constexpr Uint8 kSdlButtons[]
    = { SDL_BUTTON_LEFT, SDL_BUTTON_RIGHT, SDL_BUTTON_MIDDLE, SDL_BUTTON_X1, SDL_BUTTON_X2 };

} // namespace

E2EAppGame::E2EAppGame()
{
    m_logs.push_back({ std::string(kErrorLog), SizeOf(std::string(kErrorLog)) });
    for (const std::string& log : IdLogs())
        m_logs.push_back({ log, SizeOf(log) });
}

bool E2EAppGame::Ready()
{
    return g_pZJApp && g_pZJApp->GetWindow();
}

void E2EAppGame::Focus()
{
    test::PushWindowEvent(AppWindow(), SDL_WINDOWEVENT_FOCUS_GAINED);
}

uint32_t E2EAppGame::State() const
{
    return g_pZJApp->state;
}

std::string E2EAppGame::Menu() const
{
    const CBaseMenu* menu = RunningMenu();
    if (!menu)
        return "none";
    if (dynamic_cast<const CZJStartMenu*>(menu))
        return "start";
    if (dynamic_cast<const CInGameMenu*>(menu))
        return "ingame";
    if (dynamic_cast<const CBuildingMenu*>(menu))
        return "building";
    if (dynamic_cast<const CLoadSaveMenu*>(menu))
        return "saveload";
    return "other";
}

uint32_t E2EAppGame::Action() const
{
    return ZJEngine.pendingAction.actionPending ? ZJEngine.pendingAction.actionCode : 0;
}

std::string E2EAppGame::Location() const
{
    return g_pZJApp->locationFile;
}

bool E2EAppGame::Flying() const
{
    const uint32_t state = g_pZJApp->state;
    return state >= CZJApp::kNewGame && state <= CZJApp::kNetGame && !RunningMenu() && PlayerGlider
        && PlayerGlider->alive && !PlayerGlider->dead;
}

bool E2EAppGame::FindControl(uint32_t command, int& x, int& y) const
{
    const CBaseMenu* menu = RunningMenu();
    if (!menu || !TakesMouse(*menu))
        return false;
    for (const CMenuControl* control : menu->Controls()) {
        if (control->visible && control->enabled && CommandOf(*control) == command) {
            x = (control->left + control->right) / 2;
            y = (control->top + control->bottom) / 2;
            return true;
        }
    }
    return false;
}

void E2EAppGame::MoveMouse(int x, int y)
{
    const plat::window::Point from = AppWindow().CursorClientPos();
    test::PushMotion(AppWindow(), x, y, x - from.x, y - from.y);
}

void E2EAppGame::Button(uint16_t keyCode, bool down, int x, int y)
{
    const size_t index = size_t(keyCode - plat::input::kMouseCodeBase - 1);
    if (index < std::size(kSdlButtons))
        test::PushButton(AppWindow(), kSdlButtons[index], down, x, y);
}

void E2EAppGame::Key(uint16_t keyCode, bool down)
{
    const int scancode = plat::window::ScancodeOfKeyCode(uint8_t(keyCode));
    if (scancode >= 0)
        test::PushKey(AppWindow(), SDL_Scancode(scancode), down);
}

void E2EAppGame::Text(const std::string& utf8)
{
    // An SDL text event holds 31 bytes: longer text goes in pieces, each ending on a character.
    constexpr size_t kPiece = sizeof(SDL_TextInputEvent::text) - 1;
    std::string_view rest = utf8;
    while (!rest.empty()) {
        size_t length = std::min(rest.size(), kPiece);
        while (length < rest.size() && (uint8_t(rest[length]) & 0xC0) == 0x80)
            --length;
        test::PushText(AppWindow(), rest.substr(0, length));
        rest.remove_prefix(length);
    }
}

void E2EAppGame::Close()
{
    test::PushWindowEvent(AppWindow(), SDL_WINDOWEVENT_CLOSE);
}

bool E2EAppGame::SetConfig(const std::string& section, const std::string& key, const std::string& value)
{
    using plat::win::Utf8ToCp1251;
    return plat::win::WriteProfileString(
        ConfigIniPath(), Utf8ToCp1251(section), Utf8ToCp1251(key), Utf8ToCp1251(value));
}

uint16_t E2EAppGame::BindingCode(Binding action) const
{
    return g_InputConfig.Binding(action == Binding::Forward ? EAction::FORWARD : EAction::FIRE);
}

bool E2EAppGame::Self(GliderState& self, Point3& aim) const
{
    if (!PlayerGlider)
        return false;
    self = { PlayerGlider->networkId, PointOf(PlayerGlider->frame.position) };
    aim = PointOf(PlayerGlider->aimDirection);
    return true;
}

bool E2EAppGame::Find(const std::string& name, std::vector<Point3>& route) const
{
    route.clear();
    const NameKey32 key = MakeNameKey32(name.c_str());
    if (const auto* building = dynamic_cast<const CBuildingObject*>(ObjectList.FindObject(key, 11))) {
        const SDoorBox* approach = building->DoorBox(CBuildingObject::kBoxC);
        const SDoorBox* door = building->DoorBox(CBuildingObject::kBoxA);
        if (!approach || !door) {
            route.push_back(PointOf(building->frame.position));
            return true;
        }
        const Point3 inFront = BoxMiddle(*building, *approach);
        const Point3 atDoor = BoxMiddle(*building, *door);
        // Far enough in front that the last leg ends in the approach box facing the door.
        constexpr float kLeadIn = 3.0f;
        route.push_back({ atDoor.x + (inFront.x - atDoor.x) * kLeadIn,
            atDoor.y + (inFront.y - atDoor.y) * kLeadIn, inFront.z });
        route.push_back(atDoor);
        return true;
    }
    if (const CFerrovant* machine = FerroGroupList.FindGroupOfMember(name.c_str())) {
        if (machine->glider)
            route.push_back(PointOf(machine->glider->frame.position));
        return machine->glider != nullptr;
    }
    if (const CFerroGroup* group = FerroGroupList.FindGroupByName(name.c_str())) {
        route.push_back(PointOf(group->position));
        return true;
    }
    if (const CHelperPoint* point = ObjectList.FindHelperPoint(key)) {
        route.push_back(PointOf(point->transform.position));
        return true;
    }
    return false;
}

void E2EAppGame::Steer(const Point3& target)
{
    if (!PlayerGlider)
        return;
    const CGliderObject& glider = *PlayerGlider;
    const steering::SAxes axes = steering::AxesOf(glider.frame.matrix);
    Vec3 way { target.x - glider.frame.position.x, target.y - glider.frame.position.y,
        target.z - glider.frame.position.z };
    const float length = std::sqrt(Vec3Dot(way, way));
    if (length < 1e-3f)
        return;
    way = { way.x / length, way.y / length, way.z / length };
    // The aim wanted in the glider's axes, kept inside the free cursor's cone (a target behind
    // puts it at the cone's side).
    float x = Vec3Dot(way, axes.side);
    float y = Vec3Dot(way, axes.up);
    const float cone = std::sqrt(steering::FreeCursorConeSq()) * 0.95f;
    const float offset = std::hypot(x, y * 1.5f);
    if (Vec3Dot(way, axes.forward) < 0.0f || offset > cone) {
        const float scale = offset > 1e-3f ? cone / offset : 0.0f;
        x = offset > 1e-3f ? x * scale : cone;
        y *= scale;
    }
    // A pixel of motion moves the aim's side part by sensitivity x 0.0005, its up part against it.
    const float perPixel = g_InputConfig.MouseSensitivity() * 0.0005f;
    const int dx = int(std::lround((x - Vec3Dot(glider.aimDirection, axes.side)) / perPixel));
    int dy = int(std::lround((Vec3Dot(glider.aimDirection, axes.up) - y) / perPixel));
    if (g_InputConfig.InverseMouse())
        dy = -dy;
    if (dx == 0 && dy == 0)
        return;
    const plat::window::Point from = AppWindow().CursorClientPos();
    test::PushMotion(AppWindow(), from.x + dx, from.y + dy, dx, dy);
}

bool E2EAppGame::FindLink(const std::string& target, int& x, int& y)
{
    CBaseMenu* menu = RunningMenu();
    if (!menu || !TakesMouse(*menu))
        return false;
    for (CMenuControl* control : menu->Controls()) {
        auto* html = dynamic_cast<CHtmlControl*>(control);
        if (!html || !html->visible || !html->enabled || !html->window)
            continue;
        CMHTLWindow& window = *html->window;
        for (int32_t i = 0; i < window.LineCount(); ++i) {
            const MHTLLine& line = window.Line(i);
            if (!line.visible || !(line.kind == target) || line.x2 <= line.x1)
                continue;
            // A link out of view is scrolled into it, as a player would, and clicked on a later pass.
            if (line.y1 < window.top || line.y2 > window.bottom) {
                window.Scroll(line.y1 < window.top ? line.y1 - window.top : line.y2 - window.bottom);
                return false;
            }
            x = (line.x1 + line.x2 - 1) / 2;
            y = (line.y1 + line.y2 - 1) / 2;
            return true;
        }
    }
    return false;
}

std::vector<std::string> E2EAppGame::Screenshots() const
{
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(".", error)) {
        const std::string name = entry.path().filename().string();
        const std::string_view number = std::string_view(name).substr(std::min<size_t>(name.size(), 6));
        if (name.starts_with("screen") && name.ends_with(".bmp") && number.size() > 4
            && std::all_of(number.begin(), number.end() - 4, [](char c) { return c >= '0' && c <= '9'; }))
            names.push_back(name);
    }
    return names;
}

bool E2EAppGame::RenameFile(const std::string& from, const std::string& to)
{
    std::error_code error;
    std::filesystem::rename(HostPath(from), HostPath(to), error);
    return !error;
}

bool E2EAppGame::HasFile(const std::string& path) const
{
    std::error_code error;
    return std::filesystem::is_regular_file(HostPath(path), error);
}

bool E2EAppGame::MachineDead(const std::string& name, bool& dead) const
{
    const CFerrovant* machine = FerroGroupList.FindGroupOfMember(name.c_str());
    if (!machine)
        return false;
    dead = machine->dead || (machine->glider && machine->glider->dead);
    return true;
}

uint32_t E2EAppGame::Kills() const
{
    return g_pScriptManager ? uint32_t(g_pScriptManager->statistics.killed) : 0;
}

uint32_t E2EAppGame::Goods(const std::string& good) const
{
    if (!PlayerFerrovant)
        return 0;
    int64_t count = 0;
    const XDynamicArray<CargoItem>& items = PlayerFerrovant->cargo.items;
    for (int i = 0; i < items.Count(); ++i) {
        const CargoItem& item = items.At(i);
        if ((item.kind == CargoItem::kGoods || item.kind == CargoItem::kUnmerged)
            && std::string_view(item.name, strnlen(item.name, sizeof item.name)) == good)
            count += item.count;
    }
    return uint32_t(std::max<int64_t>(count, 0));
}

double E2EAppGame::Money() const
{
    return PlayerFerrovant ? double(PlayerFerrovant->cargo.bulkAmount) : 0.0;
}

bool E2EAppGame::QuestDone(const std::string& key) const
{
    return g_pScriptManager && g_pScriptManager->IsEventSet(key.c_str(), ".COMPLETE");
}

std::vector<GliderState> E2EAppGame::RemoteGliders() const
{
    XDynamicArray<CZJObject*> gliders;
    ObjectList.GetObjectList(14, gliders);
    std::vector<GliderState> remotes;
    for (int i = 0; i < gliders.Count(); ++i) {
        const CZJObject* glider = gliders.At(i);
        if (glider->remote)
            remotes.push_back({ glider->networkId, PointOf(glider->frame.position) });
    }
    return remotes;
}

std::string E2EAppGame::LogProblems() const
{
    std::string problems;
    const auto note = [&](const std::string& log, const std::string& line) {
        problems += (problems.empty() ? "" : "; ") + log + ": " + line;
    };
    for (const std::string& line : AddedLines(std::string(kErrorLog), m_logs.front().size)) {
        if (!IsInformation(line))
            note(std::string(kErrorLog), line);
    }
    for (const std::string& log : IdLogs()) {
        const auto known = std::ranges::find(m_logs, log, &LogStart::path);
        for (const std::string& line : AddedLines(log, known == m_logs.end() ? 0 : known->size)) {
            if (line.ends_with(kNullLineEnd))
                note(log, line);
        }
    }
    return problems;
}

int64_t E2EAppGame::WallClockMs() const
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

} // namespace e2e
