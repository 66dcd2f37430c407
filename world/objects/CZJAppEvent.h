// CZJAppEvent: the application's game-event sink, called by the world objects, the machine
// groups and the object list. One global, AppEvents, set by the application; null skips every
// event (tools, tests). The events without a body here do nothing unless a sink handles them.
#pragma once

class CFerroGroup;
class CFerrovant;
struct SThingItem;

class CZJAppEvent {
public:
    virtual ~CZJAppEvent() = default;
    // The player's glider took a thing of that kind with its items (after the transfer).
    virtual void OnPickup(int kind, const SThingItem* items, int count)
    {
        (void)kind;
        (void)items;
        (void)count;
    }
    // A reward of rating points for the player (flag 1: delivered captured machines).
    virtual void OnAddRating(float reward, int flag) = 0;
    // A glider of that machine died.
    virtual void OnFerroKilled(CFerrovant* record) { (void)record; }
    // The player's glider destroyed that machine.
    virtual void FerroWasKilledByPlayer(CFerrovant* record) { (void)record; }
    // The player's vehicle took part in a hard collision.
    virtual void OnCollision() { }
    // The journal changed (1: a sensor fired).
    virtual void UpdateJournal(int reason) { (void)reason; }
    // A group message by keyword (DEFINEGROUP ... PACKED) for the group's organisation script.
    virtual void OnGroupMessage(const char* keyword, CFerroGroup* group) = 0;
};

extern CZJAppEvent* AppEvents;
