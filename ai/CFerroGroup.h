// CFerroGroup: a team of up to ten machines that moves and acts as one. Far from the player it is
// an assembled record moved by arithmetic; near the player every living member flies its own
// glider under its own AI. The kinds (guard, caravan, hunter, people) derive from it; the list
// runs them and entry 0 of the list is the player's team.
#pragma once

#include "ai/CBasicGLAI.h"
#include "ai/CFerrovant.h"
#include "foundation/Vector.h"

#include <cstdint>
#include <memory>
#include <vector>

class CBuildingObject;
class CBasicGLAI;
class CGliderObject;
class CZJObject;
class XMemBuffer;

// What a group knows of another group of the list.
struct TargetRecord {
    int32_t group; // index in the group list, 0 the player's team
    int32_t attitude; // 0 new, 2 neutral, 3 attack, 4 escape, 6 hostile but too weak
    float distanceSq;
    float weight;
    float relation;
    float hostility;
    uint8_t reported; // TALK sent
};

class CFerroGroup {
public:
    static constexpr int kMaxMembers = 10;
    static constexpr int kMaxTargets = 20;
    static constexpr float kCaravanSpeed = 250.0f / 3.0f;

    enum Kind : uint32_t { kGuard, kCaravan, kHunter, kPeople, kStanding };
    enum State : int32_t { kNormal = 0, kAttacking = 2, kEscaping = 4, kRetreating = 5, kCollecting = 6 };

    CFerroGroup();
    virtual ~CFerroGroup();
    CFerroGroup(const CFerroGroup&) = delete;
    CFerroGroup& operator=(const CFerroGroup&) = delete;

    virtual void Init();
    virtual void Run(float dt);
    virtual void OnGroupAttacked(int attacker, float damage, bool relayed);
    virtual void OnExitFromBuilding() { }
    virtual void CheckAssemble();
    virtual void SetState(int32_t s);
    // Puts the group at fromPoint heading for toPoint; only the caravan acts on it.
    virtual void SetGroupAt(int fromPoint, int toPoint);
    virtual void Stop() { SetState(kNormal); }
    virtual void EscapeFromGroup(CFerroGroup* group);
    virtual void Disassemble();
    virtual void Assemble();
    virtual void PackInBuilding(CBuildingObject* where);
    virtual void SaveGame(XMemBuffer& stream, bool withConfig);
    virtual void LoadGame(XMemBuffer& stream, bool withConfig);
    // The location point nearest to the group, skipping excluded; 0 when there are none.
    virtual int GetNearestPoint(int excluded);
    virtual void SpyGroups();
    virtual int GetNextRoadItem() { return 0; }

    // The member with the most free load (capacity x 1.5 - total weight above 0), -1 when none.
    int GetVoidFerro();
    CGliderObject* GetNearestMember(const Vec3& point);
    float GetGroupRating(bool full);
    bool HasMember(const CFerrovant* record) const;
    void UpdatePosition();
    // Called for every glider or thing that leaves the world; a dead glider counts as destroyed.
    void OnObjectDeleted(CZJObject* object);
    void Reanimate();
    void SellGoodsInBuilding(CBuildingObject* where, bool sellAll);
    void UnpackFromBuilding();
    bool CheckBuilding(int point);

    void DefineGroup(int record, bool firstContact);
    void ProcessTarget();
    void GroupAttack(CFerroGroup* group, bool force);
    void GroupRetreat(CFerroGroup* group, int point);
    void GroupGetThing();
    void MoveFormation(int point);
    void FollowPoint(int point);

    // Checked access: an index outside throws XRangeError.
    CFerrovant& Member(int i);
    TargetRecord& Target(int i);
    // A member that is not dead, not in a building, with a live glider.
    bool IsLive(int i) const;
    // Sends a group message by keyword to the application's event sink.
    void SendMessage(const char* keyword);

    float groupClock = 0.0f;
    int32_t spyCounter = 0;
    char caption[64] = {};
    char name[32] = {}; // upper case
    int32_t organisation = -1;
    CFerrovant members[kMaxMembers];
    int32_t memberCount = 0;
    char memberConfigs[kMaxMembers][32] = {};
    int32_t configuredCount = 0;
    uint8_t attachedToPlayer = 0;
    uint8_t assembled = 1;
    uint8_t active = 0;
    uint8_t pendingCheck = 0;
    uint8_t inBuilding = 0;
    uint8_t exitQueued = 0;
    uint8_t halted = 0;
    CBuildingObject* building = nullptr;
    float buildingWait = 0.0f;
    uint32_t kind = 5;
    int32_t state = kNormal;
    Vec3 position {};
    CZJObject* knownThing = nullptr;
    float timeInState = 0.0f;
    uint32_t configParam = 0;
    int32_t homePoint = -1;
    float guardRadius = 0.0f;
    int32_t routeStart = -1;
    int32_t routeEnd = -1;
    int32_t peoplePoint = -1;
    std::vector<int32_t> huntPoints;
    int32_t standPoint = -1;
    TargetRecord targets[kMaxTargets] = {};
    int32_t targetCount = 0;
    CFerroGroup* followed = nullptr;
    float helpCooldown = 0.0f;
    // Set by the scripts' show and hide commands; hidden keeps a materialised group from folding
    // back. Not saved.
    uint8_t visible = 1;
    uint8_t hidden = 0;

protected:
    // The squared distance to the player's machine.
    float PlayerDistanceSq() const;
    // Hands the glider of member i to the deferred deletion; false when the list is full.
    bool DropGlider(int i);
    void RemoveTarget(int i);
    int FindTarget(int group) const;
    const SAIReference* PointReference(int point, SAIReference& reference);

private:
    void ClearTargets();
    // The AI of each member's glider; it goes with the glider, or with the group when the object
    // list is cleared first.
    std::unique_ptr<CBasicGLAI> m_ais[kMaxMembers];
    Vec3 m_offsets[kMaxMembers] = {}; // the last formation offset given to each member
    SAIReference m_goal {}; // the point the members go to or follow
    SAIReference m_retreat {}; // the point they retreat to

    friend class CPlayerFerroGroup;
};
