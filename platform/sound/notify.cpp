// Streaming buffers and their notifications: a waiting NotifyEvent services the buffers bound to
// it, taking back played pieces, queueing new ones and signalling each position passed.
#include "platform/sound/buffer.h"

#include "platform/sound/internal.h"

#include <algorithm>
#include <chrono>

namespace plat::sound {

namespace detail {

uint64_t BufferState::StreamCursor() const
{
    ALint state = AL_INITIAL;
    alGetSourcei(source, AL_SOURCE_STATE, &state);
    uint32_t inQueue = 0;
    if (state == AL_STOPPED) {
        inQueue = stream->queuedBytes;
    } else if (state == AL_PLAYING || state == AL_PAUSED) {
        ALint frame = 0;
        alGetSourcei(source, AL_SAMPLE_OFFSET, &frame);
        inQueue = std::min(
            static_cast<uint32_t>(std::max(frame, 0)) * desc.format.blockAlign, stream->queuedBytes);
    }
    return stream->played + inQueue;
}

void BufferState::Service(std::vector<std::shared_ptr<EventCore>>& toSignal)
{
    if (!stream || !playing)
        return;
    StreamState& s = *stream;
    const uint32_t ring = desc.bytes;

    ALint processed = 0;
    alGetSourcei(source, AL_BUFFERS_PROCESSED, &processed);
    for (ALint i = 0; i < processed && !s.queue.empty(); ++i) {
        const StreamState::Piece piece = s.queue.front();
        ALuint id = piece.buffer;
        alSourceUnqueueBuffers(source, 1, &id);
        s.queue.pop_front();
        s.spare.push_back(piece.buffer);
        s.head = (s.head + piece.bytes) % ring;
        s.played += piece.bytes;
        s.queuedBytes -= piece.bytes;
    }
    const uint64_t cursor = StreamCursor();

    // A position is passed once the byte at its offset has played.
    for (const Binding& binding : bindings) {
        const uint64_t phase = s.checked % ring;
        const uint64_t first = s.checked + (binding.offset + ring - phase) % ring;
        if (first < cursor && std::find(toSignal.begin(), toSignal.end(), binding.core) == toSignal.end())
            toSignal.push_back(binding.core);
    }
    s.checked = cursor;

    const uint32_t inQueue = static_cast<uint32_t>(cursor - s.played);
    while (!s.exhausted) {
        const uint32_t ahead = s.queuedBytes - inQueue;
        const uint32_t bytes = std::min(s.pieceBytes, ring - s.next);
        if (ahead + bytes > s.lead && ahead > 0)
            break;
        ALuint id = 0;
        if (!s.spare.empty()) {
            id = s.spare.back();
            s.spare.pop_back();
        } else {
            alGetError();
            alGenBuffers(1, &id);
            if (alGetError() != AL_NO_ERROR) {
                Report("NotifyEvent::Wait", "alGenBuffers failed");
                break;
            }
        }
        const std::vector<uint8_t> converted = Convert(s.next, bytes);
        alBufferData(id, AlFormat(), converted.data(), static_cast<ALsizei>(converted.size()),
            static_cast<ALsizei>(desc.format.samplesPerSec));
        alSourceQueueBuffers(source, 1, &id);
        s.queue.push_back({ id, s.next, bytes });
        s.queuedBytes += bytes;
        s.next = (s.next + bytes) % ring;
        if (s.next == 0 && !looping)
            s.exhausted = true;
    }
    if (s.queue.empty()) {
        // A stream that does not loop has played to its end.
        playing = false;
        alSourceStop(source);
        return;
    }
    ALint state = AL_INITIAL;
    alGetSourcei(source, AL_SOURCE_STATE, &state);
    if (state != AL_PLAYING)
        alSourcePlay(source);
}

void BufferState::StopStream()
{
    StreamState& s = *stream;
    const uint64_t cursor = StreamCursor();
    alSourceStop(source);
    alSourcei(source, AL_BUFFER, 0);
    for (const auto& piece : s.queue)
        s.spare.push_back(piece.buffer);
    s.queue.clear();
    s.queuedBytes = 0;
    s.head = static_cast<uint32_t>((s.head + (cursor - s.played)) % desc.bytes);
    s.next = s.head;
    s.played = cursor;
    s.checked = cursor;
    s.exhausted = false;
}

void EventCore::Signal()
{
    {
        std::lock_guard lock(stateMutex);
        signalled = true;
    }
    wake.notify_all();
}

} // namespace detail

using detail::BufferState;

Result Buffer::SetNotificationPositions(std::span<const NotifyPosition> positions)
{
    if (!m_state->stream)
        return Result::ControlUnavailable;
    std::vector<detail::Binding> bindings;
    for (const NotifyPosition& position : positions) {
        if (!position.event || position.offset >= m_state->desc.bytes)
            return Result::InvalidArg;
        bindings.push_back({ position.offset, position.event->m_core });
    }
    std::vector<detail::Binding> old;
    {
        std::lock_guard lock(m_state->device->mutex);
        if (m_state->playing)
            return Result::InvalidCall;
        old = std::move(m_state->bindings);
        m_state->bindings = bindings;
    }
    for (const auto& binding : old) {
        std::lock_guard lock(binding.core->bindMutex);
        std::erase(binding.core->bound, m_state.get());
    }
    for (const auto& binding : bindings) {
        std::lock_guard lock(binding.core->bindMutex);
        if (std::find(binding.core->bound.begin(), binding.core->bound.end(), m_state.get())
            == binding.core->bound.end())
            binding.core->bound.push_back(m_state.get());
    }
    return Result::Ok;
}

NotifyEvent::NotifyEvent()
    : m_core(std::make_shared<detail::EventCore>())
{
}
NotifyEvent::~NotifyEvent() = default;

void NotifyEvent::Set()
{
    m_core->Signal();
}

bool NotifyEvent::Wait(uint32_t milliseconds)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        std::vector<std::shared_ptr<detail::EventCore>> toSignal;
        {
            std::lock_guard bind(m_core->bindMutex);
            for (BufferState* buffer : m_core->bound) {
                std::lock_guard lock(buffer->device->mutex);
                buffer->Service(toSignal);
            }
        }
        for (const auto& core : toSignal)
            core->Signal();

        std::unique_lock lock(m_core->stateMutex);
        if (m_core->signalled) {
            m_core->signalled = false;
            return true;
        }
        const auto now = Clock::now();
        if (now >= deadline)
            return false;
        const auto step = std::min(deadline, now + std::chrono::milliseconds(10));
        m_core->wake.wait_until(lock, step, [&] { return m_core->signalled; });
        if (m_core->signalled) {
            m_core->signalled = false;
            return true;
        }
    }
}

} // namespace plat::sound
