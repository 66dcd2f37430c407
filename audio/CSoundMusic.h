// CSoundMusic: one streamed track. A streaming buffer of two blocks plays in a loop while a
// refill thread, woken at the end of each block, writes the next one. The thread is stopped by
// a flag and a signal and joined by the next Play, Unload or the destructor, never by itself.
// CSoundMusicOGG decodes Ogg Vorbis files for it.
#pragma once

#include "audio/SoundResult.h"
#include "platform/sound/buffer.h"
#include "platform/win/sync.h"
#include "platform/win/thread.h"

#include <atomic>
#include <cstdint>
#include <memory>

class CSoundMusic {
public:
    static constexpr uint32_t kBlockSize = 0x84000;

    explicit CSoundMusic(uint32_t blockSize = kBlockSize);
    virtual ~CSoundMusic();
    CSoundMusic(const CSoundMusic&) = delete;
    CSoundMusic& operator=(const CSoundMusic&) = delete;

    virtual SoundResult SetFileName(const char* name);
    virtual SoundResult Play(bool loop, uint32_t argument = 0);
    virtual SoundResult Stop();
    virtual uint32_t GetPlayedBytes();
    virtual bool IsMusicPlayed();
    virtual SoundResult SetVolume(float volume);
    virtual SoundResult PreLoad(uint32_t argument);
    virtual SoundResult Unload(bool terminate);
    // Writes the next block; the base class has no data and writes silence.
    virtual SoundResult LoadBlock();

    const char* GetFileName() const { return m_fileName; }
    uint32_t GetBlockSize() const { return m_blockSize; }
    float GetVolume() const { return m_volume; }
    // The streaming buffer, for tests that read what was written.
    plat::sound::Buffer* GetBuffer() { return m_buffer.get(); }
    uint16_t GetPendingBlocks() const { return m_pending; }
    uint16_t GetPlayedBlocks() const { return m_played; }

protected:
    SoundResult WriteDataToNextBlock(const uint8_t* data, uint32_t size);
    // The stream's wave format; CSoundMusicOGG sets it before the base PreLoad.
    void SetFormat(const plat::sound::WaveFormat& format);
    // The refill thread's body.
    void NotifyHandleer(plat::sound::NotifyEvent* event);
    void StopRefillThread();

    std::unique_ptr<plat::sound::NotifyEvent> m_event;
    plat::win::Thread m_thread;
    std::unique_ptr<plat::sound::Buffer> m_buffer;
    uint32_t m_loop = 0;
    float m_volume = 1.0f;
    uint32_t m_nextBlock = 0;
    uint32_t m_argument = 0;
    uint16_t m_pending = 0;
    uint16_t m_played = 0;
    char m_fileName[260] = {};
    uint32_t m_blockSize;
    std::unique_ptr<plat::sound::WaveFormat> m_format;
    plat::win::CriticalSection m_section;
    std::atomic<bool> m_stopThread { false };
};
