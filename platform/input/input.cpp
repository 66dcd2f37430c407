#include "platform/input/input.h"

#include "platform/input/device_core.h"
#include "platform/input/joystick.h"
#include "platform/input/keyboard.h"
#include "platform/input/mouse.h"
#include "platform/input/sdl_haptic.h"
#include "platform/win/debug.h"

namespace plat::input {

std::unique_ptr<DeviceCore> MakeJoystickCore(int deviceIndex, const JoystickInfo& info);

namespace {

constexpr Uint32 kJoystickSystems = SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER;

void LogSdlFailure(const char* call)
{
    win::DebugOutput(std::string(call) + ": " + SDL_GetError());
}

int DeviceIndexOf(int32_t instanceId)
{
    int count = SDL_NumJoysticks();
    for (int i = 0; i < count; ++i) {
        if (SDL_JoystickGetDeviceInstanceID(i) == instanceId)
            return i;
    }
    return -1;
}

bool CanForceFeedback(int deviceIndex)
{
    SDL_Joystick* joystick = SDL_JoystickOpen(deviceIndex);
    if (!joystick)
        return false;
    bool haptic = SDL_WasInit(SDL_INIT_HAPTIC) && SDL_JoystickIsHaptic(joystick) == SDL_TRUE;
    bool rumble = SDL_JoystickHasRumble(joystick) == SDL_TRUE;
    SDL_JoystickClose(joystick);
    return haptic || rumble;
}

} // namespace

Input::Input()
{
    // The layer keeps foreground rules itself; SDL would drop joystick input without keyboard focus.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    m_joysticks = SDL_InitSubSystem(kJoystickSystems) == 0;
    if (!m_joysticks)
        LogSdlFailure("Input: SDL_InitSubSystem(joystick)");
    m_haptic = SDL_InitSubSystem(SDL_INIT_HAPTIC) == 0;
    if (!m_haptic)
        LogSdlFailure("Input: SDL_InitSubSystem(haptic)");
}

Input::~Input()
{
    if (m_haptic)
        SDL_QuitSubSystem(SDL_INIT_HAPTIC);
    if (m_joysticks)
        SDL_QuitSubSystem(kJoystickSystems);
}

std::unique_ptr<Keyboard> Input::CreateKeyboard()
{
    return std::unique_ptr<Keyboard>(new Keyboard());
}

std::unique_ptr<Mouse> Input::CreateMouse()
{
    return std::unique_ptr<Mouse>(new Mouse());
}

std::vector<JoystickInfo> Input::EnumerateJoysticks(bool forceFeedbackOnly)
{
    std::vector<JoystickInfo> found;
    if (!m_joysticks)
        return found;
    int count = SDL_NumJoysticks();
    for (int i = 0; i < count; ++i) {
        JoystickInfo info;
        info.instanceId = SDL_JoystickGetDeviceInstanceID(i);
        const char* name = SDL_JoystickNameForIndex(i);
        info.name = name ? name : "";
        info.gameController = SDL_IsGameController(i) == SDL_TRUE;
        info.forceFeedback = CanForceFeedback(i);
        if (info.instanceId >= 0 && (info.forceFeedback || !forceFeedbackOnly))
            found.push_back(std::move(info));
    }
    return found;
}

std::unique_ptr<Joystick> Input::CreateJoystick(const JoystickInfo& info)
{
    if (!m_joysticks)
        return nullptr;
    int index = DeviceIndexOf(info.instanceId);
    if (index < 0)
        return nullptr;
    std::unique_ptr<DeviceCore> core = MakeJoystickCore(index, info);
    if (!core) {
        LogSdlFailure("Input::CreateJoystick: SDL_JoystickOpen");
        return nullptr;
    }
    return std::unique_ptr<Joystick>(new Joystick(std::move(core)));
}

} // namespace plat::input
