// DataBase: the record store of three files: the data file (records of fields), the name file
// ".tab" (tables and their field names) and the index file ".ind" (where each record lies).
// Reading only: names registered at run time (a new table, a field asked for under a new
// name) live in memory until the database closes; no file is ever written by a read.
// Table names compare exactly; record and field names as upper-cased copies.
#pragma once

#include "platform/win/file.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// Stored layouts (little-endian), fixed by the file format.
struct SFloorEntry { // 40 bytes in the name file
    uint32_t id;
    char name[32];
    uint32_t nameMark; // the field-name count when a field was last added
};

struct SFieldNameEntry { // 44 bytes in the name file
    uint32_t tableId;
    uint32_t fieldId;
    char name[32];
    uint32_t type; // 0 text, 1 integer, 2 float
};

struct SRecordEntry { // 44 bytes in the index file
    uint32_t tableId;
    char name[32];
    uint32_t offset;
    uint32_t size;
};

class DataBase {
public:
    static constexpr int kMaxFields = 256;
    static constexpr size_t kNameSize = 32;
    static constexpr uint32_t kTypeText = 0; // stored in the name file
    static constexpr uint32_t kTypeInteger = 1;
    static constexpr uint32_t kTypeFloat = 2;

    // Where messages go: the error log unless a tool sets its own.
    using LogFunction = void (*)(std::string_view message);

    // One field of the selected record as stored.
    struct Field {
        uint32_t id;
        uint32_t length;
        const uint8_t* value;
    };

    DataBase();
    ~DataBase();
    DataBase(const DataBase&) = delete;
    DataBase& operator=(const DataBase&) = delete;

    void SetLog(LogFunction log) noexcept { m_log = log; }

    // Opens base directory + name; the ".tab" and ".ind" paths replace the extension. With
    // create set, the three files are first written empty. A missing data file logs
    // "DataBase::Open: cannot open '%s'" and gives false, creating nothing.
    bool Open(const char* name, int create);
    // The same on host paths; message names the database in the log lines.
    bool OpenFiles(const std::string& data, const std::string& names, const std::string& index,
        const std::string& message);
    // Why the last Open failed; empty after a success.
    const std::string& OpenFault() const noexcept { return m_openFault; }
    // The first record that lies outside the data file or whose fields do not fill it exactly
    // (record name and reason), else empty. Reads every record; logs nothing.
    std::string CheckRecords() const;
    void CloseFile();

    void SelectFloor(const char* name);
    // Selects the record of that name in the selected table (none when absent) and splits it
    // into fields. Re-selecting the selected record reads nothing.
    void Get(const char* name);
    // Selects record entry index (-1: none) whatever its table; false when it is corrupt
    // (logged; nothing is selected).
    bool SelectRecord(int index);

    // The text of a field, cut to size - 1 bytes: "_DEFAULT_" with no record selected, "" when
    // the record lacks it.
    void GetStringField(const char* field, char* out, size_t size);
    int32_t GetIntegerField(const char* field);
    float GetFloatField(const char* field);
    // Set a 4-byte value in the selected record in memory; the data file is not written.
    void SetField(const char* field, int32_t value);
    void SetFloatField(const char* field, float value);

    // Index of the record of that name in the selected table, -1 when none. A name of 32
    // characters or more is logged and throws.
    int GetRecordID(const char* name);
    // Field id of a field name in a table, 0 when none (or the name is too long: logged).
    uint32_t GetFloorID(const char* name, uint32_t tableId);
    // Registers the table (and the field, unless it is " ") in memory; returns the field id.
    uint32_t RegisterName(const char* table, const char* field, uint32_t type);

    int FloorCount() const noexcept { return int(m_floors.size()); }
    const SFloorEntry& FloorEntry(int i) const { return m_floors.at(size_t(i)); }
    int FieldNameCount() const noexcept { return int(m_names.size()); }
    const SFieldNameEntry& FieldNameEntry(int i) const { return m_names.at(size_t(i)); }
    int RecordCount() const noexcept { return int(m_records.size()); }
    const SRecordEntry& RecordEntry(int i) const { return m_records.at(size_t(i)); }

    const char* SelectedFloorName() const noexcept { return m_floorName; }
    uint32_t SelectedFloorId() const noexcept { return m_floorId; }
    int SelectedRecord() const noexcept { return m_record; }
    int FieldCount() const noexcept { return m_fieldCount; }
    Field FieldAt(int slot) const;

private:
    void Log(const std::string& message) const;
    void ClearSlots();
    const uint8_t* FindSlot(uint32_t id) const;
    void SetValue(const char* field, uint32_t type, uint32_t bits);
    int FindFloor(const char* name) const;
    bool LoadNames(const std::string& path, std::string& reason);
    bool LoadIndex(const std::string& path, std::string& reason);
    // Reads the record into buffer and points fields at its first 256 fields (more sets
    // overflow); the reason when it is corrupt, else empty.
    std::string ReadRecord(const SRecordEntry& entry, std::unique_ptr<uint8_t[]>& buffer,
        uint8_t* (&fields)[kMaxFields], int& fieldCount, bool& overflow) const;

    std::vector<SFloorEntry> m_floors;
    std::vector<SFieldNameEntry> m_names;
    std::vector<SRecordEntry> m_records;
    // table id (4 bytes) + upper-cased name -> first entry index or field id
    std::unordered_map<std::string, int> m_recordIndex;
    std::unordered_map<std::string, uint32_t> m_fieldIndex;

    plat::win::ReadOnlyFile m_data;
    std::string m_openFault;
    std::string m_name; // for messages

    uint8_t* m_slots[kMaxFields] = {};
    int m_fieldCount = 0;
    char m_floorName[kNameSize] = {};
    uint32_t m_floorId = 0;
    int m_record = -1;
    std::unique_ptr<uint8_t[]> m_buffer;
    std::vector<std::unique_ptr<uint8_t[]>> m_ownBlocks; // fields that SetField added
    LogFunction m_log = nullptr;
};

extern DataBase g_DataBase;
