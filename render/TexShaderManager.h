// TexShaderManager: the 50 render-state slots through which every ordinary draw passes. Each slot
// is one to three passes recorded once as state blocks (again after a device reset), the caller
// textures each pass binds, an optional restore block and, for water, a vertex shader. Callers
// never set render or stage states themselves: they call Apply with a slot, a mesh and up to
// four textures. Between ResetCurrent and ApplyEx (batch mode) a slot's states stay in place
// until another slot is applied. Main thread only.
#pragma once

#include "foundation/XFixedArray.h"
#include "platform/gfx/types.h"

#include <cstdint>
#include <optional>
#include <vector>

class CTexture;
class Mesh;
struct SShaderVariant;
struct SShaderOp;

// One slot. Block fields hold device state-block handles; 0 and kNoBlock both mean none.
struct ShaderSlot {
    static constexpr uint32_t kNoBlock = 0xFFFFFFFFu;
    static constexpr int kStages = 5;

    int32_t passCount = 0;
    uint32_t passBlocks[3] = {};
    uint32_t restoreBlock = 0;
    uint32_t repeatBlock = 0;
    // Entry k: the caller texture (0-3) bound to stage k; the list ends at a negative entry.
    int32_t textures[3][kStages] = {};
    // The manager's vertex-shader handle, or null for fixed-function drawing.
    const uint32_t* vertexShader = nullptr;
};

class TexShaderManager {
public:
    static constexpr int kSlotCount = 50;
    static constexpr int kPixelShaderHandles = 20;

    // fixedProbe (tests only): the specular probe result Init(true) takes instead of drawing the
    // probe, for backends that do not rasterise.
    explicit TexShaderManager(std::optional<bool> fixedProbe = std::nullopt);
    ~TexShaderManager();
    TexShaderManager(const TexShaderManager&) = delete;
    TexShaderManager& operator=(const TexShaderManager&) = delete;

    // Records every slot; probe runs the specular probe first (at start-up, not after a reset).
    // False when a fatal slot could not be built; the manager can still be purged.
    bool Init(bool probe);
    // The specular probe: draws a lit quad into a 32x32 target and reads its centre.
    void GetCaps();
    // Draws the mesh once per pass of the slot with the textures its lists name; any texture may
    // be null (the stage keeps what it holds). A slot outside 0-49 throws XRangeError; a failing
    // ApplyStateBlock outside batch mode throws "ApplyStateBlock".
    void Apply(int slot, Mesh* mesh, CTexture* t0 = nullptr, CTexture* t1 = nullptr, CTexture* t2 = nullptr,
        CTexture* t3 = nullptr);
    // Batch mode on; no slot is current.
    void ResetCurrent();
    // Batch mode off; the current slot's restore block runs. The current slot stays.
    void ApplyEx();

    // The texture factor slots read through TFACTOR: mask bit 0 the render state, bit 1 the
    // pixel-shader constant c0 (only with pixel shaders).
    void SetFactorAlpha(float alpha, int mask = 3);
    void SetFactorColor(uint32_t argb, int mask = 3);

    // The baseline every restore block returns to, set live.
    void SetDefaultStages();
    // ADDRESSU/V of the stage: BORDER (or CLAMP without border addressing) when clamp, else WRAP.
    void SetStageClamp(bool clamp, int stage);
    void IsShaderValid(bool clamp, int stage) { SetStageClamp(clamp, stage); }
    // ValidateDevice on the live state.
    bool Validate();
    // Range-checked (XRangeError).
    ShaderSlot& GetSlot(int i) { return m_slots.At(i); }

    // Deletes every block and shader and zeroes the records.
    void Purge();

    // True strictly inside the blue window of the format: X8R8G8B8 64..96, R5G6B5 5..18 (five-bit
    // blue). Other formats log "TexShaderManager::GetCaps Unknown target render format" and pass.
    static bool JudgeProbePixel(plat::gfx::Format format, const uint8_t* pixel);

    bool SpecularProbe() const { return m_specularProbe; }
    bool IsBatch() const { return m_batch; }
    int CurrentSlot() const { return m_currentSlot; }
    uint32_t PixelShaderHandle(int i) const { return m_pixelShaders.At(i); }
    uint32_t VertexShaderHandle() const { return m_vertexShader; }
    // The variant letter Init built for the slot, 0 when none.
    char BuiltVariant(int slot) const { return m_built.At(slot); }

    // The slot Init is building, -1 outside Init (tests aim the layer's block faults with it).
    int BuildingSlot() const { return m_building; }

private:
    bool BuildVariant(int slot, const SShaderVariant& variant);
    void ClearSlot(ShaderSlot& record);
    void RunOps(const SShaderOp* ops, size_t count);
    bool NeedsMet(const SShaderVariant& variant) const;
    bool CreateWaterShader();
    void CreatePixelShaders();
    bool EndBlock(uint32_t& handle);
    bool ApplyBlock(uint32_t handle);
    void DeleteBlock(uint32_t handle);
    void BindTextures(const int32_t* list, CTexture* const textures[4]);
    void DrawMesh(const ShaderSlot& record, Mesh* mesh);
    void RunProbe();

    bool m_specularProbe = false;
    XFixedArray<ShaderSlot, kSlotCount> m_slots;
    XFixedArray<uint32_t, kPixelShaderHandles> m_pixelShaders;
    uint32_t m_vertexShader = 0;
    bool m_batch = false;
    int32_t m_currentSlot = -1;

    std::optional<bool> m_fixedProbe;
    XFixedArray<char, kSlotCount> m_built;
    int m_building = -1; // the slot Init is building
};

// The process-wide manager, created by the resource start-up.
extern TexShaderManager* g_TexShaderManager;

// Water vertex-shader constants: c3-c6 = the transpose of a, c0-c2 = the first three rows of the
// transpose of b.
void SetVertexShaderMatrices(const plat::gfx::Matrix* a, const plat::gfx::Matrix* b);
