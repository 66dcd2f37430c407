// Stand-in until the machine groups land.
#include "ai/CFerroGroupList.h"

#include "ai/CFerroGroup.h"
#include "foundation/ByteOrder.h"
#include "foundation/CallTrace.h"
#include "platform/win/text.h"
#include "world/db/COrgManager.h"
#include "world/db/ObjectsFileReader.h"

#include <algorithm>
#include <cstring>
#include <memory>

CFerroGroupList FerroGroupList;

namespace {

constexpr uint32_t kHeaderBytes = 52;
constexpr uint32_t kRecordBytes = 184;
constexpr uint32_t kNameBytes = 32;

void CopyName(char* out, size_t size, const uint8_t* field, size_t fieldSize)
{
    const size_t length = strnlen(reinterpret_cast<const char*>(field), std::min(fieldSize, size - 1));
    std::memcpy(out, field, length);
    out[length] = '\0';
}

} // namespace

CFerroGroupList::~CFerroGroupList()
{
    Clear();
}

void CFerroGroupList::Clear()
{
    for (CFerroGroup* group : groups)
        delete group;
    groups.Done();
}

void CFerroGroupList::AddGroup(CFerroGroup* group)
{
    groups.Add(group);
}

CFerroGroup* CFerroGroupList::FindGroupOfMember(const char* name, int* member) const
{
    for (CFerroGroup* group : groups) {
        const int members = std::clamp(group->count, 0, CFerroGroup::kMaxMembers);
        for (int m = 0; m < members; ++m) {
            if (std::strncmp(group->members[m].name, name, sizeof group->members[m].name) == 0) {
                *member = m;
                return group;
            }
        }
    }
    return nullptr;
}

CFerroGroup* CFerroGroupList::FindGroupByName(const char* name) const
{
    for (CFerroGroup* group : groups) {
        if (std::strncmp(group->name, name, sizeof group->name) == 0)
            return group;
    }
    return nullptr;
}

void CFerroGroupList::AttachGroup(CFerroGroup* group)
{
    group->followsPlayer = 1;
    if (messageSink)
        messageSink(*group, "TEAMADD");
}

void CFerroGroupList::ReleaseGroup(CFerroGroup* group)
{
    group->followsPlayer = 0;
    if (messageSink)
        messageSink(*group, "TEAMREMOVE");
}

void CFerroGroupList::Load()
{
    ZJ_TRACE("CFerroGroupList::Load");
    Clear();
    uint8_t header[kHeaderBytes];
    CObjectsFileReader::Read(header, sizeof header, "group section head");
    const uint32_t count = LoadLE<uint32_t>(header);
    const uint32_t flagPresent = LoadLE<uint32_t>(header + 8);
    CObjectsFileReader::CheckCount(count, kRecordBytes, 0, "group count");
    const int freeOrg = g_OrgManager.GetRowNames().Find("ORG_FREE");
    for (uint32_t g = 0; g < count; ++g) {
        uint8_t record[kRecordBytes];
        CObjectsFileReader::Read(record, sizeof record, "group record");
        auto group = std::make_unique<CFerroGroup>();
        CopyName(group->name, sizeof group->name, record, 32);
        plat::win::MakeUpper1251(group->name, std::strlen(group->name));
        char orgKey[32];
        CopyName(orgKey, sizeof orgKey, record + 32, 32);
        if (std::strcmp(orgKey, "ORG_TRANCES") == 0)
            std::strcpy(orgKey, "ORG_TRANSES");
        const int org = g_OrgManager.GetRowNames().Find(orgKey);
        group->organisation = org >= 0 ? org : freeOrg;
        group->kind = LoadLE<int32_t>(record + 64);
        const int32_t members = LoadLE<int32_t>(record + 68);
        CopyName(group->secondName, sizeof group->secondName, record + 72, 64);
        group->parameter = LoadLE<int32_t>(record + 136);
        if (members < 0 || members > CFerroGroup::kMaxMembers)
            CObjectsFileReader::Fail("group member count", uint32_t(members));
        switch (group->kind) {
        case 0:
        case 1:
            CObjectsFileReader::Skip(8, "group kind data");
            break;
        case 2: {
            const uint32_t n = CObjectsFileReader::ReadU32("hunter value count");
            CObjectsFileReader::CheckCount(n, 4, 0, "hunter value count");
            CObjectsFileReader::Skip(uint64_t(n) * 4, "hunter values");
            break;
        }
        case 3:
        case 4:
            CObjectsFileReader::Skip(4, "group kind data");
            break;
        default:
            break;
        }
        CObjectsFileReader::CheckCount(uint32_t(members), kNameBytes, 0, "group members");
        for (int32_t m = 0; m < members; ++m) {
            uint8_t config[kNameBytes];
            CObjectsFileReader::Read(config, sizeof config, "member configuration");
            CFerrovant& member = group->members[m];
            CopyName(member.name, sizeof member.name, config, kNameBytes);
            member.group = group.get();
        }
        group->count = members;
        if (flagPresent != 0)
            CObjectsFileReader::Skip(1, "group flag byte");
        groups.Add(group.release());
    }
}
