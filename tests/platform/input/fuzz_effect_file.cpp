// Effect files are untrusted: any bytes must parse or fail cleanly, and a parsed file must map onto a
// haptic device.
#include "platform/input/effect.h"
#include "platform/input/effect_file.h"
#include "platform/input/recording_haptic.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace plat::input;
    EffectFile file;
    EffectFileError error;
    if (!ParseEffectFile(std::string_view(reinterpret_cast<const char*>(data), size), file, error))
        return 0;
    if (file.effects.empty() || file.effects.size() > kMaxEffects)
        __builtin_trap();
    auto device = std::make_shared<RecordingHaptic>();
    auto effect = CreateEffect(device, file);
    if (!effect)
        __builtin_trap();
    effect->Start(1);
    effect->Stop();
    return 0;
}
