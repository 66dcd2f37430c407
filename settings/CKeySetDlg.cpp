#include "settings/CKeySetDlg.h"

#include "foundation/CallTrace.h"
#include "platform/input/joystick.h"
#include "platform/input/keyboard.h"
#include "platform/input/mouse.h"
#include "platform/window/keys.h"

#include <cstring>

namespace {

using plat::input::Cooperation;
using plat::input::Result;

constexpr int kCapturedMouseButtons = 6;
constexpr uint16_t kMouseCodeBase = 256;
constexpr int32_t kAxisRange = 1000;

bool Lost(Result r)
{
    return r == Result::InputLost || r == Result::NotAcquired;
}

// Reads once; when the device was lost, acquires it once and reads again. False: give up for
// this tick.
template <class Read> bool ReadOnce(plat::input::Device& device, Read read)
{
    Result r = read();
    if (Lost(r) && plat::input::Succeeded(device.Acquire()))
        r = read();
    return plat::input::Succeeded(r);
}

} // namespace

CKeySetDlg::CKeySetDlg(const KeyCodeTable& keyCodes)
    : m_keyCodes(keyCodes)
{
}

CKeySetDlg::~CKeySetDlg()
{
    ReleaseInput();
}

bool CKeySetDlg::InitInput(plat::window::Window& window)
{
    ZJ_TRACE("CKeySetDlg::InitInput");
    ReleaseInput();
    m_input = std::make_unique<plat::input::Input>();
    for (const plat::input::JoystickInfo& info : m_input->EnumerateJoysticks(false)) {
        m_joystick = m_input->CreateJoystick(info);
        if (m_joystick)
            break;
    }
    bool ok = true;
    if (m_joystick) {
        ok = plat::input::Succeeded(
                 m_joystick->SetCooperativeLevel(window, Cooperation::Exclusive | Cooperation::Foreground))
            && plat::input::Succeeded(m_joystick->SetRange(-kAxisRange, kAxisRange));
    }
    m_keyboard = m_input->CreateKeyboard();
    m_mouse = m_input->CreateMouse();
    ok = ok
        && plat::input::Succeeded(m_keyboard->SetCooperativeLevel(
            window, Cooperation::NonExclusive | Cooperation::Foreground | Cooperation::NoWindowsKey))
        && plat::input::Succeeded(m_mouse->SetFormat(plat::input::MouseFormat::Buttons8))
        && plat::input::Succeeded(
            m_mouse->SetCooperativeLevel(window, Cooperation::Exclusive | Cooperation::Foreground));
    if (!ok) {
        ReleaseInput();
        return false;
    }
    // A device that cannot be acquired now (no focus yet) is acquired by its first read.
    m_keyboard->Acquire();
    m_mouse->Acquire();
    return true;
}

void CKeySetDlg::ReleaseInput()
{
    for (plat::input::Device* device : { static_cast<plat::input::Device*>(m_keyboard.get()),
             static_cast<plat::input::Device*>(m_mouse.get()),
             static_cast<plat::input::Device*>(m_joystick.get()) }) {
        if (device)
            device->Unacquire();
    }
    m_keyboard.reset();
    m_mouse.reset();
    m_joystick.reset();
    m_input.reset();
}

std::string CKeySetDlg::NameOfCode(uint16_t code) const
{
    for (int i = 0; i < m_keyCodes.Count(); ++i) {
        const SKeyCodeRow& row = m_keyCodes.Row(i);
        if (row.code == code)
            return std::string(row.name, strnlen(row.name, sizeof row.name));
    }
    return {};
}

std::string CKeySetDlg::MouseName()
{
    plat::input::MouseState state;
    if (!ReadOnce(*m_mouse, [&] { return m_mouse->GetState(state); }))
        return {};
    for (int b = 0; b < kCapturedMouseButtons; ++b) {
        if (state.buttons[size_t(b)] & 0x80)
            return NameOfCode(uint16_t(kMouseCodeBase + b + 1));
    }
    return {};
}

std::string CKeySetDlg::JoystickName()
{
    if (!m_joystick || !ReadOnce(*m_joystick, [&] { return m_joystick->Poll(); }))
        return {};
    plat::input::JoystickState state;
    if (!plat::input::Succeeded(m_joystick->GetState(state)))
        return {};
    for (int b = 0; b < plat::input::kJoystickButtons; ++b) {
        if (state.buttons[size_t(b)] & 0x80)
            return "Joy" + std::to_string(b + 1);
    }
    return {};
}

std::string CKeySetDlg::KeyboardName()
{
    plat::input::KeyboardState state;
    if (!ReadOnce(*m_keyboard, [&] { return m_keyboard->GetState(state); }))
        return {};
    for (int code = 0; code < int(state.size()); ++code) {
        if (state[size_t(code)] & 0x80)
            return code == plat::window::key::Escape ? "Esc" : NameOfCode(uint16_t(code));
    }
    return {};
}

CKeySetDlg::ETick CKeySetDlg::Tick()
{
    ZJ_TRACE("CKeySetDlg::OnTimer");
    if (!m_keyboard)
        return ETick::None;
    std::string name = MouseName();
    if (name.empty())
        name = JoystickName();
    if (name.empty())
        name = KeyboardName();
    if (name.empty())
        return ETick::None;
    if (name == "Esc")
        return ETick::Cancel;
    m_target = name;
    return ETick::Ok;
}
