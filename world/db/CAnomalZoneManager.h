// The anomaly zones: table "Anomal", type code 20. Its block makes anomaly-zone points in the
// object list's building list. Its property text has no row -1: that row throws like any index
// outside the rows.
#pragma once

#include "world/db/CZJObjectManager.h"
#include "world/db/TypeRow.h"

struct SAnomalZoneType {
    SNameRef96 model; // Model
    int32_t kind; // TYPE
    float force; // FORCE
};

class CAnomalZoneManager : public CZJTypeManager<SAnomalZoneType> {
public:
    CAnomalZoneManager();
    void Init(const char* table) override;
    CZJObject* CreateObject(NameKey32 typeId, const float* placement, const char* propertyText) override;
    // Each record whose id the table holds becomes a CAnomalZonePoint; others are skipped without
    // a message.
    void LoadObjects() override;
};

extern CAnomalZoneManager g_AnomalZoneManager;
