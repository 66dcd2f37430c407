// CPlayerFerroGroup: the player's team, entry 0 of the group list. Its one member is the player's
// machine; a group attached to it follows the player's glider.
#pragma once

#include "ai/CFerroGroup.h"

class CPlayerFerroGroup : public CFerroGroup {
public:
    // A game starts: materialised, active, one member, "ORG_PLAYER"; PlayerFerrovant points at
    // member 0.
    void Start();
    void Run(float dt) override;
    void SpyGroups() override;
    // Releases an attached group first (TEAMREMOVE), then attaches this one; notify sends TEAMADD.
    void AttachGroup(CFerroGroup* group, bool notify);
    void ReleaseGroup(CFerroGroup* group);

    CFerroGroup* attachedGroup = nullptr;
};

extern CPlayerFerroGroup PlayerFerroGroup;
