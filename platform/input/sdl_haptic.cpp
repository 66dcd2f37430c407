#include "platform/input/sdl_haptic.h"

#include "platform/win/debug.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

namespace plat::input {
namespace {

void LogSdlFailure(const char* call)
{
    win::DebugOutput(std::string(call) + ": " + SDL_GetError());
}

Uint16 TypeOf(HapticKind kind)
{
    switch (kind) {
    case HapticKind::Constant:
        return SDL_HAPTIC_CONSTANT;
    case HapticKind::Sine:
        return SDL_HAPTIC_SINE;
    case HapticKind::Triangle:
        return SDL_HAPTIC_TRIANGLE;
    case HapticKind::SawtoothUp:
        return SDL_HAPTIC_SAWTOOTHUP;
    case HapticKind::SawtoothDown:
        return SDL_HAPTIC_SAWTOOTHDOWN;
    case HapticKind::Ramp:
        return SDL_HAPTIC_RAMP;
    case HapticKind::LeftRight:
        return SDL_HAPTIC_LEFTRIGHT;
    }
    return 0;
}

template <typename T> T Narrow(int32_t value)
{
    return T(std::clamp<int32_t>(value, std::numeric_limits<T>::min(), std::numeric_limits<T>::max()));
}

// Direction, length and envelope, alike in every kind that has an envelope.
template <class Sdl>
void SetEnvelope(Sdl& s, const HapticEffect& e, const SDL_HapticDirection& direction, Uint32 length)
{
    s.direction = direction;
    s.length = length;
    s.attack_length = Narrow<Uint16>(e.attackLength);
    s.attack_level = Narrow<Uint16>(e.attackLevel);
    s.fade_length = Narrow<Uint16>(e.fadeLength);
    s.fade_level = Narrow<Uint16>(e.fadeLevel);
}

SDL_HapticEffect ToSdl(const HapticEffect& e)
{
    SDL_HapticEffect s;
    SDL_zero(s);
    s.type = TypeOf(e.kind);
    Uint32 length = e.length == kHapticInfinity ? SDL_HAPTIC_INFINITY : e.length;
    SDL_HapticDirection direction;
    SDL_zero(direction);
    direction.type = SDL_HAPTIC_POLAR;
    direction.dir[0] = e.direction;
    switch (e.kind) {
    case HapticKind::Constant:
        SetEnvelope(s.constant, e, direction, length);
        s.constant.level = Narrow<Sint16>(e.level);
        break;
    case HapticKind::Sine:
    case HapticKind::Triangle:
    case HapticKind::SawtoothUp:
    case HapticKind::SawtoothDown:
        SetEnvelope(s.periodic, e, direction, length);
        s.periodic.period = Narrow<Uint16>(e.period);
        s.periodic.magnitude = Narrow<Sint16>(e.magnitude);
        s.periodic.offset = Narrow<Sint16>(e.offset);
        s.periodic.phase = Narrow<Uint16>(e.phase);
        break;
    case HapticKind::Ramp:
        SetEnvelope(s.ramp, e, direction, length);
        s.ramp.start = Narrow<Sint16>(e.start);
        s.ramp.end = Narrow<Sint16>(e.end);
        break;
    case HapticKind::LeftRight:
        s.leftright.length = length;
        s.leftright.large_magnitude = Narrow<Uint16>(e.largeMagnitude);
        s.leftright.small_magnitude = Narrow<Uint16>(e.smallMagnitude);
        break;
    }
    return s;
}

// Each device holds its own count on the SDL part it uses, so effects may outlive the joystick and
// the input system that made them.
class SdlHaptic : public HapticDevice {
public:
    explicit SdlHaptic(SDL_Haptic* haptic)
        : m_haptic(haptic)
        , m_supported(SDL_HapticQuery(haptic))
    {
    }
    ~SdlHaptic() override
    {
        SDL_HapticClose(m_haptic);
        SDL_QuitSubSystem(SDL_INIT_HAPTIC);
    }

    bool Supports(HapticKind kind) const override { return (m_supported & TypeOf(kind)) != 0; }

    int CreateEffect(const HapticEffect& effect) override
    {
        SDL_HapticEffect s = ToSdl(effect);
        int id = SDL_HapticNewEffect(m_haptic, &s);
        if (id < 0)
            LogSdlFailure("CreateEffect: SDL_HapticNewEffect");
        return id;
    }

    bool RunEffect(int id, uint32_t iterations) override
    {
        return SDL_HapticRunEffect(
                   m_haptic, id, iterations == kHapticInfinity ? SDL_HAPTIC_INFINITY : iterations)
            == 0;
    }

    bool StopEffect(int id) override { return SDL_HapticStopEffect(m_haptic, id) == 0; }
    void DestroyEffect(int id) override { SDL_HapticDestroyEffect(m_haptic, id); }
    void StopAll() override { SDL_HapticStopAll(m_haptic); }

    bool SetAutocenter(bool on) override
    {
        if (!(m_supported & SDL_HAPTIC_AUTOCENTER))
            return false;
        return SDL_HapticSetAutocenter(m_haptic, on ? 100 : 0) == 0;
    }

private:
    SDL_Haptic* m_haptic;
    unsigned int m_supported;
};

// SDL's rumble lasts a given time; an endless effect is re-armed well before it runs out.
constexpr Uint32 kRearmSpan = 1000;
constexpr Uint32 kRearmEvery = 500;

class Rumble : public HapticDevice {
public:
    explicit Rumble(SDL_Joystick* joystick)
        : m_joystick(joystick)
    {
    }
    ~Rumble() override
    {
        StopAll();
        SDL_JoystickClose(m_joystick);
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    }

    bool Supports(HapticKind) const override { return true; }

    int CreateEffect(const HapticEffect& e) override
    {
        Motors m;
        if (e.kind == HapticKind::LeftRight) {
            m.low = Narrow<Uint16>(e.largeMagnitude);
            m.high = Narrow<Uint16>(e.smallMagnitude);
        } else {
            int32_t level = 0;
            switch (e.kind) {
            case HapticKind::Constant:
                level = std::abs(e.level);
                break;
            case HapticKind::Ramp:
                level = std::max(std::abs(e.start), std::abs(e.end));
                break;
            default:
                level = std::abs(e.magnitude);
                break;
            }
            // 0..32767 onto the motors' 0..65535.
            m.low = m.high = Narrow<Uint16>(level * 2);
        }
        m.length = e.length;
        m_effects.push_back(m);
        return int(m_effects.size() - 1);
    }

    bool RunEffect(int id, uint32_t iterations) override
    {
        if (!Valid(id))
            return false;
        Motors& m = m_effects[size_t(id)];
        m_playing = id;
        m_endless = m.length == kHapticInfinity || iterations == kHapticInfinity;
        Uint32 span = kRearmSpan;
        if (!m_endless)
            span = Uint32(std::min<uint64_t>(uint64_t(m.length) * iterations, 0xFFFFFFFEull));
        m_armedAt = SDL_GetTicks();
        return SDL_JoystickRumble(m_joystick, m.low, m.high, span) == 0;
    }

    bool StopEffect(int id) override
    {
        if (id != m_playing)
            return Valid(id);
        StopAll();
        return true;
    }

    void DestroyEffect(int id) override
    {
        if (id == m_playing)
            StopAll();
    }

    void StopAll() override
    {
        if (m_playing >= 0)
            SDL_JoystickRumble(m_joystick, 0, 0, 0);
        m_playing = -1;
        m_endless = false;
    }

    bool SetAutocenter(bool) override { return false; }

    void Update() override
    {
        if (m_playing < 0 || !m_endless)
            return;
        Uint32 now = SDL_GetTicks();
        if (now - m_armedAt < kRearmEvery)
            return;
        const Motors& m = m_effects[size_t(m_playing)];
        m_armedAt = now;
        SDL_JoystickRumble(m_joystick, m.low, m.high, kRearmSpan);
    }

private:
    struct Motors {
        Uint16 low = 0;
        Uint16 high = 0;
        uint32_t length = 0;
    };

    bool Valid(int id) const { return id >= 0 && size_t(id) < m_effects.size(); }

    SDL_Joystick* m_joystick;
    std::vector<Motors> m_effects;
    int m_playing = -1;
    bool m_endless = false;
    Uint32 m_armedAt = 0;
};

} // namespace

std::shared_ptr<HapticDevice> OpenSdlHaptic(SDL_Joystick* joystick)
{
    if (!SDL_WasInit(SDL_INIT_HAPTIC) || SDL_JoystickIsHaptic(joystick) != SDL_TRUE)
        return nullptr;
    if (SDL_InitSubSystem(SDL_INIT_HAPTIC) != 0)
        return nullptr;
    SDL_Haptic* haptic = SDL_HapticOpenFromJoystick(joystick);
    if (!haptic) {
        LogSdlFailure("Joystick: SDL_HapticOpenFromJoystick");
        SDL_QuitSubSystem(SDL_INIT_HAPTIC);
        return nullptr;
    }
    if (SDL_HapticQuery(haptic) & SDL_HAPTIC_GAIN)
        SDL_HapticSetGain(haptic, 100);
    return std::make_shared<SdlHaptic>(haptic);
}

std::shared_ptr<HapticDevice> OpenRumble(int deviceIndex)
{
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0)
        return nullptr;
    SDL_Joystick* joystick = SDL_JoystickOpen(deviceIndex);
    if (joystick && !SDL_JoystickHasRumble(joystick)) {
        SDL_JoystickClose(joystick);
        joystick = nullptr;
    }
    if (!joystick) {
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
        return nullptr;
    }
    return std::make_shared<Rumble>(joystick);
}

} // namespace plat::input
