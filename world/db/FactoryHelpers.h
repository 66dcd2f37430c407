// What every CreateObject does: make the kind's object, place it, give it the property text and hand
// it to the object list.
#pragma once

#include "render/CModelManager.h"
#include "world/db/CZJObjectManager.h"
#include "world/objects/CObjectList.h"
#include "world/objects/CZJObject.h"

#include <cmath>

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

// Row row of the manager as the object's type row, and the radius it gives: the model's radius x
// the length of the placement's first row.
inline void TakeTypeRowAt(CZJObject& object, CZJObjectManager& manager, int row)
{
    object.typeIndex = row;
    object.typeRecord = manager.GetDescData(row);
    // The model table's radius: the model itself is not loaded while the objects file is read.
    const int32_t model = object.ModelIndex();
    if (!g_pModelManager || model < 0 || model >= g_pModelManager->GetModelCount())
        return;
    const float* m = object.frame.matrix.m;
    object.radius
        = g_pModelManager->GetModelRadius(model) * std::sqrt(m[0] * m[0] + m[1] * m[1] + m[2] * m[2]);
}

// The type row found by the type id and its radius, as the classes' Init take them. An id the
// table lacks leaves both.
inline void TakeTypeRow(CZJObject& object, CZJObjectManager& manager, NameKey32 typeId)
{
    const int row = manager.FindRow(typeId.text);
    if (row >= 0)
        TakeTypeRowAt(object, manager, row);
}

// A new Object placed by its Init and added to the object list. The property text goes to Init
// where Init takes one, else it is copied into the name (a null text leaves the name empty). With
// rows, the type row and radius come from that manager before the object is filed.
template <class Object>
CZJObject* CreateObjectOf(
    NameKey32 typeId, const float* placement, const char* propertyText, CZJObjectManager* rows = nullptr)
{
    auto object = std::make_unique<Object>();
    if constexpr (requires { object->Init(placement, typeId, propertyText); }) {
        object->Init(placement, typeId, propertyText);
    } else {
        CopyPropertyText(*object, propertyText);
        object->Init(placement, typeId);
    }
    if (rows)
        TakeTypeRow(*object, *rows, typeId);
    return AddToObjectList(std::move(object));
}
