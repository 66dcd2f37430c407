#include "settings/CPrPg_Sound.h"

#include "settings/CConfigWriter.h"
#include "settings/SettingsKeys.h"

namespace {

constexpr const SConfigKey& kMusicEnable = ConfigKey("CONFIG", "MusicEnable");
constexpr const SConfigKey& kMusicVolume = ConfigKey("CONFIG", "MusicVolume");
constexpr const SConfigKey& kSoundVolume = ConfigKey("CONFIG", "SoundVolume");
constexpr const SConfigKey& kMaxSources = ConfigKey("CONFIG", "MaxSoundSources");
constexpr const SConfigKey& kMaxSources2 = ConfigKey("CONFIG", "MaxSoundSources2");
constexpr const SConfigKey& kPlayerFade = ConfigKey("SOUND_GL_SOPLO", "PLAYER_FADE");

void SetRange(SSlider& slider, const SSettingKey& range, int32_t value)
{
    slider.min = range.min;
    slider.max = range.max;
    slider.Set(value);
}

} // namespace

void CPrPg_Sound::Load(const std::string& path)
{
    m_musicEnable = ReadConfigNumber(path, kMusicEnable);
    m_musicVolume = ReadConfigNumber(path, kMusicVolume);
    m_soundVolume = ReadConfigNumber(path, kSoundVolume);
    m_maxSources = ReadConfigNumber(path, kMaxSources);
    m_playerFade = ReadConfigNumber(path, kPlayerFade);
}

void CPrPg_Sound::FillControls()
{
    m_controls.musicEnable = m_musicEnable != 0;
    SetRange(m_controls.musicVolume, SettingKey(kMusicVolume), m_musicVolume);
    SetRange(m_controls.soundVolume, SettingKey(kSoundVolume), m_soundVolume);
    SetRange(m_controls.maxSources, SettingKey(kMaxSources), m_maxSources);
    SetRange(m_controls.playerFade, SettingKey(kPlayerFade), m_playerFade);
}

void CPrPg_Sound::OnFirstActivation(const SPageHost&)
{
    FillControls();
    m_initialised = true;
}

bool CPrPg_Sound::Save(const std::string& path)
{
    if (!m_initialised)
        return true;
    m_musicEnable = m_controls.musicEnable ? 1 : 0;
    m_musicVolume = m_controls.musicVolume.pos;
    m_soundVolume = m_controls.soundVolume.pos;
    m_maxSources = m_controls.maxSources.pos;
    m_playerFade = m_controls.playerFade.pos;
    CConfigWriter out(path);
    out.Number(kMusicEnable, m_musicEnable);
    out.Number(kMusicVolume, m_musicVolume);
    out.Number(kSoundVolume, m_soundVolume);
    out.Number(kPlayerFade, m_playerFade);
    out.Number(kMaxSources, m_maxSources);
    out.Number(kMaxSources2, SecondSoundSources(m_maxSources));
    return out.Ok();
}

void CPrPg_Sound::Defaults()
{
    m_musicEnable = 1;
    m_musicVolume = 3;
    m_soundVolume = 10;
    m_maxSources = 10;
    m_playerFade = 100;
    if (m_initialised)
        FillControls();
}
