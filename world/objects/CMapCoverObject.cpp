#include "world/objects/CMapCoverObject.h"

#include "foundation/CallTrace.h"
#include "foundation/XRangeError.h"
#include "world/db/CMapCoverManager.h"
#include "world/objects/StandInInit.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kUnitRadius = 20.0f;
constexpr float kMaxRadius = 150.0f;

} // namespace

CMapCoverObject::CMapCoverObject()
{
    type = 12;
    alive = 1;
    visible = 1;
    runs = 0;
    moves = 0;
    hitByRays = 0;
    solid = 0;
    effectInView = 0;
}

void CMapCoverObject::Init(const float* placement, NameKey32 typeId)
{
    ZJ_TRACE("CMapCoverObject::Init");
    TakePlacement(*this, placement);
    typeKey = typeId;
    const int row = g_MapCoverManager.FindRow(typeId.text);
    if (row < 0)
        throw XRangeError();
    typeIndex = row;
    typeRecord = g_MapCoverManager.GetDescData(row);
    texture = static_cast<const SMapCoverType*>(typeRecord)->texture.Index();
    const float* m = frame.matrix.m;
    radius = std::min(kUnitRadius * std::sqrt(m[0] * m[0] + m[1] * m[1] + m[2] * m[2]), kMaxRadius);
    // The cover's square onto the texture: turned by the heading about the square's centre.
    const float heading = std::atan2(m[1], m[0]);
    const float c = std::cos(heading);
    const float s = std::sin(heading);
    Matrix4Identity(textureMatrix);
    textureMatrix.m[0] = c;
    textureMatrix.m[1] = s;
    textureMatrix.m[4] = -s;
    textureMatrix.m[5] = c;
    textureMatrix.m[8] = -0.5f * c + 0.5f * s + 0.5f;
    textureMatrix.m[9] = -0.5f * s - 0.5f * c + 0.5f;
    meshBuilt = 0;
}

void CMapCoverObject::SetPosition(const Vec3& position)
{
    CZJObject::SetPosition(position);
    meshBuilt = 0;
}
