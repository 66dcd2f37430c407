// Starting other programs by their Windows names. The first word of the command line, less a
// trailing ".exe" (any case), names a program beside the running executable, else one in the
// working directory; there is no PATH search. '"' groups words into one argument. The child
// inherits only the standard streams, and is reaped when it ends, whether or not anyone waits.
#pragma once

#include "platform/win/sync.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

namespace plat::win {

// A started program; copies share it. An empty Process stands for a start that failed.
class Process {
public:
    bool Valid() const { return m_state != nullptr; }
    // True when the program has ended; false when `milliseconds` passed first, or for an
    // empty Process. kWaitForever waits without limit.
    bool Wait(uint32_t milliseconds) const;
    // The exit code once ended (128 + the signal's number when a signal ended it); nullopt
    // while it runs.
    std::optional<uint32_t> ExitCode() const;

    struct State;

private:
    friend Process StartProcess(std::string_view, std::string_view);
    std::shared_ptr<State> m_state;
};

// commandLine and workingDir are Windows-1251; an empty workingDir keeps the current one.
Process StartProcess(std::string_view commandLine, std::string_view workingDir);

} // namespace plat::win
