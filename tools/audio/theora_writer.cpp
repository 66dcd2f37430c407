#include "tools/audio/theora_writer.h"

#include <theora/theoraenc.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace zoq::tools::audio {

struct TheoraWriter::State {
    TheoraParams params;
    th_enc_ctx* encoder = nullptr;
    ogg_stream_state stream {};
    bool streamOpen = false;
    Bytes out;
    // The frame waiting to be encoded: the last one must be flagged as last.
    std::vector<uint8_t> planes[3];
    uint32_t frameWidth = 0;
    uint32_t frameHeight = 0;
    bool pending = false;

    ~State()
    {
        if (encoder)
            th_encode_free(encoder);
        if (streamOpen)
            ogg_stream_clear(&stream);
    }
    void Append(const ogg_page& page)
    {
        out.insert(out.end(), page.header, page.header + page.header_len);
        out.insert(out.end(), page.body, page.body + page.body_len);
    }
};

TheoraWriter::TheoraWriter() = default;
TheoraWriter::~TheoraWriter() = default;

bool TheoraWriter::Begin(const TheoraParams& params, std::string& error)
{
    m_state = std::make_unique<State>();
    State& s = *m_state;
    if (params.width == 0 || params.height == 0 || params.width > 4096 || params.height > 4096
        || params.fpsNumerator == 0 || params.fpsDenominator == 0) {
        error = "bad video size or frame rate";
        return false;
    }
    s.params = params;
    s.frameWidth = (params.width + 15) & ~15u;
    s.frameHeight = (params.height + 15) & ~15u;

    th_info info;
    th_info_init(&info);
    info.frame_width = s.frameWidth;
    info.frame_height = s.frameHeight;
    info.pic_width = params.width;
    info.pic_height = params.height;
    info.pic_x = 0;
    info.pic_y = 0;
    info.fps_numerator = params.fpsNumerator;
    info.fps_denominator = params.fpsDenominator;
    info.aspect_numerator = 1;
    info.aspect_denominator = 1;
    info.colorspace = TH_CS_ITU_REC_470BG;
    info.pixel_fmt = TH_PF_420;
    info.quality = std::clamp(params.quality, 0, 63);
    info.target_bitrate = 0;
    s.encoder = th_encode_alloc(&info);
    th_info_clear(&info);
    if (!s.encoder) {
        error = "th_encode_alloc refused the settings";
        return false;
    }
    ogg_stream_init(&s.stream, 0x7E0);
    s.streamOpen = true;

    th_comment comment;
    th_comment_init(&comment);
    ogg_packet packet;
    ogg_page page;
    bool first = true;
    while (th_encode_flushheader(s.encoder, &comment, &packet) > 0) {
        ogg_stream_packetin(&s.stream, &packet);
        // The identification header sits alone on the first page.
        if (first) {
            while (ogg_stream_flush(&s.stream, &page) != 0)
                s.Append(page);
            first = false;
        }
    }
    th_comment_clear(&comment);
    while (ogg_stream_flush(&s.stream, &page) != 0)
        s.Append(page);

    s.planes[0].assign(size_t(s.frameWidth) * s.frameHeight, 16);
    s.planes[1].assign(size_t(s.frameWidth / 2) * (s.frameHeight / 2), 128);
    s.planes[2].assign(size_t(s.frameWidth / 2) * (s.frameHeight / 2), 128);
    return true;
}

namespace {

// BT.601, studio range.
uint8_t ToByte(double v)
{
    return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}

} // namespace

bool TheoraWriter::AddFrame(std::span<const uint32_t> xrgb, std::string& error)
{
    if (!m_state || !m_state->encoder) {
        error = "Begin was not called";
        return false;
    }
    State& s = *m_state;
    const uint32_t w = s.params.width;
    const uint32_t h = s.params.height;
    if (xrgb.size() != size_t(w) * h) {
        error = "frame has the wrong number of pixels";
        return false;
    }
    if (s.pending && !Encode(false, error))
        return false;
    const uint32_t cw = s.frameWidth / 2;
    for (uint32_t y = 0; y < s.frameHeight; ++y) {
        for (uint32_t x = 0; x < s.frameWidth; ++x) {
            const uint32_t p = xrgb[size_t(std::min(y, h - 1)) * w + std::min(x, w - 1)];
            const double r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
            s.planes[0][size_t(y) * s.frameWidth + x]
                = ToByte(16 + (65.481 * r + 128.553 * g + 24.966 * b) / 255);
        }
    }
    for (uint32_t y = 0; y < s.frameHeight / 2; ++y) {
        for (uint32_t x = 0; x < cw; ++x) {
            double r = 0, g = 0, b = 0;
            for (uint32_t k = 0; k < 4; ++k) {
                const uint32_t px = std::min(2 * x + k % 2, w - 1);
                const uint32_t py = std::min(2 * y + k / 2, h - 1);
                const uint32_t p = xrgb[size_t(py) * w + px];
                r += (p >> 16) & 0xFF;
                g += (p >> 8) & 0xFF;
                b += p & 0xFF;
            }
            r /= 4;
            g /= 4;
            b /= 4;
            s.planes[1][size_t(y) * cw + x] = ToByte(128 + (-37.797 * r - 74.203 * g + 112.0 * b) / 255);
            s.planes[2][size_t(y) * cw + x] = ToByte(128 + (112.0 * r - 93.786 * g - 18.214 * b) / 255);
        }
    }
    s.pending = true;
    return true;
}

bool TheoraWriter::Encode(bool last, std::string& error)
{
    State& s = *m_state;
    th_ycbcr_buffer image;
    for (int i = 0; i < 3; ++i) {
        image[i].width = static_cast<int>(i == 0 ? s.frameWidth : s.frameWidth / 2);
        image[i].height = static_cast<int>(i == 0 ? s.frameHeight : s.frameHeight / 2);
        image[i].stride = image[i].width;
        image[i].data = s.planes[i].data();
    }
    if (th_encode_ycbcr_in(s.encoder, image) != 0) {
        error = "th_encode_ycbcr_in failed";
        return false;
    }
    ogg_packet packet;
    ogg_page page;
    while (th_encode_packetout(s.encoder, last ? 1 : 0, &packet) > 0) {
        ogg_stream_packetin(&s.stream, &packet);
        while (ogg_stream_pageout(&s.stream, &page) != 0)
            s.Append(page);
    }
    s.pending = false;
    return true;
}

Bytes TheoraWriter::Finish()
{
    if (!m_state)
        return {};
    std::string error;
    if (m_state->pending)
        Encode(true, error);
    ogg_page page;
    while (ogg_stream_flush(&m_state->stream, &page) != 0)
        m_state->Append(page);
    Bytes out = std::move(m_state->out);
    m_state.reset();
    return out;
}

Bytes EncodeSolidClip(const TheoraParams& params, std::span<const uint32_t> colours)
{
    TheoraWriter writer;
    std::string error;
    if (!writer.Begin(params, error))
        return {};
    std::vector<uint32_t> picture(size_t(params.width) * params.height);
    for (uint32_t colour : colours) {
        std::fill(picture.begin(), picture.end(), colour);
        if (!writer.AddFrame(picture, error))
            return {};
    }
    return writer.Finish();
}

} // namespace zoq::tools::audio
