// zoq-world query and frames, on a location already loaded: one ray or radius query against the
// object list, and frames of the object passes seen from a free camera.
#pragma once

#include "foundation/Vector.h"

namespace zoq::tools::world {

// The nearest object on the ray (a unit direction) or where the ray ends, then the count of hits.
void PrintRay(const Vec3& origin, const Vec3& direction, float length);
// Every object of exactly that type within radius of the centre, in query order, then the count.
void PrintNear(const Vec3& centre, float radius, int type);
// Sizes the location's cell buffers for the view range: call before the load.
void PrepareFrames();
// A free camera at eye facing heading degrees (0 = +y, 90 = +x) with a 640 x 480 view; runs the
// object passes of the game's frame frames times, one line a frame, then the list sizes.
void PrintFrames(const Vec3& eye, float heading, int frames);
// The last line of frames: the sizes of the object list's lists and the error.log lines added.
void PrintListSizes(long logged);

} // namespace zoq::tools::world
