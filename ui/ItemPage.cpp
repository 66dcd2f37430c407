#include "ui/ItemPage.h"

#include "ai/CFerrovant.h"
#include "world/db/CEquipmentManager.h"
#include "world/db/CExploManager.h"
#include "world/db/CGliderManager.h"
#include "world/db/CGunManager.h"
#include "world/db/CMissileManager.h"
#include "world/objects/CGliderObject.h"

#include <cmath>
#include <cstring>

namespace {

enum class Kind : uint8_t { Glider, LightGun, HeavyGun, Reactor, Engine, Shield, Armour, Device, Ammo };

enum class Repair : uint8_t { None, Wear, Armour };
enum class Gate : uint8_t { None, Above, SetAndAbove };

// Prices by kind: the share of the fitted item's price a change takes off (0: no change price),
// whether the whole difference is cut (else only the share), whether the change price is worked
// out only for a shop's offer, the repair cost, the STANDARD that zeroes an offer's price, and
// whether the row's no-sale flag zeroes the sell price.
struct SPriceRow {
    float changeShare;
    bool wholeDifference;
    bool changeInShopOnly;
    Repair repair;
    Gate gate;
    bool noSaleFlag;
};
constexpr SPriceRow kPriceRows[] = {
    { 0.75f, false, true, Repair::Wear, Gate::None, false }, // glider type
    { 0.9f, false, true, Repair::None, Gate::Above, false }, // light gun
    { 0.9f, true, true, Repair::None, Gate::Above, false }, // heavy gun and other weapons
    { 0.75f, true, false, Repair::Wear, Gate::None, true }, // reactor
    { 0.75f, true, false, Repair::Wear, Gate::None, true }, // engine
    { 0.9f, true, false, Repair::Wear, Gate::None, true }, // shield
    { 0.5f, true, false, Repair::Armour, Gate::None, true }, // armour
    { 0.0f, true, false, Repair::Wear, Gate::None, true }, // other equipment
    { 0.0f, true, false, Repair::None, Gate::SetAndAbove, false }, // ammunition
};

constexpr float kSellShare = 0.75f;
constexpr float kArmourRepairShare = 0.125f;
constexpr float kReloadShare = 0.01f;
constexpr float kNetworkAmmoFactor = 5.0f;

// The class letters at character 7 of a key (8 after a "P").
constexpr struct {
    char letter;
    const char* key;
} kClasses[] = { { 'A', "INT_GL_TYPE_A" }, { 'B', "INT_GL_TYPE_B" }, { 'C', "INT_GL_TYPE_C" },
    { 'S', "INT_GL_TYPE_S" } };

float Whole(float x)
{
    return std::trunc(x);
}

struct SValues {
    float protection = 0.0f;
    float regeneration = 0.0f;
    float hitLimit = 0.0f;
    float wear = 0.0f;
    float damage = 0.0f;
    float exploDamage = 0.0f;
    float exploRadius = 0.0f;
    float damageRate = 0.0f;
    float fireRate = 0.0f;
    int32_t gunType = 0;
    float shells = 0.0f;
    float shells2 = 0.0f;
    float currentShells = 0.0f;
    int32_t standard = 0;
    float weight = 0.0f;
    float load = 0.0f;
    float power = 0.0f;
    float powerAdd = 0.0f;
    float traction = 0.0f;
    const char* classKey = nullptr;
    bool weapon = false;
    bool lightWeapon = false;
};

// What the page is built from: the kind, the values, prices and marks.
struct SItem {
    Kind kind = Kind::Glider;
    int32_t row = -1;
    SValues v;
    float price = 0.0f;
    float sell = 0.0f;
    float change = 0.0f;
    float repair = 0.0f;
    float fittedPrice = 0.0f;
    bool ownsSlot = false;
    bool tradeAllowed = true;
    bool changeWorkedOut = true;
    int32_t itemStandard = 0; // the STANDARD the offer's price is gated by
    uint8_t noSale = 0;
};

int32_t GunOn(const CFerrovant& machine, bool light)
{
    return int32_t((light ? machine.config.lightGun : machine.config.heavyGun).words[0]);
}

float GunPrice(int32_t row)
{
    return row >= 0 && row < g_GunManager.GunCount() ? g_GunManager.GetGun(row).price : 0.0f;
}

float EquipmentPrice(const CEquipment& part)
{
    return part.row ? part.row->price : 0.0f;
}

int32_t GliderStandard(const CFerrovant& machine)
{
    return machine.hull.type ? machine.hull.type->standard : 0;
}

bool CarriesGun(const CFerrovant& machine, bool light)
{
    if (!machine.hull.type)
        return false;
    return (light ? machine.hull.type->specialB : machine.hull.type->specialA) != 0;
}

// The wear of the player's item of that equipment row: a built-in part or a mounted item.
float ItemWear(const CFerrovant& machine, int32_t row)
{
    for (const CEquipment* part : machine.Parts())
        if (part->index == row && part != &machine.hull)
            return part->wear;
    for (int i = 0; i < machine.MountedCount(); ++i)
        if (machine.Mounted(i).index == row)
            return machine.Mounted(i).wear;
    return 0.0f;
}

bool CarriesItem(const CFerrovant& machine, int32_t row)
{
    for (int i = 0; i < machine.MountedCount(); ++i)
        if (machine.Mounted(i).index == row)
            return true;
    return false;
}

const char* ClassKey(const char* key)
{
    const size_t length = std::strlen(key);
    if (length < 7)
        return nullptr;
    char letter = key[6];
    if (letter == 'P')
        letter = length >= 8 ? key[7] : 0;
    for (const auto& c : kClasses)
        if (c.letter == letter)
            return c.key;
    return nullptr;
}

void FillGlider(SItem& item, const char* key, bool own, bool inShop, const CFerrovant& machine)
{
    const SGliderType& row = g_GliderManager.GetDesc(item.row);
    item.v.protection = row.damage;
    if (own)
        item.v.wear = machine.hull.wear;
    item.v.standard = row.standard;
    item.v.weight = row.weight;
    item.v.load = row.maxWeight - row.weight;
    item.v.classKey = ClassKey(key);
    item.fittedPrice = machine.hull.type ? machine.hull.type->price : 0.0f;
    item.ownsSlot = inShop && !own;
    item.tradeAllowed = !own && machine.hull.index != item.row;
}

void FillWeapon(SItem& item, bool own, bool inShop, const CFerrovant& machine)
{
    const SGunType& row = g_GunManager.GetGun(item.row);
    const bool light = row.weaponClass == 0;
    item.kind = light ? Kind::LightGun : Kind::HeavyGun;
    item.v.weapon = true;
    item.v.lightWeapon = light;
    item.v.standard = row.standard;
    item.v.weight = row.mass;
    item.itemStandard = row.standard;
    if (row.weaponClass == 0 || row.weaponClass == 1) {
        item.v.damage = row.damage;
        item.v.damageRate = row.damage * row.rateOfFire;
        item.v.fireRate = row.rateOfFire * 60.0f;
        item.v.gunType = row.usesAmmo ? 2 : 1;
        if (row.usesAmmo) {
            item.v.shells = Whole(row.ammoCapacity);
            item.v.shells2 = Whole(row.reloadRate * 60.0f);
        }
        item.v.power = row.power;
        if (own) {
            const CGliderObject* glider = machine.glider;
            const CGun* gun = glider ? &glider->guns[light ? 0 : 1] : nullptr;
            item.v.currentShells = Whole(gun && gun->desc ? gun->ammo : item.v.shells);
        }
    }
    const int32_t mounted = GunOn(machine, light);
    item.fittedPrice = GunPrice(mounted);
    const int32_t gliderRow = machine.hull.index;
    const bool standardFits = gliderRow >= 0 && g_GliderManager.CheckStandard(gliderRow, light ? 0 : 1);
    item.ownsSlot = mounted >= 0 && (own || standardFits);
    if (!own) {
        if (!CarriesGun(machine, light))
            item.tradeAllowed = false;
        if (!standardFits) {
            item.tradeAllowed = false;
            item.changeWorkedOut = false;
        }
        if (inShop && mounted == item.row)
            item.tradeAllowed = false;
    }
}

void FillEquipment(SItem& item, bool own, bool inShop, const CFerrovant& machine)
{
    const SEquipmentType& row = g_EquipmentManager.GetEquipment(item.row);
    static constexpr Kind kBySlot[]
        = { Kind::Device, Kind::Reactor, Kind::Shield, Kind::Armour, Kind::Engine };
    item.kind
        = row.equipmentClass >= 1 && row.equipmentClass <= 4 ? kBySlot[row.equipmentClass] : Kind::Device;
    item.v.standard = row.standard;
    item.v.weight = row.weight;
    item.v.power = row.power;
    item.noSale = row.noTrade;
    const CEquipment* fitted = nullptr;
    switch (item.kind) {
    case Kind::Reactor:
    case Kind::Engine:
        fitted = item.kind == Kind::Reactor ? &machine.reactor : &machine.engine;
        item.v.protection = row.damageCapacity;
        (item.kind == Kind::Reactor ? item.v.powerAdd : item.v.traction) = row.value1;
        item.ownsSlot = true;
        item.tradeAllowed = !own && !(inShop && fitted->index == item.row);
        break;
    case Kind::Shield:
    case Kind::Armour:
        fitted = item.kind == Kind::Shield ? &machine.shield : &machine.armour;
        item.v.protection = row.value1;
        item.v.regeneration = row.value3;
        if (item.kind == Kind::Shield)
            item.v.hitLimit = row.value2;
        item.ownsSlot = fitted->index != -1;
        item.tradeAllowed = own || !(inShop && fitted->index == item.row);
        break;
    default:
        item.v.protection = row.damageCapacity;
        item.tradeAllowed = own || !inShop || !CarriesItem(machine, item.row);
        break;
    }
    if (fitted)
        item.fittedPrice = EquipmentPrice(*fitted);
    if (own)
        item.v.wear = item.kind == Kind::Armour ? (1.0f - machine.GetArmorLevel(0)) * row.value1
                                                : ItemWear(machine, item.row);
}

void FillAmmunition(SItem& item)
{
    const SMissileType& row = g_MissileManager.GetDesc(item.row);
    item.kind = Kind::Ammo;
    item.v.weight = row.weight;
    item.itemStandard = row.standard;
    item.v.damage = row.damage;
    const int32_t explosion = row.explosion.Index();
    if (explosion >= 0) {
        item.v.exploDamage = g_ExploManager.GetDesc(explosion).damage;
        item.v.exploRadius = g_ExploManager.GetDesc(explosion).radius;
    }
    const int32_t sub = row.subMissile.Index();
    if (sub >= 0) {
        item.v.damage *= float(row.numState);
        const int32_t subExplosion = g_MissileManager.GetDesc(sub).explosion.Index();
        item.v.exploRadius = 0.0f;
        if (subExplosion >= 0) {
            item.v.exploDamage += float(row.numState) * g_ExploManager.GetDesc(subExplosion).damage;
            item.v.exploRadius = g_ExploManager.GetDesc(subExplosion).radius;
        }
    }
}

enum class Table : uint8_t { None, Glider, Weapon, Equipment, Ammo };

// Finds the key in the glider, weapon, equipment and ammunition tables, in that order.
Table FindItem(const char* key, int32_t& row, int32_t& model, float& price)
{
    if ((row = g_GliderManager.FindRow(key)) >= 0) {
        model = g_GliderManager.GetDesc(row).model.Index();
        price = g_GliderManager.GetDesc(row).price;
        return Table::Glider;
    }
    if ((row = g_GunManager.FindRow(key)) >= 0) {
        model = g_GunManager.GetGun(row).model.Index();
        price = g_GunManager.GetGun(row).price;
        return Table::Weapon;
    }
    if ((row = g_EquipmentManager.FindRow(key)) >= 0) {
        model = g_EquipmentManager.GetEquipment(row).model.Index();
        price = g_EquipmentManager.GetEquipment(row).price;
        return Table::Equipment;
    }
    if ((row = g_MissileManager.FindRow(key)) >= 0) {
        model = g_MissileManager.GetDesc(row).model.Index();
        price = g_MissileManager.GetDesc(row).price;
        return Table::Ammo;
    }
    return Table::None;
}

void SetPrices(SItem& item, bool own, bool inShop, const SItemPricing& pricing, const CFerrovant& machine)
{
    const SPriceRow& rule = kPriceRows[size_t(item.kind)];
    item.sell = Whole(item.price * kSellShare + 1.0f);
    if (rule.noSaleFlag && item.noSale)
        item.sell = 0.0f;
    if (item.kind == Kind::Ammo && pricing.network) {
        item.sell = Whole(std::sqrt(kNetworkAmmoFactor * item.sell) * item.sell);
        item.price = Whole(std::sqrt(kNetworkAmmoFactor * item.price) * item.price);
    }
    const bool workChange
        = rule.changeShare > 0.0f && item.changeWorkedOut && (!rule.changeInShopOnly || (inShop && !own));
    if (workChange)
        item.change = rule.wholeDifference ? Whole(item.price - rule.changeShare * item.fittedPrice)
                                           : item.price - Whole(rule.changeShare * item.fittedPrice);
    switch (rule.repair) {
    case Repair::Wear: {
        const float maximumWear = item.kind == Kind::Glider
            ? g_GliderManager.GetDesc(item.row).damage
            : g_EquipmentManager.GetEquipment(item.row).damageCapacity;
        if (own && inShop && maximumWear != 0.0f)
            item.repair
                = pricing.orgRepairFactor / maximumWear * pricing.repairFactor * item.price * item.v.wear;
        break;
    }
    case Repair::Armour:
        if (own && item.v.protection != 0.0f)
            item.repair = pricing.orgRepairFactor / item.v.protection * pricing.repairFactor * item.price
                * item.v.wear * kArmourRepairShare;
        break;
    case Repair::None:
        break;
    }
    const int32_t gliderStandard = GliderStandard(machine);
    const bool gated = (rule.gate == Gate::Above && item.itemStandard > gliderStandard)
        || (rule.gate == Gate::SetAndAbove && item.itemStandard != 0 && item.itemStandard > gliderStandard);
    // An offer the glider cannot take has no price, nor a change price.
    if (!own && gated) {
        item.price = 0.0f;
        item.change = 0.0f;
    }
}

int64_t Int(float x)
{
    return int64_t(Whole(x));
}

SItemText Text(const char* key)
{
    return SItemText { key, {}, 0 };
}

SItemText Text(const char* key, float a)
{
    return SItemText { key, { Int(a) }, 1 };
}

SItemText Text(const char* key, float a, float b)
{
    return SItemText { key, { Int(a), Int(b) }, 2 };
}

void Add(SItemPage& page, const SItemText& first)
{
    SItemLine line;
    line.parts[0] = first;
    line.partCount = 1;
    page.lines.push_back(line);
}

void Add(SItemPage& page, const SItemText& first, const SItemText& second)
{
    Add(page, first);
    page.lines.back().parts[1] = second;
    page.lines.back().partCount = 2;
}

void AddLine(SItemPage& page, const SItemText& first, bool withSecond, const SItemText& second)
{
    if (withSecond)
        Add(page, first, second);
    else
        Add(page, first);
}

void BuildLines(SItemPage& page, SItem& item, bool own, bool inShop, const SItemPricing& pricing)
{
    const SValues& v = item.v;
    if (item.price > 0.0f) {
        if (inShop && !own && item.tradeAllowed)
            Add(page,
                item.ownsSlot ? Text("INT_UPGRADE_CHANGE", item.price, item.change)
                              : Text("INT_UPGRADE_BUY", item.price));
        else if (own && inShop && item.tradeAllowed)
            Add(page, Text("INT_UPGRADE_SELL", item.price, item.sell));
        else
            Add(page, Text("INT_UPGRADE_PRICE", item.price));
    } else if (!own) {
        Add(page, Text("INT_UPGRADE_FAIL"));
    }
    if (v.protection > 0.0f) {
        const SItemText first = v.regeneration > 0.0f ? Text("INT_SHIELDR_IS", v.protection, v.regeneration)
                                                      : Text("INT_SHIELD_IS", v.protection);
        const float percent = Whole(v.wear / v.protection * 99.0f + 1.0f);
        AddLine(page, first, v.wear > 0.0f,
            item.repair > 0.0f && inShop ? Text("INT_NEED_REPAIR", percent, Whole(item.repair + 1.0f))
                                         : Text("INT_DAMAGE_IS", percent));
        if (v.hitLimit > 0.0f)
            Add(page, Text("INT_DAMAGE_GET_IS", v.hitLimit));
    }
    if (v.damage > 0.0f || v.damageRate > 0.0f) {
        if (v.exploRadius != 0.0f)
            Add(page, Text("INT_EXP_RADIUS", v.exploRadius));
        Add(page,
            v.exploDamage > 0.0f ? Text("INT_GUN_DAMAGE2", v.damage, v.exploDamage)
                                 : Text("INT_GUN_DAMAGE", v.damage));
        if (v.fireRate > 0.0f)
            Add(page, Text("INT_FIRERATE_IS", v.fireRate));
        if (v.gunType > 0)
            Add(page, Text(v.gunType == 1 ? "INT_GUNTYPE_1" : "INT_GUNTYPE_2"));
        if (v.shells > 0.0f) {
            const SItemText first = v.shells2 > 0.0f ? Text("INT_GUN_SHELL2", v.shells, v.shells2)
                                                     : Text("INT_GUN_SHELL", v.shells);
            const bool reload = own && inShop && v.currentShells < v.shells;
            const float reloadCost = item.price * pricing.ammoFactor * kReloadShare + 1.0f;
            AddLine(page, first, reload, Text("INT_GUN_SHELL_RESTORE", v.currentShells, reloadCost));
            if (reload)
                item.repair = reloadCost;
        }
    }
    if (v.standard > 0)
        AddLine(page, Text("INT_STANDARD_IS", float(v.standard)), v.weapon,
            Text(v.lightWeapon ? "INT_GUN_LIGHT" : "INT_GUN_HEAVY"));
    if (v.weight > 0.0f)
        Add(page, v.load > 0.0f ? Text("INT_NETTO_IS", v.weight, v.load) : Text("INT_WEIGHT_IS", v.weight));
    if (v.power > 0.0f)
        Add(page, Text("INT_POWER_IS", v.power));
    if (v.powerAdd > 0.0f)
        Add(page, Text("INT_POWER_ADD_IS", v.powerAdd));
    if (v.traction > 0.0f)
        Add(page, Text("INT_TRACTOR_IS", Whole(v.traction * 0.001f)));
    if (v.classKey)
        Add(page, Text(v.classKey));
}

} // namespace

SItemPage BuildItemPage(
    const char* key, bool own, bool inShop, const SItemPricing& pricing, const CFerrovant& machine)
{
    SItemPage page;
    SItem item;
    float rowPrice = 0.0f;
    const Table table = FindItem(key, item.row, page.model, rowPrice);
    if (table == Table::None)
        return page;
    page.found = true;
    item.price = Whole(rowPrice);
    switch (table) {
    case Table::Glider:
        FillGlider(item, key, own, inShop, machine);
        break;
    case Table::Weapon:
        FillWeapon(item, own, inShop, machine);
        break;
    case Table::Equipment:
        FillEquipment(item, own, inShop, machine);
        break;
    default:
        FillAmmunition(item);
        break;
    }
    SetPrices(item, own, inShop, pricing, machine);
    BuildLines(page, item, own, inShop, pricing);
    page.offerCost = int32_t(Whole(item.repair + 1.0f));
    page.offerPrice = own ? item.sell : item.ownsSlot ? item.change : item.price;
    page.offerWeight = item.kind == Kind::Glider ? 0.0f : item.v.weight;
    return page;
}
