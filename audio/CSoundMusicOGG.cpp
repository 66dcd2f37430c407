#include "audio/CSoundMusicOGG.h"

#include "foundation/CallTrace.h"
#include "platform/win/paths.h"

#include <vorbis/vorbisfile.h>

#include <cstring>

namespace {

size_t ReadFile(void* out, size_t size, size_t count, void* file)
{
    return std::fread(out, size, count, static_cast<std::FILE*>(file));
}

int SeekFile(void* file, ogg_int64_t offset, int whence)
{
    return fseeko(static_cast<std::FILE*>(file), static_cast<off_t>(offset), whence);
}

long TellFile(void* file)
{
    return std::ftell(static_cast<std::FILE*>(file));
}

// The file stays ours: vorbisfile does not close it.
const ov_callbacks kFileCallbacks = { ReadFile, SeekFile, nullptr, TellFile };

} // namespace

CSoundMusicOGG::CSoundMusicOGG(uint32_t blockSize)
    : CSoundMusic(blockSize)
{
}

CSoundMusicOGG::~CSoundMusicOGG()
{
    Unload(true);
}

bool CSoundMusicOGG::IsMusicPlayed()
{
    plat::win::CriticalSectionLock lock(m_section);
    return m_open && CSoundMusic::IsMusicPlayed();
}

SoundResult CSoundMusicOGG::PreLoad(uint32_t argument)
{
    ZJ_TRACE("CSoundMusicOGG::PreLoad");
    plat::win::CriticalSectionLock lock(m_section);
    if (m_open)
        Unload(false);
    m_file = plat::win::OpenFile(m_fileName, "rb");
    if (!m_file)
        return kSoundFail;
    m_vorbis = std::make_unique<OggVorbis_File>();
    if (ov_open_callbacks(m_file, m_vorbis.get(), nullptr, 0, kFileCallbacks) != 0) {
        m_vorbis.reset();
        std::fclose(m_file);
        m_file = nullptr;
        return kSoundFail;
    }
    const vorbis_info* info = ov_info(m_vorbis.get(), -1);
    SetFormat(
        plat::sound::PcmFormat(static_cast<uint16_t>(info->channels), static_cast<uint32_t>(info->rate), 16));
    m_gather = std::make_unique<uint8_t[]>(2 * size_t(m_blockSize));
    m_gathered = 0;
    m_open = 1;
    const SoundResult result = CSoundMusic::PreLoad(argument);
    if (SoundFailed(result))
        Unload(false);
    return result;
}

SoundResult CSoundMusicOGG::Unload(bool terminate)
{
    ZJ_TRACE("CSoundMusicOGG::Unload");
    if (terminate)
        StopRefillThread();
    plat::win::CriticalSectionLock lock(m_section);
    if (m_open) {
        CSoundMusic::Unload(false);
        ov_clear(m_vorbis.get());
        m_vorbis.reset();
        std::fclose(m_file);
        m_file = nullptr;
        m_gather.reset();
        m_gathered = 0;
        m_open = 0;
    }
    return kSoundOk;
}

SoundResult CSoundMusicOGG::LoadBlock()
{
    ZJ_TRACE("CSoundMusicOGG::LoadBlock");
    plat::win::CriticalSectionLock lock(m_section);
    if (!m_open)
        return kSoundFail;
    bool ended = false;
    bool dataSinceSeek = true;
    int errors = 0;
    while (m_gathered < m_blockSize) {
        const int want = static_cast<int>(std::min<uint32_t>(kReadSize, m_blockSize - m_gathered));
        int section = 0;
        const long n = ov_read(
            m_vorbis.get(), reinterpret_cast<char*>(m_gather.get() + m_gathered), want, 0, 2, 1, &section);
        if (n > 0) {
            m_gathered += static_cast<uint32_t>(n);
            dataSinceSeek = true;
            errors = 0;
            continue;
        }
        if (n < 0) {
            // A hole in the data: go on, unless the stream keeps failing.
            if (++errors < 64)
                continue;
        } else if (m_loop && ov_seekable(m_vorbis.get()) && dataSinceSeek
            && ov_raw_seek(m_vorbis.get(), 0) == 0) {
            dataSinceSeek = false;
            continue;
        }
        ended = true;
        break;
    }
    if (m_gathered >= m_blockSize) {
        const SoundResult result = WriteDataToNextBlock(m_gather.get(), m_blockSize);
        std::memmove(m_gather.get(), m_gather.get() + m_blockSize, m_gathered - m_blockSize);
        m_gathered -= m_blockSize;
        return result;
    }
    if (!ended)
        return kSoundOk;
    // The end of a track: its last, partial block plays zero-filled; after it, silence.
    const uint32_t tail = m_gathered;
    m_gathered = 0;
    return WriteDataToNextBlock(tail ? m_gather.get() : nullptr, tail);
}
