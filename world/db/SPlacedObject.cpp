#include "world/db/SPlacedObject.h"

#include "world/db/ObjectsFileReader.h"

#include <cstring>

NameKey32 SPlacedObject::TypeKey() const
{
    NameKey32 key;
    std::memcpy(key.text, typeId, sizeof key.text);
    return key;
}

uint32_t ReadBlockHead(uint64_t perEntry, uint64_t limit, const char* what)
{
    CObjectsFileReader::ReadU32("block head");
    const uint32_t count = CObjectsFileReader::ReadU32(what);
    CObjectsFileReader::CheckCount(count, perEntry, limit, what);
    return count;
}

void ReadPlacedObject(SPlacedObject& record)
{
    CObjectsFileReader::Read(&record, sizeof record, "placed object");
    record.typeId[31] = '\0';
    record.propertyText[31] = '\0';
}
