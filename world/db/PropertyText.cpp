#include "world/db/PropertyText.h"

#include "foundation/DataBase.h"
#include "foundation/ResourceDBManager.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void UpperAsciiLetters(std::string& text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
}

} // namespace

std::string PropertyValue(int32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    return text;
}

std::string PropertyValue(float value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%f", double(value));
    return text;
}

bool SplitPropertyLine(const char* line, std::string& label, std::string& value)
{
    const char* equals = std::strchr(line, '=');
    if (!equals)
        return false;
    label.assign(line, size_t(equals - line));
    value.assign(equals + 1);
    UpperAsciiLetters(label);
    UpperAsciiLetters(value);
    return true;
}

void WritePropertyValue(
    const char* table, const char* section, const char* key, EField form, const std::string& value)
{
    std::string field(key);
    UpperAsciiLetters(field);
    // The writers work on the table, and in a database on the record, selected last.
    g_ResourceDBManager.SelectSection(table, false);
    if (g_ResourceDBManager.IsDatabaseMode())
        g_ResourceDBManager.Database().Get(section);
    switch (form) {
    case EField::Float:
    case EField::FloatOr:
    case EField::Whole:
    case EField::Percent:
        g_ResourceDBManager.WriteFloat(section, field.c_str(), float(std::atof(value.c_str())));
        break;
    case EField::Unset:
        g_ResourceDBManager.WriteInteger(section, field.c_str(), std::atoi(value.c_str()) != 0 ? 1 : 0);
        break;
    case EField::Int:
    case EField::IntOr:
    case EField::Flag:
    case EField::NonZero:
        g_ResourceDBManager.WriteInteger(section, field.c_str(), std::atoi(value.c_str()));
        break;
    case EField::Name:
    case EField::Text:
        break;
    }
}
