// Fuzz entry: the save readers of world objects over the same bytes: the base object's full and
// short records and its object-list record, named and unnamed; the moving object's and the
// camera's records in both forms; the glider's, with and without a machine record; the thing's
// and the building's, named and unnamed.
#include "tests/ai/fuzz_machine.h"

#include "foundation/XMemBuffer.h"
#include "foundation/XRangeError.h"
#include "world/objects/CBuildingObject.h"
#include "world/objects/CCamera.h"
#include "world/objects/CDynamicObject.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/CObjectList.h"
#include "world/objects/CTheThing.h"
#include "world/objects/CZJObject.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

namespace {

// Reads from the bytes until the reader is done or the stream runs out (XRangeError, which the
// section reader of a save catches).
void Read(const uint8_t* data, size_t size, const std::function<void(XMemBuffer&)>& reader)
{
    std::vector<uint8_t> bytes(data, data + size);
    XMemBuffer stream;
    stream.Attach(bytes.data(), int(bytes.size()));
    try {
        reader(stream);
    } catch (const XRangeError&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto* object = new CZJObject;
    ObjectList.AddObject(object);
    int recordSize = 0;
    for (const bool shortForm : { false, true })
        Read(data, size, [&](XMemBuffer& s) { object->LoadGame(s, &recordSize, shortForm); });
    Read(data, size, [&](XMemBuffer& s) { object->LoadFromStream2(s); });
    std::strcpy(object->name, "NAMED");
    Read(data, size, [&](XMemBuffer& s) { object->LoadFromStream2(s); });

    auto* moving = new CDynamicObject;
    auto* camera = new CCamera;
    ObjectList.AddObject(moving);
    ObjectList.AddObject(camera);
    for (const bool shortForm : { false, true }) {
        Read(data, size, [&](XMemBuffer& s) { moving->LoadGame(s, &recordSize, shortForm); });
        Read(data, size, [&](XMemBuffer& s) { camera->LoadGame(s, &recordSize, shortForm); });
    }

    UseMachineTables();
    CFerrovant machine;
    machine.ApplyConfig(0, false, 0);
    auto* bare = new CGliderObject;
    auto* ridden = new CGliderObject;
    ridden->AssignFerrovant(&machine);
    ObjectList.AddObject(bare);
    ObjectList.AddObject(ridden);
    for (const bool shortForm : { false, true }) {
        Read(data, size, [&](XMemBuffer& s) { bare->LoadGame(s, &recordSize, shortForm); });
        Read(data, size, [&](XMemBuffer& s) { ridden->LoadGame(s, &recordSize, shortForm); });
    }
    for (const char* name : { "", "THING" }) {
        auto* thing = new CTheThing;
        std::strcpy(thing->name, name);
        ObjectList.AddObject(thing);
        Read(data, size, [&](XMemBuffer& s) { thing->LoadFromStream2(s); });
    }
    for (const char* name : { "", "BUILDING" }) {
        auto* building = new CBuildingObject;
        std::strcpy(building->name, name);
        ObjectList.AddObject(building);
        Read(data, size, [&](XMemBuffer& s) { building->LoadFromStream2(s); });
    }
    ObjectList.Clear();
    return 0;
}
