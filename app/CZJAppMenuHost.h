// The application's side of the menus: the frame clock and counters, the message pump and quit
// flag, the input devices, the device check, the cursor and the game state, from the application
// that attached it and the input and resource globals.
#pragma once

#include "ui/CMenuHost.h"

class CZJApp;

class CZJAppMenuHost : public CMenuHost {
public:
    // Serves the application (null: none) and installs itself as the menus' host, or uninstalls.
    void Attach(CZJApp* app);
    CZJApp* App() const { return m_app; }

    void TickModels(float seconds) override;
    void ResetFrameCounters() override;
    void RenderCursor() override;
    void PaceFrame() override;
    void ScreenFadeIn() override;
    void SetFrameTime(float seconds) override;
    double RunningTime() override;

    void ProcessMessages() override;
    bool QuitRequested() override;
    void ReadInput() override;
    plat::window::Point MousePosition() override;
    uint8_t MouseEvents(int button) override;
    int32_t MouseWheel() override;
    void ClearMouseMotion() override;
    bool KeyDown(uint8_t key) override;
    void SetTextInput(bool on) override;
    uint8_t TakeChar() override;

    bool CheckDevice(const plat::win::Process* process) override;
    uint32_t State() override;
    uint32_t RunModalMenu(CBaseMenu* menu) override;
    void SetNetLocation(const char* location) override;
    void ScreenFadeOut() override;
    int32_t SoundVolume() override;

    bool UseSystemCursor() override;
    void SetCursorTextures(const char* normal, const char* blue) override;
    bool CursorShown() override;
    void ShowCursor(bool show) override;

private:
    CZJApp* m_app = nullptr;
};

extern CZJAppMenuHost AppMenuHost;
