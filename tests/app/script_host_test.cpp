// The application's side of the scripts: process 1 asks the running in-base menu for the
// player's name.
#include "app/CZJApp.h"
#include "app/CZJAppScriptHost.h"
#include "ui/CHtmlControl.h"
#include "ui/CMainMenu.h"

#include <gtest/gtest.h>

namespace {

class ScriptHostTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_saved = g_pZJApp;
        g_pZJApp = &app;
    }
    void TearDown() override
    {
        app.modalMenu = nullptr;
        g_pZJApp = m_saved;
    }

    CZJApp app;

private:
    CZJApp* m_saved = nullptr;
};

TEST_F(ScriptHostTest, processOneOpensTheNameLineOfTheRunningInBaseMenuOnly)
{
    CMainMenu menu;
    menu.textPanel = new CHtmlControl(0, 0, 400, 300);
    menu.AddControl(menu.textPanel);
    CBaseMenu other;

    app.modalMenu = &other;
    EXPECT_TRUE(AppScriptHost.RunProcess(1));
    app.modalMenu = nullptr;
    EXPECT_TRUE(AppScriptHost.RunProcess(1));
    EXPECT_FALSE(menu.textPanel->InputActive());

    app.modalMenu = &menu;
    EXPECT_TRUE(AppScriptHost.RunProcess(1));
    EXPECT_TRUE(menu.textPanel->InputActive());
}

} // namespace
