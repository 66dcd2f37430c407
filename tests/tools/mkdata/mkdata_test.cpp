// zoq-mkdata over a copy of the source tree's data/: refusals that name the source line, and
// whole runs that repeat byte for byte, keep an edited cfg.ini and survive an interrupted swap.
#include "tools/mkdata/mkdata.h"
#include "tools/mkdata/output.h"
#include "tools/mkdata/producers.h"

#include "tests/support/files.h"
#include "tests/support/log_lines.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace zoq::tools::mkdata;

namespace {

using zoq::test::AppendText;
using zoq::test::ReadText;
using zoq::test::WriteText;

void Replace(const fs::path& path, const std::string& from, const std::string& to)
{
    std::string text = ReadText(path);
    const size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from << " in " << path;
    text.replace(at, from.size(), to);
    WriteText(path, text);
}

// The 1-based line of the first line holding needle; 0 when none does.
int LineOf(const fs::path& path, const std::string& needle)
{
    const std::vector<std::string> lines = zoq::test::SplitLines(ReadText(path));
    for (size_t n = 0; n < lines.size(); ++n)
        if (lines[n].find(needle) != std::string::npos)
            return int(n) + 1;
    return 0;
}

// Every file under root by relative path, with its bytes.
std::map<std::string, std::string> Tree(const fs::path& root)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file())
            files[entry.path().lexically_relative(root).generic_string()] = ReadText(entry.path());
    }
    return files;
}

class MkdataTest : public ::testing::Test {
protected:
    void SetUp() override { fs::copy(ZOQ_DATA_DIR, Src(), fs::copy_options::recursive); }

    fs::path Src() const { return m_temp.Path() / "data"; }
    fs::path Out(const char* name) const { return m_temp.Path() / name; }

    RunResult RunInto(const fs::path& out, bool force = false, bool list = false, unsigned threads = 2) const
    {
        Options options;
        options.src = Src();
        options.out = out;
        options.force = force;
        options.list = list;
        options.threads = threads;
        return zoq::tools::mkdata::Run(options);
    }

    std::string Faults() const
    {
        DataSet set;
        std::string faults;
        EXPECT_FALSE(BuildDataSet(Src(), 2, set, faults));
        return faults;
    }

    zoq::test::TempDir m_temp { "mkdata-test" };
};

struct Refusal {
    const char* name;
    const char* file; // under data/
    void (*edit)(const fs::path& file);
    const char* lineOf; // the line the message names holds this; null: line 1
    const char* message;
};

const Refusal kRefusals[] = {
    { "row without recipe", "tables/textures.txt",
        [](const fs::path& f) { AppendText(f, "\n[TEX_NOFILE]\nFilename = Data\\Textures\\missing.tm\n"); },
        "missing.tm", "no recipe makes 'Data\\Textures\\missing.tm'" },
    { "orphan recipe", "recipes/render.txt",
        [](const fs::path& f) { AppendText(f, "Data\\Textures\\extra.tm argb\n"); }, "extra.tm",
        "orphan recipe: nothing reads 'Data\\Textures\\extra.tm'" },
    { "32-character id", "tables/textures.txt",
        [](const fs::path& f) { AppendText(f, "\n[TEX_ABCDEFGHIJKLMNOPQRSTUVWXYZ12]\n"); }, "TEX_ABCDEFGH",
        "record name longer than 31 bytes" },
    { "character outside Windows-1251", "tables/textures.txt",
        [](const fs::path& f) {
            AppendText(f, "\n[TEX_SNOW]\nFilename = Data\\Textures\\\xE2\x98\x83.tm\n");
        },
        "\xE2\x98\x83", "text has a character without a Windows-1251 byte" },
    { "model file name too long for its field", "tables/models.txt",
        [](const fs::path& f) {
            const std::string name = "Data\\Models\\" + std::string(60, 'm') + ".mdl";
            AppendText(f, "\n[MOD_LONG]\nFilename = " + name + "\n");
            AppendText(f.parent_path().parent_path() / "recipes/render.txt",
                name + " model kind=stone texture=TEX_STONE\n");
        },
        "mmmm.mdl", "is 76 bytes long; its field holds 67" },
    { "archive name too long", "recipes/render.txt",
        [](const fs::path& f) {
            const std::string name = "Data\\Textures\\" + std::string(70, 't') + ".tm";
            AppendText(f, name + " argb\n");
            AppendText(f.parent_path().parent_path() / "tables/textures.txt",
                "\n[TEX_LONG]\nFilename = " + name + "\n");
        },
        "tttt.tm", "is 87 bytes long; an archive name holds 79" },
    { "unknown location type id", "locations/location1.txt",
        [](const fs::path& f) { AppendText(f, "object 3 STN_NOPE 0 0 0\n"); }, "STN_NOPE",
        "'STN_NOPE' is no row of table 'Камни'" },
    { "map recipe fault", "maps/location1.txt",
        [](const fs::path& f) { AppendText(f, "basin x=1 y=1 radius=5 depth=1 surface=7\n"); }, "surface=7",
        "surface 7 is not defined above" },
    { "map material of no land material", "maps/location1.txt",
        [](const fs::path& f) { Replace(f, "material 3 colour", "material 9 colour"); }, "material 9",
        "material 9 is no GID of 'Поверхности'" },
    { "unknown trade good", "locations/location1.txt",
        [](const fs::path& f) {
            AppendText(f, "good B_L1_CEH TOV_NOPE max=1 buy=0 stock=0 production=0 min=0 normal=0\n");
        },
        "TOV_NOPE", "'TOV_NOPE' is no row of table 'Товары'" },
    { "trade building not placed", "locations/location1.txt",
        [](const fs::path& f) {
            AppendText(f, "good B_NOPE TOV_ORE max=1 buy=0 stock=0 production=0 min=0 normal=0\n");
        },
        "B_NOPE", "'B_NOPE' is no building of this location" },
    { "trade offer with two conditions", "locations/location1.txt",
        [](const fs::path& f) {
            AppendText(
                f, "good B_L1_CEH GUN_LASER max=1 buy=0 stock=0 production=0 min=0 normal=0 if=A lock=B\n");
        },
        "if=A lock=B", "expected 'good <building> <key> max=<f>" },
    { "trade good without its prices", "locations/location1.txt",
        [](const fs::path& f) { AppendText(f, "good B_L1_CEH TOV_ORE steep\n"); }, "TOV_ORE steep",
        "expected 'good <building> <key> max=<f>" },
    { "group at no road node", "locations/location1.txt",
        [](const fs::path& f) {
            AppendText(f, "group G ORG_GUARDS stand stand=NOWHERE members=CFG_GUARD\n");
        },
        "stand=NOWHERE", "'NOWHERE' is no road node of this location" },
    { "group of an unknown configuration", "locations/location1.txt",
        [](const fs::path& f) { AppendText(f, "group G ORG_GUARDS people point=FIELD members=CFG_NOPE\n"); },
        "CFG_NOPE", "'CFG_NOPE' is no row of table 'Конфигурации'" },
    { "caravan with one route node", "locations/location1.txt",
        [](const fs::path& f) {
            AppendText(f, "group G ORG_TRADERS caravan route=FIELD members=CFG_TRADER\n");
        },
        "route=FIELD", "'route=' takes two nodes" },
    { "missing required row", "tables/textures.txt",
        [](const fs::path& f) { Replace(f, "[TEX_SAMPLECOLOR]", "[TEX_SAMPLE_COLOUR]"); }, nullptr,
        "missing required row 'TEX_SAMPLECOLOR'" },
    { "name of no row", "tables/weapons.txt",
        [](const fs::path& f) { Replace(f, "FXMODEL = MOD_GL_FIRE", "FXMODEL = MOD_NOPE"); }, "MOD_NOPE",
        "'MOD_NOPE' is no row of table 'Модели'" },
    { "name of a deleted row", "tables/stones.txt",
        [](const fs::path& f) {
            Replace(f, "Model = MOD_STONE\n\n[STN_ROCK_BIG]", "Model = MOD_OLD_STONE\n\n[STN_ROCK_BIG]");
        },
        "MOD_OLD_STONE", "'MOD_OLD_STONE' is no row of table 'Модели'" },
    { "cfg.ini key missing", "config/cfg.ini", [](const fs::path& f) { Replace(f, "Gamma=0\n", ""); },
        nullptr, "missing key [CONFIG] Gamma" },
    { "unknown recipe key", "recipes/render.txt",
        [](const fs::path& f) { Replace(f, "color=0xFFFF00FF", "colour=0xFFFF00FF"); },
        "colour=", "recipe 'argb' has no key 'colour'" },
};

} // namespace

TEST_F(MkdataTest, RefusalsNameTheSourceLine)
{
    for (const Refusal& refusal : kRefusals) {
        SCOPED_TRACE(refusal.name);
        fs::remove_all(Src());
        fs::copy(ZOQ_DATA_DIR, Src(), fs::copy_options::recursive);
        const fs::path file = Src() / refusal.file;
        refusal.edit(file);
        const int line = refusal.lineOf ? LineOf(file, refusal.lineOf) : 1;
        ASSERT_GT(line, 0);
        const std::string expected = std::string("data/") + refusal.file + ":" + std::to_string(line) + ": ";
        const std::string faults = Faults();
        bool found = false;
        for (const std::string& fault : zoq::test::SplitLines(faults))
            found = found
                || (fault.rfind(expected, 0) == 0 && fault.find(refusal.message) != std::string::npos);
        EXPECT_TRUE(found) << "expected " << expected << "..." << refusal.message << " in\n" << faults;
    }
}

TEST_F(MkdataTest, EveryTableHasThreeRowsAndADeletedOne)
{
    const SourceTree tree(Src());
    DataSet set;
    ProducerContext context { tree, set, {} };
    for (const Producer& producer : Producers()) {
        std::string error;
        ASSERT_TRUE(producer.run(context, error)) << error;
    }
    EXPECT_EQ(set.Tables().size(), 25u);
    for (const TableEntry& entry : set.Tables()) {
        size_t deleted = 0;
        for (size_t r = 0; r < entry.table.records.size(); ++r)
            deleted += entry.Deleted(r) ? 1 : 0;
        EXPECT_GE(entry.table.records.size() - deleted, 3u) << entry.origin.file;
        EXPECT_GE(deleted, 1u) << entry.origin.file;
    }
}

TEST_F(MkdataTest, FailedGenerationWritesNothing)
{
    AppendText(Src() / "recipes/render.txt", "Data\\Textures\\extra.tm argb\n");
    const RunResult result = RunInto(Out("game"));
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err.rfind("zoq-mkdata: error: data/recipes/render.txt:", 0), 0u) << result.err;
    EXPECT_FALSE(fs::exists(Out("game")));
}

TEST_F(MkdataTest, RunsRepeatAndRegenerationLosesNothing)
{
    const RunResult first = RunInto(Out("a"), false, false, 1);
    ASSERT_EQ(first.exitCode, 0) << first.err;
    unsigned files = 0, archived = 0, plain = 0;
    unsigned long long written = 0;
    double seconds = -1;
    char end = 0;
    EXPECT_EQ(std::sscanf(first.out.c_str(),
                  "zoq-mkdata: wrote %u files (%u in Data\\data01.pak, %u plain), %llu bytes in %lf s%c",
                  &files, &archived, &plain, &written, &seconds, &end),
        6)
        << first.out;
    EXPECT_EQ(files, archived + plain);
    EXPECT_GT(archived, 0u);
    EXPECT_GT(plain, 0u);
    EXPECT_EQ(end, '\n');
    // Files made in parallel land in the same order whatever the number of threads.
    const RunResult second = RunInto(Out("b"), false, false, 4);
    ASSERT_EQ(second.exitCode, 0) << second.err;
    const auto a = Tree(Out("a"));
    EXPECT_EQ(a, Tree(Out("b")));
    uint64_t bytes = 0;
    for (const auto& [path, content] : a)
        bytes += content.size();
    EXPECT_LT(bytes, 30u << 20);
    for (const char* path : { "zjserv.ini", "Data/data01.pak", "Data/DB.dat", "Data/DB.tab", "Data/DB.ind",
             "Data/CONFIG/cfg.ini", "Data/CONFIG/DICode.ini", "Data/StartPolitics.csv", "Data/mkdata.stamp" })
        EXPECT_TRUE(a.count(path)) << path;
    EXPECT_FALSE(a.count("location1.zjo")) << "the objects file lives in the archive";

    EXPECT_EQ(RunInto(Out("a")).out, "zoq-mkdata: " + (Out("a") / "Data").string() + " is up to date\n");

    const RunResult list = RunInto(Out("listed"), false, true);
    EXPECT_FALSE(fs::exists(Out("listed")));
    EXPECT_NE(list.out.find("archive "), std::string::npos);
    EXPECT_NE(list.out.find("plain "), std::string::npos);
    EXPECT_NE(list.out.find(" location1.zjo\n"), std::string::npos);
    EXPECT_NE(list.out.find(" location1.zjp\n"), std::string::npos);
    EXPECT_NE(list.out.find(" Data\\CONFIG\\cfg.ini\n"), std::string::npos);

    // An edited cfg.ini survives a regeneration from changed sources, and --force replaces it.
    const fs::path cfg = Out("a") / "Data/CONFIG/cfg.ini";
    const std::string generated = ReadText(cfg);
    AppendText(cfg, "[EDITED]\r\nGamma=3\r\n");
    AppendText(Src() / "tables/textures.txt", "# changed\n");
    const RunResult kept = RunInto(Out("a"));
    ASSERT_EQ(kept.exitCode, 0) << kept.err;
    EXPECT_EQ(kept.out.rfind("zoq-mkdata: kept Data\\CONFIG\\cfg.ini (use --force to replace it)\n", 0), 0u)
        << kept.out;
    EXPECT_EQ(ReadText(cfg), generated + "[EDITED]\r\nGamma=3\r\n");

    // A run that fails leaves the folder as it was.
    const std::string stamp = ReadText(Out("a") / "Data/mkdata.stamp");
    AppendText(Src() / "recipes/render.txt", "Data\\Textures\\extra.tm argb\n");
    EXPECT_EQ(RunInto(Out("a")).exitCode, 1);
    EXPECT_EQ(ReadText(Out("a") / "Data/mkdata.stamp"), stamp);
    EXPECT_EQ(ReadText(cfg), generated + "[EDITED]\r\nGamma=3\r\n");
    Replace(Src() / "recipes/render.txt", "Data\\Textures\\extra.tm argb\n", "");

    // A swap cut short after the old folder stepped aside: the next run takes it back first.
    fs::rename(Out("a") / "Data", Out("a") / "Data.old");
    fs::create_directories(Out("a") / "Data.new/half");
    AppendText(Src() / "tables/textures.txt", "# changed again\n");
    const RunResult recovered = RunInto(Out("a"));
    ASSERT_EQ(recovered.exitCode, 0) << recovered.err;
    EXPECT_NE(recovered.out.find("kept"), std::string::npos);
    EXPECT_EQ(ReadText(cfg), generated + "[EDITED]\r\nGamma=3\r\n");
    EXPECT_FALSE(fs::exists(Out("a") / "Data.old"));
    EXPECT_FALSE(fs::exists(Out("a") / "Data.new"));

    const RunResult forced = RunInto(Out("a"), true);
    ASSERT_EQ(forced.exitCode, 0) << forced.err;
    EXPECT_EQ(forced.out.find("kept"), std::string::npos);
    EXPECT_EQ(ReadText(cfg), generated);
}
