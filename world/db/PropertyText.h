// PropertyText: a type row shown as editable "label=value" lines, and edited lines written back into
// the row's section. Both walk the row's field table; only the fields with a label take part.
#pragma once

#include "world/db/FieldTable.h"

#include <span>
#include <string>

// How a table's property text is laid out.
struct SPropertyText {
    const char* lineEnd; // "\n" or "\r\n"
    bool lastLineEnded; // the last line ends with lineEnd too
    bool describesNone; // row -1 shows the defaults; else it is out of range like any other index
};

// "%d" of an integer or flag, "%f" of a number.
std::string PropertyValue(int32_t value);
std::string PropertyValue(float value);
// Splits a line at its first "=" and upper-cases both halves in a-z; false when it has no "=".
bool SplitPropertyLine(const char* line, std::string& label, std::string& value);
// Writes value under key, in capitals, in the section of the table: atof "%f" for numbers, atoi "%d"
// for integers and flags, and for an Unset flag 1 when atoi is not 0.
void WritePropertyValue(
    const char* table, const char* section, const char* key, EField form, const std::string& value);

// The labelled fields of row, or their defaults for a null row, one "label=value" line each.
template <class Row>
std::string DescribeFields(SFieldSpan<Row> fields, const Row* row, const SPropertyText& text)
{
    std::string out;
    for (const SField<Row>& field : fields) {
        if (!field.label)
            continue;
        if (!out.empty())
            out += text.lineEnd;
        out += field.label;
        out += '=';
        switch (field.form) {
        case EField::Int:
        case EField::IntOr:
            out += PropertyValue(row ? field.template Of<int32_t>(*row) : int32_t(field.def));
            break;
        case EField::Float:
        case EField::FloatOr:
        case EField::Whole:
        case EField::Percent:
            out += PropertyValue(row ? field.template Of<float>(*row) : field.def);
            break;
        case EField::Flag:
        case EField::NonZero:
            out += PropertyValue(row ? int32_t(field.template Of<uint8_t>(*row)) : int32_t(field.def));
            break;
        case EField::Unset:
            out += PropertyValue(
                row ? int32_t(field.template Of<uint8_t>(*row) ? 0 : 1) : int32_t(field.def));
            break;
        case EField::Name:
        case EField::Text:
            break;
        }
    }
    if (text.lastLineEnded && !out.empty())
        out += text.lineEnd;
    return out;
}

// Each line "label=value" (compared after SplitPropertyLine, byte for byte) whose label a field has
// is written under that field's key; other lines are skipped. Returns the number of lines.
template <class Row>
int UpdateFields(const char* table, const char* section, const XStringTable& lines, SFieldSpan<Row> fields)
{
    for (int i = 0; i < lines.Count(); ++i) {
        std::string label;
        std::string value;
        if (!SplitPropertyLine(lines.GetString(i), label, value))
            continue;
        for (const SField<Row>& field : fields) {
            if (field.label && label == field.label) {
                WritePropertyValue(table, section, field.key, field.form, value);
                break;
            }
        }
    }
    return lines.Count();
}
