// CSoundContainer: one loaded sound as up to 16 buffers, the first and its duplicates, so that
// the sound plays several times at once. Made by CSound::CreateSound.
#pragma once

#include "audio/CSoundObject.h"
#include "audio/SoundResult.h"
#include "platform/sound/device.h"

#include <cstdint>

class CFileUtil;

class CSoundContainer {
public:
    static constexpr int kMaxSlots = 16;

    CSoundContainer();
    virtual ~CSoundContainer();
    CSoundContainer(const CSoundContainer&) = delete;
    CSoundContainer& operator=(const CSoundContainer&) = delete;

    // Fills the first buffer from the file and duplicates it up to `slots` buffers in all.
    SoundResult Create(
        plat::sound::Device& device, std::unique_ptr<plat::sound::Buffer> first, CFileUtil& file, int slots);

    // Plays on the first free slot; kSoundFail when every slot plays.
    SoundResult Play(uint32_t flags, uint32_t priority);
    CSoundObject* GetFreeSlot();
    void StopAll();
    void SetRange(float minimum, float maximum);
    void SetVolume(float volume);

    int GetSlotCount() const { return m_slotCount; }
    CSoundObject& GetSlot(int i) { return m_slots[i]; }
    float GetVolume() const { return m_volume; }
    float GetMaster() const { return m_master; }
    void SetMaster(float master) { m_master = master; }
    int GetLoopCount() const { return m_loopCount; }
    float GetLoudestLoop() const { return m_loudestLoop; }
    void SetLoudestLoop(float level) { m_loudestLoop = level; }

private:
    friend class CSoundObject;

    CSoundObject m_slots[kMaxSlots];
    int m_slotCount = 0;
    float m_volume = 1.0f;
    float m_master = 1.0f;
    int m_loopCount = 0;
    float m_loudestLoop = 0.0f;
};
