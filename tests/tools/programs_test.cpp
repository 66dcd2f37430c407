// Every program answers --help and --version, and the tools refuse bad input with one line that
// names the file and the reason.
#include "platform/win/program_info.h"
#include "tests/support/child_process.h"
#include "tests/support/files.h"
#include "tests/support/log_lines.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using zoq::test::RunProgram;
using zoq::test::RunResult;

struct SProgram {
    const char* name;
    const char* path;
};

constexpr SProgram kPrograms[] = {
    { "ZOQ", ZOQ_PROGRAM_ZOQ },
    { "ZJServ", ZOQ_PROGRAM_ZJSERV },
    { "zoq-pak", ZOQ_PROGRAM_PAK },
    { "zoq-db", ZOQ_PROGRAM_DB },
    { "zoq-tex", ZOQ_PROGRAM_TEX },
    { "zoq-model", ZOQ_PROGRAM_MODEL },
    { "zoq-world", ZOQ_PROGRAM_WORLD },
    { "zoq-map", ZOQ_PROGRAM_MAP },
    { "zoq-mkdata", ZOQ_PROGRAM_MKDATA },
    { "zoq-net", ZOQ_PROGRAM_NET },
    { "zoq-gfxcaps", ZOQ_PROGRAM_GFXCAPS },
    { "zoq-script", ZOQ_PROGRAM_SCRIPT },
    { "zoq-ui", ZOQ_PROGRAM_UI },
    { "zoq-radar", ZOQ_PROGRAM_RADAR },
    { "zoq-save", ZOQ_PROGRAM_SAVE },
};

const char* PathOf(const std::string& name)
{
    for (const SProgram& program : kPrograms)
        if (name == program.name)
            return program.path;
    return "";
}

class ProgramsTest : public zoq::test::TempDirTest { };

TEST_F(ProgramsTest, everyProgramAnswersHelpAndVersion)
{
    const std::string version(plat::win::ProgramVersion());
    for (const SProgram& program : kPrograms) {
        zoq::test::ChildOptions options;
        options.folder = m_dir.string(); // a program that ignored --help would find nothing to run on
        const RunResult help = RunProgram(program.path, { "--help" }, options, 20000);
        EXPECT_EQ(help.exitCode, 0) << program.name << ": " << help.err;
        EXPECT_EQ(help.out.rfind(std::string("usage: ") + program.name, 0), 0u) << help.out;
        EXPECT_EQ(help.out.back(), '\n') << program.name;
        const RunResult shown = RunProgram(program.path, { "--version" }, options, 20000);
        EXPECT_EQ(shown.exitCode, 0) << program.name;
        EXPECT_EQ(shown.out, std::string(program.name) + " " + version + "\n");
    }
    EXPECT_FALSE(std::filesystem::exists(m_dir / "error.log"));
}

TEST_F(ProgramsTest, toolsRefuseWithOneLineNamingTheFile)
{
    const std::string dir = m_dir.string();
    zoq::test::WriteText(m_dir / "lone/DB.dat", "not a database");
    for (const char* extension : { "dat", "tab", "ind" })
        zoq::test::WriteText(m_dir / (std::string("junk/DB.") + extension), std::string(64, '\xA5'));
    zoq::test::WriteText(m_dir / "junk.TM", "not a texture");
    std::filesystem::create_directories(m_dir / "empty");

    struct SCase {
        const char* program;
        std::vector<std::string> args;
        int exitCode;
        std::string line; // the start of a line on stderr
    };
    const SCase cases[] = {
        { "zoq-db", { "dump", dir + "/lone/DB.dat" }, 1, "zoq-db: " + dir + "/lone/DB.tab: missing" },
        { "zoq-db", { "dump", dir + "/junk/DB.dat" }, 1, "zoq-db: " + dir + "/junk/DB.dat: " },
        { "zoq-tex", { "info", dir + "/junk.TM" }, 1, "zoq-tex: " + dir + "/junk.TM: " },
        { "zoq-world", { "info", dir + "/empty", "location1" }, 1,
            "zoq-world: location1: not a location map: its name ends in .zjp" },
        { "zoq-world", { "info", dir + "/empty", "x.zjp" }, 1,
            "zoq-world: " + dir + "/empty/Data/DB.dat: cannot open the record database" },
        { "zoq-net", { "probe", "nohost" }, 2, "zoq-net: nohost: not an address" },
        { "zoq-net", { "probe", "127.0.0.1", "--wait", "x" }, 2, "zoq-net: --wait x: not a number" },
        { "zoq-mkdata", {}, 2, "usage: zoq-mkdata --out DIR" },
        { "zoq-mkdata", { "--force" }, 2, "usage: zoq-mkdata --out DIR" },
        { "zoq-save", { "info", dir + "/junk.TM" }, 1,
            "zoq-save: " + dir + "/junk.TM: shorter than its header" },
    };
    for (const SCase& c : cases) {
        zoq::test::ChildOptions options;
        options.folder = dir;
        const RunResult run = RunProgram(PathOf(c.program), c.args, options, 20000);
        const std::string shown = std::string(c.program) + " " + testing::PrintToString(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << shown << ": " << run.err;
        EXPECT_EQ(run.out, "") << shown;
        EXPECT_NE(("\n" + run.err).find("\n" + c.line), std::string::npos) << shown << ": " << run.err;
    }
    EXPECT_FALSE(std::filesystem::exists(m_dir / "build"));
    // The first line the game code of zoq-world wrote follows the program's start line.
    const std::vector<std::string> log
        = zoq::test::SplitLines(zoq::test::ReadText(m_dir / "empty/error.log"));
    ASSERT_EQ(log.size(), 2u);
    const std::string start
        = "zoq-world " + std::string(plat::win::ProgramVersion()) + " started in " + dir + "/empty";
    EXPECT_EQ(log[0].substr(log[0].size() - start.size()), start);
    EXPECT_NE(log[1].find("DataBase::Open: cannot open"), std::string::npos) << log[1];
}

} // namespace
