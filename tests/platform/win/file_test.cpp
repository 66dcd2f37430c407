#include "platform/win/file.h"

#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

#include <cstdio>
#include <gtest/gtest.h>

namespace {

using namespace plat::win;

std::vector<uint8_t> BytesOf(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

class FileTest : public testing::Test {
protected:
    FileTest()
    {
        zoq::test::WriteText(m_dir / "whole.bin", m_content);
        zoq::test::WriteText(m_dir / "empty.bin", "");
        zoq::test::WriteText(m_dir / "folder/inside.txt", "x");
    }

    zoq::test::TempDir m_dir;
    const std::string m_content = std::string("head\0\xff\r\nend", 11);
};

struct ReadCase {
    const char* name;
    FileResult result;
    std::string content;
};

TEST_F(FileTest, readWholeFileGivesEveryByteOrSaysWhyNot)
{
    const ReadCase cases[] = {
        { "whole.bin", FileResult::Ok, m_content },
        { "empty.bin", FileResult::Ok, "" },
        { "none.bin", FileResult::Missing, "" },
        { "folder", FileResult::NotRegular, "" },
        { "whole.bin/below", FileResult::Unreadable, "" },
    };
    for (const ReadCase& c : cases) {
        std::vector<uint8_t> bytes { 1, 2, 3 };
        EXPECT_EQ(ReadWholeFile(m_dir / c.name, bytes), c.result) << c.name;
        EXPECT_EQ(bytes, BytesOf(c.content)) << c.name;
    }
}

TEST_F(FileTest, readOnlyFileReadsAtOffsetsWithinItsSize)
{
    ReadOnlyFile file;
    ASSERT_EQ(file.Open(m_dir / "whole.bin"), FileResult::Ok);
    EXPECT_TRUE(file.IsOpen());
    EXPECT_EQ(file.Size(), m_content.size());
    char part[3] = {};
    ASSERT_TRUE(file.ReadAt(part, 3, 8));
    EXPECT_EQ(std::string(part, 3), "end");
    EXPECT_TRUE(file.ReadAt(part, 0, 11));
    EXPECT_FALSE(file.ReadAt(part, 3, 9));

    EXPECT_EQ(file.Open(m_dir / "none.bin"), FileResult::Missing);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.Size(), 0u);
    EXPECT_FALSE(file.ReadAt(part, 1, 0));
    EXPECT_EQ(file.Open(m_dir / "folder"), FileResult::NotRegular);
    EXPECT_FALSE(file.IsOpen());
}

TEST_F(FileTest, mappingShowsTheWholeFileReadOnly)
{
    ReadOnlyFile file;
    ASSERT_EQ(file.Open(m_dir / "whole.bin"), FileResult::Ok);
    FileMapping map;
    ASSERT_TRUE(map.Map(file));
    file.Close();
    ASSERT_EQ(map.Size(), m_content.size());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(map.Data()), map.Size()), m_content);
    map.Unmap();
    EXPECT_EQ(map.Data(), nullptr);
    EXPECT_EQ(map.Size(), 0u);
}

TEST_F(FileTest, emptyFileMapsToAnEmptyViewAndAClosedFileToNone)
{
    ReadOnlyFile file;
    FileMapping map;
    EXPECT_FALSE(map.Map(file));
    ASSERT_EQ(file.Open(m_dir / "empty.bin"), FileResult::Ok);
    ASSERT_TRUE(map.Map(file));
    EXPECT_EQ(map.Data(), nullptr);
    EXPECT_EQ(map.Size(), 0u);
}

TEST_F(FileTest, openFileSizeIsTheSizeOnDisk)
{
    std::FILE* file = std::fopen((m_dir / "whole.bin").c_str(), "rb");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(OpenFileSize(file), m_content.size());
    std::fclose(file);
    EXPECT_EQ(OpenFileSize(nullptr), std::nullopt);
}

} // namespace
