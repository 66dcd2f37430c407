// The application's side of the script manager: sounds by name, the message window, and the
// journal notice, numbered processes and bonus factors, which wait for the game flow: until it
// lands the notice shows nothing, every process answers false and the factors are only kept.
#pragma once

#include "script/CScriptHost.h"

class CZJAppScriptHost : public CScriptHost {
public:
    void PlaySound(const char* name) override;
    bool IsMessageLogExpanded() override;
    void ToggleMessageLog() override;
    void UpdateJournal(int colour) override;
    bool RunProcess(int code) override;
    void SetBonus(float a, float b) override;

    float bonus[2] = { 1.0f, 1.0f };
};

extern CZJAppScriptHost AppScriptHost;
