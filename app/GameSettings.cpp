#include "app/GameSettings.h"

#include "foundation/BaseDirectory.h"
#include "foundation/ConfigKeys.h"
#include "foundation/ErrorLog.h"
#include "platform/win/paths.h"
#include "platform/win/profile.h"
#include "render/RenderSettings.h"
#include "world/objects/PlayerGlobals.h"
#include "world/terrain/CEffectRenderManager.h"
#include "world/terrain/CLocation.h"

#include <algorithm>
#include <filesystem>
#include <string>

SGameSettings GameSettings;

namespace {

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
    const SConfigKey* key;
    Conversion conversion;
    int32_t SGameSettings::*integer = nullptr;
    bool SGameSettings::*flag = nullptr;
    float SGameSettings::*seconds = nullptr;
};

consteval const SConfigKey* Key(std::string_view key)
{
    return &ConfigKey("CONFIG", key);
}

// In the order the keys are read.
constexpr SettingKey kKeys[] = {
    { Key("TextureBPS"), Conversion::Integer, &SGameSettings::TextureBPS },
    { Key("TextureQuality"), Conversion::Integer, &SGameSettings::TextureQuality },
    { Key("ModelQuality"), Conversion::Integer, &SGameSettings::ModelQuality },
    { Key("VisibleRadius"), Conversion::Integer, &SGameSettings::VisibleRadius },
    { Key("ScreenWidth"), Conversion::Integer, &SGameSettings::ScreenWidth },
    { Key("ScreenHeight"), Conversion::Integer, &SGameSettings::ScreenHeight },
    { Key("ScreenBPS"), Conversion::Integer, &SGameSettings::ScreenBPS },
    { Key("ScreenRefresh"), Conversion::Integer, &SGameSettings::ScreenRefresh },
    { Key("Windowed"), Conversion::NonZero, nullptr, &SGameSettings::Windowed },
    { Key("MapShadows"), Conversion::One, nullptr, &SGameSettings::MapShadows },
    { Key("ShowFPS"), Conversion::One, nullptr, &SGameSettings::ShowFPS },
    { Key("MusicEnable"), Conversion::One, nullptr, &SGameSettings::MusicEnable },
    { Key("MusicVolume"), Conversion::Integer, &SGameSettings::MusicVolume },
    { Key("SoundVolume"), Conversion::Integer, &SGameSettings::SoundVolume },
    { Key("MaxSoundSources"), Conversion::Integer, &SGameSettings::MaxSoundSources },
    { Key("MaxSoundSources2"), Conversion::SecondSources, &SGameSettings::MaxSoundSources2 },
    { Key("Interval"), Conversion::Integer, &SGameSettings::Interval },
    { Key("FullReflection"), Conversion::Ignored, nullptr, &SGameSettings::FullReflection },
    { Key("TextureCompression"), Conversion::One, nullptr, &SGameSettings::TextureCompression },
    { Key("FixFPS"), Conversion::PerSecond, nullptr, nullptr, &SGameSettings::FixFPS },
    { Key("UseSystemCursor"), Conversion::One, nullptr, &SGameSettings::UseSystemCursor },
    { Key("ForceScreenShots"), Conversion::One, nullptr, &SGameSettings::ForceScreenShots },
    { Key("GliderAnimation"), Conversion::One, nullptr, &SGameSettings::GliderAnimation },
    { Key("Filtering"), Conversion::Integer, &SGameSettings::Filtering },
    { Key("Anosotropy"), Conversion::Anisotropy, &SGameSettings::Anosotropy },
    { Key("Antializing"), Conversion::Integer, &SGameSettings::Antializing },
    { Key("Video"), Conversion::One, nullptr, &SGameSettings::Video },
    { Key("ForceLinearFog"), Conversion::One, nullptr, &SGameSettings::ForceLinearFog },
    { Key("ForceFeedback"), Conversion::One, nullptr, &SGameSettings::ForceFeedback },
    { Key("Codepage"), Conversion::Integer, &SGameSettings::Codepage },
    { Key("Gamma"), Conversion::Integer, &SGameSettings::Gamma },
    { Key("MTGamma"), Conversion::Integer, &SGameSettings::MTGamma },
    { Key("UseStaticMapBuffer"), Conversion::One, nullptr, &SGameSettings::UseStaticMapBuffer },
    { Key("SelectTargetTime"), Conversion::Milliseconds, nullptr, nullptr, &SGameSettings::SelectTargetTime },
};

// An empty file name reads every key as absent.
int32_t ReadInt(std::string_view file, const SConfigKey& key, int32_t def)
{
    return file.empty() ? def : int32_t(plat::win::ReadProfileInt(file, key.section, key.key, def));
}

bool HasValue(std::string_view file, const SConfigKey& key)
{
    char value[16];
    return !file.empty()
        && plat::win::ReadProfileString(file, key.section, key.key, "", value, sizeof value) > 0;
}

// Every key of the table into s, in its order.
void Convert(SGameSettings& s, std::string_view file)
{
    for (const SettingKey& k : kKeys) {
        const SConfigKey& key = *k.key;
        switch (k.conversion) {
        case Conversion::Integer:
            s.*k.integer = ReadInt(file, key, key.number);
            break;
        case Conversion::NonZero:
            s.*k.flag = ReadInt(file, key, key.number) != 0;
            break;
        case Conversion::One:
            s.*k.flag = ReadInt(file, key, key.number) == 1;
            break;
        case Conversion::Ignored:
            ReadInt(file, key, key.number);
            s.*k.flag = false;
            break;
        case Conversion::SecondSources:
            s.*k.integer = ReadInt(file, key, s.MaxSoundSources + 2);
            break;
        case Conversion::PerSecond: {
            // The file's value counts as unsigned: a negative one is taken as absent.
            int32_t v = ReadInt(file, key, key.number);
            if (v < 0)
                v = key.number;
            s.*k.seconds = v != 0 ? 1.0f / float(v) : 0.0f;
            break;
        }
        case Conversion::Milliseconds: {
            int32_t v = ReadInt(file, key, key.number);
            if (v < 0)
                v = key.number;
            s.*k.seconds = float(uint32_t(v)) * 0.001f;
            break;
        }
        case Conversion::Anisotropy: {
            const SConfigKey& other = *Key("Anisotropy");
            s.*k.integer
                = HasValue(file, key) ? ReadInt(file, key, key.number) : ReadInt(file, other, other.number);
            break;
        }
        }
    }
}

// The view range the terrain pools and fog are built for: the settings program's 128..512.
void ClampVisibleRadius(SGameSettings& s)
{
    const int32_t clamped = std::clamp(s.VisibleRadius, 128, 512);
    if (clamped != s.VisibleRadius) {
        WriteErrorLog("cfg.ini VisibleRadius=" + std::to_string(s.VisibleRadius) + " outside 128..512, "
            + std::to_string(clamped) + " used");
        s.VisibleRadius = clamped;
    }
}

// The rest of the program reads these copies.
void PublishSettings()
{
    g_RenderSettings.textureBPS = GameSettings.TextureBPS;
    g_RenderSettings.textureQuality = GameSettings.TextureQuality;
    g_RenderSettings.textureCompression = GameSettings.TextureCompression;
    g_RenderSettings.codepage = GameSettings.Codepage;
    VisibleRadius = GameSettings.VisibleRadius;
    GliderAnimation = GameSettings.GliderAnimation ? 1 : 0;
    FullReflection = GameSettings.FullReflection ? 1 : 0;
    ModelQuality = GameSettings.ModelQuality;
}

} // namespace

SGameSettings::SGameSettings()
{
    Convert(*this, {});
}

std::string ConfigIniPath()
{
    return BaseDirectory() + "DATA\\CONFIG\\cfg.ini";
}

bool ConfigIniExists()
{
    std::error_code error;
    const auto host = plat::win::ResolvePath(ConfigIniPath());
    return host && std::filesystem::is_regular_file(*host, error);
}

void SetDefaultSettings()
{
    GameSettings = SGameSettings();
    ReadConfigIni();
}

void ReadConfigIni()
{
    Convert(GameSettings, ConfigIniPath());
    ClampVisibleRadius(GameSettings);
    GameSettings.loaded = true;
    PublishSettings();
}

bool SaveGammaSetting(int gamma)
{
    if (!WriteConfigNumber(ConfigIniPath(), *Key("Gamma"), gamma)) {
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
