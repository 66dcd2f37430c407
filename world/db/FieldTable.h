// FieldTable: a type table's fields described once, as constexpr rows of {key, label, member, form,
// default}, that one reader walks to fill the rows from the record database and PropertyText walks
// to show and edit them. What a table does beyond its rows' forms stays explicit code beside the
// walk.
#pragma once

#include "foundation/ErrorLog.h"
#include "foundation/XDynamicArray.h"
#include "foundation/XStringTable.h"
#include "world/db/TypeRow.h"

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <type_traits>
#include <variant>

// How a key's value becomes the row member, and which member type takes it.
enum class EField : uint8_t {
    Int, // int32_t: the key's integer
    IntOr, // int32_t: the integer; the default when it is 0
    Float, // float: the key's number
    FloatOr, // float: the number; the default when it is 0
    Whole, // float: the key's integer
    Percent, // float: the key's integer / 100
    Flag, // uint8_t: 1 when the integer is exactly 1
    NonZero, // uint8_t: 1 when the integer is not 0
    Unset, // uint8_t: 1 when the integer is 0 (a "NO..." key of which the row keeps the opposite)
    Name, // SNameField: the text, then the index that the row's find gives for it
    Text, // char[32]: the text
};

template <class Row> struct SField {
    using Find = int32_t (*)(const char*);
    using Member = std::variant<int32_t Row::*, float Row::*, uint8_t Row::*, SNameRef96 Row::*,
        SNameRef32 Row::*, char (Row::*)[32]>;

    // A number or flag that the property text does not show.
    template <class T>
    constexpr SField(const char* key, T Row::*member, EField form, float def = 0.0f)
        : SField(key, nullptr, member, form, def)
    {
    }
    // A number or flag shown in the property text as "label=value".
    template <class T>
    constexpr SField(const char* key, const char* label, T Row::*member, EField form, float def = 0.0f)
        : key(key)
        , label(label)
        , member(member)
        , form(form)
        , def(def)
    {
        if (!Fits<T>(form))
            throw "SField: the form does not fit the member"; // in a constexpr table, a compile error
    }
    // A name, resolved by find once every row is read; missing (when not null) is logged before the
    // name when find gives -1.
    template <size_t N>
    constexpr SField(const char* key, SNameField<N> Row::*member, Find find, const char* missing = nullptr)
        : key(key)
        , member(member)
        , form(EField::Name)
        , find(find)
        , missing(missing)
    {
    }
    constexpr SField(const char* key, char (Row::*member)[32])
        : key(key)
        , member(member)
        , form(EField::Text)
    {
    }

    template <class T> T& Of(Row& row) const { return row.*std::get<T Row::*>(member); }
    template <class T> const T& Of(const Row& row) const { return row.*std::get<T Row::*>(member); }
    // Calls use with the row's name field, of whichever width.
    template <class Use> void WithName(Row& row, Use use) const
    {
        if (const auto* wide = std::get_if<SNameRef96 Row::*>(&member))
            use(row.**wide);
        else
            use(Of<SNameRef32>(row));
    }

    const char* key; // the record-database key; in a numbered table a printf format of the number
    const char* label = nullptr; // the property-text label (Windows-1251), null when not shown
    Member member;
    EField form;
    // The value of a row that has none: row -1 in the property text, and a 0 read with the ...Or forms.
    float def = 0.0f;
    Find find = nullptr; // null leaves a name as text
    const char* missing = nullptr;

private:
    template <class T> static constexpr bool Fits(EField form)
    {
        if constexpr (std::is_same_v<T, int32_t>)
            return form == EField::Int || form == EField::IntOr;
        else if constexpr (std::is_same_v<T, float>)
            return form == EField::Float || form == EField::FloatOr || form == EField::Whole
                || form == EField::Percent;
        else if constexpr (std::is_same_v<T, uint8_t>)
            return form == EField::Flag || form == EField::NonZero || form == EField::Unset;
        else
            return false;
    }
};

// A table of fields as the walkers take it; the row type comes from the row argument.
template <class Row> using SFieldSpan = std::type_identity_t<std::span<const SField<Row>>>;

// Reads the fields of one row from its section. With number >= 0 each key is a printf format that
// takes it ("TYPE%d" of layer 3 is "TYPE3").
template <class Row> void ReadFields(const char* section, Row& row, SFieldSpan<Row> fields, int number = -1)
{
    for (const SField<Row>& field : fields) {
        char numbered[32];
        const char* key = field.key;
        if (number >= 0) {
            std::snprintf(numbered, sizeof numbered, field.key, number);
            key = numbered;
        }
        switch (field.form) {
        case EField::Int:
            field.template Of<int32_t>(row) = RowRead::Int(section, key);
            break;
        case EField::IntOr: {
            const int32_t value = RowRead::Int(section, key);
            field.template Of<int32_t>(row) = value == 0 ? int32_t(field.def) : value;
            break;
        }
        case EField::Float:
            field.template Of<float>(row) = RowRead::Float(section, key);
            break;
        case EField::FloatOr:
            field.template Of<float>(row) = RowRead::FloatOr(section, key, field.def);
            break;
        case EField::Whole:
            field.template Of<float>(row) = float(RowRead::Int(section, key));
            break;
        case EField::Percent:
            field.template Of<float>(row) = float(RowRead::Int(section, key)) * 0.01f;
            break;
        case EField::Flag:
            field.template Of<uint8_t>(row) = RowRead::Flag(section, key);
            break;
        case EField::NonZero:
            field.template Of<uint8_t>(row) = RowRead::Int(section, key) != 0 ? 1 : 0;
            break;
        case EField::Unset:
            field.template Of<uint8_t>(row) = RowRead::Int(section, key) == 0 ? 1 : 0;
            break;
        case EField::Name:
            field.WithName(row, [&](auto& name) { RowRead::Name(section, key, name); });
            break;
        case EField::Text: {
            char(&text)[32] = field.template Of<char[32]>(row);
            RowRead::Text(section, key, text, sizeof text);
            break;
        }
        }
    }
}

// Replaces the text of each name field that has a find by its index.
template <class Row> void ResolveFields(Row& row, SFieldSpan<Row> fields)
{
    for (const SField<Row>& field : fields) {
        if (field.form != EField::Name || !field.find)
            continue;
        field.WithName(row, [&](auto& name) {
            name.Resolve([&](const char* text) {
                const int32_t index = field.find(text);
                if (index < 0 && field.missing)
                    WriteErrorLog(std::string(field.missing) + text);
                return index;
            });
        });
    }
}

// Reads every row's fields from the section of its row name, with extra(section, row) after each
// row's fields, then resolves every row's names. The names are resolved after all reads so that
// their log lines follow those of the reads.
template <class Row, class Extra>
void ReadTable(const XStringTable& names, XDynamicArray<Row>& rows, SFieldSpan<Row> fields, Extra extra)
{
    for (int i = 0; i < rows.Count(); ++i) {
        const char* section = names.GetString(i);
        ReadFields(section, rows.At(i), fields);
        extra(section, rows.At(i));
    }
    for (Row& row : rows)
        ResolveFields(row, fields);
}

template <class Row>
void ReadTable(const XStringTable& names, XDynamicArray<Row>& rows, SFieldSpan<Row> fields)
{
    ReadTable(names, rows, fields, [](const char*, Row&) {});
}

// A name's row in another type table, as a field's find: FindRowIn<g_ExploManager>.
template <auto& manager> int32_t FindRowIn(const char* name)
{
    return manager.FindRow(name);
}
