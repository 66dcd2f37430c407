// Fuzz entry: the input is an object-list save section, read over a small location (two named
// objects, two helper points) and written again; the sensors must stay real points.
#include "foundation/CallTrace.h"
#include "foundation/XMemBuffer.h"
#include "tests/support/error_log_test.h"
#include "world/objects/CHelperPoint.h"
#include "world/objects/CObjectList.h"
#include "world/objects/CZJObject.h"
#include "world/terrain/CLocation.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

void MakeLocation()
{
    Location.blocksX = Location.blocksY = 4;
    const struct {
        const char* name;
        int32_t type;
    } objects[] = { { "ROCK", 3 }, { "HOUSE", 11 } };
    for (const auto& o : objects) {
        auto* object = new CZJObject;
        std::snprintf(object->name, sizeof object->name, "%s", o.name);
        object->type = o.type;
        object->saved = 1;
        ObjectList.AddObject(object);
    }
    for (const char* name : { "P1", "P2" }) {
        const float placement[16] = { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 100, 100, 0, 1 };
        ObjectList.AddHelperPoint(new CHelperPoint(placement, name, 7));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool quiet = [] {
        zoq::test::DiscardErrorLog();
        return true;
    }();
    (void)quiet;
    MakeLocation();
    std::vector<uint8_t> bytes(data, data + size);
    XMemBuffer in;
    in.Attach(bytes.data(), int(bytes.size()));
    ObjectList.LoadGame(in);
    const auto& sensors = ObjectList.Sensors();
    if (sensors.Count() > 2)
        std::abort();
    for (int i = 0; i < sensors.Count(); ++i)
        if (sensors.At(i) == nullptr)
            std::abort();
    XMemBuffer out(16);
    ObjectList.SaveGame(out);
    ObjectList.Clear();
    Location.Purge();
    ResetCallTrace();
    return 0;
}
