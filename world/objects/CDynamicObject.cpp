#include "world/objects/CDynamicObject.h"

#include "foundation/CTimer.h"
#include "foundation/XMemBuffer.h"

#include <cmath>

namespace {

// thrust, velocity, rates, controlX, controlY, spareControl: ten words.
constexpr int kMotionWords = CDynamicObject::kMotionSaveSize / 4;

} // namespace

void CDynamicObject::SaveGame(XMemBuffer& stream, int* size, bool shortForm)
{
    CZJObject::SaveGame(stream, size, shortForm);
    if (shortForm) {
        stream.Reserve(kMotionSaveSize);
        return;
    }
    const float words[kMotionWords] = { thrust, velocity.x, velocity.y, velocity.z, rateSpare, pitchRate,
        rollRate, controlX, controlY, spareControl };
    stream.Write(words, kMotionSaveSize);
}

void CDynamicObject::LoadGame(XMemBuffer& stream, int* size, bool shortForm)
{
    CZJObject::LoadGame(stream, size, shortForm);
    float words[kMotionWords];
    bool finite = true;
    for (float& word : words) {
        word = stream.ReadF32();
        finite = finite && std::isfinite(word);
    }
    if (!finite)
        return;
    thrust = words[0];
    velocity = Vec3 { words[1], words[2], words[3] };
    rateSpare = words[4];
    pitchRate = words[5];
    rollRate = words[6];
    controlX = words[7];
    controlY = words[8];
    spareControl = words[9];
}

void CDynamicObject::ApplyImpulse(const Vec3& impulse)
{
    velocity.x += impulse.x / mass;
    velocity.y += impulse.y / mass;
    velocity.z += impulse.z / mass;
    netDirty = 1;
}

void CDynamicObject::SetThrottle(float value)
{
    const float newThrust = value * 25.0f;
    if (newThrust != thrust) {
        thrust = newThrust;
        netDirty = 1;
    }
}

void CDynamicObject::Jump(float strength)
{
    if (GameClock - 2.0 > double(lastJumpTime)) {
        lastJumpTime = float(GameClock);
        ApplyImpulse(Vec3 { 0.0f, 0.0f, strength });
    }
}

void CDynamicObject::SetControlX(float value)
{
    if (value != controlX) {
        controlX = value;
        netDirty = 1;
    }
}

void CDynamicObject::SetControlY(float value)
{
    if (value != controlY) {
        controlY = value;
        netDirty = 1;
    }
}
