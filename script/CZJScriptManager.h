// CZJScriptManager: the game's mission-script runtime. It gives the interpreter its commands and
// holds what scripts change: events, quests with their timers, the journal, the output entries
// the calling menu shows, a cache of compiled scripts, the player's name, statistics, and the
// text table of every quest and information text. It writes and reads save section 1.
#pragma once

#include "foundation/CXAnsiString.h"
#include "foundation/DataBase.h"
#include "foundation/XStringTable.h"
#include "script/CScriptInter.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class XMemBuffer;

struct SScriptTimer { // 76 bytes in save games
    char name[32];
    float duration; // days
    float expiry; // game time in days
    char owner[32];
    int32_t ownerKind;
};
static_assert(sizeof(SScriptTimer) == 76);

struct SScriptQuest { // 84 bytes in save games
    char name[80];
    float time; // 0 given; the timer's expiry while one runs; else when it ended
};
static_assert(sizeof(SScriptQuest) == 84);

struct SScriptOutput {
    enum Kind : int32_t { Info, Journal, Quest, ObjectGiven, ObjectTaken, Money, Rating };
    char name[80];
    int32_t kind;
    CXAnsiString displayName; // GetTextName
    CXAnsiString text; // GetText
    int32_t value;
};

// The 212-byte statistics block, saved byte for byte.
struct SScriptStatistics {
    static constexpr int kOrganisations = 30;
    float money[7]; // 0-2 income by category, 3-6 expenses
    float rating[3];
    int32_t delivered; // captured machines handed over at a building
    int32_t killed; // machines destroyed by the player
    int32_t killedByLevel[10]; // by the rating level 1..10 of the machine
    int32_t reserved;
    int32_t killedByOrganisation[kOrganisations];

    // Kills of an organisation; 0 outside the block.
    int32_t Kills(int organisation) const;
    // Counts one kill; an organisation outside the block is not counted.
    void CountKill(int organisation);
};
static_assert(sizeof(SScriptStatistics) == 212);

class CZJScriptManager : public CScriptInter {
public:
    static constexpr int kCacheEntries = 15;
    static constexpr int kMaxOutput = 30;
    static constexpr uint32_t kVersion = 258;
    static constexpr float kNeverFires = 10000.0f;

    struct SCacheEntry {
        char name[32] = {};
        std::unique_ptr<XStringTable> lines;
        float lastUse = -1.0f;
        int32_t kind = 0;
        int inUse = 0; // runs walking it now
    };

    CZJScriptManager();
    ~CZJScriptManager() override;

    // Opens the text table (cfg.ini [PATH] "TextFile") and resets.
    void Init();
    // A new game: empty cache names, events, quests, journal, visited buildings, marked points,
    // timers and statistics; player name "Unnamed".
    void Reset();

    // The cached lines of SCRIPT\bin\<name>.scr|.qst|.inf (kind 1, 2, 3), or null.
    XStringTable* ZJLoadScript(const char* name, int32_t kind);
    // Runs one procedure (null: from line 0); false only when the script cannot be loaded.
    bool ZJRunScript(const char* name, int32_t kind, const char* procedure);
    // Whether the last ZJRunScript found its procedure.
    bool LastProcedureFound() const { return m_lastFound; }
    void RunEachHour(const char* scriptFile);
    void CheckTimers();

    bool IsEventSet(const char* name) override;
    bool IsEventSet(const char* name, const char* suffix);
    void SetEvent(const char* name);
    void AddEvent(const char* first, const char* second);
    void RemoveEvent(const char* name);
    const XStringTable& Events() const { return m_events; }

    void AddQuest(const char* name);
    void SetQuestResult(const char* name, bool success);
    const std::vector<SScriptQuest>& Quests() const { return m_quests; }

    void StartTimer(const char* name, const char* hours);
    void StopTimer(const char* name);
    SScriptTimer* FindTimer(const char* name);
    const std::vector<SScriptTimer>& Timers() const { return m_timers; }
    int NextTimer() const { return m_nextTimer; }

    bool GetText(const char* key, CXAnsiString& text);
    bool GetTextName(const char* key, CXAnsiString& name);
    std::string GetAboutText(int organisation);
    void UpdateXStringWithNames(CXAnsiString& text);

    void AddBalance(float amount, int category);
    void AddRating(float amount, int category);

    void SaveState(XMemBuffer& stream) const;
    // Section 1; a bad section throws XRangeError (logged) with the manager unchanged.
    void LoadState(XMemBuffer& stream);

    bool RunFunction(const char* name, XStringTable& arguments) override;

    // Appends an output entry; with the list full the entry is dropped (logged): false.
    bool AddOutput(const char* name, int32_t kind, int32_t value);
    const SScriptOutput& Output(int i) const { return m_output.at(std::size_t(i)); }

    // The text-table draw's seed, kept for the whole run.
    static uint32_t s_textSeed;

    std::vector<std::string> visitedBuildings;
    std::vector<std::string> markedPoints;
    std::vector<std::string> journal;
    SScriptStatistics statistics {};
    uint32_t difficulty = 1; // 0..2
    CXAnsiString playerName;
    uint8_t restart = 0;
    uint8_t eject = 0;
    uint8_t journalLocked = 0;
    int32_t nesting = 0;
    int32_t outputCount = 0; // entries in use; callers may lower it
    char runningScript[32] = {};
    int32_t runningKind = 0;

    const SCacheEntry& CacheEntry(int i) const { return m_cache[std::size_t(i)]; }

private:
    bool HasText(const char* key);
    std::string TextField(const char* key, const char* field);
    void FindNextTimer();
    float GameTime() const;
    void PlaySound(const char* name) const;

    DataBase m_texts;
    bool m_textsOpen = false;
    XStringTable m_events;
    SCacheEntry m_cache[kCacheEntries];
    std::vector<SScriptTimer> m_timers;
    int32_t m_nextTimer = -1;
    std::vector<SScriptOutput> m_output;
    std::vector<SScriptQuest> m_quests;
    bool m_lastFound = false;
};

extern CZJScriptManager* g_pScriptManager;
