// The commands on the player's machine record: money, rating, objects given and taken, what the
// player carries, damage and the glider type; and things placed in the world.
#include "ai/CFerrovant.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "foundation/Rand.h"
#include "script/CZJScriptManager.h"
#include "script/ScriptCommands_local.h"
#include "world/db/CEquipmentManager.h"
#include "world/db/CGliderManager.h"
#include "world/db/CGoodsManager.h"
#include "world/db/CGunManager.h"
#include "world/db/CMissileManager.h"
#include "world/db/COrgManager.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/CHelperPoint.h"
#include "world/objects/CObjectList.h"
#include "world/objects/CTheThing.h"
#include "world/terrain/CLocation.h"

#include <cstring>
#include <string>
#include <string_view>

using namespace script_commands;

namespace {

using Args = XStringTable;
using M = CZJScriptManager;

constexpr int32_t kShield = 2, kArmour = 3, kEngine = 4; // equipment classes (1 is the reactor)

// The count argument: the second, 1 when there is none.
int32_t Count(const Args& a)
{
    return a.Count() > 1 ? ArgInt(a, 1) : 1;
}

// The organisation of that name when its captured machines are counted, else -1.
int CapturingOrganisation(const char* name)
{
    const int org = Organisation(name);
    return org >= 0 && org < g_OrgManager.GetFirstScriptedIndex() ? org : -1;
}

void Sync(CFerrovant& player)
{
    if (player.glider)
        player.glider->SyncEquipment();
}

// The objects of ADDOBJECT by the first type table that holds the name.
void GiveObject(CFerrovant& player, const char* name, int32_t count)
{
    static constexpr uint32_t kNoParams[7] = {};
    if (const int gun = g_GunManager.FindRow(name); gun >= 0) {
        SItemRecord& item
            = g_GunManager.GetGun(gun).weaponClass == 0 ? player.config.lightGun : player.config.heavyGun;
        item.words[0] = uint32_t(gun);
        Sync(player);
        return;
    }
    if (const int glider = g_GliderManager.GetRowNames().Find(name); glider >= 0) {
        player.config.glider.words[0] = uint32_t(glider);
        player.hull.Set(player.config.glider);
        Sync(player);
        return;
    }
    if (const int row = g_EquipmentManager.FindRow(name); row >= 0) {
        switch (g_EquipmentManager.GetEquipment(row).equipmentClass) {
        case kArmour:
            player.armour.Set(row, kNoParams);
            player.armourLevel = player.armour.Maximum();
            return;
        case kEngine:
            player.engine.Set(row, kNoParams);
            return;
        case kShield:
            player.shield.Set(row, kNoParams);
            player.shieldLevel = player.shield.Maximum();
            return;
        default: // devices, and a reactor given this way
            if (player.mountedCount >= CFerrovant::kMaxMounted) {
                WriteErrorLog(std::string("CZJScriptManager::AddObject no room for '") + name + "'");
                return;
            }
            SItemRecord named {};
            SetItemName(named, name);
            player.mounted[player.mountedCount++] = std::make_unique<CEquipment>(named);
            player.UpdateEquipment();
            Sync(player);
            return;
        }
    }
    if (const int ammo = g_MissileManager.GetRowNames().Find(name); ammo >= 0) {
        AmmoStock* stock = nullptr;
        for (int i = 0; i < player.ammoCount && !stock; ++i)
            stock = player.ammo[i].index == ammo ? &player.ammo[i] : nullptr;
        if (stock) {
            stock->count += count;
        } else if (player.ammoCount < CFerrovant::kMaxAmmo) {
            player.ammo[player.ammoCount++] = AmmoStock { ammo, {}, count };
        } else {
            WriteErrorLog(std::string("CZJScriptManager::AddObject no room for '") + name + "'");
            return;
        }
        player.UpdateEquipment();
        Sync(player);
        return;
    }
    const bool goods = g_GoodsManager.GetRowNames().Find(name) >= 0;
    player.cargo.AddGoods(name, count, 0.0f, goods ? CargoItem::kGoods : CargoItem::kCaptured);
}

bool HasEquipment(const CFerrovant& player, const char* name)
{
    for (const CEquipment* part : { &player.armour, &player.shield, &player.engine, &player.reactor }) {
        if (part->index >= 0 && std::strcmp(part->Name(), name) == 0)
            return true;
    }
    for (int i = 0; i < player.mountedCount; ++i) {
        if (std::strcmp(player.Mounted(i).Name(), name) == 0)
            return true;
    }
    return false;
}

bool CheckObject(const char* name, int32_t count)
{
    if (!PlayerFerrovant)
        return false;
    const CFerrovant& player = *PlayerFerrovant;
    try {
        ZJ_TRACE("CZJScriptManager::CheckObject");
        if (const int org = CapturingOrganisation(name); org >= 0)
            return player.HasCapturedMachines(org, uint32_t(count < 0 ? 0 : count));
        if (player.cargo.HasCaptured(name, 1))
            return true;
        if (std::strcmp(name, "FERROVANT") == 0)
            return player.cargo.HasCaptured(nullptr, count);
        const std::string_view text(name);
        if (text.starts_with("EQP"))
            return HasEquipment(player, name);
        if (text.starts_with("TOV"))
            return player.cargo.HasGoods(name, CargoItem::kGoods, count)
                || player.cargo.HasGoods(name, CargoItem::kUnmerged, count);
        return false;
    } catch (...) {
        WriteErrorLog(std::string("CZJScriptManager::CheckObject Error on id=") + name);
        throw;
    }
}

// The item a thing carries, by its name, and the thing's kind for it.
void ThingItem(CTheThing& thing, const char* name, int32_t count)
{
    const int amount = std::atoi(name);
    if (amount > 0) {
        thing.kind = 515;
        thing.AddItem(3, "", uint32_t(amount));
        return;
    }
    uint32_t itemKind = 2;
    if (g_MissileManager.GetRowNames().Find(name) >= 0)
        itemKind = 0;
    else if (const int good = g_GoodsManager.GetRowNames().Find(name); good >= 0)
        itemKind = g_GoodsManager.GetDesc(good).noTrade ? 1 : 0;
    thing.kind = itemKind == 2 ? 257 : itemKind == 1 ? 514 : 513;
    thing.AddItem(itemKind, name, uint32_t(std::max(count, 0)));
}

} // namespace

bool script_commands::AddObject(M& m, Args& a)
{
    const char* name = Arg(a, 0);
    const int32_t count = Count(a);
    if (count == 0)
        WriteErrorLog("CZJScriptManager::AddObject invalid number of objects");
    m.AddOutput(name, SScriptOutput::ObjectGiven, count);
    if (PlayerFerrovant)
        GiveObject(*PlayerFerrovant, name, count);
    return true;
}

bool script_commands::RemoveObject(M& m, Args& a)
{
    const char* name = Arg(a, 0);
    const int32_t count = Count(a);
    if (count == 0)
        WriteErrorLog("CZJScriptManager::RemoveObject invalid number of objects");
    if (!PlayerFerrovant)
        return true;
    CFerrovant& player = *PlayerFerrovant;
    if (std::strcmp(name, "FERROVANT") == 0) {
        player.DeliverCapturedMachines();
        return true;
    }
    if (!player.cargo.HasCaptured(name, 1)) {
        if (const int org = CapturingOrganisation(name); org >= 0) {
            player.RemoveCapturedMachines(org, uint32_t(count < 0 ? 0 : count));
            return true;
        }
        m.AddOutput(name, SScriptOutput::ObjectTaken, count);
    }
    player.cargo.RemoveGoods(name, count);
    return true;
}

bool script_commands::PlayerHas(M&, Args& a)
{
    return CheckObject(Arg(a, 0), Count(a));
}

bool script_commands::AddBalance(M& m, Args& a)
{
    const float amount = ArgFloat(a, 0);
    m.AddBalance(amount, amount > 0.0f ? 0 : -1);
    return true;
}

bool script_commands::AddRating(M& m, Args& a)
{
    const float amount = ArgFloat(a, 0);
    m.AddRating(amount, amount > 0.0f ? 0 : -1);
    return true;
}

bool script_commands::MoreBalance(M&, Args& a)
{
    return PlayerFerrovant && PlayerFerrovant->cargo.bulkAmount >= ArgFloat(a, 0);
}

bool script_commands::DamagedHigh(M&, Args&)
{
    return PlayerFerrovant && PlayerFerrovant->IsBadlyDamaged();
}

bool script_commands::DamagedLow(M&, Args&)
{
    return PlayerFerrovant && PlayerFerrovant->IsCritical();
}

bool script_commands::IsGlider(M&, Args& a)
{
    if (!PlayerFerrovant)
        return false;
    // The type name "<any>_<second>_<third>...".
    const int row = PlayerFerrovant->hull.index;
    const std::string type = row >= 0 ? g_GliderManager.GetRowNames().GetString(row) : "";
    std::string parts[2];
    const std::size_t first = type.find('_');
    if (first != std::string::npos) {
        const std::size_t second = type.find('_', first + 1);
        parts[0]
            = type.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
        if (second != std::string::npos)
            parts[1] = type.substr(second + 1, type.find('_', second + 1) - second - 1);
    }
    const std::string against[3]
        = { parts[0], parts[0].empty() ? std::string() : parts[0].substr(1), parts[1] };
    for (int i = 0; i < 3; ++i) {
        const std::string_view given = Arg(a, i);
        if (i >= a.Count() || given == "*")
            continue;
        if (std::string_view(against[i]).substr(0, given.size()) != given)
            return false;
    }
    return true;
}

bool script_commands::ShowObjectAtPos(M&, Args& a)
{
    const char* point = Arg(a, 1);
    const CHelperPoint* pointer = ObjectList.FindHelperPoint(MakeNameKey32(point));
    if (!pointer) {
        WriteErrorLog(std::string("Pointer '") + point + "' not found");
        return true;
    }
    const Vec3 at = pointer->transform.position;
    float placement[16] = { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0 };
    placement[12] = at.x + RandRange(40.0f) - 20.0f;
    placement[13] = at.y + RandRange(40.0f) - 20.0f;
    placement[14] = Location.GetHeightAt(Vec3 { placement[12], placement[13], at.z }, false) + 1.0f;
    placement[15] = 1.0f;
    auto* thing = new CTheThing;
    ThingItem(*thing, Arg(a, 0), a.Count() > 2 ? ArgInt(a, 2) : 1);
    thing->Init(placement, thing->kind);
    ObjectList.AddObject(thing);
    thing->visible = 1;
    return true;
}
