// The link words of the in-base menus' text panel, the texts those menus format for the panel
// and the time left of an accepted quest.
#pragma once

#include <cstdint>
#include <string_view>

struct SLinkWord {
    const char* word;
    int32_t command;
};

// Link words that the menu's dispatch carries out; the word must match whole, case and all.
inline constexpr SLinkWord kLinkWords[] = {
    { "LINKREPAIRALL", 39 },
    { "LINKREAMMOALL", 40 },
    { "LINKREPAIR", 13 },
    { "LINKDROPITEM", 34 },
    { "LINKCHANGEITEM", 33 },
    { "LINKRESTORESHELLS", 38 },
    { "LINKSELLITEM", 37 },
    { "LINKBUY", 29 },
    { "LINKBUYITEM", 36 },
    { "LINKSOLD", 30 },
    { "LINKREPAIRITEM", 28 },
    { "LINKTRADE", 10 },
    { "LINKJOIN", 32 },
    { "LINKCHANGE", 41 },
    { "LINKLEAVE", 35 },
    { "LINKJUMP", 256 },
    { "LINKPEREHOD", 26 },
};
inline constexpr std::string_view kLinkJumpTo = "LINKJUMPTO"; // followed by a blank and the target
inline constexpr std::string_view kLinkQuest = "LINKQUEST";
inline constexpr std::string_view kLinkAcceptQuest = "LINKACCEPTQUEST";

// The command of a link word, -1 for none.
int32_t LinkWordCommand(std::string_view word);
// Whether the menu acts on the word itself: a command word, a jump or one of the quest words.
bool IsMenuLinkWord(std::string_view word);

// A text of the text table that the menus format: its key, the conversions its format holds in
// order ('d' an integer, 's' a text; empty: used as it stands) and whether the format is the
// key's NAME field rather than its TEXT.
struct SMenuText {
    const char* key;
    const char* values;
    bool inName;
};

inline constexpr SMenuText kMenuTexts[] = {
    { "INT_JOURNAL_UPDATED", "", false },
    { "INT_PLAYER_GOT_OBJECT", "", false },
    { "INT_PLAYER_GOT_OBJECT_MULTY", "", false },
    { "INT_PLAYER_GAVE_OBJECT", "", false },
    { "INT_PLAYER_GAVE_OBJECT_MULTY", "", false },
    { "INT_PLAYER_ADD_BALANCE", "", false },
    { "INT_PLAYER_SUB_BALANCE", "", false },
    { "INT_PLAYER_ADD_RATING", "", false },
    { "INT_PLAYER_SUB_RATING", "", false },
    { "INT_NO_TASK", "", false },
    { "INT_ACCEPTTASK_QUESTION", "", false },
    { "INT_PLAYER_GOT_TASK", "", false },
    { "INT_TIMELEFT", "dd", true },
    { "INT_QUESTS", "", true },
    { "INT_QUESTS_COMPLETE", "", true },
    { "INT_QUESTS_FAIL", "", true },
    { "INT_JOURNAL", "", true },
    { "INT_STAT_EXPO", "d", false },
    { "INT_STAT_RATING", "d", false },
    { "INT_STAT_ORG", "", false },
    { "INT_STAT_RATING_TONEXT", "d", false },
    { "INT_STAT_EXPO_TASKS", "d", false },
    { "INT_STAT_EXPO_TRADE", "d", false },
    { "INT_STAT_EXPO_FERRO", "d", false },
    { "INT_STAT_TASKS", "d", false },
    { "INT_STAT_TASKS_COMPLETE", "d", false },
    { "INT_STAT_TASKS_FAIL", "d", false },
    { "INT_STAT_FERROS", "d", false },
    { "INT_STAT_LOSSES", "d", false },
    { "INT_STAT_LOSSES_UPGRADE", "d", false },
    { "INT_STAT_LOSSES_TRADE", "d", false },
    { "INT_STAT_LOSSES_AMMO", "d", false },
    { "INT_STAT_PROFIT", "d", false },
    { "INT_STAT_PROFIT_TRADE", "d", false },
    { "INT_STAT_PROFIT_ROB", "d", false },
    { "INT_STAT_KILLED", "d", false },
    { "INT_STAT_KILLED_BY_RATING", "", false },
    { "INT_STAT_KILLED_RATING_IS", "dd", false },
    { "INT_STAT_KILLED_BY_ORG", "", false },
    { "INT_NET_PLAYER_LIST", "", true },
    { "INT_NET_PLAYER_STAT", "sddd", false },
    { "INT_FERRO_IS", "s", false },
    { "INT_ORG_IS", "s", false },
    { "INT_RATING_IS", "d", false },
    { "INT_UNKNOWN_FERRO", "", false },
    { "INT_QUEST_COMPLETE", "", false },
    { "INT_QUEST_FAIL", "", false },
    { "INT_DROP_ITEM", "", false },
};

// Whole minutes left before a quest's deadline (game days), 10 minutes short when shortened; never
// below 0.
int32_t QuestMinutesLeft(float deadline, float now, bool shortened);
