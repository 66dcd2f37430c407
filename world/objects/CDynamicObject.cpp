#include "world/objects/CDynamicObject.h"

#include "foundation/CTimer.h"
#include "foundation/XMemBuffer.h"
#include "net/wire/NetWire.h"

#include <cmath>

namespace {

// thrust, velocity, rates, controlX, controlY, spareControl: ten words.
constexpr int kMotionWords = CDynamicObject::kMotionSaveSize / 4;
// The record's words from the first axis to the last motion word: 3 axes and 12 motion words.
constexpr int kRecordWords = int(NetWire::Moving::kVisible - NetWire::Moving::kAxis0) / 4;
// Where the record stores each matrix column.
constexpr struct {
    std::size_t offset;
    int column;
} kAxes[]
    = { { NetWire::Moving::kAxis0, 2 }, { NetWire::Moving::kAxis1, 0 }, { NetWire::Moving::kAxis2, 1 } };

Vec3 ReadVec3(const uint8_t* record, std::size_t offset)
{
    return { NetWire::Get<float>(record, offset), NetWire::Get<float>(record, offset + 4),
        NetWire::Get<float>(record, offset + 8) };
}

void PutVec3(uint8_t* record, std::size_t offset, const Vec3& v)
{
    NetWire::Put<float>(record, offset, v.x);
    NetWire::Put<float>(record, offset + 4, v.y);
    NetWire::Put<float>(record, offset + 8, v.z);
}

} // namespace

void CDynamicObject::PackNetState(uint8_t* record, int* size)
{
    using namespace NetWire;
    CZJObject::PackNetState(record, size);
    const Matrix4& m = frame.matrix;
    for (const auto& axis : kAxes)
        PutVec3(record, axis.offset, Vec3 { m.m[axis.column], m.m[4 + axis.column], m.m[8 + axis.column] });
    Put<float>(record, Moving::kThrust, thrust);
    Put<float>(record, Moving::kSideImpulse, sideImpulse);
    Put<float>(record, Moving::kBankCoupling, bankCoupling);
    PutVec3(record, Moving::kVelocity, velocity);
    PutVec3(record, Moving::kRates, Vec3 { rateSpare, pitchRate, rollRate });
    Put<float>(record, Moving::kControlX, controlX);
    Put<float>(record, Moving::kControlY, controlY);
    Put<float>(record, Moving::kSpare, spareControl);
    Put<uint8_t>(record, Moving::kVisible, visible);
    *size += int(Moving::kSize - Record::kBaseSize);
}

void CDynamicObject::UnpackNetState(const uint8_t* record, int* size)
{
    using namespace NetWire;
    *size = 0;
    if (Get<uint16_t>(record, Record::kLength) < Moving::kSize)
        return;
    for (int i = 0; i < kRecordWords; ++i)
        if (!std::isfinite(Get<float>(record, Moving::kAxis0 + 4 * std::size_t(i))))
            return;
    CZJObject::UnpackNetState(record, size);
    if (*size == 0)
        return;
    frame.forward = ReadVec3(record, Moving::kAxis0);
    frame.side = ReadVec3(record, Moving::kAxis1);
    frame.up = ReadVec3(record, Moving::kAxis2);
    frame.UpdateMatrix();
    thrust = Get<float>(record, Moving::kThrust);
    sideImpulse = Get<float>(record, Moving::kSideImpulse);
    bankCoupling = Get<float>(record, Moving::kBankCoupling);
    velocity = ReadVec3(record, Moving::kVelocity);
    const Vec3 rates = ReadVec3(record, Moving::kRates);
    rateSpare = rates.x;
    pitchRate = rates.y;
    rollRate = rates.z;
    controlX = Get<float>(record, Moving::kControlX);
    controlY = Get<float>(record, Moving::kControlY);
    spareControl = Get<float>(record, Moving::kSpare);
    visible = Get<uint8_t>(record, Moving::kVisible);
    *size += int(Moving::kSize - Record::kBaseSize);
}

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
