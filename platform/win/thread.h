// Threads and scheduling hints. A Thread is never abandoned or killed: its owner asks it to stop
// (by a flag of its own) and joins it; the destructor joins too. Priorities are hints, ignored
// where the system does not permit them.
#pragma once

#include "platform/win/sync.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace plat::win {

enum class ThreadPriority { Lowest, BelowNormal, Normal, AboveNormal, Highest, TimeCritical };
enum class ProcessPriority { Normal, High };

class Thread {
public:
    Thread() = default;
    ~Thread(); // joins; from inside the thread itself it lets the thread run on
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // Starts body on a new thread. False when one still runs or it could not be created; a
    // finished one is joined first.
    bool Start(std::function<void()> body);
    bool SetPriority(ThreadPriority priority);
    // True when the thread has ended (or none was started); false when `milliseconds` passed
    // first. kWaitForever waits without limit.
    bool Wait(uint32_t milliseconds);
    // Waits for the end of the thread. Called from inside the thread it returns at once, and
    // the owner joins later.
    void Join();
    bool Running() const;
    bool IsCurrent() const;

private:
    struct State;
    std::shared_ptr<State> m_state;
};

// Raises or restores the scheduling priority of the whole process.
bool SetProcessPriority(ProcessPriority priority);

} // namespace plat::win
