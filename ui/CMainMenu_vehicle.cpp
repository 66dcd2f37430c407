// Stand-in until the vehicle, equipment and goods pages land (s46/vehicle): an empty vehicle list
// and no item page.
#include "ui/CMainMenu.h"

std::vector<SListEntry> CMainMenu::CreateGliderList(bool font)
{
    (void)font;
    return {};
}

void CMainMenu::ProcessBaseGliderItem(int32_t entry, uint8_t showAllCosts, uint8_t allowTrade)
{
    (void)entry;
    (void)showAllCosts;
    (void)allowTrade;
}

void CMainMenu::SetEqpData(const char* key, uint8_t own, uint8_t inShop)
{
    (void)key;
    (void)own;
    (void)inShop;
}
