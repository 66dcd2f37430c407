// CRadar: save-game section 6, the explored map and the mark.
#include "ui/CRadar.h"

#include "foundation/ErrorLog.h"
#include "foundation/XMemBuffer.h"

#include <cstdio>

namespace {

// Bytes after the version and the explored map: none up to 257; 258 adds markShown and
// markPosition; 259 and later add tracking and trackedGroupName.
constexpr int kMarkBytes = 1 + 12;
constexpr int kTrackBytes = 1 + 32;

int TailBytes(uint32_t version)
{
    if (version <= 257)
        return 0;
    return version == 258 ? kMarkBytes : kMarkBytes + kTrackBytes;
}

} // namespace

void CRadar::Save(XMemBuffer& stream) const
{
    stream.WriteValue(kSaveVersion);
    stream.Write(explored.data(), int(explored.size()));
    stream.WriteValue(markShown);
    stream.WriteValue(markPosition.x);
    stream.WriteValue(markPosition.y);
    stream.WriteValue(markPosition.z);
    stream.WriteValue(tracking);
    stream.Write(trackedGroupName, int(sizeof trackedGroupName));
}

bool CRadar::Load(XMemBuffer& stream)
{
    const int64_t length = stream.Remaining();
    const uint32_t version = length >= 4 ? stream.ReadU32() : 0;
    const int64_t expected = 4 + int64_t(explored.size()) + TailBytes(version);
    if (length < 4 || length != expected) {
        char line[160];
        std::snprintf(line, sizeof line,
            "CRadar::Load section of %lld bytes does not fit version %u and a %d x %d map", (long long)length,
            version, exploredWidth, exploredHeight);
        WriteErrorLog(line);
        return false;
    }
    stream.Read(explored.data(), int(explored.size()));
    if (version >= 258) {
        markShown = uint8_t(stream.Current()[0]);
        stream.Skip(1);
        markPosition.x = stream.ReadF32();
        markPosition.y = stream.ReadF32();
        markPosition.z = stream.ReadF32();
    }
    if (version >= 259) {
        tracking = uint8_t(stream.Current()[0]);
        stream.Skip(1);
        stream.Read(trackedGroupName, int(sizeof trackedGroupName));
        trackedGroupName[sizeof trackedGroupName - 1] = '\0';
    }
    return true;
}
