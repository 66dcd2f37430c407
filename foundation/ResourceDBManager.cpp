#include "foundation/ResourceDBManager.h"

#include "foundation/BaseDirectory.h"
#include "foundation/CallTrace.h"
#include "foundation/DataBase.h"
#include "platform/win/profile.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>

ResourceDBManager g_ResourceDBManager(g_DataBase);

namespace {

constexpr char kDefaultText[] = "_DEFAULT_";
constexpr uint32_t kMaxIniText = 2048;

} // namespace

ResourceDBManager::ResourceDBManager(DataBase& database)
    : m_database(database)
{
    std::snprintf(m_baseDirectory, sizeof m_baseDirectory, "%s", ::BaseDirectory().c_str());
}

void ResourceDBManager::Init(const char* name, uint32_t databaseMode)
{
    ZJ_TRACE("ResourceDBManager::Init");
    std::snprintf(m_baseDirectory, sizeof m_baseDirectory, "%s", ::BaseDirectory().c_str());
    m_databaseMode = databaseMode;
    m_rootPath = std::string(m_baseDirectory) + (name ? name : "");
    m_tableIniPath = m_baseDirectory;
    m_sectionNames.clear();
    m_current = nullptr;
    m_recordIndex = -1;
    m_recordCount = 0;
    if (IsDatabaseMode() && !m_database.Open(name, 0))
        throw std::exception();
}

void ResourceDBManager::SelectSection(const char* table, bool readNames)
{
    m_current = nullptr;
    m_recordIndex = -1;
    if (IsDatabaseMode()) {
        m_database.SelectFloor(table);
        const uint32_t id = m_database.SelectedFloorId();
        m_recordCount = 0;
        for (int i = 0; i < m_database.RecordCount(); ++i)
            m_recordCount += m_database.RecordEntry(i).tableId == id ? 1 : 0;
        return;
    }
    char file[256];
    plat::win::ReadProfileString(m_rootPath, table ? table : "", "filename", "", file, sizeof file);
    m_tableIniPath = std::string(m_baseDirectory) + file;
    m_sectionPosition = 0;
    if (!readNames)
        return;
    // The whole list, however long: grow until it fits.
    std::vector<char> names(65536);
    uint32_t used = 0;
    while (true) {
        used = plat::win::ReadProfileSectionNames(m_tableIniPath, names.data(), uint32_t(names.size()));
        if (used + 2 < names.size())
            break;
        names.resize(names.size() * 2);
    }
    m_sectionNames.clear();
    m_recordCount = 0;
    for (size_t at = 0; at < used && names[at] != '\0';) {
        const char* section = names.data() + at;
        const size_t length = std::strlen(section);
        if (int32_t(plat::win::ReadProfileInt(m_tableIniPath, section, "Deleted", 0)) != 1) {
            m_sectionNames.insert(m_sectionNames.end(), section, section + length + 1);
            ++m_recordCount;
        }
        at += length + 1;
    }
    m_sectionNames.push_back('\0');
}

bool ResourceDBManager::SetCurrentRecord(int from)
{
    const uint32_t id = m_database.SelectedFloorId();
    for (int i = from < 0 ? 0 : from; i < m_database.RecordCount(); ++i) {
        const SRecordEntry& entry = m_database.RecordEntry(i);
        if (entry.tableId == id) {
            std::memcpy(m_currentName, entry.name, sizeof m_currentName);
            m_current = m_currentName;
            m_recordIndex = i;
            return true;
        }
    }
    m_current = nullptr;
    m_recordIndex = m_database.RecordCount();
    return false;
}

int ResourceDBManager::FirstSection()
{
    if (IsDatabaseMode())
        return SetCurrentRecord(0) ? 1 : 0;
    m_sectionPosition = 0;
    m_current = nullptr;
    if (m_sectionNames.empty() || m_sectionNames[0] == '\0')
        return 0;
    m_current = m_sectionNames.data();
    return 1;
}

int ResourceDBManager::NextSection()
{
    if (IsDatabaseMode())
        return m_recordIndex >= 0 && SetCurrentRecord(m_recordIndex + 1) ? 1 : 0;
    if (!m_current)
        return 0;
    m_sectionPosition += std::strlen(m_sectionNames.data() + m_sectionPosition) + 1;
    if (m_sectionPosition >= m_sectionNames.size() || m_sectionNames[m_sectionPosition] == '\0') {
        m_current = nullptr;
        return 0;
    }
    m_current = m_sectionNames.data() + m_sectionPosition;
    return 1;
}

void ResourceDBManager::GetString(const char* section, const char* key, char* out, size_t size)
{
    if (!out || size == 0)
        return;
    out[0] = '\0';
    if (IsDatabaseMode()) {
        m_database.Get(section);
        m_database.GetStringField(key, out, size);
        return;
    }
    const uint32_t room = uint32_t(std::min<size_t>(size, kMaxIniText + 1));
    plat::win::ReadProfileString(
        m_tableIniPath, section ? section : "", key ? key : "", kDefaultText, out, room);
}

float ResourceDBManager::GetFloat(const char* section, const char* key)
{
    if (IsDatabaseMode()) {
        m_database.Get(section);
        return m_database.GetFloatField(key);
    }
    char text[256];
    plat::win::ReadProfileString(
        m_tableIniPath, section ? section : "", key ? key : "", kDefaultText, text, sizeof text);
    return float(std::strtod(text, nullptr));
}

int32_t ResourceDBManager::GetIntegerField(const char* section, const char* key)
{
    ZJ_TRACE("ResourceDBManager::GetIntegerField");
    if (IsDatabaseMode()) {
        m_database.Get(section);
        return m_database.GetIntegerField(key);
    }
    return int32_t(plat::win::ReadProfileInt(m_tableIniPath, section ? section : "", key ? key : "", 0));
}

void ResourceDBManager::WriteFloat(const char* section, const char* key, float value)
{
    if (IsDatabaseMode()) {
        m_database.SetFloatField(key, value);
        return;
    }
    char text[64];
    std::snprintf(text, sizeof text, "%f", double(value));
    plat::win::WriteProfileString(m_tableIniPath, section ? section : "", key ? key : "", text);
}

void ResourceDBManager::WriteInteger(const char* section, const char* key, int32_t value)
{
    if (IsDatabaseMode()) {
        m_database.SetField(key, value);
        return;
    }
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    plat::win::WriteProfileString(m_tableIniPath, section ? section : "", key ? key : "", text);
}
