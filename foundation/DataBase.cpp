#include "foundation/DataBase.h"

#include "foundation/BaseDirectory.h"
#include "foundation/ByteOrder.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "platform/win/file.h"
#include "platform/win/paths.h"
#include "platform/win/text.h"

#include <bit>
#include <cstdio>
#include <cstring>
#include <exception>

DataBase g_DataBase;

namespace {

constexpr size_t kFloorEntrySize = 40;
constexpr size_t kFieldNameEntrySize = 44;
constexpr size_t kRecordEntrySize = 44;
constexpr size_t kFieldHeader = 8;
constexpr char kDefaultText[] = "_DEFAULT_";

// A stored name of at most 31 characters; false when no terminator lies within 32 bytes.
bool CopyName(char (&to)[DataBase::kNameSize], const uint8_t* from)
{
    if (!std::memchr(from, 0, DataBase::kNameSize))
        return false;
    std::memset(to, 0, sizeof to);
    std::strcpy(to, reinterpret_cast<const char*>(from));
    return true;
}

std::string Key(uint32_t tableId, std::string_view name)
{
    std::string key(4, '\0');
    StoreLE(key.data(), tableId);
    key += plat::win::Upper1251(name);
    return key;
}

// A companion file's bytes; a missing one reads as empty.
bool ReadCompanion(
    const std::string& path, const char* what, std::vector<uint8_t>& bytes, std::string& reason)
{
    const plat::win::FileResult read = plat::win::ReadWholeFile(path, bytes);
    if (read == plat::win::FileResult::Ok || read == plat::win::FileResult::Missing)
        return true;
    reason = std::string(what) + " file unreadable";
    return false;
}

std::string Companion(const std::string& path, const char* extension)
{
    size_t slash = path.find_last_of("\\/");
    size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return path + extension;
    return path.substr(0, dot) + extension;
}

} // namespace

DataBase::DataBase() = default;

DataBase::~DataBase()
{
    CloseFile();
}

void DataBase::Log(const std::string& message) const
{
    if (m_log)
        m_log(message);
    else
        WriteErrorLog(message);
}

void DataBase::CloseFile()
{
    m_data.Close();
}

bool DataBase::Open(const char* name, int create)
{
    ZJ_TRACE("DataBase::Open");
    const std::string data = BaseDirectory() + (name ? name : "");
    const std::string paths[3] = { data, Companion(data, ".tab"), Companion(data, ".ind") };
    std::string host[3];
    for (int i = 0; i < 3; ++i) {
        if (create) {
            std::FILE* file = plat::win::OpenFile(paths[i], "wb");
            if (file)
                std::fclose(file);
        }
        host[i] = plat::win::ResolvePath(paths[i]).value_or(std::string());
    }
    return OpenFiles(host[0], host[1], host[2], data);
}

bool DataBase::OpenFiles(
    const std::string& data, const std::string& names, const std::string& index, const std::string& message)
{
    CloseFile();
    ClearSlots();
    m_floors.clear();
    m_names.clear();
    m_records.clear();
    m_recordIndex.clear();
    m_fieldIndex.clear();
    m_floorName[0] = '\0';
    m_floorId = 0;
    m_record = -1;
    m_name = message;
    m_openFault.clear();

    std::string reason;
    if (!LoadNames(names, reason) || !LoadIndex(index, reason)) {
        m_openFault = reason;
        Log("DataBase::Open: corrupt '" + m_name + "': " + reason);
        m_floors.clear();
        m_names.clear();
        m_records.clear();
        m_recordIndex.clear();
        m_fieldIndex.clear();
        return false;
    }
    if (m_data.Open(data) != plat::win::FileResult::Ok) {
        m_openFault = "cannot open";
        Log("DataBase::Open: cannot open '" + m_name + "'");
        return false;
    }
    return true;
}

bool DataBase::LoadNames(const std::string& path, std::string& reason)
{
    std::vector<uint8_t> bytes;
    if (!ReadCompanion(path, "name", bytes, reason))
        return false;
    if (bytes.empty())
        return true;
    if (bytes.size() < 8) {
        reason = "name file shorter than its counts";
        return false;
    }
    const uint64_t tables = LoadLE<uint32_t>(bytes.data());
    const uint64_t fields = LoadLE<uint32_t>(bytes.data() + 4);
    if (8 + kFloorEntrySize * tables + kFieldNameEntrySize * fields > bytes.size()) {
        reason = "name file shorter than its counts";
        return false;
    }
    const uint8_t* at = bytes.data() + 8;
    m_floors.resize(size_t(tables));
    for (SFloorEntry& floor : m_floors) {
        floor.id = LoadLE<uint32_t>(at);
        if (!CopyName(floor.name, at + 4)) {
            reason = "table name not terminated within 32 bytes";
            return false;
        }
        floor.nameMark = LoadLE<uint32_t>(at + 36);
        at += kFloorEntrySize;
    }
    m_names.resize(size_t(fields));
    for (SFieldNameEntry& entry : m_names) {
        entry.tableId = LoadLE<uint32_t>(at);
        entry.fieldId = LoadLE<uint32_t>(at + 4);
        if (!CopyName(entry.name, at + 8)) {
            reason = "field name not terminated within 32 bytes";
            return false;
        }
        entry.type = LoadLE<uint32_t>(at + 40);
        m_fieldIndex.try_emplace(Key(entry.tableId, entry.name), entry.fieldId);
        at += kFieldNameEntrySize;
    }
    return true;
}

bool DataBase::LoadIndex(const std::string& path, std::string& reason)
{
    std::vector<uint8_t> bytes;
    if (!ReadCompanion(path, "index", bytes, reason))
        return false;
    if (bytes.empty())
        return true;
    const uint64_t count = bytes.size() >= 4 ? LoadLE<uint32_t>(bytes.data()) : ~0ull;
    if (bytes.size() < 4 || 4 + kRecordEntrySize * count > bytes.size()) {
        reason = "index file shorter than its count";
        return false;
    }
    const uint8_t* at = bytes.data() + 4;
    m_records.resize(size_t(count));
    for (size_t i = 0; i < m_records.size(); ++i) {
        SRecordEntry& record = m_records[i];
        record.tableId = LoadLE<uint32_t>(at);
        if (!CopyName(record.name, at + 4)) {
            reason = "record name not terminated within 32 bytes";
            return false;
        }
        record.offset = LoadLE<uint32_t>(at + 36);
        record.size = LoadLE<uint32_t>(at + 40);
        m_recordIndex.try_emplace(Key(record.tableId, record.name), int(i));
        at += kRecordEntrySize;
    }
    return true;
}

int DataBase::FindFloor(const char* name) const
{
    for (size_t i = 0; i < m_floors.size(); ++i) {
        if (std::strcmp(m_floors[i].name, name) == 0)
            return int(i);
    }
    return -1;
}

uint32_t DataBase::RegisterName(const char* table, const char* field, uint32_t type)
{
    if (!table || std::strlen(table) >= kNameSize)
        return 0;
    int floor = FindFloor(table);
    if (floor < 0) {
        SFloorEntry entry {};
        entry.id = m_floors.empty() ? 1 : m_floors.back().id + 1;
        std::strcpy(entry.name, table);
        m_floors.push_back(entry);
        floor = int(m_floors.size()) - 1;
    }
    if (!field || std::strcmp(field, " ") == 0)
        return 0;
    const uint32_t tableId = m_floors[size_t(floor)].id;
    if (uint32_t id = GetFloorID(field, tableId))
        return id;
    if (std::strlen(field) >= kNameSize)
        return 0;
    SFieldNameEntry entry {};
    entry.tableId = tableId;
    entry.fieldId = m_names.empty() ? 1 : m_names.back().fieldId + 1;
    std::strcpy(entry.name, field);
    entry.type = type;
    // The entry's own copy: field may point into the table that push_back moves.
    m_fieldIndex.try_emplace(Key(tableId, entry.name), entry.fieldId);
    m_names.push_back(entry);
    m_floors.back().nameMark = uint32_t(m_names.size());
    return entry.fieldId;
}

uint32_t DataBase::GetFloorID(const char* name, uint32_t tableId)
{
    if (!name)
        return 0;
    if (std::strlen(name) >= kNameSize) {
        Log(std::string(CP1251("DataBase::GetFloorID : Большая длина ID='")) + name + "'");
        return 0;
    }
    auto it = m_fieldIndex.find(Key(tableId, name));
    return it == m_fieldIndex.end() ? 0 : it->second;
}

void DataBase::SelectFloor(const char* name)
{
    if (!name || std::strlen(name) >= kNameSize) {
        Log(CP1251("ERROR: Большая длина имени таблицы"));
        return;
    }
    std::memset(m_floorName, 0, sizeof m_floorName);
    std::strcpy(m_floorName, name);
    if (FindFloor(name) < 0)
        RegisterName(name, " ", kTypeText);
    m_floorId = m_floors[size_t(FindFloor(name))].id;
    m_record = -1;
}

int DataBase::GetRecordID(const char* name)
{
    if (!name || std::strlen(name) >= kNameSize) {
        Log(std::string(CP1251("DataBase::GetRecordID : Большая длина ID='")) + (name ? name : "") + "'");
        throw std::exception();
    }
    auto it = m_recordIndex.find(Key(m_floorId, name));
    return it == m_recordIndex.end() ? -1 : it->second;
}

void DataBase::Get(const char* name)
{
    ZJ_TRACE("DataBase::Get");
    int index = -1;
    try {
        index = GetRecordID(name);
    } catch (...) {
        Log(name ? name : "");
        throw;
    }
    if (index == m_record)
        return;
    SelectRecord(index);
}

void DataBase::ClearSlots()
{
    std::memset(m_slots, 0, sizeof m_slots);
    m_fieldCount = 0;
    m_ownBlocks.clear();
}

std::string DataBase::ReadRecord(const SRecordEntry& entry, std::unique_ptr<uint8_t[]>& buffer,
    uint8_t* (&fields)[kMaxFields], int& fieldCount, bool& overflow) const
{
    fieldCount = 0;
    overflow = false;
    if (!m_data.IsOpen())
        return "no data file";
    if (uint64_t(entry.offset) + entry.size > m_data.Size())
        return "lies outside the data file";
    buffer.reset(new uint8_t[entry.size ? entry.size : 1]);
    if (!m_data.ReadAt(buffer.get(), entry.size, entry.offset))
        return "unreadable";
    size_t pos = 0;
    while (pos < entry.size) {
        if (entry.size - pos < kFieldHeader)
            return "field header cut at byte " + std::to_string(pos);
        const uint32_t length = LoadLE<uint32_t>(buffer.get() + pos + 4);
        if (length > entry.size - pos - kFieldHeader)
            return "field at byte " + std::to_string(pos) + " runs past the record";
        if (fieldCount == kMaxFields) {
            overflow = true;
            break;
        }
        fields[fieldCount++] = buffer.get() + pos;
        pos += kFieldHeader + length;
    }
    return {};
}

bool DataBase::SelectRecord(int index)
{
    ClearSlots();
    m_record = -1;
    if (index < 0 || index >= RecordCount())
        return index == -1;
    const SRecordEntry& entry = m_records[size_t(index)];
    bool overflow = false;
    const std::string reason = ReadRecord(entry, m_buffer, m_slots, m_fieldCount, overflow);
    if (!reason.empty()) {
        Log(std::string("DataBase::Get corrupt record '") + entry.name + "' of '" + m_name + "': " + reason);
        ClearSlots();
        return false;
    }
    if (overflow)
        Log(std::string("DataBase::Get record '") + entry.name
            + "' has more than 256 fields; the rest are ignored");
    m_record = index;
    return true;
}

std::string DataBase::CheckRecords() const
{
    std::unique_ptr<uint8_t[]> buffer;
    uint8_t* fields[kMaxFields] = {};
    for (const SRecordEntry& entry : m_records) {
        int count = 0;
        bool overflow = false;
        const std::string reason = ReadRecord(entry, buffer, fields, count, overflow);
        if (!reason.empty())
            return std::string("record '") + entry.name + "' " + reason;
    }
    return {};
}

DataBase::Field DataBase::FieldAt(int slot) const
{
    if (slot < 0 || slot >= m_fieldCount)
        return Field { 0, 0, nullptr };
    const uint8_t* at = m_slots[slot];
    return Field { LoadLE<uint32_t>(at), LoadLE<uint32_t>(at + 4), at + kFieldHeader };
}

const uint8_t* DataBase::FindSlot(uint32_t id) const
{
    if (id == 0)
        return nullptr;
    for (int i = 0; i < m_fieldCount; ++i) {
        if (LoadLE<uint32_t>(m_slots[i]) == id)
            return m_slots[i];
    }
    return nullptr;
}

void DataBase::GetStringField(const char* field, char* out, size_t size)
{
    if (!out || size == 0)
        return;
    if (m_record < 0) {
        std::snprintf(out, size, "%s", kDefaultText);
        return;
    }
    out[0] = '\0';
    const uint8_t* slot = FindSlot(RegisterName(m_floorName, field, kTypeText));
    if (!slot)
        return;
    const uint32_t length = LoadLE<uint32_t>(slot + 4);
    const void* end = std::memchr(slot + kFieldHeader, 0, length);
    size_t text = end ? size_t(static_cast<const uint8_t*>(end) - (slot + kFieldHeader)) : length;
    text = std::min(text, size - 1);
    std::memcpy(out, slot + kFieldHeader, text);
    out[text] = '\0';
}

int32_t DataBase::GetIntegerField(const char* field)
{
    ZJ_TRACE("DataBase::GetIntegerField");
    if (m_record < 0)
        return 0;
    const uint8_t* slot = FindSlot(RegisterName(m_floorName, field, kTypeInteger));
    if (!slot || LoadLE<uint32_t>(slot + 4) < 4)
        return 0;
    return int32_t(LoadLE<uint32_t>(slot + kFieldHeader));
}

float DataBase::GetFloatField(const char* field)
{
    if (m_record < 0)
        return 0.0f;
    const uint8_t* slot = FindSlot(RegisterName(m_floorName, field, kTypeFloat));
    if (!slot || LoadLE<uint32_t>(slot + 4) < 4)
        return 0.0f;
    return LoadLE<float>(slot + kFieldHeader);
}

void DataBase::SetValue(const char* field, uint32_t type, uint32_t bits)
{
    if (m_record < 0)
        return;
    const uint32_t id = RegisterName(m_floorName, field, type);
    if (id == 0)
        return;
    int slot = 0;
    while (slot < m_fieldCount && LoadLE<uint32_t>(m_slots[slot]) != id)
        ++slot;
    if (slot == m_fieldCount && m_fieldCount == kMaxFields)
        return;
    uint8_t* at = slot < m_fieldCount ? m_slots[slot] : nullptr;
    // A stored field shorter than 4 bytes cannot take the value in place.
    if (!at || LoadLE<uint32_t>(at + 4) < 4) {
        m_ownBlocks.push_back(std::make_unique<uint8_t[]>(kFieldHeader + 4));
        at = m_ownBlocks.back().get();
        m_slots[slot] = at;
        if (slot == m_fieldCount)
            ++m_fieldCount;
    }
    StoreLE<uint32_t>(at, id);
    StoreLE<uint32_t>(at + 4, 4);
    StoreLE(at + kFieldHeader, bits);
}

void DataBase::SetField(const char* field, int32_t value)
{
    ZJ_TRACE("DataBase::SetField");
    SetValue(field, kTypeInteger, uint32_t(value));
}

void DataBase::SetFloatField(const char* field, float value)
{
    SetValue(field, kTypeFloat, std::bit_cast<uint32_t>(value));
}
