// Thread synchronisation: a recursive critical section and an event with timed waits.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace plat::win {

inline constexpr uint32_t kWaitForever = 0xFFFFFFFF;

// Recursive: the owning thread may enter again; others wait until it has left as often.
class CriticalSection {
public:
    void Enter() { m_mutex.lock(); }
    bool TryEnter() { return m_mutex.try_lock(); }
    void Leave() { m_mutex.unlock(); }

private:
    std::recursive_mutex m_mutex;
};

// Holds a critical section for a scope.
class CriticalSectionLock {
public:
    explicit CriticalSectionLock(CriticalSection& section)
        : m_section(section)
    {
        m_section.Enter();
    }
    ~CriticalSectionLock() { m_section.Leave(); }
    CriticalSectionLock(const CriticalSectionLock&) = delete;
    CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;

private:
    CriticalSection& m_section;
};

// A signal that threads wait for. An auto-reset event releases one waiter and clears itself;
// a manual-reset event releases every waiter and stays set until Reset.
class Event {
public:
    Event(bool manualReset, bool initiallySet);
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void Set();
    void Reset();
    // True when the event was set; false when `milliseconds` passed first (never sooner).
    // kWaitForever waits without limit.
    bool Wait(uint32_t milliseconds = kWaitForever);

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    const bool m_manualReset;
    bool m_set;
};

} // namespace plat::win
