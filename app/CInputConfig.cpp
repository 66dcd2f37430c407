#include "app/CInputConfig.h"

#include "app/KeyCodeTable.h"
#include "foundation/BaseDirectory.h"
#include "foundation/CallTrace.h"
#include "platform/input/key_names.h"
#include "platform/win/profile.h"
#include "world/db/CZJEngine.h"

#include <cmath>
#include <cstdio>
#include <cstring>

CInputConfig g_InputConfig;

namespace {

// Key codes the defaults name (DirectInput numbering, which cfg.ini and DICode.ini store).
namespace dik {
constexpr uint16_t k1 = 0x02, k2 = 0x03, k3 = 0x04, k4 = 0x05, k5 = 0x06;
constexpr uint16_t Tab = 0x0F, Q = 0x10, W = 0x11, U = 0x16, I = 0x17, LeftCtrl = 0x1D, A = 0x1E, S = 0x1F;
constexpr uint16_t D = 0x20, H = 0x23, J = 0x24, Grave = 0x29, LeftShift = 0x2A, X = 0x2D, B = 0x30, M = 0x32;
constexpr uint16_t RightShift = 0x36, Space = 0x39, CapsLock = 0x3A;
constexpr uint16_t Up = 0xC8, Left = 0xCB, Right = 0xCD, Down = 0xD0;
} // namespace dik

constexpr uint16_t Mouse(int n)
{
    return uint16_t(plat::input::kMouseCodeBase + n);
}
constexpr uint16_t Joy(int n)
{
    return uint16_t(plat::input::kJoystickCodeBase + n);
}

struct BindingRow {
    const char* name;
    EAction action;
    uint16_t def;
};

// In the order the bindings are read.
constexpr BindingRow kBindings[] = {
    { "FORWARD", EAction::FORWARD, dik::W },
    { "FORWARD2", EAction::FORWARD2, dik::Up },
    { "BACKWARD", EAction::BACKWARD, dik::S },
    { "BACKWARD2", EAction::BACKWARD2, dik::Down },
    { "RIGHT2", EAction::RIGHT2, 0 },
    { "RIGHT", EAction::RIGHT, dik::Right },
    { "LEFT", EAction::LEFT, dik::Left },
    { "LEFT2", EAction::LEFT2, 0 },
    { "STRAFERIGHT", EAction::STRAFERIGHT, dik::D },
    { "STRAFELEFT", EAction::STRAFELEFT, dik::A },
    { "STRAFERIGHT2", EAction::STRAFERIGHT2, dik::D },
    { "STRAFELEFT2", EAction::STRAFELEFT2, dik::A },
    { "FIRE", EAction::FIRE, dik::LeftCtrl },
    { "FIRE2", EAction::FIRE2, Mouse(1) },
    { "FIRE3", EAction::FIRE3, Joy(1) },
    { "FIREALT", EAction::FIREALT, dik::RightShift },
    { "FIREALT2", EAction::FIREALT2, Mouse(2) },
    { "FIREALT3", EAction::FIREALT3, Joy(2) },
    { "ROCKET", EAction::ROCKET, dik::CapsLock },
    { "ROCKET2", EAction::ROCKET2, Mouse(3) },
    { "ROCKET3", EAction::ROCKET3, Joy(3) },
    { "BOMB", EAction::BOMB, dik::B },
    { "JUMP", EAction::JUMP, dik::Space },
    { "JUMP2", EAction::JUMP2, Joy(4) },
    { "BRAKE", EAction::BRAKE, dik::X },
    { "BRAKE2", EAction::BRAKE2, Joy(5) },
    { "NIGHTLIGHTTOGGLE", EAction::NIGHTLIGHTTOGGLE, dik::U },
    { "SHOWHOLD", EAction::SHOWHOLD, dik::H },
    { "SHOWMAP", EAction::SHOWMAP, dik::M },
    { "SHOWJOURNAL", EAction::SHOWJOURNAL, dik::J },
    { "BOOSTER", EAction::BOOSTER, dik::k1 },
    { "ANTIROCKET", EAction::ANTIROCKET, dik::k2 },
    { "INVISIVILITY", EAction::INVISIVILITY, dik::k3 },
    { "SHIELD", EAction::SHIELD, dik::k4 },
    { "STASIS", EAction::STASIS, dik::k5 },
    { "RUN", EAction::RUN, dik::LeftShift },
    { "ALWAYSRUN", EAction::ALWAYSRUN, dik::CapsLock },
    { "SHOWINFO", EAction::SHOWINFO, dik::I },
    { "SELECT", EAction::SELECT, dik::Tab },
    { "CHANGEAMMO", EAction::CHANGEAMMO, dik::Q },
    { "CRUISE", EAction::CRUISE, dik::Grave },
};
static_assert(std::size(kBindings) == size_t(CInputConfig::kActions) - 1, "every action but the unused one");

constexpr const char* kEffectFiles[4] = {
    "Data\\FFE\\idle.ffe",
    "Data\\FFE\\coll.ffe",
    "Data\\FFE\\light.ffe",
    "Data\\FFE\\heavy.ffe",
};

constexpr float kAxisScale = 0.001f;
constexpr float kDeadZone = 0.2f;

// An axis value past the dead zone, rescaled to reach 1 at the end.
float Shaped(float t)
{
    if (std::fabs(t) < kDeadZone)
        return 0.0f;
    const float sign = t <= 0.0f ? -1.0f : 1.0f;
    return (t - kDeadZone * sign) * 1.25f;
}

} // namespace

void CInputConfig::LoadEffects()
{
    g_KeyCodeTable.Load();
    for (int i = 0; i < 4; ++i)
        m_effects[i] = m_input->LoadEffects(kEffectFiles[i]);
}

uint16_t CInputConfig::ParseKey(const char* iniPath, const char* action, uint16_t def) const
{
    char value[1024];
    plat::win::ReadProfileString(iniPath, "INPUT", action, "", value, sizeof value);
    const int32_t code = g_KeyCodeTable.Find(value);
    return code >= 0 ? uint16_t(code) : def;
}

void CInputConfig::LoadBindings(const char* file)
{
    std::snprintf(
        m_iniPath, sizeof m_iniPath, "%sDATA\\CONFIG\\%s", BaseDirectory().c_str(), file ? file : "");
    for (const BindingRow& row : kBindings)
        m_bindings[int(row.action)] = ParseKey(m_iniPath, row.name, row.def);
    // Read as unsigned: a negative value counts as absent.
    int32_t sensitivity = int32_t(plat::win::ReadProfileInt(m_iniPath, "INPUT", "MouseSensitivity", 5));
    if (sensitivity < 0)
        sensitivity = 5;
    m_mouseSensitivity = float(sensitivity) + 1.0f;
    m_inverseMouse = plat::win::ReadProfileInt(m_iniPath, "INPUT", "InverseMouse", 0) == 1 ? 1 : 0;
}

bool CInputConfig::IsHeld(uint16_t code) const
{
    const uint8_t low = uint8_t(code & 0xFF);
    switch (code >> 8) {
    case kDeviceKeyboard:
        return code != 0 && ((m_input->KeyState(low) & 0x80) || (m_input->KeyEvents(low) & 0x80));
    case kDeviceMouse:
        return low >= 1 && low <= CInput::kMouseButtons
            && ((m_input->MouseEvents(low - 1) & 0x80) || m_input->MouseButton(low - 1));
    case kDeviceJoystick:
        return low >= 1 && low <= plat::input::kJoystickButtons && m_input->HasJoystick()
            && (m_input->JoyState().buttons[low - 1] & 0x80);
    default:
        return false;
    }
}

bool CInputConfig::WasPressed(uint16_t code) const
{
    const uint8_t low = uint8_t(code & 0xFF);
    switch (code >> 8) {
    case kDeviceKeyboard:
        return code != 0 && (m_input->KeyEvents(low) & 0x80);
    case kDeviceMouse:
        return low >= 1 && low <= CInput::kMouseButtons && (m_input->MouseEvents(low - 1) & 0x80);
    case kDeviceJoystick: {
        if (low < 1 || low > plat::input::kJoystickButtons || !m_input->HasJoystick())
            return false;
        const int button = low - 1;
        const bool down = m_input->JoyState().buttons[button] & 0x80;
        // Buttons whose previous state is kept count only in the frame they went down.
        if (button < CInput::kJoystickEdgeButtons)
            return down && !(m_input->PrevJoyButton(button) & 0x80);
        return down;
    }
    default:
        return false;
    }
}

bool CInputConfig::WasReleased(uint16_t code) const
{
    const uint8_t low = uint8_t(code & 0xFF);
    switch (code >> 8) {
    case kDeviceKeyboard:
        return code != 0 && !(m_input->KeyState(low) & 0x80) && (m_input->PrevKeyState(low) & 0x80);
    case kDeviceMouse:
        return low >= 1 && low <= CInput::kMouseButtons && (m_input->MouseEvents(low - 1) & 0x40);
    case kDeviceJoystick: {
        if (low < 1 || low > CInput::kJoystickEdgeButtons || !m_input->HasJoystick())
            return false;
        const int button = low - 1;
        return !(m_input->JoyState().buttons[button] & 0x80) && (m_input->PrevJoyButton(button) & 0x80);
    }
    default:
        return false;
    }
}

void CInputConfig::ProcessInput()
{
    ZJ_TRACE("CInputConfig::ProcessInput");
    m_control = SControlState {};
    SControlState& c = m_control;
    m_input->GetData();
    if (m_inverseMouse)
        m_input->SetMouseDY(-m_input->MouseDY());

    if (Held(EAction::FORWARD) || Held(EAction::FORWARD2))
        c.throttle = 1.0f;
    if (Held(EAction::BACKWARD) || Held(EAction::BACKWARD2))
        c.throttle -= 0.5f;
    if (Held(EAction::LEFT) || Held(EAction::LEFT2))
        c.turn += 1.0f;
    if (Held(EAction::RIGHT) || Held(EAction::RIGHT2))
        c.turn -= 1.0f;
    if (Held(EAction::STRAFELEFT) || Held(EAction::STRAFELEFT2))
        c.strafe = 1.0f;
    if (Held(EAction::STRAFERIGHT) || Held(EAction::STRAFERIGHT2))
        c.strafe -= 1.0f;
    c.jump = Pressed(EAction::JUMP) || Pressed(EAction::JUMP2);
    c.fire = Held(EAction::FIRE) || Held(EAction::FIRE2) || Held(EAction::FIRE3);
    c.altFire = Held(EAction::FIREALT) || Held(EAction::FIREALT2) || Held(EAction::FIREALT3);
    c.rocket = Held(EAction::ROCKET) || Held(EAction::ROCKET2) || Held(EAction::ROCKET3);
    if (Held(EAction::BOMB))
        c.bomb = 1;
    if (WasReleased(Binding(EAction::BOMB)))
        c.bomb = 2;

    c.nightLight = Pressed(EAction::NIGHTLIGHTTOGGLE);
    c.showHold = Pressed(EAction::SHOWHOLD);
    c.showMap = Pressed(EAction::SHOWMAP);
    c.showJournal = Pressed(EAction::SHOWJOURNAL);
    c.booster = Pressed(EAction::BOOSTER);
    c.invisibility = Pressed(EAction::INVISIVILITY);
    c.stasis = Pressed(EAction::STASIS);
    c.alwaysRun = Pressed(EAction::ALWAYSRUN);
    c.select = Pressed(EAction::SELECT);
    c.changeAmmo = Pressed(EAction::CHANGEAMMO);
    c.cruise = Pressed(EAction::CRUISE);
    c.brake = Held(EAction::BRAKE) || Held(EAction::BRAKE2);
    c.antiRocket = Held(EAction::ANTIROCKET);
    c.shield = Held(EAction::SHIELD);
    c.run = Held(EAction::RUN);
    c.showInfo = Held(EAction::SHOWINFO);

    // FIXCURSOR of [ZJCONFIG], read with the engine's settings.
    if (g_FixCursor) {
        const bool joystick = m_input->HasJoystick();
        const plat::input::JoystickState& js = m_input->JoyState();
        c.joyX = joystick ? float(js.x) * kAxisScale : 0.0f;
        c.joyY = joystick ? float(js.y) * kAxisScale : 0.0f;
        const float t = Shaped(joystick ? -float(js.sliders[0] + js.z) * kAxisScale : 0.0f);
        if (std::fabs(t) > std::fabs(c.throttle)) {
            c.run = 0;
            c.alwaysRun = 0;
            c.throttle = std::fabs(t) > 0.95f ? t * 2.0f : t;
        }
        const float s = Shaped(joystick ? -float(js.rz) * kAxisScale : 0.0f);
        if (std::fabs(s) > std::fabs(c.strafe))
            c.strafe = s;
    }

    const float d = float(m_input->MouseDX());
    float& carry = m_cycleValues[0];
    if (d + carry != 0.0f) {
        if ((d > 0.0f) != (carry > 0.0f))
            carry *= 0.25f;
        c.yaw -= (d + carry) * m_mouseSensitivity * 0.05f;
    }
    if (m_input->MouseDY() != 0)
        c.pitch = float(m_input->MouseDY()) * m_mouseSensitivity * 0.05f;
}

void CInputConfig::StartEffect(CForceEffect* effect, uint32_t iterations)
{
    if (effect && effect->Effect())
        effect->Effect()->Start(iterations);
}

void CInputConfig::PlayIdleEffect()
{
    StartEffect(m_effects[0].get(), plat::input::kEffectForever);
}

void CInputConfig::PlayCollisionEffect()
{
    StartEffect(m_effects[1].get(), 1);
}

void CInputConfig::PlayLightEffect()
{
    StartEffect(m_effects[2].get(), 1);
}

void CInputConfig::PlayHeavyEffect()
{
    StartEffect(m_effects[3].get(), 1);
}

void CInputConfig::StopLightEffect()
{
    if (m_effects[2] && m_effects[2]->Effect())
        m_effects[2]->Effect()->Stop();
}

void CInputConfig::StopFFEffects()
{
    ZJ_TRACE("CInputConfig::StopFFEffects");
    for (auto& effect : m_effects) {
        if (effect && effect->Effect())
            effect->Effect()->Stop();
    }
}

void CInputConfig::FreeEffects()
{
    for (auto& effect : m_effects)
        effect.reset();
}
