#include "world/db/PropertyText.h"

#include "foundation/DataBase.h"
#include "foundation/ResourceDBManager.h"
#include "foundation/XStringTable.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void UpperAsciiLetters(std::string& text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
}

} // namespace

int UpdateRowFromLines(const char* table, const char* section, const XStringTable& lines, const SPropertyKey* keys,
    size_t count)
{
    for (int i = 0; i < lines.Count(); ++i) {
        const char* line = lines.GetString(i);
        const char* equals = std::strchr(line, '=');
        if (!equals)
            continue;
        std::string key(line, size_t(equals - line));
        std::string value(equals + 1);
        UpperAsciiLetters(key);
        UpperAsciiLetters(value);
        for (size_t k = 0; k < count; ++k) {
            if (key != keys[k].key)
                continue;
            // The writers work on the table, and in a database on the record, selected last.
            g_ResourceDBManager.SelectSection(table, false);
            if (g_ResourceDBManager.IsDatabaseMode())
                g_ResourceDBManager.Database().Get(section);
            switch (keys[k].form) {
            case SPropertyKey::Integer:
                g_ResourceDBManager.WriteInteger(section, keys[k].field, std::atoi(value.c_str()));
                break;
            case SPropertyKey::NonZeroFlag:
                g_ResourceDBManager.WriteInteger(section, keys[k].field, std::atoi(value.c_str()) != 0 ? 1 : 0);
                break;
            case SPropertyKey::Float:
                g_ResourceDBManager.WriteFloat(section, keys[k].field, float(std::atof(value.c_str())));
                break;
            }
            break;
        }
    }
    return lines.Count();
}
