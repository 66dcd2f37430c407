// The game's event sink, set into AppEvents while the game runs.
#pragma once

#include "world/objects/CZJAppEvent.h"

class CZJAppEventSink : public CZJAppEvent {
public:
    void OnAddRating(float reward, int flag) override;
    void OnGroupMessage(const char* keyword, CFerroGroup* group) override;
};
