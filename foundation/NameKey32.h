// NameKey32: a fixed 32-byte name, zero-terminated, at most 31 characters; passed by value.
#pragma once

#include <cstring>

struct NameKey32 {
    char text[32];

    friend bool operator==(const NameKey32& a, const NameKey32& b) noexcept
    {
        return std::strcmp(a.text, b.text) == 0;
    }
};

// A key holding text, cut at 31 bytes; the rest of the key is zero.
NameKey32 MakeNameKey32(const char* text) noexcept;
inline NameKey32 CopyNameKey32(const NameKey32& key) noexcept
{
    return key;
}
