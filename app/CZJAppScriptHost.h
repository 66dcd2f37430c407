// The application's side of the script manager: sounds by name, the message window, the journal
// notice, the numbered processes and the bonus factors, each handed to the application object
// (nothing happens, and processes answer false, while there is none).
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
};

extern CZJAppScriptHost AppScriptHost;
