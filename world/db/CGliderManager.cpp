#include "world/db/CGliderManager.h"

#include "ai/CFerroGroup.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "foundation/XRangeError.h"
#include "world/db/FactoryHelpers.h"
#include "world/db/NetRecordFields.h"
#include "world/db/ResourceIds.h"
#include "world/objects/CGliderObject.h"

#include <cstdio>

CGliderManager g_GliderManager;

CGliderManager::CGliderManager()
    : CZJTypeManager(14)
{
    m_defaultAllowed = false;
}

void CGliderManager::Init(const char* table)
{
    ZJ_TRACE("CGliderManager::Init");
    BeginRows(table);
    for (int i = 0; i < m_rowCount; ++i) {
        const char* section = m_rowNames.GetString(i);
        SGliderType& row = m_rows.At(i);
        RowRead::Name(section, "MODEL", row.model);
        row.weight = RowRead::Float(section, "WEIGHT");
        row.maxWeight = RowRead::Float(section, "MAXWEIGHT");
        row.standard = RowRead::Int(section, "STANDARD");
        row.damage = RowRead::Float(section, "DAMAGE");
        row.resFront = RowRead::Float(section, "RESFRONT");
        row.resSide = RowRead::Float(section, "RESSIDE");
        row.resTop = RowRead::Float(section, "RESTOP");
        const float turbulence = RowRead::Float(section, "TURBULENCE");
        if (turbulence <= -1.0f) {
            char line[96];
            std::snprintf(line, sizeof line, "CGliderManager::Init TURBULENCE %g in %s", double(turbulence), section);
            WriteErrorLog(line);
            row.turbulence = 1000.0f;
        } else {
            row.turbulence = 1000.0f / (turbulence + 1.0f);
        }
        row.stabFront = RowRead::Float(section, "STABFRONT");
        row.stabSide = RowRead::Float(section, "STABSIDE");
        row.rotateSpeed = RowRead::Float(section, "ROTATESPEED");
        row.careen = RowRead::Float(section, "CAREEN") * 0.075f;
        row.deltaT = RowRead::Float(section, "DELTAT") * 0.1f;
        row.prepared = 0;
        row.price = RowRead::Float(section, "PRICE");
        row.restore = RowRead::Float(section, "RESTORE");
        const int32_t special = RowRead::Int(section, "SPECIAL");
        row.specialB = (special & 2) == 0 ? 1 : 0;
        row.specialA = (special & 1) == 0 && row.standard > 2 ? 1 : 0;
    }
    for (SGliderType& row : m_rows)
        row.model.Resolve(FindModelId);
}

CZJObject* CGliderManager::CreateObject(NameKey32 typeId, const float* placement, const char* propertyText)
{
    auto object = std::make_unique<CGliderObject>();
    CopyPropertyText(*object, propertyText);
    object->Init(placement, typeId);
    return AddToObjectList(std::move(object));
}

CZJObject* CGliderManager::CreateNetObject(const uint8_t* record)
{
    ZJ_TRACE("CGliderManager::CreateNetObject");
    const SNetRecordFields fields = SNetRecordFields::Read(record);
    if (fields.row < -1)
        throw XRangeError();
    auto glider = std::make_unique<CGliderObject>();
    auto* group = new CFerroGroup;
    glider->netGroup = group;
    group->stateFlags[0] = group->stateFlags[1] = 1;
    CFerrovant& pilot = group->members[0];
    pilot.ApplyConfig(0, 0, 0);
    pilot.group = group;
    pilot.glider = glider.get();
    group->count = 1;
    const NameKey32 typeId = MakeNameKey32(m_rowNames.GetStringOrDefault(fields.row));
    const Matrix4 placement = fields.Placement();
    glider->Init(placement.m, typeId);
    glider->networkId = fields.networkId;
    glider->remote = 1;
    glider->localHit = 0;
    glider->AssignFerrovant(&pilot);
    CGliderObject* added = AddToObjectList(std::move(glider));
    ObjectList.AddToExtraList(added);
    return added;
}

bool CGliderManager::CheckStandard(int row, int mode)
{
    const SGliderType& desc = m_rows.At(row);
    return mode != 1 || desc.standard > 2;
}
