// NameList32: an array of 32-byte names with an exact lookup.
#pragma once

#include "foundation/NameKey32.h"
#include "foundation/XDynamicArray.h"

class NameList32 : public XDynamicArray<NameKey32> {
public:
    // Index of the first name equal to name, -1 when none.
    int Find(const char* name) const noexcept
    {
        if (!name || std::strlen(name) >= sizeof(NameKey32::text))
            return -1;
        for (int i = 0; i < Count(); ++i) {
            if (std::strncmp(Data()[i].text, name, sizeof(NameKey32::text)) == 0)
                return i;
        }
        return -1;
    }
};
