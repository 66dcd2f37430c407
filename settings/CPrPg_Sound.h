// The sound page: music switch and volume, sound volume, the number of sound sources and the
// engine volume of the player's glider.
#pragma once

#include "settings/CPrPg_Page.h"

struct SSoundControls {
    bool musicEnable = false; // 1022
    SSlider musicVolume; // 1025
    SSlider soundVolume; // 1010
    SSlider maxSources; // 1026
    SSlider playerFade; // 1009
};

class CPrPg_Sound : public CPrPg_Page {
public:
    void Load(const std::string& path) override;
    bool Save(const std::string& path) override;
    void Defaults() override;

    SSoundControls& Controls() { return m_controls; }

protected:
    void OnFirstActivation(const SPageHost& host) override;

private:
    void FillControls();

    int32_t m_musicEnable = 1;
    int32_t m_musicVolume = 3;
    int32_t m_soundVolume = 10;
    int32_t m_maxSources = 10;
    int32_t m_playerFade = 100;
    SSoundControls m_controls;
};
