// The item data page of the in-base menus: the lines an item of the glider, weapon, equipment or
// ammunition table shows, and its offer, worked out from the type tables and a machine record.
#pragma once

#include <cstdint>
#include <vector>

class CFerrovant;

// A text of the page with the whole numbers formatted into it (none for a plain text).
struct SItemText {
    const char* key = nullptr;
    int64_t values[2] = {};
    int32_t count = 0;
};

// One line of the page: a text, and a second one following it after a blank.
struct SItemLine {
    SItemText parts[2];
    int32_t partCount = 0;
};

// The factors the building and the player's organisation set.
struct SItemPricing {
    float ammoFactor = 1.0f;
    float repairFactor = 0.025f;
    float orgRepairFactor = 1.00001f;
    bool network = false; // a network game: ammunition costs more
};

struct SItemPage {
    bool found = false; // no table holds the key: the page shows nothing
    int32_t model = -1; // the row's model, -1 none
    std::vector<SItemLine> lines;
    float offerPrice = 0.0f;
    int32_t offerCost = 0; // repair or reload cost, plus one
    float offerWeight = 0.0f;
};

// The page of the item named key; own: the player's own item, inShop: offered for trade here.
// machine is the player's; its glider type gates standards and change prices.
SItemPage BuildItemPage(
    const char* key, bool own, bool inShop, const SItemPricing& pricing, const CFerrovant& machine);

// The texts the item page, the vehicle list and its information page show, with the values each
// takes ('d' a whole number per conversion); FormatText checks the data against them.
struct SItemTextUse {
    const char* key;
    const char* values;
};
inline constexpr SItemTextUse kItemPageTexts[] = {
    { "INT_UPGRADE_CHANGE", "dd" },
    { "INT_UPGRADE_BUY", "d" },
    { "INT_UPGRADE_SELL", "dd" },
    { "INT_UPGRADE_PRICE", "d" },
    { "INT_UPGRADE_FAIL", "" },
    { "INT_SHIELDR_IS", "dd" },
    { "INT_SHIELD_IS", "d" },
    { "INT_NEED_REPAIR", "dd" },
    { "INT_DAMAGE_IS", "d" },
    { "INT_DAMAGE_GET_IS", "d" },
    { "INT_EXP_RADIUS", "d" },
    { "INT_GUN_DAMAGE2", "dd" },
    { "INT_GUN_DAMAGE", "d" },
    { "INT_FIRERATE_IS", "d" },
    { "INT_GUNTYPE_1", "" },
    { "INT_GUNTYPE_2", "" },
    { "INT_GUN_SHELL2", "dd" },
    { "INT_GUN_SHELL", "d" },
    { "INT_GUN_SHELL_RESTORE", "dd" },
    { "INT_STANDARD_IS", "d" },
    { "INT_GUN_LIGHT", "" },
    { "INT_GUN_HEAVY", "" },
    { "INT_NETTO_IS", "dd" },
    { "INT_WEIGHT_IS", "d" },
    { "INT_POWER_IS", "d" },
    { "INT_POWER_ADD_IS", "d" },
    { "INT_TRACTOR_IS", "d" },
    { "INT_GL_TYPE_A", "" },
    { "INT_GL_TYPE_B", "" },
    { "INT_GL_TYPE_C", "" },
    { "INT_GL_TYPE_S", "" },
    // The vehicle list: top speed, load capacity, sum weight and reactor power; armour, energy
    // and its maximum; shield and its maximum, armour and its maximum; each 's' the equipment
    // bonus marks of the value before it. Then the costs of repairing and reloading all.
    { "INT_PMENU_GLIDER_INFO", "dsdsdds" },
    { "INT_PMENU_GLIDER_INFO2", "ddds" },
    { "INT_PMENU_GLIDER_INFO3", "dddds" },
    { "INT_PMENU_GLIDER_GLIDER", "" },
    { "INT_PMENU_GLIDER_SHIELD", "" },
    { "INT_PMENU_GLIDER_GUN", "" },
    { "INT_PMENU_GLIDER_EQUIPMENT", "" },
    { "INT_PMENU_GLIDER_AMMO", "" },
    { "INT_EMPTY_ARMOR", "" },
    { "INT_EMPTY_SHIELD", "" },
    { "INT_EMPTY_LIGHT_GUN", "" },
    { "INT_EMPTY_HEAVY_GUN", "" },
    { "INT_REPAIR_ALL", "d" },
    { "INT_REAMMO_ALL", "d" },
};
