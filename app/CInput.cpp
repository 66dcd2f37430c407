#include "app/CInput.h"

#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "platform/win/text.h"
#include "platform/window/keys.h"
#include "render/Screenshot.h"

#include <cstring>
#include <vector>

using namespace plat::input;

CInput g_Input;

namespace {

void LogFailure(Result result, const char* message)
{
    if (!Succeeded(result))
        WriteErrorLog(message);
}

} // namespace

CInput::~CInput()
{
    Release();
}

void CInput::Init(plat::window::Window* window, bool windowed, bool forceFeedback)
{
    ZJ_TRACE("CInput::Init");
    Release();
    m_input = std::make_unique<Input>();
    if (!window) {
        WriteErrorLog(CP1251("CInput::Init Ошибка создания интерфейса"));
        return;
    }

    m_keyboard = m_input->CreateKeyboard();
    if (!m_keyboard) {
        WriteErrorLog(CP1251("CInput::Init Ошибка создания интерфейса клавиатуры"));
    } else {
        Cooperation flags = Cooperation::NonExclusive | Cooperation::Foreground;
        if (!windowed)
            flags = flags | Cooperation::NoWindowsKey;
        LogFailure(m_keyboard->SetCooperativeLevel(*window, flags),
            CP1251("CInput::Init Ошибка установки клавиатуры (cooperative level)"));
        LogFailure(m_keyboard->SetBufferSize(kBufferSize),
            CP1251("CInput::Init Ошибка установки клавиатуры (SetProperty)"));
    }

    m_mouse = m_input->CreateMouse();
    if (!m_mouse) {
        WriteErrorLog(CP1251("CInput::Init Ошибка создания интерфейса мыши"));
    } else {
        LogFailure(m_mouse->SetFormat(MouseFormat::Buttons4), CP1251("CInput::Init Ошибка установки мыши"));
        LogFailure(m_mouse->SetCooperativeLevel(*window, Cooperation::NonExclusive | Cooperation::Foreground),
            CP1251("CInput::Init Ошибка установки мыши (Cooperative level)"));
        LogFailure(
            m_mouse->SetBufferSize(kBufferSize), CP1251("CInput::Init Ошибка установки мыши (SetProperty)"));
    }

    CreateJoystick(forceFeedback);
    if (m_joystick) {
        m_joystick->SetCooperativeLevel(*window, Cooperation::Exclusive | Cooperation::Foreground);
        m_joystick->SetRange(-kAxisRange, kAxisRange);
        if (m_forceFeedback)
            m_joystick->SetAutoCenter(true);
    }

    Acquire();
    std::memset(m_mouseButtons, 0, sizeof m_mouseButtons);
    std::memset(m_keyState, 0, sizeof m_keyState);
}

void CInput::CreateJoystick(bool forceFeedback)
{
    m_forceFeedback = 0;
    if (forceFeedback) {
        for (const JoystickInfo& info : m_input->EnumerateJoysticks(true)) {
            if ((m_joystick = m_input->CreateJoystick(info)))
                break;
        }
        m_forceFeedback = m_joystick ? 1 : 0;
    }
    if (!m_joystick) {
        for (const JoystickInfo& info : m_input->EnumerateJoysticks(false)) {
            if ((m_joystick = m_input->CreateJoystick(info)))
                break;
        }
    }
}

void CInput::Acquire()
{
    ZJ_TRACE("CInput::Acquire");
    if (m_keyboard)
        m_keyboard->Acquire();
    if (m_mouse)
        m_mouse->Acquire();
    if (m_joystick)
        m_joystick->Acquire();
}

bool CInput::ReadEvents(Device& device, DeviceEvent* events, uint32_t& count)
{
    const uint32_t wanted = count;
    Result result = device.GetDeviceData(events, count);
    if (result == Result::InputLost || result == Result::NotAcquired) {
        ++m_reacquires;
        device.Acquire();
        count = wanted;
        result = device.GetDeviceData(events, count);
    }
    if (!Succeeded(result)) {
        count = 0;
        return false;
    }
    return true;
}

void CInput::GetData()
{
    ZJ_TRACE("CInput::GetData");
    std::memcpy(m_prevKeyState, m_keyState, sizeof m_keyState);
    std::memset(m_keyEvents, 0, sizeof m_keyEvents);
    m_mouseDX = m_mouseDY = m_mouseDZ = 0;
    std::memset(m_mouseEvents, 0, sizeof m_mouseEvents);

    std::vector<DeviceEvent>& events = m_events;
    events.resize(kKeyboardReads);
    if (m_keyboard) {
        uint32_t count = kKeyboardReads;
        ReadEvents(*m_keyboard, events.data(), count);
        for (uint32_t i = 0; i < count; ++i) {
            const DeviceEvent& e = events[i];
            if (e.offset >= 256)
                continue;
            m_keyState[e.offset] = uint8_t(e.data);
            m_keyEvents[e.offset] |= uint8_t(e.data);
        }
    }

    if (m_mouse) {
        uint32_t count = kMouseReads;
        ReadEvents(*m_mouse, events.data(), count);
        for (uint32_t i = 0; i < count; ++i) {
            const DeviceEvent& e = events[i];
            if (e.offset == uint32_t(MouseObject::X)) {
                m_mouseDX += e.data;
            } else if (e.offset == uint32_t(MouseObject::Y)) {
                m_mouseDY += e.data;
            } else if (e.offset == uint32_t(MouseObject::Wheel)) {
                m_mouseDZ += e.data;
            } else if (e.offset >= MouseButtonOffset(0) && e.offset < MouseButtonOffset(kMouseButtons)) {
                const uint32_t button = e.offset - MouseButtonOffset(0);
                const bool down = (e.data & 0x80) != 0;
                m_mouseButtons[button] = down ? 1 : 0;
                m_mouseEvents[button] |= down ? 0x80 : 0x40;
            }
        }
    }

    if (m_joystick) {
        std::memcpy(m_prevJoyButtons, m_joyState.buttons.data(), sizeof m_prevJoyButtons);
        m_joystick->Poll();
        if (!Succeeded(m_joystick->GetState(m_joyState)))
            m_joyState = JoystickState();
    }

    if (m_keyEvents[plat::window::key::PrintScreen] & 0x80)
        SaveScreenshot();
}

void CInput::Release()
{
    if (m_keyboard)
        m_keyboard->Unacquire();
    if (m_mouse)
        m_mouse->Unacquire();
    if (m_joystick)
        m_joystick->Unacquire();
    m_keyboard.reset();
    m_mouse.reset();
    m_joystick.reset();
    m_input.reset();
    m_forceFeedback = 0;
}

std::unique_ptr<CForceEffect> CInput::LoadEffects(const char* file)
{
    if (!m_joystick || !m_forceFeedback || !file)
        return std::make_unique<CForceEffect>();
    return std::make_unique<CForceEffect>(m_joystick->LoadEffect(file));
}
