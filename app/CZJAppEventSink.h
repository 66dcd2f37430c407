// The game's event sink, set into AppEvents while the game runs: pickups and kills become message
// lines, script events and procedures, relation changes and statistics; group messages run the
// organisation scripts and show their journal entries.
#pragma once

#include "world/objects/CZJAppEvent.h"

class CZJAppEventSink : public CZJAppEvent {
public:
    // Thing kinds with a line of their own; any other kind is a container.
    static constexpr int kPickupMoney = 515;
    static constexpr int kPickupMachine = 257;
    static constexpr int kMaxContainerItems = 10;

    // A text of the text table the sink and the journal lines format, with the conversions its
    // TEXT takes in order ('d' an integer, 's' a text; empty: used as it stands).
    struct STextUse {
        const char* key;
        const char* values;
    };
    static constexpr STextUse kTexts[] = {
        { "INT_PICKUP_MONEY", "d" },
        { "INT_PICKUP_FERRO", "s" },
        { "INT_PICKUP_CONT", "s" },
        { "INT_FERRO_KILLED", "ss" },
        { "INT_JOURNAL_UPDATED", "" },
    };

    void OnPickup(int kind, const SThingItem* items, int count) override;
    void OnAddRating(float reward, int flag) override;
    void OnFerroKilled(CFerrovant* record) override;
    void FerroWasKilledByPlayer(CFerrovant* record) override;
    void OnCollision() override;
    void UpdateJournal(int reason) override;
    void OnGroupMessage(const char* keyword, CFerroGroup* group) override;

    // A rating of level (2..10) moved to the same relative place one level lower on thresholds
    // (11 values); equal thresholds around it give the bottom of the lower level.
    static float LowerLevelRating(float rating, int level, const float* thresholds);
};
