#include "foundation/NameKey32.h"

NameKey32 MakeNameKey32(const char* text) noexcept
{
    NameKey32 key {};
    if (text)
        std::strncpy(key.text, text, sizeof(key.text) - 1);
    return key;
}
