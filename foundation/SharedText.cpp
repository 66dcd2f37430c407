#include "foundation/SharedText.h"

#include <cstdarg>
#include <cstdio>

namespace {

thread_local char t_sharedText[kSharedTextSize];

} // namespace

char* SharedText() noexcept
{
    return t_sharedText;
}

const char* FormatSharedText(const char* format, ...) noexcept
{
    va_list args;
    va_start(args, format);
    std::vsnprintf(t_sharedText, kSharedTextSize, format, args);
    va_end(args);
    return t_sharedText;
}
