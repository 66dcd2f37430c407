#include "platform/win/thread.h"

#include "platform/win/debug.h"

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <dirent.h>
#include <mutex>
#include <sys/resource.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace plat::win {
namespace {

// Nice values: mild, so a raised thread does not starve the rest of the machine.
int NiceOf(ThreadPriority priority)
{
    switch (priority) {
    case ThreadPriority::Lowest:
        return 4;
    case ThreadPriority::BelowNormal:
        return 2;
    case ThreadPriority::Normal:
        return 0;
    case ThreadPriority::AboveNormal:
        return -2;
    case ThreadPriority::Highest:
        return -4;
    case ThreadPriority::TimeCritical:
        return -8;
    }
    return 0;
}

} // namespace

struct Thread::State {
    std::mutex mutex;
    std::condition_variable changed;
    std::thread thread;
    std::thread::id id;
    pid_t tid = 0;
    bool started = false;
    bool done = false;
};

Thread::~Thread()
{
    if (!m_state)
        return;
    if (IsCurrent())
        m_state->thread.detach();
    else if (m_state->thread.joinable())
        m_state->thread.join();
}

bool Thread::Start(std::function<void()> body)
{
    if (m_state) {
        if (Running())
            return false;
        Join();
    }
    auto state = std::make_shared<State>();
    m_state = state;
    try {
        state->thread = std::thread([state, body = std::move(body)] {
            {
                std::lock_guard lock(state->mutex);
                state->id = std::this_thread::get_id();
                state->tid = ::gettid();
                state->started = true;
            }
            state->changed.notify_all();
            body();
            {
                std::lock_guard lock(state->mutex);
                state->done = true;
            }
            state->changed.notify_all();
        });
    } catch (const std::system_error& error) {
        DebugOutput(std::string("Thread::Start: ") + error.what());
        m_state.reset();
        return false;
    }
    std::unique_lock lock(state->mutex);
    state->changed.wait(lock, [&] { return state->started; });
    return true;
}

bool Thread::SetPriority(ThreadPriority priority)
{
    if (!m_state)
        return false;
    pid_t tid = 0;
    {
        std::lock_guard lock(m_state->mutex);
        if (m_state->done)
            return false;
        tid = m_state->tid;
    }
    return ::setpriority(PRIO_PROCESS, id_t(tid), NiceOf(priority)) == 0;
}

bool Thread::Wait(uint32_t milliseconds)
{
    if (!m_state)
        return true;
    std::unique_lock lock(m_state->mutex);
    if (m_state->done)
        return true;
    if (m_state->id == std::this_thread::get_id())
        return false; // a thread never sees its own end
    if (milliseconds == kWaitForever) {
        m_state->changed.wait(lock, [&] { return m_state->done; });
        return true;
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    return m_state->changed.wait_until(lock, deadline, [&] { return m_state->done; });
}

void Thread::Join()
{
    if (!m_state || IsCurrent())
        return;
    if (m_state->thread.joinable())
        m_state->thread.join();
}

bool Thread::Running() const
{
    if (!m_state)
        return false;
    std::lock_guard lock(m_state->mutex);
    return !m_state->done;
}

bool Thread::IsCurrent() const
{
    if (!m_state)
        return false;
    std::lock_guard lock(m_state->mutex);
    return m_state->id == std::this_thread::get_id();
}

bool SetProcessPriority(ProcessPriority priority)
{
    // A nice value belongs to each thread: set every thread of the process; threads made
    // later inherit it from their creator.
    const int nice = priority == ProcessPriority::High ? -5 : 0;
    DIR* tasks = ::opendir("/proc/self/task");
    if (!tasks)
        return ::setpriority(PRIO_PROCESS, 0, nice) == 0;
    bool ok = true;
    while (dirent* entry = ::readdir(tasks)) {
        if (entry->d_name[0] == '.')
            continue;
        ok = ::setpriority(PRIO_PROCESS, id_t(std::atoi(entry->d_name)), nice) == 0 && ok;
    }
    ::closedir(tasks);
    return ok;
}

} // namespace plat::win
