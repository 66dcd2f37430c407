// CBaseMenu: the base of every full-screen 2-D screen. It owns a list of controls in drawing
// order and runs them in its modal loop DoModal, which renders whole frames itself, pumps the
// window messages and the input, gives each control its mouse and run steps and ends when the
// end flag is set or the application is quitting. Derived menus add their virtual operations
// after ProcessCommand. Main thread only.
#pragma once

#include "foundation/XList.h"
#include "ui/CMenuControl.h"

#include <cstdint>
#include <memory>

class CTexture;
namespace plat::gfx {
class Surface;
} // namespace plat::gfx

class CBaseMenu {
public:
    static constexpr int32_t kTargetSize = 512;
    static constexpr float kToolTipDelay = 0.5f;

    CBaseMenu();
    virtual ~CBaseMenu();
    CBaseMenu(const CBaseMenu&) = delete;
    CBaseMenu& operator=(const CBaseMenu&) = delete;

    // One whole frame: background, controls, tool-tip, cursor, present.
    virtual void Render();
    virtual void RenderToolTip();
    virtual void RenderBackGround() { }
    virtual void RenderControl();
    // Reads input, pumps messages and runs the mouse protocol over the controls.
    virtual void ProcessMessages();
    // Restarts the frame timer; menus build their controls here.
    virtual bool Init();
    virtual void RunControl();
    // Appends the control (the list owns it) and makes this menu its owner; the new index.
    virtual int AddControl(CMenuControl* control);
    // With remove false the control is taken out alive; false when it is not in the list.
    virtual bool RemoveControl(CMenuControl* control, bool destroy);
    // Creates the menu's resources before each run and after a device reset.
    virtual void PreProcess();
    virtual void ReleaseResources(bool discard);
    virtual void ProcessCommand(int id) { (void)id; }

    // Runs the modal loop (loop false: exactly one frame) and returns result.
    uint32_t DoModal(bool loop);
    // The mouse protocol of one control for this frame.
    void ProcessMouse(CMenuControl* control, int32_t x, int32_t y);
    // Deletes every control.
    void ClearControls();

    const XList<CMenuControl>& Controls() const { return controls; }

protected:
    XList<CMenuControl> controls { true };

public:
    // The background's render target: depth, level 0 and the texture that shows it.
    plat::gfx::Surface* depthSurface = nullptr;
    plat::gfx::Surface* targetSurface = nullptr;
    std::unique_ptr<CTexture> targetTexture;
    CMenuControl* capturedControl = nullptr;
    CMenuControl* toolTipControl = nullptr;
    uint32_t highlightColour = 0;
    uint8_t ownsRenderTarget = 0;
    uint8_t running = 0;
    uint8_t endRequested = 0;
    uint8_t rebuildRequested = 0;
    uint32_t result = 0;
    uint8_t showsCursor = 0;
};
