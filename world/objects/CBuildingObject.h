// CBuildingObject: a placed building (type code 11). Each frame it runs its door, tells the engine
// when the player's glider stands in an entrance box, pulls an approaching player towards the
// door and takes queued machine groups inside one member at a time. A row of kind 7 is a turning
// building: it turns and bobs and is never entered.
#pragma once

#include "foundation/NameKey32.h"
#include "render/CEmitterInstance.h"
#include "world/objects/CZJObject.h"

#include <memory>

class CFerroGroup;
class CFerrovant;
class CGliderObject;
struct SBuildingType;
struct SDoorBox;

class CBuildingObject : public CZJObject {
public:
    static constexpr int kMaxGroups = 20;
    static constexpr int kTurningKind = 7;
    enum DoorState : int32_t { kClosed, kOpening, kOpen, kClosing };
    // The row's boxes: entrances A, B and approaches C, D.
    enum Box { kBoxA, kBoxB, kBoxC, kBoxD };

    using CZJObject::Init;
    CBuildingObject();
    ~CBuildingObject() override;

    // Takes the placement and the type row (an unknown id throws XRangeError); the property text
    // is the building's name.
    void Init(const float* placement, NameKey32 typeId, const char* propertyText);
    // Queues a group and clears its exit marker and active flag; false when 20 are queued.
    bool AddGroup(CFerroGroup* group);
    // Puts a glider leaving the building outside: before box C facing away from box A, or 300
    // units behind the building without those boxes.
    void PlaceAtExit(CZJObject* object);
    // Works the first queued group: lets a packed group out, packs an assembled one, else brings
    // its members in one by one.
    void TrackGliders();

    void Draw() override;
    void Run() override;
    void DrawEffect(int argument) override;
    void SaveToStream2(XMemBuffer& stream) override;
    // A count over 20 throws XRangeError; a group name not found is logged and skipped.
    void LoadFromStream2(XMemBuffer& stream) override;
    void ReleaseDeviceObjects() override;
    // The open shape while the door is open, else the closed one.
    const XDynamicArray<SCollisionTriangle>* GetModel() override;

    const SBuildingType* Row() const;
    // Box i of the row; null when absent or without a row.
    const SDoorBox* DoorBox(int i) const;
    bool IsTurning() const;

    int32_t doorState = kClosed;
    float doorValue = 0.0f; // 0 shut .. 2 open
    float openTimer = 0.0f;
    uint8_t runFlag = 0; // set by the first Run
    Vec3 roadPoint {};
    Vec3 doorPoint {};
    std::unique_ptr<CModelInstance> instance;
    uint8_t instancePending = 0;
    float bobOffset = 0.0f;
    int32_t pointIndex = -1; // the road node named like the building
    CFerroGroup* groups[kMaxGroups] = {};
    int32_t groupCount = 0;
    CFerrovant* trackedMember = nullptr;
    uint8_t memberPhase = 0; // 0 to the road point, 1 to the door
    uint8_t memberAtDoor = 0;
    float memberTimer = 0.0f;
    float doorTimer = 0.0f;
    float approachTimer = 0.0f;
    NameKey32 typeKey {};

private:
    void PrepareRow();
    void FirstRun();
    // p relative to the building, in the building's axes.
    Vec3 ToLocal(const Vec3& p) const;
    Vec3 ToWorldAxes(const Vec3& local) const;
    bool InEntrance(const Vec3& local) const;
    bool InBox(int box, const Vec3& local) const;
    void PublishEntrance();
    void DecideDoor(CGliderObject* player, bool playerNear, bool memberInside, float dt);
    void StepDoor(float dt);
    void PlayDoorSound();
    void PullPlayer(CGliderObject& player, float dt);
    void RemoveFirstGroup();
    void BringMember(float dt);
};
