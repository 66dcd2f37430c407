// Helpers of the mark-up window's files: the tokenizer and the tag and colour tables.
#pragma once

#include "foundation/CXAnsiString.h"
#include "ui/MHTLText.h"

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
    const char* const bytes = text.data();
    const size_t size = text.size();
    // Where the next "<" and ">" stand (size when there is none), each found by one memchr.
    const auto Find = [bytes, size](char delimiter, size_t from) {
        const void* hit = std::memchr(bytes + from, delimiter, size - from);
        return hit ? size_t(static_cast<const char*>(hit) - bytes) : size;
    };
    size_t nextOpen = Find('<', 0);
    size_t nextClose = Find('>', 0);
    size_t at = 0;
    while (size - at >= 2) {
        bool bracketed = false;
        while (at < size && (bytes[at] == '<' || bytes[at] == '>'))
            bracketed = bytes[at++] == '<';
        if (nextOpen < at)
            nextOpen = Find('<', at);
        if (nextClose < at)
            nextClose = Find('>', at);
        const size_t end = nextOpen < nextClose ? nextOpen : nextClose;
        if (end == at)
            return;
        visit(text.substr(at, end - at), bracketed);
        at = end;
    }
}
// Whether a bracketed token names a tag (the word alone, or the word, ":" and an attribute).
bool IsTagWord(std::string_view token);
// A colour tag's value: the index (0..7) of the named colour it names whole and case-sensitive,
// else -1 with number set to its hexadecimal reading (0 when none).
int ColourName(std::string_view value, long& number);

// The blanks (byte 32) of a text, eight bytes a step.
inline int32_t CountBlanks(std::string_view text)
{
    constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
    constexpr uint64_t kBlanks = 0x2020202020202020ull;
    int32_t count = 0;
    size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        const uint64_t zeroed = word ^ kBlanks; // blank bytes become zero
        // The high bit of each byte that is zero, and of no other.
        const uint64_t zero = ~(((zeroed & kLow7) + kLow7) | zeroed | kLow7);
        count += int32_t(((zero >> 7) * 0x0101010101010101ull) >> 56);
    }
    for (; i < text.size(); ++i)
        count += text[i] == ' ';
    return count;
}

// Whether a record's kind is the word.
inline bool KindIs(const MHTLText& kind, std::string_view word)
{
    return kind == word;
}

// Record kinds the window itself names.
inline constexpr std::string_view kIcon = "icon";
inline constexpr std::string_view kImage = "image";
inline constexpr std::string_view kObject = "object";

inline MHTLText Constant(std::string_view text)
{
    return { text.data(), text.size() };
}

} // namespace mhtl
