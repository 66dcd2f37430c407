#include "platform/sound/device.h"

#include "platform/sound/internal.h"
#include "platform/win/debug.h"
#include "platform/win/library_output.h"

#include <atomic>
#include <cmath>

namespace plat::sound {

namespace detail {

namespace {
std::atomic<DeviceState*> g_openDevice { nullptr };
std::string g_lastFailure;
} // namespace

void Report(const std::string& call, const std::string& reason)
{
    plat::win::DebugOutput("plat::sound::" + call + ": " + reason);
}

float VolumeToGain(int32_t volume)
{
    if (volume <= kVolumeMin)
        return 0.0f;
    return static_cast<float>(std::pow(10.0, volume / 2000.0));
}

DeviceState::~DeviceState()
{
    if (context) {
        if (alcGetCurrentContext() == context)
            alcMakeContextCurrent(nullptr);
        alcDestroyContext(context);
    }
    if (device)
        alcCloseDevice(device);
    DeviceState* self = this;
    g_openDevice.compare_exchange_strong(self, nullptr);
}

bool ClaimDevice(DeviceState* state)
{
    DeviceState* none = nullptr;
    return g_openDevice.compare_exchange_strong(none, state);
}

} // namespace detail

const char* ResultText(Result result)
{
    switch (result) {
    case Result::Ok:
        return "ok";
    case Result::Fail:
        return "failed";
    case Result::InvalidArg:
        return "invalid argument";
    case Result::InvalidCall:
        return "invalid call";
    case Result::ControlUnavailable:
        return "control unavailable";
    case Result::BadFormat:
        return "unsupported format";
    case Result::BufferLost:
        return "buffer lost";
    case Result::NoDriver:
        return "no sound device";
    case Result::OutOfMemory:
        return "out of memory";
    }
    return "unknown";
}

WaveFormat PcmFormat(uint16_t channels, uint32_t rate, uint16_t bits)
{
    WaveFormat format;
    format.formatTag = kFormatPcm;
    format.channels = channels;
    format.samplesPerSec = rate;
    format.bitsPerSample = bits;
    format.blockAlign = static_cast<uint16_t>(bits / 8 * channels);
    format.avgBytesPerSec = format.blockAlign * rate;
    return format;
}

namespace {
std::atomic<DeviceKind> g_deviceKind { DeviceKind::Default };
}

void SetDeviceKind(DeviceKind kind)
{
    g_deviceKind = kind;
}
DeviceKind GetDeviceKind()
{
    return g_deviceKind;
}

Device::Device(std::shared_ptr<detail::DeviceState> state)
    : m_state(std::move(state))
{
}
Device::~Device() = default;

const std::string& Device::LastFailure()
{
    return detail::g_lastFailure;
}

Result Device::Create(std::unique_ptr<Device>& out)
{
    out.reset();
    detail::g_lastFailure.clear();
    const DeviceKind kind = g_deviceKind;
    if (kind == DeviceKind::Unavailable) {
        detail::Report("Device::Create", "no device (test setting)");
        detail::g_lastFailure = "no output device";
        return Result::NoDriver;
    }
    auto state = std::make_shared<detail::DeviceState>();
    if (!detail::ClaimDevice(state.get())) {
        detail::Report("Device::Create", "a device is already open");
        detail::g_lastFailure = "a sound device is already open";
        return Result::InvalidCall;
    }
    std::vector<ALCint> attrs;
    if (kind == DeviceKind::Loopback) {
        auto open = reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(
            alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
        state->render
            = reinterpret_cast<LPALCRENDERSAMPLESSOFT>(alcGetProcAddress(nullptr, "alcRenderSamplesSOFT"));
        if (!open || !state->render) {
            detail::Report("Device::Create", "ALC_SOFT_loopback is missing");
            detail::g_lastFailure = "OpenAL has no loopback output";
            return Result::NoDriver;
        }
        state->device = open(nullptr);
        state->loopback = true;
        attrs = { ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT, ALC_FORMAT_TYPE_SOFT, ALC_SHORT_SOFT };
    } else {
        // OpenAL and the sound system below it print why an output is missing, several lines a cause.
        plat::win::StderrCatch libraryOutput;
        state->device = alcOpenDevice(nullptr);
        plat::win::LogLibraryOutput("plat::sound::Device::Create", libraryOutput.Take());
    }
    if (!state->device) {
        detail::Report("Device::Create", "alcOpenDevice failed");
        detail::g_lastFailure = "no output device (OpenAL opened no sound output)";
        return Result::NoDriver;
    }
    // Plain panning: no head-related filters, no limiter that would bend the levels.
    attrs.insert(attrs.end(),
        { ALC_FREQUENCY, static_cast<ALCint>(kOutputRate), ALC_HRTF_SOFT, ALC_FALSE, ALC_OUTPUT_LIMITER_SOFT,
            ALC_FALSE, 0 });
    state->context = alcCreateContext(state->device, attrs.data());
    if (!state->context) {
        detail::Report(
            "Device::Create", "alcCreateContext failed: " + std::to_string(alcGetError(state->device)));
        detail::g_lastFailure = "the output device does not start";
        return Result::NoDriver;
    }
    if (!alcMakeContextCurrent(state->context)) {
        detail::Report("Device::Create", "alcMakeContextCurrent failed");
        detail::g_lastFailure = "the output device does not start";
        return Result::NoDriver;
    }
    alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
    state->ApplyListener();
    out.reset(new Device(std::move(state)));
    return Result::Ok;
}

bool Device::IsLoopback() const
{
    return m_state->loopback;
}

Result Device::Render(int16_t* out, uint32_t frames)
{
    if (!m_state->loopback || !out)
        return Result::InvalidCall;
    m_state->render(m_state->device, out, static_cast<ALCsizei>(frames));
    return Result::Ok;
}

Result Device::CreatePrimaryBuffer(std::unique_ptr<PrimaryBuffer>& out)
{
    out.reset(new PrimaryBuffer(m_state));
    return Result::Ok;
}

namespace {

bool FormatSupported(const WaveFormat& format)
{
    return format.formatTag == kFormatPcm && (format.channels == 1 || format.channels == 2)
        && (format.bitsPerSample == 8 || format.bitsPerSample == 16)
        && format.blockAlign == format.channels * format.bitsPerSample / 8
        && format.samplesPerSec >= kFrequencyMin && format.samplesPerSec <= kFrequencyMax;
}

} // namespace

Result Device::CreateBuffer(const BufferDesc& desc, std::unique_ptr<Buffer>& out)
{
    out.reset();
    if (!FormatSupported(desc.format)) {
        detail::Report("Device::CreateBuffer", "unsupported format");
        return Result::BadFormat;
    }
    const uint32_t bytes = desc.bytes - desc.bytes % desc.format.blockAlign;
    if (bytes == 0)
        return Result::InvalidArg;
    auto state = std::make_unique<detail::BufferState>();
    state->device = m_state;
    state->desc = desc;
    state->desc.bytes = bytes;
    state->uploadChannels = state->Is3D() ? 1 : desc.format.channels;
    state->data = std::make_shared<detail::SharedData>();
    state->data->bytes.assign(bytes, desc.format.bitsPerSample == 8 ? 0x80 : 0);

    std::lock_guard lock(m_state->mutex);
    alGetError();
    alGenSources(1, &state->source);
    if (alGetError() != AL_NO_ERROR) {
        detail::Report("Device::CreateBuffer", "alGenSources failed");
        state->source = 0;
        return Result::OutOfMemory;
    }
    if (Has(desc.flags, BufferFlags::CtrlPositionNotify)) {
        auto stream = std::make_unique<detail::StreamState>();
        const uint32_t align = desc.format.blockAlign;
        uint32_t lead = std::min(bytes / 8, desc.format.avgBytesPerSec / 4);
        lead = std::max(lead - lead % align, align);
        uint32_t piece = lead / 4;
        piece = std::max(piece - piece % align, align);
        stream->lead = lead;
        stream->pieceBytes = piece;
        state->stream = std::move(stream);
    } else {
        alGenBuffers(1, &state->data->alBuffer);
        if (alGetError() != AL_NO_ERROR) {
            detail::Report("Device::CreateBuffer", "alGenBuffers failed");
            state->data->alBuffer = 0;
            return Result::OutOfMemory;
        }
        state->UploadStatic();
    }
    state->data->users.push_back(state.get());
    alSourcef(state->source, AL_ROLLOFF_FACTOR, m_state->applied.rolloffFactor);
    state->Apply3D();
    if (state->Is3D())
        m_state->buffers3d.push_back(state.get());
    out.reset(new Buffer(std::move(state)));
    return Result::Ok;
}

Result Device::DuplicateBuffer(const Buffer& original, std::unique_ptr<Buffer>& out)
{
    out.reset();
    const detail::BufferState& source = *original.m_state;
    if (source.stream || source.device != m_state)
        return Result::InvalidCall;
    auto state = std::make_unique<detail::BufferState>();
    state->device = m_state;
    state->desc = source.desc;
    state->uploadChannels = source.uploadChannels;
    state->data = source.data;

    std::lock_guard lock(m_state->mutex);
    state->volume = source.volume;
    state->frequency = source.frequency;
    alGetError();
    alGenSources(1, &state->source);
    if (alGetError() != AL_NO_ERROR) {
        detail::Report("Device::DuplicateBuffer", "alGenSources failed");
        state->source = 0;
        return Result::OutOfMemory;
    }
    alSourcei(state->source, AL_BUFFER, static_cast<ALint>(state->data->alBuffer));
    state->data->users.push_back(state.get());
    alSourcef(state->source, AL_ROLLOFF_FACTOR, m_state->applied.rolloffFactor);
    if (state->frequency != kFrequencyOriginal)
        alSourcef(state->source, AL_PITCH,
            static_cast<float>(state->frequency) / static_cast<float>(state->desc.format.samplesPerSec));
    state->Apply3D();
    state->ApplyGain();
    if (state->Is3D())
        m_state->buffers3d.push_back(state.get());
    out.reset(new Buffer(std::move(state)));
    return Result::Ok;
}

} // namespace plat::sound
