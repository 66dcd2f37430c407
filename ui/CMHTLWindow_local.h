// Helpers of the mark-up window's files: the tokenizer and the tag and colour tables.
#pragma once

#include "foundation/CXAnsiString.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace mhtl {

// Cuts a text at "<" and ">" into its tokens and calls visit(token, bracketed), bracketed telling
// whether "<" opened it. A text of one byte is one token; a remainder shorter than two bytes ends
// the text.
template <class Visit> void ForEachToken(std::string_view text, Visit&& visit)
{
    if (text.size() == 1) {
        visit(text, false);
        return;
    }
    size_t at = 0;
    while (text.size() - at >= 2) {
        bool bracketed = false;
        while (at < text.size() && (text[at] == '<' || text[at] == '>'))
            bracketed = text[at++] == '<';
        const size_t start = at;
        while (at < text.size() && text[at] != '<' && text[at] != '>')
            ++at;
        if (at == start)
            return;
        visit(text.substr(start, at - start), bracketed);
    }
}
// Whether a bracketed token names a tag (the word alone, or the word, ":" and an attribute).
bool IsTagWord(std::string_view token);
// A colour tag's value: the index (0..7) of the named colour it names whole and case-sensitive,
// else -1 with number set to its hexadecimal reading (0 when none).
int ColourName(std::string_view value, long& number);

// Whether a record's kind is the word; the first byte decides most cases without a comparison.
inline bool KindIs(const CXAnsiString& kind, const char* word)
{
    return kind.Text()[0] == word[0] && std::strcmp(kind.Text(), word) == 0;
}

// Sets a record's name field; a record that already holds the name (a table slot reused for the
// same block) keeps its buffer.
inline void SetName(CXAnsiString& field, const char* name)
{
    if (std::strcmp(field.Text(), name) != 0)
        field = name;
}

// Sets a record's text to n bytes, resizing its buffer in place where the allocator can.
inline void SetText(CXAnsiString& field, const char* bytes, size_t n)
{
    field.Clear();
    field.SetLength(n);
    std::memcpy(field.Buffer(), bytes, n);
}

} // namespace mhtl
