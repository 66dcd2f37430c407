// A GL dispatch table of no-op functions that only count their calls, for measuring the CPU cost
// of code that issues GL calls with the driver taken out. Built only with the benchmarks.
#pragma once

#include "platform/gfx/gl/gl_api.h"

#include <cstdint>
#include <memory>

namespace plat::gfx::gl {

struct NullCounts {
    uint64_t calls = 0;
    uint64_t stateChanges = 0; // calls other than draws, clears, queries, reads and waits
};

// While one lives, every GL entry point is a counting no-op; the driver's entry points return
// when it ends. Queries answer zero, so only code whose objects already exist may run meanwhile.
class NullDispatch {
public:
    NullDispatch();
    ~NullDispatch();
    NullDispatch(const NullDispatch&) = delete;
    NullDispatch& operator=(const NullDispatch&) = delete;

    // Counted since the process started.
    static NullCounts Counts();

private:
    struct Table;
    std::unique_ptr<Table> m_driver;
};

} // namespace plat::gfx::gl
