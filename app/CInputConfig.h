// CInputConfig: turns the raw device state of CInput into the game's actions. It holds the
// bindings of 41 actions from section INPUT of cfg.ini (written as key names of DICode.ini), fills
// the control block once per frame, and owns the four force-feedback effects. A binding code's
// high byte names the device (0 keyboard, 1 mouse, 2 joystick), the low byte the key or the
// button + 1; 0 is unbound. Main thread only.
#pragma once

#include "app/CInput.h"

#include <cstdint>
#include <memory>

enum class EAction : int {
    CRUISE,
    FORWARD,
    FORWARD2,
    BACKWARD,
    BACKWARD2,
    LEFT,
    LEFT2,
    RIGHT,
    RIGHT2,
    STRAFELEFT,
    STRAFERIGHT,
    STRAFELEFT2,
    STRAFERIGHT2,
    FIRE,
    FIRE2,
    FIRE3,
    FIREALT,
    FIREALT2,
    FIREALT3,
    ROCKET,
    ROCKET2,
    ROCKET3,
    BOMB,
    JUMP,
    JUMP2,
    UNUSED, // nothing sets it
    BRAKE,
    BRAKE2,
    NIGHTLIGHTTOGGLE,
    SHOWHOLD,
    SHOWMAP,
    SHOWJOURNAL,
    BOOSTER,
    ANTIROCKET,
    INVISIVILITY,
    SHIELD,
    STASIS,
    ALWAYSRUN,
    RUN,
    SHOWINFO,
    SELECT,
    CHANGEAMMO,
    Count
};

// What the player's input reads each frame; cleared at the start of ProcessInput.
struct SControlState {
    float throttle;
    float turn;
    float reserved;
    float pitch;
    float yaw;
    float joyY;
    float joyX;
    float strafe;
    uint8_t fire;
    uint8_t altFire;
    uint8_t rocket;
    uint8_t reservedByte;
    uint32_t bomb; // 1 held, 2 released this frame
    uint8_t jump;
    uint8_t brake;
    uint8_t nightLight;
    uint8_t showHold;
    uint8_t showMap;
    uint8_t showJournal;
    uint8_t booster;
    uint8_t antiRocket;
    uint8_t invisibility;
    uint8_t shield;
    uint8_t stasis;
    uint8_t run;
    uint8_t alwaysRun;
    uint8_t showInfo;
    uint8_t select;
    uint8_t changeAmmo;
    uint8_t cruise;
};

class CInputConfig {
public:
    static constexpr int kActions = int(EAction::Count);
    static constexpr uint16_t kDeviceKeyboard = 0;
    static constexpr uint16_t kDeviceMouse = 1;
    static constexpr uint16_t kDeviceJoystick = 2;

    explicit CInputConfig(CInput& input = g_Input)
        : m_input(&input)
    {
    }
    CInputConfig(const CInputConfig&) = delete;
    CInputConfig& operator=(const CInputConfig&) = delete;

    // The key-code table, then the four effects of "Data\FFE".
    void LoadEffects();
    // The bindings and mouse settings from the base directory's "DATA\CONFIG\" + file.
    void LoadBindings(const char* file);
    // One binding: the code of the name the file gives, else def.
    uint16_t ParseKey(const char* iniPath, const char* action, uint16_t def) const;
    void ProcessInput();

    bool IsHeld(uint16_t code) const;
    bool WasPressed(uint16_t code) const;
    bool WasReleased(uint16_t code) const;

    void PlayIdleEffect();
    void PlayCollisionEffect();
    void PlayLightEffect();
    void PlayHeavyEffect();
    void StopLightEffect();
    void StopFFEffects();
    void FreeEffects();

    uint16_t Binding(EAction action) const { return m_bindings[int(action)]; }
    void SetBinding(EAction action, uint16_t code) { m_bindings[int(action)] = code; }
    const SControlState& Control() const { return m_control; }
    float MouseSensitivity() const { return m_mouseSensitivity; }
    bool InverseMouse() const { return m_inverseMouse != 0; }
    // The three values the game cycle writes; the first is the mouse turn carry.
    float* CycleValues() { return m_cycleValues; }
    const char* IniPath() const { return m_iniPath; }
    CForceEffect* EffectAt(int i) const { return i >= 0 && i < 4 ? m_effects[i].get() : nullptr; }
    void SetInput(CInput& input) { m_input = &input; }
    CInput& Device() const { return *m_input; }

private:
    bool Held(EAction a) const { return IsHeld(Binding(a)); }
    bool Pressed(EAction a) const { return WasPressed(Binding(a)); }
    static void StartEffect(CForceEffect* effect, uint32_t iterations);

    CInput* m_input;
    char m_iniPath[260] = {};
    std::unique_ptr<CForceEffect> m_effects[4]; // idle, collision, light hit, heavy hit
    float m_cycleValues[3] = {};
    uint16_t m_bindings[kActions] = {};
    SControlState m_control {};
    float m_mouseSensitivity = 6.0f;
    uint8_t m_inverseMouse = 0;
};

extern CInputConfig g_InputConfig;
