// SLocMusic: a location's music set from the last section of its objects file: the calm main
// track, the tower track, battle and calm track lists and up to 20 timed sounds with their hour
// windows, plus the runtime state of the timed sounds.
#pragma once

#include <cstdint>

class XMemBuffer;

struct STimedSound {
    char key[32]; // sound-table key
    float interval; // mean seconds between starts
    float length; // mean seconds of one play
    uint8_t held; // 1: a sound control at the listener, stopped after its length
    uint8_t padding[3];
    int32_t firstHour; // inclusive
    int32_t endHour; // exclusive
    uint8_t settings[16];
};
static_assert(sizeof(STimedSound) == 68);

struct STimedSoundState {
    float nextStart; // seconds of game time
    float remaining; // seconds the sound lasts from its start
    int32_t handle;
};

struct SLocMusic {
    static constexpr uint32_t kMaxBattle = 10;
    static constexpr uint32_t kMaxCalm = 10;
    static constexpr uint32_t kMaxSounds = 20;
    static constexpr uint32_t kSoundTag = 0x4D555349; // owner of the held sounds' controls

    // Counts 0, track names empty, the alternation flag 1, the timed-sound state cleared.
    void Reset();
    // Reads the music section at the stream's position, advancing it. A count above its limit or
    // beyond the bytes left logs and throws XRangeError, leaving the record as it was.
    void Load(XMemBuffer& stream);
    // At game start: every timed sound without a handle, its first start drawn within one
    // interval and its length within 0.5..1.5 lengths.
    void InitTimers();
    // Once a frame, before the environment's clock: starts the timed sounds whose start falls in
    // this frame within their hour window (a plain range that does not wrap past midnight; else
    // looks again half an interval later), stops held ones whose time is over and schedules the
    // next start 0.5..1.5 intervals on. An entry index outside the tables throws XRangeError.
    void Run(float dt);

    char mainTrack[32];
    char towerTrack[32];
    uint32_t battleCount;
    char battleTracks[kMaxBattle][32];
    uint32_t calmCount;
    char calmTracks[kMaxCalm][32];
    uint32_t soundCount;
    STimedSound sounds[kMaxSounds];
    uint8_t alternate; // between the main track and a calm track
    STimedSoundState soundStates[kMaxSounds];
};
