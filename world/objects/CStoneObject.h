// CStoneObject (type code 3): a rock placed in the location, lit by the ground under it and, unless
// its row says otherwise, tinted by the terrain colour. A model with a particle emitter gets its
// own instance, which only Run advances: stones run every frame though they never move.
#pragma once

#include "foundation/NameKey32.h"
#include "render/CEmitterInstance.h"
#include "world/objects/CDynamicObject.h"

#include <memory>

struct SStoneType;

class CStoneObject : public CDynamicObject {
public:
    static constexpr float kSolidBelow = 2.0f;
    static constexpr float kSampledRadius = 50.0f;

    using CZJObject::Init;
    CStoneObject();
    ~CStoneObject() override;
    // Places the stone and takes its row and radius (an unknown id throws XRangeError); only a
    // stone of radius below 2 is solid.
    void Init(const float* placement, NameKey32 typeId);

    void Draw() override;
    // Advances the instance when its effects were drawn and files their sphere.
    void Run() override;
    void DrawEffect(int argument) override;
    void ReleaseDeviceObjects() override;

    const SStoneType* Row() const;
    // The colour the stone is drawn with (each channel 0..2 before tinting stops at the terrain's).
    void GetLightColor(float rgba[4]) const;

    std::unique_ptr<CModelInstance> instance;
    uint8_t instancePending = 0;
    NameKey32 typeKey {};
};
