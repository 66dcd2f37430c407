// The group's save-game record: flags, building, state, position, then the members' short form.
#include "ai/CFerroGroup.h"
#include "foundation/XMemBuffer.h"
#include "foundation/XRangeError.h"
#include "world/objects/CBuildingObject.h"
#include "world/objects/CObjectList.h"

#include <cstring>

void CFerroGroup::SaveGame(XMemBuffer& stream, bool)
{
    stream.WriteValue(attachedToPlayer);
    stream.WriteValue(active);
    const uint8_t flags
        = uint8_t((inBuilding ? 1 : 0) | (pendingCheck ? 2 : 0) | (halted ? 4 : 0) | (memberCount << 4));
    stream.WriteValue(flags);
    stream.WriteValue(buildingWait);
    char buildingName[32] = {};
    if (building)
        std::memcpy(buildingName, building->name, sizeof buildingName);
    stream.Write(buildingName, sizeof buildingName);
    stream.WriteValue(state);
    stream.WriteValue(position);
    stream.WriteValue(timeInState);
    stream.WriteValue(exitQueued);
    for (int i = 0; i < memberCount; ++i)
        members[i].SaveGame(stream, false);
}

void CFerroGroup::LoadGame(XMemBuffer& stream, bool)
{
    uint8_t head[3];
    stream.Read(head, sizeof head);
    const float wait = stream.ReadF32();
    char buildingName[32];
    stream.Read(buildingName, sizeof buildingName);
    buildingName[31] = '\0';
    const int32_t savedState = stream.ReadI32();
    Vec3 savedPosition;
    stream.Read(&savedPosition, sizeof savedPosition);
    const float savedTime = stream.ReadF32();
    uint8_t queued;
    stream.Read(&queued, 1);
    const int count = (head[2] >> 4) != 0 ? head[2] >> 4 : memberCount;
    if (count > kMaxMembers)
        throw XRangeError();
    attachedToPlayer = head[0];
    active = head[1];
    inBuilding = head[2] & 1;
    pendingCheck = (head[2] >> 1) & 1;
    halted = (head[2] >> 2) & 1;
    buildingWait = wait;
    building = static_cast<CBuildingObject*>(
        buildingName[0] ? ObjectList.FindObject(MakeNameKey32(buildingName), 11) : nullptr);
    state = savedState;
    position = savedPosition;
    timeInState = savedTime;
    exitQueued = queued;
    for (int i = 0; i < count; ++i)
        members[i].LoadGame(stream, false);
}
