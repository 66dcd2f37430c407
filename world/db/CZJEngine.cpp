// Stand-in until the world database lands.
#include "world/db/CZJEngine.h"

#include "net/wire/NetWire.h"
#include "world/objects/CObjectList.h"
#include "world/objects/CZJObject.h"

CZJEngine ZJEngine;

CZJObject* CZJEngine::CreateNetObject(const uint8_t* record)
{
    const NetWire::SNetObjectRecord head = NetWire::ReadRecordHead(record);
    CZJObject* object = nullptr;
    switch (head.type) {
    case 14: // glider
        object = new CDynamicObject;
        break;
    case 16: // missile
        object = new CDynamicObject;
        object->netInit = 1;
        break;
    case 21: // thing
        object = new CZJObject;
        object->netInit = 1;
        break;
    default:
        return nullptr;
    }
    object->type = static_cast<int32_t>(head.type);
    object->typeIndex = static_cast<int32_t>(head.baseState);
    object->position = Vec3 { head.position[0], head.position[1], head.position[2] };
    object->networkId = head.netId;
    object->remote = 1;
    object->networked = 1;
    object->visible = 1;
    ObjectList.AddObject(object);
    ObjectList.AddToExtraList(object);
    return object;
}
