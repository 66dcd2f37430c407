// Helpers of the type rows: the name field that is read as text and then holds the index of the
// named row in its first word, and the readers of a row's keys from the parameter source.
#pragma once

#include "foundation/NameKey32.h"
#include "foundation/ResourceDBManager.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

// A name field of a type row: first the text (96 bytes when it opens the row, else 32), then,
// after the row's second pass, the index in the table it names in its first word (-1 none).
template <size_t N> struct SNameField {
    static_assert(N >= 32);
    char text[N];

    int32_t Index() const
    {
        int32_t value;
        std::memcpy(&value, text, 4);
        return value;
    }
    void SetIndex(int32_t value) { std::memcpy(text, &value, 4); }
    // The first 32 bytes, handed whole to the object factory and the guns.
    NameKey32 Key() const
    {
        NameKey32 key;
        std::memcpy(key.text, text, 32);
        return key;
    }
    // Replaces the text by its index through a find that gives -1 when absent.
    template <class Find> void Resolve(Find find)
    {
        text[N - 1] = '\0';
        SetIndex(find(static_cast<const char*>(text)));
    }
};

using SNameRef32 = SNameField<32>;
using SNameRef96 = SNameField<96>;

// Keys of one row (section) of the table that DefaultManager::Init selected.
namespace RowRead {

template <size_t N> void Name(const char* section, const char* key, SNameField<N>& field)
{
    g_ResourceDBManager.GetString(section, key, field.text, N);
}
inline void Text(const char* section, const char* key, char* out, size_t size)
{
    g_ResourceDBManager.GetString(section, key, out, size);
}
inline int32_t Int(const char* section, const char* key)
{
    return g_ResourceDBManager.GetIntegerField(section, key);
}
inline float Float(const char* section, const char* key)
{
    return g_ResourceDBManager.GetFloat(section, key);
}
// A boolean key is true only when its integer is exactly 1.
inline uint8_t Flag(const char* section, const char* key)
{
    return Int(section, key) == 1 ? 1 : 0;
}
// The value, or def when it is exactly 0.
inline float FloatOr(const char* section, const char* key, float def)
{
    const float value = Float(section, key);
    return value == 0.0f ? def : value;
}

} // namespace RowRead
