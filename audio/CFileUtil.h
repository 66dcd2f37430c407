// CFileUtil: reads one sound file, WAV or Ogg Vorbis, into memory. Both come through the
// archive layer (archives first, then disk) at the base directory + the name. Every size in a
// WAV file is checked against the file; an Ogg file is decoded whole into a PCM buffer whose
// capacity is fixed at construction (sounds longer than it are cut, with a log line).
#pragma once

#include "audio/SoundResult.h"
#include "platform/sound/types.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

class CFileUtil {
public:
    static constexpr uint32_t kPcmBufferSize = 8388608;
    static constexpr uint32_t kOggPiece = 4096;

    explicit CFileUtil(uint32_t pcmBufferSize = kPcmBufferSize);
    virtual ~CFileUtil();
    CFileUtil(const CFileUtil&) = delete;
    CFileUtil& operator=(const CFileUtil&) = delete;

    // "*.ogg" (lower case) is decoded by ReadOGG; anything else is read as a WAV file.
    // kSoundInvalidArg for a missing name or an Ogg file that does not decode; kSoundFail for
    // a WAV file that cannot be read.
    SoundResult Open(const char* name);
    // Copies at most size bytes of the data that remain; returns the bytes copied.
    uint32_t Read(uint8_t* buffer, uint32_t size);

    // Decodes a whole Ogg Vorbis file (base directory + fileName) into pcm, which holds the
    // capacity given to the constructor. Makes the wave format from the first stream.
    bool ReadOGG(uint8_t* pcm, const char* fileName, uint32_t& dataSize, uint32_t& bytesRead);
    // The same from bytes in memory; fileName only names the file in log lines.
    bool ReadOGGMemory(uint8_t* pcm, const char* fileName, std::span<const uint8_t> file, uint32_t& dataSize,
        uint32_t& bytesRead);
    // Reads a WAV file from bytes in memory, as Open does after reading the file.
    SoundResult OpenWaveMemory(std::span<const uint8_t> file);

    const plat::sound::WaveFormat* GetFormat() const { return m_format.get(); }
    uint32_t GetSize() const { return m_dataSize; }
    bool IsOgg() const { return m_ogg != 0; }
    uint32_t GetPcmCapacity() const { return m_pcmCapacity; }

private:
    using PieceReader = std::function<size_t(uint8_t* dest, size_t n)>;
    bool DecodeOgg(
        uint8_t* pcm, const char* fileName, const PieceReader& read, uint32_t& dataSize, uint32_t& bytesRead);

    std::unique_ptr<plat::sound::WaveFormat> m_format;
    std::vector<uint8_t> m_file; // a WAV file, read whole
    uint32_t m_dataOffset = 0; // its data chunk
    uint32_t m_readPosition = 0;
    uint32_t m_dataSize = 0;
    uint8_t m_ogg = 0;
    uint32_t m_pcmCapacity;
    std::unique_ptr<uint8_t[]> m_pcm;
};
