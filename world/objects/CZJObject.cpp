// Stand-in until the world-object classes land.
#include "world/objects/CZJObject.h"

#include "foundation/CTimer.h"
#include "net/wire/NetWire.h"
#include "world/objects/CObjectList.h"

#include <cstring>

using namespace NetWire;

void CZJObject::PackNetState(uint8_t* record, int* size)
{
    SNetObjectRecord head;
    head.netId = networkId;
    head.time = GameClock;
    head.kind = alive ? Record::kState : Record::kFinal;
    head.position[0] = position.x;
    head.position[1] = position.y;
    head.position[2] = position.z;
    head.type = static_cast<uint32_t>(type);
    head.baseState = static_cast<uint32_t>(typeIndex);
    *size = static_cast<int>(EncodeRecordHead(record, Record::kBaseSize, head));
    lastNetTime = GameClock;
    netDirty = 0;
}

void CZJObject::UnpackNetState(const uint8_t* record, int* size)
{
    const SNetObjectRecord head = ReadRecordHead(record);
    position = Vec3 { head.position[0], head.position[1], head.position[2] };
    lastNetTime = GameClock;
    lastRecordTime = head.time;
    *size = static_cast<int>(Record::kBaseSize);
    if (head.kind == Record::kFinal)
        ObjectList.DeleteObject(this);
}

void CZJObject::Damage(float, Vec3, int, int, int) { }

void CZJObject::StoreInit(const float* placement, const NameKey32& typeId)
{
    if (placement) {
        std::memcpy(matrix.m, placement, sizeof matrix.m);
        position = Vec3 { matrix.m[12], matrix.m[13], matrix.m[14] };
    }
    typeKey = typeId;
}
