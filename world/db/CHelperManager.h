// The helper points: table "Хелперы", type code 7. Its block makes invisible named points in the
// object list's building list. Its property text shows TYPE.
#pragma once

#include "world/db/CZJObjectManager.h"
#include "world/db/TypeRow.h"

struct SHelperType {
    SNameRef96 model;
    int32_t kind; // TYPE
};

class CHelperManager : public CZJTypeManager<SHelperType> {
public:
    CHelperManager();
    void Init(const char* table) override;
    CZJObject* CreateObject(NameKey32 typeId, const float* placement, const char* propertyText) override;
    // Each record whose id the table holds becomes a CHelperPoint named by its property text;
    // other records are skipped without a message.
    void LoadObjects() override;
};

extern CHelperManager g_HelperManager;
