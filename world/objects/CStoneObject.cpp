#include "world/objects/CStoneObject.h"

#include "foundation/CTimer.h"
#include "foundation/CViewFrame.h"
#include "foundation/CallTrace.h"
#include "render/CComplexObject.h"
#include "render/Graphic.h"
#include "world/db/CStoneManager.h"
#include "world/objects/PlacedInit.h"
#include "world/terrain/CEffectRenderManager.h"
#include "world/terrain/CLightWare.h"
#include "world/terrain/CLocation.h"

#include <algorithm>

CStoneObject::CStoneObject()
{
    type = kStone;
    alive = 1;
    visible = 1;
    hitByRays = 1;
    solid = 1;
    runs = 1;
    moves = 0;
    effectInView = 0;
}

CStoneObject::~CStoneObject() = default;

void CStoneObject::Init(const float* placement, NameKey32 typeId)
{
    ZJ_TRACE("CStoneObject::Init");
    typeKey = typeId;
    PlaceWithRow(*this, placement, g_StoneManager, typeId);
    frame2 = frame;
    solid = radius < kSolidBelow;
    instancePending = 0;
}

const SStoneType* CStoneObject::Row() const
{
    return static_cast<const SStoneType*>(typeRecord);
}

void CStoneObject::GetLightColor(float rgba[4]) const
{
    const Vec3& p = frame.position;
    float light = GetObjectBrightness(p);
    if (radius >= kSampledRadius) {
        const Vec3 samples[4] = { { p.x - radius, p.y, p.z }, { p.x + radius, p.y, p.z },
            { p.x, p.y - radius, p.z }, { p.x, p.y + radius, p.z } };
        for (const Vec3& s : samples)
            light = std::max(light, GetObjectBrightness(s));
    }
    std::fill(rgba, rgba + 4, light);
    const SStoneType* row = Row();
    if (row && row->noMapColor)
        return;
    const uint32_t ground = Location.GetGroundColor(p.x, p.y);
    for (int c = 0; c < 3; ++c) {
        const uint32_t channel = (ground >> (16 - 8 * c)) & 0xFFu;
        rgba[c] *= 2.0f * float(channel) / 255.0f;
    }
}

void CStoneObject::Draw()
{
    ZJ_TRACE("CStoneObject::Draw");
    CComplexObject* model = GetComplexModel();
    if (!model)
        return;
    if (!instance) {
        instance = std::make_unique<CModelInstance>();
        instance->Init(ModelIndex(), model);
    }
    Matrix4 world = frame.matrix;
    Location.BendToHorizon(world, false);
    g_Graphic.SetWorldMatrix(world);
    const Vec3& p = frame.position;
    LightWare.SetLights(p.x, p.y, p.z, radius);
    float colour[4];
    GetLightColor(colour);
    model->SetColor(colour[0], colour[1], colour[2], colour[3]);
    model->Render(nullptr, 0, CComplexObject::kAllGroups);
    model->ResetColor();
    if (!instance->hasEmitter)
        return;
    if (EffectRenderManager.IsCollecting())
        EffectRenderManager.AddEffect(viewDistance * viewDistance, this, 0);
    else
        DrawEffect(0);
}

void CStoneObject::Run()
{
    if (instancePending && instance) {
        instance->Update(FrameTime);
        SEffectSphere& sphere = EffectSphere(0);
        sphere.active = 1;
        sphere.radius = instance->effectRadius;
        sphere.centre = instance->effectCentre;
        effectSphereCount = 1;
    }
    instancePending = 0;
}

void CStoneObject::DrawEffect(int argument)
{
    (void)argument;
    if (!instance || !instance->hasEmitter)
        return;
    instancePending = 1;
    instance->UpdateView(frame.matrix, ViewFrame.side, ViewFrame.up);
    Matrix4 world = frame.matrix;
    g_Graphic.SetWorldMatrix(world);
    instance->Render();
}

void CStoneObject::ReleaseDeviceObjects()
{
    instance.reset();
}
