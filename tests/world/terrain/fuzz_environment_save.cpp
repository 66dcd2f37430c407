// Fuzz entry: the input is an environment save section, read over a location of three weather
// records, run for a while and written again.
#include "foundation/CallTrace.h"
#include "foundation/XMemBuffer.h"
#include "tests/support/error_log_test.h"
#include "world/terrain/CEnvironment.h"

#include <cstdint>
#include <cstdlib>
#include <exception>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool quiet = [] {
        zoq::test::DiscardErrorLog();
        return true;
    }();
    (void)quiet;
    Environment.Reset();
    Environment.weathers.assign(3, SWeatherState {});
    for (SWeatherState& record : Environment.weathers) {
        record.weight = 1.0f;
        record.cloud1.index = record.cloud2.index = record.sun.index = -1;
        record.moon.index = record.sky1.index = record.sky2.index = -1;
    }
    Environment.weathers[2].kind = 1;
    std::vector<uint8_t> bytes(data, data + size);
    XMemBuffer in;
    in.Attach(bytes.data(), int(bytes.size()));
    if (Environment.LoadGame(in)) {
        Environment.frozen = 0;
        try {
            for (int step = 0; step < 8; ++step)
                Environment.Run(100.0f);
        } catch (const std::exception&) {
        }
        XMemBuffer out(16);
        Environment.SaveGame(out);
        if (out.Position() != CEnvironment::kSaveSize)
            std::abort();
    }
    Environment.Reset();
    ResetCallTrace();
    return 0;
}
