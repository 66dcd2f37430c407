// Ogg Vorbis files encoded with vorbisenc. A chained file is two encodings, back to back,
// with different stream serial numbers.
#pragma once

#include "tools/audio/wav_writer.h"

#include <cstdint>
#include <span>

namespace zoq::tools::audio {

struct VorbisOptions {
    float quality = 0.4f; // -0.1 .. 1.0
    int serial = 1; // the logical stream's serial number
};

// Interleaved samples, nominally -1..1. Empty on an encoder failure.
Bytes EncodeVorbis(
    std::span<const float> interleaved, uint16_t channels, uint32_t rate, const VorbisOptions& options = {});

} // namespace zoq::tools::audio
