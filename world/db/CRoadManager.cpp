#include "world/db/CRoadManager.h"

#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "world/db/FactoryHelpers.h"
#include "world/db/ObjectsFileReader.h"
#include "world/db/ResourceIds.h"
#include "world/db/SPlacedObject.h"
#include "world/objects/CRoadObject.h"

#include <cstdio>
#include <cstring>

CRoadManager g_RoadManager;

namespace {

constexpr SField<SRoadType> kFields[] = { { "Model", &SRoadType::model, FindModelId } };

constexpr uint64_t kMinEntryBytes = sizeof(SPlacedObject) + 4;

void RemoveLink(SRoadNode& node, int k)
{
    for (int m = k; m + 1 < node.linkCount; ++m)
        node.links[m] = node.links[m + 1];
    --node.linkCount;
}

bool HasLink(const SRoadNode& node, int32_t index)
{
    for (int k = 0; k < node.linkCount; ++k)
        if (node.links[k] == index)
            return true;
    return false;
}

} // namespace

CRoadManager::CRoadManager()
    : CZJTypeManager(8, kFields)
{
}

void CRoadManager::Init(const char* table)
{
    ZJ_TRACE("CRoadManager::Init");
    ReadRows(table);
}

CZJObject* CRoadManager::CreateObject(NameKey32 typeId, const float* placement, const char* propertyText)
{
    return CreateObjectOf<CRoadObject>(typeId, placement, propertyText);
}

void CRoadManager::LoadObjects()
{
    ZJ_TRACE("CRoadManager::LoadObjects");
    const uint32_t count = ReadBlockHead(kMinEntryBytes, 0, "road node count");
    m_nodes.SetSize(int(count));
    for (uint32_t i = 0; i < count; ++i) {
        SPlacedObject record;
        ReadPlacedObject(record);
        const uint32_t words = CObjectsFileReader::ReadU32("road word count");
        if (words == 0)
            CObjectsFileReader::Fail("road word count", words);
        CObjectsFileReader::CheckCount(words, 4, kMaxWords, "road word count");
        if (words - 1 > uint32_t(SRoadNode::kMaxLinks))
            CObjectsFileReader::Fail("road link count", words - 1);
        SRoadNode& node = m_nodes.At(int(i));
        node.id = int32_t(CObjectsFileReader::ReadU32("road node id"));
        for (uint32_t w = 1; w < words; ++w)
            node.links[node.linkCount++] = int32_t(CObjectsFileReader::ReadU32("road link"));
        for (int k = 0; k < node.linkCount;) {
            if (node.links[k] == -1) {
                WriteErrorLog("Found unlinked road link");
                RemoveLink(node, k);
            } else {
                ++k;
            }
        }
        std::memcpy(node.name, record.propertyText, sizeof node.name);
        node.position[0] = record.placement[12];
        node.position[1] = record.placement[13];
        node.position[2] = record.placement[14];
    }
    // Ids to node indices; a link to no node is dropped.
    for (SRoadNode& node : m_nodes) {
        for (int k = 0; k < node.linkCount;) {
            int32_t index = -1;
            for (int n = 0; n < m_nodes.Count(); ++n) {
                if (m_nodes.At(n).id == node.links[k]) {
                    index = n;
                    break;
                }
            }
            if (index < 0) {
                WriteErrorLog("Error while converting road links");
                RemoveLink(node, k);
            } else {
                node.links[k++] = index;
            }
        }
    }
    // Two-way links.
    for (int i = 0; i < m_nodes.Count(); ++i) {
        SRoadNode& node = m_nodes.At(i);
        for (int k = 0; k < node.linkCount; ++k) {
            SRoadNode& other = m_nodes.At(node.links[k]);
            if (HasLink(other, i))
                continue;
            if (other.linkCount >= SRoadNode::kMaxLinks) {
                char line[128];
                std::snprintf(line, sizeof line,
                    "CRoadManager::LoadObjects road link %d->%d skipped: %d links", node.links[k], i,
                    other.linkCount);
                WriteErrorLog(line);
                continue;
            }
            other.links[other.linkCount++] = i;
        }
    }
}

int CRoadManager::FindNodeByName(const char* name) const
{
    if (!name)
        return -1;
    for (int i = 0; i < m_nodes.Count(); ++i) {
        const SRoadNode& node = m_nodes.At(i);
        if (node.name[0] != '\0' && std::strncmp(node.name, name, sizeof node.name) == 0)
            return i;
    }
    return -1;
}
