// Ogg Theora video files: XRGB8888 frames converted to BT.601 4:2:0 and encoded with
// libtheora. Only a picture stream is written; the files carry no sound.
#pragma once

#include "tools/audio/wav_writer.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace zoq::tools::audio {

struct TheoraParams {
    uint32_t width = 64; // the picture; the coded frame is rounded up to 16
    uint32_t height = 48;
    uint32_t fpsNumerator = 25;
    uint32_t fpsDenominator = 1;
    int quality = 48; // 0..63
};

class TheoraWriter {
public:
    TheoraWriter();
    ~TheoraWriter();
    TheoraWriter(const TheoraWriter&) = delete;
    TheoraWriter& operator=(const TheoraWriter&) = delete;

    bool Begin(const TheoraParams& params, std::string& error);
    // One picture of width x height pixels, rows back to back, 0x00RRGGBB.
    bool AddFrame(std::span<const uint32_t> xrgb, std::string& error);
    // The whole file; the writer is then empty again.
    Bytes Finish();

private:
    struct State;
    bool Encode(bool last, std::string& error);
    std::unique_ptr<State> m_state;
};

// `frames` pictures of one colour each, the usual test clip.
Bytes EncodeSolidClip(const TheoraParams& params, std::span<const uint32_t> colours);

} // namespace zoq::tools::audio
