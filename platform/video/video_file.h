// A video clip in an Ogg Theora file. The whole file is read at open; only the Theora stream
// is decoded (other streams, sound included, are skipped). Frames are numbered from 1 and are
// due at the stream's frame rate on a counter that tests may replace.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace plat::video {

// Nanoseconds on a monotonic counter.
using Counter = std::function<int64_t()>;

// The largest picture accepted, in pixels per side and in all.
inline constexpr uint32_t kMaxSide = 8192;
inline constexpr uint64_t kMaxPixels = 4096ull * 4096ull;

class VideoFile {
public:
    // An empty counter takes the platform's high-resolution counter.
    explicit VideoFile(Counter counter = {});
    ~VideoFile();
    VideoFile(const VideoFile&) = delete;
    VideoFile& operator=(const VideoFile&) = delete;

    // A POSIX path, already resolved. False (with a debug line) when the file is missing or
    // holds no decodable Theora stream.
    bool Open(const std::string& path);
    bool OpenMemory(std::span<const uint8_t> bytes);
    void Close();
    bool IsOpen() const;

    // The picture region.
    uint32_t Width() const;
    uint32_t Height() const;
    // From the last granule position, at most the number of frames stored.
    uint32_t FrameCount() const;
    // The current frame, from 1.
    uint32_t FrameNum() const;
    double FramesPerSecond() const;

    // True while the current frame is not yet due. The first call starts the clip's clock.
    bool Wait();
    // Decodes the current frame (and any skipped before it) into the picture.
    bool DoFrame();
    void NextFrame();
    // The decoded picture as XRGB8888 at (x, y) of a destination `pitch` bytes per row, clipped
    // to pitch / 4 columns and `destHeight` rows.
    void CopyToBuffer(uint8_t* dest, uint32_t pitch, uint32_t destHeight, int32_t x, int32_t y) const;
    // The decoded picture itself, Width() x Height().
    const std::vector<uint32_t>& Picture() const;

private:
    struct State;
    Counter m_counter;
    std::unique_ptr<State> m_state;
};

} // namespace plat::video
