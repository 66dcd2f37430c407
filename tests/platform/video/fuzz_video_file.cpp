// Any bytes given to the video reader: it refuses or decodes, never crashes.
#include "platform/video/video_file.h"
#include "platform/win/debug.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool quiet = (plat::win::SetDebugOutputEnabled(false), true);
    (void)quiet;
    plat::video::VideoFile video([] { return int64_t(0); });
    if (!video.OpenMemory({ data, size }))
        return 0;
    std::vector<uint8_t> dest(64 * 4 * 48);
    for (int i = 0; i < 8 && video.FrameNum() <= video.FrameCount(); ++i) {
        video.DoFrame();
        video.CopyToBuffer(dest.data(), 64 * 4, 48, -3, 5);
        if (video.FrameNum() == video.FrameCount())
            break;
        video.NextFrame();
    }
    return 0;
}
