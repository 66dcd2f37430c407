// Sound buffers: the data in system memory, locks, playback and the upload of static data.
#include "platform/sound/buffer.h"

#include "platform/sound/internal.h"

#include <algorithm>
#include <cmath>

namespace plat::sound {

namespace detail {

BufferState::~BufferState()
{
    if (!device)
        return;
    std::shared_ptr<DeviceState> keep = device;
    std::lock_guard lock(keep->mutex);
    if (source) {
        alSourceStop(source);
        alSourcei(source, AL_BUFFER, 0);
        alDeleteSources(1, &source);
    }
    if (stream) {
        for (const auto& piece : stream->queue)
            alDeleteBuffers(1, &piece.buffer);
        if (!stream->spare.empty())
            alDeleteBuffers(static_cast<ALsizei>(stream->spare.size()), stream->spare.data());
    }
    if (data) {
        std::erase(data->users, this);
        if (data->users.empty() && data->alBuffer)
            alDeleteBuffers(1, &data->alBuffer);
    }
    std::erase(keep->buffers3d, this);
    device.reset();
}

ALenum BufferState::AlFormat() const
{
    const bool eight = desc.format.bitsPerSample == 8;
    if (uploadChannels == 1)
        return eight ? AL_FORMAT_MONO8 : AL_FORMAT_MONO16;
    return eight ? AL_FORMAT_STEREO8 : AL_FORMAT_STEREO16;
}

std::vector<uint8_t> BufferState::Convert(uint32_t offset, uint32_t bytes) const
{
    const uint8_t* from = data->bytes.data() + offset;
    if (uploadChannels == desc.format.channels)
        return std::vector<uint8_t>(from, from + bytes);
    // Stereo to mono: the mean of both channels.
    const uint32_t frames = bytes / desc.format.blockAlign;
    std::vector<uint8_t> out;
    if (desc.format.bitsPerSample == 8) {
        out.resize(frames);
        for (uint32_t i = 0; i < frames; ++i)
            out[i] = static_cast<uint8_t>((from[2 * i] + from[2 * i + 1]) / 2);
    } else {
        out.resize(frames * 2);
        for (uint32_t i = 0; i < frames; ++i) {
            const uint8_t* f = from + 4 * i;
            const int left = static_cast<int16_t>(f[0] | f[1] << 8);
            const int right = static_cast<int16_t>(f[2] | f[3] << 8);
            const auto mixed = static_cast<uint16_t>(static_cast<int16_t>((left + right) / 2));
            out[2 * i] = static_cast<uint8_t>(mixed & 0xFF);
            out[2 * i + 1] = static_cast<uint8_t>(mixed >> 8);
        }
    }
    return out;
}

void BufferState::ApplyGain()
{
    alSourcef(source, AL_GAIN, muted ? 0.0f : VolumeToGain(volume));
}

void BufferState::UploadStatic()
{
    // AL refuses new data for a buffer that sources hold: detach them around the upload.
    struct Held {
        BufferState* user;
        ALint state;
        ALint frame;
    };
    std::vector<Held> held;
    for (BufferState* user : data->users) {
        Held h { user, AL_INITIAL, 0 };
        alGetSourcei(user->source, AL_SOURCE_STATE, &h.state);
        alGetSourcei(user->source, AL_SAMPLE_OFFSET, &h.frame);
        alSourceStop(user->source);
        alSourcei(user->source, AL_BUFFER, 0);
        held.push_back(h);
    }
    const std::vector<uint8_t> converted = Convert(0, desc.bytes);
    alBufferData(data->alBuffer, AlFormat(), converted.data(), static_cast<ALsizei>(converted.size()),
        static_cast<ALsizei>(desc.format.samplesPerSec));
    for (const Held& h : held) {
        alSourcei(h.user->source, AL_BUFFER, static_cast<ALint>(data->alBuffer));
        if (h.state == AL_PLAYING || h.state == AL_PAUSED) {
            alSourcei(h.user->source, AL_SAMPLE_OFFSET, h.frame);
            if (h.state == AL_PLAYING)
                alSourcePlay(h.user->source);
            else
                alSourcePause(h.user->source);
        }
    }
    if (held.empty())
        alSourcei(source, AL_BUFFER, static_cast<ALint>(data->alBuffer));
}

} // namespace detail

using detail::BufferState;

Buffer::Buffer(std::unique_ptr<BufferState> state)
    : m_state(std::move(state))
    , m_3d(m_state.get())
{
}

Buffer::~Buffer()
{
    // Leave the events first, outside the device lock: a waiting event holds its bind lock
    // while it services this buffer.
    std::vector<std::shared_ptr<detail::EventCore>> cores;
    {
        std::lock_guard lock(m_state->device->mutex);
        for (const auto& binding : m_state->bindings)
            cores.push_back(binding.core);
    }
    for (const auto& core : cores) {
        std::lock_guard lock(core->bindMutex);
        std::erase(core->bound, m_state.get());
    }
}

Result Buffer::Lock(uint32_t offset, uint32_t bytes, LockRegion& first, LockRegion& second)
{
    first = {};
    second = {};
    std::lock_guard lock(m_state->device->mutex);
    if (m_state->lost)
        return Result::BufferLost;
    const uint32_t size = m_state->desc.bytes;
    if (offset >= size || bytes == 0 || bytes > size)
        return Result::InvalidArg;
    uint8_t* base = m_state->data->bytes.data();
    first.data = base + offset;
    first.bytes = std::min(bytes, size - offset);
    if (first.bytes < bytes) {
        second.data = base;
        second.bytes = bytes - first.bytes;
    }
    return Result::Ok;
}

Result Buffer::Unlock(const LockRegion& first, const LockRegion& second)
{
    std::lock_guard lock(m_state->device->mutex);
    const uint8_t* begin = m_state->data->bytes.data();
    const uint8_t* end = begin + m_state->desc.bytes;
    for (const LockRegion* region : { &first, &second }) {
        if (region->data && (region->data < begin || region->data + region->bytes > end))
            return Result::InvalidArg;
    }
    if (!m_state->stream)
        m_state->UploadStatic();
    return Result::Ok;
}

Result Buffer::Play(bool looping)
{
    std::vector<std::shared_ptr<detail::EventCore>> toSignal;
    {
        std::lock_guard lock(m_state->device->mutex);
        BufferState& s = *m_state;
        if (s.lost)
            return Result::BufferLost;
        s.looping = looping;
        if (s.stream) {
            if (!s.playing)
                s.stream->exhausted = false;
            s.playing = true;
            s.Service(toSignal);
        } else {
            alSourcei(s.source, AL_LOOPING, looping ? AL_TRUE : AL_FALSE);
            ALint state = AL_INITIAL;
            alGetSourcei(s.source, AL_SOURCE_STATE, &state);
            if (state != AL_PLAYING) {
                if (state != AL_PAUSED && s.startOffset != 0)
                    alSourcei(s.source, AL_SAMPLE_OFFSET,
                        static_cast<ALint>(s.startOffset / s.desc.format.blockAlign));
                alSourcePlay(s.source);
                if (state != AL_PAUSED && s.startOffset != 0)
                    alSourcei(s.source, AL_SAMPLE_OFFSET,
                        static_cast<ALint>(s.startOffset / s.desc.format.blockAlign));
                s.startOffset = 0;
            }
        }
    }
    for (const auto& core : toSignal)
        core->Signal();
    return Result::Ok;
}

Result Buffer::Stop()
{
    std::lock_guard lock(m_state->device->mutex);
    BufferState& s = *m_state;
    if (s.stream) {
        if (s.playing)
            s.StopStream();
        s.playing = false;
        return Result::Ok;
    }
    ALint state = AL_INITIAL;
    alGetSourcei(s.source, AL_SOURCE_STATE, &state);
    if (state == AL_PLAYING)
        alSourcePause(s.source);
    return Result::Ok;
}

Result Buffer::SetCurrentPosition(uint32_t offset)
{
    std::vector<std::shared_ptr<detail::EventCore>> toSignal;
    {
        std::lock_guard lock(m_state->device->mutex);
        BufferState& s = *m_state;
        if (offset >= s.desc.bytes)
            return Result::InvalidArg;
        offset -= offset % s.desc.format.blockAlign;
        if (s.stream) {
            s.StopStream();
            s.stream->head = s.stream->next = offset;
            if (s.playing)
                s.Service(toSignal);
        } else {
            ALint state = AL_INITIAL;
            alGetSourcei(s.source, AL_SOURCE_STATE, &state);
            if (state == AL_PLAYING || state == AL_PAUSED) {
                alSourcei(s.source, AL_SAMPLE_OFFSET, static_cast<ALint>(offset / s.desc.format.blockAlign));
            } else {
                alSourceRewind(s.source);
                s.startOffset = offset;
            }
        }
    }
    for (const auto& core : toSignal)
        core->Signal();
    return Result::Ok;
}

Result Buffer::GetCurrentPosition(uint32_t& play) const
{
    std::lock_guard lock(m_state->device->mutex);
    const BufferState& s = *m_state;
    if (s.stream) {
        const uint64_t cursor = s.StreamCursor();
        play = static_cast<uint32_t>((s.stream->head + (cursor - s.stream->played)) % s.desc.bytes);
        return Result::Ok;
    }
    ALint state = AL_INITIAL;
    alGetSourcei(s.source, AL_SOURCE_STATE, &state);
    if (state == AL_PLAYING || state == AL_PAUSED) {
        ALint frame = 0;
        alGetSourcei(s.source, AL_SAMPLE_OFFSET, &frame);
        play = static_cast<uint32_t>(std::max(frame, 0)) * s.desc.format.blockAlign;
    } else {
        play = s.startOffset;
    }
    return Result::Ok;
}

Result Buffer::GetStatus(BufferStatus& status) const
{
    std::lock_guard lock(m_state->device->mutex);
    const BufferState& s = *m_state;
    status = {};
    status.lost = s.lost;
    if (s.stream) {
        status.playing = s.playing;
    } else {
        ALint state = AL_INITIAL;
        alGetSourcei(s.source, AL_SOURCE_STATE, &state);
        status.playing = state == AL_PLAYING;
    }
    status.looping = status.playing && s.looping;
    return Result::Ok;
}

Result Buffer::SetVolume(int32_t volume)
{
    if (!Has(m_state->desc.flags, BufferFlags::CtrlVolume))
        return Result::ControlUnavailable;
    if (volume < kVolumeMin || volume > kVolumeMax)
        return Result::InvalidArg;
    std::lock_guard lock(m_state->device->mutex);
    m_state->volume = volume;
    m_state->ApplyGain();
    return Result::Ok;
}

Result Buffer::GetVolume(int32_t& volume) const
{
    if (!Has(m_state->desc.flags, BufferFlags::CtrlVolume))
        return Result::ControlUnavailable;
    std::lock_guard lock(m_state->device->mutex);
    volume = m_state->volume;
    return Result::Ok;
}

Result Buffer::SetFrequency(uint32_t hertz)
{
    if (!Has(m_state->desc.flags, BufferFlags::CtrlFrequency))
        return Result::ControlUnavailable;
    if (hertz != kFrequencyOriginal && (hertz < kFrequencyMin || hertz > kFrequencyMax))
        return Result::InvalidArg;
    std::lock_guard lock(m_state->device->mutex);
    m_state->frequency = hertz;
    const float rate = static_cast<float>(m_state->desc.format.samplesPerSec);
    alSourcef(
        m_state->source, AL_PITCH, hertz == kFrequencyOriginal ? 1.0f : static_cast<float>(hertz) / rate);
    return Result::Ok;
}

Result Buffer::GetFrequency(uint32_t& hertz) const
{
    if (!Has(m_state->desc.flags, BufferFlags::CtrlFrequency))
        return Result::ControlUnavailable;
    std::lock_guard lock(m_state->device->mutex);
    hertz
        = m_state->frequency == kFrequencyOriginal ? m_state->desc.format.samplesPerSec : m_state->frequency;
    return Result::Ok;
}

Result Buffer::Restore()
{
    std::lock_guard lock(m_state->device->mutex);
    if (m_state->failingRestores > 0) {
        --m_state->failingRestores;
        return Result::BufferLost;
    }
    m_state->lost = false;
    return Result::Ok;
}

void Buffer::ForceLost(uint32_t failingRestores)
{
    std::lock_guard lock(m_state->device->mutex);
    m_state->lost = true;
    m_state->failingRestores = failingRestores;
}

Buffer3D* Buffer::Get3D()
{
    return m_state->Is3D() ? &m_3d : nullptr;
}

const WaveFormat& Buffer::Format() const
{
    return m_state->desc.format;
}
uint32_t Buffer::Bytes() const
{
    return m_state->desc.bytes;
}
BufferFlags Buffer::Flags() const
{
    return m_state->desc.flags;
}

} // namespace plat::sound
