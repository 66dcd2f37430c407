// CResourceEngine: creates, loads, ticks and destroys the resource managers, each held in its
// global pointer (the sound and music managers' beside their classes in audio/), in a fixed order:
// CreateManagers (the device-bound managers), then GlobalInit (their tables and the remaining managers);
// DestroyManagers takes them down in its own order. Its clock drives pulsing effects. Main thread, except
// TickMusicFade (the gamma-fade thread).
#pragma once

#include <cstdint>

class CMusicMng;

class CResourceEngine {
public:
    CResourceEngine() = default;
    ~CResourceEngine(); // DestroyManagers
    CResourceEngine(const CResourceEngine&) = delete;
    CResourceEngine& operator=(const CResourceEngine&) = delete;

    // Texture manager with its cache textures, shader slot manager, picture manager, model
    // manager with its render buffers.
    void CreateManagers();
    // With create set, the device-bound managers are made here as well.
    void GlobalInit(bool create);
    // Small textures lower TextureQuality: below 512 to 2, below 1024 to at least 1.
    static void LimitTextureQuality(uint32_t maxTextureWidth);
    // Per frame: the clock and the model clocks advance by the frame time.
    void GlobalRun();
    // Each manager that exists, in order: font, music, sound, land materials, shader slots,
    // models, pictures, textures.
    void DestroyManagers();

    double Clock() const { return m_clock; }
    // Steps the music manager's fade, when there is one; safe against its creation and
    // destruction on the main thread.
    static void TickMusicFade(float seconds);
    // Makes manager the one g_pMusicMng names, in step with TickMusicFade.
    static void PublishMusicManager(CMusicMng* manager);

private:
    uint32_t m_reserved[2] = {};
    double m_clock = 0.0;
};

extern CResourceEngine ResourceEngine;

// Per rendered frame: the device wrapper's frame counters start again and the render buffers
// count a frame.
void ResetFrameCounters();
