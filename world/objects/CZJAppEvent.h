// Stand-in until the object list's events land: the game-event sink. A null AppEvents skips every
// event.
#pragma once

class CFerroGroup;

class CZJAppEvent {
public:
    virtual ~CZJAppEvent() = default;
    // A reward of rating points for the player (flag 1: delivered captured machines).
    virtual void OnAddRating(float reward, int flag) = 0;
    // A group message by keyword (DEFINEGROUP ... PACKED) for the group's organisation script.
    virtual void OnGroupMessage(const char* keyword, CFerroGroup* group) = 0;
};

extern CZJAppEvent* AppEvents;
