#include "platform/input/joystick.h"

#include "platform/input/device_core.h"
#include "platform/input/effect.h"
#include "platform/input/sdl_haptic.h"

#include <algorithm>
#include <cmath>

namespace plat::input {

int32_t ScaleAxis(int32_t value, int32_t min, int32_t max)
{
    double centre = (double(min) + double(max)) / 2.0;
    double scaled
        = value < 0 ? centre + value / 32768.0 * (centre - min) : centre + value / 32767.0 * (max - centre);
    return int32_t(std::clamp<double>(std::lround(scaled), min, max));
}

uint32_t PovOfHat(uint8_t hat)
{
    // Hundredths of a degree, clockwise from up, for each combination of up 1, right 2, down 4, left 8.
    switch (hat & 0x0F) {
    case 1:
        return 0;
    case 1 | 2:
        return 4500;
    case 2:
        return 9000;
    case 4 | 2:
        return 13500;
    case 4:
        return 18000;
    case 4 | 8:
        return 22500;
    case 8:
        return 27000;
    case 1 | 8:
        return 31500;
    default:
        return kPovCentred;
    }
}

namespace {

constexpr SDL_GameControllerButton kControllerButtons[] = {
    SDL_CONTROLLER_BUTTON_A,
    SDL_CONTROLLER_BUTTON_B,
    SDL_CONTROLLER_BUTTON_X,
    SDL_CONTROLLER_BUTTON_Y,
    SDL_CONTROLLER_BUTTON_LEFTSHOULDER,
    SDL_CONTROLLER_BUTTON_RIGHTSHOULDER,
    SDL_CONTROLLER_BUTTON_BACK,
    SDL_CONTROLLER_BUTTON_START,
    SDL_CONTROLLER_BUTTON_LEFTSTICK,
    SDL_CONTROLLER_BUTTON_RIGHTSTICK,
};

class JoystickCore : public DeviceCore {
public:
    JoystickCore(int deviceIndex, JoystickInfo info)
        : m_info(std::move(info))
    {
        SDL_InitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER);
        if (m_info.gameController) {
            m_controller = SDL_GameControllerOpen(deviceIndex);
            m_joystick = m_controller ? SDL_GameControllerGetJoystick(m_controller) : nullptr;
        } else {
            m_joystick = SDL_JoystickOpen(deviceIndex);
        }
        if (!m_joystick)
            return;
        m_gate = std::make_shared<EffectGate>();
        m_gate->open = false;
        m_haptic = OpenSdlHaptic(m_joystick);
        if (!m_haptic)
            m_haptic = OpenRumble(deviceIndex);
    }

    ~JoystickCore() override
    {
        m_gate.reset();
        m_haptic.reset();
        if (m_controller)
            SDL_GameControllerClose(m_controller);
        else if (m_joystick)
            SDL_JoystickClose(m_joystick);
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER);
    }

    bool Opened() const { return m_joystick != nullptr; }
    const JoystickInfo& Info() const { return m_info; }

    Result SetRange(int32_t min, int32_t max)
    {
        if (min >= max)
            return Result::InvalidParam;
        m_min = min;
        m_max = max;
        return Result::Ok;
    }

    Result SetAutoCenter(bool on)
    {
        if (!m_haptic)
            return Result::NotSupported;
        return m_haptic->SetAutocenter(on) ? Result::Ok : Result::NotSupported;
    }

    Result Poll()
    {
        if (m_unplugged || !SDL_JoystickGetAttached(m_joystick))
            Unplug();
        if (!IsAcquired())
            return NotAcquiredResult();
        SDL_JoystickUpdate();
        if (!SDL_JoystickGetAttached(m_joystick)) {
            Unplug();
            return NotAcquiredResult();
        }
        if (m_haptic)
            m_haptic->Update();
        return Result::Ok;
    }

    Result GetState(JoystickState& state)
    {
        if (m_unplugged || !SDL_JoystickGetAttached(m_joystick))
            Unplug();
        if (!IsAcquired()) {
            state = Neutral();
            return NotAcquiredResult();
        }
        state = m_controller ? ReadController() : ReadRaw();
        return Result::Ok;
    }

    bool HasForceFeedback() const { return m_haptic != nullptr; }

    void ReplaceHaptic(std::shared_ptr<HapticDevice> device) { m_haptic = std::move(device); }

    std::unique_ptr<Effect> MakeEffect(const EffectFile& file)
    {
        return CreateEffect(m_haptic, file, m_gate);
    }

private:
    int32_t Axis(int32_t sdlValue) const { return ScaleAxis(sdlValue, m_min, m_max); }

    JoystickState Neutral() const
    {
        JoystickState s;
        int32_t centre = Axis(0);
        s.x = s.y = s.z = s.rx = s.ry = s.rz = centre;
        s.sliders = { centre, centre };
        return s;
    }

    JoystickState ReadController() const
    {
        JoystickState s = Neutral();
        SDL_GameController* c = m_controller;
        s.x = Axis(SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_LEFTX));
        s.y = Axis(SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_LEFTY));
        s.rx = Axis(SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_RIGHTX));
        s.ry = Axis(SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_RIGHTY));
        // Triggers read 0..32767 through the mapping, so both at rest give the centre.
        int32_t triggers = SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_TRIGGERLEFT)
            - SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_TRIGGERRIGHT);
        s.z = Axis(std::clamp(triggers, -32767, 32767));
        for (size_t i = 0; i < std::size(kControllerButtons); ++i)
            s.buttons[i] = SDL_GameControllerGetButton(c, kControllerButtons[i]) ? 0x80 : 0x00;
        uint8_t hat = 0;
        if (SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_UP))
            hat |= SDL_HAT_UP;
        if (SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_RIGHT))
            hat |= SDL_HAT_RIGHT;
        if (SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_DOWN))
            hat |= SDL_HAT_DOWN;
        if (SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_LEFT))
            hat |= SDL_HAT_LEFT;
        s.povs[0] = PovOfHat(hat);
        return s;
    }

    JoystickState ReadRaw() const
    {
        JoystickState s = Neutral();
        int32_t* axes[] = { &s.x, &s.y, &s.z, &s.rx, &s.ry, &s.rz, &s.sliders[0], &s.sliders[1] };
        int axisCount = std::min<int>(SDL_JoystickNumAxes(m_joystick), int(std::size(axes)));
        for (int i = 0; i < axisCount; ++i)
            *axes[i] = Axis(SDL_JoystickGetAxis(m_joystick, i));
        int hats = std::min<int>(SDL_JoystickNumHats(m_joystick), int(s.povs.size()));
        for (int i = 0; i < hats; ++i)
            s.povs[size_t(i)] = PovOfHat(SDL_JoystickGetHat(m_joystick, i));
        int buttons = std::min<int>(SDL_JoystickNumButtons(m_joystick), kJoystickButtons);
        for (int i = 0; i < buttons; ++i)
            s.buttons[size_t(i)] = SDL_JoystickGetButton(m_joystick, i) ? 0x80 : 0x00;
        return s;
    }

    void Unplug()
    {
        m_unplugged = true;
        Lose();
    }

    void HandleEvent(const SDL_Event& event) override
    {
        if (event.type == SDL_JOYDEVICEREMOVED && event.jdevice.which == m_info.instanceId)
            Unplug();
    }

    bool Attached() const override
    {
        return !m_unplugged && m_joystick && SDL_JoystickGetAttached(m_joystick);
    }

    void OnAcquired() override
    {
        if (m_gate)
            m_gate->open = true;
    }

    void OnUnacquired() override
    {
        if (m_gate)
            m_gate->open = false;
        if (m_haptic)
            m_haptic->StopAll();
    }

    JoystickInfo m_info;
    SDL_GameController* m_controller = nullptr;
    SDL_Joystick* m_joystick = nullptr;
    std::shared_ptr<HapticDevice> m_haptic;
    std::shared_ptr<EffectGate> m_gate;
    int32_t m_min = 0;
    int32_t m_max = 65535;
    bool m_unplugged = false;
};

JoystickCore& CoreOf(DeviceCore& core)
{
    return static_cast<JoystickCore&>(core);
}

} // namespace

Joystick::Joystick(std::unique_ptr<DeviceCore> core)
    : Device(std::move(core))
{
}
Joystick::~Joystick() = default;

Result Joystick::SetRange(int32_t min, int32_t max)
{
    return CoreOf(*m_core).SetRange(min, max);
}
Result Joystick::SetAutoCenter(bool on)
{
    return CoreOf(*m_core).SetAutoCenter(on);
}
Result Joystick::Poll()
{
    return CoreOf(*m_core).Poll();
}
Result Joystick::GetState(JoystickState& state)
{
    return CoreOf(*m_core).GetState(state);
}
const JoystickInfo& Joystick::Info() const
{
    return CoreOf(*m_core).Info();
}
bool Joystick::HasForceFeedback() const
{
    return CoreOf(*m_core).HasForceFeedback();
}

void Joystick::ReplaceHaptic(std::shared_ptr<HapticDevice> device)
{
    CoreOf(*m_core).ReplaceHaptic(std::move(device));
}

std::unique_ptr<Effect> Joystick::CreateEffect(const EffectFile& file)
{
    return CoreOf(*m_core).MakeEffect(file);
}

std::unique_ptr<Effect> Joystick::LoadEffect(std::string_view path)
{
    if (!HasForceFeedback())
        return nullptr;
    EffectFile file;
    if (!LoadEffectFile(path, file))
        return nullptr;
    return CreateEffect(file);
}

// Used by Input::CreateJoystick.
std::unique_ptr<DeviceCore> MakeJoystickCore(int deviceIndex, const JoystickInfo& info)
{
    auto core = std::make_unique<JoystickCore>(deviceIndex, info);
    if (!core->Opened())
        return nullptr;
    return core;
}

} // namespace plat::input
