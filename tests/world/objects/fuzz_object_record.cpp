// Fuzz entry: object records laid back to back, walked as the network client walks them, each
// unpacked into a world object of its type as the client's copy would be; a glider rides a
// machine record, which takes a glider record's machine block.
#include "tests/ai/fuzz_machine.h"

#include "net/wire/NetWire.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/CMissileObject.h"
#include "world/objects/CObjectList.h"
#include "world/objects/CTheThing.h"
#include "world/objects/CZJObject.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

CZJObject* NewObjectOf(uint32_t type, CFerrovant& machine)
{
    switch (type) {
    case CZJObject::kGlider: {
        auto* glider = new CGliderObject;
        glider->AssignFerrovant(&machine);
        return glider;
    }
    case CZJObject::kMissile:
        return new CMissileObject;
    case CZJObject::kThing:
        return new CTheThing;
    default:
        return new CZJObject;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace NetWire;
    UseMachineTables();
    CFerrovant machine;
    machine.ApplyConfig(0, false, 0);
    std::vector<uint8_t> records(data, data + size);
    WalkRecords(records.data(), records.size(), UINT32_MAX, UINT32_MAX, [&](const uint8_t* record, uint32_t) {
        CZJObject* object = NewObjectOf(Get<uint32_t>(record, Record::kType), machine);
        ObjectList.AddObject(object);
        int length = 0;
        object->UnpackNetState(record, &length);
    });
    ObjectList.Clear();
    return 0;
}
