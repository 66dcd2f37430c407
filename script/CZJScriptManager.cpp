#include "script/CZJScriptManager.h"

#include "foundation/BaseDirectory.h"
#include "foundation/CallTrace.h"
#include "foundation/ConfigKeys.h"
#include "foundation/ErrorLog.h"
#include "foundation/PakManager.h"
#include "foundation/XMemBuffer.h"
#include "foundation/XRangeError.h"
#include "script/CScriptHost.h"
#include "world/terrain/CEnvironment.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

CZJScriptManager* g_pScriptManager = nullptr;
CScriptHost* g_pScriptHost = nullptr;

namespace {

constexpr const char* kExtensions[] = { ".scr", ".qst", ".inf" };

void CopyName(char* dest, std::size_t size, const char* text)
{
    std::snprintf(dest, size, "%s", text ? text : "");
}

// The whole compiled file of the file layer's current file.
bool ReadCurrentFile(std::vector<uint8_t>& bytes)
{
    uint8_t chunk[4096];
    for (;;) {
        const std::size_t n = g_PakManager.ReadAvailable(chunk, sizeof chunk);
        bytes.insert(bytes.end(), chunk, chunk + n);
        if (n < sizeof chunk)
            return true;
    }
}

} // namespace

int32_t SScriptStatistics::Kills(int organisation) const
{
    return organisation >= 0 && organisation < kOrganisations ? killedByOrganisation[organisation] : 0;
}

void SScriptStatistics::CountKill(int organisation)
{
    if (organisation >= 0 && organisation < kOrganisations)
        ++killedByOrganisation[organisation];
}

CZJScriptManager::CZJScriptManager()
    : m_output(kMaxOutput)
{
    m_events.Init(100, 8000);
    for (SCacheEntry& entry : m_cache) {
        entry.lines = std::make_unique<XStringTable>();
        entry.lines->Init(800, 16000);
    }
}

CZJScriptManager::~CZJScriptManager() = default;

void CZJScriptManager::Init()
{
    ZJ_TRACE("CZJScriptManager::Init");
    char file[1024] = {};
    ReadConfigText(
        BaseDirectory() + "DATA\\CONFIG\\cfg.ini", ConfigKey("PATH", "TextFile"), file, sizeof file);
    m_textsOpen = m_texts.Open(file, 0);
    if (m_textsOpen)
        m_texts.SelectFloor("INFORMATION");
    outputCount = 0;
    visitedBuildings.clear();
    markedPoints.clear();
    nesting = 0;
    Reset();
}

void CZJScriptManager::Reset()
{
    for (SCacheEntry& entry : m_cache) {
        entry.name[0] = '\0';
        entry.lastUse = -1.0f;
    }
    m_events.Init(100, 8000);
    m_quests.clear();
    journal.clear();
    visitedBuildings.clear();
    markedPoints.clear();
    m_timers.clear();
    m_nextTimer = -1;
    playerName = "Unnamed";
    statistics = {};
    journalLocked = 0;
}

float CZJScriptManager::GameTime() const
{
    return GameTimeDays();
}

void CZJScriptManager::PlaySound(const char* name) const
{
    if (g_pScriptHost)
        g_pScriptHost->PlaySound(name);
}

XStringTable* CZJScriptManager::ZJLoadScript(const char* name, int32_t kind)
{
    ZJ_TRACE("CZJScriptManager::ZJLoadScript");
    for (SCacheEntry& entry : m_cache) {
        if (name && entry.kind == kind && entry.name[0]
            && std::strncmp(entry.name, name, sizeof entry.name) == 0) {
            entry.lastUse = GameTime();
            return entry.lines.get();
        }
    }
    if (!name || kind < 1 || kind > 3)
        return nullptr;
    SCacheEntry* victim = nullptr;
    for (SCacheEntry& entry : m_cache) {
        if (!entry.inUse && (!victim || entry.lastUse < victim->lastUse))
            victim = &entry;
    }
    if (!victim) {
        WriteErrorLog(std::string("CZJScriptManager::ZJLoadScript every entry is in use: ") + name);
        return nullptr;
    }
    const std::string path = BaseDirectory() + "SCRIPT\\bin\\" + name + kExtensions[kind - 1];
    if (!g_PakManager.Open(path.c_str()))
        return nullptr;
    std::vector<uint8_t> bytes;
    ReadCurrentFile(bytes);
    g_PakManager.CloseFile();
    XMemBuffer stream;
    stream.Attach(bytes.data(), int(bytes.size()));
    try {
        victim->lines->Read(stream);
    } catch (const XRangeError&) {
        WriteErrorLog("CZJScriptManager::ZJLoadScript corrupt script " + path);
        return nullptr;
    }
    CopyName(victim->name, sizeof victim->name, name);
    victim->lastUse = GameTime();
    victim->kind = kind;
    return victim->lines.get();
}

bool CZJScriptManager::ZJRunScript(const char* name, int32_t kind, const char* procedure)
{
    ZJ_TRACE("CZJScriptManager::ZJRunScript");
    char savedName[32];
    std::memcpy(savedName, runningScript, sizeof savedName);
    const int32_t savedKind = runningKind;
    CopyName(runningScript, sizeof runningScript, name);
    runningKind = kind;
    eject = 0;
    restart = 0;
    if (nesting == 0)
        outputCount = 0;
    XStringTable* lines = ZJLoadScript(name, kind);
    SCacheEntry* entry = nullptr;
    for (SCacheEntry& e : m_cache) {
        if (e.lines.get() == lines)
            entry = &e;
    }
    struct Restore {
        CZJScriptManager& self;
        SCacheEntry* entry;
        const char* name;
        int32_t kind;
        ~Restore()
        {
            if (entry) {
                --entry->inUse;
                --self.nesting;
            }
            std::memcpy(self.runningScript, name, sizeof self.runningScript);
            self.runningKind = kind;
        }
    } restore { *this, entry, savedName, savedKind };
    if (!lines) {
        m_lastFound = false;
        return false;
    }
    ++entry->inUse;
    ++nesting;
    RunScript(*lines, procedure);
    m_lastFound = ProcedureFound();
    return true;
}

void CZJScriptManager::RunEachHour(const char* scriptFile)
{
    ZJ_TRACE("CZJScriptManager::RunEachHour");
    std::string name = scriptFile ? scriptFile : "";
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos)
        name.resize(dot);
    ZJRunScript(name.c_str(), 1, "EACHHOUR");
}

bool CZJScriptManager::IsEventSet(const char* name)
{
    return m_events.Find(name) >= 0;
}

bool CZJScriptManager::IsEventSet(const char* name, const char* suffix)
{
    const std::string joined = std::string(name ? name : "") + (suffix ? suffix : "");
    return IsEventSet(joined.c_str());
}

void CZJScriptManager::SetEvent(const char* name)
{
    if (!name || m_events.Find(name) >= 0)
        return;
    if (m_events.Count() == m_events.Capacity())
        m_events.Grow(50, 4000);
    m_events.Add(name);
    const std::string text = name;
    const std::string quest
        = text.substr(0, text.rfind('.') == std::string::npos ? text.size() : text.rfind('.'));
    if (text.find(".FAIL") != std::string::npos)
        SetQuestResult(quest.c_str(), false);
    if (text.find(".COMPLETE") != std::string::npos)
        SetQuestResult(quest.c_str(), true);
}

void CZJScriptManager::AddEvent(const char* first, const char* second)
{
    SetEvent((std::string(first ? first : "") + (second ? second : "")).c_str());
}

void CZJScriptManager::RemoveEvent(const char* name)
{
    const int at = m_events.Find(name);
    if (at >= 0)
        m_events.Delete(at);
}

void CZJScriptManager::AddQuest(const char* name)
{
    PlaySound("SND_INT_QUEST_GET");
    SScriptQuest quest {};
    CopyName(quest.name, sizeof quest.name, name);
    m_quests.push_back(quest);
    AddEvent(name, ".GET");
}

void CZJScriptManager::SetQuestResult(const char* name, bool success)
{
    PlaySound(success ? "SND_INT_QUEST_SUCCESS" : "SND_INT_QUEST_FAIL");
    for (SScriptQuest& quest : m_quests) {
        if (std::strncmp(quest.name, name, sizeof quest.name) == 0)
            quest.time = GameTime();
    }
    StopTimer(name);
}

void CZJScriptManager::StartTimer(const char* name, const char* hours)
{
    SScriptTimer timer {};
    CopyName(timer.name, sizeof timer.name, name);
    timer.duration = float(std::atof(hours ? hours : "")) * 0.041666668f + 0.007291666f;
    timer.expiry = timer.duration + GameTime();
    std::memcpy(timer.owner, runningScript, sizeof timer.owner);
    timer.ownerKind = runningKind;
    m_timers.push_back(timer);
    for (SScriptQuest& quest : m_quests) {
        if (std::strncmp(quest.name, timer.name, sizeof timer.name) == 0)
            quest.time = timer.expiry;
    }
    FindNextTimer();
}

void CZJScriptManager::StopTimer(const char* name)
{
    SScriptTimer* timer = FindTimer(name);
    if (!timer)
        return;
    for (SScriptQuest& quest : m_quests) {
        if (std::strncmp(quest.name, timer->name, sizeof timer->name) == 0)
            quest.time = GameTime();
    }
    m_timers.erase(m_timers.begin() + (timer - m_timers.data()));
    FindNextTimer();
}

SScriptTimer* CZJScriptManager::FindTimer(const char* name)
{
    for (SScriptTimer& timer : m_timers) {
        if (std::strncmp(timer.name, name, sizeof timer.name) == 0)
            return &timer;
    }
    return nullptr;
}

void CZJScriptManager::FindNextTimer()
{
    m_nextTimer = -1;
    for (std::size_t i = 0; i < m_timers.size(); ++i) {
        const float expiry = m_timers[i].expiry;
        if (expiry < kNeverFires && (m_nextTimer < 0 || expiry < m_timers[std::size_t(m_nextTimer)].expiry))
            m_nextTimer = int32_t(i);
    }
}

void CZJScriptManager::CheckTimers()
{
    ZJ_TRACE("CZJScriptManager::CheckTimers");
    if (m_nextTimer < 0 || m_timers[std::size_t(m_nextTimer)].expiry > GameTime())
        return;
    const SScriptTimer fired = m_timers[std::size_t(m_nextTimer)];
    ZJRunScript(fired.owner, fired.ownerKind,
        (std::string(fired.name, strnlen(fired.name, 32)) + "_TIMEOUT").c_str());
    if (g_pScriptHost)
        g_pScriptHost->UpdateJournal(1);
    for (std::size_t i = 0; i < m_timers.size(); ++i) {
        if (std::memcmp(&m_timers[i], &fired, sizeof fired) == 0) {
            m_timers.erase(m_timers.begin() + long(i));
            break;
        }
    }
    FindNextTimer();
}

bool CZJScriptManager::AddOutput(const char* name, int32_t kind, int32_t value)
{
    if (outputCount < 0 || outputCount >= kMaxOutput) {
        WriteErrorLog(std::string("CZJScriptManager output list full: ") + (name ? name : "") + " dropped");
        return false;
    }
    SScriptOutput& entry = m_output[std::size_t(outputCount++)];
    CopyName(entry.name, sizeof entry.name, name);
    entry.kind = kind;
    entry.value = value;
    GetTextName(entry.name, entry.displayName);
    GetText(entry.name, entry.text);
    return true;
}
