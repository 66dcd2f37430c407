// The first-use preparations of the type rows that read their model: glider mounts, channels and
// damage points, building door boxes, the effect point of lanterns and towers, and the runtime
// fields of a weapon.
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "foundation/XRangeError.h"
#include "render/CComplexObject.h"
#include "render/CModel.h"
#include "render/CModelManager.h"
#include "world/db/CBuildingManager.h"
#include "world/db/CGliderManager.h"
#include "world/db/CGunManager.h"
#include "world/db/CLanternManager.h"
#include "world/db/CTowerManager.h"

#include <algorithm>
#include <cstdio>

namespace {

CComplexObject* ModelOf(int32_t index)
{
    return index >= 0 && g_pModelManager ? g_pModelManager->GetModel(index) : nullptr;
}

// The first part's model, else the second part's; null when there is neither.
CModel* BodyOf(CComplexObject& object)
{
    if (object.GetPartCount() > 0 && object.GetPartObject(0))
        return object.GetPartObject(0);
    return object.GetPartCount() > 1 ? object.GetPartObject(1) : nullptr;
}

// The four vertex indices of the part's marker frame; logs "TransData error in %s" on failure.
void ReadPlacement(CModel* model, int32_t corners[4], const char* rowName)
{
    int found[4] = { -1, -1, -1, -1 };
    if (!model || !model->FindFrameCorners(found)) {
        char line[96];
        std::snprintf(line, sizeof line, "TransData error in %s", rowName ? rowName : "");
        WriteErrorLog(line);
    }
    std::copy(found, found + 4, corners);
}

// The "FX" part and its placement data of a lantern or tower row.
void ReadEffectPoint(int32_t modelIndex, int32_t& part, int32_t corners[4], const char* rowName)
{
    part = -1;
    CComplexObject* object = ModelOf(modelIndex);
    if (!object)
        return;
    part = object->FindPart("FX");
    if (part >= 0)
        ReadPlacement(object->GetPartObject(part), corners, rowName);
}

} // namespace

void GetAnimChannels(CModel* model, SAnimChannels& channels)
{
    if (!model) {
        channels = SAnimChannels { -1, -1, -1, -1, -1 };
        return;
    }
    channels.rotate = model->FindMorphChannel("ROTATE");
    const int accel = model->FindMorphChannel("ACCEL");
    const int forward = model->FindMorphChannel("FORWARD");
    channels.forward = accel > forward ? accel : forward;
    channels.jump = model->FindMorphChannel("JUMP");
    channels.strafe = model->FindMorphChannel("STRAFE");
    channels.idle = model->FindMorphChannel("AMBIENT");
}

void CGliderManager::InitGlider(int row)
{
    ZJ_TRACE("CGliderManager::InitGlider");
    if (row == -1)
        return;
    SGliderType& desc = m_rows.At(row);
    CComplexObject* object = ModelOf(desc.model.Index());
    if (!object)
        return;
    CModel* body = BodyOf(*object);
    if (!body)
        throw XRangeError();
    GetAnimChannels(body, desc.body);
    const char* name = m_rowNames.GetString(row);
    for (int m = 0; m < SGliderType::kMountCount; ++m) {
        SGliderMount& mount = desc.mounts[m];
        mount.part = object->FindPart(kMountNames[m]);
        GetAnimChannels(nullptr, mount.channels);
        if (m < 3)
            std::fill(desc.mountCorners[m], desc.mountCorners[m] + 4, -1);
        if (mount.part < 0)
            continue;
        CModel* model = object->GetPartObject(mount.part);
        GetAnimChannels(model, mount.channels);
        if (m < 3)
            ReadPlacement(model, desc.mountCorners[m], name);
    }
    desc.prepared = 1;
    desc.pointCount = std::min(body->GetPointCount(), SGliderType::kMaxPoints);
    for (int i = 0; i < desc.pointCount; ++i) {
        desc.pointMasks[i] = 1u << i;
        body->GetSubMesh(i).mesh.GetCenter(desc.points[i]);
    }
}

void CBuildingManager::InitBuilding(int row)
{
    ZJ_TRACE("CBuildingManager::InitBuilding");
    if (row == -1)
        return;
    SBuildingType& desc = m_rows.At(row);
    static const char* const kDoorParts[4] = { "INTO", "INTO1", "OPEN", "OPEN1" };
    desc.doorAnimation = -1;
    for (SDoorBox& box : desc.doors)
        box = SDoorBox {};
    if (CComplexObject* object = ModelOf(desc.model.Index())) {
        for (int d = 0; d < 4; ++d) {
            const int part = object->FindPart(kDoorParts[d]);
            CModel* model = part >= 0 ? object->GetPartObject(part) : nullptr;
            if (!model)
                continue;
            Vec3 centre, size;
            model->MainMesh().GetCenter(centre);
            model->GetSize(size);
            desc.doors[d]
                = SDoorBox { { centre.x - size.x * 0.5f, centre.y - size.y * 0.5f, centre.z - size.z * 0.5f },
                      { centre.x + size.x * 0.5f, centre.y + size.y * 0.5f, centre.z + size.z * 0.5f } };
        }
        if (CModel* body = BodyOf(*object))
            desc.doorAnimation = body->FindMorphChannel("OPEN");
    }
    desc.prepared = 1;
}

void CLanternManager::InitLantern(int row)
{
    ZJ_TRACE("CLanternManager::InitLantern");
    if (row == -1)
        return;
    SLanternType& desc = m_rows.At(row);
    desc.prepared = 1;
    ReadEffectPoint(desc.model.Index(), desc.fxPart, desc.fxCorners, m_rowNames.GetString(row));
}

void CTowerManager::InitTower(int row)
{
    ZJ_TRACE("CTowerManager::InitTower");
    if (row == -1)
        return;
    STowerType& desc = m_rows.At(row);
    desc.prepared = 1;
    ReadEffectPoint(desc.model.Index(), desc.fxPart, desc.fxCorners, m_rowNames.GetString(row));
}

void CGunManager::InitGun(int index)
{
    ZJ_TRACE("CGunManager::InitGun");
    SGunType& gun = m_guns.At(index);
    gun.prepared = 1;
    gun.muzzleOffset = Vec3 { 0.0f, 0.0f, 0.0f };
    CComplexObject* object = ModelOf(gun.model.Index());
    if (!object) {
        std::fill(gun.effectPoints, gun.effectPoints + 3, -1);
        gun.openAnimation = 0;
        gun.fireAnimation = 0;
        return;
    }
    gun.effectPoints[0] = object->FindPart("FX");
    gun.effectPoints[1] = object->FindPart("FX1");
    gun.effectPoints[2] = object->FindPart("FX2");
    if (gun.effectPoints[0] >= 0) {
        if (CModel* fx = object->GetPartObject(gun.effectPoints[0]))
            fx->MainMesh().GetCenter(gun.muzzleOffset);
    }
    const int part = object->GetPartCount() > 0 ? 0 : -1;
    gun.fireAnimation = object->FindMorphChannel(part, "FIRE");
    gun.openAnimation = object->FindMorphChannel(part, "OPEN");
    gun.hasOpenAnimation = gun.openAnimation >= 0 ? 1 : 0;
}
