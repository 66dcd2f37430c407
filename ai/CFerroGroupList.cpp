// The group list: the location's groups block, the per-frame loop, the fast-forward and save-game
// section 2.
#include "ai/CFerroGroupList.h"

#include "ai/CFerroGroup.h"
#include "ai/CGuardFerroGroup.h"
#include "ai/CHunterFerroGroup.h"
#include "ai/CPlayerFerroGroup.h"
#include "ai/CTransFerroGroup.h"
#include "foundation/ByteOrder.h"
#include "foundation/CTimer.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "foundation/XMemBuffer.h"
#include "foundation/XRangeError.h"
#include "platform/win/text.h"
#include "world/db/COrgManager.h"
#include "world/db/CRoadManager.h"
#include "world/db/ObjectsFileReader.h"
#include "world/objects/CBuildingObject.h"
#include "world/objects/CObjectList.h"
#include "world/objects/PlayerGlobals.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

CFerroGroupList FerroGroupList;

namespace {

constexpr uint32_t kHeaderBytes = 52;
constexpr uint32_t kRecordBytes = 184;
constexpr uint32_t kNameBytes = 32;

// Copies a fixed field, cut at its size and always terminated.
void CopyName(char* out, size_t size, const uint8_t* field, size_t fieldSize)
{
    const size_t length = strnlen(reinterpret_cast<const char*>(field), std::min(fieldSize, size - 1));
    std::memcpy(out, field, length);
    out[length] = '\0';
}

std::unique_ptr<CFerroGroup> MakeGroup(uint32_t kind)
{
    switch (kind) {
    case CFerroGroup::kGuard:
        return std::make_unique<CGuardFerroGroup>();
    case CFerroGroup::kCaravan:
        return std::make_unique<CTransFerroGroup>();
    case CFerroGroup::kHunter:
        return std::make_unique<CHunterFerroGroup>();
    case CFerroGroup::kPeople:
        return std::make_unique<CPeopleFerroGroup>();
    default:
        return std::make_unique<CFerroGroup>();
    }
}

int32_t ReadPoint(const char* what)
{
    return int32_t(CObjectsFileReader::ReadU32(what));
}

} // namespace

CFerroGroupList::~CFerroGroupList()
{
    DeleteGroups();
}

void CFerroGroupList::DeleteGroups()
{
    for (int i = 1; i < groups.Count(); ++i)
        delete groups.Data()[i];
    groups.Done();
}

void CFerroGroupList::Clear()
{
    PlayerFerroGroup.attachedGroup = nullptr;
    DeleteGroups();
    spyIndex = 0;
}

void CFerroGroupList::AddGroup(CFerroGroup* group)
{
    if (groups.IsEmpty())
        groups.Add(&PlayerFerroGroup);
    groups.Add(group);
}

CFerroGroup* CFerroGroupList::FindGroupByName(const char* name) const
{
    for (int i = 1; i < groups.Count(); ++i) {
        CFerroGroup* group = groups.Data()[i];
        if (std::strncmp(group->name, name, sizeof group->name) == 0)
            return group;
    }
    return nullptr;
}

CFerrovant* CFerroGroupList::FindGroupOfMember(const char* name) const
{
    for (int i = 1; i < groups.Count(); ++i) {
        CFerroGroup* group = groups.Data()[i];
        for (int m = 0; m < group->memberCount; ++m)
            if (std::strncmp(group->members[m].name, name, sizeof group->members[m].name) == 0)
                return &group->members[m];
    }
    return nullptr;
}

void CFerroGroupList::OnObjectDeleted(CZJObject* object)
{
    for (int i = 1; i < groups.Count(); ++i)
        groups.Data()[i]->OnObjectDeleted(object);
}

int CFerroGroupList::IndexOf(const CFerroGroup* group) const
{
    for (int i = 0; i < groups.Count(); ++i)
        if (groups.Data()[i] == group)
            return i;
    return -1;
}

void CFerroGroupList::Load()
{
    ZJ_TRACE("CFerroGroupList::Load");
    spyIndex = 0;
    uint8_t header[kHeaderBytes];
    CObjectsFileReader::Read(header, sizeof header, "group section head");
    const uint32_t n = LoadLE<uint32_t>(header);
    const uint32_t attachedFlag = LoadLE<uint32_t>(header + 8);
    CObjectsFileReader::CheckCount(n, kRecordBytes, 0, "group count");
    PlayerFerroGroup.attachedGroup = nullptr;
    DeleteGroups();
    groups.Add(&PlayerFerroGroup);
    const int points = g_RoadManager.NodeCount();
    for (uint32_t g = 0; g < n; ++g) {
        uint8_t record[kRecordBytes] = {};
        CObjectsFileReader::Read(record, sizeof record, "group record");
        const uint32_t kind = LoadLE<uint32_t>(record + 64);
        const uint32_t members = LoadLE<uint32_t>(record + 68);
        if (members > uint32_t(CFerroGroup::kMaxMembers))
            CObjectsFileReader::Fail("group member count", members);
        std::unique_ptr<CFerroGroup> group = MakeGroup(kind);
        group->kind = kind;
        CopyName(group->name, sizeof group->name, record, 32);
        plat::win::MakeUpper1251(group->name, std::strlen(group->name));
        group->configParam = LoadLE<uint32_t>(record + 136);
        group->configuredCount = int32_t(members);
        CopyName(group->caption, sizeof group->caption, record + 72, 64);
        switch (kind) {
        case CFerroGroup::kGuard: {
            group->homePoint = ReadPoint("guard home point");
            const uint32_t radius = CObjectsFileReader::ReadU32("guard radius");
            std::memcpy(&group->guardRadius, &radius, sizeof radius);
            break;
        }
        case CFerroGroup::kCaravan:
            group->routeStart = ReadPoint("caravan route start");
            group->routeEnd = ReadPoint("caravan route end");
            break;
        case CFerroGroup::kHunter: {
            const uint32_t count = CObjectsFileReader::ReadU32("hunt point count");
            CObjectsFileReader::CheckCount(count, 4, 0, "hunt point count");
            for (uint32_t p = 0; p < count; ++p) {
                const int32_t point = ReadPoint("hunt point");
                if (point >= 0 && point < points)
                    group->huntPoints.push_back(point);
            }
            break;
        }
        case CFerroGroup::kPeople:
            group->peoplePoint = ReadPoint("people point");
            break;
        case CFerroGroup::kStanding:
            group->standPoint = ReadPoint("stand point");
            break;
        default:
            break;
        }
        CObjectsFileReader::CheckCount(members, kNameBytes, 0, "group members");
        for (uint32_t m = 0; m < members; ++m) {
            uint8_t config[kNameBytes];
            CObjectsFileReader::Read(config, sizeof config, "member configuration");
            CopyName(group->memberConfigs[m], kNameBytes, config, kNameBytes);
        }
        if (attachedFlag != 0) {
            uint8_t attached;
            CObjectsFileReader::Read(&attached, 1, "group attached byte");
            group->attachedToPlayer = attached;
        }
        char orgKey[32];
        CopyName(orgKey, sizeof orgKey, record + 32, 32);
        if (std::strcmp(orgKey, "ORG_TRANCES") == 0)
            std::strcpy(orgKey, "ORG_TRANSES");
        group->organisation = g_OrgManager.FindOrganisation(orgKey);
        if (group->organisation < 0)
            group->organisation = g_OrgManager.FindOrganisation("ORG_FREE");
        groups.Add(group.release());
    }
    const int npc = g_OrgManager.FindOrganisation("ORG_NPC");
    for (int i = 1; i < groups.Count(); ++i) {
        CFerroGroup* group = groups.Data()[i];
        if (npc >= 0 && group->organisation == npc) {
            const int own = g_OrgManager.FindOrganisation(group->name);
            if (own >= 0) {
                char line[64];
                std::snprintf(line, sizeof line, "NPC ORG: %.32s", group->name);
                WriteErrorLog(line);
                group->organisation = own;
            }
        }
        group->Init();
        group->groupClock = 10.0f * float(i);
    }
}

void CFerroGroupList::Run(float dt, bool runPlayer, bool spy)
{
    if (runPlayer && !groups.IsEmpty()) {
        groups.Data()[0]->Run(dt);
        if (PlayerFerrovant)
            PlayerFerrovant->Run(dt);
    }
    for (int i = 1; i < groups.Count(); ++i) {
        CFerroGroup* group = groups.Data()[i];
        for (int m = 0; m < group->memberCount; ++m)
            group->members[m].Run(dt);
    }
    for (int i = 1; i < groups.Count(); ++i) {
        CFerroGroup* group = groups.Data()[i];
        if (group->pendingCheck && !group->attachedToPlayer)
            group->CheckAssemble();
        if (group->active) {
            group->Run(dt);
        } else if (group->inBuilding && !group->exitQueued) {
            group->buildingWait += dt;
            if (group->buildingWait > 150.0f * 0.1f)
                group->UnpackFromBuilding();
        }
    }
    const int count = groups.Count();
    if (!spy || count < 2)
        return;
    const int scans = std::min(count / 4 + 1, int(dt * 100.0f + 1.0f));
    for (int s = 0; s < scans; ++s) {
        spyIndex = std::clamp(spyIndex, 0, count - 1);
        CFerroGroup* group = groups.Data()[spyIndex];
        if (group->active)
            group->SpyGroups();
        spyIndex = (spyIndex + 1) % count;
    }
}

void CFerroGroupList::Simulate(float seconds)
{
    ZJ_TRACE("CFerroGroupList::Simulate");
    XDynamicArray<CZJObject*> buildings;
    ObjectList.GetObjectList(11, buildings);
    const float savedFrame = FrameTime;
    const Vec3 savedPlayer = PlayerPosition;
    PlayerPosition = { -10000.0f, -10000.0f, -10000.0f };
    FrameTime = 5.0f;
    const int steps = int(seconds * 0.2f) + 1;
    for (int s = 0; s < steps; ++s) {
        Run(5.0f, false, true);
        for (CZJObject* object : buildings) {
            auto* building = static_cast<CBuildingObject*>(object);
            if (building->runFlag)
                building->TrackGliders();
        }
    }
    FrameTime = savedFrame;
    PlayerPosition = savedPlayer;
}

bool CFerroGroupList::SaveGame(XMemBuffer& stream, bool withConfig)
{
    stream.WriteValue(uint8_t(withConfig ? 1 : 0));
    stream.WriteValue(uint32_t(std::max(groups.Count() - 1, 0)));
    for (int i = 1; i < groups.Count(); ++i) {
        CFerroGroup* group = groups.Data()[i];
        stream.Write(group->name, sizeof group->name);
        group->SaveGame(stream, withConfig);
    }
    return true;
}

bool CFerroGroupList::LoadGame(XMemBuffer& stream)
{
    ZJ_TRACE("CFerroGroupList::LoadGame");
    uint32_t count = 0;
    uint32_t i = 0;
    char name[33] = {};
    try {
        uint8_t withConfig;
        stream.Read(&withConfig, 1);
        if (withConfig) {
            for (int g = 1; g < groups.Count(); ++g)
                if (!groups.Data()[g]->assembled)
                    groups.Data()[g]->Assemble();
        }
        count = stream.ReadU32();
        for (; i < count; ++i) {
            stream.Read(name, 32);
            CFerroGroup* group = FindGroupByName(name);
            if (!group) {
                WriteErrorLog("CFerroGroupList::LoadGame error ferro groups reading");
                return false;
            }
            group->LoadGame(stream, withConfig != 0);
        }
    } catch (const XRangeError&) {
        char line[96];
        std::snprintf(line, sizeof line, "GRP=%s", name);
        WriteErrorLog(line);
        std::snprintf(line, sizeof line, "ICNT=%u", count);
        WriteErrorLog(line);
        std::snprintf(line, sizeof line, "I=%u", i);
        WriteErrorLog(line);
        WriteErrorLog("CFerroGroupList::LoadGame error ferro groups reading");
        return false;
    }
    return true;
}
