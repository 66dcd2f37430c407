// Table sources: parsing, the errors with their lines, and the database files built from them.
#include "tools/data/db_writer.h"
#include "tools/data/table_source.h"

#include "platform/win/text.h"
#include "tests/support/files.h"
#include "tests/support/le_bytes.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

namespace {

using zoq::test::LeText;
using zoq::test::U32At;

using namespace zoq::tools::data;
using Bytes = std::vector<uint8_t>;

std::string NameAt(const Bytes& bytes, size_t at)
{
    return reinterpret_cast<const char*>(&bytes[at]);
}

std::string Value(const TableValue& value)
{
    return value.bytes;
}

TEST(TableSource, parsesTablesFieldsRecordsAndValues)
{
    const std::string text = "\xEF\xBB\xBF# comment\r\n"
                             "@table Текстуры\r\n"
                             "@field Filename text\n"
                             "@field Type int\n"
                             "@field Scale float\n"
                             "\n"
                             "[TEX_A]\n"
                             "  Filename =   Data\\a.tm  \n"
                             "type = 0xFFFFFFFF\n"
                             "Scale = -2.5e1\n"
                             "[TEX_B]\n"
                             "Filename = \" padded \\\"x\\\" \\\\ \"\n"
                             "Type = -12\n"
                             "[TEX_C]\n";
    TableSource table;
    std::string error;
    ASSERT_TRUE(ParseTableSource(text, "t.txt", "t", table, error)) << error;
    EXPECT_EQ(table.name, CP1251("Текстуры"));
    ASSERT_EQ(table.fields.size(), 3u);
    EXPECT_EQ(table.fields[1].type, FieldType::Integer);
    ASSERT_EQ(table.records.size(), 3u);
    ASSERT_EQ(table.records[0].values.size(), 3u);
    EXPECT_EQ(Value(table.records[0].values[0]), std::string("Data\\a.tm\0", 10));
    EXPECT_EQ(Value(table.records[0].values[1]), LeText(-1));
    float scale;
    std::memcpy(&scale, table.records[0].values[2].bytes.data(), 4);
    EXPECT_EQ(scale, -25.0f);
    EXPECT_EQ(Value(table.records[1].values[0]), std::string(" padded \"x\" \\ \0", 15));
    EXPECT_EQ(Value(table.records[1].values[1]), LeText(-12));
    EXPECT_TRUE(table.records[2].values.empty());

    ASSERT_TRUE(ParseTableSource("@field A int\n", "Товары.txt", "Товары", table, error)) << error;
    EXPECT_EQ(table.name, CP1251("Товары"));
}

struct ErrorCase {
    const char* source;
    const char* error;
};

const ErrorCase kErrors[] = {
    { "@field A text\n[R]\nA = 日本\n", "t.txt:3: text has a character without a Windows-1251 byte" },
    { "@field A text\n[R]\nB = 1\n", "t.txt:3: undeclared key 'B'" },
    { "@field A int\n[R]\nA = 1\na = 2\n", "t.txt:4: repeated key 'a'" },
    { "@field A int\n[Rec]\n[REC]\n", "t.txt:3: duplicate record 'REC'" },
    { "@field A int\n[Ёж]\n[ЁЖ]\n", "t.txt:3: duplicate record 'ЁЖ'" },
    { "@field A int\n@field a text\n", "t.txt:2: repeated field 'a'" },
    { "@field A long\n", "t.txt:1: field type 'long' is not text, int or float" },
    { "@field A int\n[R]\nA = 2147483648\n", "t.txt:3: '2147483648' is not a 32-bit integer" },
    { "@field A int\n[R]\nA = 0x100000000\n", "t.txt:3: '0x100000000' is not a 32-bit integer" },
    { "@field A int\n[R]\nA = 12abc\n", "t.txt:3: '12abc' is not a 32-bit integer" },
    { "@field A float\n[R]\nA = inf\n", "t.txt:3: 'inf' is not a finite float" },
    { "@field A float\n[R]\nA = 1e999\n", "t.txt:3: '1e999' is not a finite float" },
    { "@field A float\n[R]\nA =\n", "t.txt:3: '' is not a finite float" },
    { "@field A text\nA = 1\n", "t.txt:2: value before the first record" },
    { "@field A text\n[R]\n@field B text\n", "t.txt:3: @field after the first record" },
    { "@table T\n@table U\n", "t.txt:2: repeated @table" },
    { "@field AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA text\n", "t.txt:1: field name longer than 31 bytes" },
    { "[RRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRR]\n", "t.txt:1: record name longer than 31 bytes" },
    { "@table ТТТТТТТТТТТТТТТТТТТТТТТТТТТТТТТТ\n", "t.txt:1: table name longer than 31 bytes" },
    { "@field A text\n[R]\nA = \"open\n", "t.txt:3: unterminated quoted text" },
    { "@field A text\n[R]\nA = \"a\\n\"\n", "t.txt:3: in quotes only" },
    { "@field A text\n[R]\nA = \"a\" b\n", "t.txt:3: text after the closing quote" },
    { "@index A\n", "t.txt:1: unknown directive '@index'" },
    { "@field A text\n[R]\njust words\n", "t.txt:3: expected" },
    { "@field A text\n[R\n", "t.txt:2: record line must end with ']'" },
};

TEST(TableSource, errorsNameFileAndLine)
{
    for (const ErrorCase& c : kErrors) {
        TableSource table;
        std::string error;
        EXPECT_FALSE(ParseTableSource(c.source, "t.txt", "t", table, error)) << c.source;
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << "got: " << error << "\nwanted: " << c.error;
    }
}

TEST(TableSource, recordsAndFieldsOf31BytesPass)
{
    const std::string name31(31, 'N');
    const std::string cyrillic31 = "ЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖ"; // 31 bytes in Windows-1251
    TableSource table;
    std::string error;
    EXPECT_TRUE(ParseTableSource(
        "@field " + name31 + " int\n[" + cyrillic31 + "]\n" + name31 + " = 1\n", "t.txt", "t", table, error))
        << error;
}

TEST(DatabaseBuilder, idsAndNameMarksFollowRegistration)
{
    std::vector<TableSource> tables(3);
    std::string error;
    ASSERT_TRUE(ParseTableSource("@table First\n@field A text\n@field B int\n[R1]\nB = 5\nA = x\n[R2]\n",
        "1.txt", "1", tables[0], error));
    ASSERT_TRUE(ParseTableSource("@table Bare\n", "2.txt", "2", tables[1], error));
    ASSERT_TRUE(
        ParseTableSource("@table Third\n@field C float\n[R1]\nC = 0.5\n", "3.txt", "3", tables[2], error));
    DbImage image;
    ASSERT_TRUE(BuildDatabase(tables, image, error)) << error;

    const Bytes& names = image.names;
    ASSERT_EQ(names.size(), 8u + 40 * 3 + 44 * 3);
    EXPECT_EQ(U32At(names, 0), 3u);
    EXPECT_EQ(U32At(names, 4), 3u);
    const uint32_t marks[] = { 2, 0, 3 };
    const char* tableNames[] = { "First", "Bare", "Third" };
    for (uint32_t t = 0; t < 3; ++t) {
        EXPECT_EQ(U32At(names, 8 + 40 * t), t + 1);
        EXPECT_EQ(NameAt(names, 8 + 40 * t + 4), tableNames[t]);
        EXPECT_EQ(U32At(names, 8 + 40 * t + 36), marks[t]);
    }
    const uint32_t fieldTables[] = { 1, 1, 3 };
    const uint32_t types[] = { 0, 1, 2 };
    const char* fieldNames[] = { "A", "B", "C" };
    for (uint32_t f = 0; f < 3; ++f) {
        const size_t at = 8 + 40 * 3 + 44 * f;
        EXPECT_EQ(U32At(names, at), fieldTables[f]);
        EXPECT_EQ(U32At(names, at + 4), f + 1);
        EXPECT_EQ(NameAt(names, at + 8), fieldNames[f]);
        EXPECT_EQ(U32At(names, at + 40), types[f]);
    }

    const Bytes& index = image.index;
    ASSERT_EQ(index.size(), 4u + 44 * 3);
    EXPECT_EQ(U32At(index, 0), 3u);
    // First table's R1: B (id 2) then A (id 1), in line order.
    const Bytes r1 = { 2, 0, 0, 0, 4, 0, 0, 0, 5, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 'x', 0 };
    EXPECT_EQ(NameAt(index, 4 + 4), "R1");
    EXPECT_EQ(U32At(index, 4 + 36), 0u);
    EXPECT_EQ(U32At(index, 4 + 40), r1.size());
    EXPECT_EQ(Bytes(image.data.begin(), image.data.begin() + long(r1.size())), r1);
    EXPECT_EQ(NameAt(index, 48 + 4), "R2");
    EXPECT_EQ(U32At(index, 48 + 40), 0u);
    EXPECT_EQ(U32At(index, 92), 3u);
    EXPECT_EQ(U32At(index, 92 + 36), r1.size());
    EXPECT_EQ(image.data.size(), r1.size() + 12);
}

TEST(DatabaseBuilder, refusesADuplicateTable)
{
    std::vector<TableSource> tables(2);
    std::string error;
    ASSERT_TRUE(ParseTableSource("@table T\n", "a.txt", "a", tables[0], error));
    ASSERT_TRUE(ParseTableSource("@table T\n", "b.txt", "b", tables[1], error));
    DbImage image;
    EXPECT_FALSE(BuildDatabase(tables, image, error));
    EXPECT_EQ(error, "b.txt: duplicate table");
}

TEST(DatabaseBuilder, companionPathsReplaceTheExtension)
{
    EXPECT_EQ(DbCompanionPath("out/DB.dat", ".tab"), std::filesystem::path("out/DB.tab"));
    EXPECT_EQ(DbCompanionPath("out.d/DB", ".ind"), std::filesystem::path("out.d/DB.ind"));
}

TEST(TableSource, directoryIsReadInFileNameOrderTxtOnly)
{
    const zoq::test::TempDir dir("tables");
    zoq::test::WriteText(dir / "b.txt", "@field X int\n");
    zoq::test::WriteText(dir / "B2.txt", "@table Upper\n");
    zoq::test::WriteText(dir / "a.txt", "");
    zoq::test::WriteText(dir / "c.ini", "[not a table]\n");
    std::vector<TableSource> tables;
    std::string error;
    EXPECT_TRUE(ParseTableDirectory(dir.Path(), tables, error)) << error;
    ASSERT_EQ(tables.size(), 3u);
    EXPECT_EQ(tables[0].name, "Upper");
    EXPECT_EQ(tables[1].name, "a");
    EXPECT_EQ(tables[2].name, "b");
}

} // namespace
