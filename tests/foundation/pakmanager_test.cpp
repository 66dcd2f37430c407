// The file layer: archive precedence, disk fallback, clamped reads, seeks, corrupt archives,
// independent XFiles on two threads and descriptor hygiene.
#include "tests/foundation/data_dir_fixture.h"

#include "foundation/PakManager.h"
#include "foundation/XFile.h"

#include <chrono>
#include <filesystem>
#include <thread>

namespace {

using zoq::tools::data::Codec;
namespace fs = std::filesystem;

void SetTime(const fs::path& path, int secondsAfter2020)
{
    using namespace std::chrono;
    auto when = file_clock::from_sys(sys_days { 2020y / 1 / 1 } + seconds(secondsAfter2020));
    fs::last_write_time(path, when);
}

Bytes Text(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

int OpenDescriptors()
{
    int count = 0;
    for (auto it = fs::directory_iterator("/proc/self/fd"); it != fs::directory_iterator(); ++it)
        ++count;
    return count;
}

class PakManagerTest : public DataDirTest {
protected:
    std::string ReadCurrent(PakManager& pak, size_t n)
    {
        std::string out(n, '\0');
        out.resize(pak.ReadAvailable(out.data(), n));
        return out;
    }

    PakManager m_pak;
};

TEST_F(PakManagerTest, newerArchiveWinsEqualStampsGoByName)
{
    WriteArchive("Data/b.pak", { { "DATA\\X.TXT", Text("from b") } });
    WriteArchive("Data/A.pak", { { "DATA\\X.TXT", Text("from A") } });
    WriteArchive("Data/c.PAK", { { "DATA\\X.TXT", Text("from c") }, { "DATA\\ONLY_C", Text("c") } });
    SetTime("Data/A.pak", 100);
    SetTime("Data/b.pak", 100);
    SetTime("Data/c.PAK", 50);
    m_pak.Init("Data");
    ASSERT_EQ(m_pak.GetArchiveCount(), 3);
    ASSERT_TRUE(m_pak.Open(".\\Data\\x.txt"));
    EXPECT_EQ(ReadCurrent(m_pak, 100), "from A");
    EXPECT_EQ(m_pak.GetCurrentArchive(), 0);
    ASSERT_TRUE(m_pak.Open(".\\Data\\only_c"));
    EXPECT_EQ(m_pak.GetCurrentArchive(), 2);

    SetTime("Data/b.pak", 102); // one DOS step later
    m_pak.Init("Data");
    ASSERT_TRUE(m_pak.Open(".\\Data\\x.txt"));
    EXPECT_EQ(ReadCurrent(m_pak, 100), "from b");

    SetTime("Data/b.pak", 101); // the same two-second step as A
    m_pak.Init("Data");
    ASSERT_TRUE(m_pak.Open(".\\Data\\x.txt"));
    EXPECT_EQ(ReadCurrent(m_pak, 100), "from A");
}

TEST_F(PakManagerTest, pathNoArchiveHoldsOpensFromDiskWithOtherCasing)
{
    WriteArchive("Data/a.pak", { { "DATA\\IN.PAK", Text("x") } });
    WriteText("Data/Sub/File.Txt", "disk bytes");
    m_pak.Init("Data");
    ASSERT_TRUE(m_pak.Open(".\\DATA\\sub\\FILE.TXT"));
    EXPECT_EQ(m_pak.GetCurrentArchive(), -1);
    char buffer[16] = {};
    EXPECT_EQ(m_pak.Read(buffer, 4), 1u);
    EXPECT_EQ(std::string(buffer, 4), "disk");
    EXPECT_EQ(m_pak.Read(buffer, 16), 0u);
    m_pak.CloseFile();
    EXPECT_FALSE(m_pak.Open(".\\Data\\Sub\\none.txt"));
    EXPECT_EQ(m_pak.Read(buffer, 1), 0u);
}

TEST_F(PakManagerTest, noArchivesEverythingFromDisk)
{
    WriteText("Data/f.txt", "abc");
    m_pak.Init("Data");
    EXPECT_EQ(m_pak.GetArchiveCount(), 0);
    ASSERT_TRUE(m_pak.Open(".\\Data\\F.TXT"));
    EXPECT_EQ(ReadCurrent(m_pak, 10), "abc");
}

TEST_F(PakManagerTest, archivedReadsAreClampedAndSeeksFollowTheirOrigin)
{
    Bytes content = MixedBytes(100, 7);
    WriteArchive("Data/a.pak", { { "DATA\\F", content }, { "DATA\\G", Text("next file") } });
    m_pak.Init("Data");
    ASSERT_TRUE(m_pak.Open(".\\Data\\F"));
    uint8_t buffer[64];
    ASSERT_TRUE(m_pak.Seek(90, 0));
    EXPECT_EQ(m_pak.ReadAvailable(buffer, 50), 10u);
    EXPECT_TRUE(std::equal(content.begin() + 90, content.end(), buffer));
    EXPECT_EQ(m_pak.ReadAvailable(buffer, 50), 0u);

    ASSERT_TRUE(m_pak.Seek(10, 0));
    ASSERT_TRUE(m_pak.Seek(5, 1));
    ASSERT_EQ(m_pak.Read(buffer, 1), 1u);
    EXPECT_EQ(buffer[0], content[15]);
    EXPECT_FALSE(m_pak.Seek(-17, 1));
    EXPECT_FALSE(m_pak.Seek(-1, 0));
    ASSERT_EQ(m_pak.Read(buffer, 1), 1u);
    EXPECT_EQ(buffer[0], content[16]);

    ASSERT_TRUE(m_pak.Seek(95, 0));
    EXPECT_EQ(m_pak.Read(buffer, 10), 0u);
}

TEST_F(PakManagerTest, xfileKeepsItsOwnPositionBesideTheCurrentFile)
{
    Bytes content = MixedBytes(300, 8);
    WriteArchive("Data/a.pak", { { "DATA\\F", content }, { "DATA\\G", Text("other") } });
    WriteText("Data/disk.bin", "0123456789");
    m_pak.Init("Data");
    XFile archived;
    XFile disk;
    ASSERT_EQ(m_pak.OpenXFile(".\\Data\\F", archived), 1);
    ASSERT_EQ(m_pak.OpenXFile(".\\Data\\Disk.bin", disk), 1);
    EXPECT_TRUE(archived.IsInArchive());
    EXPECT_FALSE(disk.IsInArchive());
    EXPECT_EQ(archived.Size(), 300);
    EXPECT_EQ(disk.Size(), 10);

    ASSERT_TRUE(archived.Seek(10, 0));
    ASSERT_TRUE(archived.Seek(5, 1));
    EXPECT_EQ(archived.Tell(), 15);
    ASSERT_TRUE(disk.Seek(10, 0));
    ASSERT_TRUE(disk.Seek(-5, 1));
    EXPECT_EQ(disk.Tell(), 5);
    EXPECT_FALSE(disk.Seek(-6, 1));
    EXPECT_FALSE(archived.Seek(-16, 1));

    // Opening another file of the same archive moves nothing of the XFile.
    ASSERT_TRUE(m_pak.Open(".\\Data\\G"));
    uint8_t byte = 0;
    ASSERT_EQ(archived.Read(&byte, 1), 1u);
    EXPECT_EQ(byte, content[15]);

    uint8_t tail[8];
    ASSERT_TRUE(archived.Seek(296, 0));
    EXPECT_EQ(archived.ReadAvailable(tail, 8), 4u);
    ASSERT_TRUE(disk.Seek(8, 0));
    EXPECT_EQ(disk.ReadAvailable(tail, 8), 2u);
    EXPECT_EQ(disk.Read(tail, 1), 0u);

    XFile missing;
    EXPECT_EQ(m_pak.OpenXFile(".\\Data\\none", missing), 0);
    EXPECT_FALSE(missing.IsOpened());
    EXPECT_EQ(missing.Read(tail, 1), 0u);
    EXPECT_EQ(missing.Tell(), -1);
    archived.Close();
    EXPECT_FALSE(archived.IsOpened());
    EXPECT_EQ(archived.Read(tail, 1), 0u);
}

TEST_F(PakManagerTest, corruptArchiveIsSkippedOthersServe)
{
    WriteArchive("Data/good.pak", { { "DATA\\F", Text("good") } });
    WriteText("Data/bad.pak", "ZOQPAK not really an archive");
    SetTime("Data/good.pak", 0);
    SetTime("Data/bad.pak", 1000);
    m_pak.Init("Data");
    ASSERT_EQ(m_pak.GetArchiveCount(), 2);
    EXPECT_FALSE(m_pak.GetArchive(0).IsMounted());
    ASSERT_TRUE(m_pak.Open(".\\Data\\F"));
    EXPECT_EQ(m_pak.GetCurrentArchive(), 1);
    EXPECT_EQ(ReadCurrent(m_pak, 10), "good");
    ASSERT_EQ(LogLines().size(), 1u);
    EXPECT_NE(LogText().find("KWEngine::Init corrupt archive Data\\bad.pak"), std::string::npos) << LogText();
}

TEST_F(PakManagerTest, twoThreadsInterleavingFilesOfOneArchiveReadCorrectBytes)
{
    const Bytes first = MixedBytes(50000, 9);
    const Bytes second = MixedBytes(50000, 10);
    WriteArchive(
        "Data/a.pak", { { "DATA\\MAP", first }, { "DATA\\SOUND", second } }, 512, Codec::Rle16LzEscape);
    m_pak.Init("Data");
    auto reader = [this](const char* path, const Bytes& expected, bool& same) {
        for (int round = 0; round < 10; ++round) {
            XFile file;
            if (!m_pak.OpenXFile(path, file))
                return;
            Bytes out(expected.size());
            for (size_t at = 0; at < out.size(); at += 333) {
                size_t n = std::min<size_t>(333, out.size() - at);
                if (file.Read(out.data() + at, n) != n)
                    return;
            }
            if (out != expected)
                return;
        }
        same = true;
    };
    bool firstSame = false;
    bool secondSame = false;
    std::thread a(reader, ".\\Data\\map", std::cref(first), std::ref(firstSame));
    std::thread b(reader, ".\\Data\\sound", std::cref(second), std::ref(secondSame));
    a.join();
    b.join();
    EXPECT_TRUE(firstSame);
    EXPECT_TRUE(secondSame);
}

TEST_F(PakManagerTest, repeatedDiskOpensLeakNoDescriptor)
{
    WriteText("Data/f.txt", "abc");
    m_pak.Init("Data");
    const int before = OpenDescriptors();
    for (int i = 0; i < 50; ++i)
        ASSERT_TRUE(m_pak.Open(".\\Data\\f.txt"));
    EXPECT_EQ(OpenDescriptors(), before + 1);
    XFile file;
    for (int i = 0; i < 50; ++i)
        ASSERT_EQ(m_pak.OpenXFile(".\\Data\\f.txt", file), 1);
    EXPECT_EQ(OpenDescriptors(), before + 2);
    file.Close();
    m_pak.CloseFile();
    EXPECT_EQ(OpenDescriptors(), before);
}

TEST_F(PakManagerTest, xfileOutlivesTheArchiveTable)
{
    WriteArchive("Data/a.pak", { { "DATA\\F", Text("still here") } });
    m_pak.Init("Data");
    XFile file;
    ASSERT_EQ(m_pak.OpenXFile(".\\Data\\F", file), 1);
    m_pak.Close();
    char text[10];
    ASSERT_EQ(file.Read(text, 10), 10u);
    EXPECT_EQ(std::string(text, 10), "still here");
}

} // namespace
