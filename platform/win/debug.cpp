#include "platform/win/debug.h"

#include "platform/win/text.h"

#include <atomic>
#include <unistd.h>

namespace plat::win {
namespace {

std::atomic<bool> g_enabled { true };

} // namespace

void DebugOutput(std::string_view text)
{
    if (!g_enabled.load(std::memory_order_relaxed))
        return;
    std::string line = Cp1251ToUtf8(text);
    if (line.empty() || line.back() != '\n')
        line += '\n';
    std::size_t done = 0;
    while (done < line.size()) {
        ssize_t n = ::write(STDERR_FILENO, line.data() + done, line.size() - done);
        if (n <= 0)
            return;
        done += static_cast<std::size_t>(n);
    }
}

void SetDebugOutputEnabled(bool on)
{
    g_enabled.store(on, std::memory_order_relaxed);
}

} // namespace plat::win
