// The building menu's trade: the goods lists, buying and selling goods, the goods sale page,
// repair-all and reload-all, and the organisation price factors.
#include "ai/CFerrovant.h"
#include "ai/CZJTrade.h"
#include "foundation/CallTrace.h"
#include "render/CModelManager.h"
#include "script/CZJScriptManager.h"
#include "ui/CBuildingMenu.h"
#include "ui/CHtmlControl.h"
#include "ui/CMenuListEntry.h"
#include "ui/TextFormat.h"
#include "world/db/CBuildingManager.h"
#include "world/db/CEquipmentManager.h"
#include "world/db/CGliderManager.h"
#include "world/db/CGoodsManager.h"
#include "world/db/CGunManager.h"
#include "world/db/COrgManager.h"
#include "world/db/PlayerEquipmentFlags.h"
#include "world/objects/CGliderObject.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr float kExperiencePerGain = 0.02f;
constexpr float kCargoFlagFactor = 1.3f;
constexpr const char* kPoint = "<icon:POINT>";

// The goods row of a key, -1 when absent.
int GoodsRow(const char* key)
{
    return g_GoodsManager.GetRowNames().Find(key);
}

// Whether the event a conditional or locked offer waits for is set (never without one).
bool ConditionMet(const SBuildingTrade& offer)
{
    const char* end = std::find(std::begin(offer.condition), std::end(offer.condition), '\0');
    const std::string event(offer.condition, end);
    return !event.empty() && g_pScriptManager && g_pScriptManager->IsEventSet(event.c_str());
}

// Equipment whose STANDARD is not above the player's glider type's.
bool FitsVehicleStandard(const char* key)
{
    const int row = g_EquipmentManager.FindRow(key);
    if (row < 0 || !PlayerFerrovant)
        return true;
    const SGliderType* type = PlayerFerrovant->hull.type;
    return g_EquipmentManager.GetEquipment(row).standard <= (type ? type->standard : 0);
}

} // namespace

float CBuildingMenu::LoadCapacity()
{
    const bool cargoFlag = PlayerEquipmentFlags[kEqpHiPowerAntigrav] != 0;
    return PlayerFerrovant->GetCapacity() * (cargoFlag ? kCargoFlagFactor : 1.0f);
}

float CBuildingMenu::TradeExperienceFactor(uint32_t difficulty)
{
    static constexpr float kByDifficulty[] = { 1.5f, 1.0f, 0.5f };
    return kByDifficulty[std::min<uint32_t>(difficulty, 2)];
}

bool CBuildingMenu::LoadAllows(float added, float carried, float capacity)
{
    return capacity > 0.0f && (added + carried) / capacity * 0.75f < 1.0f;
}

void CBuildingMenu::UpdateOrgBonuses()
{
    ZJ_TRACE("CBuildingMenu::UpdateOrgBonuses");
    const int32_t org = g_OrgManager.playerOrganisation;
    if (org < 0) {
        orgRepairFactor = 1.00001f;
        orgPriceFactor = 1.0f;
        poorTrade = 0;
        return;
    }
    const float repair = BuildingKind() == 9 ? g_OrgManager.GetRepairPartsDiscount(org)
                                             : g_OrgManager.GetRepairDiscount(org);
    orgRepairFactor = 1.00001f - repair;
    orgPriceFactor = 1.0f - g_OrgManager.GetPriceDiscount(org);
    poorTrade = g_OrgManager.GetTradeFlag(org) ? 0 : 1;
}

void CBuildingMenu::ShowTradeList()
{
    XDynamicArray<SBuildingTrade*> sold;
    XDynamicArray<SBuildingTrade*> bought;
    const NameKey32 building = MakeNameKey32(buildingKey);
    ZJTrade.GetGoodInfo(building, CZJTrade::kGoods, sold, false);
    ZJTrade.GetGoodInfo(building, CZJTrade::kGoods, bought, true);
    std::vector<SListEntry> entries(size_t(sold.Count() + bought.Count() + 2));
    int32_t count = 0;
    static constexpr struct {
        const char* heading;
        uint32_t mark;
    } kGroups[] = { { "INT_BASE_SOLD", kSold }, { "INT_BASE_BUY", kBought } };
    for (const auto& group : kGroups) {
        XDynamicArray<SBuildingTrade*>& goods = group.mark == kSold ? sold : bought;
        if (goods.Count() == 0)
            continue;
        AddListEntry(false, entries.data(), group.heading, count, kEntryOpenHeader, 0, 0);
        for (int32_t i = 0; i < goods.Count(); ++i)
            AddListEntry(false, entries.data(), goods.At(i)->key, count, kEntryOrdinary, group.mark, 0);
    }
    FillRightList(entries.data(), count);
    MarkNewEntries(rightList);
}

void CBuildingMenu::ShowWorkshopOffers()
{
    static constexpr struct {
        int32_t kind;
        const char* heading;
    } kGroups[]
        = { { CZJTrade::kGliders, "INT_PMENU_GLIDER_GLIDER" }, { CZJTrade::kEquipment, "INT_BASE_EQUIPMENT" },
              { CZJTrade::kGuns, "INT_PMENU_GLIDER_GUN" }, { CZJTrade::kAmmunition, "INT_BASE_AMMO" } };
    const NameKey32 building = MakeNameKey32(buildingKey);
    XDynamicArray<SBuildingTrade*> offers[std::size(kGroups)];
    size_t total = 0;
    for (size_t g = 0; g < std::size(kGroups); ++g) {
        ZJTrade.GetGoodInfo(building, kGroups[g].kind, offers[g], false);
        total += size_t(offers[g].Count()) + 1;
    }
    std::vector<SListEntry> entries(total + 1);
    std::vector<int32_t> locked;
    int32_t count = 0;
    for (size_t g = 0; g < std::size(kGroups); ++g) {
        int32_t heading = -1;
        for (int32_t i = 0; i < offers[g].Count(); ++i) {
            const SBuildingTrade& offer = *offers[g].At(i);
            const bool opened = ConditionMet(offer);
            if ((offer.access == SBuildingTrade::kConditional && !opened)
                || (kGroups[g].kind == CZJTrade::kEquipment && !FitsVehicleStandard(offer.key)))
                continue;
            if (heading < 0) {
                heading = count;
                AddListEntry(false, entries.data(), kGroups[g].heading, count, kEntryOpenHeader, 0, 0);
            }
            AddListEntry(
                false, entries.data(), offer.key, count, kEntryOrdinary, uint32_t(kGroups[g].kind), 0);
            if (offer.access == SBuildingTrade::kLocked && !opened)
                locked.push_back(count - 1);
        }
    }
    FillRightList(entries.data(), count);
    for (const int32_t index : locked)
        rightList.At(index)->flag = kLockedEntry;
    MarkNewEntries(rightList);
}

void CBuildingMenu::SelectTradeEntry(int32_t index)
{
    const CMenuListEntry& entry = *rightList.At(index);
    SelectEntry(leftList, selectedLeft, -1);
    ResetTextPanel();
    const int row = GoodsRow(entry.key);
    if (row < 0) {
        SetPreviewModel(-1);
        return;
    }
    const SGoodsType& goods = g_GoodsManager.GetDesc(row);
    SetPreviewModel(goods.model.Index());
    offerState = 2;
    offerWeight = goods.mass;
    const NameKey32 building = MakeNameKey32(buildingKey);
    const NameKey32 key = MakeNameKey32(entry.key);
    float price = 0.0f;
    int32_t stock = 0;
    std::string line;
    if (entry.value == kBought) {
        ZJTrade.GetPrice(building, key, true, price, &stock);
        line = FormatKey("INT_BUY_PRICE_FORMAT", { int64_t(price) });
        maxBuyAmount = 0;
    } else {
        ZJTrade.GetPrice(building, key, false, price, &stock);
        price *= orgPriceFactor;
        offerPrice = price;
        const SBuildingTrade* record = ZJTrade.GetGood(building, key);
        const bool keepsStock = record && record->normalStock > 0.0f;
        maxBuyAmount = keepsStock ? std::max(stock, 0) : kMaxBuy;
        const char* text = keepsStock && stock < 1                         ? "INT_SELL_NO_FORMAT"
            : PlayerFerrovant && PlayerFerrovant->cargo.bulkAmount < price ? "INT_SELL_NOMONEY_FORMAT"
                                                                           : "INT_SELL_FORMAT";
        line = std::strcmp(text, "INT_SELL_FORMAT") == 0 ? FormatKey(text, { int64_t(price) })
                                                         : FormatKey(text, {});
    }
    ShowHTMLText(CXAnsiString(), CXAnsiString((kPoint + line).c_str()), "EMPTY", 0, 0);
    ShowKey(entry.key);
}

void CBuildingMenu::BuyGoods(bool allAtOnce)
{
    if (page != kPageTrade || selectedRight < 0 || selectedRight >= rightList.Count() || !PlayerFerrovant
        || !g_pScriptManager)
        return;
    const int32_t selected = selectedRight;
    const CMenuListEntry& entry = *rightList.At(selected);
    if (entry.value != kSold)
        return;
    const NameKey32 building = MakeNameKey32(buildingKey);
    const NameKey32 key = MakeNameKey32(entry.key);
    const SBuildingTrade* record = ZJTrade.GetGood(building, key);
    if (!record)
        return;
    int32_t amount = allAtOnce ? std::min(maxBuyAmount, kMaxBuy) : 1;
    // A stocked good sells no more than its stock.
    const bool keepsStock = record->normalStock > 0.0f;
    if (keepsStock && allAtOnce)
        amount = std::min(amount, int32_t(record->stock));
    const float carried = PlayerFerrovant->GetTotalWeight() + PlayerFerrovant->GetGoodsWeight();
    const float cost = float(amount) * offerPrice;
    if (amount < 1 || (keepsStock && record->stock < float(amount))
        || !LoadAllows(float(amount) * offerWeight, carried, LoadCapacity())
        || cost > PlayerFerrovant->cargo.bulkAmount) {
        CMenuControl::PlaySound("SND_INT_NO_MONEY");
        return;
    }
    g_pScriptManager->AddBalance(-cost, -1);
    PlayerFerrovant->cargo.AddGoods(entry.key, amount, offerPrice, CargoItem::kGoods);
    ZJTrade.Buy(building, key, amount);
    OnChangeRightPanel();
    OnChangeLeftPanel();
    SelectRightList(selected);
}

void CBuildingMenu::SellGoods(bool allAtOnce)
{
    if (page != kPageTrade || selectedLeft < 0 || selectedLeft >= leftList.Count() || !PlayerFerrovant
        || !g_pScriptManager)
        return;
    const int32_t selected = selectedLeft;
    const int32_t item = int32_t(leftList.At(selected)->value);
    if (item < 0 || item >= PlayerFerrovant->cargo.items.Count())
        return;
    CargoItem& cargo = PlayerFerrovant->cargo.items.At(item);
    if (cargo.kind != CargoItem::kGoods || cargo.count < 1)
        return;
    const int32_t amount = allAtOnce ? cargo.count : 1;
    const std::string name = cargo.name;
    if (cargo.price <= 0.0f) {
        g_pScriptManager->AddBalance(float(amount) * offerPrice, 2);
    } else {
        const float gain = offerPrice - cargo.price;
        if (gain > 0.0f) {
            g_pScriptManager->outputCount = 0;
            g_pScriptManager->AddRating(float(amount) * gain * kExperiencePerGain
                    * TradeExperienceFactor(g_pScriptManager->difficulty),
                2);
            g_pScriptManager->outputCount = 0;
            g_pScriptManager->AddBalance(float(amount) * gain, 1);
        }
        g_pScriptManager->AddBalance(float(amount) * cargo.price, -1);
    }
    ZJTrade.Sold(MakeNameKey32(buildingKey), MakeNameKey32(name.c_str()), amount);
    cargo.count -= amount;
    if (cargo.count <= 0)
        PlayerFerrovant->cargo.items.Delete(item);
    OnChangeRightPanel();
    OnChangeLeftPanel();
    SelectLeftList(std::min(selected, leftList.Count() - 1));
}

void CBuildingMenu::SelectLeftList(int32_t index)
{
    CMainMenu::SelectLeftList(index);
    if (selectedLeft < 0 || !PlayerFerrovant || !g_pScriptManager)
        return;
    if (page == kPageWorkshop) {
        ProcessBaseGliderItem(selectedLeft, 1, 1);
        return;
    }
    if (page != kPageTrade)
        return;
    SelectEntry(rightList, selectedRight, -1);
    ResetTextPanel();
    noAccess = 0;
    const int32_t item = int32_t(leftList.At(selectedLeft)->value);
    if (item < 0 || item >= PlayerFerrovant->cargo.items.Count())
        return;
    const CargoItem& cargo = PlayerFerrovant->cargo.items.At(item);
    const int row = GoodsRow(cargo.name);
    if (cargo.kind != CargoItem::kGoods || row < 0)
        return;
    const SGoodsType& goods = g_GoodsManager.GetDesc(row);
    SetPreviewModel(goods.model.Index());
    float price = 0.0f;
    auto show = [&](const char* key, std::initializer_list<TextValue> values) {
        const std::string line = kPoint + FormatKey(key, values);
        ShowHTMLText(CXAnsiString(), CXAnsiString(line.c_str()), "EMPTY", 0, 0);
    };
    if (ZJTrade.GetPrice(MakeNameKey32(buildingKey), MakeNameKey32(cargo.name), true, price, nullptr)) {
        offerPrice = float(int32_t(price));
        show(cargo.price <= offerPrice ? "INT_SELL_GOODS_PROFIT" : "INT_SELL_GOODS_LOSS",
            { int64_t(offerPrice) });
        if (cargo.price == 0.0f)
            show("INT_GOOD_WAS_DROPPED", {});
        else
            show("INT_GOOD_WAS_BUIED", { int64_t(cargo.price) });
    } else {
        const bool feedstock = BuildingKind() != 1 && std::strstr(buildingKey, "FEEDSTOCK") != nullptr;
        offerPrice = goods.price * (feedstock ? 0.67f : poorTrade ? 0.25f : 0.5f);
        show("INT_SELL_GOODS_LOSS", { int64_t(offerPrice) });
        show("INT_SELL_GOODS_FAIL", { int64_t(cargo.price) });
    }
    offerWeight = goods.mass;
    show("INT_WEIGHT_IS", { int64_t(offerWeight) });
    ShowKey(cargo.name);
    offerState = 1;
}

void CBuildingMenu::RepairAll()
{
    if (!PlayerFerrovant || !g_pScriptManager)
        return;
    const float cost = float(int32_t(repairAllCost + 1.0f));
    if (cost > PlayerFerrovant->cargo.bulkAmount) {
        CMenuControl::PlaySound("SND_INT_NO_MONEY");
        return;
    }
    CMenuControl::PlaySound("SND_INT_RAPAIR");
    g_pScriptManager->AddBalance(-cost, 0);
    CFerrovant& machine = *PlayerFerrovant;
    for (CEquipment* part : { static_cast<CEquipment*>(&machine.hull), &machine.reactor, &machine.engine }) {
        part->wear = 0.0f;
        part->hit = 0;
        part->destroyed = 0;
    }
    for (int32_t i = 0; i < machine.MountedCount(); ++i) {
        machine.Mounted(i).wear = 0.0f;
        machine.Mounted(i).hit = 0;
        machine.Mounted(i).destroyed = 0;
    }
    machine.armourLevel = machine.armour.Maximum();
    ClearDamageState();
    OnChangeLeftPanel();
}

void CBuildingMenu::ReloadAll()
{
    if (!PlayerFerrovant || !g_pScriptManager)
        return;
    const float cost = float(int32_t(reloadAllCost + 1.0f));
    if (cost > PlayerFerrovant->cargo.bulkAmount) {
        CMenuControl::PlaySound("SND_INT_NO_MONEY");
        return;
    }
    g_pScriptManager->AddBalance(-cost, 3);
    if (CGliderObject* glider = PlayerFerrovant->glider)
        for (int gun = 0; gun < 2; ++gun)
            if (glider->guns[gun].desc)
                glider->guns[gun].ammo = glider->guns[gun].desc->ammoCapacity;
    OnChangeLeftPanel();
}
