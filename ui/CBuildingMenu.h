// CBuildingMenu: the in-base menu of one building: its script page, workshop, trade, journal,
// jump and organisation pages and saving. It turns button and link commands into actions on the
// player's machine, money, goods and organisation; money moves only through AddBalance.
#pragma once

#include "ui/CMainMenu.h"
#include "ui/TextFormat.h"

#include <cstdint>
#include <initializer_list>
#include <string>

class CMenuListEntry;

class CBuildingMenu : public CMainMenu {
public:
    // Pages.
    enum : int32_t {
        kPageBuilding = 0,
        kPageLists = 1,
        kPageJournal = 2,
        kPageWorkshop = 3,
        kPageTrade = 4,
        kPageJump = 5,
        kPageOrganisations = 7,
    };
    // Commands of the building's buttons and link words.
    enum : int32_t {
        kCmdLeave = 7,
        kCmdSave = 8,
        kCmdTrade = 10,
        kCmdFirstPage = 11,
        kCmdJournal = 12,
        kCmdWorkshop = 13,
        kCmdBack = 18,
        kCmdJumpPage = 26,
        kCmdRepairItem = 28,
        kCmdBuyGoods = 29,
        kCmdSellGoods = 30,
        kCmdOrganisations = 31,
        kCmdJoin = 32,
        kCmdChangeItem = 33,
        kCmdLeaveOrganisation = 35,
        kCmdBuyItem = 36,
        kCmdSellItem = 37,
        kCmdReloadItem = 38,
        kCmdRepairAll = 39,
        kCmdReloadAll = 40,
        kCmdChangeOrganisation = 41,
        kCmdJump = 256,
    };
    // Marks of the right list's entries.
    static constexpr uint32_t kSold = 1; // the building sells the good
    static constexpr uint32_t kBought = 2; // the building buys it
    static constexpr uint32_t kEnterList = 0x100; // an organisation the player may join
    static constexpr uint32_t kJumpMark = 0x200; // the building page's entry that command 256 selects
    static constexpr int kMaxSector = 9;
    static constexpr int kJumpBasePrice = 100;
    static constexpr int kMaxBuy = 10;

    // The texts the menu shows by key, with the values it formats into each: 'd' a whole number,
    // 's' a text (FormatText checks the data's conversions against them).
    struct STextUse {
        const char* key;
        const char* values;
    };
    static constexpr STextUse kTexts[] = {
        { "INT_NAME_BUILDING_TIP", "" },
        { "INT_AUTOSAVE", "" },
        { "INT_GAME_SAVED", "" },
        { "INT_BASE_SOLD", "" },
        { "INT_BASE_BUY", "" },
        { "INT_BASE_EQUIPMENT", "" },
        { "INT_BASE_AMMO", "" },
        { "INT_ORG_LIST", "" },
        { "INT_ORG_LIST_ENTER", "" },
        { "INT_ORG_JOIN", "" },
        { "INT_ORG_LEAVE", "" },
        { "INT_ORG_CHANGE", "" },
        { "INT_ORG_SHOW_RELATION", "s" },
        { "INT_ORG_RELATION_GOOD", "" },
        { "INT_ORG_RELATION_NEUTRAL", "" },
        { "INT_ORG_RELATION_BAD", "" },
        { "INT_ORG_RELATION_ENEMY", "" },
        { "INT_ORG_RATING", "d" },
        { "INT_TUNNEL_THIS_SECTOR", "" },
        { "INT_TUNNEL_ACCESS_DENIDED", "" },
        { "INT_TUNNEL_ACCESS", "" },
        { "INT_BUY_PRICE_FORMAT", "d" },
        { "INT_SELL_FORMAT", "d" },
        { "INT_SELL_NO_FORMAT", "" },
        { "INT_SELL_NOMONEY_FORMAT", "" },
        { "INT_SELL_GOODS_PROFIT", "d" },
        { "INT_SELL_GOODS_LOSS", "d" },
        { "INT_SELL_GOODS_FAIL", "d" },
        { "INT_GOOD_WAS_DROPPED", "" },
        { "INT_GOOD_WAS_BUIED", "d" },
    };
    // The sounds the menu plays.
    static constexpr const char* kSounds[] = { "SND_INT_NO_MONEY", "SND_INT_RAPAIR", "SND_INT_BIG_BUTTON" };
    // The backgrounds: a base (kind 1) and every other building.
    static constexpr const char* kBackgrounds[] = { "SUF_FON_BASE", "SUF_FON_PLANT" };

    // building: the building object's name; typeName: its row of the building table. The two
    // start flags: run the intro and autosave on entry.
    CBuildingMenu(const char* building, const char* typeName, bool intro = true, bool autosave = true);

    bool Init() override;
    void ProcessCommand(int id) override;
    void SelectRightList(int32_t index) override;
    // On the trade page the goods sale page of a cargo item; on the workshop page the own item.
    void SelectLeftList(int32_t index) override;
    void OnChangeRightPanel() override;
    void OnChangeLeftPanel() override;

    // The organisation price factors of the player's organisation.
    void UpdateOrgBonuses();
    // Goods commands 29 and 30 for the selected entry; allAtOnce is the Shift key.
    void BuyGoods(bool allAtOnce);
    void SellGoods(bool allAtOnce);
    // Commands 39 and 40.
    void RepairAll();
    void ReloadAll();
    // The workshop's item commands, each only where the item page of the selected entry offers
    // it: 28 repairs the own part, 38 reloads the own gun, 37 sells the own item; 33 exchanges
    // the own part for the selected offer, 36 buys the offer (ten units of ammunition with
    // tenUnits). Every change re-equips the vehicle.
    void RepairItem();
    void ReloadItem();
    void SellItem();
    void ChangeItem();
    void BuyItem(bool tenUnits);
    // The player's load capacity, x 1.3 with the cargo equipment flag.
    static float LoadCapacity();
    // Command 256 on the jump page: pays and closes with 5; false when nothing happened.
    bool Jump();

    // The building table's kind of this building, -1 when unknown.
    int32_t BuildingKind() const;
    // Whether entering a building of this kind autosaves (never at kind 6 nor in a network game).
    static bool AutosaveWanted(int32_t kind, bool networkGame);
    // The sector of a location file: its last decimal digit, 1 without one.
    static int CurrentSector(const char* locationFile);
    // The jump target: the file name without its folder, its last decimal digit replaced by the
    // sector's (a name without digits unchanged). False when it does not fit out.
    static bool JumpFileName(const char* locationFile, int sector, char (&out)[64]);
    // The chance of the dear jump price for a glider type of level k: 1 / (5 - k), 1 when that
    // divisor is 1 or less.
    static float JumpPriceChance(int32_t level);
    // The experience per unit of gain by difficulty 0..2.
    static float TradeExperienceFactor(uint32_t difficulty);
    // Weight test of buying: the cargo may reach 4/3 of the capacity; none counts as full.
    static bool LoadAllows(float added, float carried, float capacity);

    uint8_t startIntro = 1;
    uint8_t startAutosave = 1;
    uint8_t jumpAllowed = 0; // the selected jump entry may be taken; cleared by every command
    int32_t maxBuyAmount = kMaxBuy;
    char typeKey[32] = {};

private:
    // Command 8: the save list over this menu, then the save under the chosen name.
    void SaveFromList();
    void ShowBuildingPage();
    void ShowTradeList();
    // The workshop's offers from the trade record: gliders, equipment, guns, ammunition.
    void ShowWorkshopOffers();
    void ShowJumpList();
    void ShowOrganisationList();
    void SelectTradeEntry(int32_t index);
    void SelectJumpEntry(int32_t index);
    void SelectOrganisationEntry(int32_t index);
    void JoinSelected();
    // Runs an organisation script event with a context and shows its output records.
    void RunOrgEvent(const char* event, const char* context);
    void ShowKey(const char* key);
    // The text of a text key (its links with it) filled with values; empty when the table lacks
    // the key.
    static std::string FormatKey(const char* key, std::initializer_list<TextValue> values);
    void ResetTextPanel();
    void PostAll(std::initializer_list<uint32_t> messages);
    // The selected ordinary entry of the workshop's vehicle list (left) or offers; null elsewhere.
    const CMenuListEntry* WorkshopEntry(bool left) const;
    // The vehicle after a change of its parts: the machine's equipment, then the glider's.
    void Reequip();
    // Refills the left list and selects the list's selected entry again, else its first entry.
    void RefreshAndReselect(bool left);
    // Clears the damage the glider's hull shows: part damage, burning points and nozzles.
    static void ClearDamageState();
};
