// The console stand-in for the tray icon: the tip line, close signals as icon clicks or as a
// quit, posted messages and the popup menu's answer.
#include "platform/tray/tray.h"

#include "platform/win/text.h"

#include <gtest/gtest.h>

#include <csignal>

namespace {

using plat::tray::Message;
using plat::tray::MessageKind;

TEST(TrayTest, addingTheIconPrintsTheTipAndTheCloseItem)
{
    testing::internal::CaptureStdout();
    ASSERT_TRUE(plat::tray::AddIcon(1, 1025, "Z.O.Q. Server v 1.0", CP1251("Закрыть")));
    EXPECT_FALSE(plat::tray::AddIcon(2, 1025, "again", "x")); // one icon at a time
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Z.O.Q. Server v 1.0 [Закрыть: Ctrl+C]\n");
    plat::tray::RemoveIcon();
}

TEST(TrayTest, aCloseSignalIsTheIconsRightButtonRelease)
{
    plat::tray::CatchCloseSignals();
    testing::internal::CaptureStdout();
    plat::tray::AddIcon(1, 1025, "tip", "Close");
    testing::internal::GetCapturedStdout();
    Message message;
    EXPECT_FALSE(plat::tray::TakeMessage(message));

    for (int signal : { SIGINT, SIGTERM }) {
        std::raise(signal); // the process goes on: the handler only sets the flag
        EXPECT_TRUE(plat::tray::ClosePending());
        ASSERT_TRUE(plat::tray::TakeMessage(message));
        EXPECT_EQ(message.kind, MessageKind::Callback);
        EXPECT_EQ(message.message, 1025u);
        EXPECT_EQ(message.param1, 1u);
        EXPECT_EQ(message.param2, static_cast<uint32_t>(plat::tray::IconEvent::RightButtonUp));
        EXPECT_FALSE(plat::tray::TakeMessage(message)); // taken once
    }
    plat::tray::RemoveIcon();
}

TEST(TrayTest, withoutAnIconACloseSignalQuitsAtOnce)
{
    plat::tray::CatchCloseSignals();
    std::raise(SIGTERM);
    Message message;
    ASSERT_TRUE(plat::tray::TakeMessage(message));
    EXPECT_EQ(message.kind, MessageKind::Quit);
    EXPECT_EQ(message.param1, 0u);
}

TEST(TrayTest, postedMessagesComeFirstInOrderAndTheMenuChoosesItsCloseItem)
{
    plat::tray::CatchCloseSignals();
    std::raise(SIGINT);
    plat::tray::PostQuit(7);
    plat::tray::PostNull();
    Message message;
    ASSERT_TRUE(plat::tray::TakeMessage(message));
    EXPECT_EQ(message.kind, MessageKind::Quit);
    EXPECT_EQ(message.param1, 7u);
    ASSERT_TRUE(plat::tray::TakeMessage(message));
    EXPECT_EQ(message.kind, MessageKind::Null);
    ASSERT_TRUE(plat::tray::TakeMessage(message)); // then the signal
    EXPECT_EQ(message.kind, MessageKind::Quit);
    EXPECT_FALSE(plat::tray::TakeMessage(message));

    const plat::tray::MenuItem items[] = { { 40004, "Close" } };
    EXPECT_EQ(plat::tray::TrackMenu(items), 40004u);
    EXPECT_EQ(plat::tray::TrackMenu({}), 0u);
}

} // namespace
