// Stand-in until the menu framework lands (the menus issue replaces it): a menu reduced to its
// modal loop, which returns 0 at once; the release and re-creation of its device resources around
// a device reset, which do nothing; its owned control list; and the Init and ProcessCommand slots.
// A control is reduced to its owner, its rectangle, drawing, the mouse and its run step.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

class CBaseMenu;

class CMenuControl {
public:
    virtual ~CMenuControl() = default;

    virtual void Render() { }
    // The cursor in screen pixels and whether the left button went down since the last call.
    virtual void ProcessMouse(int32_t x, int32_t y, bool clicked)
    {
        (void)x;
        (void)y;
        (void)clicked;
    }
    virtual void Run() { }

    CBaseMenu* owner = nullptr;
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

class CBaseMenu {
public:
    virtual ~CBaseMenu() = default;

    virtual int DoModal(int argument)
    {
        (void)argument;
        return 0;
    }
    // Builds the menu's controls; false when it cannot.
    virtual bool Init() { return true; }
    // A control reports a command.
    virtual void ProcessCommand(int id) { (void)id; }

    void ReleaseResources(int flag) { (void)flag; }
    void CreateResources() { }

    // Takes ownership; the control's owner becomes this menu.
    CMenuControl* AddControl(std::unique_ptr<CMenuControl> control)
    {
        control->owner = this;
        m_controls.push_back(std::move(control));
        return m_controls.back().get();
    }
    // Deletes the control when the menu holds it.
    void RemoveControl(CMenuControl* control)
    {
        std::erase_if(
            m_controls, [&](const std::unique_ptr<CMenuControl>& held) { return held.get() == control; });
    }
    const std::vector<std::unique_ptr<CMenuControl>>& Controls() const { return m_controls; }

private:
    std::vector<std::unique_ptr<CMenuControl>> m_controls;
};
