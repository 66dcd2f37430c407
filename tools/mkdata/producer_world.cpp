// The world producer: the type tables that the engine loads at start-up (tables/*.txt of the
// world: stones, trees, gliders, helpers, roads, explosions, projectiles, weapons, equipment,
// buildings, cover, lanterns, goods, configurations, organisations, anomalies, towers,
// boundaries, sound zones), the politics file Data\StartPolitics.csv (from
// data/politics/StartPolitics.csv) and the objects file of every location
// (data/locations/<name>.txt gives "<name>.zjo" at the base directory's root). A location with a
// map (data/maps/<name>.txt) stands on its ground: each object's z is raised by the ground height
// under it.
//
// A location source has one statement a line ('#' starts a comment):
//   object <code> <type-id> <x> <y> <z> [yaw=<deg>] [scale=<s>] [prop=<text>] [id=<n> links=<n>,...]
//   music main|tower|battle|calm <key>
//   timed <sound-key> <interval> <length> <held> <first-hour> <end-hour>
//   trade version=<1|2>
//   good <building> <key> max=<f> buy=<f> stock=<f> production=<f> min=<f> normal=<f> [steep]
//        [if=<event> (offered only while the event is set) | lock=<event> (sold only while it is set)]
//   group <name> <org> guard|caravan|hunters|people|stand [home=<node> radius=<r>|route=<node>,<node>|
//         points=<node>,...|point=<node>|stand=<node>] members=<cfg>,... [caption=<text>] [param=<n>]
//         [attached]
// Objects of one code form one block, blocks in the order their code first appears; roads (8) and
// boundaries (23) need id= and may have links=. Goods of one building form one trade entry, entries
// in the order their building first appears; a good's key is a row of the table its prefix names
// and its building the property text of a building (11) of the location. A group's nodes are the
// property texts of road nodes, written as their indices in the road block; its organisation and
// member configurations are rows of their tables; one attached group writes every group's attached
// byte.
#include "platform/win/text.h"
#include "tools/map/map_ground.h"
#include "tools/map/map_recipe.h"
#include "tools/mkdata/producers.h"
#include "tools/world/objects_writer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <iterator>
#include <map>
#include <numbers>

namespace zoq::tools::mkdata {
namespace {

constexpr size_t kMaxName = 31; // the 32-byte text fields of the objects file

struct BlockKind {
    uint32_t code;
    const char* table; // UTF-8; null: the kind reads no table
    bool linked;
    size_t maxLinks;
};

constexpr BlockKind kBlocks[] = {
    { 3, "Камни", false, 0 },
    { 4, "Деревья", false, 0 },
    { 7, "Хелперы", false, 0 },
    { 8, "Дороги", true, 10 },
    { 11, "Здания", false, 0 },
    { 12, "Покрытие", false, 0 },
    { 13, "Фонари", false, 0 },
    { 19, nullptr, false, 0 }, // light objects: every record goes to the light manager
    { 20, "Anomal", false, 0 },
    { 22, "Tower", false, 0 },
    { 23, "Boundary", true, 3 },
    { 24, "SoundZone", false, 0 },
};

const BlockKind* FindBlock(uint32_t code)
{
    for (const BlockKind& kind : kBlocks) {
        if (kind.code == code)
            return &kind;
    }
    return nullptr;
}

struct Rule {
    const char* table;
    const char* field;
    const char* target;
};

// Fields that name rows of other tables; the readers resolve them to indices (-1 for a miss).
constexpr Rule kRules[] = {
    { "Камни", "Model", "Модели" },
    { "Деревья", "Model", "Модели" },
    { "Хелперы", "Model", "Модели" },
    { "Дороги", "Model", "Модели" },
    { "Здания", "Model", "Модели" },
    { "Здания", "SOUND", "Звуки" },
    { "Покрытие", "Model", "Текстуры" },
    { "Фонари", "Model", "Модели" },
    { "Фонари", "FLARE", "Текстуры" },
    { "Фонари", "GLOW", "Текстуры" },
    { "Фонари", "SHADOW", "Текстуры" },
    { "Глайдеры", "MODEL", "Модели" },
    { "Взрывы", "IDSOUND", "Звуки" },
    { "Взрывы", "TEXTURE#", "Текстуры" },
    { "Взрывы", "TEXTURE#_#", "Текстуры" },
    { "Взрывы", "MODEL#", "Модели" },
    { "Взрывы", "MODEL#_#", "Модели" },
    { "Взрывы", "ID1_#", "Взрывы" },
    { "Снаряды", "Model", "Модели" },
    { "Снаряды", "Texture", "Текстуры" },
    { "Снаряды", "Texture2", "Текстуры" },
    { "Снаряды", "EXPLO", "Взрывы" },
    { "Снаряды", "SOUND", "Звуки" },
    { "Снаряды", "SUBMISSILE", "Снаряды" },
    { "Оружие", "Model", "Модели" },
    { "Оружие", "FXMODEL", "Модели" },
    { "Оружие", "IDSOUND", "Звуки" },
    { "Оружие", "IDSOUNDEND", "Звуки" },
    { "Оружие", "ShootTex", "Текстуры" },
    { "Оружие", "ShootTex#", "Текстуры" },
    { "Оружие", "MISSILE", "Снаряды" },
    { "Оружие", "EXPLO", "Взрывы" },
    { "Оборудование", "MODEL", "Модели" },
    { "Товары", "Model", "Модели" },
    { "Anomal", "Model", "Модели" },
    { "Tower", "Model", "Модели" },
    { "Tower", "PostModel", "Модели" },
    { "Tower", "GUN", "Оружие" },
    { "Tower", "SOUND", "Звуки" },
    { "Boundary", "Model", "Модели" },
    { "Boundary", "PostModel", "Текстуры" },
    { "SoundZone", "Model", "Звуки" },
    { "Конфигурации", "GLIDER", "Глайдеры" },
    { "Конфигурации", "LIGHTGUN1", "Оружие" },
    { "Конфигурации", "HEAVYGUN1", "Оружие" },
    { "Конфигурации", "ROCKETGUN", "Оружие" },
    { "Конфигурации", "REACTOR", "Оборудование" },
    { "Конфигурации", "ENGINE", "Оборудование" },
    { "Конфигурации", "SHIELD", "Оборудование" },
    { "Конфигурации", "ARMOR", "Оборудование" },
    { "Конфигурации", "BOMB#", "Снаряды" },
    { "Конфигурации", "ROCKET#", "Снаряды" },
};

struct GoodTable {
    const char* prefix;
    const char* table;
};

// The tables that hold traded keys, by key prefix.
constexpr GoodTable kGoodTables[] = {
    { "TOV", "Товары" },
    { "GL", "Глайдеры" },
    { "GUN", "Оружие" },
    { "EQP", "Оборудование" },
    { "AMM", "Снаряды" },
};

constexpr size_t kMaxTradeEntries = 100;
constexpr size_t kMaxGroupMembers = 10;
constexpr size_t kMaxCaption = 63; // the 64-byte caption field

struct GroupKind {
    const char* word;
    int32_t code;
    const char* key; // the key of its points; the guard's home also takes radius=
};

constexpr GroupKind kGroupKinds[] = {
    { "guard", 0, "home" },
    { "caravan", 1, "route" },
    { "hunters", 2, "points" },
    { "people", 3, "point" },
    { "stand", 4, "stand" },
};

struct Need {
    const char* table;
    const char* row;
    const char* why;
};

constexpr Need kNeeds[] = {
    { "Оружие", "GUN_BOMB_LAUNCHER", "a well-known id of the engine" },
    { "Оружие", "GUN_ROCKET_LAUNCHER", "a well-known id of the engine" },
    { "Звуки", "SND_BLD_DOOR_OPEN", "a well-known id of the engine" },
    { "Звуки", "SND_PICK_UP_THING", "a well-known id of the engine" },
    { "Текстуры", "TEX_SUN_FRONT", "a well-known id of the engine" },
    { "Текстуры", "TEX_SUN_BACK", "a well-known id of the engine" },
    { "Оборудование", "EQP_ANTIROCKET_SYSTEM", "a well-known id of the engine" },
    { "Оборудование", "EQP_INVISIBILITY_SHIELD", "a well-known id of the engine" },
    { "Оборудование", "EQP_BOOSTER", "a well-known id of the engine" },
    { "Оборудование", "EQP_ANALYZER", "a well-known id of the engine" },
    { "Текстуры", "TEX_FX_ROCKET_SMOKE", "a well-known id of the engine" },
    { "Текстуры", "TEX_FX_WATER_DUST", "a well-known id of the engine" },
    { "Модели", "MOD_GL_FIRE", "a well-known id of the engine" },
    { "Текстуры", "TEX_GL_FIRE_GLOW", "a well-known id of the engine" },
    { "Текстуры", "TEX_FIRE_GLOW2", "a well-known id of the engine" },
    { "Модели", "MOD_FX_FORCE_3", "a well-known id of the engine" },
    { "Модели", "MOD_FX_ROCKET_FIRE", "a well-known id of the engine" },
    { "Текстуры", "TEX_LAMP_SHADOW", "a well-known id of the engine" },
    { "Текстуры", "TEX_LAMP_GLOW", "a well-known id of the engine" },
    { "Текстуры", "TEX_LAMP_FLARE", "a well-known id of the engine" },
    { "Модели", "MOD_GUN_CORBEL", "a well-known id of the engine" },
    { "Текстуры", "TEX_FX_HAOS_PARTICLE", "a well-known id of the engine" },
    { "Текстуры", "TEX_FX_BORDER", "a well-known id of the engine" },
    { "Текстуры", "TEX_EXP_MASK", "a well-known id of the engine" },
    { "Модели", "MOD_FX_PODBOR", "a well-known id of the engine" },
    { "Текстуры", "TEX_KPT_PRICEL", "a well-known id of the engine" },
    { "Текстуры", "TEX_KPT_PRICEL_GREEN", "a well-known id of the engine" },
    { "Текстуры", "TEX_KT_ALL", "a well-known id of the engine" },
    { "Текстуры", "TEX_KT_ICONS", "a well-known id of the engine" },
    { "Музыка", "MUS_OBSERVER", "a well-known id of the engine" },
    { "Организации", "ORG_PLAYER", "the player's organisation" },
    { "Организации", "ORG_NPC", "the organisation of unknown killers" },
    { "Организации", "ORG_FREE", "the organisation of groups whose own one is too weak" },
    { "Конфигурации", "CFG_STARTUP", "the player's first machine" },
    { "Товары", "TOV_FERROVANT", "the weight of a captured machine" },
    { "Модели", "MOD_TEH_OBSERVER", "the observer flyer" },
    { "Звуки", "SND_FLY_OBSERVER", "the observer flyer" },
    { "Модели", "MOD_TOV_CORTEXEL", "the model of a machine's core on the ground" },
    { "Модели", "MOD_CONT_001", "the model of a container on the ground" },
    { "Текстуры", "TEX_FX_THING_GLOW_FERRO", "the glow under a machine's core" },
    { "Текстуры", "TEX_FX_THING_GLOW_WHITE", "the glow under a container" },
    { "Текстуры", "TEX_FX_THING_GLOW_YELLOW", "the glow under a container of goods" },
    { "Звуки", "SND_INT_NO_MONEY", "a thing too heavy to take" },
};

// The sixteen equipment fields of a configuration: a value of 1 fits the equipment of that name.
constexpr const char* kConfigEquipment[]
    = { "EQP_HI-POWER_ANTIGRAV", "EQP_BOOSTER", "EQP_INVISIBILITY_SHIELD", "EQP_MOBILIZER",
          "EQP_BRAKE_BOOSTER", "EQP_ZERO_THICKENER", "EQP_JUMP_CONCENTRATOR", "EQP_FUEL_EXPANDER",
          "EQP_CONTROL_BOOSTER", "EQP_ELM_STABILIZER", "EQP_ANTIROCKET_SYSTEM", "EQP_DISPERSE_SHIELD",
          "EQP_RADIATION_SHIELD", "EQP_CRYOGENERATOR", "EQP_ACCELERATOR", "EQP_ENERGY_RECYCLER" };

std::string Cp(const char* utf8)
{
    return plat::win::Utf8ToCp1251(utf8);
}

bool ParseFloat(std::string_view text, float& out)
{
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && ptr == text.data() + text.size() && !text.empty() && std::isfinite(out);
}

template <class T> bool ParseInt(std::string_view text, T& out)
{
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && ptr == text.data() + text.size() && !text.empty();
}

class LocationParser {
public:
    LocationParser(ProducerContext& context, std::string relative)
        : m_context(context)
        , m_relative(std::move(relative))
    {
    }

    bool Parse(world::ObjectsFile& file, std::string& error)
    {
        std::string text;
        if (!m_context.sources.ReadFile(m_relative, text, error))
            return false;
        const std::vector<std::string_view> lines = SplitLines(text);
        for (size_t n = 0; n < lines.size(); ++n) {
            m_line = int(n + 1);
            std::string_view line = lines[n];
            if (const size_t hash = line.find('#'); hash != std::string_view::npos)
                line = line.substr(0, hash);
            std::string cp;
            if (!ToCp1251(line, cp))
                return Fail("a character without a Windows-1251 byte", error);
            const std::vector<std::string_view> words = SplitWords(cp);
            if (words.empty())
                continue;
            bool ok = false;
            if (words[0] == "object")
                ok = Object(words, file, error);
            else if (words[0] == "music")
                ok = Music(words, file.music, error);
            else if (words[0] == "timed")
                ok = Timed(words, file.music, error);
            else if (words[0] == "trade")
                ok = Trade(words, file.trade, error);
            else if (words[0] == "good")
                ok = Good(words, file.trade, error);
            else if (words[0] == "group")
                ok = Group(words, file.groups, error);
            else
                ok = Fail(
                    "unknown statement '" + ToUtf8(words[0]) + "' (object, music, timed, trade, good, group)",
                    error);
            if (!ok)
                return false;
        }
        // Buildings may be placed after their goods.
        for (size_t i = 0; i < file.trade.entries.size(); ++i) {
            const std::string& building = file.trade.entries[i].building;
            if (std::find(m_buildings.begin(), m_buildings.end(), building) == m_buildings.end()) {
                m_line = m_tradeLines[i];
                return Fail("'" + ToUtf8(building) + "' is no building of this location", error);
            }
        }
        // Road nodes may be placed after their groups.
        for (const NodeUse& use : m_nodeUses) {
            const auto node = std::find(m_roadNodes.begin(), m_roadNodes.end(), use.name);
            if (node == m_roadNodes.end()) {
                m_line = use.line;
                return Fail("'" + ToUtf8(use.name) + "' is no road node of this location", error);
            }
            world::GroupEntry& group = file.groups.groups[use.group];
            const int32_t index = int32_t(node - m_roadNodes.begin());
            if (use.field)
                group.*use.field = index;
            else
                group.hunterValues.push_back(uint32_t(index));
        }
        return true;
    }

private:
    bool Fail(const std::string& what, std::string& error) const
    {
        error = m_context.sources.At(m_relative, m_line).Where() + ": " + what;
        return false;
    }

    bool Name(std::string_view text, const char* what, std::string& out, std::string& error) const
    {
        if (text.size() > kMaxName)
            return Fail(std::string(what) + " '" + ToUtf8(text) + "' is longer than 31 bytes", error);
        out = text;
        return true;
    }

    bool NeedRowOf(const char* tableUtf8, const std::string& row, std::string& error) const
    {
        const TableEntry* table = m_context.set.FindTable(Cp(tableUtf8));
        if (!table || table->Find(row) < 0)
            return Fail("'" + ToUtf8(row) + "' is no row of table '" + tableUtf8 + "'", error);
        return true;
    }

    bool Object(const std::vector<std::string_view>& words, world::ObjectsFile& file, std::string& error)
    {
        if (words.size() < 6)
            return Fail("expected 'object <code> <type-id> <x> <y> <z> [key=value ...]'", error);
        uint32_t code = 0;
        if (!ParseInt(words[1], code) || !FindBlock(code))
            return Fail("'" + ToUtf8(words[1]) + "' is no object block code", error);
        const BlockKind& kind = *FindBlock(code);
        std::string typeId;
        if (!Name(words[2], "the type id", typeId, error))
            return false;
        if (kind.table && !NeedRowOf(kind.table, typeId, error))
            return false;
        float position[3] = {};
        for (int i = 0; i < 3; ++i) {
            if (!ParseFloat(words[3 + i], position[i]))
                return Fail("'" + ToUtf8(words[3 + i]) + "' is not a number", error);
        }
        float yaw = 0;
        float scale = 1;
        std::string prop;
        int64_t id = -1;
        std::vector<uint32_t> links;
        for (size_t w = 6; w < words.size(); ++w) {
            const size_t eq = words[w].find('=');
            const std::string_view key = words[w].substr(0, eq);
            const std::string_view value
                = eq == std::string_view::npos ? std::string_view() : words[w].substr(eq + 1);
            bool ok = true;
            if (key == "yaw")
                ok = ParseFloat(value, yaw);
            else if (key == "scale")
                ok = ParseFloat(value, scale) && scale > 0;
            else if (key == "prop") {
                if (!Name(value, "the property text", prop, error))
                    return false;
            } else if (key == "id")
                ok = ParseInt(value, id) && id >= 0 && id <= 0xFFFFFFFF;
            else if (key == "links") {
                for (size_t start = 0; ok && start <= value.size();) {
                    const size_t comma = value.find(',', start);
                    uint32_t link = 0;
                    ok = ParseInt(
                        value.substr(start, comma == std::string_view::npos ? value.npos : comma - start),
                        link);
                    links.push_back(link);
                    if (comma == std::string_view::npos)
                        break;
                    start = comma + 1;
                }
            } else
                return Fail("unknown key '" + ToUtf8(key) + "' (yaw, scale, prop, id, links)", error);
            if (!ok)
                return Fail("bad value in '" + ToUtf8(words[w]) + "'", error);
        }
        if (kind.linked && id < 0)
            return Fail("a road or boundary entry needs id=<n>", error);
        if (!kind.linked && (id >= 0 || !links.empty()))
            return Fail("only roads and boundaries have id= and links=", error);
        if (links.size() > kind.maxLinks)
            return Fail("at most " + std::to_string(kind.maxLinks) + " links", error);

        world::PlacedObject object
            = world::PlacedObject::At(typeId, position[0], position[1], position[2], prop);
        const float a = yaw * float(std::numbers::pi) / 180.0f;
        const float rows[3][3]
            = { { std::cos(a), std::sin(a), 0 }, { -std::sin(a), std::cos(a), 0 }, { 0, 0, 1 } };
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 3; ++c)
                object.placement[size_t(r * 4 + c)] = rows[r][c] * scale;
        }
        world::ObjectBlock* block = nullptr;
        for (world::ObjectBlock& existing : file.blocks) {
            if (existing.code == code)
                block = &existing;
        }
        if (!block) {
            file.blocks.emplace_back();
            block = &file.blocks.back();
            block->code = code;
            block->linked = kind.linked;
        }
        if (kind.linked) {
            world::LinkedEntry entry;
            entry.object = object;
            entry.words.push_back(uint32_t(id));
            entry.words.insert(entry.words.end(), links.begin(), links.end());
            block->entries.push_back(std::move(entry));
        } else {
            block->records.push_back(std::move(object));
        }
        if (code == 11 && !prop.empty())
            m_buildings.push_back(prop);
        if (code == 8)
            m_roadNodes.push_back(prop);
        return true;
    }

    bool Music(const std::vector<std::string_view>& words, world::MusicSection& music, std::string& error)
    {
        if (words.size() != 3)
            return Fail("expected 'music main|tower|battle|calm <key>'", error);
        std::string key;
        if (!Name(words[2], "the music key", key, error) || !NeedRowOf("Музыка", key, error))
            return false;
        if (words[1] == "main")
            music.mainTrack = key;
        else if (words[1] == "tower")
            music.towerTrack = key;
        else if (words[1] == "battle" && music.battle.size() < 10)
            music.battle.push_back(key);
        else if (words[1] == "calm" && music.calm.size() < 10)
            music.calm.push_back(key);
        else
            return Fail(
                "'music " + ToUtf8(words[1]) + "' is not main, tower, battle or calm, or its list holds 10",
                error);
        return true;
    }

    bool Timed(const std::vector<std::string_view>& words, world::MusicSection& music, std::string& error)
    {
        if (words.size() != 7)
            return Fail(
                "expected 'timed <sound-key> <interval> <length> <held> <first-hour> <end-hour>'", error);
        if (music.sounds.size() >= 20)
            return Fail("at most 20 timed sounds", error);
        world::TimedSound sound;
        int held = 0;
        if (!Name(words[1], "the sound key", sound.key, error) || !NeedRowOf("Звуки", sound.key, error))
            return false;
        if (!ParseFloat(words[2], sound.interval) || !ParseFloat(words[3], sound.length)
            || !ParseInt(words[4], held) || (held != 0 && held != 1) || !ParseInt(words[5], sound.firstHour)
            || !ParseInt(words[6], sound.endHour))
            return Fail("bad number in a timed sound", error);
        sound.held = uint8_t(held);
        music.sounds.push_back(std::move(sound));
        return true;
    }

    bool Trade(const std::vector<std::string_view>& words, world::TradeSection& trade, std::string& error)
    {
        if (words.size() != 2 || (words[1] != "version=1" && words[1] != "version=2"))
            return Fail("expected 'trade version=<1|2>'", error);
        trade.version = words[1] == "version=1" ? 1 : 2;
        return true;
    }

    bool Good(const std::vector<std::string_view>& words, world::TradeSection& trade, std::string& error)
    {
        constexpr const char* kUsage
            = "expected 'good <building> <key> max=<f> buy=<f> stock=<f> production=<f> min=<f> normal=<f> "
              "[steep] [if=<event> | lock=<event>]'";
        if (words.size() < 9 || words.size() > 11)
            return Fail(kUsage, error);
        std::string building;
        world::TradeGood good;
        if (!Name(words[1], "the building", building, error)
            || !Name(words[2], "the good's key", good.key, error))
            return false;
        const GoodTable* table = nullptr;
        for (const GoodTable& candidate : kGoodTables) {
            if (good.key.starts_with(candidate.prefix))
                table = &candidate;
        }
        if (!table)
            return Fail("'" + ToUtf8(good.key) + "' has no goods prefix (TOV, GL, GUN, EQP, AMM)", error);
        if (!NeedRowOf(table->table, good.key, error))
            return false;
        const std::pair<const char*, float*> values[] = { { "max=", &good.maxPrice },
            { "buy=", &good.buyPrice }, { "stock=", &good.stock }, { "production=", &good.production },
            { "min=", &good.minPrice }, { "normal=", &good.normalStock } };
        for (size_t i = 0; i < std::size(values); ++i) {
            const std::string_view word = words[3 + i];
            if (!word.starts_with(values[i].first)
                || !ParseFloat(word.substr(std::strlen(values[i].first)), *values[i].second))
                return Fail(kUsage, error);
        }
        // The offer's access: listed only while the event is set, or sold only while it is set.
        static constexpr std::pair<const char*, uint8_t> kAccess[] = { { "if=", 1 }, { "lock=", 2 } };
        for (size_t i = 9; i < words.size(); ++i) {
            const std::string_view word = words[i];
            const auto access = std::find_if(std::begin(kAccess), std::end(kAccess),
                [&](const auto& row) { return word.starts_with(row.first); });
            if (word == "steep" && !good.steepCurve) {
                good.steepCurve = 1;
            } else if (access != std::end(kAccess) && good.access == 0) {
                if (!Name(
                        word.substr(std::strlen(access->first)), "the offer's event", good.condition, error))
                    return false;
                if (good.condition.empty())
                    return Fail(kUsage, error);
                good.access = access->second;
            } else {
                return Fail(kUsage, error);
            }
        }
        world::TradeEntry* entry = nullptr;
        for (world::TradeEntry& existing : trade.entries) {
            if (existing.building == building)
                entry = &existing;
        }
        if (!entry) {
            if (trade.entries.size() >= kMaxTradeEntries)
                return Fail("at most 100 trading buildings", error);
            entry = &trade.entries.emplace_back();
            entry->building = building;
            m_tradeLines.push_back(m_line);
        }
        entry->goods.push_back(std::move(good));
        return true;
    }

    // Splits a comma list; false when an item is empty.
    static bool List(std::string_view value, std::vector<std::string_view>& items)
    {
        items.clear();
        for (size_t start = 0;;) {
            const size_t comma = value.find(',', start);
            items.push_back(
                value.substr(start, comma == std::string_view::npos ? value.npos : comma - start));
            if (items.back().empty())
                return false;
            if (comma == std::string_view::npos)
                return true;
            start = comma + 1;
        }
    }

    bool Group(const std::vector<std::string_view>& words, world::GroupSection& section, std::string& error)
    {
        if (words.size() < 5)
            return Fail("expected 'group <name> <org> guard|caravan|hunters|people|stand [<points>] "
                        "members=<cfg>,... [caption=<text>] [param=<n>] [attached]'",
                error);
        world::GroupEntry group;
        if (!Name(words[1], "the group name", group.name, error)
            || !Name(words[2], "the organisation", group.organisation, error)
            || !NeedRowOf("Организации", group.organisation, error))
            return false;
        const GroupKind* kind = nullptr;
        for (const GroupKind& candidate : kGroupKinds) {
            if (words[3] == candidate.word)
                kind = &candidate;
        }
        if (!kind)
            return Fail(
                "'" + ToUtf8(words[3]) + "' is no group kind (guard, caravan, hunters, people, stand)",
                error);
        group.kind = kind->code;
        const size_t index = section.groups.size();
        std::vector<NodeUse> uses;
        bool radius = false;
        std::vector<std::string_view> items;
        for (size_t w = 4; w < words.size(); ++w) {
            const size_t eq = words[w].find('=');
            const std::string_view key = words[w].substr(0, eq);
            const std::string_view value
                = eq == std::string_view::npos ? std::string_view() : words[w].substr(eq + 1);
            const bool bad = eq == std::string_view::npos ? key != "attached" : value.empty();
            if (bad)
                return Fail("bad value in '" + ToUtf8(words[w]) + "'", error);
            if (key == "attached") {
                group.flagByte = 1;
                section.flagPresent = true;
            } else if (key == "members") {
                if (!List(value, items) || items.size() > kMaxGroupMembers)
                    return Fail("a group has 1 to 10 members", error);
                for (std::string_view item : items) {
                    std::string config;
                    if (!Name(item, "the configuration", config, error)
                        || !NeedRowOf("Конфигурации", config, error))
                        return false;
                    group.members.push_back(std::move(config));
                }
            } else if (key == "caption") {
                if (value.size() > kMaxCaption)
                    return Fail("the caption is longer than 63 bytes", error);
                group.secondName = value;
            } else if (key == "param") {
                if (!ParseInt(value, group.parameter))
                    return Fail("bad value in '" + ToUtf8(words[w]) + "'", error);
            } else if (key == "radius" && group.kind == 0) {
                if (!ParseFloat(value, group.radius) || group.radius < 0)
                    return Fail("bad value in '" + ToUtf8(words[w]) + "'", error);
                radius = true;
            } else if (key == kind->key && uses.empty()) {
                if (!List(value, items))
                    return Fail("bad value in '" + ToUtf8(words[w]) + "'", error);
                int32_t world::GroupEntry::*const fields[]
                    = { &world::GroupEntry::homePoint, &world::GroupEntry::routeStart, nullptr,
                          &world::GroupEntry::point, &world::GroupEntry::point };
                const bool counted = group.kind == 2 || items.size() == (group.kind == 1 ? 2u : 1u);
                if (!counted)
                    return Fail("'" + std::string(kind->key) + "=' takes "
                            + (group.kind == 1 ? "two nodes" : "one node"),
                        error);
                for (size_t i = 0; i < items.size(); ++i) {
                    int32_t world::GroupEntry::*field = fields[group.kind];
                    if (group.kind == 1 && i == 1)
                        field = &world::GroupEntry::routeEnd;
                    uses.push_back({ std::string(items[i]), m_line, index, field });
                }
            } else
                return Fail("unknown key '" + ToUtf8(key) + "' for a " + kind->word + " group (" + kind->key
                        + (group.kind == 0 ? ", radius" : "") + ", members, caption, param, attached)",
                    error);
        }
        if (group.members.empty())
            return Fail("a group needs members=<cfg>,...", error);
        if (group.kind == 0 && uses.empty() != !radius)
            return Fail("a guard's home= and radius= go together", error);
        m_nodeUses.insert(m_nodeUses.end(), uses.begin(), uses.end());
        section.groups.push_back(std::move(group));
        return true;
    }

    struct NodeUse {
        std::string name;
        int line;
        size_t group;
        int32_t world::GroupEntry::*field; // null: a hunt point
    };

    ProducerContext& m_context;
    std::string m_relative;
    int m_line = 0;
    std::vector<int> m_tradeLines; // where each trade entry's first good is
    std::vector<std::string> m_roadNodes; // the property text of each road node, in block order
    std::vector<NodeUse> m_nodeUses;

public:
    std::vector<std::string> m_buildings;
};

bool ProducePolitics(ProducerContext& context, std::string& error)
{
    const std::string relative = "politics/StartPolitics.csv";
    std::string text;
    if (!context.sources.ReadFile(relative, text, error))
        return false;
    std::string cp;
    const std::vector<std::string_view> lines = SplitLines(text);
    std::string out;
    const TableEntry* orgs = context.set.FindTable(CP1251("Организации"));
    std::vector<std::string> columns;
    size_t matrixRows = 0;
    for (size_t n = 0; n < lines.size(); ++n) {
        const Origin at = context.sources.At(relative, int(n + 1));
        if (!ToCp1251(lines[n], cp)) {
            error = at.Where() + ": a character without a Windows-1251 byte";
            return false;
        }
        out += cp + "\n";
        std::vector<std::string> fields;
        for (size_t start = 0;;) {
            const size_t semi = cp.find(';', start);
            fields.push_back(cp.substr(start, semi == std::string::npos ? std::string::npos : semi - start));
            if (semi == std::string::npos)
                break;
            start = semi + 1;
        }
        if (n == 0) {
            columns.assign(fields.begin() + 1, fields.end());
            if (columns.size() > 100) {
                error = at.Where() + ": at most 100 organisations";
                return false;
            }
            for (const std::string& key : columns) {
                if (!orgs || orgs->Find(key) < 0) {
                    error = at.Where() + ": '" + ToUtf8(key) + "' is no row of table 'Организации'";
                    return false;
                }
            }
            continue;
        }
        if (cp.empty())
            continue;
        if (fields.size() != columns.size() + 1) {
            error = at.Where() + ": " + std::to_string(columns.size() + 1) + " fields expected";
            return false;
        }
        if (n >= 3) {
            ++matrixRows;
            if (!orgs || orgs->Find(fields[0]) < 0) {
                error = at.Where() + ": '" + ToUtf8(fields[0]) + "' is no row of table 'Организации'";
                return false;
            }
        }
        for (size_t f = 1; f < fields.size(); ++f) {
            float value = 0;
            if (!ParseFloat(fields[f], value)) {
                error = at.Where() + ": '" + ToUtf8(fields[f]) + "' is not a number";
                return false;
            }
        }
    }
    if (lines.size() < 3 || matrixRows > columns.size()) {
        error = context.sources.At(relative, 1).Where()
            + ": expected a header, a reserve line, an authority line and at most one line per organisation";
        return false;
    }
    // Every organisation of the table takes part.
    for (size_t r = 0; orgs && r < orgs->table.records.size(); ++r) {
        if (orgs->Deleted(r))
            continue;
        bool found = false;
        for (const std::string& key : columns)
            found = found || plat::win::EqualNoCase1251(key, orgs->table.records[r].name);
        if (!found) {
            error = context.sources.At(relative, 1).Where() + ": the organisation '"
                + ToUtf8(orgs->table.records[r].name) + "' has no column";
            return false;
        }
    }
    const Origin origin = context.sources.At(relative, 1);
    DataFile& file = context.set.AddFile("Data\\StartPolitics.csv", origin, false);
    file.bytes.assign(out.begin(), out.end());
    // Read with stdio from the disk, never from an archive.
    context.set.AddReference({ file.path, origin, Access::Disk, 0 });
    return true;
}

// Raises every object by the ground height of the location's map under it; no map, no change.
bool StandOnGround(
    ProducerContext& context, const std::string& name, world::ObjectsFile& objects, std::string& error)
{
    const std::vector<std::string> maps = context.sources.List("maps", ".txt");
    if (std::find(maps.begin(), maps.end(), name) == maps.end())
        return true;
    const std::string relative = "maps/" + name;
    std::string text;
    if (!context.sources.ReadFile(relative, text, error))
        return false;
    map::LocationMap ground;
    try {
        ground = map::BuildMap(map::ParseRecipe(text));
    } catch (const map::RecipeError& e) {
        error = context.sources.At(relative, e.line).Where() + ": " + e.what();
        return false;
    }
    auto raise = [&](world::PlacedObject& object) {
        object.placement[14] += map::GroundHeight(ground, object.placement[12], object.placement[13]);
    };
    for (world::ObjectBlock& block : objects.blocks) {
        for (world::PlacedObject& object : block.records)
            raise(object);
        for (world::LinkedEntry& entry : block.entries)
            raise(entry.object);
    }
    return true;
}

bool ProduceLocations(ProducerContext& context, std::string& error)
{
    for (const std::string& name : context.sources.List("locations", ".txt")) {
        const std::string relative = "locations/" + name;
        LocationParser parser(context, relative);
        world::ObjectsFile objects;
        if (!parser.Parse(objects, error) || !StandOnGround(context, name, objects, error))
            return false;
        const Origin origin = context.sources.At(relative, 1);
        std::string stem;
        if (!ToCp1251(name.substr(0, name.size() - 4), stem)) {
            error = origin.Where() + ": the file name has a character without a Windows-1251 byte";
            return false;
        }
        if (plat::win::EqualNoCase1251(stem, "location1")) {
            bool found = false;
            for (const std::string& building : parser.m_buildings)
                found = found || building == "B_L1_CEH";
            if (!found) {
                error = origin.Where() + ": the start building 'B_L1_CEH' is missing";
                return false;
            }
        }
        // The location name is relative to the base directory: "location1.zjp" reads "location1.zjo".
        DataFile& file = context.set.AddFile(stem + ".zjo", origin, false);
        file.bytes = world::WriteObjectsFile(objects);
        context.set.AddReference({ file.path, origin, Access::FileLayer, 0 });
    }
    return true;
}

} // namespace

bool ProduceWorld(ProducerContext& context, std::string& error)
{
    if (!LoadTables(context,
            { "stones.txt", "trees.txt", "gliders.txt", "helpers.txt", "roads.txt", "explosions.txt",
                "projectiles.txt", "weapons.txt", "equipment.txt", "buildings.txt", "cover.txt",
                "lanterns.txt", "goods.txt", "configurations.txt", "organisations.txt", "anomalies.txt",
                "towers.txt", "boundaries.txt", "soundzones.txt" },
            error))
        return false;
    for (const Rule& rule : kRules)
        context.set.AddNameRule(Cp(rule.table), rule.field, Cp(rule.target));
    for (const Need& need : kNeeds)
        context.set.NeedRow(Cp(need.table), need.row, need.why);
    if (const TableEntry* configs = context.set.FindTable(CP1251("Конфигурации"))) {
        for (size_t r = 0; r < configs->table.records.size(); ++r) {
            for (const char* field : kConfigEquipment) {
                const std::string value = configs->Value(r, field);
                if (value.size() == 4 && LoadLE<int32_t>(value.data()) == 1)
                    context.set.NeedRow(CP1251("Оборудование"), field,
                        "fitted by the configuration '" + ToUtf8(configs->table.records[r].name) + "'");
            }
        }
    }
    return ProducePolitics(context, error) && ProduceLocations(context, error);
}

} // namespace zoq::tools::mkdata
