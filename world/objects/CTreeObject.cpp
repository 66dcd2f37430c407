#include "world/objects/CTreeObject.h"

#include "foundation/CTimer.h"
#include "foundation/CallTrace.h"
#include "render/Graphic.h"
#include "world/db/CTreeManager.h"
#include "world/objects/PlacedInit.h"
#include "world/terrain/CEffectRenderManager.h"
#include "world/terrain/CLocation.h"

#include <cmath>

namespace {

const float kWind = std::sqrt(200.0f);

} // namespace

CTreeObject::CTreeObject()
{
    type = kTree;
    alive = 1;
    visible = 1;
    solid = 1;
    runs = 0;
    moves = 0;
    hitByRays = 0;
}

void CTreeObject::Init(const float* placement, NameKey32 typeId)
{
    ZJ_TRACE("CTreeObject::Init");
    typeKey = typeId;
    PlaceWithRow(*this, placement, g_TreeManager, typeId);
    frame2 = frame;
    if (!static_cast<const STreeType*>(typeRecord)->noSolid) {
        hitByRays = radius > kRaysAbove;
        solid = radius < kSolidBelow;
    }
}

float CTreeObject::SwayAngle(float time) const
{
    const STreeType* row = static_cast<const STreeType*>(typeRecord);
    if (!row || radius <= 0.0f)
        return 0.0f;
    return std::sin(3.0f / std::sqrt(radius) * time) * row->flexibility * kWind * 0.01f;
}

Matrix4 CTreeObject::SwayMatrix(float time) const
{
    const float a = SwayAngle(time);
    Matrix4 turn;
    Matrix4Identity(turn);
    turn.m[0] = std::cos(a);
    turn.m[2] = -std::sin(a);
    turn.m[8] = std::sin(a);
    turn.m[10] = std::cos(a);
    Matrix4 sway;
    Matrix4Multiply(sway, turn, frame.matrix);
    return sway;
}

void CTreeObject::Draw()
{
    if (EffectRenderManager.IsCollecting())
        EffectRenderManager.AddEffect(viewDistance * viewDistance, this, 0);
    else
        DrawEffect(0);
}

void CTreeObject::DrawEffect(int argument)
{
    ZJ_TRACE("CTreeObject::DrawEffect");
    (void)argument;
    Matrix4 sway = SwayMatrix(GameClockF32);
    Location.BendToHorizon(sway, false);
    if (plat::gfx::Device* device = g_Graphic.GetDevice())
        device->SetTransform(plat::gfx::WorldMatrix(1), ToDeviceMatrix(sway));
    CZJObject::Draw();
}
