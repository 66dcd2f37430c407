#include "platform/win/profile.h"

#include "platform/win/text.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace {

using namespace plat::win;
using zoq::test::ReadText;
using zoq::test::WriteText;

std::string Fixture()
{
    return std::string("; settings\r\n"
                       "[CONFIG]\r\n"
                       "  FixCursor = 1 \r\n"
                       "Gamma=-3\r\n"
                       "Name = \"Quoted Value\" \r\n"
                       "Single='x'\r\n"
                       "Half=\"open\r\n"
                       "Path=C:\\Data;not a comment\r\n"
                       "  ; Dup=commented\r\n"
                       "Dup=first\r\n"
                       "Dup=second\r\n"
                       "\r\n[")
        + CP1251("Текстуры") + "]\r\n" + CP1251("Ключ") + "=" + CP1251("Значение") + "\r\n"
        + "[config]\r\n"
          "Extra=from the second block\r\n"
          "Dup=third\r\n"
          "[ Empty ]\r\n"
          "Blank=\r\n"
          "Quotes=\"\"\r\n";
}

class ProfileTest : public testing::Test {
protected:
    ProfileTest() { WriteText(m_file, Fixture()); }

    std::string Read(std::string_view section, std::string_view key, const char* def, uint32_t size,
        uint32_t* result = nullptr)
    {
        std::string buffer(size + 8, '~');
        uint32_t n = ReadProfileString(m_file, section, key, def, buffer.data(), size);
        if (result)
            *result = n;
        EXPECT_EQ(buffer.substr(size), std::string(8, '~')) << "wrote past the buffer";
        return size == 0 ? std::string() : std::string(buffer.c_str());
    }

    zoq::test::TempDir m_dir;
    std::string m_file = m_dir / "cfg.ini";
};

TEST_F(ProfileTest, readsShouldFollowWindowsRules)
{
    struct Case {
        std::string section;
        std::string key;
        const char* def;
        std::string expected;
    };
    const Case cases[] = {
        { "CONFIG", "FixCursor", "d", "1" },
        { "config", "FIXCURSOR", "d", "1" },
        { "CONFIG", "Name", "d", "Quoted Value" },
        { "CONFIG", "Single", "d", "x" },
        { "CONFIG", "Half", "d", "\"open" }, // quotes that do not match stay
        { "CONFIG", "Path", "d", "C:\\Data;not a comment" }, // a later ';' is the value's
        { "CONFIG", "Dup", "d", "first" }, // the first duplicate wins
        { "CONFIG", "Extra", "d", "from the second block" }, // a repeated section adds keys
        { CP1251("текстуры"), CP1251("КЛЮЧ"), "d", CP1251("Значение") },
        { "Empty", "Blank", "d", "" }, // present but empty: not the default
        { "Empty", "Quotes", "d", "" },
        { "CONFIG", "Missing", "dflt  ", "dflt" }, // default without trailing blanks
        { "CONFIG", "Missing", nullptr, "" },
        { "Nowhere", "FixCursor", "d", "d" },
        { "CONFIG", "; settings", "d", "d" },
    };
    for (const Case& c : cases) {
        uint32_t n = 0;
        EXPECT_EQ(Read(c.section, c.key, c.def, 64, &n), c.expected) << c.section << "/" << c.key;
        EXPECT_EQ(n, c.expected.size()) << c.section << "/" << c.key;
    }
}

TEST_F(ProfileTest, lineEndingsAndBomShouldNotMatter)
{
    std::string lf = Fixture();
    for (std::size_t at; (at = lf.find("\r\n")) != std::string::npos;)
        lf.erase(at, 1);
    for (const std::string& text : { lf, "\xEF\xBB\xBF" + Fixture() }) {
        WriteText(m_file, text);
        EXPECT_EQ(Read("CONFIG", "FixCursor", "d", 64), "1");
        EXPECT_EQ(Read("Empty", "Quotes", "d", 64), "");
        EXPECT_EQ(Read(CP1251("Текстуры"), CP1251("Ключ"), "d", 64), CP1251("Значение"));
    }
}

TEST_F(ProfileTest, readsShouldTruncateToTheBuffer)
{
    struct Case {
        std::string key;
        const char* def;
        uint32_t size;
        std::string expected;
        uint32_t result;
    };
    const Case cases[] = {
        { "Name", "d", 0, "", 0 },
        { "Name", "d", 1, "", 0 },
        { "Name", "d", 2, "Q", 1 },
        { "Name", "d", 5, "Quot", 4 },
        { "Name", "d", 13, "Quoted Value", 12 },
        { "Missing", "default", 5, "defa", 4 },
        { "Missing", "default", 1, "", 0 },
    };
    for (const Case& c : cases) {
        uint32_t n = 99;
        EXPECT_EQ(Read("CONFIG", c.key, c.def, c.size, &n), c.expected) << c.key << " " << c.size;
        EXPECT_EQ(n, c.result) << c.key << " " << c.size;
    }
    EXPECT_EQ(ReadProfileString(m_file, "CONFIG", "Name", "d", nullptr, 10), 0u);
}

TEST_F(ProfileTest, sectionNamesShouldListEachNameOnceAndCutCleanly)
{
    const std::string all = std::string("CONFIG") + '\0' + CP1251("Текстуры") + '\0' + "Empty" + '\0';
    ASSERT_EQ(all.size(), 22u);
    struct Case {
        uint32_t size;
        std::string expected; // the bytes written
        uint32_t result;
    };
    const Case cases[] = {
        { 0, "", 0 },
        { 1, std::string(1, '\0'), 0 },
        { 2, std::string(2, '\0'), 0 },
        { 5, std::string("CON") + '\0' + '\0', 3 },
        { 9, std::string("CONFIG") + '\0' + '\0' + '\0', 7 },
        { 22, all.substr(0, 20) + '\0' + '\0', 20 },
        { 23, all + '\0', 22 },
        { 40, all + '\0', 22 },
    };
    for (const Case& c : cases) {
        std::string buffer(c.size + 8, '~');
        uint32_t n = ReadProfileSectionNames(m_file, buffer.data(), c.size);
        EXPECT_EQ(n, c.result) << c.size;
        EXPECT_EQ(buffer.substr(0, c.expected.size()), c.expected) << c.size;
        EXPECT_EQ(buffer.substr(c.size), std::string(8, '~')) << c.size;
    }
    char empty[4] = { 'x', 'x', 'x', 'x' };
    EXPECT_EQ(ReadProfileSectionNames((m_dir / "missing.ini").string(), empty, 4), 0u);
    EXPECT_EQ(empty[0], '\0');
    EXPECT_EQ(empty[1], '\0');
}

TEST_F(ProfileTest, integersShouldParseLikeWindows)
{
    WriteText(m_file,
        "[N]\nA=12\nB=-10\nC=+7\nD= 42abc\nE=0x1F\nF=abc\nG=\nI=99999999999\n"
        "J=-99999999999\nK=0x\nL=-0X10\nM=4294967295\nP=\" 5\"\n");
    struct Case {
        const char* key;
        uint32_t expected;
    };
    const Case cases[] = {
        { "A", 12 },
        { "B", uint32_t(-10) },
        { "C", 7 },
        { "D", 42 },
        { "E", 31 },
        { "F", 0 },
        { "G", 77 }, // empty: the default
        { "H", 77 }, // absent: the default
        { "I", 2147483647 },
        { "J", uint32_t(INT32_MIN) },
        { "K", 0 },
        { "L", uint32_t(-16) },
        { "M", 2147483647 },
        { "P", 5 },
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReadProfileInt(m_file, "n", c.key, 77), c.expected) << c.key;
    EXPECT_EQ(int32_t(ReadProfileInt((m_dir / "missing.ini").string(), "N", "A", -4)), -4);
}

TEST_F(ProfileTest, writesShouldChangeOnlyTheirLine)
{
    const std::string base = "[A]\r\nx=1\r\n; note\r\n\r\n[B]\r\ny=2\r\n";
    struct Case {
        const char* name;
        std::string before;
        std::string section, key, value;
        std::string after;
    };
    const Case cases[] = {
        { "changed key", base, "a", "X", "5", "[A]\r\nX=5\r\n; note\r\n\r\n[B]\r\ny=2\r\n" },
        { "new key", base, "a", "z", "9", "[A]\r\nx=1\r\nz=9\r\n; note\r\n\r\n[B]\r\ny=2\r\n" },
        { "new key, no keys yet", "[A]\r\n; c\r\n", "A", "k", "v", "[A]\r\nk=v\r\n; c\r\n" },
        { "new section", base, "C", "k", "v", base + "[C]\r\nk=v\r\n" },
        { "LF kept", "[A]\nx=1", "A", "y", "2", "[A]\nx=1\ny=2\n" },
        { "new section after a last line", "[A]\nx=1", "B", "k", "v", "[A]\nx=1\n[B]\nk=v\n" },
        { "new file", "", "S", "k", "v", "[S]\r\nk=v\r\n" },
        { "Cyrillic section", std::string("[") + CP1251("Звук") + "]\r\nv=1\r\n", CP1251("ЗВУК"), "V", "2",
            std::string("[") + CP1251("Звук") + "]\r\nV=2\r\n" },
        { "BOM kept", "\xEF\xBB\xBF[A]\r\nx=1\r\n", "A", "x", "2", "\xEF\xBB\xBF[A]\r\nx=2\r\n" },
        { "value with blanks", base, "B", "y", " a b ", "[A]\r\nx=1\r\n; note\r\n\r\n[B]\r\ny= a b \r\n" },
    };
    for (const Case& c : cases) {
        std::filesystem::remove(m_file);
        if (std::string(c.name) != "new file")
            WriteText(m_file, c.before);
        ASSERT_TRUE(WriteProfileString(m_file, c.section, c.key, c.value)) << c.name;
        EXPECT_EQ(ReadText(m_file), c.after) << c.name;
    }
    // No temporary file is left beside it.
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(m_dir.Path()))
        files += entry.is_regular_file();
    EXPECT_EQ(files, 1);
}

TEST_F(ProfileTest, writeShouldFailWithoutItsFolder)
{
    EXPECT_FALSE(WriteProfileString((m_dir / "Missing\\cfg.ini").string(), "A", "k", "v"));
    EXPECT_FALSE(std::filesystem::exists(m_dir / "Missing"));
}

TEST_F(ProfileTest, writeThenReadShouldAgreeThroughAWindowsPath)
{
    WriteText(m_dir / "Data/CONFIG/cfg.ini", Fixture());
    const std::string file = m_dir.Path().string() + "\\DATA\\config\\CFG.INI";
    ASSERT_TRUE(WriteProfileString(file, "CONFIG", "Gamma", "4"));
    ASSERT_TRUE(WriteProfileString(file, "CONFIG", "Dup", "new"));
    EXPECT_EQ(int32_t(ReadProfileInt(file, "config", "gamma", 0)), 4);
    char value[16];
    ReadProfileString(file, "CONFIG", "Dup", "", value, sizeof value);
    EXPECT_STREQ(value, "new");
    ReadProfileString(file, "config", "Extra", "", value, sizeof value);
    EXPECT_STREQ(value, "from the second");
    EXPECT_FALSE(std::filesystem::exists(m_dir / "DATA"));
}

TEST_F(ProfileTest, fileWithoutFolderShouldLieInTheCurrentDirectory)
{
    zoq::test::ScopedChdir cwd(m_dir.Path());
    ASSERT_TRUE(WriteProfileString("zjserv.ini", "ZJSERV", "Visible", "0"));
    EXPECT_EQ(ReadText(m_dir / "zjserv.ini"), "[ZJSERV]\r\nVisible=0\r\n");
    EXPECT_EQ(ReadProfileInt("ZJSERV.INI", "zjserv", "visible", 1), 0u);
}

} // namespace
