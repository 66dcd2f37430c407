// CZJObjectManager: the base of the type managers. Each kind of placeable thing has one global
// manager that reads the kind's table once at start-up into descriptor rows (row i is entry i of
// the row names), makes objects of the kind and reads the kind's blocks of the objects file.
// CZJTypeManager<Row> holds the rows, read and shown through the kind's field table: GetDesc(-1) is
// one shared all-zero row, any other index outside the rows throws XRangeError.
#pragma once

#include "foundation/DefaultManager.h"
#include "foundation/NameKey32.h"
#include "foundation/XDynamicArray.h"
#include "world/db/FieldTable.h"
#include "world/db/PropertyText.h"
#include "world/db/SPlacedObject.h"

#include <cstdint>
#include <span>
#include <string>

class CZJObject;
class XStringTable;

class CZJObjectManager : public DefaultManager {
public:
    explicit CZJObjectManager(int32_t code)
        : typeCode(code)
    {
    }

    // Makes an object of the kind from a type id (a row key, or for projectiles and explosions a
    // row index in the first word), a 4 x 4 placement and a property text (or null), and adds it
    // to the object list. The base makes nothing.
    virtual CZJObject* CreateObject(NameKey32 typeId, const float* placement, const char* propertyText);
    // The row record of an index, as bytes.
    virtual const void* GetDescData(int index) = 0;
    // 32 and 64 bytes into the row record.
    const uint8_t* GetDescPart1(int index) { return static_cast<const uint8_t*>(GetDescData(index)) + 32; }
    const uint8_t* GetDescPart2(int index) { return static_cast<const uint8_t*>(GetDescData(index)) + 64; }
    // Reads one block body of the objects file: the generic reader.
    virtual void LoadObjects();
    // Makes an object from a network record; the base makes nothing.
    virtual CZJObject* CreateNetObject(const uint8_t* record);
    // A row as editable "key=value" lines, and edited lines written back into the row's section;
    // only the managers with property texts answer (the base gives "" and writes nothing).
    virtual std::string DescribeRow(int row);
    // Returns the number of lines.
    virtual int UpdateRowFromText(const char* section, const XStringTable& lines);

    int FindRow(const char* name) const { return m_rowNames.Find(name); }

    int32_t typeCode;

protected:
    // Reads a block of placed objects and hands each record whose id the table holds, with its row,
    // to use; the others are skipped without a message. what names the count in the block's errors.
    template <class Use> void ReadKnownObjects(const char* what, Use use)
    {
        const uint32_t count = ReadBlockHead(sizeof(SPlacedObject), 0, what);
        for (uint32_t i = 0; i < count; ++i) {
            SPlacedObject record;
            ReadPlacedObject(record);
            const int row = FindRow(record.typeId);
            if (row >= 0)
                use(record, row);
        }
    }
};

template <class Row> class CZJTypeManager : public CZJObjectManager {
public:
    // The kind's field table (none when the kind reads no table), and its property-text layout when
    // the kind has one.
    CZJTypeManager(
        int32_t code, std::span<const SField<Row>> fields = {}, const SPropertyText* text = nullptr)
        : CZJObjectManager(code)
        , m_fields(fields)
        , m_text(text)
    {
    }

    Row& GetDesc(int index)
    {
        if (index == -1 && m_defaultAllowed)
            return DefaultRow();
        return m_rows.At(index);
    }
    const void* GetDescData(int index) override { return &GetDesc(index); }
    int RowCount() const { return m_rows.Count(); }

    std::string DescribeRow(int row) override
    {
        if (!m_text)
            return {};
        return DescribeFields(
            m_fields, row == -1 && m_text->describesNone ? nullptr : &m_rows.At(row), *m_text);
    }
    int UpdateRowFromText(const char* section, const XStringTable& lines) override
    {
        return UpdateFields<Row>(m_tableName, section, lines, m_fields);
    }

protected:
    // Frees the old rows and reads the names of the table's rows.
    void BeginRows(const char* table)
    {
        m_rows.Done();
        DefaultManager::Init(table);
        m_rows.SetSize(m_rowCount);
    }
    // BeginRows, then the rows through the field table (see ReadTable).
    template <class Extra> void ReadRows(const char* table, Extra extra)
    {
        BeginRows(table);
        ReadTable(m_rowNames, m_rows, m_fields, extra);
    }
    void ReadRows(const char* table)
    {
        ReadRows(table, [](const char*, Row&) {});
    }
    static Row& DefaultRow()
    {
        static Row row {};
        return row;
    }

    XDynamicArray<Row> m_rows;
    std::span<const SField<Row>> m_fields;
    const SPropertyText* m_text;
    bool m_defaultAllowed = true;
};
