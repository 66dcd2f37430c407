// Fuzz entry: the input is the payload of a map file's environment chunk, taken in and then run
// for a game day with its records.
#include "foundation/CallTrace.h"
#include "tests/support/error_log_test.h"
#include "world/terrain/CEnvironment.h"

#include <cstdint>
#include <exception>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool quiet = [] {
        zoq::test::DiscardErrorLog();
        return true;
    }();
    (void)quiet;
    Environment.Reset();
    if (Environment.LoadChunk(data, size) && Environment.WeatherCount() > 0) {
        Environment.frozen = 0;
        Environment.hour = 10.0f;
        try {
            Environment.SetWeather(Environment.WeatherCount() - 1, true);
            for (int step = 0; step < 24; ++step)
                Environment.Run(150.0f);
        } catch (const std::exception&) {
        }
    }
    Environment.SetWeather(-1, false);
    Environment.effect.reset();
    Environment.Reset();
    ResetCallTrace();
    return 0;
}
