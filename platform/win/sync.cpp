#include "platform/win/sync.h"

#include <chrono>

namespace plat::win {

Event::Event(bool manualReset, bool initiallySet)
    : m_manualReset(manualReset)
    , m_set(initiallySet)
{
}

void Event::Set()
{
    std::lock_guard lock(m_mutex);
    m_set = true;
    if (m_manualReset)
        m_changed.notify_all();
    else
        m_changed.notify_one();
}

void Event::Reset()
{
    std::lock_guard lock(m_mutex);
    m_set = false;
}

bool Event::Wait(uint32_t milliseconds)
{
    std::unique_lock lock(m_mutex);
    if (milliseconds == kWaitForever) {
        m_changed.wait(lock, [this] { return m_set; });
    } else {
        // steady_clock is CLOCK_MONOTONIC, the clock of CounterNow: the wait never ends early.
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        if (!m_changed.wait_until(lock, deadline, [this] { return m_set; }))
            return false;
    }
    if (!m_manualReset)
        m_set = false;
    return true;
}

} // namespace plat::win
