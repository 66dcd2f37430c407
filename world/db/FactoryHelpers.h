// What every CreateObject does: copy the property text into the new object's name where the kind
// asks for it, and hand the object to the object list.
#pragma once

#include "world/objects/CObjectList.h"
#include "world/objects/CZJObject.h"

#include <cstdio>
#include <memory>

inline void CopyPropertyText(CZJObject& object, const char* text)
{
    if (text)
        std::snprintf(object.name, sizeof object.name, "%s", text);
}

template <class T> T* AddToObjectList(std::unique_ptr<T> object)
{
    ObjectList.AddObject(object.get());
    return object.release();
}
