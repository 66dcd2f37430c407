// The objects-file writer: builds a location's ".zjo" file (object blocks, machine groups, trade
// table, music set) from a readable description, for the tests and the demo data. Texts are
// Windows-1251 bytes and are cut to the 31 bytes their fields hold.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zoq::tools::world {

struct PlacedObject {
    std::array<float, 16> placement { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1 };
    std::string typeId;
    std::string propertyText;

    // An unrotated object at a position.
    static PlacedObject At(std::string typeId, float x, float y, float z, std::string propertyText = {});
};

// An entry of a road or boundary block: the record and its words (word 0 its own number, the
// others the numbers it links to).
struct LinkedEntry {
    PlacedObject object;
    std::vector<uint32_t> words;
};

struct ObjectBlock {
    uint32_t code = 3;
    bool linked = false; // roads (8) and boundaries (23)
    std::vector<PlacedObject> records; // generic blocks
    std::vector<LinkedEntry> entries; // linked blocks
};

struct GroupEntry {
    std::string name;
    std::string organisation;
    int32_t kind = 4; // 0 guard, 1 caravan, 2 hunters, 3 people, else plain
    std::string secondName;
    int32_t parameter = 0;
    std::vector<uint32_t> hunterValues; // kind 2: the hunt points
    std::vector<std::string> members; // configuration names
    uint8_t flagByte = 0; // written when the section's flag is set
    int32_t homePoint = -1; // kind 0, with its radius
    float radius = 0;
    int32_t routeStart = -1; // kind 1
    int32_t routeEnd = -1;
    int32_t point = -1; // kind 3 the people point, kind 4 the stand point
};

struct GroupSection {
    bool flagPresent = false;
    std::vector<GroupEntry> groups;
};

// One good of a trading building, written as its 140-byte record (reserved bytes zero).
struct TradeGood {
    std::string key;
    float maxPrice = 0;
    float buyPrice = 0;
    float stock = 0;
    float production = 0;
    float minPrice = 0;
    float normalStock = 0;
    uint8_t soldIn = 0;
    uint8_t steepCurve = 0;
    std::string condition = {}; // the script event a conditional or locked offer waits for
    uint8_t access = 0; // 0 open, 1 conditional, 2 locked
};

struct TradeEntry {
    std::string building;
    std::vector<TradeGood> goods;
};

struct TradeSection {
    uint32_t version = 1;
    uint32_t extra = 0; // written when the version is 2
    std::vector<TradeEntry> entries;
};

struct TimedSound {
    std::string key;
    float interval = 60.0f;
    float length = 5.0f;
    uint8_t held = 0;
    int32_t firstHour = 0;
    int32_t endHour = 24;
    std::array<uint8_t, 16> settings {};
};

struct MusicSection {
    std::string mainTrack;
    std::string towerTrack;
    std::vector<std::string> battle;
    std::vector<std::string> calm;
    std::vector<TimedSound> sounds;
};

struct ObjectsFile {
    std::vector<ObjectBlock> blocks;
    GroupSection groups;
    TradeSection trade;
    MusicSection music;
};

// Where the parts of a written file begin.
struct ObjectsFileLayout {
    std::vector<size_t> blocks; // each block's type code
    size_t groups = 0;
    size_t trade = 0; // the u32 length
    size_t music = 0; // the u32 length
    size_t end = 0;
};

std::vector<uint8_t> WriteObjectsFile(const ObjectsFile& file, ObjectsFileLayout* layout = nullptr);
bool SaveObjectsFile(const std::filesystem::path& path, const ObjectsFile& file, std::string& error);

// The trade and music sections alone, as their length-prefixed payloads hold them.
std::vector<uint8_t> WriteTradeSection(const TradeSection& trade);
std::vector<uint8_t> WriteMusicSection(const MusicSection& music);

} // namespace zoq::tools::world
