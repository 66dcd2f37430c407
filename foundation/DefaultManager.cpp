#include "foundation/DefaultManager.h"

#include "foundation/CLogWriter.h"
#include "foundation/CallTrace.h"
#include "foundation/ResourceDBManager.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr uint32_t kRowNameBytes = 32;

bool IsDeleted(const char* section)
{
    return g_ResourceDBManager.GetIntegerField(section, "Deleted") == 1;
}

} // namespace

DefaultManager::DefaultManager() = default;

DefaultManager::~DefaultManager()
{
    DeleteLogWriter();
}

void DefaultManager::DeleteLogWriter()
{
    if (m_logWriter)
        m_logWriter->Close();
    delete m_logWriter;
    m_logWriter = nullptr;
}

void DefaultManager::Init(const char* table)
{
    DeleteLogWriter();
    std::snprintf(m_tableName, sizeof m_tableName, "%s", table ? table : "");
    {
        ZJ_TRACE("DefaultManager::Init->SelectSection");
        g_ResourceDBManager.SelectSection(table, true);
    }
    ZJ_TRACE("DefaultManager::Init");
    int count = 0;
    uint32_t bytes = 0;
    for (int more = g_ResourceDBManager.FirstSection(); more; more = g_ResourceDBManager.NextSection()) {
        const char* name = g_ResourceDBManager.GetCurrentSection();
        if (!IsDeleted(name)) {
            ++count;
            bytes += uint32_t(std::strlen(name)) + 1;
        }
    }
    // 32 bytes a row, or more when ini section names are longer.
    m_rowCount = 0;
    m_rowNames.Init(count, std::max(bytes, kRowNameBytes * uint32_t(count)));
    for (int more = g_ResourceDBManager.FirstSection(); more; more = g_ResourceDBManager.NextSection()) {
        const char* name = g_ResourceDBManager.GetCurrentSection();
        if (!IsDeleted(name) && m_rowNames.Count() < count)
            m_rowNames.Add(name);
    }
    m_rowCount = m_rowNames.Count();
}
