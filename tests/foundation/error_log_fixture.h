// A test fixture that sends error.log to a temporary folder with a fixed clock, and reads it back.
#pragma once

#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

inline plat::win::LocalTime FixedLogTime()
{
    return plat::win::LocalTime { 2003, 7, 5, 4, 9, 5, 3, 7 };
}

class ErrorLogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "zoq-foundation-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
        SetErrorLogDirectory(m_dir.string() + "/");
        SetErrorLogClock(&FixedLogTime);
        ResetCallTrace();
    }
    void TearDown() override
    {
        SetErrorLogDirectory({});
        SetErrorLogClock(nullptr);
        ResetCallTrace();
        std::filesystem::remove_all(m_dir);
    }

    std::string LogText() const
    {
        std::ifstream in(m_dir / "error.log", std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    std::vector<std::string> LogLines() const
    {
        std::vector<std::string> lines;
        std::stringstream text(LogText());
        for (std::string line; std::getline(text, line);)
            lines.push_back(line);
        return lines;
    }
    bool LogExists() const { return std::filesystem::exists(m_dir / "error.log"); }

    std::filesystem::path m_dir;
};
