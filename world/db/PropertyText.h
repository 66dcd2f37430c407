// The edited-lines half of the descriptor property texts: lines "key=value" whose recognised keys
// are written into a row's section through the parameter writers.
#pragma once

#include <cstddef>

class XStringTable;

struct SPropertyKey {
    const char* key; // upper case, Windows-1251
    const char* field; // the table's field name
    enum Form { Integer, Float, NonZeroFlag } form;
};

// For each line that holds "=": split at the first "=", upper-case both halves in a-z, compare the
// key byte for byte and write the value (atoi "%d", atof "%f", or 1 when atoi is not 0) under the
// field of the row's section in the table. Lines without "=" and unknown keys are skipped. Returns
// the number of lines.
int UpdateRowFromLines(const char* table, const char* section, const XStringTable& lines, const SPropertyKey* keys,
    size_t count);
