// CTheThing's drawing: the model lit by the location, and once taken the pick-up flash whose frame
// grid runs once during the rise.
#include "world/objects/CTheThing.h"

#include "foundation/CViewFrame.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "foundation/XRangeError.h"
#include "render/CComplexObject.h"
#include "render/CModel.h"
#include "render/CModelManager.h"
#include "render/Graphic.h"
#include "world/db/CZJEngine.h"
#include "world/db/PlayerRemains.h"
#include "world/terrain/CEffectRenderManager.h"
#include "world/terrain/CLightWare.h"
#include "world/terrain/CLocation.h"

#include <algorithm>

namespace {

CComplexObject* ModelAt(int32_t index)
{
    if (index < 0 || !g_pModelManager || index >= g_pModelManager->GetModelCount())
        return nullptr;
    return g_pModelManager->GetModel(index);
}

} // namespace

int CTheThing::FlashFrame(uint32_t grid, float riseTime)
{
    const uint32_t frames = grid < 256 ? grid * grid : (grid & 255u) * (grid >> 8);
    const int frame = int(std::clamp(riseTime / kRiseTime, 0.0f, 1.0f) * float(frames));
    return std::min(frame, std::max(int(frames) - 1, 0));
}

CComplexObject* CTheThing::Model() const
{
    return ModelAt(modelIndex);
}

void CTheThing::Draw()
{
    ZJ_TRACE("CTheThing::Draw");
    if (PlayerRemains == this || (remote && owned))
        return;
    if (CComplexObject* model = Model()) {
        Matrix4 world = frame.matrix;
        Location.BendToHorizon(world, false);
        g_Graphic.SetWorldMatrix(world);
        const Vec3& p = frame.position;
        LightWare.SetLights(p.x, p.y, p.z, radius);
        const float brightness = GetObjectBrightness(p);
        model->SetColor(brightness, brightness, brightness, brightness);
        model->Render(nullptr, 0, CComplexObject::kAllGroups);
        model->ResetColor();
    }
    if (onGround)
        return;
    if (EffectRenderManager.IsCollecting())
        EffectRenderManager.AddEffect(
            Vec3LengthSq(Vec3 { frame.position.x - ViewFrame.position.x,
                frame.position.y - ViewFrame.position.y, frame.position.z - ViewFrame.position.z }),
            this, 0);
    else
        DrawEffect(0);
}

void CTheThing::DrawEffect(int argument)
{
    (void)argument;
    CComplexObject* flash = ModelAt(ZJEngine.ids2[CZJEngine::kModFxPodbor]);
    if (!flash)
        return;
    if (flash->GetPartCount() == 0) {
        WriteErrorLog("CTheThing::DrawEffect flash model without parts");
        throw XRangeError();
    }
    if (CModel* part = flash->GetPartObject(0))
        flash->SetFrame(FlashFrame(uint32_t(part->frameGrid), riseTimer));
    Matrix4 world;
    Matrix4Identity(world);
    world.m[12] = frame.position.x;
    world.m[13] = frame.position.y;
    world.m[14] = frame.position.z;
    g_Graphic.SetWorldMatrix(world);
    flash->Render(nullptr, 0, CComplexObject::kAllGroups);
}
