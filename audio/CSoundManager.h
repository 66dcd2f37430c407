// CSoundManager: the game's one sound service. It loads the sound table, makes each sound's
// buffers on first use, plays one-shot sounds, keeps the looping sound controls that their
// owners move every frame, and once per frame decides which positioned sounds are worth
// playing within MaxSoundSources and MaxSoundSources2. Sound ids are rows of the table.
// Main thread only.
#pragma once

#include "audio/CSound.h"
#include "foundation/DefaultManager.h"
#include "foundation/Vector.h"
#include "foundation/XDynamicArray.h"
#include "foundation/XSlotPool.h"
#include "foundation/XStaticFIFO.h"

#include <cstdint>

class CSoundContainer;
class CSoundObject;

struct SSoundRecord {
    char fileName[80];
    char rowName[160];
    uint8_t is3D;
    float volume; // attenuation: 0 is full loudness
    float minDistance;
    float maxDistance; // 5 x minDistance
    uint32_t duplicates; // 0 in the table means 16
    CSoundContainer* container;
};

struct SSoundControl {
    int32_t soundId;
    uint8_t active;
    uint8_t countsAsLoop;
    CSoundObject* slot;
    Vec3 position;
    uint32_t ownerTag; // 0: free
    uint8_t is3D;
};

struct SPlayRequest {
    int32_t soundId;
    Vec3 position;
};

class CSoundManager : public CSound, public DefaultManager {
public:
    static constexpr int kControls = 100;
    static constexpr int kRequests = 150;
    static constexpr int kDefaultDuplicates = 16;

    CSoundManager();
    ~CSoundManager() override;

    void Init(const char* table) override;
    bool InitSound(plat::window::Window* window);
    // The SoundVolume setting, 0..10.
    void SetVolume(uint32_t volume);
    uint32_t GetVolume() const { return m_volume; }
    float GetMaster() const { return m_master; }
    // The settings MaxSoundSources and MaxSoundSources2.
    void SetSourceLimits(int maxSources, int maxSources2);

    // Null for -1 or when the sound cannot be made; other ids outside the table throw.
    CSoundContainer* GetSound(int id);
    // Plays once on a free slot; the slot, or null. The flag is not used.
    CSoundObject* PlaySound(int id, int flag);
    void Play3DSound(int id, const Vec3& position);
    void Play3DSound2D(int id, const Vec3& position);

    int GetSoundControl(int id, int handle, uint32_t ownerTag, const Vec3& position, bool is3D);
    void PlaySoundControl(int handle, const Vec3& position, bool loop, bool moveFirst);
    void StopSoundControl(int& handle, uint32_t ownerTag);
    void SetSoundControl2D(int handle, bool on);
    void SetSoundControlVolume(int handle, float factor);
    void SetSoundControlFrequency(int handle, float hertz);
    void SetSoundControlVelocity(int handle, const Vec3& velocity);
    void SetSoundControlDistance(int handle, float distance);
    void BeginFade(int handle, float seconds);
    void UpdateSoundControlFade(int handle, float dt);
    // The flag is not used.
    void StopAll(int flag);
    void ApplySettings() override;
    // Before the device goes: StopAll, then every container is deleted.
    void ReleaseAllSounds();

    // The output format; set before Init.
    SSoundFormat m_waveFormat;

    int GetRecordCount() const { return m_records.Count(); }
    const SSoundRecord& GetRecord(int id) const { return m_records.At(id); }
    const XSlotPool<SSoundControl>& GetControls() const { return m_controls; }
    // The live control of a handle, or null.
    SSoundControl* GetControl(int handle);
    int GetLiveCount() const { return m_liveCount; }
    float GetThreshold() const { return m_threshold; }
    int GetQueuedCount() const { return m_requests.Count(); }
    bool IsInitialised() const { return m_initialised != 0; }

    // Audibility of a request at distance d: (1 - VOLUME), doubled towards MINDIST from outside.
    static float RequestEstimate(const SSoundRecord& record, float distance);
    // Audibility of a control at distance d (the distance already has 0.01 added).
    static float ControlEstimate(const SSoundRecord& record, float distance);

private:
    float DistanceToListener(const Vec3& position) const;
    void FreeControl(int handle);

    XDynamicArray<SSoundRecord> m_records;
    XSlotPool<SSoundControl> m_controls;
    XStaticFIFO<SPlayRequest, kRequests> m_requests;
    uint32_t m_volume = 10;
    float m_master = 1.0f;
    int m_liveCount = 0;
    float m_threshold = 0.01f;
    int m_maxSources = 8;
    int m_maxSources2 = 10;
    uint8_t m_initialised = 0;
};

// The sound manager; the resource engine (app/) creates and deletes it. Null while none exists.
extern CSoundManager* g_pSoundManager;
