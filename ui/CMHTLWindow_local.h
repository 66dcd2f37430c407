// Helpers of the mark-up window's files: the tokenizer and the tag and colour tables.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

namespace mhtl {

// Cuts a text at "<" and ">" into its tokens, telling each whether "<" opened it. A text of one
// byte is one token; a remainder shorter than two bytes ends the text.
void ForEachToken(
    std::string_view text, const std::function<void(std::string_view token, bool bracketed)>& visit);
// Whether a bracketed token names a tag (the word alone, or the word, ":" and an attribute).
bool IsTagWord(std::string_view token);
// A colour tag's value: one of the eight names (whole, case-sensitive), else hexadecimal; zero
// gives the fallback.
uint32_t ReadColour(std::string_view value, uint32_t fallback);

} // namespace mhtl
