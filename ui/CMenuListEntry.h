// CMenuListEntry: an entry of the in-base menus' two lists: a link item that also knows its kind
// (ordinary entry or group header), whether the list's layout hides it and the value its builder
// gave it.
#pragma once

#include "ui/AddListEntry.h"
#include "ui/CMenuLinkItem.h"

#include <cstdint>

class CMenuListEntry : public CMenuLinkItem {
public:
    CMenuListEntry(int32_t left, int32_t top, int32_t right, int32_t bottom, const SListEntry& entry)
        : CMenuLinkItem(left, top, right, bottom, entry.name, entry.id)
        , kind(entry.kind)
        , value(entry.data)
    {
        for (int i = 0; i < 31 && entry.key[i] != 0; ++i)
            key[i] = entry.key[i];
    }

    bool IsHeader() const { return kind != kEntryOrdinary; }

    uint32_t kind; // kEntryOrdinary, kEntryClosedHeader or kEntryOpenHeader
    uint8_t hidden = 0; // off the visible lines or inside a closed group
    uint32_t value; // the builder's data: a goods mark, an organisation, a part of the vehicle
};
