// Values shared by the sound layer's calls: results, formats, buffer flags and 3-D settings.
// Vectors are in the callers' left-handed axes; only the OpenAL side converts them.
#pragma once

#include <cstdint>

namespace plat::sound {

enum class Result {
    Ok,
    Fail,
    InvalidArg, // a value out of range or a missing output
    InvalidCall, // the call does not fit the object's state or kind
    ControlUnavailable, // the buffer was created without the control the call needs
    BadFormat, // only 8- and 16-bit PCM with 1 or 2 channels is accepted
    BufferLost,
    NoDriver, // no device could be opened
    OutOfMemory,
};

const char* ResultText(Result result);
inline bool Succeeded(Result result)
{
    return result == Result::Ok;
}

struct Vector {
    float x = 0;
    float y = 0;
    float z = 0;
};

// The fields of a wave format record as WAV files store them.
struct WaveFormat {
    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t samplesPerSec = 0;
    uint32_t avgBytesPerSec = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    uint16_t extraSize = 0;
};

// Format tag of plain PCM, as stored in WAV files.
inline constexpr uint16_t kFormatPcm = 1;

// A PCM format with block align and byte rate filled in.
WaveFormat PcmFormat(uint16_t channels, uint32_t rate, uint16_t bits);

enum class BufferFlags : uint32_t {
    None = 0,
    Ctrl3D = 1u << 0,
    CtrlVolume = 1u << 1,
    CtrlFrequency = 1u << 2,
    CtrlPositionNotify = 1u << 3, // streams through small queued pieces; notifications work
    Mute3DAtMaxDistance = 1u << 4,
    LocSoftware = 1u << 5, // accepted and ignored: every buffer is mixed in software
};

constexpr BufferFlags operator|(BufferFlags a, BufferFlags b)
{
    return static_cast<BufferFlags>(static_cast<uint32_t>(a) | static_cast<uint32_t>(b));
}
constexpr bool Has(BufferFlags set, BufferFlags flag)
{
    return (static_cast<uint32_t>(set) & static_cast<uint32_t>(flag)) != 0;
}

struct BufferDesc {
    BufferFlags flags = BufferFlags::None;
    uint32_t bytes = 0;
    WaveFormat format;
};

struct BufferStatus {
    bool playing = false;
    bool looping = false;
    bool lost = false;
};

// A region of a locked buffer; the second region of a lock is empty unless it wraps.
struct LockRegion {
    uint8_t* data = nullptr;
    uint32_t bytes = 0;
};

enum class Apply {
    Immediate,
    Deferred, // waits for Listener::CommitDeferredSettings
};

enum class Mode3D {
    Normal,
    Disable, // heard at the listener, without 3-D processing
};

// Volumes are hundredths of a decibel.
inline constexpr int32_t kVolumeMin = -10000;
inline constexpr int32_t kVolumeMax = 0;
inline constexpr uint32_t kFrequencyOriginal = 0;
inline constexpr uint32_t kFrequencyMin = 100;
inline constexpr uint32_t kFrequencyMax = 200000;

} // namespace plat::sound
