// CApplication: the reusable base of the game's application object. It owns the main window,
// the message pump, the main loop that runs a frame while the device is usable and otherwise
// waits for it and resets it, the gamma-fade thread with the lock that guards the ramp, and the
// drawn cursor. One object exists; g_pApp points to it from Create on. Main thread, except the
// gamma-fade thread, which only steps the fade, sets the ramp under the lock and ticks music.
#pragma once

#include "app/CFramePacer.h"
#include "platform/win/sync.h"
#include "platform/win/thread.h"
#include "platform/window/window.h"
#include "render/Graphic.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

namespace plat::win {
class Process;
}
class CTexture;

// The fade shared by the main thread and the gamma-fade thread.
enum : uint32_t {
    kFadeIdle = 0,
    kFadeOut = 1, // to dark
    kFadeIn = 2, // back to normal
};
extern std::atomic<uint32_t> g_FadeMode;
extern std::atomic<float> g_FadeLevel; // 0 .. 0.5
extern std::atomic<bool> g_FadeStopRequest;

// The device's view of the main window: loss follows its minimised and focused state.
class CAppDeviceWindow final : public plat::gfx::DeviceWindow {
public:
    void Attach(plat::window::Window* window) { m_window = window; }
    bool IsMinimised() const override { return m_window && m_window->IsMinimised(); }
    bool IsFocused() const override { return m_window && m_window->IsFocused(); }
    plat::gfx::WindowSize ClientSize() const override;
    void* NativeHandle() const override { return m_window; }

private:
    plat::window::Window* m_window = nullptr;
};

class CApplication {
public:
    static constexpr float kFadeMax = 0.5f;
    static constexpr float kFadeStep = 0.02f;
    static constexpr uint32_t kFadePeriodMs = 20;
    static constexpr int kMessagesPerPass = 10;

    CApplication();
    virtual ~CApplication();
    CApplication(const CApplication&) = delete;
    CApplication& operator=(const CApplication&) = delete;

    // The derived start-up and shut-down; the base runs Create and StopSecondaryThread.
    virtual void Init(const char* commandLine, uint32_t spare, const char* title);
    virtual void Shutdown();

    // Window class "ZOQWC0", window, gamma-fade thread. Without a window nothing else starts.
    void Create(const char* commandLine, uint32_t spare, const char* title);
    bool RegisterWindowClass();
    bool CreateMainWindow(const char* title);
    // Until the quit flag is set: a frame, one pump pass and the frame pacing while the device is
    // usable, else the device restore. Returns the quit flag.
    virtual uint32_t MainLoop();
    // Sleeps the rest of the frame at the display's refresh rate (60 Hz when unknown); every loop
    // that draws frames (the main loop, modal menus, the end titles) calls it once a frame.
    void PaceFrame() { m_framePacer.Pace(); }
    // One pass of the pump: at most kMessagesPerPass dispatched messages.
    void ProcessMessages();
    // Test seam, empty in the program: called at the start of every pump pass.
    static std::function<void()> PumpHook;
    // False when the device is usable and no process is given; otherwise restores the device
    // (waiting for the process first) and answers true.
    bool CheckDevice(const plat::win::Process* process);
    void RestoreFullscreen(const plat::win::Process* process);
    // Starts the gamma-fade thread at the highest priority, the fade idle at level 0.
    bool StartSecondaryThread();
    // Stops and joins the gamma-fade thread (no time limit); "Error while stop secondary
    // threading.." only when the join fails.
    void JoinSecondaryThread();
    // JoinSecondaryThread, then releases the device wrapper.
    void StopSecondaryThread();
    void RenderCursor();

    // Device objects around a reset; the derived class adds its own.
    virtual void InvalidateDeviceObjects();
    virtual void RestoreDeviceObjects();

    // Gamma (main thread). Through the thread while the device wrapper's gammaFade switch is on,
    // else at once.
    void ScreenFadeOut();
    void ScreenFadeIn();
    void ScreenRestoreGamma();
    void ScreenResetGamma();
    void ScreenSetDark();
    void ScreenSetWhite();
    // Rebuilds the base ramp from a Gamma step under the lock the fade thread holds.
    void BuildBaseGamma(int32_t level);
    // One pass of the gamma-fade thread's state machine (the thread calls it every 20 ms).
    void GammaFadeStep();

    plat::window::Window* GetWindow() const { return m_window.get(); }
    CAppDeviceWindow& DeviceWindow() { return m_deviceWindow; }
    bool IsQuitting() const { return m_quit != 0; }
    uint32_t QuitFlag() const { return m_quit; }
    void SetQuit(uint32_t quit) { m_quit = quit; }
    // Clears the quit flag; a close request stays remembered.
    void ClearQuit() { m_quit = 0; }
    // Whether the program was asked to end from outside (window close, quit message, termination
    // signal) or its device could not come back: the game must not start again.
    bool CloseRequested() const { return m_closeRequested; }
    void SetTextInput(bool on);
    bool TextInput() const { return m_textInput != 0; }
    uint8_t LastChar() const { return m_lastChar; }
    void ClearLastChar() { m_lastChar = 0; }
    plat::win::CriticalSection& Lock() { return m_lock; }
    bool SecondaryThreadRunning() const { return m_secondaryThread.Running(); }
    plat::window::Point CursorClient() const { return m_cursorClient; }
    plat::window::Point CursorScreen() const { return m_cursorScreen; }
    // The cursor quad of the last RenderCursor, for its drawing and its tests.
    const plat::gfx::Rect& CursorRect() const { return m_cursorRect; }
    float CursorHighlightAlpha() const { return m_cursorAlpha; }

    // A quit request from outside the message queue (a termination signal): async-signal-safe.
    static void RequestQuit() { s_quitRequested.store(true); }
    static bool QuitRequestPending() { return s_quitRequested.load(); }
    // Between start-up steps: takes a termination signal or a close or quit message waiting in
    // the queue as the quit flag (other messages are handled, key messages dropped). True when
    // the quit flag is set.
    bool StartupQuit();

protected:
    // The frame hook.
    virtual void ProcessFrame() { }
    // Called when the window returns after a process the program waited for.
    virtual void AfterWait() { }

    char m_className[16] = {};
    plat::win::Thread m_secondaryThread;
    plat::win::CriticalSection m_lock;
    uint8_t m_textInput = 0;
    uint8_t m_lastChar = 0;
    std::unique_ptr<plat::window::Window> m_window;
    CAppDeviceWindow m_deviceWindow;
    uint32_t m_quit = 0;
    bool m_closeRequested = false;
    uint8_t m_messageLogExpanded = 0;
    uint8_t m_cursorShown = 0;
    CTexture* m_cursorTexture = nullptr;
    CTexture* m_cursorHighlight = nullptr;
    plat::window::Point m_cursorClient;
    plat::window::Point m_cursorScreen;
    uint32_t m_spare = 0;
    plat::gfx::Rect m_cursorRect;
    float m_cursorAlpha = 0.0f;
    CFramePacer m_framePacer;

private:
    // Sets the quit flag for a request the game must not survive.
    void Close()
    {
        m_quit = 1;
        m_closeRequested = true;
    }
    void SecondaryThreadProc();
    void SetRamp(const plat::gfx::GammaRamp& ramp);

    static std::atomic<bool> s_quitRequested;
};

// The current application, set by Create.
extern CApplication* g_pApp;

// Whether the device wrapper's device answers usable; a missing device counts as usable.
plat::gfx::Result DeviceCooperativeLevel();
