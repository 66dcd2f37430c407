// Stand-in until the journal, statistics and player list pages land (s46/menutext): an empty
// journal and empty pages.
#include "ui/CMainMenu.h"

std::vector<SListEntry> CMainMenu::BuildJournalList()
{
    return {};
}

void CMainMenu::ShowStatistics() { }

void CMainMenu::ShowPlayerList() { }
