#include "foundation/PakManager.h"

#include "foundation/CallTrace.h"
#include "foundation/XRangeError.h"
#include "platform/win/file.h"
#include "platform/win/find.h"
#include "platform/win/paths.h"

#include <algorithm>
#include <optional>
#include <string>

PakManager g_PakManager;

namespace {

struct MountRecord {
    std::string path;
    uint32_t stamp; // DOS date << 16 | DOS time of the last write
};

} // namespace

PakManager::~PakManager()
{
    Close();
}

void PakManager::Init(const char* dir)
{
    ZJ_TRACE("PakManager::Init");
    Close();
    const std::string folder = dir ? dir : "";
    std::vector<MountRecord> records;
    for (const plat::win::FoundFile& found :
        plat::win::FileSearch(plat::win::CurrentDirectory() + "\\" + folder + "\\*.pak")) {
        if (found.isDirectory)
            continue;
        plat::win::DosDateTime dos = plat::win::FileTimeToDosDateTime(found.lastWriteTime);
        records.push_back({ folder + "\\" + found.name, uint32_t(dos.date) << 16 | dos.time });
    }
    // Newest first; equal stamps keep the search's order.
    std::stable_sort(records.begin(), records.end(),
        [](const MountRecord& a, const MountRecord& b) { return a.stamp > b.stamp; });
    for (const MountRecord& record : records) {
        auto engine = std::make_shared<KWEngine>();
        engine->Init(record.path.c_str());
        m_archives.push_back(std::move(engine));
    }
}

int PakManager::Find(const char* path, int& file) const
{
    for (size_t i = 0; i < m_archives.size(); ++i) {
        file = m_archives[i]->FindFile(path);
        if (file >= 0)
            return int(i);
    }
    file = -1;
    return -1;
}

bool PakManager::Open(const char* path)
{
    CloseFile();
    m_cursor.Reset();
    int file = -1;
    m_current = Find(path, file);
    if (m_current >= 0)
        return m_archives[size_t(m_current)]->OpenIndex(m_cursor, file);
    m_file = plat::win::OpenFile(path ? path : "", "rb");
    return m_file != nullptr;
}

size_t PakManager::Read(void* dest, size_t n)
{
    if (m_current >= 0)
        return m_archives[size_t(m_current)]->Read(m_cursor, dest, n);
    return m_file ? std::fread(dest, n, 1, m_file) : 0;
}

size_t PakManager::ReadAvailable(void* dest, size_t n)
{
    if (m_current >= 0)
        return m_archives[size_t(m_current)]->ReadAvailable(m_cursor, dest, n);
    return m_file ? std::fread(dest, 1, n, m_file) : 0;
}

bool PakManager::Seek(long offset, int origin)
{
    if (m_current >= 0) {
        int64_t position = origin == 1 ? int64_t(m_cursor.Position()) + offset : int64_t(offset);
        if (position < 0)
            return false;
        m_cursor.SetPosition(uint64_t(position));
        return true;
    }
    return m_file && std::fseek(m_file, offset, origin == 1 ? SEEK_CUR : SEEK_SET) == 0;
}

int64_t PakManager::Tell() const
{
    if (m_current >= 0)
        return int64_t(m_cursor.Position());
    return m_file ? int64_t(std::ftell(m_file)) : -1;
}

int64_t PakManager::Size() const
{
    if (m_current >= 0)
        return m_cursor.Size();
    const std::optional<uint64_t> size = plat::win::OpenFileSize(m_file);
    return size ? int64_t(*size) : -1;
}

void PakManager::CloseFile()
{
    if (m_file)
        std::fclose(m_file);
    m_file = nullptr;
}

void PakManager::Close()
{
    CloseFile();
    m_cursor.Reset();
    m_current = -1;
    m_archives.clear();
}

int PakManager::OpenXFile(const char* path, XFile& xfile) const
{
    xfile.Close();
    int file = -1;
    int archive = Find(path, file);
    xfile.m_inArchive = archive >= 0;
    if (archive >= 0) {
        xfile.m_opened = m_archives[size_t(archive)]->OpenIndex(xfile.m_cursor, file);
    } else {
        xfile.m_file = plat::win::OpenFile(path ? path : "", "rb");
        xfile.m_opened = xfile.m_file != nullptr;
    }
    return xfile.m_opened ? 1 : 0;
}

const KWEngine& PakManager::GetArchive(int i) const
{
    if (i < 0 || i >= GetArchiveCount())
        throw XRangeError();
    return *m_archives[size_t(i)];
}
