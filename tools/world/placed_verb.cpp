#include "tools/world/placed_verb.h"

#include "foundation/CTimer.h"
#include "platform/win/text.h"
#include "world/db/CBuildingManager.h"
#include "world/objects/CAnomalZoneObject.h"
#include "world/objects/CBoundObject.h"
#include "world/objects/CBuildingObject.h"
#include "world/objects/CHelperObject.h"
#include "world/objects/CLampObject.h"
#include "world/objects/CLightObject.h"
#include "world/objects/CMapCoverObject.h"
#include "world/objects/CObjectList.h"
#include "world/objects/CRoadObject.h"
#include "world/objects/CStoneObject.h"
#include "world/objects/CTowerObject.h"
#include "world/objects/CTreeObject.h"
#include "world/objects/PlayerGlobals.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

namespace zoq::tools::world {
namespace {

constexpr float kFrameTime = 1.0f / 60.0f;

// A name as UTF-8, "-" when empty.
std::string Shown(const char* name, size_t size)
{
    const std::string text(name, strnlen(name, size));
    return text.empty() ? "-" : plat::win::Cp1251ToUtf8(text.c_str());
}

std::string Number(float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", double(value));
    return text;
}

std::string Point(const Vec3& p)
{
    return Number(p.x) + "," + Number(p.y) + "," + Number(p.z);
}

// The first run places the door of a named building with an entrance box A.
bool HasDoorPoint(const CBuildingObject& building)
{
    return building.runFlag && building.name[0] && building.DoorBox(CBuildingObject::kBoxA);
}

std::string BuildingFields(const CBuildingObject& building)
{
    std::string boxes;
    for (int i = 0; i < 4; ++i)
        if (building.DoorBox(i))
            boxes += char('A' + i);
    const SBuildingType* row = building.Row();
    const auto& list = ObjectList.Watched();
    const bool watched
        = std::find(list.Data(), list.Data() + list.Count(), &building) != list.Data() + list.Count();
    return " boxes=" + (boxes.empty() ? "-" : boxes)
        + " door=" + (HasDoorPoint(building) ? Point(building.doorPoint) : "-")
        + " road=" + (building.pointIndex >= 0 ? std::to_string(building.pointIndex) : "-")
        + " kind=" + (row ? std::to_string(row->kind) : "-") + " watched=" + (watched ? "1" : "0");
}

std::string BoundFields(const CBoundObject& post)
{
    return " neighbours=" + std::to_string(post.linkCount) + " reach=" + Number(post.reach)
        + " segments=" + std::to_string(post.segmentCount);
}

template <class T> std::string RangeField(const T& object)
{
    return " range=" + Number(object.range);
}

// The type id and the kind's own fields of an object of class T.
struct SPlacedKind {
    int32_t type;
    std::string (*typeId)(const CZJObject&);
    std::string (*fields)(const CZJObject&);
};

template <class T> std::string TypeIdOf(const CZJObject& object)
{
    const T* placed = dynamic_cast<const T*>(&object);
    return placed ? Shown(placed->typeKey.text, sizeof placed->typeKey.text) : "-";
}

template <class T, std::string (*Fields)(const T&)> std::string FieldsOf(const CZJObject& object)
{
    const T* placed = dynamic_cast<const T*>(&object);
    return placed ? Fields(*placed) : "";
}

std::string NoFields(const CZJObject&)
{
    return "";
}

constexpr SPlacedKind kKinds[] = {
    { CZJObject::kStone, TypeIdOf<CStoneObject>, NoFields },
    { CZJObject::kTree, TypeIdOf<CTreeObject>, NoFields },
    { CZJObject::kHelper, TypeIdOf<CHelperObject>, NoFields },
    { CZJObject::kRoad, TypeIdOf<CRoadObject>, NoFields },
    { CZJObject::kBuilding, TypeIdOf<CBuildingObject>, FieldsOf<CBuildingObject, BuildingFields> },
    { CZJObject::kMapCover, TypeIdOf<CMapCoverObject>, NoFields },
    { CZJObject::kLamp, TypeIdOf<CLampObject>, FieldsOf<CLampObject, RangeField<CLampObject>> },
    { CZJObject::kLight, TypeIdOf<CLightObject>, FieldsOf<CLightObject, RangeField<CLightObject>> },
    { CZJObject::kAnomalZone, TypeIdOf<CAnomalZoneObject>, NoFields },
    { CZJObject::kTower, TypeIdOf<CTowerObject>, FieldsOf<CTowerObject, RangeField<CTowerObject>> },
    { CZJObject::kBoundary, TypeIdOf<CBoundObject>, FieldsOf<CBoundObject, BoundFields> },
};

} // namespace

void PrintPlaced()
{
    PlayerObject = nullptr;
    FrameTime = kFrameTime;
    GameClock += double(kFrameTime);
    GameClockF32 = float(GameClock);
    ObjectList.Run();
    for (const CZJObject* object : ObjectList.Objects()) {
        const auto kind = std::ranges::find(kKinds, object->type, &SPlacedKind::type);
        if (!object->alive || kind == std::end(kKinds))
            continue;
        std::printf("%d %s %s radius=%s solid=%d rays=%d%s\n", object->type,
            Shown(object->name, sizeof object->name).c_str(), kind->typeId(*object).c_str(),
            Number(object->radius).c_str(), object->solid, object->hitByRays, kind->fields(*object).c_str());
    }
}

} // namespace zoq::tools::world
