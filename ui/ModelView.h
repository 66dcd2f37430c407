// The 3-D view of a model inside a mark-up window: the camera looks at the centre of the model's
// bounding box from 2.5 radii away, a little above it, and turns about the vertical axis once in
// 10 s; one white directional light shines from over the camera's shoulder.
#pragma once

#include "foundation/Vector.h"
#include "platform/gfx/types.h"

struct SModelView {
    Vec3 target; // the bounding box's centre
    Vec3 eye;
    Vec3 up;
    Vec3 lightDirection; // unit, from the light toward the model
};

namespace modelview {
constexpr float kDistance = 2.5f; // radii
constexpr float kTurnSeconds = 10.0f;
constexpr float kElevation = 0.35f; // radians above the horizontal
} // namespace modelview

// The view at `seconds` of the window's running time; a radius of 0 or less counts as 1.
SModelView ModelViewAt(const Vec3& boxMin, const Vec3& boxMax, float radius, double seconds);
// The view's one light for the device.
plat::gfx::Light ModelViewLight(const SModelView& view);
