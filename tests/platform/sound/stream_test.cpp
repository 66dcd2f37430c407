#include "tests/platform/sound/loopback.h"

#include <atomic>
#include <chrono>
#include <thread>

using namespace plat::sound;

namespace {

constexpr uint32_t kBlock = 8192; // 2048 stereo frames
constexpr uint32_t kFrames = kBlock / 4;

class StreamTest : public soundtest::LoopbackTest {
protected:
    void SetUp() override
    {
        LoopbackTest::SetUp();
        BufferDesc desc;
        desc.flags = BufferFlags::CtrlVolume | BufferFlags::CtrlPositionNotify;
        desc.format = PcmFormat(2, 44100, 16);
        desc.bytes = 2 * kBlock;
        ASSERT_EQ(m_device->CreateBuffer(desc, m_stream), Result::Ok);
        Fill(0, 1000);
        Fill(kBlock, 3000);
        const NotifyPosition positions[] = { { kBlock - 1, &m_first }, { 2 * kBlock - 1, &m_second } };
        ASSERT_EQ(m_stream->SetNotificationPositions(positions), Result::Ok);
    }

    void Fill(uint32_t offset, int16_t value)
    {
        LockRegion a, b;
        ASSERT_EQ(m_stream->Lock(offset, kBlock, a, b), Result::Ok);
        ASSERT_EQ(b.bytes, 0u);
        auto* samples = reinterpret_cast<int16_t*>(a.data);
        for (uint32_t i = 0; i < a.bytes / 2; ++i)
            samples[i] = value;
        ASSERT_EQ(m_stream->Unlock(a, b), Result::Ok);
    }

    uint32_t Cursor()
    {
        uint32_t at = 0;
        EXPECT_EQ(m_stream->GetCurrentPosition(at), Result::Ok);
        return at;
    }

    // Mean of the left channel over one rendered step.
    double Step(uint32_t frames)
    {
        const auto out = Render(frames);
        double sum = 0;
        for (uint32_t i = 0; i < frames; ++i)
            sum += out[2 * i];
        return sum / frames;
    }

    std::unique_ptr<Buffer> m_stream;
    NotifyEvent m_first;
    NotifyEvent m_second;
};

TEST_F(StreamTest, PositionsSignalAsTheCursorPassesThem)
{
    ASSERT_EQ(m_stream->Play(true), Result::Ok);
    EXPECT_EQ(m_stream->SetNotificationPositions({}), Result::InvalidCall);
    std::vector<std::pair<int, uint32_t>> fired; // which event, cursor in frames played
    uint32_t played = 0;
    for (int step = 0; step < 64; ++step) {
        Render(128);
        played += 128;
        if (m_first.Wait(0))
            fired.push_back({ 1, played });
        if (m_second.Wait(0))
            fired.push_back({ 2, played });
    }
    ASSERT_EQ(fired.size(), 4u);
    for (size_t i = 0; i < fired.size(); ++i) {
        EXPECT_EQ(fired[i].first, i % 2 ? 2 : 1);
        // Signalled in the first service after the cursor passed the position.
        EXPECT_GE(fired[i].second, (i + 1) * kFrames);
        EXPECT_LE(fired[i].second, (i + 1) * kFrames + 128);
    }
    EXPECT_LT(Cursor(), 2 * kBlock);
}

TEST_F(StreamTest, ABlockWrittenAfterItsNotificationPlaysNextTimeRound)
{
    m_stream->Play(true);
    std::vector<double> levels;
    bool rewritten = false;
    for (uint32_t step = 0; step < 3 * kFrames / 64; ++step) {
        levels.push_back(Step(64));
        if (m_first.Wait(0) && !rewritten) {
            Fill(0, 6000);
            rewritten = true;
        }
        m_second.Wait(0);
    }
    ASSERT_TRUE(rewritten);
    // First lap 1000 then 3000, second lap 6000: the old block never comes back.
    const double unit = levels[4] / 1000;
    ASSERT_GT(unit, 0.3);
    for (size_t i = 1; i < levels.size(); ++i) {
        const double value = levels[i] / unit;
        const size_t lap = i * 64 / kFrames;
        const double expected = lap == 0 ? 1000 : lap == 1 ? 3000 : 6000;
        if ((i * 64) % kFrames < 64 * 2)
            continue; // the step that straddles a block edge
        EXPECT_NEAR(value, expected, 60) << "step " << i;
    }
}

TEST_F(StreamTest, AnUnderrunResumesAtTheCursor)
{
    m_stream->Play(true);
    Render(256);
    m_first.Wait(0);
    Render(8192); // nobody services: the queue runs dry
    const uint32_t stalled = Cursor();
    EXPECT_GT(stalled, 0u);
    EXPECT_LT(stalled, kBlock / 2);
    EXPECT_NEAR(Step(256), 0, 1);
    BufferStatus status;
    m_stream->GetStatus(status);
    EXPECT_TRUE(status.playing);
    m_first.Wait(0);
    EXPECT_EQ(Cursor(), stalled);
    const double level = Step(256);
    EXPECT_GT(level, 300);
    EXPECT_LT(level, 1500);
    m_first.Wait(0);
    EXPECT_GT(Cursor(), stalled);
}

TEST_F(StreamTest, StopKeepsTheCursorAndPlayContinuesFromIt)
{
    m_stream->Play(true);
    for (int i = 0; i < 6; ++i) {
        Render(128);
        m_first.Wait(0);
    }
    m_stream->Stop();
    const uint32_t at = Cursor();
    EXPECT_NEAR(double(at), 6 * 128 * 4, 128 * 4);
    Render(1024);
    EXPECT_EQ(Cursor(), at);
    m_stream->Play(true);
    Render(128);
    m_first.Wait(0);
    EXPECT_GT(Cursor(), at);
    m_stream->SetCurrentPosition(kBlock);
    EXPECT_EQ(Cursor(), kBlock);
}

TEST_F(StreamTest, AWaitingThreadDrivesItsOwnStream)
{
    NotifyEvent both;
    const NotifyPosition positions[] = { { kBlock - 1, &both }, { 2 * kBlock - 1, &both } };
    ASSERT_EQ(m_stream->SetNotificationPositions(positions), Result::Ok);
    m_stream->Play(true);
    std::atomic<bool> stop { false };
    std::atomic<int> signals { 0 };
    std::thread refill([&] {
        while (!stop) {
            if (both.Wait(100) && !stop)
                ++signals;
        }
    });
    for (int i = 0; i < 60; ++i) {
        Render(441);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    stop = true;
    both.Set();
    refill.join();
    // 60 x 441 frames make about six laps of two blocks.
    EXPECT_GE(signals.load(), 6);
    EXPECT_LE(signals.load(), 14);
}

} // namespace
