// 3-D settings of a buffer: the values in effect, the deferred ones, and their mirror on the
// buffer's OpenAL source.
#include "platform/sound/buffer.h"

#include "platform/sound/internal.h"

namespace plat::sound {

namespace detail {

namespace {

// Left-handed callers, right-handed OpenAL: z changes sign.
void SetAlVector(ALuint source, ALenum param, const Vector& v)
{
    alSource3f(source, param, v.x, v.y, -v.z);
}

} // namespace

void BufferState::Apply3D()
{
    if (!Is3D() || applied3d.mode == Mode3D::Disable) {
        alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
        alSource3f(source, AL_POSITION, 0, 0, 0);
        alSource3f(source, AL_VELOCITY, 0, 0, 0);
        return;
    }
    alSourcei(source, AL_SOURCE_RELATIVE, AL_FALSE);
    SetAlVector(source, AL_POSITION, applied3d.position);
    SetAlVector(source, AL_VELOCITY, applied3d.velocity);
    alSourcef(source, AL_REFERENCE_DISTANCE, applied3d.minDistance);
    alSourcef(source, AL_MAX_DISTANCE, applied3d.maxDistance);
}

} // namespace detail

using detail::BufferState;

// 3-D settings: an immediate change applies now; a deferred one waits for the commit.
namespace {

template <typename Change> Result Change3D(BufferState* s, Apply apply, Change change)
{
    std::lock_guard lock(s->device->mutex);
    if (!s->pending3dSet) {
        s->pending3d = s->applied3d;
    }
    change(s->pending3d);
    if (apply == Apply::Deferred) {
        s->pending3dSet = true;
        return Result::Ok;
    }
    // Only this change goes through now; other deferred ones keep waiting.
    change(s->applied3d);
    if (!s->pending3dSet)
        s->pending3d = s->applied3d;
    s->Apply3D();
    s->device->UpdateMute(*s);
    return Result::Ok;
}

} // namespace

Result Buffer3D::SetPosition(const Vector& position, Apply apply)
{
    return Change3D(m_owner, apply, [&](detail::Params3D& p) { p.position = position; });
}

Result Buffer3D::SetVelocity(const Vector& velocity, Apply apply)
{
    return Change3D(m_owner, apply, [&](detail::Params3D& p) { p.velocity = velocity; });
}

Result Buffer3D::SetMinDistance(float distance, Apply apply)
{
    if (!(distance > 0))
        return Result::InvalidArg;
    return Change3D(m_owner, apply, [&](detail::Params3D& p) { p.minDistance = distance; });
}

Result Buffer3D::SetMaxDistance(float distance, Apply apply)
{
    if (!(distance > 0))
        return Result::InvalidArg;
    return Change3D(m_owner, apply, [&](detail::Params3D& p) { p.maxDistance = distance; });
}

Result Buffer3D::SetMode(Mode3D mode, Apply apply)
{
    return Change3D(m_owner, apply, [&](detail::Params3D& p) { p.mode = mode; });
}

Vector Buffer3D::GetPosition() const
{
    std::lock_guard lock(m_owner->device->mutex);
    return m_owner->applied3d.position;
}

float Buffer3D::GetMinDistance() const
{
    std::lock_guard lock(m_owner->device->mutex);
    return m_owner->applied3d.minDistance;
}

float Buffer3D::GetMaxDistance() const
{
    std::lock_guard lock(m_owner->device->mutex);
    return m_owner->applied3d.maxDistance;
}

Mode3D Buffer3D::GetMode() const
{
    std::lock_guard lock(m_owner->device->mutex);
    return m_owner->applied3d.mode;
}

} // namespace plat::sound
