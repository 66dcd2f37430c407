// zoq-gfxcaps [--minimal]: the gl adapter's caps in the chosen profile, one "Name value" line
// each, then the renderer and the display modes.
#include "platform/gfx/adapter.h"
#include "platform/gfx/caps.h"
#include "platform/gfx/gl/gl_backend.h"
#include "platform/win/program_info.h"

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using plat::gfx::Caps;

std::string Bool(bool value)
{
    return value ? "1" : "0";
}

std::string Number(uint32_t value)
{
    return std::to_string(value);
}

std::string Float(float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", double(value));
    return text;
}

std::string Version(uint32_t version)
{
    return std::to_string(version >> 8) + "." + std::to_string(version & 0xFF);
}

std::string Ops(uint32_t ops)
{
    std::string out;
    for (uint32_t op = 0; op < uint32_t(plat::gfx::TextureOp::Count); ++op)
        if (ops & (1u << op))
            out += (out.empty() ? "" : "|") + std::string(plat::gfx::TextureOpName(plat::gfx::TextureOp(op)));
    return out.empty() ? "0" : out;
}

struct CapRow {
    const char* name;
    std::function<std::string(const Caps&)> value;
};

const std::vector<CapRow>& Rows()
{
    static const std::vector<CapRow> rows = {
        { "DeviceType",
            [](const Caps& c) {
                return std::string(c.deviceType == plat::gfx::DeviceType::Hal ? "HAL" : "REF");
            } },
        { "HardwareTransformAndLight", [](const Caps& c) { return Bool(c.hardwareTransformAndLight); } },
        { "PureDevice", [](const Caps& c) { return Bool(c.pureDevice); } },
        { "CanRenderWindowed", [](const Caps& c) { return Bool(c.canRenderWindowed); } },
        { "FullScreenGamma", [](const Caps& c) { return Bool(c.fullscreenGamma); } },
        { "DynamicTextures", [](const Caps& c) { return Bool(c.dynamicTextures); } },
        { "ColorCursor", [](const Caps& c) { return Bool(c.colorCursor); } },
        { "Anisotropy", [](const Caps& c) { return Bool(c.anisotropy); } },
        { "FogTable", [](const Caps& c) { return Bool(c.fogTable); } },
        { "FogRange", [](const Caps& c) { return Bool(c.fogRange); } },
        { "WBuffer", [](const Caps& c) { return Bool(c.wBuffer); } },
        { "TextureOpCaps", [](const Caps& c) { return Ops(c.textureOps); } },
        { "ArgTemp", [](const Caps& c) { return Bool(c.argTemp); } },
        { "BorderAddress", [](const Caps& c) { return Bool(c.borderAddress); } },
        { "ProjectedTextures", [](const Caps& c) { return Bool(c.projectedTextures); } },
        { "MaxTextureBlendStages", [](const Caps& c) { return Number(c.maxTextureBlendStages); } },
        { "MaxSimultaneousTextures", [](const Caps& c) { return Number(c.maxSimultaneousTextures); } },
        { "MaxTextureWidth", [](const Caps& c) { return Number(c.maxTextureWidth); } },
        { "MaxTextureHeight", [](const Caps& c) { return Number(c.maxTextureHeight); } },
        { "MaxAnisotropy", [](const Caps& c) { return Number(c.maxAnisotropy); } },
        { "MaxVertexBlendMatrices", [](const Caps& c) { return Number(c.maxVertexBlendMatrices); } },
        { "MaxActiveLights", [](const Caps& c) { return Number(c.maxActiveLights); } },
        { "MaxUserClipPlanes", [](const Caps& c) { return Number(c.maxUserClipPlanes); } },
        { "MaxPointSize", [](const Caps& c) { return Float(c.maxPointSize); } },
        { "FvfPointSize", [](const Caps& c) { return Bool(c.fvfPointSize); } },
        { "MaxPrimitiveCount", [](const Caps& c) { return Number(c.maxPrimitiveCount); } },
        { "MaxVertexIndex", [](const Caps& c) { return Number(c.maxVertexIndex); } },
        { "MaxStreams", [](const Caps& c) { return Number(c.maxStreams); } },
        { "VertexShaderVersion", [](const Caps& c) { return Version(c.vertexShaderVersion); } },
        { "MaxVertexShaderConst", [](const Caps& c) { return Number(c.maxVertexShaderConst); } },
        { "PixelShaderVersion", [](const Caps& c) { return Version(c.pixelShaderVersion); } },
        { "MaxPixelShaderValue", [](const Caps& c) { return Float(c.maxPixelShaderValue); } },
        { "Dxt5Textures", [](const Caps& c) { return Bool(c.dxt5Textures); } },
        { "MaxMultiSample", [](const Caps& c) { return Number(c.maxMultiSample); } },
    };
    return rows;
}

constexpr char kHelp[]
    = "usage: zoq-gfxcaps [--minimal]\n"
      "The gl adapter's caps, one \"Name value\" line each, then the renderer and the display modes.\n"
      "  --minimal  the caps of the minimal profile\n";

int Fail(const std::string& reason)
{
    std::fprintf(stderr, "zoq-gfxcaps: %s\n", reason.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (const std::optional<int> answered = plat::win::AnswerInfoOption(argc, argv, "zoq-gfxcaps", kHelp))
        return *answered;
    using namespace plat::gfx;
    CapsProfile profile = CapsProfile::Full;
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--minimal")
            profile = CapsProfile::Minimal;
        else
            return Fail(std::string("unknown argument '") + argv[i] + "' (usage: zoq-gfxcaps [--minimal])");
    }
    Adapter* adapter = CreateAdapter("gl", profile);
    if (!adapter)
        return Fail("the gl backend is not built");
    gl::DriverFacts facts = gl::GetDriverFacts();
    if (!facts.ok) {
        adapter->Release();
        return Fail(facts.failure);
    }
    Caps caps;
    if (Failed(adapter->GetDeviceCaps(0, DeviceType::Hal, caps))) {
        adapter->Release();
        return Fail("no HAL device");
    }
    for (const CapRow& row : Rows())
        std::printf("%s %s\n", row.name, row.value(caps).c_str());
    std::printf("Renderer %s\n", facts.renderer.c_str());
    std::string modes;
    std::vector<std::string> seen;
    for (uint32_t i = 0; i < adapter->GetAdapterModeCount(0); ++i) {
        DisplayMode mode;
        if (Failed(adapter->EnumAdapterModes(0, i, mode)))
            continue;
        std::string text = std::to_string(mode.width) + "x" + std::to_string(mode.height) + "@"
            + std::to_string(mode.refreshRate);
        bool known = false;
        for (const std::string& s : seen)
            known = known || s == text;
        if (!known) {
            seen.push_back(text);
            modes += " " + text;
        }
    }
    std::printf("Modes%s\n", modes.c_str());
    adapter->Release();
    return 0;
}
