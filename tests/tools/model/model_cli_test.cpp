// Runs zoq-model: make and info of every kind, and the errors with their exit codes.
#include "tools/model/model_writer.h"

#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

namespace fs = std::filesystem;
using namespace zoq::tools::model;
using zoq::test::RunResult;

class ModelCli : public zoq::test::TempDirTest {
protected:
    RunResult Run(const std::vector<std::string>& args)
    {
        return zoq::test::RunProgram(ZOQ_MODEL_PROGRAM, args);
    }
    std::string Path(const char* name) const { return (m_dir / name).string(); }
};

TEST_F(ModelCli, gliderInfoShowsNinePartsPointsAndChannels)
{
    const RunResult make = Run({ "make", "glider", Path("g.mdl") });
    ASSERT_EQ(make.exitCode, 0) << make.err;
    EXPECT_EQ(make.out, "");
    EXPECT_EQ(make.err, "");
    const RunResult info = Run({ "info", Path("g.mdl") });
    ASSERT_EQ(info.exitCode, 0) << info.err;
    EXPECT_EQ(info.out.rfind("parts 9\n", 0), 0u);
    EXPECT_NE(info.out.find("\n  point 0 name=FIRE "), std::string::npos);
    EXPECT_NE(info.out.find("\n  point 1 name=FIRE1 "), std::string::npos);
    size_t channels = 0;
    for (size_t at = info.out.find("\n  channel "); at != std::string::npos;
         at = info.out.find("\n  channel ", at + 1))
        ++channels;
    EXPECT_EQ(channels, 4u);
}

TEST_F(ModelCli, everyKindWritesAndReadsBack)
{
    for (std::string_view kind : ModelKinds()) {
        const std::string file = Path("k.mdl");
        ASSERT_EQ(Run({ "make", std::string(kind), file, "--texture", "TEX_X" }).exitCode, 0) << kind;
        const RunResult info = Run({ "info", file });
        EXPECT_EQ(info.exitCode, 0) << kind << info.err;
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
        { {}, 2, "zoq-model: usage:" },
        { { "info" }, 2, "zoq-model: usage:" },
        { { "make", "boat", Path("b.mdl") }, 2, "zoq-model: usage:" },
        { { "make", "stone", Path("s.mdl"), "--colour", "x" }, 2, "zoq-model: usage:" },
        { { "info", Path("none.mdl") }, 1, "zoq-model: " + Path("none.mdl") + ": " },
    };
    for (const auto& row : kRows) {
        const RunResult result = Run(row.args);
        EXPECT_EQ(result.exitCode, row.exit) << result.err;
        EXPECT_EQ(result.err.rfind(row.prefix, 0), 0u) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    }
}

TEST_F(ModelCli, truncatedFileIsRefusedWithItsReason)
{
    ASSERT_EQ(Run({ "make", "stone", Path("s.mdl") }).exitCode, 0);
    fs::resize_file(Path("s.mdl"), fs::file_size(Path("s.mdl")) - 1);
    const RunResult info = Run({ "info", Path("s.mdl") });
    EXPECT_EQ(info.exitCode, 1);
    EXPECT_EQ(info.out, "");
    EXPECT_EQ(info.err,
        "zoq-model: " + Path("s.mdl") + ": part 1: file ends inside the main mesh indices at offset "
            + std::to_string(fs::file_size(Path("s.mdl")) - 71) + "\n");
}

} // namespace
