// CSoundObject: one buffer of a sound container, with its volume, frequency, 3-D position and
// fade. Volumes combine the container's volume, the master factor and the slot's own factor.
#pragma once

#include "audio/SoundResult.h"
#include "foundation/Vector.h"
#include "platform/sound/buffer.h"

#include <cstdint>
#include <memory>

class CSoundContainer;

// Play flags.
inline constexpr uint32_t kSoundPlayLooping = 1;

class CSoundObject {
public:
    CSoundObject();
    virtual ~CSoundObject();
    CSoundObject(const CSoundObject&) = delete;
    CSoundObject& operator=(const CSoundObject&) = delete;

    // v = sqrt(container volume + 0.1) x master x f; the buffer gets -(10 ^ (4 (1 - v)))
    // hundredths of a decibel (full volume once v passes 1).
    void SetVolume(float factor);
    void SetFrequency(float hertz);
    void SetPosition(const Vec3& position);
    // Places the buffer at once, whatever the distance moved; a slot starts there.
    void PlaceAt(const Vec3& position);
    void SetVelocity(const Vec3& velocity);
    void SetRange(float minimum, float maximum);
    SoundResult Play(uint32_t flags, uint32_t priority);
    // Stops, uncounts a loop and rewinds.
    void Stop();
    void StartFade(float duration);
    // Ends a fade at full volume.
    void EndFade();
    void UpdateFade(float dt);
    // Switches 3-D processing off (true) or on.
    void Set2DMode(bool on);

    bool IsPlaying() const;
    bool IsFading() const { return m_fading != 0; }
    bool Is2DMode() const { return m_2DMode != 0; }
    float GetVolumeFactor() const { return m_volumeFactor; }
    const Vec3& GetPosition() const { return m_position; }
    float GetMinDistance() const { return m_minDistance; }
    float GetMaxDistance() const { return m_maxDistance; }
    CSoundContainer* GetContainer() const { return m_container; }
    plat::sound::Buffer* GetBuffer() const { return m_buffer.get(); }
    // The buffer volume SetVolume computes for v.
    static int32_t VolumeOf(float v);

private:
    friend class CSoundContainer;

    std::unique_ptr<plat::sound::Buffer> m_buffer;
    plat::sound::Buffer3D* m_buffer3D = nullptr;
    CSoundContainer* m_container = nullptr;
    uint8_t m_2DMode = 0;
    uint8_t m_fading = 0;
    uint8_t m_fadeFinished = 0;
    float m_fadeElapsed = 0;
    float m_fadeDuration = 0;
    Vec3 m_position { 0, 0, 0 };
    Vec3 m_velocity { 0, 0, 0 };
    float m_minDistance = 1.0f;
    float m_maxDistance = 1.0e9f;
    float m_lastFrequency = -1.0f;
    float m_volumeFactor = 1.0f;
    uint32_t m_looping = 0;
};
