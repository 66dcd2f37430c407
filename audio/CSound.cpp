#include "audio/CSound.h"

#include "audio/CFileUtil.h"
#include "audio/CSoundContainer.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "platform/win/clock.h"

using plat::sound::Apply;
using plat::sound::BufferFlags;
using plat::sound::Succeeded;

CSound* g_pSound = nullptr;

CSound::CSound() = default;

CSound::~CSound()
{
    m_listener = nullptr;
    m_primary.reset();
    m_device.reset();
    if (g_pSound == this)
        g_pSound = nullptr;
}

void CSound::ApplySettings()
{
    if (m_soundOn && m_listener)
        m_listener->CommitDeferredSettings();
}

SoundResult CSound::Initialize(
    plat::window::Window* /*window*/, const SSoundFormat& format, int /*cooperativeLevel*/)
{
    ZJ_TRACE("CSound::Initialize");
    if (!Succeeded(plat::sound::Device::Create(m_device))) {
        WriteErrorLog("CSound::Initialize Can`t create DirectSound: " + plat::sound::Device::LastFailure());
        return kSoundFail;
    }
    if (!Succeeded(m_device->CreatePrimaryBuffer(m_primary))
        || !Succeeded(
            m_primary->SetFormat(plat::sound::PcmFormat(format.channels, format.rate, format.bits)))) {
        WriteErrorLog("Error!!! CSound::Initialize");
        m_primary.reset();
        m_device.reset();
        return kSoundFail;
    }
    m_soundOn = 1;
    g_pSound = this;
    return kSoundOk;
}

SoundResult CSound::Get3DListenerInterface()
{
    m_listener = m_primary ? m_primary->GetListener() : nullptr;
    if (!m_listener) {
        WriteErrorLog("Error!!! CSound::Get3DListenerInterface");
        return kSoundFail;
    }
    return kSoundOk;
}

CSoundContainer* CSound::CreateSound(const char* fileName, uint32_t duplicates, bool is3D)
{
    ZJ_TRACE("CSound::CreateSound");
    if (!m_soundOn || !m_device || !fileName)
        return nullptr;
    CFileUtil file;
    if (SoundFailed(file.Open(fileName)) || !file.GetFormat())
        return nullptr;
    plat::sound::BufferDesc desc;
    desc.flags = is3D ? BufferFlags::Mute3DAtMaxDistance | BufferFlags::CtrlVolume
            | BufferFlags::CtrlFrequency | BufferFlags::Ctrl3D
                      : BufferFlags::CtrlVolume | BufferFlags::LocSoftware;
    desc.bytes = file.GetSize();
    desc.format = *file.GetFormat();
    std::unique_ptr<plat::sound::Buffer> first;
    if (!Succeeded(m_device->CreateBuffer(desc, first))) {
        WriteErrorLog("Error!!! CSound::CreateSound->CreateSoundBuffer");
        return nullptr;
    }
    auto container = std::make_unique<CSoundContainer>();
    if (SoundFailed(container->Create(*m_device, std::move(first), file, static_cast<int>(duplicates))))
        return nullptr;
    return container.release();
}

void CSound::SetListener(const Vec3& position, const Vec3& front, const Vec3& top)
{
    if (!m_soundOn || !m_listener)
        return;
    m_listenerPosition = position;
    plat::sound::ListenerParams params;
    params.position = { position.x, position.y, position.z };
    params.velocity = { 0, 0, 0 };
    params.front = { front.x, front.y, front.z };
    params.top = { top.x, top.y, top.z };
    params.distanceFactor = 1.0f;
    params.rolloffFactor = 1.0f;
    params.dopplerFactor = 0.25f;
    m_listener->SetAllParameters(params, Apply::Deferred);
}

SoundResult CSound::RestoreBuffer()
{
    if (!m_primary)
        return kSoundFail;
    plat::sound::BufferStatus status;
    if (!Succeeded(m_primary->GetStatus(status)) || !status.lost)
        return kSoundOk;
    for (int tries = 0; tries < kRestoreTries; ++tries) {
        const plat::sound::Result result = m_primary->Restore();
        if (Succeeded(result))
            return kSoundOk;
        if (result != plat::sound::Result::BufferLost)
            break;
        if (m_sleep)
            m_sleep(10);
        else
            plat::win::Sleep(10);
    }
    WriteErrorLog("CSound::RestoreBuffer can`t restore the primary buffer");
    return kSoundFail;
}

SoundResult RestoreSoundBuffer()
{
    return g_pSound ? g_pSound->RestoreBuffer() : kSoundFail;
}
