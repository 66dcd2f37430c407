// CMenuControl: the base of every menu control: its rectangle, its tool-tip caption and its owner.
// The menu drives it through the mouse protocol (OnHover, OnPress, OnRelease, OnReleaseOutside)
// and the run steps (Run, then Update); a control reaches its menu only through SendCommand.
#pragma once

#include "foundation/CXAnsiString.h"

#include <cstdint>

class CBaseMenu;

class CMenuControl {
public:
    CMenuControl(int32_t left, int32_t top, int32_t right, int32_t bottom)
        : left(left)
        , top(top)
        , right(right)
        , bottom(bottom)
    {
    }
    virtual ~CMenuControl() = default;
    CMenuControl(const CMenuControl&) = delete;
    CMenuControl& operator=(const CMenuControl&) = delete;

    virtual void Render() { }
    virtual void OnHover() { }
    virtual void OnPress() { }
    virtual void OnRelease() { }
    virtual void OnReleaseOutside() { }
    virtual void Update() { }
    virtual void Run() { }

    // Calls the owner's ProcessCommand; id 0 and a control without owner send nothing.
    void SendCommand(uint32_t id);
    // Plays a sound of the sound table by name; nothing when it is absent.
    static void PlaySound(const char* name);

    float hoverTime = 0.0f;
    CXAnsiString caption;
    uint8_t visible = 1;
    uint8_t enabled = 1;
    CBaseMenu* owner = nullptr;
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};
