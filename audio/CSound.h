// CSound: the sound device, its primary buffer and the 3-D listener. The sound manager derives
// from it. CreateSound reads a sound file into a container of buffers. One global pointer
// names the initialised CSound.
#pragma once

#include "audio/SoundResult.h"
#include "foundation/Vector.h"
#include "platform/sound/buffer.h"
#include "platform/sound/device.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace plat::window {
class Window;
}

class CSoundContainer;

struct SSoundFormat {
    uint32_t rate = 44100;
    uint16_t channels = 2;
    uint16_t bits = 16;
};

class CSound {
public:
    static constexpr int kRestoreTries = 100;

    CSound();
    virtual ~CSound();
    CSound(const CSound&) = delete;
    CSound& operator=(const CSound&) = delete;
    virtual void ApplySettings();

    // The window and cooperative level are kept for the callers' shape; the device is the
    // process's one output.
    SoundResult Initialize(plat::window::Window* window, const SSoundFormat& format, int cooperativeLevel);
    SoundResult Get3DListenerInterface();
    // Null when sound is off, the name is missing or the file cannot be read or played.
    CSoundContainer* CreateSound(const char* fileName, uint32_t duplicates, bool is3D);
    void SetListener(const Vec3& position, const Vec3& front, const Vec3& top);
    // Restores a lost primary buffer, trying every 10 ms; gives up with a log line after
    // kRestoreTries tries.
    SoundResult RestoreBuffer();

    bool IsSoundOn() const { return m_soundOn != 0; }
    const Vec3& GetListenerPosition() const { return m_listenerPosition; }
    plat::sound::Device* GetDevice() { return m_device.get(); }
    plat::sound::PrimaryBuffer* GetPrimaryBuffer() { return m_primary.get(); }
    plat::sound::Listener* GetListener() { return m_listener; }

    // Test hook: what RestoreBuffer sleeps with (null: the kernel layer's Sleep).
    void SetSleep(std::function<void(uint32_t)> sleep) { m_sleep = std::move(sleep); }

protected:
    std::unique_ptr<plat::sound::PrimaryBuffer> m_primary;
    plat::sound::Listener* m_listener = nullptr;
    std::unique_ptr<plat::sound::Device> m_device;
    uint8_t m_soundOn = 0;
    Vec3 m_listenerPosition { 0, 0, 0 };
    std::function<void(uint32_t)> m_sleep;
};

extern CSound* g_pSound;

// RestoreBuffer of the global sound object, when there is one.
SoundResult RestoreSoundBuffer();
