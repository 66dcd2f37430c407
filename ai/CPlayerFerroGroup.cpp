// The player's team.
#include "ai/CPlayerFerroGroup.h"

#include "ai/CBasicGLAI.h"
#include "ai/GroupVector.h"
#include "world/db/COrgManager.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/PlayerGlobals.h"

CPlayerFerroGroup PlayerFerroGroup;

void CPlayerFerroGroup::Start()
{
    assembled = 0;
    active = 1;
    memberCount = 1;
    configuredCount = 1;
    organisation = g_OrgManager.FindOrganisation("ORG_PLAYER");
    members[0].group = this;
    PlayerFerrovant = &members[0];
}

void CPlayerFerroGroup::Run(float dt)
{
    const CGliderObject* glider = members[0].glider;
    active = glider && !glider->dead;
    if (glider)
        position = glider->frame.position;
    timeInState += dt;
    if (!attachedGroup)
        return;
    for (int i = 0; i < attachedGroup->memberCount; ++i) {
        CFerrovant& m = attachedGroup->members[i];
        if (m.dead || !m.glider || !m.glider->alive || m.glider->dead || !m.glider->ai)
            continue;
        const float d2 = Vec3LengthSq(m.glider->frame.position - position);
        if (d2 > 10000.0f)
            m.glider->ai->MoveTo(position, 1.0f, 50.0f, true);
        else if (d2 > 2500.0f)
            m.glider->ai->MoveTo(position, 0.5f, 25.0f, true);
    }
}

void CPlayerFerroGroup::SpyGroups()
{
    if (!attachedGroup)
        return;
    attachedGroup->UpdatePosition();
    const float d2 = Vec3LengthSq(attachedGroup->position - position);
    if (d2 > 950625.0f && timeInState > 5.0f) {
        timeInState = 0.0f;
        attachedGroup->SendMessage("TEAMFAR");
    }
    if (d2 > 3380000.0f && timeInState > 1.0f) {
        timeInState = 0.0f;
        attachedGroup->SendMessage("TEAMAWAY");
    }
}

void CPlayerFerroGroup::AttachGroup(CFerroGroup* group, bool notify)
{
    if (attachedGroup)
        ReleaseGroup(attachedGroup);
    group->active = 0;
    group->attachedToPlayer = 1;
    if (group->assembled)
        group->Disassemble();
    if (notify)
        group->SendMessage("TEAMADD");
    attachedGroup = group;
}

void CPlayerFerroGroup::ReleaseGroup(CFerroGroup* group)
{
    group->active = 1;
    group->attachedToPlayer = 0;
    group->SendMessage("TEAMREMOVE");
    attachedGroup = nullptr;
}
