#include "platform/win/paths.h"

#include "platform/win/text.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

#include <fcntl.h>
#include <gtest/gtest.h>

namespace {

using namespace plat::win;
using zoq::test::ReadText;
using zoq::test::WriteText;

// A data tree made on another system: mixed case, a Cyrillic folder, two case variants.
class PathsTest : public testing::Test {
protected:
    PathsTest()
        : m_cwd(m_dir.Path())
    {
        WriteText("Data/CONFIG/cfg.ini", "x");
        WriteText("Текстуры/a.tm", "x");
        WriteText("case/File.txt", "x");
        WriteText("case/FILE.txt", "x");
        WriteText("case/only.TXT", "x");
    }

    zoq::test::TempDir m_dir;
    zoq::test::ScopedChdir m_cwd;
};

TEST_F(PathsTest, resolverShouldMatchComponentsIgnoringCase)
{
    struct Case {
        std::string windows;
        std::string posix;
    };
    const Case cases[] = {
        { "Data\\CONFIG\\cfg.ini", "Data/CONFIG/cfg.ini" }, // exact
        { "DATA\\config\\CFG.INI", "Data/CONFIG/cfg.ini" }, // wrong case everywhere
        { CP1251("текстуры\\A.TM"), "Текстуры/a.tm" }, // Cyrillic folder
        { "case\\file.txt", "case/FILE.txt" }, // two variants: first in byte order
        { "case\\File.txt", "case/File.txt" }, // two variants: the exact one
        { "data\\Config\\New.ini", "Data/CONFIG/New.ini" }, // being created: caller's spelling
        { "data\\Missing\\x.ini", "Data/Missing/x.ini" }, // below a missing folder
        { "Data\\..\\case\\.\\ONLY.txt", "case/only.TXT" }, // ".." and "."
        { ".\\Data\\\\CONFIG\\", "Data/CONFIG" }, // empty components
        { "..\\x", "../x" }, // above the start stays
        { "", "." },
    };
    for (const Case& c : cases)
        EXPECT_EQ(ResolvePath(c.windows), c.posix) << c.windows;
    EXPECT_EQ(ResolvePathIn(m_dir.Path(), "data\\config"), m_dir.Path().string() + "/Data/CONFIG");
    EXPECT_EQ(ResolvePath(m_dir.Path().string() + "\\DATA"), m_dir.Path().string() + "/Data");
}

TEST_F(PathsTest, driveLetterShouldNeverResolve)
{
    EXPECT_EQ(ResolvePath("C:\\Data\\CONFIG\\cfg.ini"), std::nullopt);
    EXPECT_EQ(ResolvePath("d:cfg.ini"), std::nullopt);
    EXPECT_EQ(OpenFile("C:\\Data\\CONFIG\\cfg.ini", "rb"), nullptr);
    EXPECT_FALSE(MakeDirectory("C:\\Saves"));
}

TEST_F(PathsTest, textModeShouldReadCrlfAsLf)
{
    const std::string raw = "a\r\nb\r\n\rc\r";
    WriteText("Data/text.txt", raw);
    struct Case {
        const char* mode;
        std::string expected;
    };
    const Case cases[] = { { "rt", "a\nb\n\rc\r" }, { "r", "a\nb\n\rc\r" }, { "rb", raw }, { "r+b", raw } };
    for (const Case& c : cases) {
        std::FILE* f = OpenFile("DATA\\TEXT.TXT", c.mode);
        ASSERT_NE(f, nullptr) << c.mode;
        std::string read;
        for (int ch; (ch = std::fgetc(f)) != EOF;)
            read += char(ch);
        EXPECT_EQ(read, c.expected) << c.mode;
        std::fclose(f);
    }

    // Positions of a text stream round-trip.
    std::FILE* f = OpenFile("Data\\text.txt", "rt");
    ASSERT_NE(f, nullptr);
    std::fgetc(f);
    std::fgetc(f);
    long pos = std::ftell(f);
    EXPECT_EQ(std::fgetc(f), 'b');
    ASSERT_EQ(std::fseek(f, pos, SEEK_SET), 0);
    EXPECT_EQ(std::fgetc(f), 'b');
    std::fclose(f);
}

TEST_F(PathsTest, writesShouldKeepBytesAndCloseOnExec)
{
    std::FILE* f = OpenFile("data\\config\\Out.txt", "w");
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(::fcntl(::fileno(f), F_GETFD) & FD_CLOEXEC);
    std::fputs("one\ntwo\r\n", f);
    std::fclose(f);
    EXPECT_EQ(ReadText("Data/CONFIG/Out.txt"), "one\ntwo\r\n");

    f = OpenFile("DATA\\CONFIG\\out.TXT", "a");
    ASSERT_NE(f, nullptr);
    std::fputs("three", f);
    std::fclose(f);
    EXPECT_EQ(ReadText("Data/CONFIG/Out.txt"), "one\ntwo\r\nthree");

    f = OpenFile("Data\\CONFIG\\cfg.ini", "rb");
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(::fcntl(::fileno(f), F_GETFD) & FD_CLOEXEC);
    std::fclose(f);
}

TEST_F(PathsTest, openShouldFailForFoldersAndMissingFiles)
{
    EXPECT_EQ(OpenFile("Data", "rb"), nullptr);
    EXPECT_EQ(OpenFile("Data", "r"), nullptr);
    EXPECT_EQ(OpenFile("Data\\none.txt", "rb"), nullptr);
    EXPECT_EQ(OpenFile("Missing\\new.txt", "w"), nullptr);
    EXPECT_EQ(OpenFile("Data\\CONFIG\\cfg.ini", "q"), nullptr);
}

TEST_F(PathsTest, makeDirectoryAndRemoveFileShouldReportWhatHappened)
{
    EXPECT_TRUE(MakeDirectory("data\\Saves"));
    EXPECT_TRUE(std::filesystem::is_directory("Data/Saves"));
    EXPECT_FALSE(MakeDirectory("DATA\\SAVES")); // exists already
    EXPECT_FALSE(MakeDirectory("Missing\\Saves")); // no parent

    EXPECT_TRUE(RemoveFile("CASE\\ONLY.txt"));
    EXPECT_FALSE(std::filesystem::exists("case/only.TXT"));
    EXPECT_FALSE(RemoveFile("case\\only.txt")); // gone
    EXPECT_FALSE(RemoveFile("Data\\Saves")); // a folder
    EXPECT_TRUE(std::filesystem::is_directory("Data/Saves"));
}

TEST(Paths, currentDirectoryShouldBeDot)
{
    EXPECT_EQ(CurrentDirectory(), ".");
}

} // namespace
