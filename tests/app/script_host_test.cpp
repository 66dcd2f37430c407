// The application's side of the scripts hands every request to the application object, and does
// nothing without one.
#include "app/CZJApp.h"
#include "app/CZJAppScriptHost.h"
#include "ui/CMessager.h"

#include <gtest/gtest.h>

namespace {

class ScriptHostTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_saved = g_pZJApp;
        m_savedMessager = g_pMessager;
        g_pMessager = nullptr;
    }
    void TearDown() override
    {
        g_pZJApp = m_saved;
        g_pMessager = m_savedMessager;
    }

    CZJApp app;

private:
    CZJApp* m_saved = nullptr;
    CMessager* m_savedMessager = nullptr;
};

TEST_F(ScriptHostTest, requestsReachTheApplication)
{
    g_pZJApp = &app;
    EXPECT_TRUE(AppScriptHost.RunProcess(3)) << "a process is the application's numbered action";
    EXPECT_FALSE(AppScriptHost.RunProcess(0)) << "which answers false only for 0";

    AppScriptHost.SetBonus(1.5f, 2.0f);
    EXPECT_FLOAT_EQ(app.bonusFactors[0], 1.5f);
    EXPECT_FLOAT_EQ(app.bonusFactors[1], 2.0f);

    EXPECT_FALSE(AppScriptHost.IsMessageLogExpanded());
    AppScriptHost.ToggleMessageLog();
    EXPECT_TRUE(AppScriptHost.IsMessageLogExpanded());
    EXPECT_TRUE(app.MessageLogExpanded());
    AppScriptHost.ToggleMessageLog();
}

TEST_F(ScriptHostTest, withoutAnApplicationNothingHappens)
{
    g_pZJApp = nullptr;
    EXPECT_FALSE(AppScriptHost.RunProcess(3));
    AppScriptHost.SetBonus(1.5f, 2.0f);
    AppScriptHost.ToggleMessageLog();
    AppScriptHost.UpdateJournal(1);
    EXPECT_FALSE(AppScriptHost.IsMessageLogExpanded());
    EXPECT_FLOAT_EQ(app.bonusFactors[0], 1.0f);
}

} // namespace
