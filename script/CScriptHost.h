// What the script manager asks of the application: sounds, the message window, the journal
// notice, the numbered processes and the player's bonus factors. The application installs its
// own; with none installed these calls do nothing (the processes answer false).
#pragma once

class CScriptHost {
public:
    virtual ~CScriptHost() = default;

    virtual void PlaySound(const char* name) = 0;
    virtual bool IsMessageLogExpanded() = 0;
    virtual void ToggleMessageLog() = 0;
    virtual void UpdateJournal(int flag) = 0;
    virtual bool RunProcess(int code) = 0;
    virtual void SetBonus(float a, float b) = 0;
};

extern CScriptHost* g_pScriptHost;
