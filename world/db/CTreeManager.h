// The trees: table "Деревья", type code 4.
#pragma once

#include "world/db/CZJObjectManager.h"
#include "world/db/TypeRow.h"

struct STreeType {
    SNameRef96 model;
    float flexibility; // Flexibility
    uint8_t noSolid; // NOSOLID = 1
};

class CTreeManager : public CZJTypeManager<STreeType> {
public:
    CTreeManager()
        : CZJTypeManager(4)
    {
    }
    void Init(const char* table) override;
    CZJObject* CreateObject(NameKey32 typeId, const float* placement, const char* propertyText) override;
    std::string DescribeRow(int row) override;
    int UpdateRowFromText(const char* section, const XStringTable& lines) override;
};

extern CTreeManager g_TreeManager;
