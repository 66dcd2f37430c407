// A temporary folder per test and a runner for a tool program that returns its exit code,
// stdout and stderr; the runner's capture files are gone again when it returns.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace zoq::tools::test {

struct RunResult {
    int exit = -1;
    std::string out;
    std::string err;
};

// One shell word, whatever the argument holds.
inline std::string Quote(const std::string& arg)
{
    std::string quoted = "'";
    for (char c : arg)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

inline std::string ReadText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class ToolFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "zoq-cli-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    RunResult Run(const std::string& program, const std::vector<std::string>& args)
    {
        std::string command = Quote(program);
        for (const std::string& arg : args)
            command += " " + Quote(arg);
        command += " > " + Quote((m_dir / "stdout").string()) + " 2> " + Quote((m_dir / "stderr").string());
        const int status = std::system(command.c_str());
        RunResult result;
        result.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.out = ReadText(m_dir / "stdout");
        result.err = ReadText(m_dir / "stderr");
        std::filesystem::remove(m_dir / "stdout");
        std::filesystem::remove(m_dir / "stderr");
        return result;
    }

    std::filesystem::path m_dir;
};

} // namespace zoq::tools::test
