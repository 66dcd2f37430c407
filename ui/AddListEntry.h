// The list entry record of the in-base menus' lists, filled before they become link items.
#pragma once

#include <cstdint>

struct SListEntry {
    uint32_t id; // 4096 + index (right list), 8192 + index (left list)
    uint32_t level; // indentation step: 8 pixels each
    uint32_t data;
    char key[32];
    uint32_t collapsed; // 1 when kind is 1
    uint32_t kind; // 0 ordinary, 1 closed header, 2 open header
    char name[64];
};

enum : uint32_t { kRightListBase = 4096, kLeftListBase = 8192 };
enum : uint32_t { kEntryOrdinary = 0, kEntryClosedHeader = 1, kEntryOpenHeader = 2 };

// Fills entries[count] and increments count: id from the list (marked: the left list) and the
// index, name the key's NAME in the text table (the key itself when absent) and " (number)" when
// number is above 1, cut to fit. The caller provides room.
void AddListEntry(bool marked, SListEntry* entries, const char* key, int32_t& count, uint32_t kind,
    uint32_t data, int32_t number);
