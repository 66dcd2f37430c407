#include "platform/win/debug.h"

#include "platform/win/text.h"

#include <unistd.h>

namespace plat::win {

void DebugOutput(std::string_view text)
{
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

} // namespace plat::win
