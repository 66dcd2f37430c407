// Fuzz entry: any bytes as save-game section 6 of the radar on a 64 x 64 location grid. A section
// whose length does not fit its version leaves the radar as it was; one that loads saves again
// to the same bytes up to the version.
#include "foundation/XMemBuffer.h"
#include "tests/support/error_log_test.h"
#include "ui/CRadar.h"
#include "world/terrain/CLocation.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static CRadar* const radar = [] {
        zoq::test::DiscardErrorLog();
        Location.blocksX = Location.blocksY = 64;
        auto* made = new CRadar();
        made->InitLocation("none.mmm");
        return made;
    }();
    std::fill(radar->explored.begin(), radar->explored.end(), uint8_t(7));
    radar->markShown = 0;
    radar->tracking = 0;
    radar->markPosition = { 1, 2, 3 };
    std::vector<uint8_t> bytes(data, data + size);
    XMemBuffer stream;
    stream.Attach(bytes.data(), int(bytes.size()));
    const bool loaded = radar->Load(stream);
    if (!loaded) {
        for (uint8_t value : radar->explored)
            if (value != 7)
                __builtin_trap();
        if (radar->markPosition.x != 1.0f || radar->markShown != 0)
            __builtin_trap();
        return 0;
    }
    if (radar->explored.size() != 512u * 512u
        || std::memcmp(radar->explored.data(), bytes.data() + 4, radar->explored.size()) != 0)
        __builtin_trap();
    XMemBuffer again;
    radar->Save(again);
    if (again.Position() != 4 + 512 * 512 + 46)
        __builtin_trap();
    return 0;
}
