// State behind the sound layer's objects. Only the layer's own sources include this file.
#pragma once

#include "platform/sound/buffer.h"
#include "platform/sound/types.h"

#define AL_ALEXT_PROTOTYPES
#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace plat::sound::detail {

// One debug line naming the call and the reason.
void Report(const std::string& call, const std::string& reason);

struct BufferState;

// One open device. Its mutex guards every buffer's state and every AL call of the layer.
struct DeviceState {
    ALCdevice* device = nullptr;
    ALCcontext* context = nullptr;
    bool loopback = false;
    LPALCRENDERSAMPLESSOFT render = nullptr;

    std::mutex mutex;
    ListenerParams applied;
    ListenerParams pending;
    bool listenerPending = false;
    std::vector<BufferState*> buffers3d;

    ~DeviceState();
    // Under the mutex.
    void ApplyListener();
    void UpdateMute(BufferState& buffer);
    void CommitLocked();
};

struct SharedData {
    std::vector<uint8_t> bytes;
    ALuint alBuffer = 0; // static buffers only
    std::vector<BufferState*> users; // the buffers playing this data
};

struct Params3D {
    Vector position;
    Vector velocity;
    float minDistance = 1.0f;
    float maxDistance = 1.0e9f;
    Mode3D mode = Mode3D::Normal;
};

struct EventCore {
    std::mutex stateMutex;
    std::condition_variable wake;
    bool signalled = false;
    // Held while the bound buffers are serviced; a buffer unbinds itself under it.
    std::mutex bindMutex;
    std::vector<BufferState*> bound;

    void Signal();
};

struct Binding {
    uint32_t offset = 0;
    std::shared_ptr<EventCore> core;
};

struct StreamState {
    struct Piece {
        ALuint buffer = 0;
        uint32_t offset = 0;
        uint32_t bytes = 0;
    };
    uint32_t lead = 0; // most bytes queued ahead of the cursor
    uint32_t pieceBytes = 0;
    std::deque<Piece> queue;
    std::vector<ALuint> spare;
    uint32_t head = 0; // ring offset where the queue starts
    uint32_t next = 0; // ring offset of the next piece to upload
    uint32_t queuedBytes = 0;
    uint64_t played = 0; // bytes played before the queue head, since creation
    uint64_t checked = 0; // cursor up to which positions have been signalled
    bool exhausted = false; // not looping: the end of the data is queued
};

struct BufferState {
    std::shared_ptr<DeviceState> device;
    BufferDesc desc;
    std::shared_ptr<SharedData> data;
    ALuint source = 0;
    uint16_t uploadChannels = 1; // 3-D stereo data is mixed to mono

    int32_t volume = 0;
    uint32_t frequency = kFrequencyOriginal;
    bool lost = false;
    uint32_t failingRestores = 0;
    bool playing = false; // streams keep their own play state
    bool looping = false;
    uint32_t startOffset = 0; // static buffers: where a non-playing source starts

    Params3D applied3d;
    Params3D pending3d;
    bool pending3dSet = false;
    bool muted = false;

    std::unique_ptr<StreamState> stream;
    std::vector<Binding> bindings;

    ~BufferState();
    bool Is3D() const { return Has(desc.flags, BufferFlags::Ctrl3D); }
    ALenum AlFormat() const;
    // Data from `offset` converted to what the AL buffer holds.
    std::vector<uint8_t> Convert(uint32_t offset, uint32_t bytes) const;
    void ApplyGain();
    void Apply3D();
    void UploadStatic();
    uint64_t StreamCursor() const;
    // Under the device mutex: takes back played pieces, signals passed positions, refills.
    void Service(std::vector<std::shared_ptr<EventCore>>& toSignal);
    void StopStream();
};

float VolumeToGain(int32_t volume);

} // namespace plat::sound::detail
