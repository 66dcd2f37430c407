#include "app/GameSettings.h"

#include "foundation/BaseDirectory.h"
#include "foundation/ErrorLog.h"
#include "platform/win/profile.h"
#include "render/RenderSettings.h"
#include "world/objects/PlayerGlobals.h"

#include <string>

SGameSettings GameSettings;

namespace {

constexpr const char* kSection = "CONFIG";

enum class Conversion {
    Integer, // the value as read
    NonZero, // true when not 0
    One, // true only for exactly 1
    Ignored, // read, then always off
    SecondSources, // default: the MaxSoundSources just read + 2
    PerSecond, // unsigned; 1 / value seconds, 0 for 0
    Milliseconds, // unsigned; value x 0.001 seconds
    Anisotropy, // "Anosotropy", else the settings program's "Anisotropy"
};

struct SettingKey {
    const char* key;
    Conversion conversion;
    int32_t fileDefault;
    int32_t SGameSettings::*integer = nullptr;
    bool SGameSettings::*flag = nullptr;
    float SGameSettings::*seconds = nullptr;
};

// In the order the keys are read.
constexpr SettingKey kKeys[] = {
    { "TextureBPS", Conversion::Integer, 32, &SGameSettings::TextureBPS },
    { "TextureQuality", Conversion::Integer, 1, &SGameSettings::TextureQuality },
    { "ModelQuality", Conversion::Integer, 0, &SGameSettings::ModelQuality },
    { "VisibleRadius", Conversion::Integer, 256, &SGameSettings::VisibleRadius },
    { "ScreenWidth", Conversion::Integer, 1024, &SGameSettings::ScreenWidth },
    { "ScreenHeight", Conversion::Integer, 768, &SGameSettings::ScreenHeight },
    { "ScreenBPS", Conversion::Integer, 32, &SGameSettings::ScreenBPS },
    { "ScreenRefresh", Conversion::Integer, 0, &SGameSettings::ScreenRefresh },
    { "Windowed", Conversion::NonZero, 0, nullptr, &SGameSettings::Windowed },
    { "MapShadows", Conversion::One, 1, nullptr, &SGameSettings::MapShadows },
    { "ShowFPS", Conversion::One, 0, nullptr, &SGameSettings::ShowFPS },
    { "MusicEnable", Conversion::One, 1, nullptr, &SGameSettings::MusicEnable },
    { "MusicVolume", Conversion::Integer, 10, &SGameSettings::MusicVolume },
    { "SoundVolume", Conversion::Integer, 10, &SGameSettings::SoundVolume },
    { "MaxSoundSources", Conversion::Integer, 8, &SGameSettings::MaxSoundSources },
    { "MaxSoundSources2", Conversion::SecondSources, 0, &SGameSettings::MaxSoundSources2 },
    { "Interval", Conversion::Integer, 4, &SGameSettings::Interval },
    { "FullReflection", Conversion::Ignored, 0, nullptr, &SGameSettings::FullReflection },
    { "TextureCompression", Conversion::One, 1, nullptr, &SGameSettings::TextureCompression },
    { "FixFPS", Conversion::PerSecond, 0, nullptr, nullptr, &SGameSettings::FixFPS },
    { "UseSystemCursor", Conversion::One, 0, nullptr, &SGameSettings::UseSystemCursor },
    { "ForceScreenShots", Conversion::One, 0, nullptr, &SGameSettings::ForceScreenShots },
    { "GliderAnimation", Conversion::One, 1, nullptr, &SGameSettings::GliderAnimation },
    { "Filtering", Conversion::Integer, 1, &SGameSettings::Filtering },
    { "Anosotropy", Conversion::Anisotropy, 1, &SGameSettings::Anosotropy },
    { "Antializing", Conversion::Integer, 0, &SGameSettings::Antializing },
    { "Video", Conversion::One, 1, nullptr, &SGameSettings::Video },
    { "ForceLinearFog", Conversion::One, 0, nullptr, &SGameSettings::ForceLinearFog },
    { "ForceFeedback", Conversion::One, 1, nullptr, &SGameSettings::ForceFeedback },
    { "Codepage", Conversion::Integer, 0, &SGameSettings::Codepage },
    { "Gamma", Conversion::Integer, 0, &SGameSettings::Gamma },
    { "MTGamma", Conversion::Integer, 1, &SGameSettings::MTGamma },
    { "UseStaticMapBuffer", Conversion::One, 1, nullptr, &SGameSettings::UseStaticMapBuffer },
    { "SelectTargetTime", Conversion::Milliseconds, 1500, nullptr, nullptr,
        &SGameSettings::SelectTargetTime },
};

int32_t ReadInt(const std::string& file, const char* key, int32_t def)
{
    return int32_t(plat::win::ReadProfileInt(file, kSection, key, def));
}

bool HasValue(const std::string& file, const char* key)
{
    char value[16];
    return plat::win::ReadProfileString(file, kSection, key, "", value, sizeof value) > 0;
}

// The rest of the program reads these copies.
void PublishSettings()
{
    g_RenderSettings.textureBPS = GameSettings.TextureBPS;
    g_RenderSettings.textureQuality = GameSettings.TextureQuality;
    g_RenderSettings.textureCompression = GameSettings.TextureCompression;
    g_RenderSettings.codepage = GameSettings.Codepage;
    VisibleRadius = GameSettings.VisibleRadius;
}

} // namespace

std::string ConfigIniPath()
{
    return BaseDirectory() + "DATA\\CONFIG\\cfg.ini";
}

void SetDefaultSettings()
{
    GameSettings = SGameSettings();
    ReadConfigIni();
}

void ReadConfigIni()
{
    const std::string file = ConfigIniPath();
    SGameSettings& s = GameSettings;
    for (const SettingKey& k : kKeys) {
        switch (k.conversion) {
        case Conversion::Integer:
            s.*k.integer = ReadInt(file, k.key, k.fileDefault);
            break;
        case Conversion::NonZero:
            s.*k.flag = ReadInt(file, k.key, k.fileDefault) != 0;
            break;
        case Conversion::One:
            s.*k.flag = ReadInt(file, k.key, k.fileDefault) == 1;
            break;
        case Conversion::Ignored:
            ReadInt(file, k.key, k.fileDefault);
            s.*k.flag = false;
            break;
        case Conversion::SecondSources:
            s.*k.integer = ReadInt(file, k.key, s.MaxSoundSources + 2);
            break;
        case Conversion::PerSecond: {
            // The file's value counts as unsigned: a negative one is taken as absent.
            int32_t v = ReadInt(file, k.key, k.fileDefault);
            if (v < 0)
                v = k.fileDefault;
            s.*k.seconds = v != 0 ? 1.0f / float(v) : 0.0f;
            break;
        }
        case Conversion::Milliseconds: {
            int32_t v = ReadInt(file, k.key, k.fileDefault);
            if (v < 0)
                v = k.fileDefault;
            s.*k.seconds = float(uint32_t(v)) * 0.001f;
            break;
        }
        case Conversion::Anisotropy:
            if (HasValue(file, k.key))
                s.*k.integer = ReadInt(file, k.key, k.fileDefault);
            else
                s.*k.integer = ReadInt(file, "Anisotropy", k.fileDefault);
            break;
        }
    }
    s.loaded = true;
    PublishSettings();
}

bool SaveGammaSetting(int gamma)
{
    if (!plat::win::WriteProfileString(ConfigIniPath(), kSection, "Gamma", std::to_string(gamma))) {
        WriteErrorLog("SaveGammaSetting: cfg.ini not written");
        return false;
    }
    return true;
}

float MusicVolumeOf(int32_t musicVolume)
{
    if (musicVolume == 0)
        return 0.0f;
    const float v = (float(musicVolume) + 4.0f) / 14.0f;
    return v * v;
}
