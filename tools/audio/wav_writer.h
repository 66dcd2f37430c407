// WAV files: RIFF chunks built in memory. The builder also makes the odd files that readers
// must refuse (sizes that lie, short chunks), so tests describe them in one place.
#pragma once

#include "foundation/ByteOrder.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zoq::tools::audio {

using ::Bytes;

class RiffBuilder {
public:
    // Appends a chunk. Its size field holds `declaredSize` when given, else the data size;
    // an odd-sized chunk is followed by one pad byte unless `pad` is false.
    RiffBuilder& Chunk(std::string_view id, std::span<const uint8_t> data,
        std::optional<uint32_t> declaredSize = {}, bool pad = true);
    // "RIFF", the size of what follows (or `declaredSize`), the form type and the chunks.
    Bytes Build(std::string_view form = "WAVE", std::optional<uint32_t> declaredSize = {}) const;

private:
    Bytes m_body;
};

struct WavFormat {
    uint16_t channels = 1;
    uint32_t rate = 22050;
    uint16_t bits = 16;
};

// The 16 bytes of a PCM "fmt " chunk.
Bytes PcmFmtChunk(const WavFormat& format);
// A whole PCM file: "fmt " then "data".
Bytes MakeWav(const WavFormat& format, std::span<const uint8_t> pcm);
// 16-bit samples stored little-endian.
Bytes PcmBytes(std::span<const int16_t> samples);

// Writes bytes to a file, replacing it; false with a reason naming the file.
bool WriteBytes(const std::filesystem::path& path, std::span<const uint8_t> bytes, std::string& error);

} // namespace zoq::tools::audio
