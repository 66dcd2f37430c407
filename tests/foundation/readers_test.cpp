// The parameter readers in both modes, the table-backed manager base, the ID log, and the whole
// chain from a packed archive and a built database to a manager's rows.
#include "tests/foundation/data_dir_fixture.h"

#include "foundation/BaseDirectory.h"
#include "foundation/CLogWriter.h"
#include "foundation/CallTrace.h"
#include "foundation/DataBase.h"
#include "foundation/DefaultManager.h"
#include "foundation/PakManager.h"
#include "foundation/ResourceDBManager.h"
#include "platform/win/text.h"

#include <cstring>

namespace {

namespace fs = std::filesystem;

const char* const kModels = R"(@table Модели
@field Filename text
@field Size float
@field Deleted int
[MOD_FIRST]
Filename = Data\Models\first.txt
Size = 1.5
[MOD_SECOND]
Filename = Data\Models\second.txt
Deleted = 1
[MOD_THIRD]
Filename = Data\Models\third.txt
Deleted = 0
)";

std::vector<std::string> Rows(const DefaultManager& manager)
{
    std::vector<std::string> rows;
    for (int i = 0; i < manager.GetRowCount(); ++i)
        rows.push_back(manager.GetRowNames().GetString(i));
    return rows;
}

std::string GetString(const char* section, const char* key)
{
    char out[64];
    g_ResourceDBManager.GetString(section, key, out, sizeof out);
    return out;
}

using ReadersTest = DataDirTest;

TEST_F(ReadersTest, databaseModeSkipsDeletedRowsAndDefaultsAbsentValues)
{
    WriteDatabase("Data/DB.dat", { { "models.txt", kModels } });
    g_ResourceDBManager.Init("Data\\DB.dat", 1);
    EXPECT_STREQ(g_ResourceDBManager.BaseDirectory(), ".\\");
    DefaultManager manager;
    manager.Init(CP1251("Модели"));
    EXPECT_EQ(Rows(manager), (std::vector<std::string> { "MOD_FIRST", "MOD_THIRD" }));
    EXPECT_STREQ(manager.GetTableName(), CP1251("Модели"));
    EXPECT_EQ(g_ResourceDBManager.GetRecordCount(), 3);
    EXPECT_FLOAT_EQ(g_ResourceDBManager.GetFloat("MOD_FIRST", "Size"), 1.5f);
    EXPECT_EQ(g_ResourceDBManager.GetFloat("MOD_THIRD", "Size"), 0.0f);
    EXPECT_EQ(g_ResourceDBManager.GetFloat("MOD_NONE", "Size"), 0.0f);
    EXPECT_EQ(GetString("mod_third", "Filename"), "Data\\Models\\third.txt");
    EXPECT_EQ(GetString("MOD_THIRD", "Absent"), "");
    EXPECT_EQ(GetString("MOD_NONE", "Filename"), "_DEFAULT_");
    EXPECT_EQ(g_ResourceDBManager.GetIntegerField("MOD_SECOND", "Deleted"), 1);

    g_ResourceDBManager.GetFloat("MOD_FIRST", "Size");
    g_ResourceDBManager.WriteInteger("MOD_FIRST", "Level", 4);
    EXPECT_EQ(g_ResourceDBManager.GetIntegerField("MOD_FIRST", "Level"), 4);

    manager.Init("Empty");
    EXPECT_EQ(manager.GetRowCount(), 0);
    EXPECT_EQ(LogText(), "");
}

TEST_F(ReadersTest, iniModeSkipsDeletedRowsAndDefaultsAbsentValues)
{
    WriteText("Data/tables.ini", "[Models]\r\nfilename=Data\\models.ini\r\n");
    WriteText("Data/models.ini",
        "[MOD_FIRST]\nFilename=first.txt\nSize=1.5\nLevel=3\n"
        "[MOD_SECOND]\nDeleted=1\n"
        "[MOD_THIRD]\nDeleted=0\n");
    g_ResourceDBManager.Init("Data\\tables.ini", 0);
    DefaultManager manager;
    manager.Init("Models");
    EXPECT_EQ(Rows(manager), (std::vector<std::string> { "MOD_FIRST", "MOD_THIRD" }));
    EXPECT_FLOAT_EQ(g_ResourceDBManager.GetFloat("MOD_FIRST", "Size"), 1.5f);
    EXPECT_EQ(g_ResourceDBManager.GetFloat("MOD_THIRD", "Size"), 0.0f);
    EXPECT_EQ(g_ResourceDBManager.GetIntegerField("MOD_FIRST", "Level"), 3);
    EXPECT_EQ(GetString("MOD_FIRST", "Filename"), "first.txt");
    EXPECT_EQ(GetString("MOD_THIRD", "Filename"), "_DEFAULT_");
    g_ResourceDBManager.WriteInteger("MOD_THIRD", "Level", 8);
    EXPECT_EQ(g_ResourceDBManager.GetIntegerField("MOD_THIRD", "Level"), 8);
}

TEST_F(ReadersTest, chosenBaseDirectoryHoldsTheTablesInsteadOfTheWorkingDirectory)
{
    struct Restore {
        ~Restore() { SetBaseDirectory(""); }
    } restore;
    const fs::path elsewhere = m_dir / "elsewhere";
    WriteText("Data/tables.ini", "[Models]\r\nfilename=Data\\models.ini\r\n");
    WriteText("Data/models.ini", "[MOD_HERE]\n");
    WriteText(elsewhere / "Data/tables.ini", "[Models]\r\nfilename=Data\\models.ini\r\n");
    WriteText(elsewhere / "Data/models.ini", "[MOD_ELSEWHERE]\n");

    SetBaseDirectory(elsewhere.string());
    g_ResourceDBManager.Init("Data\\tables.ini", 0);
    EXPECT_EQ(std::string(g_ResourceDBManager.BaseDirectory()), elsewhere.string() + "\\");
    DefaultManager manager;
    manager.Init("Models");
    EXPECT_EQ(Rows(manager), (std::vector<std::string> { "MOD_ELSEWHERE" }));

    SetBaseDirectory("");
    g_ResourceDBManager.Init("Data\\tables.ini", 0);
    EXPECT_STREQ(g_ResourceDBManager.BaseDirectory(), ".\\");
    DefaultManager here;
    here.Init("Models");
    EXPECT_EQ(Rows(here), (std::vector<std::string> { "MOD_HERE" }));
}

TEST_F(ReadersTest, iniSectionListIsNotCut)
{
    // 300 names of 250 characters: past 60000 bytes and past the first read buffer.
    std::string ini;
    for (int i = 0; i < 300; ++i)
        ini += "[" + std::string(246, 'S') + std::to_string(1000 + i) + "]\nX=1\n";
    WriteText("Data/tables.ini", "[Big]\nfilename=Data\\big.ini\n");
    WriteText("Data/big.ini", ini);
    g_ResourceDBManager.Init("Data\\tables.ini", 0);
    DefaultManager manager;
    manager.Init("Big");
    ASSERT_EQ(manager.GetRowCount(), 300);
    EXPECT_EQ(std::string(manager.GetRowNames().GetString(299)), std::string(246, 'S') + "1299");
}

TEST_F(ReadersTest, missingDatabaseStopsStartUpWithTheReasonLogged)
{
    EXPECT_THROW(g_ResourceDBManager.Init("Data\\DB.dat", 1), std::exception);
    EXPECT_NE(std::string(CallTraceText()).find("->ResourceDBManager::Init"), std::string::npos);
    ASSERT_EQ(LogLines().size(), 1u);
    EXPECT_NE(LogText().find("DataBase::Open: cannot open '.\\Data\\DB.dat'"), std::string::npos);
    EXPECT_FALSE(fs::exists("Data"));
}

TEST_F(ReadersTest, idLogKeepsEachIdOnceAcrossRuns)
{
    const std::string longId(10240, 'K');
    {
        CLogWriter log;
        log.Init("TextureManager_Log.txt");
        EXPECT_EQ(log.WriteToLog("TEX_A", "Data\\a.tm"), CLogWriter::kOk);
        EXPECT_EQ(log.WriteToLog("TEX_NONE", nullptr), CLogWriter::kOk);
        EXPECT_EQ(log.WriteToLog("TEX_A", "Data\\other.tm"), CLogWriter::kFail);
        EXPECT_EQ(log.WriteToLog(longId.c_str(), "x"), CLogWriter::kOk);
        EXPECT_EQ(log.WriteToLog(CP1251("ТЕКСТУРА"), CP1251("файл")), CLogWriter::kOk);
        EXPECT_EQ(log.WriteToLog(nullptr, "x"), CLogWriter::kFail);
    }
    {
        CLogWriter log;
        log.Init("TextureManager_Log.txt");
        EXPECT_EQ(log.WriteToLog("TEX_A", "Data\\a.tm"), CLogWriter::kFail);
        EXPECT_EQ(log.WriteToLog(longId.c_str(), "x"), CLogWriter::kFail);
        EXPECT_EQ(log.WriteToLog(CP1251("ТЕКСТУРА"), "y"), CLogWriter::kFail);
        EXPECT_EQ(log.WriteToLog("TEX_B", "Data\\b.tm"), CLogWriter::kOk);
    }
    const Bytes text = ReadBytes("TextureManager_Log.txt");
    EXPECT_EQ(std::string(text.begin(), text.end()),
        "TEX_A\tData\\a.tm\nTEX_NONE\tNULL\n" + longId + "\tx\nТЕКСТУРА\tфайл\nTEX_B\tData\\b.tm\n");
}

TEST_F(ReadersTest, idLogThatCannotOpenWritesNothing)
{
    CLogWriter log;
    log.Init("NoFolder\\Log.txt");
    EXPECT_FALSE(log.IsOpen());
    EXPECT_EQ(log.WriteToLog("TEX_A", "a"), CLogWriter::kFail);
    EXPECT_EQ(log.RememberID("TEX_A"), CLogWriter::kOk);
    EXPECT_EQ(log.RememberID("TEX_A"), CLogWriter::kFail);
}

TEST_F(ReadersTest, managerRowsResolveToFilesOfAPackedArchive)
{
    WriteText("game/Data/Models/first.txt", "first model");
    WriteText("game/Data/Models/third.txt", "third model");
    std::vector<zoq::tools::data::PakSource> sources;
    std::string error;
    ASSERT_TRUE(zoq::tools::data::CollectPakSources("game/Data", "game", sources, error)) << error;
    fs::create_directories("Data");
    ASSERT_TRUE(zoq::tools::data::WritePak("Data/models.pak", sources, {}, error)) << error;
    WriteDatabase("Data/DB.dat", { { "models.txt", kModels } });

    PakManager pak;
    pak.Init("Data");
    g_ResourceDBManager.Init("Data\\DB.dat", 1);
    DefaultManager manager;
    manager.Init(CP1251("Модели"));
    ASSERT_EQ(manager.GetRowCount(), 2);
    for (int i = 0; i < manager.GetRowCount(); ++i) {
        const char* row = manager.GetRowNames().GetString(i);
        const std::string path = g_ResourceDBManager.BaseDirectory() + GetString(row, "Filename");
        ASSERT_TRUE(pak.Open(path.c_str())) << path;
        EXPECT_EQ(pak.GetCurrentArchive(), 0);
        char text[32] = {};
        EXPECT_EQ(pak.ReadAvailable(text, sizeof text), 11u);
        EXPECT_EQ(std::string(text), i == 0 ? "first model" : "third model");
    }
}

} // namespace
