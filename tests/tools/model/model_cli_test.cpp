// Runs zoq-model: make and info of every kind, and the errors with their exit codes.
#include "tools/model/model_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;
using namespace zoq::tools::model;

struct RunResult {
    int exit = -1;
    std::string out;
    std::string err;
};

std::string Quote(const std::string& arg)
{
    std::string quoted = "'";
    for (char c : arg)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string ReadText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class ModelCli : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "zoq-model-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
    }
    void TearDown() override { fs::remove_all(m_dir); }

    RunResult Run(const std::vector<std::string>& args)
    {
        std::string command = Quote(ZOQ_MODEL_PROGRAM);
        for (const std::string& arg : args)
            command += " " + Quote(arg);
        command += " > " + Quote((m_dir / "stdout").string()) + " 2> " + Quote((m_dir / "stderr").string());
        const int status = std::system(command.c_str());
        RunResult result;
        result.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.out = ReadText(m_dir / "stdout");
        result.err = ReadText(m_dir / "stderr");
        return result;
    }
    std::string Path(const char* name) const { return (m_dir / name).string(); }

    fs::path m_dir;
};

TEST_F(ModelCli, gliderInfoShowsNinePartsPointsAndChannels)
{
    const RunResult make = Run({"make", "glider", Path("g.mdl")});
    ASSERT_EQ(make.exit, 0) << make.err;
    EXPECT_EQ(make.out, "");
    EXPECT_EQ(make.err, "");
    const RunResult info = Run({"info", Path("g.mdl")});
    ASSERT_EQ(info.exit, 0) << info.err;
    EXPECT_EQ(info.out.rfind("parts 9\n", 0), 0u);
    EXPECT_NE(info.out.find("\n  point 0 name=FIRE "), std::string::npos);
    EXPECT_NE(info.out.find("\n  point 1 name=FIRE1 "), std::string::npos);
    size_t channels = 0;
    for (size_t at = info.out.find("\n  channel "); at != std::string::npos; at = info.out.find("\n  channel ", at + 1))
        ++channels;
    EXPECT_EQ(channels, 4u);
}

TEST_F(ModelCli, everyKindWritesAndReadsBack)
{
    for (std::string_view kind : ModelKinds()) {
        const std::string file = Path("k.mdl");
        ASSERT_EQ(Run({"make", std::string(kind), file, "--texture", "TEX_X"}).exit, 0) << kind;
        const RunResult info = Run({"info", file});
        EXPECT_EQ(info.exit, 0) << kind << info.err;
        SModelFile expected;
        ASSERT_TRUE(MakeModel(kind, "TEX_X", expected));
        EXPECT_EQ(info.out, FormatModelInfo(expected)) << kind;
    }
}

TEST_F(ModelCli, errorsGiveOneLineAndTheirExitCode)
{
    const struct {
        std::vector<std::string> args;
        int exit;
        std::string prefix;
    } kRows[] = {
        {{}, 2, "zoq-model: usage:"},
        {{"info"}, 2, "zoq-model: usage:"},
        {{"make", "boat", Path("b.mdl")}, 2, "zoq-model: usage:"},
        {{"make", "stone", Path("s.mdl"), "--colour", "x"}, 2, "zoq-model: usage:"},
        {{"info", Path("none.mdl")}, 1, "zoq-model: " + Path("none.mdl") + ": "},
    };
    for (const auto& row : kRows) {
        const RunResult result = Run(row.args);
        EXPECT_EQ(result.exit, row.exit) << result.err;
        EXPECT_EQ(result.err.rfind(row.prefix, 0), 0u) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    }
}

TEST_F(ModelCli, truncatedFileIsRefusedWithItsReason)
{
    ASSERT_EQ(Run({"make", "stone", Path("s.mdl")}).exit, 0);
    fs::resize_file(Path("s.mdl"), fs::file_size(Path("s.mdl")) - 1);
    const RunResult info = Run({"info", Path("s.mdl")});
    EXPECT_EQ(info.exit, 1);
    EXPECT_EQ(info.out, "");
    EXPECT_EQ(info.err, "zoq-model: " + Path("s.mdl") + ": part 1: file ends inside the main mesh indices at offset " +
            std::to_string(fs::file_size(Path("s.mdl")) - 71) + "\n");
}

} // namespace
