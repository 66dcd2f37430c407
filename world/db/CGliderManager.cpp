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

namespace {

constexpr SField<SGliderType> kFields[] = {
    { "MODEL", &SGliderType::model, FindModelId },
    { "WEIGHT", &SGliderType::weight, EField::Float },
    { "MAXWEIGHT", &SGliderType::maxWeight, EField::Float },
    { "STANDARD", &SGliderType::standard, EField::Int },
    { "DAMAGE", &SGliderType::damage, EField::Float },
    { "RESFRONT", &SGliderType::resFront, EField::Float },
    { "RESSIDE", &SGliderType::resSide, EField::Float },
    { "RESTOP", &SGliderType::resTop, EField::Float },
    { "STABFRONT", &SGliderType::stabFront, EField::Float },
    { "STABSIDE", &SGliderType::stabSide, EField::Float },
    { "ROTATESPEED", &SGliderType::rotateSpeed, EField::Float },
    { "CAREEN", &SGliderType::careen, EField::Float },
    { "DELTAT", &SGliderType::deltaT, EField::Float },
    { "PRICE", &SGliderType::price, EField::Float },
    { "RESTORE", &SGliderType::restore, EField::Float },
};

} // namespace

CGliderManager g_GliderManager;

CGliderManager::CGliderManager()
    : CZJTypeManager(14, kFields)
{
    m_defaultAllowed = false;
}

void CGliderManager::Init(const char* table)
{
    ZJ_TRACE("CGliderManager::Init");
    ReadRows(table, [](const char* section, SGliderType& row) {
        const float turbulence = RowRead::Float(section, "TURBULENCE");
        if (turbulence <= -1.0f) {
            char line[96];
            std::snprintf(
                line, sizeof line, "CGliderManager::Init TURBULENCE %g in %s", double(turbulence), section);
            WriteErrorLog(line);
            row.turbulence = 1000.0f;
        } else {
            row.turbulence = 1000.0f / (turbulence + 1.0f);
        }
        row.careen *= 0.075f;
        row.deltaT *= 0.1f;
        row.prepared = 0;
        const int32_t special = RowRead::Int(section, "SPECIAL");
        row.specialB = (special & 2) == 0 ? 1 : 0;
        row.specialA = (special & 1) == 0 && row.standard > 2 ? 1 : 0;
    });
}

CZJObject* CGliderManager::CreateObject(NameKey32 typeId, const float* placement, const char* propertyText)
{
    return CreateObjectOf<CGliderObject>(typeId, placement, propertyText);
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
    // A network glider's group follows its owner's state: it never runs or materialises here.
    group->attachedToPlayer = 1;
    group->assembled = 1;
    CFerrovant& pilot = group->members[0];
    pilot.group = group;
    pilot.glider = glider.get();
    group->memberCount = group->configuredCount = 1;
    const NameKey32 typeId = MakeNameKey32(m_rowNames.GetStringOrDefault(fields.row));
    const Matrix4 placement = fields.Placement();
    glider->Init(placement.m, typeId);
    glider->networkId = fields.networkId;
    glider->remote = 1;
    glider->owned = 0;
    // The pilot rides the record's hull with empty mounts until its machine block arrives.
    pilot.config.glider.words[0] = uint32_t(glider->typeIndex);
    for (SItemRecord* gun : { &pilot.config.lightGun, &pilot.config.heavyGun, &pilot.config.rocketGun })
        gun->words[0] = uint32_t(-1);
    pilot.hull.Set(pilot.config.glider);
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
