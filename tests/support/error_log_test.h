// error.log in the tests: a fixture that sends it to the test's temporary folder with a fixed clock
// and a clean call trace, and reads it back; and, for fuzz targets, a log that goes nowhere.
#pragma once

#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "platform/win/clock.h"
#include "tests/support/temp_dir.h"

#include <string>
#include <string_view>
#include <vector>

namespace zoq::test {

// The clock of the fixture's log lines: Friday 2003-07-04 09:05:03.007.
plat::win::LocalTime FixedLogTime();

class ErrorLogTest : public TempDirTest {
protected:
    explicit ErrorLogTest(Enter enter = Enter::No)
        : TempDirTest(enter)
    {
    }
    void SetUp() override;
    void TearDown() override;

    std::string LogText() const;
    std::vector<std::string> LogLines() const;
    bool LogExists() const;
    // Lines holding needle; an empty needle counts every line.
    int LogLineCount(std::string_view needle) const;
};

// ErrorLogTest whose temporary folder is also the working directory.
class WorkingDirLogTest : public ErrorLogTest {
protected:
    WorkingDirLogTest()
        : ErrorLogTest(Enter::Yes)
    {
    }
};

// Fuzz targets: error.log goes to a folder that does not exist, so a run writes no file, and the
// debugger output is off, so a run prints no line.
void DiscardErrorLog();

} // namespace zoq::test
