// The player's steering and target choice as pure functions of one frame: the free cursor (the
// mouse moves the aim inside a 25-degree cone and the glider turns after it), the fixed cursor
// (the joystick axes are the aim) and the choice of the glider under the crosshair. The aim is
// always a unit vector in the glider's axes: column 0 side, column 1 up, column 2 forward.
#pragma once

#include "foundation/Matrix.h"
#include "foundation/Vector.h"

#include <cstdint>
#include <span>

namespace steering {

// The glider's three axes, read from the columns of its row-major matrix.
struct SAxes {
    Vec3 side; // column 0
    Vec3 up; // column 1
    Vec3 forward; // column 2
};
SAxes AxesOf(const Matrix4& m);
// The axes turned about their up axis by angle; a positive angle turns towards -side (left).
SAxes TurnAboutUp(const SAxes& axes, float angle);
// side * x + up * y + forward * z.
Vec3 Compose(const SAxes& axes, float x, float y, float z);

// The steering controls the frame hands to the glider.
struct SControls {
    float turn;
    float vertical;
};

struct SSteerResult {
    Vec3 aim;
    SControls controls;
};

// The cone of the free cursor: sin(25 degrees), squared.
float FreeCursorConeSq();

// Free cursor: the mouse's yaw and pitch of the control block move the aim; the controls turn the
// glider after it at turn rate w. A frame time x w of 0 or less leaves the controls as given.
SSteerResult FreeCursor(const Vec3& aim, const Matrix4& m, float yaw, float pitch, SControls controls,
    float frameTime, float turnRate);

// Fixed cursor: the joystick axes (-1..1) give the aim by their signed squares; the controls
// follow the axes with a 0.05 dead zone. The vertical control of the caller is replaced.
SSteerResult FixedCursor(const Matrix4& m, float joyX, float joyY);

// A glider the crosshair may choose.
struct STargetCandidate {
    int32_t id;
    Vec3 position;
    float radius;
};

// The nearest candidate (by distance from origin) whose miss from the aim ray is below its radius;
// else the nearest one below twice its radius; else -1. The index into candidates.
int ChooseTarget(const Vec3& origin, const Vec3& aim, std::span<const STargetCandidate> candidates);

// How long the same candidate has been under the crosshair (id 0: none).
struct STargetHold {
    int32_t lastId;
    float time;
};
// The same candidate grows the hold by the frame time (at most 0.1 a frame); another starts it at 0.
void AdvanceHold(STargetHold& hold, int32_t candidateId, float frameTime);
// Whether the candidate replaces the current target: it differs, and it has been held long enough
// (a candidate only) or SELECT was pressed.
bool ShouldSelect(
    int32_t candidateId, int32_t currentId, const STargetHold& hold, float selectTime, bool selectPressed);

} // namespace steering
