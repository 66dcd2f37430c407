#include "audio/CSoundObject.h"

#include "audio/CSoundContainer.h"
#include "foundation/ErrorLog.h"

#include <cmath>

using plat::sound::Apply;

CSoundObject::CSoundObject() = default;
CSoundObject::~CSoundObject() = default;

int32_t CSoundObject::VolumeOf(float v)
{
    if (v > 1.0f)
        return plat::sound::kVolumeMax;
    if (!(v > 0.0f))
        return plat::sound::kVolumeMin;
    const double attenuation = std::pow(10.0, 4.0 * (1.0 - double(v)));
    return std::max(plat::sound::kVolumeMin, -static_cast<int32_t>(attenuation));
}

void CSoundObject::SetVolume(float factor)
{
    if (!m_buffer)
        return;
    plat::sound::BufferStatus status;
    if (plat::sound::Succeeded(m_buffer->GetStatus(status)) && status.lost && !status.playing
        && !status.looping)
        m_buffer->Restore();
    m_volumeFactor = factor;
    const float containerVolume = m_container ? m_container->m_volume : 1.0f;
    const float master = m_container ? m_container->m_master : 1.0f;
    const float v = std::sqrt(std::max(containerVolume + 0.1f, 0.0f)) * master * factor;
    if (!plat::sound::Succeeded(m_buffer->SetVolume(VolumeOf(v))))
        WriteErrorLog("CSoundObject::SetVolume fail");
}

void CSoundObject::SetFrequency(float hertz)
{
    if (!m_buffer || hertz == m_lastFrequency)
        return;
    m_lastFrequency = hertz;
    m_buffer->SetFrequency(hertz > 0 ? static_cast<uint32_t>(hertz) : plat::sound::kFrequencyOriginal);
}

namespace {

float DistanceSq(const Vec3& a, const Vec3& b)
{
    const float dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
    return dx * dx + dy * dy + dz * dz;
}

plat::sound::Vector ToVector(const Vec3& v)
{
    return { v.x, v.y, v.z };
}

} // namespace

void CSoundObject::SetPosition(const Vec3& position)
{
    if (DistanceSq(position, m_position) < 0.001f * m_minDistance * m_minDistance)
        return;
    m_position = position;
    if (m_buffer3D)
        m_buffer3D->SetPosition(ToVector(position), Apply::Deferred);
}

void CSoundObject::PlaceAt(const Vec3& position)
{
    m_position = position;
    if (m_buffer3D)
        m_buffer3D->SetPosition(ToVector(position), Apply::Immediate);
}

void CSoundObject::SetVelocity(const Vec3& velocity)
{
    if (DistanceSq(velocity, m_velocity) < 0.001f * m_minDistance * m_minDistance)
        return;
    m_velocity = velocity;
    if (m_buffer3D)
        m_buffer3D->SetVelocity(ToVector(velocity), Apply::Deferred);
}

void CSoundObject::SetRange(float minimum, float maximum)
{
    if (minimum == m_minDistance && maximum == m_maxDistance)
        return;
    m_minDistance = minimum;
    m_maxDistance = maximum;
    if (m_buffer3D) {
        m_buffer3D->SetMinDistance(minimum, Apply::Deferred);
        m_buffer3D->SetMaxDistance(maximum, Apply::Deferred);
    }
}

SoundResult CSoundObject::Play(uint32_t flags, uint32_t /*priority*/)
{
    if (!m_buffer)
        return kSoundFail;
    if (m_fading)
        EndFade();
    const bool looping = (flags & kSoundPlayLooping) != 0;
    if (!plat::sound::Succeeded(m_buffer->Play(looping)))
        return kSoundFail;
    if (looping && !m_looping && m_container)
        ++m_container->m_loopCount;
    if (!looping && m_looping && m_container)
        --m_container->m_loopCount;
    m_looping = looping ? 1 : 0;
    return kSoundOk;
}

void CSoundObject::Stop()
{
    if (!m_buffer)
        return;
    m_buffer->Stop();
    if (m_looping && m_container)
        --m_container->m_loopCount;
    m_looping = 0;
    m_buffer->SetCurrentPosition(0);
}

void CSoundObject::StartFade(float duration)
{
    if (m_fading)
        return;
    m_fading = 1;
    m_fadeFinished = 0;
    m_fadeElapsed = 0;
    m_fadeDuration = duration;
}

void CSoundObject::EndFade()
{
    m_fading = 0;
    m_fadeFinished = 0;
    m_fadeElapsed = 0;
    SetVolume(1.0f);
}

void CSoundObject::UpdateFade(float dt)
{
    if (!m_fading)
        return;
    if (m_fadeFinished) {
        EndFade();
        return;
    }
    m_fadeElapsed += dt;
    if (m_fadeElapsed < m_fadeDuration) {
        const float factor = 1.0f - m_fadeElapsed / m_fadeDuration;
        SetVolume(factor > 0 ? factor : 0.0f);
        return;
    }
    Stop();
    m_fadeFinished = 1;
}

void CSoundObject::Set2DMode(bool on)
{
    if (!m_buffer3D || (m_2DMode != 0) == on)
        return;
    m_2DMode = on ? 1 : 0;
    m_buffer3D->SetMode(on ? plat::sound::Mode3D::Disable : plat::sound::Mode3D::Normal, Apply::Immediate);
}

bool CSoundObject::IsPlaying() const
{
    plat::sound::BufferStatus status;
    return m_buffer && plat::sound::Succeeded(m_buffer->GetStatus(status))
        && (status.playing || status.looping);
}
