// CSoundZonePoint: a helper point (kind 21) that plays its row's sound while the view is inside
// it: once every PERIOD seconds (at random within 0.2..1.8 PERIOD when RANDOM), or looped for
// about LENGTH seconds with a fade over the last half second. Without a row it stays silent.
#pragma once

#include "foundation/NameKey32.h"
#include "world/objects/CHelperPoint.h"

struct SSoundZoneType;

class CSoundZonePoint : public CHelperPoint {
public:
    static constexpr int kKind = 21;
    static constexpr float kFadeSeconds = 0.5f;

    // The first play comes at a random phase of the period.
    CSoundZonePoint(NameKey32 typeId, const float* placement, const char* name);
    ~CSoundZonePoint() override;

    void Run(float dt) override;

    char typeName[32] = {};
    int32_t soundHandle = -1;
    float timer = 0.0f; // seconds to the next play
    float remaining = 0.0f; // seconds left of a looped play
    const SSoundZoneType* rowData = nullptr;

private:
    void Rearm();
    uint32_t SoundTag() const;
};
