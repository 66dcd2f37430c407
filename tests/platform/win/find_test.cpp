#include "platform/win/find.h"

#include "platform/win/text.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

#include <ctime>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

using namespace plat::win;

FileTime Utc(int year, int month, int day, int hour, int minute, int second, int ms = 0)
{
    std::tm tm {};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    return FileTime { int64_t(::timegm(&tm)) * 1'000'000'000 + int64_t(ms) * 1'000'000 };
}

std::vector<std::string> Names(const std::vector<FoundFile>& files)
{
    std::vector<std::string> names;
    for (const FoundFile& f : files)
        names.push_back(f.name);
    return names;
}

class FindTest : public testing::Test {
protected:
    FindTest()
        : m_cwd(m_dir.Path())
    {
        for (const char* name : { "Data/b.pak", "Data/A.PAK", "Data/a.pak", "Data/ab.pak", "Data/c.Pak",
                 "Data/Я.pak", "Data/x.sav", "Data/pak", "Data/b.pak.old" })
            zoq::test::WriteText(name, "12345");
        std::filesystem::create_directory("Data/sub.pak");
    }

    zoq::test::TempDir m_dir;
    zoq::test::ScopedChdir m_cwd;
};

TEST_F(FindTest, patternsShouldMatchIgnoringCaseInAFixedOrder)
{
    using Names_ = std::vector<std::string>;
    struct Case {
        std::string pattern;
        Names_ expected;
    };
    const Case cases[] = {
        { "Data\\*.pak", { "A.PAK", "a.pak", "ab.pak", "b.pak", "c.Pak", "sub.pak", CP1251("Я.pak") } },
        { "DATA\\?.PAK", { "A.PAK", "a.pak", "b.pak", "c.Pak", CP1251("Я.pak") } },
        { CP1251("data\\я.*"), { CP1251("Я.pak") } },
        { "data\\*.sav", { "x.sav" } },
        { "Data\\B.PAK*", { "b.pak", "b.pak.old" } },
        { "Data\\*",
            { "A.PAK", "a.pak", "ab.pak", "b.pak", "b.pak.old", "c.Pak", "pak", "sub.pak", "x.sav",
                CP1251("Я.pak") } },
        { "Data\\*.zip", {} },
        { "Nowhere\\*.pak", {} },
        { "Data\\", {} },
    };
    for (const Case& c : cases)
        EXPECT_EQ(Names(FileSearch(c.pattern)), c.expected) << c.pattern;
}

TEST_F(FindTest, entriesShouldCarryKindSizeAndTime)
{
    const FileTime stamp = Utc(2003, 7, 4, 9, 5, 3, 7);
    timespec times[2] = { { 0, UTIME_OMIT }, { stamp.unixNanoseconds / 1'000'000'000, 7'000'000 } };
    ASSERT_EQ(::utimensat(AT_FDCWD, "Data/x.sav", times, 0), 0);

    auto found = FileSearch("data\\*.sav");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_FALSE(found[0].isDirectory);
    EXPECT_EQ(found[0].size, 5u);
    EXPECT_EQ(found[0].lastWriteTime.unixNanoseconds, stamp.unixNanoseconds);
    FileTime viaPath;
    ASSERT_TRUE(GetFileTime("DATA\\X.SAV", viaPath));
    EXPECT_EQ(viaPath.unixNanoseconds, stamp.unixNanoseconds);
    EXPECT_FALSE(GetFileTime("Data\\none.sav", viaPath));

    auto dirs = FileSearch("Data\\sub.*");
    ASSERT_EQ(dirs.size(), 1u);
    EXPECT_TRUE(dirs[0].isDirectory);
}

TEST(FileTimes, dosStampsShouldUseUtcFieldsAndClamp)
{
    struct Case {
        FileTime time;
        uint16_t date;
        uint16_t time_;
    };
    const Case cases[] = {
        { Utc(2003, 7, 4, 9, 5, 3), 0x2EE4, 0x48A1 },
        { Utc(1980, 1, 1, 0, 0, 0), 0x0021, 0x0000 },
        { Utc(1979, 12, 31, 23, 59, 59), 0, 0 },
        { Utc(1979, 6, 1, 0, 0, 0), 0, 0 },
        { Utc(2107, 12, 31, 23, 59, 59), 0xFF9F, 0xBF7D },
        { Utc(2108, 1, 1, 0, 0, 0), 0xFF9F, 0xBF7D },
    };
    for (const Case& c : cases) {
        DosDateTime dos = FileTimeToDosDateTime(c.time);
        EXPECT_EQ(dos.date, c.date) << c.time.unixNanoseconds;
        EXPECT_EQ(dos.time, c.time_) << c.time.unixNanoseconds;
    }
}

TEST(FileTimes, localConversionShouldApplyTheZoneButDosShouldNot)
{
    const char* old = std::getenv("TZ");
    std::string saved = old ? old : "";
    ::setenv("TZ", "UTC-3", 1);
    ::tzset();
    const FileTime time = Utc(2003, 7, 4, 9, 5, 3, 7);
    LocalTime local = FileTimeToLocalTime(time);
    DosDateTime dos = FileTimeToDosDateTime(time);
    if (old)
        ::setenv("TZ", saved.c_str(), 1);
    else
        ::unsetenv("TZ");
    ::tzset();

    EXPECT_EQ(local.year, 2003);
    EXPECT_EQ(local.month, 7);
    EXPECT_EQ(local.day, 4);
    EXPECT_EQ(local.dayOfWeek, 5);
    EXPECT_EQ(local.hour, 12);
    EXPECT_EQ(local.minute, 5);
    EXPECT_EQ(local.second, 3);
    EXPECT_EQ(local.milliseconds, 7);
    EXPECT_EQ(dos.time, 0x48A1);
}

} // namespace
