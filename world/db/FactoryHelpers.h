// What every CreateObject does: make the kind's object, place it, give it the property text and hand
// it to the object list.
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

// A new Object placed by its Init and added to the object list. The property text goes to Init
// where Init takes one, else it is copied into the name (a null text leaves the name empty).
template <class Object>
CZJObject* CreateObjectOf(NameKey32 typeId, const float* placement, const char* propertyText)
{
    auto object = std::make_unique<Object>();
    if constexpr (requires { object->Init(placement, typeId, propertyText); }) {
        object->Init(placement, typeId, propertyText);
    } else {
        CopyPropertyText(*object, propertyText);
        object->Init(placement, typeId);
    }
    return AddToObjectList(std::move(object));
}
