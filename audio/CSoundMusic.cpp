#include "audio/CSoundMusic.h"

#include "audio/CSound.h"
#include "audio/CSoundObject.h"
#include "foundation/CallTrace.h"

#include <cstring>

using plat::sound::Succeeded;

CSoundMusic::CSoundMusic(uint32_t blockSize)
    : m_blockSize(blockSize)
{
}

CSoundMusic::~CSoundMusic()
{
    Unload(true);
}

SoundResult CSoundMusic::SetFileName(const char* name)
{
    std::memset(m_fileName, 0, sizeof m_fileName);
    if (!name)
        return kSoundFail;
    std::strncpy(m_fileName, name, sizeof m_fileName - 1);
    return kSoundOk;
}

void CSoundMusic::SetFormat(const plat::sound::WaveFormat& format)
{
    m_format = std::make_unique<plat::sound::WaveFormat>(format);
}

SoundResult CSoundMusic::PreLoad(uint32_t argument)
{
    ZJ_TRACE("CSoundMusic::PreLoad");
    plat::win::CriticalSectionLock lock(m_section);
    m_pending = 0;
    m_played = 0;
    m_nextBlock = 0;
    m_argument = argument;
    if (!m_format || !g_pSound || !g_pSound->GetDevice() || m_blockSize == 0)
        return kSoundFail;
    plat::sound::BufferDesc desc;
    desc.flags = plat::sound::BufferFlags::CtrlVolume | plat::sound::BufferFlags::CtrlPositionNotify;
    desc.bytes = 2 * m_blockSize;
    desc.format = *m_format;
    if (!Succeeded(g_pSound->GetDevice()->CreateBuffer(desc, m_buffer)) || m_buffer->Bytes() != desc.bytes) {
        m_buffer.reset();
        return kSoundFail;
    }
    m_buffer->SetVolume(CSoundObject::VolumeOf(m_volume));
    m_event = std::make_unique<plat::sound::NotifyEvent>();
    const plat::sound::NotifyPosition positions[] = {
        { m_blockSize - 1, m_event.get() },
        { 2 * m_blockSize - 1, m_event.get() },
    };
    if (!Succeeded(m_buffer->SetNotificationPositions(positions))) {
        m_buffer.reset();
        m_event.reset();
        return kSoundFail;
    }
    return kSoundOk;
}

SoundResult CSoundMusic::Play(bool loop, uint32_t argument)
{
    ZJ_TRACE("CSoundMusic::Play");
    Unload(true);
    SoundResult result = PreLoad(argument);
    if (!SoundFailed(result)) {
        plat::win::CriticalSectionLock lock(m_section);
        m_loop = loop ? 1 : 0;
        LoadBlock();
        LoadBlock();
        result = m_buffer && Succeeded(m_buffer->Play(true)) ? kSoundOk : kSoundFail;
        if (!SoundFailed(result)) {
            m_stopThread = false;
            plat::sound::NotifyEvent* event = m_event.get();
            if (m_thread.Start([this, event] { NotifyHandleer(event); }))
                m_thread.SetPriority(plat::win::ThreadPriority::Highest);
            else
                result = kSoundFail;
        }
    }
    if (SoundFailed(result))
        Unload(true);
    return result;
}

SoundResult CSoundMusic::Stop()
{
    return Unload(true);
}

void CSoundMusic::StopRefillThread()
{
    if (m_thread.IsCurrent())
        return;
    {
        plat::win::CriticalSectionLock lock(m_section);
        m_stopThread = true;
        if (m_event)
            m_event->Set();
    }
    m_thread.Join();
}

SoundResult CSoundMusic::Unload(bool terminate)
{
    ZJ_TRACE("CSoundMusic::Unload()");
    if (terminate)
        StopRefillThread();
    plat::win::CriticalSectionLock lock(m_section);
    if (m_buffer)
        m_buffer->Stop();
    m_buffer.reset();
    m_format.reset();
    m_event.reset();
    return kSoundOk;
}

SoundResult CSoundMusic::LoadBlock()
{
    return WriteDataToNextBlock(nullptr, 0);
}

bool CSoundMusic::IsMusicPlayed()
{
    plat::win::CriticalSectionLock lock(m_section);
    plat::sound::BufferStatus status;
    return m_buffer && Succeeded(m_buffer->GetStatus(status)) && (status.playing || status.looping);
}

uint32_t CSoundMusic::GetPlayedBytes()
{
    plat::win::CriticalSectionLock lock(m_section);
    uint32_t cursor = 0;
    if (m_buffer)
        m_buffer->GetCurrentPosition(cursor);
    const uint32_t blocks = cursor > m_blockSize && m_played > 0 ? m_played - 1u : m_played;
    return cursor + blocks * m_blockSize;
}

SoundResult CSoundMusic::SetVolume(float volume)
{
    plat::win::CriticalSectionLock lock(m_section);
    m_volume = volume;
    if (!m_buffer)
        return kSoundFail;
    return Succeeded(m_buffer->SetVolume(CSoundObject::VolumeOf(volume))) ? kSoundOk : kSoundFail;
}

SoundResult CSoundMusic::WriteDataToNextBlock(const uint8_t* data, uint32_t size)
{
    ZJ_TRACE("CSoundMusic::WriteDataToNextBlock");
    plat::win::CriticalSectionLock lock(m_section);
    if (!m_buffer)
        return kSoundFail;
    plat::sound::LockRegion first, second;
    plat::sound::Result locked = m_buffer->Lock(m_nextBlock, m_blockSize, first, second);
    if (locked == plat::sound::Result::BufferLost) {
        m_buffer->Restore();
        locked = m_buffer->Lock(m_nextBlock, m_blockSize, first, second);
    }
    if (!Succeeded(locked) || second.bytes != 0) {
        if (Succeeded(locked))
            m_buffer->Unlock(first, second);
        return kSoundFail;
    }
    if (data) {
        const uint32_t n = std::min(size, first.bytes);
        std::memcpy(first.data, data, n);
        std::memset(first.data + n, 0, first.bytes - n);
        ++m_pending;
    } else {
        std::memset(first.data, 0, first.bytes);
    }
    m_buffer->Unlock(first, second);
    m_nextBlock = m_nextBlock ? 0 : m_blockSize;
    return kSoundOk;
}

void CSoundMusic::NotifyHandleer(plat::sound::NotifyEvent* event)
{
    // The thread's outermost handler: the failure is logged and the thread ends.
    try {
        ZJ_TRACE("CSoundMusic::NotifyHandleer");
        for (;;) {
            {
                plat::win::CriticalSectionLock lock(m_section);
                if (m_stopThread || m_event.get() != event || !IsMusicPlayed())
                    return;
            }
            if (!event->Wait(100))
                continue;
            plat::win::CriticalSectionLock lock(m_section);
            if (m_stopThread || m_event.get() != event)
                return;
            ++m_played;
            if (m_pending > 0)
                --m_pending;
            if (m_pending == 0) {
                Unload(false);
                return;
            }
            LoadBlock();
        }
    } catch (...) {
        FlushCallTrace();
    }
}
