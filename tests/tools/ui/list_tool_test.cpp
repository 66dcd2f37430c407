// zoq-ui list: the lines of the save list (saving and loading) and of the network location list
// for a base folder, in display order, with the files left out; its refusals.
#include "tests/support/child_process.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"
#include "ui/SaveHeader.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using zoq::test::RunProgram;
using zoq::test::RunResult;

class ListToolTest : public zoq::test::TempDirTest {
protected:
    RunResult Run(const std::vector<std::string>& args)
    {
        zoq::test::ChildOptions options;
        options.folder = m_dir.string();
        return RunProgram(ZOQ_PROGRAM_UI, args, options, 20000);
    }

    // A save with that title and kind, written at minutesAgo before now.
    void WriteSave(const std::string& name, const std::string& title, uint32_t kind, int minutesAgo)
    {
        SaveHeader header;
        header.title = title;
        header.kind = kind;
        header.version = SaveHeader::kScreenshotVersion;
        const auto bytes = header.Encode();
        const std::filesystem::path path = m_dir / "SAVES" / name;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        std::filesystem::last_write_time(
            path, std::filesystem::file_time_type::clock::now() - std::chrono::minutes(minutesAgo));
    }
};

TEST_F(ListToolTest, loadListsTheAutomaticSaveFirstThenNewestFirstAndSavingProposesTheFirstFreeName)
{
    WriteSave("ZJ_1.sav", "First", 0, 60);
    WriteSave("ZJ_3.sav", "Third", 0, 10);
    WriteSave("autosave.sav", "Auto", SaveHeader::kAutoSave, 30);
    zoq::test::WriteText(m_dir / "SAVES" / "bad.sav", std::string(100, 'x'));

    const RunResult load = Run({ "list", m_dir.string(), "load" });
    EXPECT_EQ(load.exitCode, 0) << load.err;
    EXPECT_EQ(load.out,
        "autosave.sav\t<icon:POINT><reference:INT_AUTOSAVE=autosave.sav>\n"
        "ZJ_3.sav\t<icon:POINT><reference:Third=ZJ_3.sav>\n"
        "ZJ_1.sav\t<icon:POINT><reference:First=ZJ_1.sav>\n"
        "skipped\tbad.sav\tshorter than its header\n");

    const RunResult saves = Run({ "list", m_dir.string(), "saves" });
    EXPECT_EQ(saves.exitCode, 0) << saves.err;
    EXPECT_EQ(saves.out,
        "ZJ_2.sav\t<icon:POINT><reference:INT_NEWSAVE=ZJ_2.sav>\n"
        "ZJ_3.sav\t<icon:POINT><reference:Third=ZJ_3.sav>\n"
        "ZJ_1.sav\t<icon:POINT><reference:First=ZJ_1.sav>\n"
        "skipped\tbad.sav\tshorter than its header\n");
}

TEST_F(ListToolTest, netListsTheEnabledLocationsByCaption)
{
    std::filesystem::create_directories(m_dir / "Data" / "Net");
    zoq::test::WriteText(
        m_dir / "Data" / "Net" / "b.ini", "[LOCATION]\nCaption=Beta\nFileName=location2.zjo\n");
    zoq::test::WriteText(
        m_dir / "Data" / "Net" / "a.ini", "[LOCATION]\nCaption=Alpha\nFileName=location1.zjo\nEnable=1\n");
    zoq::test::WriteText(
        m_dir / "Data" / "Net" / "c.ini", "[LOCATION]\nCaption=Gamma\nFileName=location3.zjo\nEnable=0\n");
    const RunResult run = Run({ "list", m_dir.string(), "net" });
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out,
        "location1.zjo\t<icon:POINT><reference:Alpha=location1.zjo>\n"
        "location2.zjo\t<icon:POINT><reference:Beta=location2.zjo>\n");
}

TEST_F(ListToolTest, aMissingFolderFailsAndBadArgumentsShowTheUsage)
{
    const RunResult missing = Run({ "list", (m_dir / "none").string(), "load" });
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err.rfind("zoq-ui: ", 0), 0u) << missing.err;
    EXPECT_EQ(Run({ "list", m_dir.string(), "other" }).exitCode, 2);
    EXPECT_EQ(Run({ "list", m_dir.string() }).exitCode, 2);
}

} // namespace
