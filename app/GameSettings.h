// GameSettings: section CONFIG of "DATA\CONFIG\cfg.ini", the key set the whole system shares
// (the settings program writes it, the game reads it; its keys and defaults are rows of
// foundation/ConfigKeys.h). SetDefaultSettings sets every default and reads the file; a missing
// or unreadable file leaves the defaults. The values the lower layers read are copied into their
// own records (g_RenderSettings, VisibleRadius). Main thread.
#pragma once

#include <cstdint>
#include <string>

struct SGameSettings {
    // The values a missing file gives: the defaults of foundation/ConfigKeys.h, converted.
    SGameSettings();

    int32_t TextureBPS;
    int32_t TextureQuality;
    int32_t ModelQuality;
    int32_t VisibleRadius;
    int32_t ScreenWidth;
    int32_t ScreenHeight;
    int32_t ScreenBPS;
    int32_t ScreenRefresh;
    bool Windowed;
    bool MapShadows;
    bool ShowFPS;
    bool MusicEnable;
    int32_t MusicVolume;
    int32_t SoundVolume;
    int32_t MaxSoundSources;
    int32_t MaxSoundSources2;
    int32_t Interval;
    bool FullReflection; // read and ignored: always off
    bool TextureCompression;
    float FixFPS; // seconds a frame, 0 when not fixed
    bool UseSystemCursor;
    bool ForceScreenShots;
    bool GliderAnimation;
    int32_t Filtering;
    int32_t Anosotropy;
    int32_t Antializing;
    bool Video;
    bool ForceLinearFog;
    bool ForceFeedback;
    int32_t Codepage;
    int32_t Gamma;
    int32_t MTGamma;
    bool UseStaticMapBuffer;
    float SelectTargetTime; // seconds
    bool loaded = false; // set once the file has been read
};

extern SGameSettings GameSettings;

// The base directory followed by "DATA\CONFIG\cfg.ini".
std::string ConfigIniPath();
// Whether that file is there to be read.
bool ConfigIniExists();
// Every default, then ReadConfigIni.
void SetDefaultSettings();
// Reads the keys of [CONFIG] over the current values, in the order of the key set.
void ReadConfigIni();
// Writes "Gamma" of [CONFIG], keeping every other line of the file.
bool SaveGammaSetting(int gamma);
// The music volume of a MusicVolume setting: ((v + 4) / 14) squared, 0 for 0.
float MusicVolumeOf(int32_t musicVolume);
