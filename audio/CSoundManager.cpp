#include "audio/CSoundManager.h"

#include "audio/CSoundContainer.h"
#include "audio/CSoundObject.h"
#include "foundation/CLogWriter.h"
#include "foundation/CTimer.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "foundation/ResourceDBManager.h"

#include <cmath>
#include <cstdio>
#include <cstring>

CSoundManager* g_pSoundManager = nullptr;

CSoundManager::CSoundManager() = default;

CSoundManager::~CSoundManager()
{
    ReleaseAllSounds();
}

void CSoundManager::Init(const char* table)
{
    ZJ_TRACE("CSoundManager::Init");
    ReleaseAllSounds();
    DefaultManager::Init(table);
    if (m_logging) {
        m_logWriter = new CLogWriter();
        m_logWriter->Init("SoundManager_Log.txt");
    }
    m_records.SetSize(m_rowCount);
    for (int i = 0; i < m_rowCount; ++i) {
        SSoundRecord& record = m_records.At(i);
        const char* row = m_rowNames.GetString(i);
        g_ResourceDBManager.GetString(row, "Filename", record.fileName, sizeof record.fileName);
        std::snprintf(record.rowName, sizeof record.rowName, "%s", row);
        record.is3D = g_ResourceDBManager.GetIntegerField(row, "3DSound") == 1 ? 1 : 0;
        record.volume = g_ResourceDBManager.GetFloat(row, "VOLUME");
        record.minDistance = g_ResourceDBManager.GetFloat(row, "MINDIST");
        record.maxDistance = record.minDistance * 5;
        const int32_t duplicates = g_ResourceDBManager.GetIntegerField(row, "MAXSOUND");
        record.duplicates = duplicates == 0 ? kDefaultDuplicates : static_cast<uint32_t>(duplicates);
        record.container = nullptr;
    }
    m_controls.Init(kControls);
    m_requests.Clear();
    m_liveCount = 0;
    m_threshold = 0.01f;
}

bool CSoundManager::InitSound(plat::window::Window* window)
{
    ZJ_TRACE("CSoundManager::InitSound");
    if (SoundFailed(Initialize(window, m_waveFormat, 2))) {
        WriteErrorLog("Sound card not found");
        m_soundOn = 0;
        return false;
    }
    if (SoundFailed(Get3DListenerInterface())) {
        WriteErrorLog("Error !!! CSoundManager::InitSound->Get3DListenerInterface()");
        m_soundOn = 0;
        return false;
    }
    m_soundOn = 1;
    m_initialised = 1;
    return true;
}

void CSoundManager::SetVolume(uint32_t volume)
{
    ZJ_TRACE("CSoundManager::SetVolume");
    RestoreBuffer();
    m_volume = volume;
    const float scale = (float(volume) + 4.0f) / 14.0f;
    m_master = volume == 0 ? 0.0f : scale * scale;
    if (volume > 0) {
        for (SSoundRecord& record : m_records) {
            if (record.container) {
                record.container->SetMaster(m_master);
                record.container->SetVolume(record.container->GetVolume());
            }
        }
        m_soundOn = m_initialised;
        return;
    }
    StopAll(0);
    for (SSoundRecord& record : m_records) {
        if (record.container) {
            record.container->StopAll();
            delete record.container;
            record.container = nullptr;
        }
    }
    m_soundOn = 0;
}

void CSoundManager::SetSourceLimits(int maxSources, int maxSources2)
{
    m_maxSources = maxSources;
    m_maxSources2 = maxSources2;
}

CSoundContainer* CSoundManager::GetSound(int id)
{
    ZJ_TRACE("CSoundManager::GetSound");
    if (id == -1)
        return nullptr;
    SSoundRecord& record = m_records.At(id);
    if (!record.container) {
        record.container = CreateSound(record.fileName, record.duplicates, record.is3D != 0);
        if (!record.container)
            return nullptr;
        if (record.is3D)
            record.container->SetRange(record.minDistance, record.maxDistance);
        record.container->SetMaster(m_master);
        record.container->SetVolume(1.0f - record.volume);
    }
    return record.container;
}

CSoundObject* CSoundManager::PlaySound(int id, int /*flag*/)
{
    if (!m_soundOn)
        return nullptr;
    CSoundContainer* container = GetSound(id);
    if (!container)
        return nullptr;
    CSoundObject* slot = container->GetFreeSlot();
    if (!slot || SoundFailed(slot->Play(0, 0)))
        return nullptr;
    return slot;
}

void CSoundManager::Play3DSound(int id, const Vec3& position)
{
    if (!m_soundOn || id == -1)
        return;
    if (m_requests.Count() >= kRequests) {
        WriteErrorLog("CSoundManager::Play3DSound too many new sounds");
        return;
    }
    m_requests.Push({ id, position });
}

void CSoundManager::Play3DSound2D(int id, const Vec3& position)
{
    if (!m_soundOn)
        return;
    CSoundContainer* container = GetSound(id);
    if (!container)
        return;
    CSoundObject* slot = container->GetFreeSlot();
    if (!slot)
        return;
    slot->Set2DMode(true);
    slot->PlaceAt(position);
    slot->EndFade();
    slot->Play(0, 0);
}

float CSoundManager::DistanceToListener(const Vec3& position) const
{
    const float dx = position.x - m_listenerPosition.x;
    const float dy = position.y - m_listenerPosition.y;
    const float dz = position.z - m_listenerPosition.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

float CSoundManager::RequestEstimate(const SSoundRecord& record, float distance)
{
    const float level = 1.0f - record.volume;
    if (distance < record.minDistance)
        return level;
    return level * std::pow(2.0f, record.minDistance / distance);
}

float CSoundManager::ControlEstimate(const SSoundRecord& record, float distance)
{
    const float level = 1.0f - record.volume;
    if (distance > record.minDistance)
        return level * std::pow(2.0f, record.minDistance / distance);
    return level;
}

SSoundControl* CSoundManager::GetControl(int handle)
{
    return m_controls.IsUsed(handle) ? &m_controls.At(handle) : nullptr;
}

void CSoundManager::FreeControl(int handle)
{
    m_controls.At(handle).ownerTag = 0;
    m_controls.Remove(handle);
}

int CSoundManager::GetSoundControl(int id, int handle, uint32_t ownerTag, const Vec3& position, bool is3D)
{
    ZJ_TRACE("CSoundManager::GetSoundControl");
    if (!m_soundOn || id == -1)
        return -1;
    if (SSoundControl* held = GetControl(handle); held && held->ownerTag == ownerTag) {
        held->position = position;
        return handle;
    }
    const SSoundRecord& record = m_records.At(id);
    float estimate = 1.0f;
    if (is3D) {
        const float d = DistanceToListener(position) + 0.01f;
        if (d > record.maxDistance)
            return -1;
        estimate = ControlEstimate(record, d);
    }
    CSoundContainer* container = GetSound(id);
    if (!container)
        return -1;
    const int loops = container->GetLoopCount();
    const bool loopRoom = loops < 2 || (loops < 3 && estimate > container->GetLoudestLoop());
    const bool audible = (m_liveCount < m_maxSources && estimate > 0.01f) || estimate > m_threshold || !is3D;
    if (!loopRoom || !audible)
        return -1;
    CSoundObject* slot = container->GetFreeSlot();
    if (!slot)
        return -1;
    const int added
        = m_controls.Add({ id, 0, 1, slot, position, ownerTag, static_cast<uint8_t>(is3D ? 1 : 0) });
    if (added == -1)
        return -1;
    container->SetLoudestLoop(loops == 0 ? estimate : std::max(container->GetLoudestLoop(), estimate));
    ++m_liveCount;
    m_threshold = (m_threshold * float(m_liveCount - 1) + estimate) / float(m_liveCount);
    return added;
}

void CSoundManager::PlaySoundControl(int handle, const Vec3& position, bool loop, bool moveFirst)
{
    ZJ_TRACE("CSoundManager::PlaySoundControl");
    SSoundControl* control = GetControl(handle);
    if (!control)
        return;
    if (moveFirst)
        control->slot->SetPosition(position);
    if (control->slot->IsPlaying())
        return;
    // A slot always starts where it is asked to, not where its last owner left it.
    control->slot->PlaceAt(position);
    control->slot->Play(loop ? kSoundPlayLooping : 0, 0);
    control->countsAsLoop = loop ? 1 : 0;
    control->active = 1;
    control->position = position;
}

void CSoundManager::StopSoundControl(int& handle, uint32_t ownerTag)
{
    ZJ_TRACE("CSoundManager::StopSoundControl");
    SSoundControl* control = GetControl(handle);
    if (control && control->ownerTag == ownerTag) {
        if (control->slot->IsPlaying())
            control->slot->Stop();
        FreeControl(handle);
        --m_liveCount;
    }
    handle = -1;
}

void CSoundManager::SetSoundControl2D(int handle, bool on)
{
    if (SSoundControl* control = GetControl(handle))
        control->slot->Set2DMode(on);
}

void CSoundManager::SetSoundControlVolume(int handle, float factor)
{
    if (SSoundControl* control = GetControl(handle))
        control->slot->SetVolume(factor);
}

void CSoundManager::SetSoundControlFrequency(int handle, float hertz)
{
    if (SSoundControl* control = GetControl(handle))
        control->slot->SetFrequency(hertz);
}

void CSoundManager::SetSoundControlVelocity(int handle, const Vec3& velocity)
{
    if (SSoundControl* control = GetControl(handle))
        control->slot->SetVelocity(velocity);
}

void CSoundManager::SetSoundControlDistance(int handle, float distance)
{
    if (SSoundControl* control = GetControl(handle))
        control->slot->SetRange(distance * 0.25f, distance);
}

void CSoundManager::BeginFade(int handle, float seconds)
{
    if (SSoundControl* control = GetControl(handle))
        control->slot->StartFade(seconds);
}

void CSoundManager::UpdateSoundControlFade(int handle, float dt)
{
    if (SSoundControl* control = GetControl(handle))
        control->slot->UpdateFade(dt);
}

void CSoundManager::StopAll(int /*flag*/)
{
    if (!m_soundOn)
        return;
    for (int handle = m_controls.First(); handle;) {
        const int next = m_controls.Next(handle);
        m_controls.At(handle).slot->Stop();
        FreeControl(handle);
        handle = next;
    }
    m_liveCount = 0;
}

void CSoundManager::ApplySettings()
{
    ZJ_TRACE("CSoundManager::ApplySettings");
    if (!m_soundOn)
        return;
    int count = 0;
    float sum = 0;
    float quietest = 1.0f;
    int quietestHandle = 0;
    {
        ZJ_TRACE("SEARCH/REMOVE");
        for (int handle = m_controls.First(); handle; handle = m_controls.Next(handle))
            m_controls.At(handle).slot->GetContainer()->SetLoudestLoop(0);
        for (int handle = m_controls.First(); handle;) {
            const int next = m_controls.Next(handle);
            SSoundControl& control = m_controls.At(handle);
            const SSoundRecord& record = m_records.At(control.soundId);
            CSoundObject& slot = *control.slot;
            if (!slot.IsPlaying()) {
                FreeControl(handle);
                handle = next;
                continue;
            }
            float estimate = slot.GetVolumeFactor();
            if (control.is3D) {
                const float d = DistanceToListener(control.position);
                if (d > record.maxDistance) {
                    slot.Stop();
                    FreeControl(handle);
                    handle = next;
                    continue;
                }
                estimate *= ControlEstimate(record, d);
            }
            slot.UpdateFade(FrameTime);
            sum += estimate;
            ++count;
            if (control.countsAsLoop) {
                CSoundContainer* container = slot.GetContainer();
                container->SetLoudestLoop(std::max(container->GetLoudestLoop(), estimate));
                if (estimate < quietest) {
                    quietest = estimate;
                    quietestHandle = handle;
                }
            }
            handle = next;
        }
    }
    float threshold = count == 0 ? 0.01f : (sum / float(count) + quietest) * 0.5f;

    {
        ZJ_TRACE("ADD NEW");
        // Taken out first, so that a bad request is not met again next frame.
        const int queued = m_requests.Count();
        SPlayRequest requests[kRequests];
        for (int i = 0; i < queued; ++i)
            requests[i] = m_requests.Last(queued - 1 - i);
        m_requests.Clear();
        for (int i = 0; i < queued; ++i) {
            const SPlayRequest& request = requests[i];
            const SSoundRecord& record = m_records.At(request.soundId);
            const float d = DistanceToListener(request.position);
            if (d >= record.maxDistance)
                continue;
            const float estimate = RequestEstimate(record, d);
            if (!((count < m_maxSources && estimate > 0.01f) || estimate > threshold))
                continue;
            CSoundContainer* container = GetSound(request.soundId);
            CSoundObject* slot = container ? container->GetFreeSlot() : nullptr;
            if (!slot)
                continue;
            if (m_controls.Add({ request.soundId, 1, 0, slot, request.position, 0, 1 }) == -1)
                continue;
            slot->Set2DMode(false);
            slot->PlaceAt(request.position);
            slot->EndFade();
            slot->Play(0, 0);
            ++count;
            threshold = (threshold * float(count - 1) + estimate) / float(count);
        }
    }
    m_liveCount = count;
    m_threshold = threshold;

    if (count >= m_maxSources2 && quietestHandle && m_controls.IsUsed(quietestHandle)) {
        CSoundObject* slot = m_controls.At(quietestHandle).slot;
        if (!slot->IsFading())
            slot->StartFade(0.3f);
    }
    CSound::ApplySettings();
}

void CSoundManager::ReleaseAllSounds()
{
    if (m_controls.Capacity() > 0) {
        for (int handle = m_controls.First(); handle;) {
            const int next = m_controls.Next(handle);
            m_controls.At(handle).slot->Stop();
            FreeControl(handle);
            handle = next;
        }
    }
    m_liveCount = 0;
    for (SSoundRecord& record : m_records) {
        delete record.container;
        record.container = nullptr;
    }
}
