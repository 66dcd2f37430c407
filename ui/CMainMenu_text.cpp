// Stand-in until the menu texts and link words land (s46/menutext): the text panel shows nothing
// and no script runs.
#include "ui/CMainMenu.h"

void CMainMenu::SubstituteNames(CXAnsiString& text)
{
    (void)text;
}

uint32_t CMainMenu::ShowHTMLText(
    const CXAnsiString& title, const CXAnsiString& body, const char* block, uint8_t spare, uint8_t addLink)
{
    (void)title;
    (void)body;
    (void)block;
    (void)spare;
    (void)addLink;
    return 0;
}

bool CMainMenu::RunScript(uint32_t mode, const char* event, uint8_t fireGet)
{
    (void)mode;
    (void)event;
    (void)fireGet;
    return true;
}

void CMainMenu::RunControl()
{
    CBaseMenu::RunControl();
}
