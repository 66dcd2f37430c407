#include "world/db/CBoundaryManager.h"

#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "world/db/FactoryHelpers.h"
#include "world/db/ObjectsFileReader.h"
#include "world/db/ResourceIds.h"
#include "world/db/SPlacedObject.h"
#include "world/objects/CBoundObject.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr SField<SBoundaryType> kFields[] = {
    { "Model", &SBoundaryType::model, FindModelId },
    { "PostModel", &SBoundaryType::texture, FindTextureId },
};

} // namespace

CBoundaryManager g_BoundaryManager;

CBoundaryManager::CBoundaryManager()
    : CZJTypeManager(23, kFields)
{
}

void CBoundaryManager::Init(const char* table)
{
    ZJ_TRACE("CBoundaryManager::Init");
    ReadRows(table);
}

CZJObject* CBoundaryManager::CreateObject(NameKey32 typeId, const float* placement, const char* propertyText)
{
    return CreateObjectOf<CBoundObject>(typeId, placement, propertyText);
}

void CBoundaryManager::LoadObjects()
{
    ZJ_TRACE("CBoundaryManager::LoadObjects");
    const uint32_t count = ReadBlockHead(sizeof(SPlacedObject) + 4, 0, "boundary count");
    for (uint32_t i = 0; i < count; ++i) {
        SPlacedObject record;
        ReadPlacedObject(record);
        const uint32_t words = CObjectsFileReader::ReadU32("boundary word count");
        if (words == 0)
            CObjectsFileReader::Fail("boundary word count", words);
        CObjectsFileReader::CheckCount(words, 4, kMaxWords, "boundary word count");
        if (words - 1 > uint32_t(CBoundObject::kMaxLinks))
            CObjectsFileReader::Fail("boundary link count", words - 1);
        uint32_t values[CBoundObject::kMaxLinks + 1];
        CObjectsFileReader::Read(values, uint64_t(words) * 4, "boundary words");
        if (FindRow(record.typeId) < 0) {
            char line[96];
            std::snprintf(
                line, sizeof line, "CBoundaryManager::LoadObjects ID='%s' not found", record.typeId);
            WriteErrorLog(line);
            continue;
        }
        auto* post = static_cast<CBoundObject*>(
            CreateObject(record.TypeKey(), record.placement, record.propertyText));
        post->id = int32_t(values[0]);
        post->linkCount = int32_t(words - 1);
        for (uint32_t k = 1; k < words; ++k)
            post->linkIds[k - 1] = values[k];
        ObjectList.lastObjectId = std::max(ObjectList.lastObjectId, post->id);
    }
    XDynamicArray<CZJObject*> posts;
    ObjectList.GetObjectList(23, posts);
    for (CZJObject* object : posts) {
        auto* post = static_cast<CBoundObject*>(object);
        int kept = 0;
        for (int k = 0; k < post->linkCount; ++k) {
            CZJObject* other = ObjectList.FindObjectById(post->linkIds[k]);
            if (other == nullptr || other->type != 23)
                continue;
            const Vec3 d { other->frame.position.x - post->frame.position.x,
                other->frame.position.y - post->frame.position.y,
                other->frame.position.z - post->frame.position.z };
            if (Vec3Length(d) > kMaxLinkDistance)
                continue;
            post->linkIds[kept] = post->linkIds[k];
            post->links[kept++] = static_cast<CBoundObject*>(other);
        }
        for (int k = kept; k < CBoundObject::kMaxLinks; ++k)
            post->links[k] = nullptr;
        post->linkCount = kept;
        post->UpdateBounds();
    }
}
