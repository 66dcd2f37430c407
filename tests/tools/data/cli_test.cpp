// Runs zoq-pak and zoq-db: round trips against expected text, and corrupt or wrong input giving
// one error line and the documented exit code. Arguments: ZOQ_PAK ZOQ_DB FIXTURE_DIR.
#include "tests/support/child_process.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using zoq::test::ReadText;
using zoq::test::RunProgram;
using zoq::test::RunResult;
using zoq::test::WriteText;

const std::string g_pak = ZOQ_PAK_PROGRAM;
const std::string g_db = ZOQ_DB_PROGRAM;
const fs::path g_fixtures = ZOQ_TOOLS_DATA_FIXTURES;

class CliTest : public zoq::test::TempDirTest {
protected:
    // An error: the exit code and exactly one stderr line beginning with the prefix.
    static void ExpectOneLine(const RunResult& result, int exit, const std::string& prefix)
    {
        EXPECT_EQ(result.exitCode, exit) << result.err;
        EXPECT_EQ(result.err.rfind(prefix, 0), 0u) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    }

    void MakeGameFolder()
    {
        WriteText(m_dir / "game/Data/b.txt", "bb");
        std::string runs;
        for (int i = 0; i < 300; ++i)
            runs += std::string(size_t(i % 7 + 1), char('a' + i % 5)) + "\x01\x02";
        WriteText(m_dir / "game/Data/Sub/a.bin", runs);
        WriteText(m_dir / "game/Data/Привет.txt", "hello");
        WriteText(m_dir / "game/Data/Sub/empty", "");
    }
};

TEST_F(CliTest, packListAndCatReproduceTheFolderWithEveryCodec)
{
    MakeGameFolder();
    const std::string archive = (m_dir / "x.pak").string();
    const std::string game = (m_dir / "game/Data").string();
    for (const char* codec : { "raw", "rle8", "rle16", "lzflags", "lzescape", "rle8+lzflags", "rle8+lzescape",
             "rle16+lzflags", "rle16+lzescape", "auto" }) {
        RunResult pack = RunProgram(g_pak, { "pack", archive, game, "--block-size", "64", "--codec", codec });
        ASSERT_EQ(pack.exitCode, 0) << codec << ": " << pack.err;
        RunResult list = RunProgram(g_pak, { "list", archive });
        ASSERT_EQ(list.exitCode, 0) << list.err;
        EXPECT_EQ(list.out,
            "DATA\\B.TXT\t2\nDATA\\SUB\\A.BIN\t"
                + std::to_string(fs::file_size(m_dir / "game/Data/Sub/a.bin"))
                + "\nDATA\\SUB\\EMPTY\t0\nDATA\\ПРИВЕТ.TXT\t5\n")
            << codec;
        const std::pair<const char*, const char*> files[] = { { "data/b.txt", "game/Data/b.txt" },
            { "DATA\\Sub\\A.BIN", "game/Data/Sub/a.bin" }, { "Data/привет.TXT", "game/Data/Привет.txt" },
            { "data/sub/empty", "game/Data/Sub/empty" } };
        for (const auto& [name, path] : files) {
            RunResult cat = RunProgram(g_pak, { "cat", archive, name });
            EXPECT_EQ(cat.exitCode, 0) << name << ": " << cat.err;
            EXPECT_EQ(cat.out, ReadText(m_dir / path)) << name << " with " << codec;
        }
    }
    EXPECT_FALSE(fs::exists(m_dir / "x.pak.tmp"));
}

TEST_F(CliTest, packStoresNamesRelativeToTheRoot)
{
    MakeGameFolder();
    const std::string archive = (m_dir / "x.pak").string();
    ASSERT_EQ(
        RunProgram(g_pak,
            { "pack", archive, (m_dir / "game/Data/Sub").string(), "--root", (m_dir / "game").string() })
            .exitCode,
        0);
    EXPECT_EQ(RunProgram(g_pak, { "list", archive }).out,
        "DATA\\SUB\\A.BIN\t" + std::to_string(fs::file_size(m_dir / "game/Data/Sub/a.bin"))
            + "\nDATA\\SUB\\EMPTY\t0\n");
    ASSERT_EQ(RunProgram(g_pak, { "pack", archive, (m_dir / "game/Data/").string() }).exitCode, 0);
    EXPECT_EQ(RunProgram(g_pak, { "list", archive }).out.rfind("DATA\\B.TXT\t2\n", 0), 0u);
}

TEST_F(CliTest, pakErrorsGiveOneLine)
{
    MakeGameFolder();
    const std::string archive = (m_dir / "x.pak").string();
    const std::string game = (m_dir / "game/Data").string();
    ExpectOneLine(RunProgram(g_pak, {}), 2, "zoq-pak: usage:");
    ExpectOneLine(RunProgram(g_pak, { "list" }), 2, "zoq-pak: usage:");
    ExpectOneLine(
        RunProgram(g_pak, { "pack", archive, game, "--block-size", "63" }), 2, "zoq-pak: block size 63");
    ExpectOneLine(
        RunProgram(g_pak, { "pack", archive, game, "--codec", "zip" }), 2, "zoq-pak: unknown codec zip");
    ExpectOneLine(RunProgram(g_pak, { "pack", archive, (m_dir / "none").string() }), 1,
        "zoq-pak: " + (m_dir / "none").string());
    EXPECT_FALSE(fs::exists(archive));
    ExpectOneLine(RunProgram(g_pak, { "list", (m_dir / "none.pak").string() }), 1,
        "zoq-pak: " + (m_dir / "none.pak").string() + ": cannot open");

    WriteText(m_dir / "garbage.pak", "ZOQPAK\xff\xff\xff\xff");
    ExpectOneLine(RunProgram(g_pak, { "list", (m_dir / "garbage.pak").string() }), 1,
        "zoq-pak: " + (m_dir / "garbage.pak").string() + ":");

    ASSERT_EQ(
        RunProgram(g_pak, { "pack", archive, game, "--block-size", "64", "--codec", "lzflags" }).exitCode, 0);
    ExpectOneLine(RunProgram(g_pak, { "cat", archive, "DATA\\NONE" }), 1,
        "zoq-pak: " + archive + ": no file DATA\\NONE");
    // Spoil the records after the tables: the first block read fails.
    std::string bytes = ReadText(archive);
    const size_t records = 22 + 88 * 4 + 12 * ((fs::file_size(m_dir / "game/Data/Sub/a.bin") + 7 + 63) / 64);
    for (size_t i = records; i < bytes.size(); ++i)
        bytes[i] = '\xff';
    WriteText(archive, bytes);
    RunResult cat = RunProgram(g_pak, { "cat", archive, "DATA\\SUB\\A.BIN" });
    ExpectOneLine(cat, 1, "zoq-pak: " + archive + ":");
    EXPECT_NE(cat.err.find("corrupt block"), std::string::npos) << cat.err;
}

TEST_F(CliTest, dbBuildThenDumpGivesTheSourceValues)
{
    const std::string out = (m_dir / "DB.dat").string();
    ASSERT_EQ(RunProgram(g_db, { "build", out, (g_fixtures / "tables").string() }).exitCode, 0);
    RunResult dump = RunProgram(g_db, { "dump", out });
    ASSERT_EQ(dump.exitCode, 0) << dump.err;
    EXPECT_EQ(dump.out, ReadText(g_fixtures / "tables.dump"));

    const std::string first = ReadText(out) + ReadText(m_dir / "DB.tab") + ReadText(m_dir / "DB.ind");
    ASSERT_EQ(RunProgram(g_db, { "build", out, (g_fixtures / "tables").string() }).exitCode, 0);
    EXPECT_EQ(ReadText(out) + ReadText(m_dir / "DB.tab") + ReadText(m_dir / "DB.ind"), first);
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()), 3);
}

TEST_F(CliTest, dbErrorsGiveOneLine)
{
    ExpectOneLine(RunProgram(g_db, {}), 2, "zoq-db: usage:");
    ExpectOneLine(RunProgram(g_db, { "dump" }), 2, "zoq-db: usage:");
    const fs::path tables = m_dir / "tables";
    WriteText(tables / "a.txt", "@field A int\n[R]\nA = 1\nB = 2\n");
    const std::string out = (m_dir / "DB.dat").string();
    ExpectOneLine(RunProgram(g_db, { "build", out, tables.string() }), 1,
        "zoq-db: " + (tables / "a.txt").string() + ":4: undeclared key 'B'");
    EXPECT_FALSE(fs::exists(out));
    WriteText(tables / "a.txt", "@table T\n");
    WriteText(tables / "b.txt", "@table T\n");
    ExpectOneLine(RunProgram(g_db, { "build", out, tables.string() }), 1,
        "zoq-db: " + (tables / "b.txt").string() + ": duplicate table");

    ExpectOneLine(RunProgram(g_db, { "dump", (m_dir / "none.dat").string() }), 1,
        "zoq-db: " + (m_dir / "none.dat").string() + ":");

    fs::remove(tables / "b.txt");
    WriteText(tables / "a.txt", "@field A int\n@field B text\n[R]\nA = 1\nB = x\n");
    ASSERT_EQ(RunProgram(g_db, { "build", out, tables.string() }).exitCode, 0);
    std::string index = ReadText(m_dir / "DB.ind");
    index[4 + 40] = '\x40'; // the record's size past the data file
    WriteText(m_dir / "DB.ind", index);
    RunResult dump = RunProgram(g_db, { "dump", out });
    ExpectOneLine(dump, 1, "zoq-db: " + out + ":");
    EXPECT_NE(dump.err.find("corrupt record 'R'"), std::string::npos) << dump.err;

    ASSERT_EQ(RunProgram(g_db, { "build", out, tables.string() }).exitCode, 0);
    std::string data = ReadText(out);
    data[0] = '\x09'; // field id 9: no field of the table
    WriteText(out, data);
    ExpectOneLine(RunProgram(g_db, { "dump", out }), 1,
        "zoq-db: " + out + ": record 'R': field id 9 unknown to its table");
}

} // namespace
