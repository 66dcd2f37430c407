// CRoadObject (type code 8): a road piece. Every piece takes the first row of the road table (an id
// found further down is logged) and draws, besides its model, a 10-high band to each object it is
// linked to. It drops a linked object when that object is deleted.
#pragma once

#include "foundation/NameKey32.h"
#include "foundation/XDynamicArray.h"
#include "world/objects/CZJObject.h"

class CRoadObject : public CZJObject {
public:
    static constexpr float kBandHeight = 10.0f;

    using CZJObject::Init;
    CRoadObject();
    // Places the piece on row 0 of the road table with its radius; an id found at a row above 0
    // is logged; an empty table throws XRangeError.
    void Init(const float* placement, NameKey32 typeId);
    // The base draw, then a band to each linked object.
    void Draw() override;
    // Forgets a linked object that is deleted.
    void ProcessDelete(CZJObject* deleted) override;

    // The band's world matrix from the piece to the linked object: a unit box stretched to their
    // horizontal distance, 10 high, along their heading and slope, centred at the midpoint raised
    // by the piece's radius.
    Matrix4 BandMatrix(const Vec3& to) const;

    XDynamicArray<CZJObject*> links; // filled by whoever lays the road; references only
    NameKey32 typeKey {};
};
