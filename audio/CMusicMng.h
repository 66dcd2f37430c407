// CMusicMng: the music manager. It loads the music table, plays one track at a time,
// cross-fades and applies the music volume. The gamma-fade thread steps the fades while the
// main thread starts and stops tracks: one lock guards every operation.
#pragma once

#include "audio/SoundResult.h"
#include "foundation/DefaultManager.h"
#include "foundation/XDynamicArray.h"

#include <cstdint>
#include <mutex>

class CSoundMusicOGG;

struct SMusicTrack {
    char fileName[80];
    int32_t type;
    CSoundMusicOGG* player; // made on first use
};

class CMusicMng : public DefaultManager {
public:
    CMusicMng();
    ~CMusicMng() override;

    void Init(const char* table) override;
    virtual SoundResult PlayMusic(int track, bool loop, bool fade);
    virtual SoundResult StopMusic(bool fade);
    virtual void Reserved() { }
    virtual bool IsPlaying(int track);
    virtual int GetCurrentTrack();
    virtual void UpdateFade(float dt);
    virtual void SetVolume(float volume);

    // The setting MusicEnable.
    void SetMusicEnable(bool enable);
    // The block size of players made from now on.
    void SetBlockSize(uint32_t blockSize);
    int GetTrackCount() const { return m_trackCount; }
    const SMusicTrack& GetTrack(int track) const { return m_tracks.At(track); }
    float GetVolume() const { return m_volume; }
    CSoundMusicOGG* GetCurrentPlayer();
    CSoundMusicOGG* GetFadingPlayer();

private:
    CSoundMusicOGG* PlayerOf(int track);

    std::recursive_mutex m_mutex;
    int m_trackCount = 0;
    XDynamicArray<SMusicTrack> m_tracks;
    float m_volume = 1.0f;
    int m_currentTrack = -1;
    CSoundMusicOGG* m_current = nullptr;
    CSoundMusicOGG* m_fadingOut = nullptr;
    float m_fadeOutLevel = 0;
    float m_fadeInRemaining = 0;
    bool m_musicEnable = true;
    uint32_t m_blockSize;
};

// The music manager; the resource engine (app/) creates and deletes it and publishes it to the
// gamma-fade thread. Null while none exists.
extern CMusicMng* g_pMusicMng;
