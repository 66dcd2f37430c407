#include "platform/win/sync.h"

#include "platform/win/clock.h"
#include "platform/win/thread.h"

#include <atomic>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

using namespace plat::win;

// Polls until `done` holds or 5 s pass.
template <typename F> bool Eventually(F done)
{
    for (int i = 0; i < 1000; ++i) {
        if (done())
            return true;
        Sleep(5);
    }
    return done();
}

struct Waiters {
    explicit Waiters(Event& event, int count)
    {
        for (int i = 0; i < count; ++i) {
            threads.push_back(std::make_unique<Thread>());
            threads.back()->Start([&event, this] {
                event.Wait();
                ++woken;
            });
        }
    }
    std::atomic<int> woken { 0 };
    std::vector<std::unique_ptr<Thread>> threads;
};

TEST(Event, autoResetShouldWakeOneWaiterPerSet)
{
    Event event(false, false);
    Waiters waiters(event, 3);
    Sleep(20);
    EXPECT_EQ(waiters.woken, 0);
    for (int expected = 1; expected <= 3; ++expected) {
        event.Set();
        ASSERT_TRUE(Eventually([&] { return waiters.woken == expected; }));
        Sleep(30);
        EXPECT_EQ(waiters.woken, expected) << "one Set released more than one waiter";
    }
    EXPECT_FALSE(event.Wait(0)) << "an auto-reset event clears itself";

    Event initially(false, true);
    EXPECT_TRUE(initially.Wait(0));
    EXPECT_FALSE(initially.Wait(0));
}

TEST(Event, manualResetShouldWakeAllAndStaySet)
{
    Event event(true, false);
    Waiters waiters(event, 3);
    Sleep(20);
    event.Set();
    EXPECT_TRUE(Eventually([&] { return waiters.woken == 3; }));
    EXPECT_TRUE(event.Wait(0));
    EXPECT_TRUE(event.Wait(0));
    event.Reset();
    EXPECT_FALSE(event.Wait(0));
}

TEST(Event, timedWaitsShouldNeverEndEarly)
{
    Event event(true, false);
    Event release(true, false);
    Thread thread;
    // The thread runs until the waits are over, however slowly they run.
    thread.Start([&] { release.Wait(); });
    for (uint32_t ms : { 1u, 7u, 20u, 45u }) {
        int64_t start = CounterNow();
        EXPECT_FALSE(event.Wait(ms));
        EXPECT_GE(CounterNow() - start, int64_t(ms) * 1'000'000) << ms;

        start = CounterNow();
        EXPECT_FALSE(thread.Wait(ms));
        EXPECT_GE(CounterNow() - start, int64_t(ms) * 1'000'000) << ms;
    }
    release.Set();
    thread.Join();
}

TEST(CriticalSection, recursionShouldBlockOthersUntilFullyLeft)
{
    CriticalSection section;
    section.Enter();
    section.Enter();
    std::atomic<bool> entered { false };
    Thread other;
    other.Start([&] {
        CriticalSectionLock lock(section);
        entered = true;
    });
    Sleep(30);
    EXPECT_FALSE(entered);
    section.Leave();
    Sleep(30);
    EXPECT_FALSE(entered) << "one Leave of two released the section";
    section.Leave();
    EXPECT_TRUE(other.Wait(5000));
    EXPECT_TRUE(entered);
}

TEST(Thread, waitJoinAndDestructorShouldSeeTheEnd)
{
    std::atomic<bool> stop { false };
    std::atomic<bool> finished { false };
    {
        Thread thread;
        EXPECT_TRUE(thread.Wait(0)) << "nothing started";
        ASSERT_TRUE(thread.Start([&] {
            while (!stop)
                Sleep(1);
            Sleep(20);
            finished = true;
        }));
        EXPECT_TRUE(thread.Running());
        EXPECT_FALSE(thread.Start([] {})) << "one body at a time";
        EXPECT_TRUE(thread.SetPriority(ThreadPriority::BelowNormal));
        EXPECT_FALSE(thread.Wait(10));
        stop = true;
    } // the destructor joins
    EXPECT_TRUE(finished);

    Thread again;
    int runs = 0;
    ASSERT_TRUE(again.Start([&] { ++runs; }));
    again.Join();
    ASSERT_TRUE(again.Start([&] { ++runs; }));
    again.Join();
    EXPECT_EQ(runs, 2);
    EXPECT_FALSE(again.Running());
}

TEST(Thread, joinFromInsideShouldReturnAtOnce)
{
    Thread thread;
    std::atomic<bool> passed { false };
    ASSERT_TRUE(thread.Start([&] {
        EXPECT_TRUE(thread.IsCurrent());
        thread.Join(); // a stream ending itself
        EXPECT_FALSE(thread.Wait(0));
        passed = true;
    }));
    EXPECT_FALSE(thread.IsCurrent());
    thread.Join(); // the owner joins later
    EXPECT_TRUE(passed);
}

TEST(Thread, priorityHintsShouldNotFail)
{
    Thread thread;
    Event release(true, false);
    thread.Start([&] { release.Wait(); });
    for (ThreadPriority p : { ThreadPriority::Highest, ThreadPriority::TimeCritical, ThreadPriority::Normal })
        thread.SetPriority(p); // refused without privilege: a hint only
    EXPECT_TRUE(thread.SetPriority(ThreadPriority::Lowest));
    release.Set();
    thread.Join();
    EXPECT_FALSE(thread.SetPriority(ThreadPriority::Normal)) << "no thread left to set";
    SetProcessPriority(ProcessPriority::Normal);
}

} // namespace
