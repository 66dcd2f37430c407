// The record database over files written by the database builder: lookups, defaults, long
// names, in-memory registration, and corrupt or missing files.
#include "tests/foundation/data_dir_fixture.h"

#include "foundation/CallTrace.h"
#include "foundation/DataBase.h"
#include "platform/win/text.h"
#include "tests/support/le_bytes.h"

#include <cstring>
#include <functional>

namespace {

using zoq::test::PutU32;

namespace fs = std::filesystem;

const char* const kTextures = R"(# textures
@table Текстуры
@field Filename text
@field Type int
@field Scale float
[TEX_SAMPLECOLOR]
Filename = Data\Textures\sample.tm
Type = 7
Scale = 2.5
[TEX_EMPTY]
[TEX_LONG_NAME_OF_THIRTY_ONE_CH]
Type = 31
)";

const char* const kGoods = R"(@table Товары
@field Name text
@field Price int
[GOOD_A]
Name = Ёлка
Price = -5
)";

std::string Text(DataBase& db, const char* field)
{
    char out[256];
    db.GetStringField(field, out, sizeof out);
    return out;
}

class DataBaseTest : public DataDirTest {
protected:
    void SetUp() override
    {
        DataDirTest::SetUp();
        WriteDatabase("Data/DB.dat", { { "a.txt", kTextures }, { "b.txt", kGoods } });
    }

    bool Open() { return m_db.Open("Data\\DB.dat", 0); }

    DataBase m_db;
};

TEST_F(DataBaseTest, recordsAndFieldsAreFoundIgnoringCase)
{
    ASSERT_TRUE(Open());
    m_db.SelectFloor(CP1251("Текстуры"));
    m_db.Get("tex_samplecolor");
    EXPECT_EQ(m_db.SelectedRecord(), 0);
    EXPECT_EQ(Text(m_db, "filename"), "Data\\Textures\\sample.tm");
    EXPECT_EQ(m_db.GetIntegerField("TYPE"), 7);
    EXPECT_FLOAT_EQ(m_db.GetFloatField("Scale"), 2.5f);
    m_db.SelectFloor(CP1251("Товары"));
    m_db.Get("Good_A");
    EXPECT_EQ(Text(m_db, "Name"), CP1251("Ёлка"));
    EXPECT_EQ(m_db.GetIntegerField("Price"), -5);
    EXPECT_EQ(LogText(), "");
}

TEST_F(DataBaseTest, anIntactDatabasePassesTheRecordCheck)
{
    ASSERT_TRUE(Open());
    EXPECT_EQ(m_db.OpenFault(), "");
    EXPECT_EQ(m_db.CheckRecords(), "");
}

TEST_F(DataBaseTest, tableNamesAreCaseSensitive)
{
    ASSERT_TRUE(Open());
    m_db.SelectFloor(CP1251("текстуры"));
    EXPECT_EQ(m_db.FloorCount(), 3); // registered in memory only
    EXPECT_EQ(m_db.SelectedFloorId(), 3u);
    m_db.Get("TEX_SAMPLECOLOR");
    EXPECT_EQ(m_db.SelectedRecord(), -1);
    EXPECT_EQ(Text(m_db, "Filename"), "_DEFAULT_");
}

TEST_F(DataBaseTest, unknownFieldGivesDefaultAndWritesNoFile)
{
    const Bytes names = ReadBytes("Data/DB.tab");
    const Bytes index = ReadBytes("Data/DB.ind");
    const Bytes data = ReadBytes("Data/DB.dat");
    for (const char* file : { "Data/DB.dat", "Data/DB.tab", "Data/DB.ind" })
        fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    ASSERT_TRUE(Open());
    m_db.SelectFloor(CP1251("Текстуры"));
    m_db.Get("TEX_SAMPLECOLOR");
    EXPECT_EQ(Text(m_db, "Missing"), "");
    EXPECT_EQ(m_db.GetIntegerField("MissingInt"), 0);
    EXPECT_EQ(m_db.GetFloatField("MissingFloat"), 0.0f);
    m_db.SelectFloor("NewTable");
    // Registered in memory with the ids registration gives.
    ASSERT_EQ(m_db.FieldNameCount(), 8);
    EXPECT_EQ(m_db.FieldNameEntry(5).fieldId, 6u);
    EXPECT_STREQ(m_db.FieldNameEntry(5).name, "Missing");
    EXPECT_EQ(m_db.FieldNameEntry(6).type, DataBase::kTypeInteger);
    EXPECT_EQ(m_db.FloorEntry(1).nameMark, 8u); // the last table then was the second
    EXPECT_EQ(ReadBytes("Data/DB.tab"), names);
    EXPECT_EQ(ReadBytes("Data/DB.ind"), index);
    EXPECT_EQ(ReadBytes("Data/DB.dat"), data);
    EXPECT_EQ(std::distance(fs::directory_iterator("Data"), fs::directory_iterator()), 3);
}

TEST_F(DataBaseTest, getOfTheSelectedRecordReadsNothing)
{
    ASSERT_TRUE(Open());
    m_db.SelectFloor(CP1251("Текстуры"));
    m_db.Get("TEX_SAMPLECOLOR");
    Bytes data = ReadBytes("Data/DB.dat");
    std::fill(data.begin(), data.end(), 0);
    WriteBytes("Data/DB.dat", data);
    m_db.Get("tex_samplecolor");
    EXPECT_EQ(m_db.GetIntegerField("Type"), 7);
    m_db.Get("TEX_EMPTY");
    m_db.Get("TEX_SAMPLECOLOR");
    EXPECT_EQ(m_db.GetIntegerField("Type"), 0); // read again: now zeros
}

TEST_F(DataBaseTest, namesOf31CharactersPassAnd32AreRefused)
{
    ASSERT_TRUE(Open());
    const std::string name31(31, 'N');
    const std::string name32(32, 'N');
    m_db.SelectFloor(CP1251("Текстуры"));
    m_db.Get("TEX_LONG_NAME_OF_THIRTY_ONE_CH");
    EXPECT_EQ(m_db.GetIntegerField("Type"), 31);
    EXPECT_EQ(m_db.GetIntegerField(name31.c_str()), 0);
    EXPECT_EQ(LogText(), "");

    EXPECT_EQ(Text(m_db, name32.c_str()), "");
    m_db.SelectFloor(name32.c_str());
    EXPECT_STREQ(m_db.SelectedFloorName(), CP1251("Текстуры"));
    EXPECT_EQ(m_db.SelectedRecord(), 2); // a refused selection changes nothing
    m_db.SelectFloor(name31.c_str());
    EXPECT_STREQ(m_db.SelectedFloorName(), name31.c_str());
    EXPECT_EQ(m_db.GetRecordID(name31.c_str()), -1);
    EXPECT_THROW(m_db.Get(name32.c_str()), std::exception);
    EXPECT_NE(std::string(CallTraceText()).find("->DataBase::Get"), std::string::npos);

    const std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_NE(lines[0].find(plat::win::Cp1251ToUtf8(CP1251("DataBase::GetFloorID : Большая длина ID='"))
                  + name32 + "'"),
        std::string::npos)
        << lines[0];
    EXPECT_NE(lines[1].find(plat::win::Cp1251ToUtf8(CP1251("ERROR: Большая длина имени таблицы"))),
        std::string::npos);
    EXPECT_NE(
        lines[2].find(plat::win::Cp1251ToUtf8(CP1251("DataBase::GetRecordID : Большая длина ID='")) + name32),
        std::string::npos);
    EXPECT_NE(lines[3].find(" " + name32), std::string::npos);
}

TEST_F(DataBaseTest, defaultTextOnlyWithoutASelectedRecord)
{
    ASSERT_TRUE(Open());
    m_db.SelectFloor(CP1251("Текстуры"));
    EXPECT_EQ(Text(m_db, "Filename"), "_DEFAULT_");
    m_db.Get("TEX_EMPTY");
    EXPECT_EQ(m_db.FieldCount(), 0);
    EXPECT_EQ(Text(m_db, "Filename"), "");
    m_db.Get("NO_SUCH_RECORD");
    EXPECT_EQ(Text(m_db, "Filename"), "_DEFAULT_");
    EXPECT_EQ(m_db.GetIntegerField("Type"), 0);

    char small[5];
    m_db.Get("TEX_SAMPLECOLOR");
    m_db.GetStringField("Filename", small, sizeof small);
    EXPECT_STREQ(small, "Data");
}

TEST_F(DataBaseTest, setFieldChangesMemoryOnly)
{
    ASSERT_TRUE(Open());
    const Bytes data = ReadBytes("Data/DB.dat");
    m_db.SelectFloor(CP1251("Текстуры"));
    m_db.Get("TEX_SAMPLECOLOR");
    m_db.SetField("Type", 99);
    m_db.SetFloatField("NewScale", 0.5f);
    m_db.SetField("Filename", 1); // a text field long enough to take 4 bytes in place
    EXPECT_EQ(m_db.GetIntegerField("Type"), 99);
    EXPECT_FLOAT_EQ(m_db.GetFloatField("NewScale"), 0.5f);
    EXPECT_EQ(m_db.GetIntegerField("Filename"), 1);
    m_db.Get("TEX_EMPTY");
    m_db.SetField("Type", 3);
    EXPECT_EQ(m_db.GetIntegerField("Type"), 3);
    m_db.Get("TEX_SAMPLECOLOR");
    EXPECT_EQ(m_db.GetIntegerField("Type"), 7);
    EXPECT_EQ(ReadBytes("Data/DB.dat"), data);
}

TEST_F(DataBaseTest, missingDataFileFailsAndCreatesNothing)
{
    fs::remove("Data/DB.dat");
    EXPECT_FALSE(Open());
    EXPECT_FALSE(fs::exists("Data/DB.dat"));
    ASSERT_EQ(LogLines().size(), 1u);
    EXPECT_NE(LogText().find("DataBase::Open: cannot open '.\\Data\\DB.dat'"), std::string::npos)
        << LogText();
}

TEST_F(DataBaseTest, missingNameAndIndexFilesGiveEmptyTables)
{
    fs::remove("Data/DB.tab");
    fs::remove("Data/DB.ind");
    ASSERT_TRUE(Open());
    EXPECT_EQ(m_db.FloorCount(), 0);
    EXPECT_EQ(m_db.RecordCount(), 0);
    m_db.SelectFloor("T");
    m_db.Get("R");
    EXPECT_EQ(Text(m_db, "F"), "_DEFAULT_");
    EXPECT_FALSE(fs::exists("Data/DB.tab"));
}

struct CorruptRecordCase {
    const char* name;
    std::function<void(Bytes& index, Bytes& data)> spoil;
    const char* logged;
};

class DataBaseCorruptRecordTest : public DataBaseTest,
                                  public ::testing::WithParamInterface<CorruptRecordCase> { };

TEST_P(DataBaseCorruptRecordTest, corruptRecordIsLoggedAndSelectsNothing)
{
    Bytes index = ReadBytes("Data/DB.ind");
    Bytes data = ReadBytes("Data/DB.dat");
    GetParam().spoil(index, data);
    WriteBytes("Data/DB.ind", index);
    WriteBytes("Data/DB.dat", data);
    ASSERT_TRUE(Open());
    const std::string fault = m_db.CheckRecords();
    EXPECT_NE(fault.find("record 'TEX_SAMPLECOLOR'"), std::string::npos) << fault;
    EXPECT_NE(fault.find(GetParam().logged), std::string::npos) << fault;
    EXPECT_EQ(LogLines().size(), 0u);
    m_db.SelectFloor(CP1251("Текстуры"));
    m_db.Get("TEX_SAMPLECOLOR");
    EXPECT_EQ(m_db.SelectedRecord(), -1);
    EXPECT_EQ(Text(m_db, "Filename"), "_DEFAULT_");
    const std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("DataBase::Get corrupt record 'TEX_SAMPLECOLOR'"), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find(GetParam().logged), std::string::npos) << lines[0];
    m_db.Get("TEX_LONG_NAME_OF_THIRTY_ONE_CH");
    EXPECT_EQ(m_db.GetIntegerField("Type"), 31);
}

// Record 0 starts at data offset 0: field Filename (id 1), Type (id 2), Scale (id 3).
const CorruptRecordCase kCorruptRecords[] = {
    { "sizePastDataFile", [](Bytes& index, Bytes&) { PutU32(index, 4 + 40, 100000); },
        "outside the data file" },
    { "offsetPastDataFile", [](Bytes& index, Bytes&) { PutU32(index, 4 + 36, 0xFFFFFFF0); },
        "outside the data file" },
    { "fieldLengthPastRecord", [](Bytes&, Bytes& data) { PutU32(data, 4, 1000); }, "runs past the record" },
    { "fieldHeaderCut", [](Bytes& index, Bytes&) { PutU32(index, 4 + 40, 8 + 24 + 4); }, "field header cut" },
};

INSTANTIATE_TEST_SUITE_P(Records, DataBaseCorruptRecordTest, ::testing::ValuesIn(kCorruptRecords),
    [](const ::testing::TestParamInfo<CorruptRecordCase>& info) { return std::string(info.param.name); });

TEST_F(DataBaseTest, unterminatedTextIsCutAtItsLength)
{
    Bytes data = ReadBytes("Data/DB.dat");
    // Filename's value is "Data\Textures\sample.tm" and its terminator: drop the terminator.
    const size_t length = std::strlen("Data\\Textures\\sample.tm");
    data[8 + length] = 'X';
    WriteBytes("Data/DB.dat", data);
    ASSERT_TRUE(Open());
    m_db.SelectFloor(CP1251("Текстуры"));
    m_db.Get("TEX_SAMPLECOLOR");
    EXPECT_EQ(Text(m_db, "Filename"), "Data\\Textures\\sample.tmX");
}

TEST_F(DataBaseTest, moreThan256FieldsAreLoggedAndCut)
{
    Bytes data;
    for (uint32_t i = 0; i < 300; ++i) {
        Bytes field(12);
        PutU32(field, 0, 1 + i % 3);
        PutU32(field, 4, 4);
        PutU32(field, 8, i);
        data.insert(data.end(), field.begin(), field.end());
    }
    Bytes index = ReadBytes("Data/DB.ind");
    PutU32(index, 4 + 36, 0);
    PutU32(index, 4 + 40, uint32_t(data.size()));
    WriteBytes("Data/DB.dat", data);
    WriteBytes("Data/DB.ind", index);
    ASSERT_TRUE(Open());
    m_db.SelectFloor(CP1251("Текстуры"));
    m_db.Get("TEX_SAMPLECOLOR");
    EXPECT_EQ(m_db.FieldCount(), 256);
    EXPECT_EQ(m_db.GetIntegerField("Type"), 1);
    ASSERT_EQ(LogLines().size(), 1u);
    EXPECT_NE(LogText().find("more than 256 fields"), std::string::npos);
}

struct CorruptFileCase {
    const char* name;
    const char* file;
    std::function<void(Bytes&)> spoil;
};

class DataBaseCorruptFileTest : public DataBaseTest,
                                public ::testing::WithParamInterface<CorruptFileCase> { };

TEST_P(DataBaseCorruptFileTest, corruptNameOrIndexFileFailsTheOpen)
{
    Bytes bytes = ReadBytes(GetParam().file);
    GetParam().spoil(bytes);
    WriteBytes(GetParam().file, bytes);
    EXPECT_FALSE(Open());
    ASSERT_EQ(LogLines().size(), 1u);
    EXPECT_NE(LogText().find("DataBase::Open: corrupt"), std::string::npos) << LogText();
    EXPECT_FALSE(m_db.OpenFault().empty());
    EXPECT_NE(LogText().find(m_db.OpenFault()), std::string::npos) << LogText();
}

const CorruptFileCase kCorruptFiles[] = {
    { "tableCountPastEnd", "Data/DB.tab", [](Bytes& b) { PutU32(b, 0, 0x10000000); } },
    { "fieldCountPastEnd", "Data/DB.tab", [](Bytes& b) { PutU32(b, 4, 1000); } },
    { "nameFileCut", "Data/DB.tab", [](Bytes& b) { b.resize(6); } },
    { "tableNameUnterminated", "Data/DB.tab",
        [](Bytes& b) { std::fill(b.begin() + 12, b.begin() + 44, 'T'); } },
    { "recordCountPastEnd", "Data/DB.ind", [](Bytes& b) { PutU32(b, 0, 0xFFFFFFFF); } },
    { "recordNameUnterminated", "Data/DB.ind",
        [](Bytes& b) { std::fill(b.begin() + 8, b.begin() + 40, 'R'); } },
};

INSTANTIATE_TEST_SUITE_P(Files, DataBaseCorruptFileTest, ::testing::ValuesIn(kCorruptFiles),
    [](const ::testing::TestParamInfo<CorruptFileCase>& info) { return std::string(info.param.name); });

} // namespace
