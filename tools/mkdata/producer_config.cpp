// The config producer: Data\CONFIG\cfg.ini (from data/config/cfg.ini, which states every key of
// foundation/ConfigKeys.h), Data\CONFIG\DICode.ini, zjserv.ini (from data/config/zjserv.ini) and
// the force-feedback effect files Data\FFE\*.ffe (from data/config/ffe/, checked with the input
// layer's reader) and the network location descriptions Data\Net\*.ini (from data/net/, each with
// [LOCATION] Caption and FileName; the picture Data\Images\<FileName less its extension>.tga).
//
// Recipes (recipes/config.txt):
//   <path> dicode     the key-code table: a row count, then "<device> 0x<code> <name>" for every
//                     name of the input layer's key-code names (keyboard, Mouse1-6, Joy1-32).
#include "foundation/ConfigKeys.h"
#include "platform/input/effect_file.h"
#include "platform/input/key_names.h"
#include "platform/win/text.h"
#include "tools/mkdata/producers.h"

#include <cstdio>
#include <map>

namespace zoq::tools::mkdata {
namespace {

// The keys of a Windows profile file with their lines; names in upper case.
struct IniFile {
    std::map<std::string, std::map<std::string, std::pair<std::string, int>>> sections;

    const std::pair<std::string, int>* Find(std::string_view section, std::string_view key) const
    {
        const auto s = sections.find(plat::win::Upper1251(section));
        if (s == sections.end())
            return nullptr;
        const auto k = s->second.find(plat::win::Upper1251(key));
        return k == s->second.end() ? nullptr : &k->second;
    }
    const std::pair<std::string, int>* Find(const SConfigKey& key) const
    {
        return Find(key.section, key.key);
    }
};

// A UTF-8 ini source as the Windows-1251 file the game reads: '#' lines dropped, CRLF line ends.
bool ConvertIni(
    const SourceTree& tree, const std::string& relative, std::string& out, IniFile& ini, std::string& error)
{
    std::string text;
    if (!tree.ReadFile(relative, text, error))
        return false;
    const std::vector<std::string_view> lines = SplitLines(text);
    std::string section;
    for (size_t n = 0; n < lines.size(); ++n) {
        const std::string_view line = TrimBlanks(lines[n]);
        if (!line.empty() && line.front() == '#')
            continue;
        std::string converted;
        if (!ToCp1251(line, converted)) {
            error = tree.At(relative, int(n + 1)).Where() + ": a character without a Windows-1251 byte";
            return false;
        }
        out += converted + "\r\n";
        if (converted.empty() || converted.front() == ';')
            continue;
        if (converted.front() == '[') {
            if (converted.back() != ']') {
                error = tree.At(relative, int(n + 1)).Where() + ": a section line must end with ']'";
                return false;
            }
            section = plat::win::Upper1251(converted.substr(1, converted.size() - 2));
            ini.sections[section];
            continue;
        }
        const size_t eq = converted.find('=');
        if (eq == std::string::npos || section.empty()) {
            error = tree.At(relative, int(n + 1)).Where() + ": expected 'KEY=VALUE' inside a section";
            return false;
        }
        const std::string key = plat::win::Upper1251(TrimBlanks(std::string_view(converted).substr(0, eq)));
        auto& keys = ini.sections[section];
        if (keys.count(key)) {
            error = tree.At(relative, int(n + 1)).Where() + ": repeated key";
            return false;
        }
        keys[key] = { std::string(TrimBlanks(std::string_view(converted).substr(eq + 1))), int(n + 1) };
    }
    return true;
}

bool ProduceConfigIni(ProducerContext& context, std::string& error)
{
    const std::string relative = "config/cfg.ini";
    std::string text;
    IniFile ini;
    if (!ConvertIni(context.sources, relative, text, ini, error))
        return false;
    const Origin origin = context.sources.At(relative, 1);
    for (const SConfigKey& key : kConfigKeys) {
        if (!ini.Find(key)) {
            error = origin.Where() + ": missing key [" + key.section + "] " + key.key;
            return false;
        }
    }
    // Bindings name rows of DICode.ini (an empty value leaves the action's default).
    for (const SConfigKey& key : kConfigKeys) {
        const auto* value = ini.Find(key);
        uint16_t code;
        if (key.kind == EConfigKind::KeyName && !value->first.empty()
            && !plat::input::FindKeyCode(value->first, code)) {
            error = context.sources.At(relative, value->second).Where() + ": '" + ToUtf8(value->first)
                + "' is no key name of DICode.ini";
            return false;
        }
    }
    const long sources
        = std::strtol(ini.Find(ConfigKey("CONFIG", "MaxSoundSources"))->first.c_str(), nullptr, 10);
    const auto* second = ini.Find(ConfigKey("CONFIG", "MaxSoundSources2"));
    if (std::strtol(second->first.c_str(), nullptr, 10) != sources * 14 / 10) {
        error = context.sources.At(relative, second->second).Where() + ": MaxSoundSources2 must be "
            + std::to_string(sources * 14 / 10)
            + " (MaxSoundSources x 14 / 10, as the settings program writes it)";
        return false;
    }
    for (const SConfigKey& key : kConfigKeys) {
        const auto* value = ini.Find(key);
        if (key.kind == EConfigKind::SoundName && !value->first.empty())
            context.set.NeedRow(
                CP1251("Звуки"), value->first, std::string("cfg.ini [") + key.section + "] " + key.key);
    }

    DataFile& file = context.set.AddFile("Data\\CONFIG\\cfg.ini", origin, false);
    file.bytes.assign(text.begin(), text.end());
    context.set.AddReference({ file.path, origin, Access::Disk, 0 });
    return true;
}

bool ProduceServerIni(ProducerContext& context, std::string& error)
{
    const std::string relative = "config/zjserv.ini";
    std::string text;
    IniFile ini;
    if (!ConvertIni(context.sources, relative, text, ini, error))
        return false;
    const Origin origin = context.sources.At(relative, 1);
    for (const char* key : { "DefaultTCP", "MaxPlayers", "Visible", "CloseString" }) {
        if (!ini.Find("ZJSERV", key)) {
            error = origin.Where() + ": missing key [ZJSERV] " + key;
            return false;
        }
    }
    DataFile& file = context.set.AddFile("zjserv.ini", origin, false);
    file.bytes.assign(text.begin(), text.end());
    context.set.AddReference({ file.path, origin, Access::Disk, 0 });
    return true;
}

bool ProduceEffects(ProducerContext& context, std::string& error)
{
    for (const char* name : { "idle", "coll", "light", "heavy" }) {
        const std::string relative = std::string("config/ffe/") + name + ".ffe";
        std::string text;
        if (!context.sources.ReadFile(relative, text, error))
            return false;
        plat::input::EffectFile effects;
        plat::input::EffectFileError fault;
        if (!plat::input::ParseEffectFile(text, effects, fault)) {
            error = context.sources.At(relative, fault.line).Where() + ": " + fault.reason;
            return false;
        }
        const Origin origin = context.sources.At(relative, 1);
        DataFile& file = context.set.AddFile(std::string("Data\\FFE\\") + name + ".ffe", origin, false);
        file.bytes.assign(text.begin(), text.end());
        context.set.AddReference({ file.path, origin, Access::Disk, 0 });
    }
    return true;
}

bool ProduceNetLocations(ProducerContext& context, std::string& error)
{
    for (const std::string& name : context.sources.List("net", ".ini")) {
        const std::string relative = "net/" + name;
        std::string text;
        IniFile ini;
        if (!ConvertIni(context.sources, relative, text, ini, error))
            return false;
        const Origin origin = context.sources.At(relative, 1);
        for (const char* key : { "Caption", "FileName" }) {
            if (!ini.Find("LOCATION", key)) {
                error = origin.Where() + ": missing key [LOCATION] " + key;
                return false;
            }
        }
        DataFile& file = context.set.AddFile("Data\\Net\\" + name, origin, false);
        file.bytes.assign(text.begin(), text.end());
        context.set.AddReference({ file.path, origin, Access::Disk, 0 });
        // The chooser shows the location's picture: Data\Images\<FileName less its extension>.tga.
        const auto* location = ini.Find("LOCATION", "FileName");
        const std::string stem = location->first.substr(0, location->first.rfind('.'));
        context.set.AddReference({ "Data\\Images\\" + stem + ".tga", origin, Access::Disk, 0 });
    }
    return true;
}

std::string KeyCodeTableText()
{
    std::string text = std::to_string(plat::input::KeyCodeNames().size()) + "\r\n";
    for (const plat::input::KeyCodeName& row : plat::input::KeyCodeNames()) {
        const char* device = row.code >= plat::input::kJoystickCodeBase ? "joy"
            : row.code >= plat::input::kMouseCodeBase                   ? "mouse"
                                                                        : "key";
        char code[16];
        std::snprintf(code, sizeof code, "0x%02X", unsigned(row.code));
        text += std::string(device) + " " + code + " " + std::string(row.name) + "\r\n";
    }
    return text;
}

} // namespace

bool ProduceConfig(ProducerContext& context, std::string& error)
{
    if (!ProduceConfigIni(context, error) || !ProduceServerIni(context, error)
        || !ProduceEffects(context, error) || !ProduceNetLocations(context, error))
        return false;
    std::vector<Recipe> recipes;
    if (!ReadRecipes(context.sources, "config", recipes, error))
        return false;
    for (const Recipe& recipe : recipes) {
        RecipeParams params(recipe);
        if (recipe.name != "dicode") {
            error = recipe.origin.Where() + ": unknown recipe '" + recipe.name + "' (config makes: dicode)";
            return false;
        }
        if (!params.Finish()) {
            error = params.Error();
            return false;
        }
        DataFile& file = context.set.AddFile(recipe.path, recipe.origin, true);
        const std::string text = KeyCodeTableText();
        file.bytes.assign(text.begin(), text.end());
    }
    // The key-code table is read by the game and the settings program from this one place.
    context.set.AddReference(
        { "Data\\CONFIG\\DICode.ini", context.sources.At("recipes/config.txt", 1), Access::Disk, 0 });
    return true;
}

} // namespace zoq::tools::mkdata
