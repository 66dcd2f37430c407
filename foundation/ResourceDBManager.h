// ResourceDBManager: the one parameter source of the table managers. In database mode a table
// is a database table, a section one of its records and a key a field; in ini mode a root ini
// file names each table's ini file, whose sections are the records. It also holds the base
// directory on which data, save and log paths are built. Main thread only: the selected table
// and the walk position are shared.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class DataBase;

class ResourceDBManager {
public:
    explicit ResourceDBManager(DataBase& database);

    // Database mode: opens the database name (under the base directory) for reading; throws
    // when it cannot be opened. Ini mode: name is the root ini file.
    void Init(const char* name, uint32_t databaseMode);
    void SelectSection(const char* table, bool readNames);
    // Walk the sections (rows) of the selected table; zero at the end.
    int FirstSection();
    int NextSection();
    const char* GetCurrentSection() const noexcept { return m_current; }
    // Rows of the selected table (database mode: index entries, deleted ones included).
    int GetRecordCount() const noexcept { return m_recordCount; }

    // The key's text cut to size - 1 bytes; "_DEFAULT_" when the section does not exist (and in
    // ini mode when the key is missing), "" for a missing key of an existing record.
    void GetString(const char* section, const char* key, char* out, size_t size);
    float GetFloat(const char* section, const char* key);
    int32_t GetIntegerField(const char* section, const char* key);
    // Database mode: in memory, on the record selected last; ini mode: written to the file.
    void WriteFloat(const char* section, const char* key, float value);
    void WriteInteger(const char* section, const char* key, int32_t value);

    // The base directory, ending with a backslash (".\").
    const char* BaseDirectory() const noexcept { return m_baseDirectory; }
    bool IsDatabaseMode() const noexcept { return m_databaseMode == 1; }
    DataBase& Database() noexcept { return m_database; }

private:
    bool SetCurrentRecord(int from);

    DataBase& m_database;
    char m_baseDirectory[256] = {};
    uint32_t m_databaseMode = 0;
    std::string m_rootPath;
    std::string m_tableIniPath;
    size_t m_sectionPosition = 0;
    std::vector<char> m_sectionNames; // each name with its terminator, then one more
    char m_currentName[32] = {};
    const char* m_current = nullptr;
    int m_recordIndex = -1;
    int m_recordCount = 0;
};

extern ResourceDBManager g_ResourceDBManager;
