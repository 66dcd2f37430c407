// The shared text buffer: 2048 bytes of per-thread scratch for one text at a time (formatted
// messages, search patterns, paths). Its content is valid only until the next writer.
#pragma once

#include <cstddef>

inline constexpr std::size_t kSharedTextSize = 2048;

char* SharedText() noexcept;
// printf into the shared buffer, truncated at 2047 bytes; returns the buffer.
const char* FormatSharedText(const char* format, ...) noexcept __attribute__((format(printf, 1, 2)));
