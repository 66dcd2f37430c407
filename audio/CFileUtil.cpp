#include "audio/CFileUtil.h"

#include "foundation/ByteOrder.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "foundation/PakManager.h"
#include "foundation/ResourceDBManager.h"
#include "platform/win/text.h"

#include <vorbis/codec.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <optional>
#include <string>

// PCM is stored little-endian, as the host holds it.
static_assert(std::endian::native == std::endian::little);

namespace {

bool IsOggName(const char* name)
{
    const char* dot = std::strrchr(name, '.');
    return dot && std::strcmp(dot + 1, "ogg") == 0;
}

std::string SoundPath(const char* name)
{
    return std::string(g_ResourceDBManager.BaseDirectory()) + name;
}

// One chunk of a RIFF file: where its data starts and how long it says it is.
struct Chunk {
    uint32_t offset = 0;
    uint32_t size = 0;
};

// Looks for chunk `id` among the chunks in [from, end); every size must stay inside.
enum class Find { Found, Missing, Broken };
Find FindChunk(
    std::span<const uint8_t> file, uint32_t from, uint32_t end, const char* id, Chunk& out, uint32_t& next)
{
    uint32_t at = from;
    while (end - at >= 8) {
        const uint32_t size = LoadLE<uint32_t>(file.data() + at + 4);
        const uint32_t data = at + 8;
        if (size > end - data)
            return Find::Broken;
        const uint32_t padded = size + (size & 1);
        if (std::memcmp(file.data() + at, id, 4) == 0) {
            out = { data, size };
            next = padded > end - data ? end : data + padded;
            return Find::Found;
        }
        if (padded > end - data)
            break;
        at = data + padded;
    }
    return Find::Missing;
}

} // namespace

CFileUtil::CFileUtil(uint32_t pcmBufferSize)
    : m_pcmCapacity(pcmBufferSize)
    , m_pcm(std::make_unique_for_overwrite<uint8_t[]>(pcmBufferSize))
{
}

CFileUtil::~CFileUtil() = default;

SoundResult CFileUtil::Open(const char* name)
{
    ZJ_TRACE("CFileUtil::Open");
    if (!name)
        return kSoundInvalidArg;
    m_format.reset();
    m_file.clear();
    m_dataSize = m_dataOffset = m_readPosition = 0;
    m_ogg = 0;
    if (IsOggName(name)) {
        uint32_t dataSize = 0;
        uint32_t bytesRead = 0;
        if (!ReadOGG(m_pcm.get(), name, dataSize, bytesRead))
            return kSoundInvalidArg;
        m_ogg = 1;
        m_dataSize = dataSize;
        return kSoundOk;
    }
    XFile file;
    if (!g_PakManager.OpenXFile(SoundPath(name).c_str(), file))
        return kSoundFail;
    const int64_t size = file.Size();
    if (size < 0 || size > int64_t(UINT32_MAX))
        return kSoundFail;
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    if (size > 0 && file.ReadAvailable(bytes.data(), bytes.size()) != bytes.size())
        return kSoundFail;
    return OpenWaveMemory(bytes);
}

SoundResult CFileUtil::OpenWaveMemory(std::span<const uint8_t> file)
{
    m_format.reset();
    m_file.clear();
    m_dataSize = m_dataOffset = m_readPosition = 0;
    m_ogg = 0;
    if (file.size() < 12 || file.size() > UINT32_MAX || std::memcmp(file.data(), "RIFF", 4) != 0
        || std::memcmp(file.data() + 8, "WAVE", 4) != 0)
        return kSoundFail;
    const uint32_t riffSize = LoadLE<uint32_t>(file.data() + 4);
    if (riffSize < 4 || riffSize > file.size() - 8)
        return kSoundFail;
    const uint32_t end = 8 + riffSize;

    Chunk fmt;
    uint32_t afterFmt = 0;
    if (FindChunk(file, 12, end, "fmt ", fmt, afterFmt) != Find::Found || fmt.size < 16)
        return kSoundFail;
    auto format = std::make_unique<plat::sound::WaveFormat>();
    const uint8_t* f = file.data() + fmt.offset;
    format->formatTag = LoadLE<uint16_t>(f);
    format->channels = LoadLE<uint16_t>(f + 2);
    format->samplesPerSec = LoadLE<uint32_t>(f + 4);
    format->avgBytesPerSec = LoadLE<uint32_t>(f + 8);
    format->blockAlign = LoadLE<uint16_t>(f + 12);
    format->bitsPerSample = LoadLE<uint16_t>(f + 14);
    if (format->formatTag != plat::sound::kFormatPcm) {
        // Other formats carry an extra-size word and that many bytes, inside the chunk.
        if (fmt.size < 18)
            return kSoundFail;
        format->extraSize = LoadLE<uint16_t>(f + 16);
        if (format->extraSize > fmt.size - 18)
            return kSoundFail;
    }
    Chunk data;
    uint32_t afterData = 0;
    if (FindChunk(file, afterFmt, end, "data", data, afterData) != Find::Found)
        return kSoundFail;
    if (format->blockAlign == 0)
        return kSoundFail;
    m_file.assign(file.begin(), file.end());
    m_dataOffset = data.offset;
    m_dataSize = data.size - data.size % format->blockAlign;
    m_format = std::move(format);
    return kSoundOk;
}

uint32_t CFileUtil::Read(uint8_t* buffer, uint32_t size)
{
    if (!buffer)
        return 0;
    const uint32_t left = m_dataSize - std::min(m_readPosition, m_dataSize);
    const uint32_t n = std::min(size, left);
    const uint8_t* from = m_ogg ? m_pcm.get() : m_file.data() + m_dataOffset;
    if (n)
        std::memcpy(buffer, from + m_readPosition, n);
    m_readPosition += n;
    return n;
}

bool CFileUtil::ReadOGG(uint8_t* pcm, const char* fileName, uint32_t& dataSize, uint32_t& bytesRead)
{
    ZJ_TRACE("CFileUtil::ReadOGG");
    dataSize = 0;
    bytesRead = 0;
    XFile file;
    {
        ZJ_TRACE("Open file");
        if (!fileName || !g_PakManager.OpenXFile(SoundPath(fileName).c_str(), file))
            return false;
    }
    return DecodeOgg(
        pcm, fileName, [&](uint8_t* dest, size_t n) { return file.ReadAvailable(dest, n); }, dataSize,
        bytesRead);
}

bool CFileUtil::ReadOGGMemory(uint8_t* pcm, const char* fileName, std::span<const uint8_t> file,
    uint32_t& dataSize, uint32_t& bytesRead)
{
    ZJ_TRACE("CFileUtil::ReadOGG");
    dataSize = 0;
    bytesRead = 0;
    size_t at = 0;
    return DecodeOgg(
        pcm, fileName ? fileName : "",
        [&](uint8_t* dest, size_t n) {
            const size_t count = std::min(n, file.size() - at);
            std::memcpy(dest, file.data() + at, count);
            at += count;
            return count;
        },
        dataSize, bytesRead);
}

namespace {

// The decoder's states, released whatever way the decoding ends.
struct OggStream {
    ogg_stream_state stream {};
    vorbis_info info {};
    vorbis_comment comment {};
    vorbis_dsp_state dsp {};
    vorbis_block block {};
    bool synthesis = false;

    explicit OggStream(int serial)
    {
        ogg_stream_init(&stream, serial);
        vorbis_info_init(&info);
        vorbis_comment_init(&comment);
    }
    ~OggStream()
    {
        if (synthesis) {
            vorbis_block_clear(&block);
            vorbis_dsp_clear(&dsp);
        }
        ogg_stream_clear(&stream);
        vorbis_comment_clear(&comment);
        vorbis_info_clear(&info);
    }
    OggStream(const OggStream&) = delete;
    OggStream& operator=(const OggStream&) = delete;
};

struct OggSync {
    ogg_sync_state sync {};
    OggSync() { ogg_sync_init(&sync); }
    ~OggSync() { ogg_sync_clear(&sync); }
    OggSync(const OggSync&) = delete;
    OggSync& operator=(const OggSync&) = delete;
};

} // namespace

bool CFileUtil::DecodeOgg(
    uint8_t* pcm, const char* fileName, const PieceReader& read, uint32_t& dataSize, uint32_t& bytesRead)
{
    OggSync sync;
    size_t lastPiece = 0;
    auto readPiece = [&] {
        char* buffer = ogg_sync_buffer(&sync.sync, kOggPiece);
        lastPiece = buffer ? read(reinterpret_cast<uint8_t*>(buffer), kOggPiece) : 0;
        ogg_sync_wrote(&sync.sync, static_cast<long>(lastPiece));
        bytesRead += static_cast<uint32_t>(lastPiece);
        return lastPiece;
    };
    auto logWithName = [&](const char* text) {
        WriteErrorLog(text);
        WriteErrorLog(fileName);
    };

    bool first = true;
    bool cut = false;
    int16_t work[kOggPiece];
    for (;;) {
        ogg_page page;
        // A failure in these two steps ends the decoding here with its own log line.
        try {
            readPiece();
        } catch (...) {
            WriteErrorLog(std::string("Exeption while read ogg file: ") + fileName);
            return false;
        }
        std::optional<OggStream> stream;
        ogg_packet packet;
        bool identified = false;
        try {
            if (ogg_sync_pageout(&sync.sync, &page) != 1) {
                if (!first)
                    return lastPiece < kOggPiece;
                // Nothing decoded: there is no sound and no format to give.
                WriteErrorLog(std::string("CFileUtil::ReadOGG no Vorbis stream: ") + fileName);
                return false;
            }
            stream.emplace(ogg_page_serialno(&page));
            identified = ogg_stream_pagein(&stream->stream, &page) == 0
                && ogg_stream_packetout(&stream->stream, &packet) == 1
                && vorbis_synthesis_headerin(&stream->info, &stream->comment, &packet) >= 0;
        } catch (...) {
            WriteErrorLog(std::string("Exeption while read first page in ogg file: ") + fileName);
            return false;
        }
        if (!identified) {
            logWithName(CP1251("ERROR!!! CFileUtil::ReadOgg - Несоответсвие версий Ogg"));
            return false;
        }
        OggStream& s = *stream;
        if (first) {
            ZJ_TRACE("SetFormat");
            m_format = std::make_unique<plat::sound::WaveFormat>(plat::sound::PcmFormat(
                static_cast<uint16_t>(s.info.channels), static_cast<uint32_t>(s.info.rate), 16));
            first = false;
        }
        {
            ZJ_TRACE("Read two second page in ogg file");
            int headers = 0;
            while (headers < 2) {
                while (headers < 2) {
                    const int got = ogg_sync_pageout(&sync.sync, &page);
                    if (got == 0)
                        break;
                    if (got < 0)
                        continue;
                    ogg_stream_pagein(&s.stream, &page);
                    while (headers < 2) {
                        const int result = ogg_stream_packetout(&s.stream, &packet);
                        if (result == 0)
                            break;
                        if (result < 0 || vorbis_synthesis_headerin(&s.info, &s.comment, &packet) < 0) {
                            logWithName(CP1251("ERROR!!! CFileUtil::ReadOgg - Ошибка считывания заголовка"));
                            return false;
                        }
                        ++headers;
                    }
                }
                if (headers < 2 && readPiece() == 0)
                    return false;
            }
        }

        ZJ_TRACE("Decoding pages");
        const int channels = s.info.channels;
        const int batchFrames = int(kOggPiece) / channels;
        if (vorbis_synthesis_init(&s.dsp, &s.info) != 0)
            return false;
        vorbis_block_init(&s.dsp, &s.block);
        s.synthesis = true;
        bool eos = false;
        while (!eos) {
            while (!eos) {
                const int got = ogg_sync_pageout(&sync.sync, &page);
                if (got == 0)
                    break;
                if (got < 0)
                    continue; // damaged data between pages
                ogg_stream_pagein(&s.stream, &page);
                for (;;) {
                    const int result = ogg_stream_packetout(&s.stream, &packet);
                    if (result == 0)
                        break;
                    if (result < 0) {
                        WriteErrorLog(CP1251("Ошибочные или поврежденные данные"));
                        continue;
                    }
                    if (vorbis_synthesis(&s.block, &packet) == 0)
                        vorbis_synthesis_blockin(&s.dsp, &s.block);
                    float** samples = nullptr;
                    int frames = 0;
                    while ((frames = vorbis_synthesis_pcmout(&s.dsp, &samples)) > 0) {
                        const int batch = std::min(frames, batchFrames);
                        const uint32_t bytes = uint32_t(batch) * uint32_t(channels) * 2;
                        if (!cut && bytes > m_pcmCapacity - dataSize) {
                            WriteErrorLog(std::string("CFileUtil::ReadOGG sound cut: ") + fileName);
                            cut = true;
                        }
                        if (!cut) {
                            for (int c = 0; c < channels; ++c) {
                                const float* from = samples[c];
                                int16_t* to = work + c;
                                for (int i = 0; i < batch; ++i) {
                                    // Truncated toward zero; NaN counts as the lowest value.
                                    float value = from[i] * 32767.0f;
                                    value = value > -32768.0f ? value : -32768.0f;
                                    value = value < 32767.0f ? value : 32767.0f;
                                    to[i * channels] = static_cast<int16_t>(value);
                                }
                            }
                            std::memcpy(pcm + dataSize, work, bytes);
                            dataSize += bytes;
                        }
                        vorbis_synthesis_read(&s.dsp, batch);
                    }
                }
                if (ogg_page_eos(&page))
                    eos = true;
            }
            if (!eos && readPiece() == 0)
                eos = true;
        }
    }
}
