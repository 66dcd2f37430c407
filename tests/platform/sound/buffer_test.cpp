#include "tests/platform/sound/loopback.h"

using namespace plat::sound;

namespace {

constexpr BufferFlags k2D = BufferFlags::CtrlVolume | BufferFlags::CtrlFrequency;

using BufferTest = soundtest::LoopbackTest;

int ZeroCrossings(const std::vector<int16_t>& frames)
{
    int count = 0;
    for (size_t i = 2; i < frames.size(); i += 2)
        count += (frames[i - 2] < 0) != (frames[i] < 0);
    return count;
}

TEST_F(BufferTest, VolumeIsHundredthsOfADecibel)
{
    auto buffer = MakeBuffer(soundtest::Sine(441, 44100), k2D);
    buffer->Play(true);
    const double full = Settle().left;
    ASSERT_GT(full, 1000);
    ASSERT_EQ(buffer->SetVolume(-600), Result::Ok);
    EXPECT_NEAR(Settle().left / full, 0.501, 0.03);
    ASSERT_EQ(buffer->SetVolume(-10000), Result::Ok);
    EXPECT_LT(Settle().left, 2);
    EXPECT_EQ(buffer->SetVolume(1), Result::InvalidArg);
    EXPECT_EQ(buffer->SetVolume(-10001), Result::InvalidArg);
    int32_t volume = 0;
    buffer->GetVolume(volume);
    EXPECT_EQ(volume, -10000);
}

TEST_F(BufferTest, DoublingTheFrequencyDoublesTheZeroCrossings)
{
    auto buffer = MakeBuffer(soundtest::Sine(441, 44100), k2D);
    buffer->Play(true);
    Render(1024);
    const int base = ZeroCrossings(Render(8820));
    EXPECT_NEAR(base, 176, 2);
    ASSERT_EQ(buffer->SetFrequency(88200), Result::Ok);
    Render(1024);
    EXPECT_NEAR(ZeroCrossings(Render(8820)), 2 * base, 3);
    uint32_t hz = 0;
    buffer->GetFrequency(hz);
    EXPECT_EQ(hz, 88200u);
}

TEST_F(BufferTest, DuplicatesShareTheDataAtIndependentVolumes)
{
    auto original = MakeBuffer(soundtest::Sine(441, 44100), k2D);
    std::unique_ptr<Buffer> copy;
    ASSERT_EQ(m_device->DuplicateBuffer(*original, copy), Result::Ok);
    EXPECT_EQ(copy->Bytes(), original->Bytes());
    original->Play(true);
    const double alone = Settle().left;
    original->Stop();
    copy->SetVolume(-600);
    copy->Play(true);
    EXPECT_NEAR(Settle().left / alone, 0.501, 0.03);
    int32_t volume = 1;
    original->GetVolume(volume);
    EXPECT_EQ(volume, 0);
    // Both together, the original rewound to the copy's position: the same data adds up.
    uint32_t at = 0;
    copy->GetCurrentPosition(at);
    original->SetCurrentPosition(at);
    copy->SetVolume(0);
    original->Play(true);
    EXPECT_NEAR(Settle().left / alone, 2.0, 0.15);
}

TEST_F(BufferTest, StopKeepsThePositionAndRewindingStartsOver)
{
    auto buffer = MakeBuffer(soundtest::Sine(441, 44100), k2D);
    buffer->Play(false);
    Render(4410);
    buffer->Stop();
    uint32_t at = 0;
    buffer->GetCurrentPosition(at);
    EXPECT_NEAR(double(at), 4410.0 * 2, 2048);
    BufferStatus status;
    buffer->GetStatus(status);
    EXPECT_FALSE(status.playing);
    Render(4410);
    uint32_t still = 0;
    buffer->GetCurrentPosition(still);
    EXPECT_EQ(still, at);
    buffer->SetCurrentPosition(0);
    buffer->GetCurrentPosition(at);
    EXPECT_EQ(at, 0u);
    buffer->Play(true);
    buffer->GetStatus(status);
    EXPECT_TRUE(status.playing);
    EXPECT_TRUE(status.looping);
    // A buffer played once ends by itself.
    buffer->Play(false);
    Render(44100 + 4096);
    buffer->GetStatus(status);
    EXPECT_FALSE(status.playing);
}

TEST_F(BufferTest, CallsWithoutTheirControlFailAndChangeNothing)
{
    auto buffer = MakeBuffer(soundtest::Sine(441, 44100), BufferFlags::None);
    buffer->Play(true);
    const double full = Settle().left;
    EXPECT_EQ(buffer->SetVolume(-600), Result::ControlUnavailable);
    EXPECT_EQ(buffer->SetFrequency(88200), Result::ControlUnavailable);
    EXPECT_NEAR(Settle().left, full, full * 0.02);
    EXPECT_EQ(buffer->Get3D(), nullptr);
    NotifyEvent event;
    const NotifyPosition position { 0, &event };
    EXPECT_EQ(buffer->SetNotificationPositions({ &position, 1 }), Result::ControlUnavailable);
}

TEST_F(BufferTest, OnlyEightAndSixteenBitPcmWithOneOrTwoChannels)
{
    struct Case {
        uint16_t tag, channels, bits;
        Result result;
    };
    const Case cases[] = {
        { kFormatPcm, 1, 8, Result::Ok },
        { kFormatPcm, 2, 8, Result::Ok },
        { kFormatPcm, 1, 16, Result::Ok },
        { kFormatPcm, 2, 16, Result::Ok },
        { kFormatPcm, 2, 24, Result::BadFormat },
        { kFormatPcm, 6, 16, Result::BadFormat },
        { kFormatPcm, 0, 16, Result::BadFormat },
        { 3, 2, 16, Result::BadFormat },
    };
    for (const Case& c : cases) {
        BufferDesc desc;
        desc.flags = k2D;
        desc.format = PcmFormat(c.channels, 22050, c.bits);
        desc.format.formatTag = c.tag;
        desc.bytes = 4000;
        std::unique_ptr<Buffer> buffer;
        EXPECT_EQ(m_device->CreateBuffer(desc, buffer), c.result) << c.channels << " x " << c.bits;
        EXPECT_EQ(buffer != nullptr, c.result == Result::Ok);
    }
}

TEST_F(BufferTest, EightBitDataIsUnsigned)
{
    std::vector<uint8_t> bytes(22050);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(128 + 100 * std::sin(2 * M_PI * 441 * i / 22050.0));
    BufferDesc desc;
    desc.flags = k2D;
    desc.format = PcmFormat(1, 22050, 8);
    desc.bytes = static_cast<uint32_t>(bytes.size());
    std::unique_ptr<Buffer> buffer;
    ASSERT_EQ(m_device->CreateBuffer(desc, buffer), Result::Ok);
    LockRegion a, b;
    ASSERT_EQ(buffer->Lock(0, desc.bytes, a, b), Result::Ok);
    std::memcpy(a.data, bytes.data(), a.bytes);
    buffer->Unlock(a, b);
    buffer->Play(true);
    const auto levels = Settle();
    // 100/128 of full scale, centred: about 0.78 x 32767 / sqrt(2) x the centre pan.
    EXPECT_GT(levels.left, 8000);
    EXPECT_LT(levels.left, 20000);
}

TEST_F(BufferTest, LockWrapsAndLostBuffersRefuseUntilRestored)
{
    auto buffer = MakeBuffer(soundtest::Sine(441, 1000), k2D);
    LockRegion a, b;
    ASSERT_EQ(buffer->Lock(1500, 1000, a, b), Result::Ok);
    EXPECT_EQ(a.bytes, 500u);
    EXPECT_EQ(b.bytes, 500u);
    EXPECT_EQ(b.data + 1500, a.data);
    buffer->Unlock(a, b);
    EXPECT_EQ(buffer->Lock(2000, 1, a, b), Result::InvalidArg);
    EXPECT_EQ(buffer->Lock(0, 2001, a, b), Result::InvalidArg);

    buffer->ForceLost(2);
    BufferStatus status;
    buffer->GetStatus(status);
    EXPECT_TRUE(status.lost);
    EXPECT_EQ(buffer->Lock(0, 10, a, b), Result::BufferLost);
    EXPECT_EQ(buffer->Play(false), Result::BufferLost);
    EXPECT_EQ(buffer->Restore(), Result::BufferLost);
    EXPECT_EQ(buffer->Restore(), Result::BufferLost);
    EXPECT_EQ(buffer->Restore(), Result::Ok);
    buffer->GetStatus(status);
    EXPECT_FALSE(status.lost);
    EXPECT_EQ(buffer->Lock(0, 10, a, b), Result::Ok);
}

TEST(SoundDevice, AnUnavailableDeviceFailsToOpenAndOnlyOneOpensAtATime)
{
    SetDeviceKind(DeviceKind::Unavailable);
    std::unique_ptr<Device> device;
    EXPECT_EQ(Device::Create(device), Result::NoDriver);
    EXPECT_EQ(device, nullptr);
    SetDeviceKind(DeviceKind::Loopback);
    ASSERT_EQ(Device::Create(device), Result::Ok);
    std::unique_ptr<Device> second;
    EXPECT_EQ(Device::Create(second), Result::InvalidCall);
    device.reset();
    EXPECT_EQ(Device::Create(second), Result::Ok);
    EXPECT_TRUE(second->IsLoopback());
    SetDeviceKind(DeviceKind::Default);
}

TEST(SoundDevice, TheDefaultDeviceOpensOnTheNullDriver)
{
    SetDeviceKind(DeviceKind::Default);
    std::unique_ptr<Device> device;
    ASSERT_EQ(Device::Create(device), Result::Ok);
    EXPECT_FALSE(device->IsLoopback());
    int16_t frame[2];
    EXPECT_EQ(device->Render(frame, 1), Result::InvalidCall);
}

} // namespace
