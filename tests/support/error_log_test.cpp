#include "tests/support/error_log_test.h"

#include "platform/win/debug.h"
#include "tests/support/files.h"
#include "tests/support/log_lines.h"

namespace zoq::test {

plat::win::LocalTime FixedLogTime()
{
    return plat::win::LocalTime { 2003, 7, 5, 4, 9, 5, 3, 7 };
}

void ErrorLogTest::SetUp()
{
    TempDirTest::SetUp();
    SetErrorLogDirectory(m_dir.string() + "/");
    SetErrorLogClock(&FixedLogTime);
    SetErrorLogStartLine(false);
    ResetCallTrace();
}

void ErrorLogTest::TearDown()
{
    SetErrorLogDirectory({});
    SetErrorLogClock(nullptr);
    ResetCallTrace();
    TempDirTest::TearDown();
}

std::string ErrorLogTest::LogText() const
{
    return ReadText(m_dir / "error.log");
}

std::vector<std::string> ErrorLogTest::LogLines() const
{
    return SplitLines(LogText());
}

bool ErrorLogTest::LogExists() const
{
    return std::filesystem::exists(m_dir / "error.log");
}

int ErrorLogTest::LogLineCount(std::string_view needle) const
{
    return CountLines(LogText(), needle);
}

void DiscardErrorLog()
{
    SetErrorLogDirectory("/nonexistent-zoq-test/");
    plat::win::SetDebugOutputEnabled(false);
}

} // namespace zoq::test
