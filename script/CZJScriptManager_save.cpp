// Save section 1 of the script manager.
#include "foundation/ErrorLog.h"
#include "foundation/XMemBuffer.h"
#include "foundation/XRangeError.h"
#include "script/CZJScriptManager.h"
#include "world/objects/PlayerGlobals.h"

#include <cstring>
#include <string>

namespace {

constexpr uint32_t kFirstVersion = 255; // below it the first word is the name length
constexpr uint32_t kMarkedPointsVersion = 256;

[[noreturn]] void Corrupt(const char* what)
{
    WriteErrorLog(std::string("CZJScriptManager::LoadState corrupt section: ") + what);
    throw XRangeError();
}

uint32_t ReadCount(XMemBuffer& stream, uint32_t itemBytes, const char* what)
{
    if (stream.Remaining() < 4)
        Corrupt(what);
    const uint32_t count = stream.ReadU32();
    if (uint64_t(count) * itemBytes > uint64_t(stream.Remaining()))
        Corrupt(what);
    return count;
}

void WriteNames(XMemBuffer& stream, const std::vector<std::string>& names)
{
    stream.WriteValue(uint32_t(names.size()));
    for (const std::string& name : names) {
        char field[32] = {};
        std::strncpy(field, name.c_str(), sizeof field - 1);
        stream.Write(field, sizeof field);
    }
}

std::vector<std::string> ReadNames(XMemBuffer& stream, const char* what)
{
    const uint32_t count = ReadCount(stream, 32, what);
    std::vector<std::string> names;
    for (uint32_t i = 0; i < count; ++i) {
        char field[32];
        stream.Read(field, sizeof field);
        names.emplace_back(field, strnlen(field, sizeof field - 1));
    }
    return names;
}

template <class T> std::vector<T> ReadRecords(XMemBuffer& stream, const char* what)
{
    const uint32_t count = ReadCount(stream, sizeof(T), what);
    std::vector<T> records(count);
    for (T& record : records)
        stream.Read(&record, sizeof(T));
    return records;
}

} // namespace

void CZJScriptManager::SaveState(XMemBuffer& stream) const
{
    stream.WriteValue(kVersion);
    const uint32_t length = uint32_t(uint16_t(playerName.Length())) + 1;
    stream.WriteValue(length);
    stream.Write(playerName.Text(), int(length - 1));
    stream.WriteValue(uint8_t(0));
    m_events.Write(stream);
    WriteNames(stream, visitedBuildings);
    stream.WriteValue(uint32_t(m_quests.size()));
    for (const SScriptQuest& quest : m_quests)
        stream.Write(&quest, sizeof quest);
    WriteNames(stream, journal);
    stream.WriteValue(uint32_t(m_timers.size()));
    for (const SScriptTimer& timer : m_timers)
        stream.Write(&timer, sizeof timer);
    stream.Write(&statistics, sizeof statistics);
    WriteNames(stream, markedPoints);
    stream.WriteValue(difficulty);
}

void CZJScriptManager::LoadState(XMemBuffer& stream)
{
    const int start = stream.Position();
    try {
        if (stream.Remaining() < 4)
            Corrupt("version");
        uint32_t version = stream.ReadU32();
        uint32_t length = version;
        if (version >= kFirstVersion) {
            if (stream.Remaining() < 4)
                Corrupt("name");
            length = stream.ReadU32();
        } else {
            version = 0;
        }
        if (length > uint32_t(stream.Remaining()))
            Corrupt("name");
        std::string name(length, '\0');
        stream.Read(name.data(), int(length));
        name.resize(strnlen(name.c_str(), name.size()));

        XStringTable events;
        events.Read(stream);
        std::vector<std::string> visited = ReadNames(stream, "visited buildings");
        std::vector<SScriptQuest> quests = ReadRecords<SScriptQuest>(stream, "quests");
        for (SScriptQuest& quest : quests)
            quest.name[sizeof quest.name - 1] = '\0';
        std::vector<std::string> journalNames = ReadNames(stream, "journal");
        std::vector<SScriptTimer> timers = ReadRecords<SScriptTimer>(stream, "timers");
        for (SScriptTimer& timer : timers) {
            timer.name[sizeof timer.name - 1] = '\0';
            timer.owner[sizeof timer.owner - 1] = '\0';
        }
        if (stream.Remaining() < int(sizeof(SScriptStatistics)))
            Corrupt("statistics");
        SScriptStatistics stats;
        stream.Read(&stats, sizeof stats);
        std::vector<std::string> marked;
        if (version >= kMarkedPointsVersion)
            marked = ReadNames(stream, "marked points");
        uint32_t level = difficulty;
        if (version >= kVersion) {
            if (stream.Remaining() < 4)
                Corrupt("difficulty");
            level = stream.ReadU32();
            if (level > 2)
                Corrupt("difficulty");
        }

        playerName = name.c_str();
        m_events.Init(events.Capacity() > 0 ? events.Capacity() : 100,
            events.BufferSize() > 0 ? events.BufferSize() : 8000);
        for (int i = 0; i < events.Count(); ++i)
            m_events.Add(events.GetString(i));
        visitedBuildings = std::move(visited);
        m_quests = std::move(quests);
        journal = std::move(journalNames);
        m_timers = std::move(timers);
        statistics = stats;
        FindNextTimer();
        markedPoints = std::move(marked);
        difficulty = level;
        Difficulty = int32_t(level);
    } catch (const XRangeError&) {
        stream.SetPosition(start);
        throw;
    }
}
