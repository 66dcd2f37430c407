// DefaultManager: the base of the table-backed managers. Init selects the table and lists the
// names of its rows, leaving out those whose "Deleted" is 1; row i of the manager is entry i
// of the row names. Derived managers override Init, call it first, then read their columns.
#pragma once

#include "foundation/XStringTable.h"

#include <cstdint>

class CLogWriter;

class DefaultManager {
public:
    DefaultManager();
    virtual ~DefaultManager();
    DefaultManager(const DefaultManager&) = delete;
    DefaultManager& operator=(const DefaultManager&) = delete;

    virtual void Init(const char* table);

    int GetRowCount() const noexcept { return m_rowCount; }
    const XStringTable& GetRowNames() const noexcept { return m_rowNames; }
    const char* GetTableName() const noexcept { return m_tableName; }
    CLogWriter* GetLogWriter() const noexcept { return m_logWriter; }
    uint32_t GetLogging() const noexcept { return m_logging; }
    void SetLogging(uint32_t logging) noexcept { m_logging = logging; }

protected:
    void DeleteLogWriter();

    CLogWriter* m_logWriter = nullptr; // owned
    int m_rowCount = 0;
    char m_tableName[36] = {};
    XStringTable m_rowNames;
    uint32_t m_logging = 0; // whether the manager opens its ID log
};
