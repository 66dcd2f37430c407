// Sound buffers. Each keeps its data in system memory: Lock and Unlock work on that copy and
// Unlock uploads it. A buffer made with CtrlPositionNotify plays its memory as a loop through
// small queued pieces, and the NotifyEvent it is bound to services it while being waited on.
#pragma once

#include "platform/sound/types.h"

#include <cstdint>
#include <memory>
#include <span>

namespace plat::sound {

namespace detail {
struct DeviceState;
struct BufferState;
struct EventCore;
} // namespace detail

class NotifyEvent;

// 3-D settings of one buffer. Positions and velocities are in left-handed axes.
class Buffer3D {
public:
    Result SetPosition(const Vector& position, Apply apply);
    Result SetVelocity(const Vector& velocity, Apply apply);
    Result SetMinDistance(float distance, Apply apply);
    Result SetMaxDistance(float distance, Apply apply);
    Result SetMode(Mode3D mode, Apply apply);
    // The values in effect, deferred changes not included.
    Vector GetPosition() const;
    float GetMinDistance() const;
    float GetMaxDistance() const;
    Mode3D GetMode() const;

private:
    friend class Buffer;
    explicit Buffer3D(detail::BufferState* owner)
        : m_owner(owner)
    {
    }
    detail::BufferState* m_owner;
};

struct NotifyPosition {
    uint32_t offset = 0; // signalled once the byte at this offset has played
    NotifyEvent* event = nullptr;
};

class Buffer {
public:
    ~Buffer();
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;

    // `bytes` from `offset`, wrapping into the second region at the end of the buffer.
    Result Lock(uint32_t offset, uint32_t bytes, LockRegion& first, LockRegion& second);
    Result Unlock(const LockRegion& first, const LockRegion& second);

    // Plays from the current position.
    Result Play(bool looping);
    // Keeps the position; SetCurrentPosition(0) rewinds.
    Result Stop();
    Result SetCurrentPosition(uint32_t offset);
    Result GetCurrentPosition(uint32_t& play) const;
    Result GetStatus(BufferStatus& status) const;

    // -10000..0 hundredths of a decibel.
    Result SetVolume(int32_t volume);
    Result GetVolume(int32_t& volume) const;
    // Hz, or kFrequencyOriginal for the data's own rate.
    Result SetFrequency(uint32_t hertz);
    Result GetFrequency(uint32_t& hertz) const;
    Result Restore();

    // Null for a buffer made without Ctrl3D.
    Buffer3D* Get3D();
    // Needs CtrlPositionNotify; replaces the earlier positions. Events must be bound while
    // the buffer is stopped.
    Result SetNotificationPositions(std::span<const NotifyPosition> positions);

    const WaveFormat& Format() const;
    uint32_t Bytes() const;
    BufferFlags Flags() const;

    // Test hook: the buffer reports the lost state until Restore has been called
    // `failingRestores` + 1 times.
    void ForceLost(uint32_t failingRestores = 0);

private:
    friend class Device;
    friend class NotifyEvent;
    explicit Buffer(std::unique_ptr<detail::BufferState> state);
    std::unique_ptr<detail::BufferState> m_state;
    Buffer3D m_3d;
};

struct ListenerParams {
    Vector position;
    Vector velocity;
    Vector front { 0, 0, 1 };
    Vector top { 0, 1, 0 };
    float distanceFactor = 1.0f; // metres per unit; scales the speed of sound
    float rolloffFactor = 1.0f;
    float dopplerFactor = 1.0f;
};

class Listener {
public:
    Result SetPosition(const Vector& position, Apply apply);
    Result SetVelocity(const Vector& velocity, Apply apply);
    Result SetOrientation(const Vector& front, const Vector& top, Apply apply);
    Result SetDistanceFactor(float factor, Apply apply);
    Result SetRolloffFactor(float factor, Apply apply);
    Result SetDopplerFactor(float factor, Apply apply);
    Result SetAllParameters(const ListenerParams& params, Apply apply);
    ListenerParams GetAllParameters() const;
    // Applies every deferred listener and buffer change at once.
    Result CommitDeferredSettings();

private:
    friend class PrimaryBuffer;
    explicit Listener(detail::DeviceState* device)
        : m_device(device)
    {
    }
    detail::DeviceState* m_device;
};

// The device's output: its format and the 3-D listener.
class PrimaryBuffer {
public:
    ~PrimaryBuffer();
    PrimaryBuffer(const PrimaryBuffer&) = delete;
    PrimaryBuffer& operator=(const PrimaryBuffer&) = delete;

    // Stored; the device always mixes to 44100 Hz, 2 channels, 16 bits.
    Result SetFormat(const WaveFormat& format);
    Result GetFormat(WaveFormat& format) const;
    Result GetStatus(BufferStatus& status) const;
    Result Restore();
    Listener* GetListener() { return &m_listener; }

    // Test hook, as Buffer::ForceLost.
    void ForceLost(uint32_t failingRestores = 0);

private:
    friend class Device;
    explicit PrimaryBuffer(std::shared_ptr<detail::DeviceState> device);
    std::shared_ptr<detail::DeviceState> m_device;
    Listener m_listener;
    WaveFormat m_format;
    bool m_lost = false;
    uint32_t m_failingRestores = 0;
};

// An auto-reset event bound to the notification positions of streaming buffers. While a
// thread waits on it, it services those buffers every 10 ms: finished pieces are taken back,
// new ones uploaded, and each position passed signals its event. The layer has no thread.
class NotifyEvent {
public:
    NotifyEvent();
    ~NotifyEvent();
    NotifyEvent(const NotifyEvent&) = delete;
    NotifyEvent& operator=(const NotifyEvent&) = delete;

    void Set();
    // True when signalled within `milliseconds`; the signal is consumed.
    bool Wait(uint32_t milliseconds);

private:
    friend class Buffer;
    std::shared_ptr<detail::EventCore> m_core;
};

} // namespace plat::sound
