// ConfigKeys: every key of the settings file "DATA\CONFIG\cfg.ini", with its section and the value
// a reader takes when the file lacks it. The game, the engine, the settings program and the
// demo-data generator name keys only through these rows: ConfigKey finds a row while compiling,
// so a name that is not in the table does not build. Section and key names match ignoring case.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

enum class EConfigKind {
    Number, // a decimal integer
    Text,
    SoundName, // the name of a row of the sounds table; empty for none
    KeyName, // a key binding: a key name of DICode.ini; empty for none
};

struct SConfigKey {
    const char* section;
    const char* key;
    EConfigKind kind;
    int32_t number = 0; // the default of a Number
    const char* text = ""; // the default of the other kinds
};

// Grouped by section.
inline constexpr SConfigKey kConfigKeys[] = {
    { "CONFIG", "TextureBPS", EConfigKind::Number, 32 },
    { "CONFIG", "TextureQuality", EConfigKind::Number, 1 },
    { "CONFIG", "ModelQuality", EConfigKind::Number, 0 },
    { "CONFIG", "VisibleRadius", EConfigKind::Number, 256 },
    { "CONFIG", "ScreenWidth", EConfigKind::Number, 1024 },
    { "CONFIG", "ScreenHeight", EConfigKind::Number, 768 },
    { "CONFIG", "ScreenBPS", EConfigKind::Number, 32 },
    { "CONFIG", "ScreenRefresh", EConfigKind::Number, 0 },
    { "CONFIG", "Windowed", EConfigKind::Number, 0 },
    { "CONFIG", "MapShadows", EConfigKind::Number, 1 },
    { "CONFIG", "ShowFPS", EConfigKind::Number, 0 },
    { "CONFIG", "MusicEnable", EConfigKind::Number, 1 },
    { "CONFIG", "MusicVolume", EConfigKind::Number, 10 },
    { "CONFIG", "SoundVolume", EConfigKind::Number, 10 },
    { "CONFIG", "MaxSoundSources", EConfigKind::Number, 8 },
    // The game reads MaxSoundSources + 2 when it is absent: 10 with the default above.
    { "CONFIG", "MaxSoundSources2", EConfigKind::Number, 10 },
    { "CONFIG", "Interval", EConfigKind::Number, 4 },
    { "CONFIG", "Fullreflection", EConfigKind::Number, 0 },
    { "CONFIG", "TextureCompression", EConfigKind::Number, 1 },
    { "CONFIG", "FixFPS", EConfigKind::Number, 0 }, // frames a second, 0 when not fixed
    { "CONFIG", "UseSystemCursor", EConfigKind::Number, 0 },
    { "CONFIG", "ForceScreenShots", EConfigKind::Number, 0 },
    { "CONFIG", "GliderAnimation", EConfigKind::Number, 1 },
    { "CONFIG", "Filtering", EConfigKind::Number, 1 },
    { "CONFIG", "Anosotropy", EConfigKind::Number, 1 },
    { "CONFIG", "Antializing", EConfigKind::Number, 0 },
    { "CONFIG", "Video", EConfigKind::Number, 1 },
    { "CONFIG", "ForceLinearFog", EConfigKind::Number, 0 },
    { "CONFIG", "ForceFeedback", EConfigKind::Number, 1 },
    { "CONFIG", "Codepage", EConfigKind::Number, 0 },
    { "CONFIG", "Gamma", EConfigKind::Number, 0 },
    { "CONFIG", "MTGamma", EConfigKind::Number, 1 },
    { "CONFIG", "UseStaticMapBuffer", EConfigKind::Number, 1 },
    { "CONFIG", "SelectTargetTime", EConfigKind::Number, 1500 }, // milliseconds
    // The settings program's own name of the anisotropy level; the game reads it when
    // "Anosotropy" is absent.
    { "CONFIG", "Anisotropy", EConfigKind::Number, 1 },

    { "ZJCONFIG", "FixCursor", EConfigKind::Number, 1 },

    { "SOUND_GL_SOPLO", "SOUND1", EConfigKind::SoundName },
    { "SOUND_GL_SOPLO", "SOUND2", EConfigKind::SoundName },
    { "SOUND_GL_SOPLO", "SOUND3", EConfigKind::SoundName },
    { "SOUND_GL_SOPLO", "SOUND4", EConfigKind::SoundName },
    { "SOUND_GL_SOPLO", "MIN_VOLUME", EConfigKind::Number, 0 }, // percent
    { "SOUND_GL_SOPLO", "MID_VOLUME", EConfigKind::Number, 50 },
    { "SOUND_GL_SOPLO", "MAX_VOLUME", EConfigKind::Number, 100 },
    { "SOUND_GL_SOPLO", "PLAYER_FADE", EConfigKind::Number, 50 },
    { "SOUND_GL_SOPLO", "MOD_FORCE", EConfigKind::Number, 25 },
    { "SOUND_GL_SOPLO", "MOD_PERIOD", EConfigKind::Number, 200 }, // milliseconds

    { "SOUND_GL_ENGINE", "SOUND", EConfigKind::SoundName },
    { "SOUND_GL_ENGINE", "MIN_VOLUME", EConfigKind::Number, 0 }, // percent
    { "SOUND_GL_ENGINE", "MAX_VOLUME", EConfigKind::Number, 100 },
    { "SOUND_GL_ENGINE", "MAX_SPEED", EConfigKind::Number, 300 },
    { "SOUND_GL_ENGINE", "MIN_FREQ", EConfigKind::Number, 10000 },
    { "SOUND_GL_ENGINE", "MAX_FREQ", EConfigKind::Number, 40000 },

    { "NET", "PlayerName", EConfigKind::Text, 0, "CLIENT" },
    { "NET", "RunServer", EConfigKind::Number, 0 },
    { "NET", "Enable", EConfigKind::Number, 0 },

    { "PATH", "TextFile", EConfigKind::Text, 0, "SCRIPT\\Quest.dat" },

    // The player's bindings.
    { "INPUT", "CRUISE", EConfigKind::KeyName, 0, "Grave" },
    { "INPUT", "FORWARD", EConfigKind::KeyName, 0, "W" },
    { "INPUT", "FORWARD2", EConfigKind::KeyName, 0, "Up" },
    { "INPUT", "BACKWARD", EConfigKind::KeyName, 0, "S" },
    { "INPUT", "BACKWARD2", EConfigKind::KeyName, 0, "Down" },
    { "INPUT", "LEFT", EConfigKind::KeyName, 0, "Left" },
    { "INPUT", "LEFT2", EConfigKind::KeyName },
    { "INPUT", "RIGHT", EConfigKind::KeyName, 0, "Right" },
    { "INPUT", "RIGHT2", EConfigKind::KeyName },
    { "INPUT", "STRAFELEFT", EConfigKind::KeyName, 0, "A" },
    { "INPUT", "STRAFERIGHT", EConfigKind::KeyName, 0, "D" },
    { "INPUT", "STRAFELEFT2", EConfigKind::KeyName, 0, "A" },
    { "INPUT", "STRAFERIGHT2", EConfigKind::KeyName, 0, "D" },
    { "INPUT", "FIRE", EConfigKind::KeyName, 0, "LCtrl" },
    { "INPUT", "FIRE2", EConfigKind::KeyName, 0, "Mouse1" },
    { "INPUT", "FIRE3", EConfigKind::KeyName, 0, "Joy1" },
    { "INPUT", "FIREALT", EConfigKind::KeyName, 0, "RShift" },
    { "INPUT", "FIREALT2", EConfigKind::KeyName, 0, "Mouse2" },
    { "INPUT", "FIREALT3", EConfigKind::KeyName, 0, "Joy2" },
    { "INPUT", "ROCKET", EConfigKind::KeyName, 0, "CapsLock" },
    { "INPUT", "ROCKET2", EConfigKind::KeyName, 0, "Mouse3" },
    { "INPUT", "ROCKET3", EConfigKind::KeyName, 0, "Joy3" },
    { "INPUT", "BOMB", EConfigKind::KeyName, 0, "B" },
    { "INPUT", "JUMP", EConfigKind::KeyName, 0, "Space" },
    { "INPUT", "JUMP2", EConfigKind::KeyName, 0, "Joy4" },
    { "INPUT", "BRAKE", EConfigKind::KeyName, 0, "X" },
    { "INPUT", "BRAKE2", EConfigKind::KeyName, 0, "Joy5" },
    { "INPUT", "NIGHTLIGHTTOGGLE", EConfigKind::KeyName, 0, "U" },
    { "INPUT", "SHOWHOLD", EConfigKind::KeyName, 0, "H" },
    { "INPUT", "SHOWMAP", EConfigKind::KeyName, 0, "M" },
    { "INPUT", "SHOWJOURNAL", EConfigKind::KeyName, 0, "J" },
    { "INPUT", "BOOSTER", EConfigKind::KeyName, 0, "1" },
    { "INPUT", "ANTIROCKET", EConfigKind::KeyName, 0, "2" },
    { "INPUT", "INVISIVILITY", EConfigKind::KeyName, 0, "3" },
    { "INPUT", "SHIELD", EConfigKind::KeyName, 0, "4" },
    { "INPUT", "STASIS", EConfigKind::KeyName, 0, "5" },
    { "INPUT", "ALWAYSRUN", EConfigKind::KeyName, 0, "CapsLock" },
    { "INPUT", "RUN", EConfigKind::KeyName, 0, "LShift" },
    { "INPUT", "SHOWINFO", EConfigKind::KeyName, 0, "I" },
    { "INPUT", "SELECT", EConfigKind::KeyName, 0, "Tab" },
    { "INPUT", "CHANGEAMMO", EConfigKind::KeyName, 0, "Q" },
    { "INPUT", "MouseSensitivity", EConfigKind::Number, 5 },
    { "INPUT", "InverseMouse", EConfigKind::Number, 0 },

    // Read by the settings program only.
    { "DefaultKeyLayout", "FORWARD", EConfigKind::KeyName },
    { "DefaultKeyLayout", "FORWARD2", EConfigKind::KeyName },
    { "DefaultKeyLayout", "BACKWARD", EConfigKind::KeyName },
    { "DefaultKeyLayout", "BACKWARD2", EConfigKind::KeyName },
    { "DefaultKeyLayout", "LEFT", EConfigKind::KeyName },
    { "DefaultKeyLayout", "LEFT2", EConfigKind::KeyName },
    { "DefaultKeyLayout", "RIGHT", EConfigKind::KeyName },
    { "DefaultKeyLayout", "RIGHT2", EConfigKind::KeyName },
    { "DefaultKeyLayout", "STRAFELEFT", EConfigKind::KeyName },
    { "DefaultKeyLayout", "STRAFERIGHT", EConfigKind::KeyName },
    { "DefaultKeyLayout", "STRAFELEFT2", EConfigKind::KeyName },
    { "DefaultKeyLayout", "STRAFERIGHT2", EConfigKind::KeyName },
    { "DefaultKeyLayout", "FIRE", EConfigKind::KeyName },
    { "DefaultKeyLayout", "FIRE2", EConfigKind::KeyName },
    { "DefaultKeyLayout", "FIRE3", EConfigKind::KeyName },
    { "DefaultKeyLayout", "FIREALT", EConfigKind::KeyName },
    { "DefaultKeyLayout", "FIREALT2", EConfigKind::KeyName },
    { "DefaultKeyLayout", "FIREALT3", EConfigKind::KeyName },
    { "DefaultKeyLayout", "ROCKET", EConfigKind::KeyName },
    { "DefaultKeyLayout", "ROCKET2", EConfigKind::KeyName },
    { "DefaultKeyLayout", "ROCKET3", EConfigKind::KeyName },
    { "DefaultKeyLayout", "BOMB", EConfigKind::KeyName },
    { "DefaultKeyLayout", "JUMP", EConfigKind::KeyName },
    { "DefaultKeyLayout", "JUMP2", EConfigKind::KeyName },
    { "DefaultKeyLayout", "BRAKE", EConfigKind::KeyName },
    { "DefaultKeyLayout", "BRAKE2", EConfigKind::KeyName },
    { "DefaultKeyLayout", "NIGHTLIGHTTOGGLE", EConfigKind::KeyName },
    { "DefaultKeyLayout", "SHOWHOLD", EConfigKind::KeyName },
    { "DefaultKeyLayout", "SHOWMAP", EConfigKind::KeyName },
    { "DefaultKeyLayout", "SHOWJOURNAL", EConfigKind::KeyName },
    { "DefaultKeyLayout", "BOOSTER", EConfigKind::KeyName },
    { "DefaultKeyLayout", "ANTIROCKET", EConfigKind::KeyName },
    { "DefaultKeyLayout", "INVISIVILITY", EConfigKind::KeyName },
    { "DefaultKeyLayout", "SHIELD", EConfigKind::KeyName },
    { "DefaultKeyLayout", "STASIS", EConfigKind::KeyName },
    { "DefaultKeyLayout", "ALWAYSRUN", EConfigKind::KeyName },
    { "DefaultKeyLayout", "RUN", EConfigKind::KeyName },
    { "DefaultKeyLayout", "SHOWINFO", EConfigKind::KeyName },
    { "DefaultKeyLayout", "SELECT", EConfigKind::KeyName },
    { "DefaultKeyLayout", "CHANGEAMMO", EConfigKind::KeyName },
};

// ASCII names equal ignoring case, as the profile functions match them.
consteval bool ConfigNameEqual(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const char x = a[i] >= 'a' && a[i] <= 'z' ? char(a[i] - 32) : a[i];
        const char y = b[i] >= 'a' && b[i] <= 'z' ? char(b[i] - 32) : b[i];
        if (x != y)
            return false;
    }
    return true;
}

// The row of the key in the section, named in any case; a key that is not in the table does not
// compile. Rows keep the spelling the settings program writes.
consteval const SConfigKey& ConfigKey(std::string_view section, std::string_view key)
{
    for (const SConfigKey& row : kConfigKeys) {
        if (ConfigNameEqual(row.section, section) && ConfigNameEqual(row.key, key))
            return row;
    }
    throw "not a key of cfg.ini";
}

// A Number key's value; the row's default when the file lacks it or leaves it empty.
int32_t ReadConfigNumber(std::string_view file, const SConfigKey& key);
// A Text, SoundName or KeyName key's value into buf (at most size - 1 bytes and a NUL), the
// row's default when the file lacks the key; returns the bytes copied.
uint32_t ReadConfigText(std::string_view file, const SConfigKey& key, char* buf, uint32_t size);
// Sets a Number key, keeping every other line of the file; false when it cannot be written.
bool WriteConfigNumber(std::string_view file, const SConfigKey& key, int32_t value);
