#include "tests/support/error_log_test.h"

#include "foundation/XRangeError.h"
#include "platform/win/library_output.h"
#include "platform/win/program_info.h"
#include "platform/win/text.h"

#include <filesystem>
#include <stdexcept>
#include <thread>

using zoq::test::ErrorLogTest;

namespace {

constexpr char kStamp[] = " 4- 7-2003  9: 5: 3:  7 ";

void InnerC()
{
    ZJ_TRACE("C::c");
    throw XRangeError();
}
void MiddleB()
{
    ZJ_TRACE("B::b");
    InnerC();
}
void OuterA()
{
    ZJ_TRACE("A::a");
    MiddleB();
}

int TracedSum(int a, int b)
{
    ZJ_TRACE("Math::Sum");
    return a + b;
}

using CallTraceTest = ErrorLogTest;

TEST_F(CallTraceTest, appendShouldAddArrowAndNameAndRestartWhenFull)
{
    AppendCallTrace("A");
    EXPECT_STREQ(CallTraceText(), "EXCEPTION:->A");

    ResetCallTrace();
    AppendCallTrace(std::string(2028, 'x').c_str());
    ASSERT_EQ(std::string(CallTraceText()).size(), 2040u);
    AppendCallTrace("0123456789");
    EXPECT_STREQ(CallTraceText(), "...->->0123456789");

    // A name longer than the whole trace is cut to fit.
    AppendCallTrace(std::string(5000, 'y').c_str());
    EXPECT_EQ(std::string(CallTraceText()).size(), kCallTraceSize - 1);
}

TEST_F(CallTraceTest, flushShouldWriteOneLineAndResetTheTrace)
{
    AppendCallTrace("X::x");
    FlushCallTrace();
    EXPECT_STREQ(CallTraceText(), "EXCEPTION:");
    auto lines = LogLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], std::string(kStamp) + "EXCEPTION:->X::x");
}

TEST_F(CallTraceTest, guardsShouldAppendInnermostFirstOnlyWhenAnExceptionPasses)
{
    EXPECT_EQ(TracedSum(2, 3), 5);
    EXPECT_STREQ(CallTraceText(), "EXCEPTION:");

    try {
        ZJ_TRACE("Outer");
        try {
            ZJ_TRACE("Inner");
            throw std::runtime_error("boom");
        } catch (const std::runtime_error&) {
            EXPECT_STREQ(CallTraceText(), "EXCEPTION:->Inner");
            throw;
        }
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "boom");
    }
    EXPECT_STREQ(CallTraceText(), "EXCEPTION:->Inner->Outer");

    // A guard inside a handler that ends its own exception appends nothing.
    ResetCallTrace();
    try {
        throw 1;
    } catch (int) {
        ZJ_TRACE("Handler");
    }
    EXPECT_STREQ(CallTraceText(), "EXCEPTION:");
}

TEST_F(CallTraceTest, threeTracedMethodsFlushedShouldLeaveOneLine)
{
    EXPECT_THROW(
        {
            try {
                OuterA();
            } catch (const XRangeError& e) {
                EXPECT_STREQ(e.what(), "");
                FlushCallTrace();
                throw;
            }
        },
        XRangeError);
    auto lines = LogLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0].ends_with("EXCEPTION:->C::c->B::b->A::a")) << lines[0];
}

TEST_F(CallTraceTest, traceShouldBePerThreadAndRootSettable)
{
    AppendCallTrace("Main");
    std::string other;
    std::thread([&] {
        AppendCallTrace("Worker");
        other = CallTraceText();
    }).join();
    EXPECT_EQ(other, "EXCEPTION:->Worker");
    EXPECT_STREQ(CallTraceText(), "EXCEPTION:->Main");

    SetCallTraceRoot("EXEPTION:");
    EXPECT_STREQ(CallTraceText(), "EXEPTION:");
    AppendCallTrace("CPage::OnApply");
    FlushCallTrace();
    EXPECT_STREQ(CallTraceText(), "EXEPTION:");
    SetCallTraceRoot("EXCEPTION:");
    EXPECT_EQ(LogLines().at(0), std::string(kStamp) + "EXEPTION:->CPage::OnApply");
}

struct StampCase {
    plat::win::LocalTime time;
    const char* stamp;
};

TEST(ErrorLogStamp, shouldPadEveryFieldToItsWidth)
{
    const StampCase cases[] = {
        { { 2003, 7, 5, 4, 9, 5, 3, 7 }, " 4- 7-2003  9: 5: 3:  7 " },
        { { 2026, 12, 3, 31, 23, 59, 58, 999 }, "31-12-2026 23:59:58:999 " },
        { { 1999, 1, 5, 1, 0, 0, 0, 0 }, " 1- 1-1999  0: 0: 0:  0 " },
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatErrorLogStamp(c.time), c.stamp);
}

using WriteErrorLogTest = ErrorLogTest;

TEST_F(WriteErrorLogTest, shouldWriteMessagesVerbatimAsUtf8)
{
    WriteErrorLog("Rate %d%% of %s");
    WriteErrorLog(CP1251("Ошибка загрузки"));
    auto lines = LogLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], std::string(kStamp) + "Rate %d%% of %s");
    EXPECT_EQ(lines[1], std::string(kStamp) + "Ошибка загрузки");
}

TEST_F(WriteErrorLogTest, shouldSendTheMessageToTheDebuggerOutputEvenWhenTheFileCannotOpen)
{
    SetErrorLogDirectory(m_dir.string() + "/missing/folder/");
    testing::internal::CaptureStderr();
    WriteErrorLog("lost line");
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "lost line\n");
    EXPECT_FALSE(std::filesystem::exists(m_dir / "missing"));
}

TEST_F(WriteErrorLogTest, shouldKeepLinesWholeAcrossThreads)
{
    testing::internal::CaptureStderr();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t] {
            std::string message = "thread " + std::to_string(t) + " line " + std::string(40, char('a' + t));
            for (int i = 0; i < 1000; ++i)
                WriteErrorLog(message);
        });
    }
    for (auto& thread : threads)
        thread.join();
    testing::internal::GetCapturedStderr();
    auto lines = LogLines();
    ASSERT_EQ(lines.size(), 4000u);
    int perThread[4] = {};
    for (const auto& line : lines) {
        ASSERT_EQ(line.size(), std::string(kStamp).size() + 54) << line;
        int t = line[std::string(kStamp).size() + 7] - '0';
        ASSERT_TRUE(t >= 0 && t < 4);
        EXPECT_EQ(line.substr(line.size() - 40), std::string(40, char('a' + t)));
        ++perThread[t];
    }
    for (int count : perThread)
        EXPECT_EQ(count, 1000);
}

TEST_F(WriteErrorLogTest, logPrintfShouldReachOnlyTheDebuggerOutput)
{
    testing::internal::CaptureStderr();
    LogPrintf("Mesh Size=%d Kb", 42);
    LogPrintf("%s", std::string(400, 'z').c_str());
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "Mesh Size=42 Kb\n" + std::string(255, 'z') + "\n");
    EXPECT_FALSE(LogExists());
}

TEST_F(WriteErrorLogTest, theFirstLineOfAProcessFollowsItsStartLine)
{
    SetErrorLogStartLine(true);
    WriteErrorLog("first");
    WriteErrorLog("second");
    SetErrorLogStartLine(false);
    const std::string start = plat::win::ProgramName() + " " + std::string(plat::win::ProgramVersion())
        + " started in " + std::filesystem::current_path().string();
    EXPECT_EQ(ErrorLogStartLine(), start);
    EXPECT_EQ(LogLines(),
        (std::vector<std::string> {
            std::string(kStamp) + start, std::string(kStamp) + "first", std::string(kStamp) + "second" }));
}

TEST_F(WriteErrorLogTest, libraryOutputReachesOnlyTheFileOneLinePerCause)
{
    const std::string alsa
        = "ALSA lib confmisc.c:855:(parse_card) cannot find card '0'\n"
          "ALSA lib conf.c:5180:(_snd_config_evaluate) function snd_func_card_inum returned error\n"
          "ALSA lib pcm.c:2666:(snd_pcm_open_noupdate) Unknown PCM default\n";
    testing::internal::CaptureStderr();
    plat::win::StderrCatch caught;
    std::fputs(alsa.c_str(), stderr);
    plat::win::LogLibraryOutput("Sound::Open", caught.Take());
    plat::win::LogLibraryOutput("Sound::Open", alsa); // the same cause again
    plat::win::LogLibraryOutput("Video::Open", "");
    plat::win::LogLibraryOutput("Video::Open", "one line\n");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(LogLines(),
        (std::vector<std::string> { std::string(kStamp)
                + "Sound::Open: ALSA lib confmisc.c:855:(parse_card) cannot find card '0' (and 2 more lines)",
            std::string(kStamp) + "Video::Open: one line" }));
}

} // namespace
