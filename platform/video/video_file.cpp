#include "platform/video/video_file.h"

#include "platform/win/clock.h"
#include "platform/win/debug.h"

#include <theora/theoradec.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>

namespace plat::video {

namespace {

void Report(const std::string& call, const std::string& reason)
{
    plat::win::DebugOutput("plat::video::" + call + ": " + reason);
}

struct Packet {
    std::vector<uint8_t> bytes;
};

uint8_t Clamp255(int v)
{
    return static_cast<uint8_t>(std::clamp(v, 0, 255));
}

} // namespace

struct VideoFile::State {
    th_info info {};
    th_comment comment {};
    th_setup_info* setup = nullptr;
    th_dec_ctx* decoder = nullptr;
    std::vector<Packet> packets; // the Theora data packets, one per frame
    uint32_t frames = 0;
    uint32_t current = 1;
    uint32_t decoded = 0; // frames fed to the decoder
    bool started = false;
    int64_t startTime = 0;
    std::vector<uint32_t> picture;

    State()
    {
        th_info_init(&info);
        th_comment_init(&comment);
    }
    ~State()
    {
        if (decoder)
            th_decode_free(decoder);
        if (setup)
            th_setup_free(setup);
        th_comment_clear(&comment);
        th_info_clear(&info);
    }
};

VideoFile::VideoFile(Counter counter)
    : m_counter(std::move(counter))
{
    if (!m_counter)
        m_counter = plat::win::CounterNow;
}

VideoFile::~VideoFile() = default;

bool VideoFile::Open(const std::string& path)
{
    Close();
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        Report("VideoFile::Open", "cannot open " + path);
        return false;
    }
    std::vector<uint8_t> bytes;
    uint8_t chunk[65536];
    size_t n = 0;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + n);
    std::fclose(file);
    if (!OpenMemory(bytes)) {
        Report("VideoFile::Open", "no Theora video in " + path);
        return false;
    }
    return true;
}

bool VideoFile::OpenMemory(std::span<const uint8_t> bytes)
{
    Close();
    auto state = std::make_unique<State>();
    ogg_sync_state sync;
    ogg_sync_init(&sync);
    // The Theora stream is the first one whose first packet is a Theora header.
    std::map<int, ogg_stream_state> streams;
    int theoraSerial = -1;
    bool headersDone = false;
    int headerCount = 0;
    bool failed = false;
    int64_t lastGranule = -1;

    size_t fed = 0;
    while (!failed) {
        ogg_page page;
        const int got = ogg_sync_pageout(&sync, &page);
        if (got < 0)
            continue; // skipped damaged bytes
        if (got == 0) {
            if (fed >= bytes.size())
                break;
            const size_t n = std::min<size_t>(65536, bytes.size() - fed);
            char* buffer = ogg_sync_buffer(&sync, static_cast<long>(n));
            if (!buffer)
                break;
            std::memcpy(buffer, bytes.data() + fed, n);
            ogg_sync_wrote(&sync, static_cast<long>(n));
            fed += n;
            continue;
        }
        const int serial = ogg_page_serialno(&page);
        if (theoraSerial >= 0 && serial != theoraSerial)
            continue;
        auto it = streams.find(serial);
        if (it == streams.end()) {
            if (!ogg_page_bos(&page) || theoraSerial >= 0)
                continue;
            it = streams.emplace(serial, ogg_stream_state {}).first;
            ogg_stream_init(&it->second, serial);
        }
        if (ogg_stream_pagein(&it->second, &page) != 0)
            continue;
        if (serial == theoraSerial && ogg_page_granulepos(&page) >= 0)
            lastGranule = ogg_page_granulepos(&page);
        ogg_packet packet;
        while (ogg_stream_packetout(&it->second, &packet) != 0) {
            if (packet.bytes < 0)
                continue;
            if (theoraSerial < 0) {
                // A stream's first packet decides whether it is the video.
                if (th_decode_headerin(&state->info, &state->comment, &state->setup, &packet) > 0) {
                    theoraSerial = serial;
                    headerCount = 1;
                    if (ogg_page_granulepos(&page) >= 0)
                        lastGranule = ogg_page_granulepos(&page);
                } else {
                    ogg_stream_clear(&it->second);
                    streams.erase(it);
                    break;
                }
                continue;
            }
            if (!headersDone) {
                const int r = th_decode_headerin(&state->info, &state->comment, &state->setup, &packet);
                if (r > 0) {
                    ++headerCount;
                    continue;
                }
                if (r < 0 || headerCount < 3 || !state->setup) {
                    failed = true;
                    break;
                }
                headersDone = true;
            }
            state->packets.push_back({ std::vector<uint8_t>(packet.packet, packet.packet + packet.bytes) });
        }
    }
    for (auto& [serial, stream] : streams)
        ogg_stream_clear(&stream);
    ogg_sync_clear(&sync);

    const th_info& info = state->info;
    if (failed || theoraSerial < 0 || !headersDone || state->packets.empty()) {
        Report("VideoFile::OpenMemory", "no complete Theora stream");
        return false;
    }
    if (info.pic_width == 0 || info.pic_height == 0 || info.frame_width > kMaxSide
        || info.frame_height > kMaxSide || uint64_t(info.frame_width) * info.frame_height > kMaxPixels
        || info.pixel_fmt == TH_PF_RSVD || info.fps_numerator == 0 || info.fps_denominator == 0) {
        Report("VideoFile::OpenMemory", "unsupported picture size, format or frame rate");
        return false;
    }
    state->decoder = th_decode_alloc(&info, state->setup);
    if (!state->decoder) {
        Report("VideoFile::OpenMemory", "th_decode_alloc failed");
        return false;
    }
    uint64_t frames = state->packets.size();
    if (lastGranule >= 0) {
        const int64_t last = th_granule_frame(state->decoder, lastGranule);
        if (last >= 0)
            frames = std::min<uint64_t>(frames, uint64_t(last) + 1);
    }
    state->frames = static_cast<uint32_t>(std::max<uint64_t>(frames, 1));
    state->picture.assign(size_t(info.pic_width) * info.pic_height, 0);
    m_state = std::move(state);
    return true;
}

void VideoFile::Close()
{
    m_state.reset();
}
bool VideoFile::IsOpen() const
{
    return m_state != nullptr;
}
uint32_t VideoFile::Width() const
{
    return m_state ? m_state->info.pic_width : 0;
}
uint32_t VideoFile::Height() const
{
    return m_state ? m_state->info.pic_height : 0;
}
uint32_t VideoFile::FrameCount() const
{
    return m_state ? m_state->frames : 0;
}
uint32_t VideoFile::FrameNum() const
{
    return m_state ? m_state->current : 0;
}

double VideoFile::FramesPerSecond() const
{
    if (!m_state)
        return 0;
    return double(m_state->info.fps_numerator) / double(m_state->info.fps_denominator);
}

bool VideoFile::Wait()
{
    if (!m_state)
        return false;
    State& s = *m_state;
    const int64_t now = m_counter();
    if (!s.started) {
        s.started = true;
        s.startTime = now;
    }
    // Frame n is due (n - 1) frame times after the start.
    const int64_t due = s.startTime
        + int64_t((s.current - 1) * 1'000'000'000.0 * s.info.fps_denominator / s.info.fps_numerator);
    return now < due;
}

bool VideoFile::DoFrame()
{
    if (!m_state)
        return false;
    State& s = *m_state;
    if (!s.started) {
        s.started = true;
        s.startTime = m_counter();
    }
    const uint32_t target = std::min<uint32_t>(s.current, static_cast<uint32_t>(s.packets.size()));
    bool fresh = false;
    while (s.decoded < target) {
        Packet& p = s.packets[s.decoded];
        ogg_packet packet {};
        packet.packet = p.bytes.data();
        packet.bytes = static_cast<long>(p.bytes.size());
        packet.granulepos = -1;
        packet.packetno = s.decoded + 3;
        ogg_int64_t granule = 0;
        const int r = th_decode_packetin(s.decoder, &packet, &granule);
        ++s.decoded;
        if (r == 0)
            fresh = true;
    }
    if (!fresh)
        return true; // a repeated frame, or one the decoder refused: the picture stays
    th_ycbcr_buffer planes;
    if (th_decode_ycbcr_out(s.decoder, planes) != 0)
        return false;
    const th_info& info = s.info;
    const int xdec = !(info.pixel_fmt & 1);
    const int ydec = !(info.pixel_fmt & 2);
    for (uint32_t row = 0; row < info.pic_height; ++row) {
        const uint32_t fy = info.pic_y + row;
        const uint8_t* yRow = planes[0].data + ptrdiff_t(fy) * planes[0].stride;
        const uint8_t* cbRow = planes[1].data + ptrdiff_t(fy >> ydec) * planes[1].stride;
        const uint8_t* crRow = planes[2].data + ptrdiff_t(fy >> ydec) * planes[2].stride;
        uint32_t* out = s.picture.data() + size_t(row) * info.pic_width;
        for (uint32_t col = 0; col < info.pic_width; ++col) {
            const uint32_t fx = info.pic_x + col;
            // BT.601, studio range.
            const int c = (yRow[fx] - 16) * 298;
            const int d = cbRow[fx >> xdec] - 128;
            const int e = crRow[fx >> xdec] - 128;
            const uint8_t r = Clamp255((c + 409 * e + 128) >> 8);
            const uint8_t g = Clamp255((c - 100 * d - 208 * e + 128) >> 8);
            const uint8_t b = Clamp255((c + 516 * d + 128) >> 8);
            out[col] = uint32_t(r) << 16 | uint32_t(g) << 8 | b;
        }
    }
    return true;
}

void VideoFile::NextFrame()
{
    if (m_state && m_state->current < m_state->frames)
        ++m_state->current;
}

void VideoFile::CopyToBuffer(uint8_t* dest, uint32_t pitch, uint32_t destHeight, int32_t x, int32_t y) const
{
    if (!m_state || !dest)
        return;
    const int64_t destWidth = pitch / 4;
    const int64_t width = m_state->info.pic_width;
    const int64_t height = m_state->info.pic_height;
    const int64_t left = std::max<int64_t>(0, -int64_t(x));
    const int64_t right = std::min<int64_t>(width, destWidth - x);
    if (right <= left)
        return;
    for (int64_t row = 0; row < height; ++row) {
        const int64_t dy = int64_t(y) + row;
        if (dy < 0)
            continue;
        if (dy >= destHeight)
            break;
        const uint32_t* from = m_state->picture.data() + row * width + left;
        std::memcpy(dest + dy * pitch + (x + left) * 4, from, size_t(right - left) * 4);
    }
}

const std::vector<uint32_t>& VideoFile::Picture() const
{
    static const std::vector<uint32_t> kNone;
    return m_state ? m_state->picture : kNone;
}

} // namespace plat::video
