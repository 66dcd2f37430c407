#include "audio/CMusicMng.h"

#include "audio/CSoundMusicOGG.h"
#include "foundation/CallTrace.h"
#include "foundation/ResourceDBManager.h"

namespace {
// Fades step by 0.02 s; what float steps leave over is no longer heard.
constexpr float kFadeEnd = 0.0001f;
} // namespace

CMusicMng* g_pMusicMng = nullptr;

CMusicMng::CMusicMng()
    : m_blockSize(CSoundMusic::kBlockSize)
{
}

CMusicMng::~CMusicMng()
{
    std::lock_guard lock(m_mutex);
    for (SMusicTrack& track : m_tracks)
        delete track.player;
    m_tracks.Done();
}

void CMusicMng::Init(const char* table)
{
    ZJ_TRACE("CMusicMng::Init");
    std::lock_guard lock(m_mutex);
    for (SMusicTrack& track : m_tracks)
        delete track.player;
    m_current = m_fadingOut = nullptr;
    m_currentTrack = -1;
    DefaultManager::Init(table);
    m_trackCount = m_rowCount;
    m_tracks.SetSize(m_trackCount);
    for (int i = 0; i < m_trackCount; ++i) {
        SMusicTrack& track = m_tracks.At(i);
        const char* row = m_rowNames.GetString(i);
        g_ResourceDBManager.GetString(row, "Filename", track.fileName, sizeof track.fileName);
        track.type = g_ResourceDBManager.GetIntegerField(row, "TYPE");
        track.player = nullptr;
    }
}

void CMusicMng::SetMusicEnable(bool enable)
{
    std::lock_guard lock(m_mutex);
    m_musicEnable = enable;
}

void CMusicMng::SetBlockSize(uint32_t blockSize)
{
    std::lock_guard lock(m_mutex);
    m_blockSize = blockSize;
}

CSoundMusicOGG* CMusicMng::PlayerOf(int track)
{
    SMusicTrack& entry = m_tracks.At(track);
    if (!entry.player) {
        auto player = new CSoundMusicOGG(m_blockSize);
        if (SoundFailed(player->SetFileName(entry.fileName))) {
            delete player;
            return nullptr;
        }
        entry.player = player;
    }
    return entry.player;
}

SoundResult CMusicMng::PlayMusic(int track, bool loop, bool fade)
{
    ZJ_TRACE("CMusicMng::PlayMusic");
    std::lock_guard lock(m_mutex);
    if (!m_musicEnable)
        return kSoundFail;
    if (track == m_currentTrack && m_current && m_current->IsMusicPlayed())
        return kSoundFail;
    StopMusic(fade);
    CSoundMusicOGG* player = PlayerOf(track);
    if (!player)
        return kSoundFail;
    // A track asked for again while it fades out starts afresh, no longer fading.
    if (player == m_fadingOut) {
        m_fadingOut = nullptr;
        m_fadeOutLevel = 0;
    }
    if (fade) {
        m_fadeInRemaining = 1.0f;
        player->SetVolume(0);
    } else {
        m_fadeInRemaining = 0;
        player->SetVolume(m_volume);
    }
    const SoundResult result = player->Play(loop);
    if (SoundFailed(result)) {
        m_currentTrack = -1;
        return result;
    }
    m_currentTrack = track;
    m_current = player;
    return result;
}

SoundResult CMusicMng::StopMusic(bool fade)
{
    ZJ_TRACE("CMusicMng::StopMusic");
    std::lock_guard lock(m_mutex);
    if (m_current) {
        if (m_fadingOut && m_fadingOut != m_current) {
            m_fadingOut->Stop();
            m_fadingOut = nullptr;
        }
        if (fade) {
            m_fadingOut = m_current;
            m_fadeOutLevel = 1.0f;
        } else {
            m_current->Stop();
            m_fadeOutLevel = 0;
            m_fadeInRemaining = 0;
        }
    }
    m_current = nullptr;
    m_currentTrack = -1;
    return kSoundOk;
}

bool CMusicMng::IsPlaying(int track)
{
    std::lock_guard lock(m_mutex);
    return m_current && m_current->IsMusicPlayed() && (track == -1 || track == m_currentTrack);
}

int CMusicMng::GetCurrentTrack()
{
    std::lock_guard lock(m_mutex);
    return m_currentTrack;
}

void CMusicMng::UpdateFade(float dt)
{
    std::lock_guard lock(m_mutex);
    if (m_fadingOut) {
        m_fadeOutLevel -= dt;
        if (m_fadeOutLevel > kFadeEnd) {
            m_fadingOut->SetVolume(m_fadeOutLevel * m_volume);
        } else {
            m_fadingOut->Stop();
            m_fadingOut = nullptr;
            m_fadeOutLevel = 0;
        }
    }
    if (m_current && m_fadeInRemaining > 0) {
        m_fadeInRemaining -= dt;
        if (m_fadeInRemaining < kFadeEnd)
            m_fadeInRemaining = 0;
        m_current->SetVolume((1.0f - m_fadeInRemaining) * m_volume);
    }
}

void CMusicMng::SetVolume(float volume)
{
    std::lock_guard lock(m_mutex);
    m_volume = volume;
    if (m_current && m_fadeInRemaining <= 0)
        m_current->SetVolume(volume);
}

CSoundMusicOGG* CMusicMng::GetCurrentPlayer()
{
    std::lock_guard lock(m_mutex);
    return m_current;
}

CSoundMusicOGG* CMusicMng::GetFadingPlayer()
{
    std::lock_guard lock(m_mutex);
    return m_fadingOut;
}
