#include "world/objects/CTheThing.h"

#include "ai/CFerroGroupList.h"
#include "ai/CFerrovant.h"
#include "audio/CSoundManager.h"
#include "foundation/CTimer.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "foundation/XMemBuffer.h"
#include "foundation/XRangeError.h"
#include "net/wire/NetWire.h"
#include "render/CModelManager.h"
#include "render/TextureManager.h"
#include "world/db/CMissileManager.h"
#include "world/db/CZJEngine.h"
#include "world/db/PlayerEquipmentFlags.h"
#include "world/db/PlayerRemains.h"
#include "world/db/ResourceIds.h"
#include "world/objects/CCamera.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/CObjectList.h"
#include "world/objects/CZJAppEvent.h"
#include "world/objects/PlayerGlobals.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

using namespace NetWire;

namespace {

struct SKindRow {
    int32_t kind;
    const char* model;
    const char* glow;
};
constexpr SKindRow kKinds[] = {
    { 257, "MOD_TOV_CORTEXEL", "TEX_FX_THING_GLOW_FERRO" },
    { 513, "MOD_CONT_001", "TEX_FX_THING_GLOW_WHITE" },
    { 514, "MOD_CONT_001", "TEX_FX_THING_GLOW_YELLOW" },
    { 515, "MOD_CONT_001", "TEX_FX_THING_GLOW_FERRO" },
};

constexpr float kTakerRadius = 100.0f;
constexpr float kTakerLift = 12.0f;
constexpr float kRiseSpeed = 10.0f;
constexpr float kMaxSpeedSq = 6400.0f;
constexpr float kReachSq = 256.0f;
constexpr float kCloseSq = 64.0f;
constexpr float kSlowSq = 64.0f;
constexpr float kExpiryDistanceSq = 1.0e6f;
constexpr float kLoadLimit = 1.0f;

Vec3 CameraPosition()
{
    return CameraObject ? CameraObject->frame.position : PlayerPosition;
}

float DistanceSq(const Vec3& a, const Vec3& b)
{
    const float x = a.x - b.x;
    const float y = a.y - b.y;
    const float z = a.z - b.z;
    return x * x + y * y + z * z;
}

std::string ItemName(const SThingItem& item)
{
    return std::string(item.id, strnlen(item.id, sizeof item.id));
}

} // namespace

CTheThing::CTheThing()
{
    type = kThing;
    alive = 1;
    visible = 1;
    runs = 1;
    deferredDelete = 1;
    netInit = 1;
    drawDistanceFactor = 3.0f;
}

CTheThing::~CTheThing()
{
    if (PlayerRemains == this)
        PlayerRemains = nullptr;
    if (PlayerCore == this)
        PlayerCore = nullptr;
}

bool CTheThing::Init(const float* placement, int32_t thingKind)
{
    ZJ_TRACE("CTheThing::Init");
    if (placement) {
        Matrix4 m;
        std::memcpy(m.m, placement, sizeof m.m);
        frame.SetMatrix(m);
        frame.UpdateAxes();
    }
    kind = thingKind;
    Init();
    onGround = 1;
    age = 0.0f;
    float scale = 1.0f;
    if (placement)
        scale = std::sqrt(
            placement[0] * placement[0] + placement[1] * placement[1] + placement[2] * placement[2]);
    radius = 0.0f;
    if (modelIndex >= 0 && g_pModelManager && modelIndex < g_pModelManager->GetModelCount())
        radius = g_pModelManager->GetModelRadius(modelIndex) * scale;
    return FillGround(frame.position, 6.0f * radius);
}

void CTheThing::Init()
{
    const auto row = std::find_if(
        std::begin(kKinds), std::end(kKinds), [&](const SKindRow& r) { return r.kind == kind; });
    if (row == std::end(kKinds)) {
        WriteErrorLog("CTheThing::Init unknown type");
        modelIndex = -1;
        return;
    }
    if (kind == 257)
        saved = 1;
    modelIndex = g_pModelManager ? g_pModelManager->FindModel(row->model) : -1;
    glowTexture = g_pTextureManager ? g_pTextureManager->FindTexture(row->glow) : -1;
}

void CTheThing::AddItem(uint32_t itemKind, const char* id, uint32_t amount)
{
    if (contentCount >= kMaxContents)
        return;
    SThingItem& item = contents[contentCount++];
    item = SThingItem {};
    item.kind = itemKind;
    std::snprintf(item.id, sizeof item.id, "%s", id ? id : "");
    item.amount = amount;
}

void CTheThing::RemoveItem(int index)
{
    std::move(contents + index + 1, contents + contentCount, contents + index);
    --contentCount;
    const uint32_t below = refusedLogged & ((1u << index) - 1u);
    refusedLogged = below | ((refusedLogged >> (index + 1)) << index);
}

void CTheThing::Damage(float amount, const Vec3& point, int heavy, CZJObject* attacker, int damageClass)
{
    (void)amount;
    (void)point;
    (void)heavy;
    (void)attacker;
    (void)damageClass;
    alive = 0;
}

void CTheThing::Run()
{
    ZJ_TRACE("CTheThing::Run");
    const float dt = FrameTime;
    if (remote && int(age + dt) != int(age))
        netDirty = 1;
    if (!onGround) {
        riseTimer += dt;
        frame.SetPosition(Vec3 { frame.position.x, frame.position.y, frame.position.z + dt * kRiseSpeed });
        if (riseTimer >= kRiseTime) {
            ObjectList.DeleteObject(this);
            if (remote) {
                pendingDamage[0] = 1.0f;
                damagePending = 1;
            }
        }
        return;
    }
    age += dt;
    if (!playerOnly && age > kExpiryAge && DistanceSq(frame.position, CameraPosition()) > kExpiryDistanceSq) {
        Expire();
        return;
    }
    LookForTakers();
}

void CTheThing::Expire()
{
    if (contentCount > 0 && contents[0].kind == 2) {
        if (CFerrovant* member = FerroGroupList.FindGroupOfMember(ItemName(contents[0]).c_str()))
            member->respawnTime -= 1.0e9f;
        else
            WriteErrorLog("CTheThing::Run: ferro not found..");
    }
    ObjectList.DeleteObject(this);
}

bool CTheThing::Qualifies(const CGliderObject& glider) const
{
    if (glider.dead || (owned && glider.IsPlayer()))
        return false;
    const float speedSq = Vec3LengthSq(glider.velocity);
    const float dx = glider.frame.position.x - frame.position.x;
    const float dy = glider.frame.position.y - frame.position.y;
    const float horizontalSq = dx * dx + dy * dy;
    return speedSq < kMaxSpeedSq && horizontalSq <= kReachSq
        && (horizontalSq <= kCloseSq || speedSq <= kSlowSq);
}

void CTheThing::LookForTakers()
{
    const float reach = 0.9f * float(VisibleRadius) * 10.0f;
    if (DistanceSq(frame.position, CameraPosition()) > reach * reach)
        return;
    SObjectQuery candidates {};
    if (playerOnly) {
        if (PlayerObject && PlayerObject->type == kGlider) {
            candidates.objects[0] = PlayerObject;
            candidates.count = 1;
        }
    } else {
        const Vec3 centre { frame.position.x, frame.position.y, frame.position.z + kTakerLift };
        ObjectList.GetRealTimeObjectList(centre, kTakerRadius, kGlider, candidates);
    }
    for (int i = 0; i < candidates.count; ++i) {
        if (i >= SObjectQuery::kLimit) {
            WriteErrorLog("CTheThing::Run GETLIST");
            throw XRangeError();
        }
        auto* glider = static_cast<CGliderObject*>(candidates.objects[i]);
        if (!Qualifies(*glider))
            continue;
        SThingItem taken[kMaxContents];
        int takenCount = 0;
        if (TransferTo(*glider, taken, takenCount))
            PickedUp(*glider, taken, takenCount);
        return;
    }
}

bool CTheThing::PassesLoadCheck(const CGliderObject& glider) const
{
    if (!glider.IsPlayer() || kind == 515 || !glider.ferrovant)
        return true;
    const CFerrovant& record = *glider.ferrovant;
    float capacity = record.GetCapacity();
    if (PlayerEquipmentFlags[kEqpHiPowerAntigrav])
        capacity *= 1.3f;
    const float load = (record.GetTotalWeight() + record.GetGoodsWeight() + 1.0f) * 0.75f;
    return capacity > 0.0f && load / capacity < kLoadLimit;
}

bool CTheThing::GiveItem(CGliderObject& glider, const SThingItem& item)
{
    CFerrovant& record = *glider.ferrovant;
    const std::string id = ItemName(item);
    const int row = id.empty() ? -1 : g_MissileManager.GetRowNames().Find(id.c_str());
    const int32_t amount = int32_t(std::min<uint32_t>(item.amount, INT32_MAX));
    if (row >= 0) {
        const int stocks = std::clamp(record.ammoCount, 0, CFerrovant::kMaxAmmo);
        AmmoStock* stock = std::find_if(
            record.ammo, record.ammo + stocks, [&](const AmmoStock& s) { return s.index == row; });
        if (stock == record.ammo + stocks) {
            if (stocks == CFerrovant::kMaxAmmo)
                return false;
            *stock = AmmoStock { row, {}, 0 };
            record.ammoCount = stocks + 1;
        }
        stock->count += amount;
        record.UpdateEquipment();
        glider.SyncEquipment();
        return true;
    }
    try {
        record.cargo.AddGoods(id.c_str(), amount, 0.0f, item.kind);
    } catch (const std::runtime_error&) {
        return false;
    }
    return true;
}

bool CTheThing::TransferTo(CGliderObject& glider, SThingItem* taken, int& takenCount)
{
    for (int i = 0; i < contentCount;) {
        if (!PassesLoadCheck(glider)) {
            if (g_pSoundManager)
                g_pSoundManager->PlaySound(FindSoundId("SND_INT_NO_MONEY"), 0);
            return false;
        }
        if (!glider.ferrovant) {
            RemoveItem(i);
            continue;
        }
        if (GiveItem(glider, contents[i])) {
            taken[takenCount++] = contents[i];
            RemoveItem(i);
            glider.mass = glider.ferrovant->GetSumWeight();
            continue;
        }
        if (!(refusedLogged & (1u << i))) {
            WriteErrorLog("CTheThing::Run item refused '" + ItemName(contents[i]) + "'");
            refusedLogged |= 1u << i;
        }
        ++i;
    }
    return contentCount == 0;
}

void CTheThing::PickedUp(CGliderObject& glider, const SThingItem* taken, int takenCount)
{
    if (glider.IsPlayer() && AppEvents)
        AppEvents->OnPickup(kind, taken, takenCount);
    onGround = 0;
    riseTimer = 0.0f;
    if (g_pSoundManager)
        g_pSoundManager->Play3DSound(ZJEngine.ids1[CZJEngine::kSndPickUpThing], frame.position);
}

void CTheThing::PackNetState(uint8_t* record, int* size)
{
    CZJObject::PackNetState(record, size);
    const uint32_t count = uint32_t(std::clamp(contentCount, 0, kMaxContents));
    const std::size_t length = Thing::SizeFor(count);
    Put<uint16_t>(record, Record::kLength, uint16_t(length));
    Put<uint32_t>(record, Thing::kValue, uint32_t(kind));
    Put<uint32_t>(record, Thing::kCount, count);
    std::memcpy(record + Thing::kItems, contents, Thing::kItemSize * count);
    *size = int(length);
    netDirty = 0;
}

void CTheThing::UnpackNetState(const uint8_t* record, int* size)
{
    *size = 0;
    const SNetObjectRecord head = ReadRecordHead(record);
    if (head.length < Thing::kItems)
        return;
    const uint32_t count = Get<uint32_t>(record, Thing::kCount);
    if (count > Thing::kMaxItems || head.length < Thing::SizeFor(count))
        return;
    int baseSize = 0;
    CZJObject::UnpackNetState(record, &baseSize);
    if (baseSize == 0)
        return;
    kind = int32_t(Get<uint32_t>(record, Thing::kValue));
    contentCount = int32_t(count);
    std::memcpy(contents, record + Thing::kItems, Thing::kItemSize * count);
    refusedLogged = 0;
    *size = int(Thing::SizeFor(count));
}

void CTheThing::SaveToStream2(XMemBuffer& stream)
{
    CZJObject::SaveToStream2(stream);
    const uint32_t count = uint32_t(std::clamp(contentCount, 0, kMaxContents));
    stream.WriteValue(uint32_t(kind));
    stream.WriteValue(playerOnly);
    stream.WriteValue(count);
    stream.Write(contents, int(sizeof(SThingItem) * count));
}

void CTheThing::LoadFromStream2(XMemBuffer& stream)
{
    CZJObject::LoadFromStream2(stream);
    const int32_t loadedKind = stream.ReadI32();
    uint8_t onlyPlayer = 0;
    stream.Read(&onlyPlayer, 1);
    const uint32_t count = stream.ReadU32();
    if (count > kMaxContents) {
        WriteErrorLog("CTheThing::LoadFromStream2 bad item count " + std::to_string(count));
        throw XRangeError();
    }
    SThingItem items[kMaxContents];
    stream.Read(items, int(sizeof(SThingItem) * count));
    std::copy(items, items + count, contents);
    contentCount = int32_t(count);
    playerOnly = onlyPlayer;
    saved = 1;
    Matrix4 placement;
    Matrix4Identity(placement);
    placement.m[12] = frame.position.x;
    placement.m[13] = frame.position.y;
    placement.m[14] = frame.position.z;
    Init(placement.m, loadedKind);
}
