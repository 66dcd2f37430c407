// CGameListMenu: the network location chooser. The same window as the save list, listing the
// enabled descriptions of Data\Net\*.ini in ascending Caption order with the location's picture
// as preview; result 6 with the chosen location file in chosenName.
#pragma once

#include "ui/CLoadSaveMenu.h"

class CGameListMenu : public CLoadSaveMenu {
public:
    CGameListMenu();

    void GetGamesData(std::vector<SGameEntry>& found) override;

protected:
    bool LoadPreview(const SGameEntry& entry) override;
};
