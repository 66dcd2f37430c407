// The modal hook answers for a menu without running it, and the modal chain is restored either way.
#include "app/CZJApp.h"
#include "ui/CBaseMenu.h"

#include <gtest/gtest.h>

TEST(ModalHookTest, answersForTheMenuAndKeepsTheChain)
{
    CZJApp app;
    CBaseMenu outer;
    CBaseMenu inner;
    app.modalMenu = &outer;
    CBaseMenu* seen = nullptr;
    CBaseMenu* runningWhileAsked = nullptr;
    app.modalHook = [&](CBaseMenu* menu, int& result) {
        seen = menu;
        runningWhileAsked = app.modalMenu;
        result = 7;
        return true;
    };
    EXPECT_EQ(app.RunModalMenu(&inner, true), 7);
    EXPECT_EQ(seen, &inner);
    EXPECT_EQ(runningWhileAsked, &inner);
    EXPECT_EQ(app.modalMenu, &outer);
    EXPECT_EQ(app.previousModalMenu, nullptr);
}
