// What the menus ask of the application: the frame's clock and counters, the message pump and
// quit flag, the input devices, the device check, the cursor, the game state, nested menus, the
// screen fade-out and the network location. The application
// installs its own with SetMenuHost; with none installed MenuHost() answers a host whose calls do
// nothing (no quit, no input, a usable device, state 0).
#pragma once

#include "platform/window/window.h"

#include <cstdint>

class CBaseMenu;

namespace plat::win {
class Process;
}

class CMenuHost {
public:
    virtual ~CMenuHost() = default;

    // The frame.
    virtual void TickModels(float seconds) { (void)seconds; }
    // Resets the per-frame draw counters and advances the model manager's render buffers.
    virtual void ResetFrameCounters() { }
    virtual void RenderCursor() { }
    // Sleeps the rest of the frame at the display's rate.
    virtual void PaceFrame() { }
    virtual void ScreenFadeIn() { }
    // Stores the frame time in the application's frame-time field.
    virtual void SetFrameTime(float seconds) { (void)seconds; }
    // The application's running time in seconds.
    virtual double RunningTime() { return 0.0; }

    // Messages and input.
    virtual void ProcessMessages() { }
    virtual bool QuitRequested() { return false; }
    // Reads the input devices once a frame.
    virtual void ReadInput() { }
    // The mouse in client coordinates.
    virtual plat::window::Point MousePosition() { return {}; }
    // This frame's event byte of a mouse button: 0x80 pressed, 0x40 released.
    virtual uint8_t MouseEvents(int button)
    {
        (void)button;
        return 0;
    }
    virtual int32_t MouseWheel() { return 0; }
    // Clears the frame's mouse movement (x, y and wheel).
    virtual void ClearMouseMotion() { }
    // A key (DirectInput code) is down in either keyboard table.
    virtual bool KeyDown(uint8_t key)
    {
        (void)key;
        return false;
    }
    virtual void SetTextInput(bool on) { (void)on; }
    // The character typed this frame, cleared by the call; 0 none.
    virtual uint8_t TakeChar() { return 0; }

    // False while the device is usable; otherwise restores it (waiting for the process first when
    // one is given) and answers true.
    virtual bool CheckDevice(const plat::win::Process* process)
    {
        (void)process;
        return false;
    }

    // The game state word (3: network game).
    virtual uint32_t State() { return 0; }
    // Runs a menu inside the current one through the application (looping); its result. With no
    // application the menu runs its own loop.
    virtual uint32_t RunModalMenu(CBaseMenu* menu);
    // Stores the location file of the network game the player is in.
    virtual void SetNetLocation(const char* location) { (void)location; }
    virtual void ScreenFadeOut() { }
    // The SoundVolume setting.
    virtual int32_t SoundVolume() { return 10; }

    // The cursor.
    virtual bool UseSystemCursor() { return false; }
    virtual void SetCursorTextures(const char* normal, const char* blue)
    {
        (void)normal;
        (void)blue;
    }
    virtual bool CursorShown() { return false; }
    virtual void ShowCursor(bool show) { (void)show; }
};

// The installed host, or one that does nothing.
CMenuHost& MenuHost();
// Installs a host (null: the one that does nothing); the caller keeps it alive.
void SetMenuHost(CMenuHost* host);
