// Save-game section 4: i32 N, N records {char[32] name, i32 type, the object's SaveToStream2},
// i32 M, M sensor names char[32]. The reader takes the bytes as untrusted: a short payload or a
// record it cannot match ends the section, keeping what was read before.
#include "world/objects/CObjectList.h"

#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "foundation/XMemBuffer.h"
#include "foundation/XRangeError.h"
#include "world/objects/CHelperPoint.h"
#include "world/objects/CTheThing.h"
#include "world/objects/CZJObject.h"

#include <cstring>
#include <memory>

namespace {

constexpr int kNameSize = 32;

void WriteName(XMemBuffer& stream, const char* name)
{
    char field[kNameSize] = {};
    std::memcpy(field, name, strnlen(name, kNameSize - 1));
    stream.Write(field, kNameSize);
}

NameKey32 ReadName(XMemBuffer& stream)
{
    char field[kNameSize];
    stream.Read(field, kNameSize);
    field[kNameSize - 1] = 0;
    return MakeNameKey32(field);
}

} // namespace

void CObjectList::SaveGame(XMemBuffer& stream) const
{
    ZJ_TRACE("CObjectList::SaveGame");
    const int countAt = stream.Reserve(4);
    int32_t count = 0;
    for (CZJObject* object : m_objects) {
        if (!object->saved)
            continue;
        WriteName(stream, object->name);
        stream.WriteValue(object->type);
        object->SaveToStream2(stream);
        ++count;
    }
    const int end = stream.Position();
    stream.SetPosition(countAt);
    stream.WriteValue(count);
    stream.SetPosition(end);

    stream.WriteValue(int32_t(m_sensors.Count()));
    for (int i = 0; i < m_sensors.Count(); ++i)
        WriteName(stream, m_sensors.At(i)->name);
}

void CObjectList::LoadGame(XMemBuffer& stream)
{
    ZJ_TRACE("CObjectList::LoadGame");
    try {
        const int32_t count = stream.ReadI32();
        for (int32_t i = 0; i < count; ++i) {
            const NameKey32 name = ReadName(stream);
            const int32_t type = stream.ReadI32();
            if (name.text[0] != 0) {
                CZJObject* object = FindObject(name, type);
                if (!object) {
                    WriteErrorLog("CObjectList::LoadGame object not found");
                    return;
                }
                object->LoadFromStream2(stream);
            } else if (type == CZJObject::kThing) {
                auto thing = std::make_unique<CTheThing>();
                thing->LoadFromStream2(stream);
                AddObject(thing.release());
            } else {
                WriteErrorLog("CObjectList::LoadGame object type error");
                return;
            }
        }

        const int32_t sensors = stream.ReadI32();
        m_sensors.Clear();
        for (int32_t i = 0; i < sensors; ++i) {
            CHelperPoint* point = FindHelperPoint(ReadName(stream));
            if (point && !m_sensors.IsFull() && !IsSensor(point))
                m_sensors.Add(point);
        }
    } catch (const XRangeError&) {
        WriteErrorLog("CObjectList::LoadGame section ends early");
    }
}
