// The boundaries: table "Boundary", type code 23. Its block places boundary posts with up to three
// links each; the links are turned into the linked posts once the block is read.
#pragma once

#include "world/db/CZJObjectManager.h"
#include "world/db/TypeRow.h"

struct SBoundaryType {
    SNameRef96 model; // Model
    SNameRef32 texture; // PostModel names a texture
};

class CBoundaryManager : public CZJTypeManager<SBoundaryType> {
public:
    static constexpr uint32_t kMaxWords = 100;
    static constexpr float kMaxLinkDistance = 2000.0f;

    CBoundaryManager();
    void Init(const char* table) override;
    CZJObject* CreateObject(NameKey32 typeId, const float* placement, const char* propertyText) override;
    // More than three links, or more than kMaxWords words, in an entry fails the load.
    void LoadObjects() override;
};

extern CBoundaryManager g_BoundaryManager;
