#include "platform/sound/buffer.h"

#include "platform/sound/internal.h"

#include <cmath>

namespace plat::sound {

namespace detail {

namespace {
constexpr float kSpeedOfSound = 343.3f; // metres per second
}

void DeviceState::ApplyListener()
{
    const ListenerParams& p = applied;
    alListener3f(AL_POSITION, p.position.x, p.position.y, -p.position.z);
    alListener3f(AL_VELOCITY, p.velocity.x, p.velocity.y, -p.velocity.z);
    const ALfloat orientation[6] = { p.front.x, p.front.y, -p.front.z, p.top.x, p.top.y, -p.top.z };
    alListenerfv(AL_ORIENTATION, orientation);
    alDopplerFactor(p.dopplerFactor);
    alSpeedOfSound(kSpeedOfSound / p.distanceFactor);
    for (BufferState* buffer : buffers3d)
        alSourcef(buffer->source, AL_ROLLOFF_FACTOR, p.rolloffFactor);
}

void DeviceState::UpdateMute(BufferState& buffer)
{
    bool muted = false;
    if (Has(buffer.desc.flags, BufferFlags::Mute3DAtMaxDistance) && buffer.applied3d.mode == Mode3D::Normal) {
        const Vector& a = buffer.applied3d.position;
        const Vector& b = applied.position;
        const float dx = a.x - b.x;
        const float dy = a.y - b.y;
        const float dz = a.z - b.z;
        muted = std::sqrt(dx * dx + dy * dy + dz * dz) > buffer.applied3d.maxDistance;
    }
    if (muted != buffer.muted) {
        buffer.muted = muted;
        buffer.ApplyGain();
    }
}

void DeviceState::CommitLocked()
{
    alDeferUpdatesSOFT();
    if (listenerPending) {
        applied = pending;
        listenerPending = false;
        ApplyListener();
    }
    for (BufferState* buffer : buffers3d) {
        if (buffer->pending3dSet) {
            buffer->applied3d = buffer->pending3d;
            buffer->pending3dSet = false;
            buffer->Apply3D();
        }
        UpdateMute(*buffer);
    }
    alProcessUpdatesSOFT();
}

} // namespace detail

namespace {

bool Finite(const Vector& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

template <typename Change> Result ChangeListener(detail::DeviceState* device, Apply apply, Change change)
{
    std::lock_guard lock(device->mutex);
    if (!device->listenerPending)
        device->pending = device->applied;
    change(device->pending);
    if (apply == Apply::Deferred) {
        device->listenerPending = true;
        return Result::Ok;
    }
    change(device->applied);
    if (!device->listenerPending)
        device->pending = device->applied;
    device->ApplyListener();
    for (detail::BufferState* buffer : device->buffers3d)
        device->UpdateMute(*buffer);
    return Result::Ok;
}

} // namespace

Result Listener::SetPosition(const Vector& position, Apply apply)
{
    if (!Finite(position))
        return Result::InvalidArg;
    return ChangeListener(m_device, apply, [&](ListenerParams& p) { p.position = position; });
}

Result Listener::SetVelocity(const Vector& velocity, Apply apply)
{
    if (!Finite(velocity))
        return Result::InvalidArg;
    return ChangeListener(m_device, apply, [&](ListenerParams& p) { p.velocity = velocity; });
}

Result Listener::SetOrientation(const Vector& front, const Vector& top, Apply apply)
{
    if (!Finite(front) || !Finite(top))
        return Result::InvalidArg;
    return ChangeListener(m_device, apply, [&](ListenerParams& p) {
        p.front = front;
        p.top = top;
    });
}

Result Listener::SetDistanceFactor(float factor, Apply apply)
{
    if (!(factor > 0) || !std::isfinite(factor))
        return Result::InvalidArg;
    return ChangeListener(m_device, apply, [&](ListenerParams& p) { p.distanceFactor = factor; });
}

Result Listener::SetRolloffFactor(float factor, Apply apply)
{
    if (!(factor >= 0 && factor <= 10))
        return Result::InvalidArg;
    return ChangeListener(m_device, apply, [&](ListenerParams& p) { p.rolloffFactor = factor; });
}

Result Listener::SetDopplerFactor(float factor, Apply apply)
{
    if (!(factor >= 0 && factor <= 10))
        return Result::InvalidArg;
    return ChangeListener(m_device, apply, [&](ListenerParams& p) { p.dopplerFactor = factor; });
}

Result Listener::SetAllParameters(const ListenerParams& params, Apply apply)
{
    if (!Finite(params.position) || !Finite(params.velocity) || !Finite(params.front) || !Finite(params.top)
        || !(params.distanceFactor > 0) || !(params.rolloffFactor >= 0) || !(params.rolloffFactor <= 10)
        || !(params.dopplerFactor >= 0) || !(params.dopplerFactor <= 10))
        return Result::InvalidArg;
    return ChangeListener(m_device, apply, [&](ListenerParams& p) { p = params; });
}

ListenerParams Listener::GetAllParameters() const
{
    std::lock_guard lock(m_device->mutex);
    return m_device->applied;
}

Result Listener::CommitDeferredSettings()
{
    std::lock_guard lock(m_device->mutex);
    m_device->CommitLocked();
    return Result::Ok;
}

PrimaryBuffer::PrimaryBuffer(std::shared_ptr<detail::DeviceState> device)
    : m_device(std::move(device))
    , m_listener(m_device.get())
    , m_format(PcmFormat(2, 44100, 16))
{
}

PrimaryBuffer::~PrimaryBuffer() = default;

Result PrimaryBuffer::SetFormat(const WaveFormat& format)
{
    if (format.formatTag != kFormatPcm || format.channels == 0 || format.samplesPerSec == 0
        || (format.bitsPerSample != 8 && format.bitsPerSample != 16))
        return Result::BadFormat;
    std::lock_guard lock(m_device->mutex);
    m_format = format;
    return Result::Ok;
}

Result PrimaryBuffer::GetFormat(WaveFormat& format) const
{
    std::lock_guard lock(m_device->mutex);
    format = m_format;
    return Result::Ok;
}

Result PrimaryBuffer::GetStatus(BufferStatus& status) const
{
    std::lock_guard lock(m_device->mutex);
    status = {};
    status.lost = m_lost;
    return Result::Ok;
}

Result PrimaryBuffer::Restore()
{
    std::lock_guard lock(m_device->mutex);
    if (m_failingRestores > 0) {
        --m_failingRestores;
        return Result::BufferLost;
    }
    m_lost = false;
    return Result::Ok;
}

void PrimaryBuffer::ForceLost(uint32_t failingRestores)
{
    std::lock_guard lock(m_device->mutex);
    m_lost = true;
    m_failingRestores = failingRestores;
}

} // namespace plat::sound
