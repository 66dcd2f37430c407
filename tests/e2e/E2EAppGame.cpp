#include "tests/e2e/E2EAppGame.h"

#include "app/CZJApp.h"
#include "platform/input/key_names.h"
#include "platform/window/keys.h"
#include "tests/platform/window/sdl_events.h"
#include "ui/CBuildingMenu.h"
#include "ui/CGlowButton.h"
#include "ui/CInGameMenu.h"
#include "ui/CLoadSaveMenu.h"
#include "ui/CMainMenuButton.h"
#include "ui/CMenuLinkItem.h"
#include "ui/CTextButton.h"
#include "ui/CZJStartMenu.h"
#include "world/db/CZJEngine.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/PlayerGlobals.h"

#include <algorithm>
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

// SDL's buttons for Mouse1 to Mouse5 of DICode.ini: left, right, middle, X1, X2.
constexpr Uint8 kSdlButtons[]
    = { SDL_BUTTON_LEFT, SDL_BUTTON_RIGHT, SDL_BUTTON_MIDDLE, SDL_BUTTON_X1, SDL_BUTTON_X2 };

} // namespace

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
    if (!menu)
        return false;
    // A full-screen menu takes no mouse input while its panels slide or its pages change.
    if (const auto* full = dynamic_cast<const CMainMenu*>(menu)) {
        if (full->currentMessage != CMainMenu::kMsgIdle || !full->messages.IsEmpty())
            return false;
    }
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

} // namespace e2e
