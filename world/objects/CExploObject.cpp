// CExploObject's life: construction, Init's picks, attachment, the one area-damage pass and the
// frame's clock and removal.
#include "world/objects/CExploObject.h"

#include "audio/CSoundManager.h"
#include "foundation/CTimer.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "foundation/Rand.h"
#include "foundation/XRangeError.h"
#include "world/objects/CExploObject_local.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/CObjectList.h"
#include "world/terrain/CLocation.h"

#include <cstdio>

namespace Explo {

int StageCount(int rowIndex, const SExploLayer& stage)
{
    if (stage.count <= CExploObject::kMaxParticles)
        return std::max(0, stage.count);
    if (g_ExploManager.FirstCountCut(rowIndex)) {
        char line[128];
        std::snprintf(line, sizeof line, "CExploObject: %s NUM %d cut to %d",
            g_ExploManager.GetRowNames().GetStringOrDefault(rowIndex), int(stage.count),
            CExploObject::kMaxParticles);
        WriteErrorLog(line);
    }
    return CExploObject::kMaxParticles;
}

} // namespace Explo

CExploObject::CExploObject()
{
    type = kExplosion;
    alive = 1;
    runs = 1;
    visible = 1;
    notifyOnDelete = 1;
}

CExploObject::~CExploObject() = default;

const SExploType& CExploObject::Row() const
{
    return *static_cast<const SExploType*>(typeRecord);
}

void CExploObject::Init(const Matrix4& frameMatrix, int32_t rowIndex)
{
    ZJ_TRACE("CExploObject::Init");
    damageDone = 0;
    frame.SetMatrix(frameMatrix);
    frame.UpdateAxes();
    if (rowIndex < 0 || rowIndex >= g_ExploManager.RowCount())
        throw XRangeError();
    typeIndex = rowIndex;
    typeRecord = &g_ExploManager.GetDesc(rowIndex);
    const SExploType& row = Row();
    elapsed = 0.0f;
    remaining = 0.5f;
    radius = row.radius;
    for (int i = 0; i < kStages; ++i) {
        const SExploLayer& stage = row.layers[i];
        stageTexture[i] = Rand() % Explo::TextureChoices(stage);
        stageModel[i] = Rand() % Explo::ModelChoices(stage);
        if (stage.kind == kEmpty)
            continue;
        radius = std::max(radius, stage.scale);
        remaining = std::max(remaining, stage.delay + stage.duration);
        InitStage(i, stage);
    }
    timeRate = float(Rand() % 100 + 100) * 0.006666667f;
    if (row.sound.Index() != -1 && g_pSoundManager)
        g_pSoundManager->Play3DSound(row.sound.Index(), frame.position);
    if (row.hasLight) {
        effectInView = 1;
        effectWhenHidden = 1;
    }
    heightAboveGround = frame.position.z - Location.GetHeight(frame.position, false, false);
}

void CExploObject::AttachTo(CZJObject* parent)
{
    owner = parent;
    attached = 1;
    attachOffset = Explo::Sub(frame.position, parent->frame.position);
}

void CExploObject::ProcessDelete(CZJObject* deleted)
{
    if (deleted == owner)
        owner = nullptr;
}

void CExploObject::Run()
{
    ZJ_TRACE("CExploObject::Run");
    const float dt = FrameTime;
    if (attached && owner)
        SetPosition(Explo::Add(owner->frame.position, attachOffset));
    if (!damageDone) {
        if (!remote || owned)
            DealAreaDamage();
        damageDone = 1;
    }
    const SExploType& row = Row();
    for (int i = 0; i < kStages; ++i)
        RunStage(i, row.layers[i], dt);
    elapsed += dt * timeRate;
    remaining -= dt * timeRate;
    if (remaining < 0.0f)
        ObjectList.DeleteObject(this);
}

void CExploObject::DealAreaDamage()
{
    const SExploType& row = Row();
    if (row.damage == 0.0f && row.impulse == 0.0f)
        return;
    const float R = row.radius;
    SObjectQuery query;
    ObjectList.GetRealTimeObjectList(frame.position, R + 500.0f, kGlider, query);
    for (int k = 0; k < query.count; ++k) {
        auto* glider = static_cast<CGliderObject*>(query.objects[k]);
        if (glider->dead)
            continue;
        const Vec3 line = Explo::Sub(glider->frame.position, frame.position);
        const float d = Vec3Length(line);
        const float r = glider->radius;
        // At R + r and beyond nothing: the fall-off below reaches 0 only at R + 2r.
        if (d >= R + r)
            continue;
        const float m = R * 0.5f + r;
        float f = 1.0f;
        if (d >= m) {
            const float x = (m - d) / m;
            f = 1.0f - x * x;
        }
        if (row.damage != 0.0f)
            glider->Damage(f * row.damage, frame.position, 1, owner, -1);
        if (row.impulse != 0.0f)
            glider->ApplyImpulse(Explo::Scale(Explo::Normalised(line), f * row.impulse));
    }
}
