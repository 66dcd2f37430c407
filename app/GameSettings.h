// GameSettings: section CONFIG of "DATA\CONFIG\cfg.ini", the key set the whole system shares
// (the settings program writes it, the game reads it). SetDefaultSettings sets every default
// and reads the file; a missing or unreadable file leaves the defaults. The values the lower
// layers read are copied into their own records (g_RenderSettings, VisibleRadius). Main thread.
#pragma once

#include <cstdint>
#include <string>

struct SGameSettings {
    int32_t TextureBPS = 32;
    int32_t TextureQuality = 1;
    int32_t ModelQuality = 0;
    int32_t VisibleRadius = 256;
    int32_t ScreenWidth = 1024;
    int32_t ScreenHeight = 768;
    int32_t ScreenBPS = 32;
    int32_t ScreenRefresh = 0;
    bool Windowed = false;
    bool MapShadows = true;
    bool ShowFPS = false;
    bool MusicEnable = true;
    int32_t MusicVolume = 10;
    int32_t SoundVolume = 10;
    int32_t MaxSoundSources = 8;
    int32_t MaxSoundSources2 = 10;
    int32_t Interval = 4;
    bool FullReflection = false; // read and ignored: always off
    bool TextureCompression = true;
    float FixFPS = 0.0f; // seconds a frame, 0 when not fixed
    bool UseSystemCursor = false;
    bool ForceScreenShots = false;
    bool GliderAnimation = true;
    int32_t Filtering = 1;
    int32_t Anosotropy = 1;
    int32_t Antializing = 0;
    bool Video = true;
    bool ForceLinearFog = false;
    bool ForceFeedback = true;
    int32_t Codepage = 0;
    int32_t Gamma = 0;
    int32_t MTGamma = 1;
    bool UseStaticMapBuffer = true;
    float SelectTargetTime = 1.5f; // seconds
    bool loaded = false; // set once the file has been read
};

extern SGameSettings GameSettings;

// The base directory followed by "DATA\CONFIG\cfg.ini".
std::string ConfigIniPath();
// Every default, then ReadConfigIni.
void SetDefaultSettings();
// Reads the keys of [CONFIG] over the current values, in the order of the key set.
void ReadConfigIni();
// Writes "Gamma" of [CONFIG], keeping every other line of the file.
bool SaveGammaSetting(int gamma);
// The music volume of a MusicVolume setting: ((v + 4) / 14) squared, 0 for 0.
float MusicVolumeOf(int32_t musicVolume);
