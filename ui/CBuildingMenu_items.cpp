// The workshop's item commands: repairing, reloading and selling the own vehicle's parts, guns,
// devices and ammunition, and exchanging or buying the building's offers. Each command acts only
// where the item data page of its entry shows the line whose link sends it, at the page's price.
#include "ai/CFerrovant.h"
#include "foundation/CallTrace.h"
#include "script/CZJScriptManager.h"
#include "ui/CBuildingMenu.h"
#include "ui/CMenuListEntry.h"
#include "ui/ItemPage.h"
#include "world/db/CEquipmentManager.h"
#include "world/db/CGliderManager.h"
#include "world/db/CGunManager.h"
#include "world/db/CMissileManager.h"
#include "world/objects/CGliderObject.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>

namespace {

constexpr const char* kNoMoney = "SND_INT_NO_MONEY";
constexpr int32_t kAmmoPack = 10;
constexpr int32_t kAmmoKind = 3; // the account kind of ammunition; other items book as 2
constexpr int32_t kItemKind = 2;
constexpr int32_t kRepairKind = 0;
// The colours of a repaired entry: normal, hover, pressed, selected.
constexpr uint32_t kRepairedColours[] = { 0x80FFFFFF, 0xFFFFFFFF, 0xFF8080FF, 0xFF80B0FF };

// The slot an item of the glider, weapon, equipment or ammunition table takes.
enum class Slot : uint8_t { None, Hull, LightGun, HeavyGun, Reactor, Shield, Armour, Engine, Device, Ammo };

// Equipment rows by their TYPE: 1 reactor, 2 shield, 3 armour, 4 engine, others devices.
constexpr Slot kEquipmentSlots[] = { Slot::Device, Slot::Reactor, Slot::Shield, Slot::Armour, Slot::Engine };

Slot SlotOf(const char* key, int32_t& row)
{
    if ((row = g_GliderManager.FindRow(key)) >= 0)
        return Slot::Hull;
    if ((row = g_GunManager.FindRow(key)) >= 0) {
        const int32_t weaponClass = g_GunManager.GetGun(row).weaponClass;
        return weaponClass == 0 ? Slot::LightGun : weaponClass == 1 ? Slot::HeavyGun : Slot::None;
    }
    if ((row = g_EquipmentManager.FindRow(key)) >= 0) {
        const int32_t type = g_EquipmentManager.GetEquipment(row).equipmentClass;
        return type >= 1 && type < int32_t(std::size(kEquipmentSlots)) ? kEquipmentSlots[type] : Slot::Device;
    }
    if ((row = g_MissileManager.FindRow(key)) >= 0)
        return Slot::Ammo;
    return Slot::None;
}

// Whether the page shows the text of that key (the line that holds the command's link).
bool Shows(const SItemPage& page, const char* key)
{
    for (const SItemLine& line : page.lines)
        for (int32_t p = 0; p < line.partCount; ++p)
            if (std::strcmp(line.parts[p].key, key) == 0)
                return true;
    return false;
}

int32_t WholeMoney()
{
    return int32_t(PlayerFerrovant->cargo.bulkAmount);
}

void Pay(float amount, int32_t kind)
{
    g_pScriptManager->AddBalance(-amount, kind);
}

SItemRecord& GunRecord(CFerrovant& machine, bool light)
{
    return light ? machine.config.lightGun : machine.config.heavyGun;
}

void SetGun(CFerrovant& machine, bool light, int32_t row)
{
    SItemRecord& record = GunRecord(machine, light);
    record = {};
    record.words[0] = uint32_t(row);
}

void ClearWear(CEquipment& part)
{
    part.wear = 0.0f;
    part.hit = 0;
    part.destroyed = 0;
}

// The own part a vehicle list entry shows; null for guns, ammunition and empty entries.
CEquipment* PartOf(CFerrovant& machine, uint32_t code)
{
    switch (code) {
    case CMainMenu::kPartHull:
        return &machine.hull;
    case CMainMenu::kPartReactor:
        return &machine.reactor;
    case CMainMenu::kPartEngine:
        return &machine.engine;
    case CMainMenu::kPartArmour:
        return &machine.armour;
    case CMainMenu::kPartShield:
        return &machine.shield;
    default:
        break;
    }
    if (code >= CMainMenu::kPartMounted && code < CMainMenu::kPartMounted + uint32_t(machine.MountedCount()))
        return &machine.Mounted(int(code - CMainMenu::kPartMounted));
    return nullptr;
}

// The stock of that ammunition row, or the next free one; -1 when the ten stocks are taken.
int32_t StockFor(const CFerrovant& machine, int32_t row)
{
    const int32_t count = std::clamp(machine.ammoCount, 0, CFerrovant::kMaxAmmo);
    for (int32_t i = 0; i < count; ++i)
        if (machine.ammo[i].index == row)
            return i;
    return count < CFerrovant::kMaxAmmo ? count : -1;
}

} // namespace

const CMenuListEntry* CBuildingMenu::WorkshopEntry(bool left) const
{
    if (page != kPageWorkshop || !PlayerFerrovant || !g_pScriptManager)
        return nullptr;
    const MenuList& list = left ? leftList : rightList;
    const int32_t index = left ? selectedLeft : selectedRight;
    if (index < 0 || index >= list.Count() || list.At(index)->IsHeader())
        return nullptr;
    return list.At(index);
}

void CBuildingMenu::Reequip()
{
    PlayerFerrovant->UpdateEquipment();
    if (CGliderObject* glider = PlayerFerrovant->glider)
        glider->SyncEquipment();
}

void CBuildingMenu::RefreshAndReselect(bool left)
{
    const int32_t index = left ? selectedLeft : selectedRight;
    OnChangeLeftPanel();
    ResetTextPanel();
    const MenuList& list = left ? leftList : rightList;
    if (index >= 0 && index < list.Count() && !list.At(index)->IsHeader()) {
        if (left)
            SelectLeftList(index);
        else
            SelectRightList(index);
        return;
    }
    SelectFirstEntry(left, false);
}

void CBuildingMenu::ClearDamageState()
{
    CGliderObject* glider = PlayerFerrovant ? PlayerFerrovant->glider : nullptr;
    if (!glider)
        return;
    std::fill(std::begin(glider->partDamage), std::end(glider->partDamage), 0.0f);
    glider->burningPoints = 0;
    glider->nozzleDamage = 0;
}

void CBuildingMenu::RepairItem()
{
    ZJ_TRACE("CBuildingMenu::RepairItem");
    const CMenuListEntry* entry = WorkshopEntry(true);
    CEquipment* part = entry ? PartOf(*PlayerFerrovant, entry->value) : nullptr;
    if (!part)
        return;
    const SItemPage offer = ItemPageOf(entry->key, true, true);
    if (!Shows(offer, "INT_NEED_REPAIR"))
        return;
    offerCost = offer.offerCost;
    if (offerCost > WholeMoney()) {
        CMenuControl::PlaySound(kNoMoney);
        return;
    }
    CMenuControl::PlaySound("SND_INT_RAPAIR");
    Pay(float(offerCost), kRepairKind);
    CFerrovant& machine = *PlayerFerrovant;
    ClearWear(*part);
    if (part == &machine.hull)
        ClearDamageState();
    if (part == &machine.armour)
        machine.armourLevel = machine.armour.Maximum();
    const int32_t index = selectedLeft;
    RefreshAndReselect(true);
    if (index >= 0 && index < leftList.Count())
        leftList.At(index)->SetColours(kRepairedColours);
}

void CBuildingMenu::ReloadItem()
{
    ZJ_TRACE("CBuildingMenu::ReloadItem");
    const CMenuListEntry* entry = WorkshopEntry(true);
    if (!entry || (entry->value != kPartLightGun && entry->value != kPartHeavyGun))
        return;
    const SItemPage offer = ItemPageOf(entry->key, true, true);
    if (!Shows(offer, "INT_GUN_SHELL_RESTORE"))
        return;
    offerCost = offer.offerCost;
    if (offerCost > WholeMoney()) {
        CMenuControl::PlaySound(kNoMoney);
        return;
    }
    Pay(float(offerCost), kAmmoKind);
    if (CGliderObject* glider = PlayerFerrovant->glider) {
        CGun& gun
            = glider
                  ->guns[entry->value == kPartLightGun ? CGliderObject::kLightGun : CGliderObject::kHeavyGun];
        if (gun.desc)
            gun.ammo = gun.desc->ammoCapacity;
    }
    RefreshAndReselect(true);
}

void CBuildingMenu::SellItem()
{
    ZJ_TRACE("CBuildingMenu::SellItem");
    const CMenuListEntry* entry = WorkshopEntry(true);
    if (!entry)
        return;
    const SItemPage offer = ItemPageOf(entry->key, true, true);
    // An item of the no-sale kind sells for nothing: it stays.
    if (!Shows(offer, "INT_UPGRADE_SELL") || offer.offerPrice <= 0.0f) {
        CMenuControl::PlaySound(kNoMoney);
        return;
    }
    CFerrovant& machine = *PlayerFerrovant;
    const uint32_t code = entry->value;
    const uint32_t params[7] = {};
    const bool ammo = code >= kPartAmmo
        && code < kPartAmmo + uint32_t(std::clamp(machine.ammoCount, 0, CFerrovant::kMaxAmmo));
    const bool mounted = code >= kPartMounted && code < kPartMounted + uint32_t(machine.MountedCount());
    if (!ammo && !mounted && code != kPartShield && code != kPartArmour && code != kPartLightGun
        && code != kPartHeavyGun)
        return;
    offerPrice = offer.offerPrice;
    g_pScriptManager->AddBalance(offerPrice, ammo ? kAmmoKind : kItemKind);
    if (ammo) {
        const int32_t stock = int32_t(code - kPartAmmo);
        if (--machine.ammo[stock].count <= 0) {
            std::copy(machine.ammo + stock + 1, machine.ammo + machine.ammoCount, machine.ammo + stock);
            --machine.ammoCount;
        }
    } else if (mounted) {
        const int32_t item = int32_t(code - kPartMounted);
        std::move(machine.mounted + item + 1, machine.mounted + machine.mountedCount, machine.mounted + item);
        machine.mounted[--machine.mountedCount].reset();
    } else if (code == kPartShield) {
        machine.shield.Set(-1, params);
        machine.shieldLevel = 0.0f;
    } else if (code == kPartArmour) {
        machine.armour.Set(-1, params);
        machine.armourLevel = 0.0f;
    } else {
        SetGun(machine, code == kPartLightGun, -1);
    }
    Reequip();
    RefreshAndReselect(true);
}

void CBuildingMenu::ChangeItem()
{
    ZJ_TRACE("CBuildingMenu::ChangeItem");
    const CMenuListEntry* entry = WorkshopEntry(false);
    if (!entry)
        return;
    const SItemPage offer = ItemPageOf(entry->key, false, true);
    int32_t row = -1;
    const Slot slot = SlotOf(entry->key, row);
    if (entry->flag == kLockedEntry || !Shows(offer, "INT_UPGRADE_CHANGE") || slot == Slot::None
        || slot == Slot::Device || slot == Slot::Ammo) {
        CMenuControl::PlaySound(kNoMoney);
        return;
    }
    offerPrice = offer.offerPrice;
    const int32_t price = int32_t(offerPrice);
    if (price > WholeMoney()) {
        CMenuControl::PlaySound(kNoMoney);
        return;
    }
    Pay(float(price), kItemKind);
    CFerrovant& machine = *PlayerFerrovant;
    const uint32_t params[7] = {};
    switch (slot) {
    case Slot::Hull:
        machine.hull.Set(row, params);
        break;
    case Slot::LightGun:
    case Slot::HeavyGun:
        SetGun(machine, slot == Slot::LightGun, row);
        break;
    case Slot::Reactor:
        machine.reactor.Set(row, params);
        break;
    case Slot::Engine:
        machine.engine.Set(row, params);
        break;
    case Slot::Shield:
        machine.shield.Set(row, params);
        machine.shieldLevel = std::min(machine.shieldLevel, machine.shield.Maximum());
        break;
    case Slot::Armour:
        machine.armour.Set(row, params);
        machine.armourLevel = machine.armour.Maximum();
        break;
    default:
        break;
    }
    Reequip();
    ResetTextPanel();
    OnChangeRightPanel();
    OnChangeLeftPanel();
    SelectFirstEntry(true, false);
}

void CBuildingMenu::BuyItem(bool tenUnits)
{
    ZJ_TRACE("CBuildingMenu::BuyItem");
    const CMenuListEntry* entry = WorkshopEntry(false);
    if (!entry)
        return;
    const SItemPage offer = ItemPageOf(entry->key, false, true);
    int32_t row = -1;
    const Slot slot = SlotOf(entry->key, row);
    CFerrovant& machine = *PlayerFerrovant;
    const int32_t units = slot == Slot::Ammo && tenUnits ? kAmmoPack : 1;
    const float carried = machine.GetTotalWeight() + machine.GetGoodsWeight();
    // The slot must be free: a gun mount, the shield or armour, room among the mounted items or
    // the ammunition stocks.
    bool room = false;
    switch (slot) {
    case Slot::LightGun:
    case Slot::HeavyGun:
        room = int32_t(GunRecord(machine, slot == Slot::LightGun).words[0]) < 0;
        break;
    case Slot::Shield:
        room = machine.shield.index == -1;
        break;
    case Slot::Armour:
        room = machine.armour.index == -1;
        break;
    case Slot::Device:
        room = machine.MountedCount() < CFerrovant::kMaxMounted;
        break;
    case Slot::Ammo:
        room = StockFor(machine, row) >= 0;
        break;
    default:
        break;
    }
    offerPrice = offer.offerPrice * float(units);
    if (entry->flag == kLockedEntry || !Shows(offer, "INT_UPGRADE_BUY") || !room
        || !LoadAllows(float(units) * offer.offerWeight, carried, LoadCapacity())
        || int32_t(offerPrice) > WholeMoney()) {
        CMenuControl::PlaySound(kNoMoney);
        return;
    }
    Pay(float(int32_t(offerPrice)), slot == Slot::Ammo ? kAmmoKind : kItemKind);
    const uint32_t params[7] = {};
    switch (slot) {
    case Slot::LightGun:
    case Slot::HeavyGun:
        SetGun(machine, slot == Slot::LightGun, row);
        break;
    case Slot::Shield:
        machine.shield.Set(row, params);
        break;
    case Slot::Armour:
        machine.armour.Set(row, params);
        machine.armourLevel = machine.armour.Maximum();
        break;
    case Slot::Device: {
        auto item = std::make_unique<CEquipment>();
        item->Set(row, params);
        machine.mounted[machine.mountedCount++] = std::move(item);
        break;
    }
    default: {
        const int32_t stock = StockFor(machine, row);
        if (stock == machine.ammoCount)
            machine.ammo[machine.ammoCount++] = AmmoStock { row, {}, 0 };
        machine.ammo[stock].count += units;
        break;
    }
    }
    Reequip();
    RefreshAndReselect(false);
}
