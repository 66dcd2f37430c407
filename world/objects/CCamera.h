// CCamera (type 6): the viewpoint. A moving object that the physics steps towards where the view
// mode wants it; UpdateView copies its frame into the global view frame every frame. The view
// mode is the global CameraMode, 0 to 5. Targets are held raw: the camera asks to be told of
// deletions and forgets a deleted target, keeping its mode.
#pragma once

#include "world/objects/CDynamicObject.h"

// 0 attached, 1 chase, 2 free, 3 orbit, 4 fixed, 5 fixed offset.
extern int32_t CameraMode;

class CCamera : public CDynamicObject {
public:
    enum : int32_t { kAttached, kChase, kFree, kOrbit, kFixed, kFixedOffset };

    CCamera();

    // Mode 0: sits inside target (made invisible); the previous one is shown again.
    void AttachViewTarget(CZJObject* target);
    // Mode 1: follows behind target, placed there at once.
    void SetChaseMode(CZJObject* target);
    // Mode 2: flies free, no gravity or ground force.
    void SetFreeMode();
    // Mode 3: the free mode, looking at target.
    void SetOrbitMode(CZJObject* target);
    // Mode 4: stands still, looking at target.
    void SetFixedMode(CZJObject* target);
    // Mode 5: rides with target at the present offset and relative rotation.
    void AttachFixed(CZJObject* target);
    // The current mode again with the player's glider (mode 2 without one); a mode outside 0..5
    // does nothing.
    void ApplyViewMode();
    // Per frame before drawing: the camera's frame into the global view frame.
    void UpdateView();

    void Run() override;
    void ProcessDelete(CZJObject* deleted) override;
    // The moving record, then CameraMode and offset; size = the bytes of the whole record.
    void SaveGame(XMemBuffer& stream, int* size, bool shortForm) override;
    // Reads what SaveGame wrote and applies the mode without moving the camera from its saved
    // position. A mode outside 0..5 or a non-finite offset is not applied.
    void LoadGame(XMemBuffer& stream, int* size, bool shortForm) override;
    // Slides sideways along the player glider's side axis.
    void SetStrafe(float value) override;

    CZJObject* attachedTarget = nullptr; // mode 0
    CZJObject* lookTarget = nullptr; // modes 1, 3, 4, 5
    Matrix4 relativeRotation {}; // mode 5
    // Mode 1: back-distance factor, look height, height factor; mode 5: the position in the
    // target's axes.
    float offset[3] = { 10.0f, 10.0f, 6.0f };

private:
    void ResetFreeMotion();
};
