#include "audio/CSoundContainer.h"

#include "audio/CFileUtil.h"

#include <algorithm>
#include <cstring>

CSoundContainer::CSoundContainer()
{
    for (CSoundObject& slot : m_slots)
        slot.m_container = this;
}

CSoundContainer::~CSoundContainer() = default;

SoundResult CSoundContainer::Create(
    plat::sound::Device& device, std::unique_ptr<plat::sound::Buffer> first, CFileUtil& file, int slots)
{
    plat::sound::LockRegion a, b;
    if (!plat::sound::Succeeded(first->Lock(0, first->Bytes(), a, b)))
        return kSoundFail;
    file.Read(a.data, a.bytes);
    first->Unlock(a, b);
    first->SetCurrentPosition(0);
    m_slots[0].m_buffer = std::move(first);
    m_slots[0].m_buffer3D = m_slots[0].m_buffer->Get3D();
    m_slotCount = 1;
    const int wanted = std::clamp(slots, 1, kMaxSlots);
    for (int i = 1; i < wanted; ++i) {
        CSoundObject& slot = m_slots[i];
        if (!plat::sound::Succeeded(device.DuplicateBuffer(*m_slots[0].m_buffer, slot.m_buffer)))
            break;
        slot.m_buffer3D = slot.m_buffer->Get3D();
        if (slot.m_buffer3D) {
            slot.m_minDistance = m_slots[0].m_minDistance;
            slot.m_maxDistance = m_slots[0].m_maxDistance;
            slot.m_buffer3D->SetMinDistance(slot.m_minDistance, plat::sound::Apply::Deferred);
            slot.m_buffer3D->SetMaxDistance(slot.m_maxDistance, plat::sound::Apply::Deferred);
        }
        ++m_slotCount;
    }
    return kSoundOk;
}

CSoundObject* CSoundContainer::GetFreeSlot()
{
    for (int i = 0; i < m_slotCount; ++i) {
        if (!m_slots[i].IsPlaying())
            return &m_slots[i];
    }
    return nullptr;
}

SoundResult CSoundContainer::Play(uint32_t flags, uint32_t priority)
{
    CSoundObject* slot = GetFreeSlot();
    if (!slot)
        return kSoundFail;
    return slot->Play(flags, priority);
}

void CSoundContainer::StopAll()
{
    for (int i = 0; i < m_slotCount; ++i)
        m_slots[i].Stop();
}

void CSoundContainer::SetRange(float minimum, float maximum)
{
    for (int i = 0; i < m_slotCount; ++i)
        m_slots[i].SetRange(minimum, maximum);
}

void CSoundContainer::SetVolume(float volume)
{
    m_volume = volume;
    for (int i = 0; i < m_slotCount; ++i)
        m_slots[i].SetVolume(1.0f);
}
