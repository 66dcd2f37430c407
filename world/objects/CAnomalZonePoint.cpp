#include "world/objects/CAnomalZonePoint.h"

#include "foundation/CViewFrame.h"
#include "foundation/XRangeError.h"
#include "render/CModelManager.h"
#include "world/db/CAnomalZoneManager.h"
#include "world/db/CGliderManager.h"
#include "world/objects/CObjectList.h"
#include "world/objects/CZJObject.h"
#include "world/objects/PlayerGlobals.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kReach = 175.0f; // beyond the radius: the anomaly level still shows

// The glider row's integer damage factor; 1 without a row.
float TypeFactor(const CZJObject& glider)
{
    const auto* row = static_cast<const SGliderType*>(glider.typeRecord);
    return row ? float(row->standard) : 1.0f;
}

} // namespace

CAnomalZonePoint::CAnomalZonePoint(NameKey32 typeId, const float* placement, const char* pointName)
    : CHelperPoint(placement, pointName, kKind)
{
    row = g_AnomalZoneManager.FindRow(typeId.text);
    if (row < 0 || row >= g_AnomalZoneManager.RowCount())
        throw XRangeError();
    rowData = &g_AnomalZoneManager.GetDesc(row);
    const int model = rowData->model.Index();
    const float modelRadius = g_pModelManager && model >= 0 ? g_pModelManager->GetModelRadius(model) : 0.0f;
    radius = modelRadius * (radius / 100.0f);
}

void CAnomalZonePoint::Run(float dt)
{
    Vec3 d;
    Vec3Sub(d, ViewFrame.position, transform.position);
    if (!(Vec3Length(d) < std::sqrt(1.2f) * (float(VisibleRadius) * 10.0f - radius)))
        return;
    SObjectQuery gliders;
    ObjectList.GetRealTimeObjectList(transform.position, radius + kReach, CZJObject::kGlider, gliders);
    const int level = std::min(rowData->kind, kMaxLevel);
    for (int i = 0; i < gliders.count; ++i) {
        CZJObject* glider = gliders.objects[i];
        if (glider == PlayerObject)
            AnomalyLevel = level;
        Vec3Sub(d, glider->frame.position, transform.position);
        const float distance = Vec3Length(d);
        if (rowData->force * 100.0f == 0.0f || !(distance < radius))
            continue;
        const float amount
            = ((1.0f - distance / radius) * 125.0f + 25.0f) * TypeFactor(*glider) * rowData->force * dt;
        glider->Damage(amount, Vec3 { 0.0f, 1.0f, 0.0f }, 1, nullptr, level);
    }
}
