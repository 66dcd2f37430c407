#include "tools/world/objects_writer.h"

#include "foundation/ByteOrder.h"

#include <algorithm>
#include <cstring>
#include <fstream>

namespace zoq::tools::world {

namespace {

class Out {
public:
    void U32(uint32_t v) { AppendLE(bytes, v); }
    void I32(int32_t v) { AppendLE(bytes, v); }
    void F32(float v) { AppendLE(bytes, v); }
    void U8(uint8_t v) { bytes.push_back(v); }
    void Raw(const void* data, size_t n)
    {
        const auto* p = static_cast<const uint8_t*>(data);
        bytes.insert(bytes.end(), p, p + n);
    }
    // A zero-terminated text in a field of n bytes, cut to n - 1.
    void Text(const std::string& text, size_t n)
    {
        const size_t used = std::min(text.size(), n - 1);
        Raw(text.data(), used);
        bytes.insert(bytes.end(), n - used, 0);
    }
    void Zeros(size_t n) { bytes.insert(bytes.end(), n, 0); }

    Bytes bytes;
};

void WriteRecord(Out& out, const PlacedObject& object)
{
    for (float v : object.placement)
        out.F32(v);
    out.Text(object.typeId, 32);
    out.Text(object.propertyText, 32);
}

void WriteBlock(Out& out, const ObjectBlock& block)
{
    out.U32(block.code);
    out.U32(0);
    if (!block.linked) {
        out.U32(uint32_t(block.records.size()));
        for (const PlacedObject& record : block.records)
            WriteRecord(out, record);
        return;
    }
    out.U32(uint32_t(block.entries.size()));
    for (const LinkedEntry& entry : block.entries) {
        WriteRecord(out, entry.object);
        out.U32(uint32_t(entry.words.size()));
        for (uint32_t word : entry.words)
            out.U32(word);
    }
}

void WriteGroups(Out& out, const GroupSection& section)
{
    out.U32(uint32_t(section.groups.size()));
    out.U32(0);
    out.U32(section.flagPresent ? 1 : 0);
    out.Zeros(40);
    for (const GroupEntry& group : section.groups) {
        out.Text(group.name, 32);
        out.Text(group.organisation, 32);
        out.I32(group.kind);
        out.I32(int32_t(group.members.size()));
        out.Text(group.secondName, 64);
        out.I32(group.parameter);
        out.Zeros(44);
        switch (group.kind) {
        case 0:
            out.I32(group.homePoint);
            out.F32(group.radius);
            break;
        case 1:
            out.I32(group.routeStart);
            out.I32(group.routeEnd);
            break;
        case 2:
            out.U32(uint32_t(group.hunterValues.size()));
            for (uint32_t v : group.hunterValues)
                out.U32(v);
            break;
        case 3:
        case 4:
            out.I32(group.point);
            break;
        default:
            break;
        }
        for (const std::string& member : group.members)
            out.Text(member, 32);
        if (section.flagPresent)
            out.U8(group.flagByte);
    }
}

} // namespace

PlacedObject PlacedObject::At(std::string typeId, float x, float y, float z, std::string propertyText)
{
    PlacedObject object;
    object.placement[12] = x;
    object.placement[13] = y;
    object.placement[14] = z;
    object.typeId = std::move(typeId);
    object.propertyText = std::move(propertyText);
    return object;
}

std::vector<uint8_t> WriteTradeSection(const TradeSection& trade)
{
    Out out;
    out.U32(trade.version);
    if (trade.version == 2)
        out.U32(trade.extra);
    out.U32(uint32_t(trade.entries.size()));
    for (const TradeEntry& entry : trade.entries) {
        out.Text(entry.building, 32);
        out.U32(uint32_t(entry.goods.size()));
        for (const TradeGood& good : entry.goods) {
            out.Text(good.key, 32);
            out.Text(good.condition, 32);
            out.U8(good.access);
            out.Zeros(31);
            for (float value : { good.maxPrice, good.buyPrice, good.stock, good.production, good.minPrice,
                     good.normalStock })
                out.F32(value);
            out.Zeros(16);
            out.U8(good.soldIn);
            out.U8(good.steepCurve);
            out.Zeros(2);
        }
    }
    return out.bytes;
}

std::vector<uint8_t> WriteMusicSection(const MusicSection& music)
{
    Out out;
    out.Text(music.mainTrack, 32);
    out.Text(music.towerTrack, 32);
    out.U32(uint32_t(music.battle.size()));
    for (const std::string& track : music.battle)
        out.Text(track, 32);
    out.U32(uint32_t(music.calm.size()));
    for (const std::string& track : music.calm)
        out.Text(track, 32);
    out.U32(uint32_t(music.sounds.size()));
    for (const TimedSound& sound : music.sounds) {
        out.Text(sound.key, 32);
        out.F32(sound.interval);
        out.F32(sound.length);
        out.U8(sound.held);
        out.Zeros(3);
        out.I32(sound.firstHour);
        out.I32(sound.endHour);
        out.Raw(sound.settings.data(), sound.settings.size());
    }
    return out.bytes;
}

std::vector<uint8_t> WriteObjectsFile(const ObjectsFile& file, ObjectsFileLayout* layout)
{
    ObjectsFileLayout where;
    Out out;
    out.U32(uint32_t(file.blocks.size()));
    for (const ObjectBlock& block : file.blocks) {
        where.blocks.push_back(out.bytes.size());
        WriteBlock(out, block);
    }
    where.groups = out.bytes.size();
    WriteGroups(out, file.groups);
    where.trade = out.bytes.size();
    const std::vector<uint8_t> trade = WriteTradeSection(file.trade);
    out.U32(uint32_t(trade.size()));
    out.Raw(trade.data(), trade.size());
    where.music = out.bytes.size();
    const std::vector<uint8_t> music = WriteMusicSection(file.music);
    out.U32(uint32_t(music.size()));
    out.Raw(music.data(), music.size());
    where.end = out.bytes.size();
    if (layout)
        *layout = where;
    return out.bytes;
}

bool SaveObjectsFile(const std::filesystem::path& path, const ObjectsFile& file, std::string& error)
{
    const std::vector<uint8_t> bytes = WriteObjectsFile(file);
    std::error_code ec;
    if (path.has_parent_path())
        std::filesystem::create_directories(path.parent_path(), ec);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) {
        error = "cannot write " + path.string();
        return false;
    }
    return true;
}

} // namespace zoq::tools::world
