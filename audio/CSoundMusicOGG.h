// CSoundMusicOGG: a streamed Ogg Vorbis track, decoded with vorbisfile one block ahead. The
// file is a plain file opened through the path resolver, never through the archive layer.
#pragma once

#include "audio/CSoundMusic.h"

#include <cstdio>
#include <memory>

struct OggVorbis_File;

class CSoundMusicOGG : public CSoundMusic {
public:
    static constexpr uint32_t kReadSize = 4096;

    explicit CSoundMusicOGG(uint32_t blockSize = kBlockSize);
    ~CSoundMusicOGG() override;

    bool IsMusicPlayed() override;
    SoundResult PreLoad(uint32_t argument) override;
    SoundResult Unload(bool terminate) override;
    SoundResult LoadBlock() override;

protected:
    uint32_t m_gathered = 0;
    uint8_t m_open = 0;
    std::FILE* m_file = nullptr;
    std::unique_ptr<uint8_t[]> m_gather; // two blocks
    std::unique_ptr<OggVorbis_File> m_vorbis;
};
