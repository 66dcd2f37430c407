// The vehicle list with the repair-all and reload-all costs, the vehicle's information page and
// the item data page.
#include "ai/CFerrovant.h"
#include "foundation/CallTrace.h"
#include "render/CModelManager.h"
#include "script/CZJScriptManager.h"
#include "ui/CHtmlControl.h"
#include "ui/CMainMenu.h"
#include "ui/CMenuHost.h"
#include "ui/CMenuListEntry.h"
#include "ui/CZJHtmlWindow.h"
#include "ui/ItemPage.h"
#include "ui/TextFormat.h"
#include "world/db/CEquipmentManager.h"
#include "world/db/CGliderManager.h"
#include "world/db/CGunManager.h"
#include "world/db/CMissileManager.h"
#include "world/db/PlayerEquipmentFlags.h"
#include "world/objects/CGliderObject.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr int kMaxListEntries = 100;
constexpr uint32_t kNetworkState = 3;
constexpr const char* kInfoKey = "INT_PMENU_GLIDER_INFO";
constexpr float kArmourRepairShare = 0.125f;
constexpr float kReloadShare = 0.01f;
constexpr int kSpeedSteps = 100;
constexpr float kSpeedStep = 0.1f;
constexpr float kStartSpeed = 100.0f;

// The table text of key formatted with the values; empty when the key is missing.
std::string FormatKeyText(const char* key, std::initializer_list<TextValue> values)
{
    CXAnsiString format;
    if (!g_pScriptManager || !g_pScriptManager->GetText(key, format))
        return {};
    return FormatText(key, format.Text(), values);
}

// The top speed the hull's thrust, times thrustFactor, reaches against the glider type's drag.
float TopSpeed(const CFerrovant& machine, float thrustFactor = 1.0f)
{
    const SGliderType* type = machine.hull.type;
    const float weight = machine.GetSumWeight();
    if (!type || weight <= 0.0f)
        return 0.0f;
    const float f = machine.engine.Maximum() * thrustFactor / weight;
    const float c = type->resFront;
    const float d = type->turbulence;
    float v = kStartSpeed;
    for (int i = 0; i < kSpeedSteps; ++i)
        v = kSpeedStep * 2.0f * f + v / std::exp(kSpeedStep * c * ((d != 0.0f ? v / d : 0.0f) + 1.0f));
    return v;
}

// The armour of the armour part and of the mounted armour items that are not switched off.
float ArmourValue(const CFerrovant& machine)
{
    float armour = machine.armour.Maximum();
    for (int i = 0; i < machine.MountedCount(); ++i) {
        const CEquipment& item = machine.Mounted(i);
        if (item.row && item.row->equipmentClass == 3 && (!item.row->manual || item.active))
            armour += item.Maximum();
    }
    return armour;
}

int64_t Whole(float x)
{
    return int64_t(std::trunc(x));
}

// The equipment bonuses of the information texts: which flag adds what to which text. A mark
// with a fixed text ignores the value.
enum class BonusSlot : uint8_t { Speed, Capacity, Power, Energy, Armour };
enum class BonusValue : uint8_t { SpeedGain, TurnSaving, CapacityShare, PowerShare, Fixed };
struct SBonusRow {
    EquipmentFlag flag;
    BonusSlot slot;
    BonusValue value;
    float share;
    const char* fixed;
};
constexpr SBonusRow kBonusRows[] = {
    { kEqpAccelerator, BonusSlot::Speed, BonusValue::SpeedGain, 1.2f, nullptr },
    { kEqpControlBooster, BonusSlot::Speed, BonusValue::TurnSaving, 1.0f - 2.0f / 3.0f, nullptr },
    { kEqpHiPowerAntigrav, BonusSlot::Capacity, BonusValue::CapacityShare, 0.3f, nullptr },
    { kEqpBooster, BonusSlot::Power, BonusValue::PowerShare, 0.5f, nullptr },
    { kEqpMobilizer, BonusSlot::Power, BonusValue::PowerShare, 0.2f, nullptr },
    { kEqpFuelExpander, BonusSlot::Energy, BonusValue::Fixed, 0.0f, "<color:green> (-20%)<color>" },
    { kEqpDisperseShield, BonusSlot::Armour, BonusValue::Fixed, 0.0f, "<color:green> (+1)<color>" },
    { kEqpDisperseShield, BonusSlot::Armour, BonusValue::Fixed, 0.0f, "<color:green> (+500)<color>" },
};
constexpr const char* kBonusWhole = "<color:green> (+%d)<color>";
constexpr const char* kBonusSeconds = "<color:green> (-%5.2f)<color>";

// The current shells of the gun on a mount, full without a glider object.
bool GunNeedsShells(const CFerrovant& machine, int mount)
{
    const int32_t row = int32_t((mount == 0 ? machine.config.lightGun : machine.config.heavyGun).words[0]);
    if (row < 0 || row >= g_GunManager.GunCount())
        return false;
    const SGunType& gun = g_GunManager.GetGun(row);
    const CGliderObject* glider = machine.glider;
    return gun.usesAmmo && glider && glider->guns[mount].desc && glider->guns[mount].ammo < gun.ammoCapacity;
}

} // namespace

std::vector<SListEntry> CMainMenu::CreateGliderList(bool font)
{
    ZJ_TRACE("CMainMenu::CreateGliderList");
    std::vector<SListEntry> entries(kMaxListEntries);
    int32_t count = 0;
    repairAllCost = 0.0f;
    reloadAllCost = 0.0f;
    const auto add = [&](const char* key, uint32_t kind, int32_t number, uint32_t part = kPartNone) {
        if (count < kMaxListEntries)
            AddListEntry(font, entries.data(), key, count, kind, part, number);
    };
    add(kInfoKey, kEntryOrdinary, 0);
    if (!PlayerFerrovant) {
        entries.resize(size_t(count));
        return entries;
    }
    const CFerrovant& machine = *PlayerFerrovant;

    add("INT_PMENU_GLIDER_GLIDER", kEntryOpenHeader, 0);
    add(g_GliderManager.GetRowNames().GetStringOrDefault(machine.hull.index), kEntryOrdinary, 0, kPartHull);
    const auto addWorn = [&](const CEquipment& part, float price) {
        const float maximum = part.MaximumWear();
        if (part.wear > 0.0f && maximum != 0.0f)
            repairAllCost += price / maximum * orgRepairFactor * repairFactor * part.wear;
    };
    addWorn(machine.hull, machine.hull.type ? machine.hull.type->price : 0.0f);
    const std::pair<const CEquipment*, uint32_t> drives[]
        = { { &machine.reactor, kPartReactor }, { &machine.engine, kPartEngine } };
    for (const auto& [part, code] : drives) {
        add(part->Name(), kEntryOrdinary, 0, code);
        addWorn(*part, part->row ? part->row->price : 0.0f);
    }

    add("INT_PMENU_GLIDER_SHIELD", kEntryOpenHeader, 0);
    if (machine.armour.index == -1)
        add("INT_EMPTY_ARMOR", kEntryOrdinary, 0);
    else
        add(machine.armour.Name(), kEntryOrdinary, 0, kPartArmour);
    const float armourMaximum = machine.armour.Maximum();
    if (machine.armour.row && armourMaximum > 0.0f && machine.armourLevel < armourMaximum)
        repairAllCost += (armourMaximum - machine.armourLevel) * (repairFactor / armourMaximum)
            * machine.armour.row->price * orgRepairFactor * kArmourRepairShare;
    if (machine.shield.index == -1)
        add("INT_EMPTY_SHIELD", kEntryOrdinary, 0);
    else
        add(machine.shield.Name(), kEntryOrdinary, 0, kPartShield);

    add("INT_PMENU_GLIDER_GUN", kEntryOpenHeader, 0);
    static constexpr struct {
        const char* empty;
        bool light;
    } kMounts[] = { { "INT_EMPTY_LIGHT_GUN", true }, { "INT_EMPTY_HEAVY_GUN", false } };
    for (int mount = 0; mount < 2; ++mount) {
        const SItemRecord& gun = kMounts[mount].light ? machine.config.lightGun : machine.config.heavyGun;
        const int32_t row = int32_t(gun.words[0]);
        const SGliderType* type = machine.hull.type;
        if (row >= 0 && row < g_GunManager.GunCount()) {
            add(g_GunManager.GetRowNames().GetString(row), kEntryOrdinary, 0,
                kMounts[mount].light ? kPartLightGun : kPartHeavyGun);
            if (GunNeedsShells(machine, mount))
                reloadAllCost += g_GunManager.GetGun(row).price * ammoFactor * kReloadShare;
        } else if (type && (kMounts[mount].light ? type->specialB : type->specialA)) {
            add(kMounts[mount].empty, kEntryOrdinary, 0);
        }
    }

    add("INT_PMENU_GLIDER_EQUIPMENT", kEntryOpenHeader, 0);
    for (int i = 0; i < std::min(machine.MountedCount(), CFerrovant::kMaxMounted); ++i)
        add(machine.Mounted(i).Name(), kEntryOrdinary, 0, kPartMounted + uint32_t(i));

    add("INT_PMENU_GLIDER_AMMO", kEntryOpenHeader, 0);
    for (int i = 0; i < std::clamp(machine.ammoCount, 0, CFerrovant::kMaxAmmo); ++i)
        add(g_MissileManager.GetRowNames().GetStringOrDefault(machine.ammo[i].index), kEntryOrdinary,
            machine.ammo[i].count, kPartAmmo + uint32_t(i));
    entries.resize(size_t(count));
    return entries;
}

CMainMenu::PartWarning CMainMenu::WarningOf(const CFerrovant& machine, uint32_t part, WarningRules rules)
{
    const bool inFlight = rules == WarningRules::InFlight;
    const SGliderType* type = machine.hull.type;
    const int32_t standard = type ? type->standard : 0;
    const auto aboveStandard = [&](int32_t required) { return type && required > standard; };
    if (part == kPartLightGun || part == kPartHeavyGun) {
        const int mount = part == kPartLightGun ? 0 : 1;
        const int32_t row
            = int32_t((mount == 0 ? machine.config.lightGun : machine.config.heavyGun).words[0]);
        if (row < 0 || row >= g_GunManager.GunCount())
            return PartWarning::None;
        const SGunType& gun = g_GunManager.GetGun(row);
        const bool carried = inFlight || !type || (mount == 0 ? type->specialB : type->specialA);
        if (!carried || aboveStandard(gun.standard))
            return PartWarning::Red;
        const CGliderObject* glider = machine.glider;
        if (!gun.usesAmmo || (inFlight && gun.weaponClass > 2) || !glider || !glider->guns[mount].desc
            || glider->guns[mount].ammo >= gun.ammoCapacity)
            return PartWarning::None;
        return glider->guns[mount].ammo < gun.ammoCapacity * 0.25f ? PartWarning::Red : PartWarning::Yellow;
    }
    if (part >= kPartAmmo) {
        const uint32_t stock = part - kPartAmmo;
        if (inFlight || stock >= uint32_t(std::clamp(machine.ammoCount, 0, CFerrovant::kMaxAmmo)))
            return PartWarning::None;
        const int32_t row = machine.ammo[stock].index;
        const bool known = row >= 0 && row < g_MissileManager.RowCount();
        return known && aboveStandard(g_MissileManager.GetDesc(row).standard) ? PartWarning::Red
                                                                              : PartWarning::None;
    }
    const CEquipment* item = nullptr;
    if (part == kPartHull)
        item = &machine.hull;
    else if (part == kPartReactor)
        item = &machine.reactor;
    else if (part == kPartEngine)
        item = &machine.engine;
    else if (part == kPartShield)
        item = &machine.shield;
    else if (part == kPartArmour)
        item = &machine.armour;
    else if (part >= kPartMounted && part < kPartMounted + uint32_t(machine.MountedCount()))
        item = &machine.Mounted(int(part - kPartMounted));
    if (!item || item->index < 0)
        return PartWarning::None;
    if (item->wear > 0.0f || (part == kPartArmour && machine.armourLevel < item->Maximum()))
        return PartWarning::Red;
    if (part == kPartHull || !item->row || !type)
        return PartWarning::None;
    if (!inFlight)
        return aboveStandard(item->row->standard) ? PartWarning::Red : PartWarning::None;
    return item->row->equipmentClass != 5 && item->row->standard != standard ? PartWarning::Red
                                                                             : PartWarning::None;
}

void CMainMenu::ColourPartWarnings(MenuList& list, WarningRules rules)
{
    if (!PlayerFerrovant)
        return;
    for (int32_t i = 0; i < list.Count(); ++i) {
        CMenuListEntry* entry = list.At(i);
        if (!entry || entry->IsHeader())
            continue;
        const PartWarning warning = WarningOf(*PlayerFerrovant, entry->value, rules);
        if (warning == PartWarning::None)
            continue;
        entry->SetColours(warning == PartWarning::Red ? kRed : kYellow);
    }
}

CMainMenu::SBonusText CMainMenu::BonusTexts() const
{
    SBonusText texts;
    if (!PlayerFerrovant)
        return texts;
    const CFerrovant& machine = *PlayerFerrovant;
    for (const SBonusRow& row : kBonusRows) {
        if (PlayerEquipmentFlags[row.flag] == 0)
            continue;
        char mark[64] = {};
        switch (row.value) {
        case BonusValue::SpeedGain:
            std::snprintf(mark, sizeof mark, kBonusWhole,
                int(Whole(TopSpeed(machine, row.share)) - Whole(TopSpeed(machine))));
            break;
        case BonusValue::TurnSaving: {
            // The time of a half turn, pi / turn rate, is shortened by the booster's share.
            const float degrees = machine.hull.type ? machine.hull.type->rotateSpeed : 0.0f;
            if (degrees <= 0.0f)
                continue;
            std::snprintf(mark, sizeof mark, kBonusSeconds, double(180.0f / degrees * row.share));
            break;
        }
        case BonusValue::CapacityShare:
            std::snprintf(mark, sizeof mark, kBonusWhole, int(Whole(machine.GetCapacity() * row.share)));
            break;
        case BonusValue::PowerShare:
            std::snprintf(mark, sizeof mark, kBonusWhole, int(Whole(machine.reactor.Maximum() * row.share)));
            break;
        case BonusValue::Fixed:
            std::snprintf(mark, sizeof mark, "%s", row.fixed);
            break;
        }
        std::string* const slots[]
            = { &texts.speed, &texts.capacity, &texts.power, &texts.energy, &texts.armour };
        *slots[size_t(row.slot)] += mark;
    }
    return texts;
}

void CMainMenu::ProcessBaseGliderItem(int32_t entry, uint8_t showAllCosts, uint8_t allowTrade)
{
    ZJ_TRACE("CMainMenu::ProcessBaseGliderItem");
    // The own vehicle is the left list, a building's offers the right one.
    MenuList& list = showAllCosts ? leftList : rightList;
    const CMenuListEntry& item = *list.At(entry);
    if (textPanel && textPanel->window)
        textPanel->window->SetFlags(0, 0, 0);
    if (std::strcmp(item.key, kInfoKey) != 0) {
        noAccess = 0;
        const uint8_t own = showAllCosts || !allowTrade ? 1 : 0;
        SetEqpData(item.key, own, allowTrade);
        const bool locked = item.flag == kLockedEntry && !own && allowTrade;
        if (locked) {
            if (textPanel && textPanel->window)
                textPanel->window->Clear();
            noAccess = 1;
        }
        const char* key = locked ? "INT_NO_ACCESS" : item.key;
        CXAnsiString title;
        CXAnsiString body;
        if (g_pScriptManager) {
            g_pScriptManager->GetTextName(key, title);
            g_pScriptManager->GetText(key, body);
        }
        ShowHTMLText(title, body, key, 0, locked ? 0 : 1);
        return;
    }
    SetPreviewModel(-1);
    if (!PlayerFerrovant)
        return;
    const CFerrovant& machine = *PlayerFerrovant;
    const auto show = [&](const char* key, std::initializer_list<TextValue> values) {
        CXAnsiString title;
        if (g_pScriptManager)
            g_pScriptManager->GetTextName(key, title);
        const std::string text = FormatKeyText(key, values);
        ShowHTMLText(title, CXAnsiString(text.c_str()), nullptr, 0, 1);
    };
    const SBonusText bonus = BonusTexts();
    show(kInfoKey,
        { Whole(TopSpeed(machine)), std::string_view(bonus.speed), Whole(machine.GetCapacity()),
            std::string_view(bonus.capacity), Whole(machine.GetSumWeight()), Whole(machine.reactor.Maximum()),
            std::string_view(bonus.power) });
    show("INT_PMENU_GLIDER_INFO2",
        { Whole(ArmourValue(machine)), Whole(machine.GetEnergyLevel(1)), Whole(machine.GetEnergyLevel(2)),
            std::string_view(bonus.energy) });
    show("INT_PMENU_GLIDER_INFO3",
        { Whole(machine.GetShieldLevel(1)), Whole(machine.GetShieldLevel(2)), Whole(machine.GetArmorLevel(1)),
            Whole(machine.GetArmorLevel(2)), std::string_view(bonus.armour) });
    if (!showAllCosts)
        return;
    // The amounts the commands charge: the cost rounded up to the next whole number.
    if (repairAllCost > 0.0f)
        show("INT_REPAIR_ALL", { Whole(repairAllCost + 1.0f) });
    if (reloadAllCost > 0.0f)
        show("INT_REAMMO_ALL", { Whole(reloadAllCost + 1.0f) });
}

SItemPage CMainMenu::ItemPageOf(const char* key, bool own, bool inShop) const
{
    if (!PlayerFerrovant)
        return {};
    SItemPricing pricing;
    pricing.ammoFactor = ammoFactor;
    pricing.repairFactor = repairFactor;
    pricing.orgRepairFactor = orgRepairFactor;
    pricing.network = MenuHost().State() == kNetworkState;
    return BuildItemPage(key, own, inShop, pricing, *PlayerFerrovant);
}

void CMainMenu::SetEqpData(const char* key, uint8_t own, uint8_t inShop)
{
    ZJ_TRACE("CMainMenu::SetEqpData");
    const SItemPage page = ItemPageOf(key, own != 0, inShop != 0);
    if (!page.found) {
        SetPreviewModel(-1);
        return;
    }
    for (const SItemLine& line : page.lines) {
        std::string text;
        for (int32_t p = 0; p < line.partCount; ++p) {
            const SItemText& part = line.parts[p];
            if (p > 0)
                text += ' ';
            if (part.count == 2)
                text += FormatKeyText(part.key, { part.values[0], part.values[1] });
            else if (part.count == 1)
                text += FormatKeyText(part.key, { part.values[0] });
            else
                text += FormatKeyText(part.key, {});
        }
        ShowHTMLText(CXAnsiString(), CXAnsiString(text.c_str()), nullptr, 0, 1);
    }
    offerCost = page.offerCost;
    offerPrice = page.offerPrice;
    offerWeight = page.offerWeight;
    int32_t model = page.model;
    if (model < 0 && g_pModelManager)
        model = g_pModelManager->FindModel("MOD_TOV_DEFAULT");
    SetPreviewModel(model);
}
