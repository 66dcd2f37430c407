// A loopback device for tests: render a stretch of output and measure each channel.
#pragma once

#include "platform/sound/device.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace soundtest {

struct Levels {
    double left = 0; // RMS of each channel
    double right = 0;
};

inline Levels Measure(const std::vector<int16_t>& frames)
{
    Levels levels;
    const size_t count = frames.size() / 2;
    for (size_t i = 0; i < count; ++i) {
        levels.left += double(frames[2 * i]) * frames[2 * i];
        levels.right += double(frames[2 * i + 1]) * frames[2 * i + 1];
    }
    if (count) {
        levels.left = std::sqrt(levels.left / double(count));
        levels.right = std::sqrt(levels.right / double(count));
    }
    return levels;
}

// Mono 16-bit sine of `hz`, `frames` long.
inline std::vector<int16_t> Sine(double hz, uint32_t frames, double amplitude = 12000, uint32_t rate = 44100)
{
    std::vector<int16_t> out(frames);
    for (uint32_t i = 0; i < frames; ++i)
        out[i] = static_cast<int16_t>(amplitude * std::sin(2 * M_PI * hz * i / rate));
    return out;
}

class LoopbackTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        plat::sound::SetDeviceKind(plat::sound::DeviceKind::Loopback);
        ASSERT_EQ(plat::sound::Device::Create(m_device), plat::sound::Result::Ok);
        ASSERT_EQ(m_device->CreatePrimaryBuffer(m_primary), plat::sound::Result::Ok);
        m_listener = m_primary->GetListener();
    }
    void TearDown() override { plat::sound::SetDeviceKind(plat::sound::DeviceKind::Default); }

    std::vector<int16_t> Render(uint32_t frames)
    {
        std::vector<int16_t> out(size_t(frames) * 2);
        EXPECT_EQ(m_device->Render(out.data(), frames), plat::sound::Result::Ok);
        return out;
    }
    // Lets gain ramps settle, then measures.
    Levels Settle(uint32_t frames = 4410)
    {
        Render(1024);
        return Measure(Render(frames));
    }

    std::unique_ptr<plat::sound::Buffer> MakeBuffer(
        const std::vector<int16_t>& mono, plat::sound::BufferFlags flags, uint16_t channels = 1)
    {
        plat::sound::BufferDesc desc;
        desc.flags = flags;
        desc.format = plat::sound::PcmFormat(channels, 44100, 16);
        desc.bytes = static_cast<uint32_t>(mono.size() * 2);
        std::unique_ptr<plat::sound::Buffer> buffer;
        EXPECT_EQ(m_device->CreateBuffer(desc, buffer), plat::sound::Result::Ok);
        if (!buffer)
            return buffer;
        plat::sound::LockRegion a, b;
        EXPECT_EQ(buffer->Lock(0, desc.bytes, a, b), plat::sound::Result::Ok);
        std::memcpy(a.data, mono.data(), a.bytes);
        EXPECT_EQ(buffer->Unlock(a, b), plat::sound::Result::Ok);
        return buffer;
    }

    std::unique_ptr<plat::sound::Device> m_device;
    std::unique_ptr<plat::sound::PrimaryBuffer> m_primary;
    plat::sound::Listener* m_listener = nullptr;
};

} // namespace soundtest
