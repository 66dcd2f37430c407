#include "tools/audio/wav_writer.h"

#include <cstdio>

namespace zoq::tools::audio {
namespace {

void PutId(Bytes& out, std::string_view id)
{
    for (size_t i = 0; i < 4; ++i)
        out.push_back(i < id.size() ? static_cast<uint8_t>(id[i]) : ' ');
}

} // namespace

RiffBuilder& RiffBuilder::Chunk(
    std::string_view id, std::span<const uint8_t> data, std::optional<uint32_t> declaredSize, bool pad)
{
    PutId(m_body, id);
    AppendLE<uint32_t>(m_body, declaredSize.value_or(static_cast<uint32_t>(data.size())));
    m_body.insert(m_body.end(), data.begin(), data.end());
    if (pad && data.size() % 2)
        m_body.push_back(0);
    return *this;
}

Bytes RiffBuilder::Build(std::string_view form, std::optional<uint32_t> declaredSize) const
{
    Bytes out;
    PutId(out, "RIFF");
    AppendLE<uint32_t>(out, declaredSize.value_or(static_cast<uint32_t>(4 + m_body.size())));
    PutId(out, form);
    out.insert(out.end(), m_body.begin(), m_body.end());
    return out;
}

Bytes PcmFmtChunk(const WavFormat& format)
{
    const auto align = static_cast<uint16_t>(format.channels * format.bits / 8);
    Bytes fmt;
    AppendLE<uint16_t>(fmt, 1); // PCM, as stored in WAV files
    AppendLE<uint16_t>(fmt, format.channels);
    AppendLE<uint32_t>(fmt, format.rate);
    AppendLE<uint32_t>(fmt, format.rate * align);
    AppendLE<uint16_t>(fmt, align);
    AppendLE<uint16_t>(fmt, format.bits);
    return fmt;
}

Bytes MakeWav(const WavFormat& format, std::span<const uint8_t> pcm)
{
    return RiffBuilder().Chunk("fmt ", PcmFmtChunk(format)).Chunk("data", pcm).Build();
}

Bytes PcmBytes(std::span<const int16_t> samples)
{
    Bytes out;
    out.reserve(samples.size() * 2);
    for (int16_t s : samples)
        AppendLE<uint16_t>(out, static_cast<uint16_t>(s));
    return out;
}

bool WriteBytes(const std::filesystem::path& path, std::span<const uint8_t> bytes, std::string& error)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        error = "cannot create " + path.string();
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        error = "cannot write " + path.string();
        return false;
    }
    return true;
}

} // namespace zoq::tools::audio
