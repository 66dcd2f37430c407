#include "app/CInputConfig.h"

#include "foundation/BaseDirectory.h"
#include "foundation/CallTrace.h"
#include "foundation/ConfigKeys.h"
#include "foundation/KeyCodeTable.h"
#include "platform/input/key_names.h"
#include "platform/win/profile.h"
#include "world/db/CZJEngine.h"

#include <cmath>
#include <cstdio>
#include <cstring>

CInputConfig g_InputConfig;

namespace {

struct BindingRow {
    const SConfigKey* key;
    EAction action;
};

// The section of cfg.ini that holds the bindings.
constexpr std::string_view kInputSection = "INPUT";

consteval const SConfigKey* Input(std::string_view key)
{
    return &ConfigKey(kInputSection, key);
}

// In the order the bindings are read.
constexpr BindingRow kBindings[] = {
    { Input("FORWARD"), EAction::FORWARD },
    { Input("FORWARD2"), EAction::FORWARD2 },
    { Input("BACKWARD"), EAction::BACKWARD },
    { Input("BACKWARD2"), EAction::BACKWARD2 },
    { Input("RIGHT2"), EAction::RIGHT2 },
    { Input("RIGHT"), EAction::RIGHT },
    { Input("LEFT"), EAction::LEFT },
    { Input("LEFT2"), EAction::LEFT2 },
    { Input("STRAFERIGHT"), EAction::STRAFERIGHT },
    { Input("STRAFELEFT"), EAction::STRAFELEFT },
    { Input("STRAFERIGHT2"), EAction::STRAFERIGHT2 },
    { Input("STRAFELEFT2"), EAction::STRAFELEFT2 },
    { Input("FIRE"), EAction::FIRE },
    { Input("FIRE2"), EAction::FIRE2 },
    { Input("FIRE3"), EAction::FIRE3 },
    { Input("FIREALT"), EAction::FIREALT },
    { Input("FIREALT2"), EAction::FIREALT2 },
    { Input("FIREALT3"), EAction::FIREALT3 },
    { Input("ROCKET"), EAction::ROCKET },
    { Input("ROCKET2"), EAction::ROCKET2 },
    { Input("ROCKET3"), EAction::ROCKET3 },
    { Input("BOMB"), EAction::BOMB },
    { Input("JUMP"), EAction::JUMP },
    { Input("JUMP2"), EAction::JUMP2 },
    { Input("BRAKE"), EAction::BRAKE },
    { Input("BRAKE2"), EAction::BRAKE2 },
    { Input("NIGHTLIGHTTOGGLE"), EAction::NIGHTLIGHTTOGGLE },
    { Input("SHOWHOLD"), EAction::SHOWHOLD },
    { Input("SHOWMAP"), EAction::SHOWMAP },
    { Input("SHOWJOURNAL"), EAction::SHOWJOURNAL },
    { Input("BOOSTER"), EAction::BOOSTER },
    { Input("ANTIROCKET"), EAction::ANTIROCKET },
    { Input("INVISIVILITY"), EAction::INVISIVILITY },
    { Input("SHIELD"), EAction::SHIELD },
    { Input("STASIS"), EAction::STASIS },
    { Input("RUN"), EAction::RUN },
    { Input("ALWAYSRUN"), EAction::ALWAYSRUN },
    { Input("SHOWINFO"), EAction::SHOWINFO },
    { Input("SELECT"), EAction::SELECT },
    { Input("CHANGEAMMO"), EAction::CHANGEAMMO },
    { Input("CRUISE"), EAction::CRUISE },
};
static_assert(std::size(kBindings) == size_t(CInputConfig::kActions) - 1, "every action but the unused one");

// The code of a binding's default key name, through the input layer's names (DICode.ini may be
// missing); 0 when it has none.
uint16_t DefaultCode(const SConfigKey& key)
{
    uint16_t code = 0;
    plat::input::FindKeyCode(key.text, code);
    return code;
}

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
    plat::win::ReadProfileString(iniPath, kInputSection, action, "", value, sizeof value);
    const int32_t code = g_KeyCodeTable.Find(value);
    return code >= 0 ? uint16_t(code) : def;
}

void CInputConfig::LoadBindings(const char* file)
{
    std::snprintf(
        m_iniPath, sizeof m_iniPath, "%sDATA\\CONFIG\\%s", BaseDirectory().c_str(), file ? file : "");
    for (const BindingRow& row : kBindings)
        m_bindings[int(row.action)] = ParseKey(m_iniPath, row.key->key, DefaultCode(*row.key));
    // Read as unsigned: a negative value counts as absent.
    const SConfigKey& sensitivityKey = *Input("MouseSensitivity");
    int32_t sensitivity = ReadConfigNumber(m_iniPath, sensitivityKey);
    if (sensitivity < 0)
        sensitivity = sensitivityKey.number;
    m_mouseSensitivity = float(sensitivity) + 1.0f;
    m_inverseMouse = ReadConfigNumber(m_iniPath, *Input("InverseMouse")) == 1 ? 1 : 0;
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
