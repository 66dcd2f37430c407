#include "world/db/SLocMusic.h"

#include "foundation/ErrorLog.h"
#include "foundation/XMemBuffer.h"
#include "foundation/XRangeError.h"

#include <cstdio>
#include <cstring>

namespace {

[[noreturn]] void Fail(const XMemBuffer& stream, const char* what, uint32_t value)
{
    char line[128];
    std::snprintf(
        line, sizeof line, "SLocMusic::Load bad %s %u at offset %d", what, value, stream.Position());
    WriteErrorLog(line);
    throw XRangeError();
}

void ReadBytes(XMemBuffer& stream, void* dest, uint32_t n, const char* what)
{
    if (uint64_t(n) > uint64_t(stream.Remaining()))
        Fail(stream, what, n);
    stream.Read(dest, int(n));
}

uint32_t ReadCount(XMemBuffer& stream, uint32_t limit, uint32_t unit, const char* what)
{
    uint32_t count;
    ReadBytes(stream, &count, 4, what);
    if (count > limit || uint64_t(count) * unit > uint64_t(stream.Remaining()))
        Fail(stream, what, count);
    return count;
}

void Terminate(char (&text)[32])
{
    text[31] = '\0';
}

} // namespace

void SLocMusic::Reset()
{
    std::memset(this, 0, sizeof *this);
    alternate = 1;
}

void SLocMusic::Load(XMemBuffer& stream)
{
    SLocMusic read = *this;
    ReadBytes(stream, read.mainTrack, 32, "main track");
    ReadBytes(stream, read.towerTrack, 32, "tower track");
    Terminate(read.mainTrack);
    Terminate(read.towerTrack);
    read.battleCount = ReadCount(stream, kMaxBattle, 32, "battle count");
    for (uint32_t i = 0; i < read.battleCount; ++i) {
        ReadBytes(stream, read.battleTracks[i], 32, "battle track");
        Terminate(read.battleTracks[i]);
    }
    read.calmCount = ReadCount(stream, kMaxCalm, 32, "calm count");
    for (uint32_t i = 0; i < read.calmCount; ++i) {
        ReadBytes(stream, read.calmTracks[i], 32, "calm track");
        Terminate(read.calmTracks[i]);
    }
    read.soundCount = ReadCount(stream, kMaxSounds, sizeof(STimedSound), "sound count");
    for (uint32_t i = 0; i < read.soundCount; ++i) {
        ReadBytes(stream, &read.sounds[i], sizeof(STimedSound), "timed sound");
        Terminate(read.sounds[i].key);
    }
    *this = read;
}
