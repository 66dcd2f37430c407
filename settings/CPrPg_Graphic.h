// The graphics page: display mode, vertical sync, texture quality, view range, filtering and
// anisotropy, static map buffer, water reflection and linear fog.
#pragma once

#include "settings/CPrPg_Page.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace plat::gfx {
struct DisplayMode;
}

struct SGraphicControls {
    std::vector<std::string> modes; // 1027, Windows-1251 texts
    int mode = -1; // -1: no selection
    bool interval = false; // 1028
    int texture = -1; // 1029
    int radius = -1; // 1030
    int filtering = 1; // 1031 checked: 1, 1032 checked: 2
    bool anisotropicRadio = true; // 1032 enabled
    SSlider anisotropy; // 1009
    bool anisotropySlider = false; // 1009 and its label 1035 enabled
    bool staticBuffer = false; // 1018
    bool fullReflection = false; // 1036
    bool linearFog = false; // 1005, hidden
};

struct SModeText {
    int32_t width = 0;
    int32_t height = 0;
    int32_t refresh = 0;
};

class CPrPg_Graphic : public CPrPg_Page {
public:
    static constexpr int kTextureItems = 3;
    static constexpr int kRadiusItems = 3;

    void Load(const std::string& path) override;
    bool Save(const std::string& path) override;
    void Defaults() override;

    SGraphicControls& Controls() { return m_controls; }
    // A click on one of the filtering radios (1 or 2).
    void ChooseFiltering(int filtering);

    // One item per size of the 32-bit modes at least 600 high, in first-seen order, each with
    // the highest refresh of its size.
    static std::vector<std::string> ModeList(const std::vector<plat::gfx::DisplayMode>& modes);
    // Width, height and refresh of an item ("800 x 600 x 60Гц"; "1024 x 768" has refresh 0).
    static SModeText ParseModeText(std::string_view text);
    static std::string ModeText(int32_t width, int32_t height, int32_t refresh);

protected:
    void OnFirstActivation(const SPageHost& host) override;

private:
    void FillControls();

    int32_t m_screenWidth = 0;
    int32_t m_screenHeight = 0;
    int32_t m_screenRefresh = 0;
    int32_t m_interval = 0;
    int32_t m_textureQuality = 0;
    int32_t m_visibleRadius = 256;
    int32_t m_filtering = 1;
    int32_t m_anisotropy = 1;
    int32_t m_useStaticMapBuffer = 1;
    int32_t m_fullReflection = 0;
    int32_t m_forceLinearFog = 0;
    int32_t m_maxAnisotropy = 1;
    SGraphicControls m_controls;
};
