// The start menu's difficulty buttons set the script manager's difficulty and the global one
// alike, and start the game.
#include "script/CZJScriptManager.h"
#include "ui/CZJStartMenu.h"
#include "world/objects/PlayerGlobals.h"

#include <gtest/gtest.h>

TEST(DifficultyTest, theStartMenuKeepsBothDifficultiesEqual)
{
    CZJScriptManager* const saved = g_pScriptManager;
    const int32_t savedDifficulty = Difficulty;
    CZJScriptManager scripts;
    g_pScriptManager = &scripts;
    for (const uint32_t level : { 2u, 0u, 1u }) {
        SCOPED_TRACE(level);
        CZJStartMenu menu;
        menu.ProcessCommand(int(CZJStartMenu::kEasy + level));
        EXPECT_EQ(scripts.difficulty, level);
        EXPECT_EQ(Difficulty, int32_t(level));
        EXPECT_EQ(menu.result, CZJStartMenu::kStartGame);
    }
    g_pScriptManager = saved;
    Difficulty = savedDifficulty;
}
