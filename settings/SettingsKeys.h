// The cfg.ini keys the settings program reads and writes: each key's row of the shared key table
// with the page whose control edits it and the values that control can hold.
#pragma once

#include "foundation/ConfigKeys.h"

#include <cstdint>

enum class ESettingsPage { Title, Graphic, Input, Sound, Net };

struct SSettingKey {
    ESettingsPage page;
    const SConfigKey* key;
    int32_t min;
    int32_t max;
    int32_t step = 1; // the control writes min, min + step, ... max
};

inline constexpr SSettingKey kSettingKeys[] = {
    { ESettingsPage::Graphic, &ConfigKey("CONFIG", "ScreenWidth"), 1, 65535 },
    { ESettingsPage::Graphic, &ConfigKey("CONFIG", "ScreenHeight"), 600, 65535 },
    { ESettingsPage::Graphic, &ConfigKey("CONFIG", "ScreenRefresh"), 0, 1000 },
    { ESettingsPage::Graphic, &ConfigKey("CONFIG", "ScreenBPS"), 32, 32 },
    { ESettingsPage::Graphic, &ConfigKey("CONFIG", "Interval"), 0, 1 },
    { ESettingsPage::Graphic, &ConfigKey("CONFIG", "TextureQuality"), 0, 4, 2 },
    { ESettingsPage::Graphic, &ConfigKey("CONFIG", "VisibleRadius"), 256, 512, 128 },
    { ESettingsPage::Graphic, &ConfigKey("CONFIG", "Filtering"), 1, 2 },
    { ESettingsPage::Graphic, &ConfigKey("CONFIG", "Anisotropy"), 1, 16 },
    // Written with Anisotropy under the name the game reads first.
    { ESettingsPage::Graphic, &ConfigKey("CONFIG", "Anosotropy"), 1, 16 },
    { ESettingsPage::Graphic, &ConfigKey("CONFIG", "UseStaticMapBuffer"), 0, 1 },
    { ESettingsPage::Graphic, &ConfigKey("CONFIG", "Fullreflection"), 0, 1 },
    { ESettingsPage::Graphic, &ConfigKey("CONFIG", "ForceLinearFog"), 0, 1 },

    { ESettingsPage::Input, &ConfigKey("ZJCONFIG", "FixCursor"), 0, 1 },
    { ESettingsPage::Input, &ConfigKey("CONFIG", "ForceFeedback"), 0, 1 },
    { ESettingsPage::Input, &ConfigKey("INPUT", "InverseMouse"), 0, 1 },
    { ESettingsPage::Input, &ConfigKey("INPUT", "MouseSensitivity"), 1, 10 },

    { ESettingsPage::Sound, &ConfigKey("CONFIG", "MusicEnable"), 0, 1 },
    { ESettingsPage::Sound, &ConfigKey("CONFIG", "MusicVolume"), 0, 10 },
    { ESettingsPage::Sound, &ConfigKey("CONFIG", "SoundVolume"), 0, 10 },
    { ESettingsPage::Sound, &ConfigKey("CONFIG", "MaxSoundSources"), 4, 50 },
    { ESettingsPage::Sound, &ConfigKey("CONFIG", "MaxSoundSources2"), 5, 70 },
    { ESettingsPage::Sound, &ConfigKey("SOUND_GL_SOPLO", "PLAYER_FADE"), 0, 100 },

    { ESettingsPage::Net, &ConfigKey("NET", "RunServer"), 0, 1 },
};

// The range row of a key of the table above; a key that is not there does not compile.
consteval const SSettingKey& SettingKey(const SConfigKey& key)
{
    for (const SSettingKey& row : kSettingKeys) {
        if (row.key == &key)
            return row;
    }
    throw "not a key of the settings program";
}

// The value clamped into the key's range.
constexpr int32_t ClampSetting(const SSettingKey& key, int32_t value)
{
    return value < key.min ? key.min : value > key.max ? key.max : value;
}

// MaxSoundSources2 as the settings program writes it.
constexpr int32_t SecondSoundSources(int32_t sources)
{
    return sources * 14 / 10;
}
