// CInGameMenu: the pause menu of a running game on the start-screen panel: resume, load, options,
// leave to the start menu and exit. DoModal returns 1 exit and 9 leave (both after a screen
// fade-out), 4 resume, 7 load the save named in chosenName. A new press of Escape resumes.
#pragma once

#include "ui/CMenu1.h"

#include <cstdint>

class CInGameMenu : public CMenu1 {
public:
    enum Command : uint32_t { kExit = 1, kOptions = 5, kResume = 7, kLoad = 9, kLeave = 42 };
    enum Result : uint32_t { kExitGame = 1, kResumeGame = 4, kLoadGame = 7, kLeaveGame = 9 };
    static constexpr uint8_t kEscapeKey = 0x01;
    static const SMenuButtonDesc kLayout[kButtons];

    CInGameMenu();

    void ProcessMessages() override;
    bool Init() override;
    void ProcessCommand(int id) override;

    // The Escape that opened the menu is still down on its first frames: only a press after a
    // release resumes.
    uint8_t escapeReleased = 0;
};
