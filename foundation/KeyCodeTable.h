// KeyCodeTable: the key-code names of "Data\CONFIG\DICode.ini", which the key bindings of
// cfg.ini are written in. The file is whitespace-separated tokens: a row count, then per row an
// ignored token, the code in hexadecimal and the name (at most 15 characters). A missing token
// empties the table; a row with a longer name or a code above 0xFFFF is skipped and logged.
#pragma once

#include "foundation/XDynamicArray.h"

#include <cstdint>
#include <functional>
#include <string_view>

struct SKeyCodeRow {
    uint16_t code;
    char name[16];
};

class KeyCodeTable {
public:
    static constexpr size_t kMaxToken = 255;
    static constexpr size_t kMaxName = 15;
    using Log = std::function<void(const char* line)>;

    KeyCodeTable() = default;
    KeyCodeTable(const KeyCodeTable&) = delete;
    KeyCodeTable& operator=(const KeyCodeTable&) = delete;

    // Reads the base directory's "Data\CONFIG\DICode.ini"; a missing file leaves it empty.
    void Load();
    // Replaces the rows with those of the text; false when a token was missing (the table is
    // then empty). Skipped rows go to log.
    bool Parse(std::string_view text, const Log& log);
    void Free() { m_rows.Done(); }

    int Count() const { return m_rows.Count(); }
    const SKeyCodeRow& Row(int i) const { return m_rows.At(i); }
    // The code of the first row with that name, ignoring case; -1 when none.
    int32_t Find(std::string_view name) const;

private:
    XDynamicArray<SKeyCodeRow> m_rows;
};

extern KeyCodeTable g_KeyCodeTable;
