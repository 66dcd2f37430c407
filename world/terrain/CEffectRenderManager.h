// CEffectRenderManager: the render targets and work buffers of the special effects: the water
// reflection pass, the deferred list of effects drawn after the world (far ones first), the lit
// screen grid patch of the interface panels, a model rendered into an off-screen texture, and the
// geometry builders of beams and spheres. One global instance, EffectRenderManager. Main thread
// only.
#pragma once

#include "foundation/Matrix.h"
#include "foundation/Vector.h"
#include "render/CVertexData.h"

#include <cstdint>
#include <memory>
#include <vector>

class CComplexObject;
class CTexture;
class CZJObject;
class Mesh;
namespace plat::gfx {
class Surface;
}

// Reflections of anything at all: the settings' FullReflection, off unless a test sets it.
extern uint8_t FullReflection;
// The terrain and the objects in the reflections, on.
extern uint8_t TerrainReflection;

// Calls the object's DrawEffect with the argument.
void InvokeDrawEffect(CZJObject* object, uint32_t argument);

class CEffectRenderManager {
public:
    static constexpr int kMaxEffects = 8192;
    // The argument that hands an entry to the location's fading detail objects.
    static constexpr uint32_t kDetailObjectArgument = 0xFFFF0000;
    static constexpr int kReflectionSize = 512;
    static constexpr int kModelSize = 256;
    static constexpr uint32_t kBeamVertices = 4000;
    static constexpr uint32_t kBeamIndices = 12000;
    static constexpr uint32_t kGridMinVertices = 1200;

    CEffectRenderManager();
    ~CEffectRenderManager();
    CEffectRenderManager(const CEffectRenderManager&) = delete;
    CEffectRenderManager& operator=(const CEffectRenderManager&) = delete;

    // Once at start-up: the reflection targets, the device resources, the beam buffer and
    // "SCREEN2", the screen buffer the grid patches are drawn from (in their format).
    void Init(int reflectionTargets);
    // Create / release every device resource around a device reset (nothing before Init). A
    // failure of the device leaves that resource null.
    void ResetResources();
    void InvalidateResources();
    // The device resources and the work arrays; Init may run again.
    void FreeBuffers();
    // Per frame, beside the light reset: no reflection target used, the deferred list empty.
    void ResetFrame();

    // With reflections on and a target left this frame, renders the current (mirrored) camera's
    // view above the water level into the next target: its 1-based number, else 0.
    int CreateReflection(float waterHeight);
    // The texture of a number CreateReflection gave; null for <= 0 or an unknown number.
    CTexture* GetReflectionTexture(int handle) const;
    int UsedReflections() const { return m_usedTargets; }

    // While set, objects add their effects with AddEffect instead of drawing them.
    bool IsCollecting() const { return m_collecting != 0; }
    // Appends an entry (key: the squared distance to the camera). On a full list the entry is
    // dropped, with one log line per frame.
    void AddEffect(float key, CZJObject* object, uint32_t argument);
    // Appends a fading detail object, frame record k of the location, drawn by the location.
    void AddDetailObject(float key, int record);
    int EffectCount() const { return m_effectCount; }
    // Draws the entries sorted by key, the largest first, in one shader batch.
    void RenderEffects();

    // A screen-space grid over (x1, y1)..(x2, y2) in 32-pixel cells whose vertex colours encode
    // the direction to the light point; false (nothing built) when it exceeds the buffer sized
    // for the screen.
    bool BuildGridPatch(float x1, float y1, float x2, float y2, float lightX, float lightY);
    const CVertexData& GridPatch() const { return m_work; }

    // The model at its placement, scaled to the target, into the 256 x 256 target (with
    // secondPass, blurred through the 512 x 512 one); 0 without a model or targets, else 1.
    int RenderModelToTexture(CComplexObject* model, const Matrix4& placement, float size, bool secondPass);
    CTexture* GetModelTexture() const { return m_modelTarget.get(); }

    // A sphere of radius R around the origin with n + 1 rings into target; with rim, only the
    // part facing along the view direction d keeps its alpha.
    static void CreateSphereEx(
        CVertexData& target, float radius, int n, uint32_t colour, const Vec3& d, bool rim);
    // A camera-facing beam from a to b, half-width w, faded by f (0..2), texture v from offset
    // to offset + repeat (tiled) or by length (not tiled). Null when a equals b or before Init.
    Mesh* GetRayMesh(const Vec3& a, const Vec3& b, float w, const Vec3& eye, float f, bool tiled,
        float offset, float repeat);
    // A camera-facing band from a to b: u 0..1 along, or (distance - offset) / repeatLength.
    Mesh* GetRayMesh2(
        const Vec3& a, const Vec3& b, float w, const Vec3& eye, float repeatLength, float offset);
    // The vertices and indices of the last beam or band.
    const CVertexData& BeamData() const { return m_beam; }

private:
    struct Effect {
        float key;
        CZJObject* object;
        int32_t record; // of a detail object
        uint32_t argument;
    };

    void Append(const Effect& effect);

    std::unique_ptr<CTexture> MakeTarget(int size);
    void ReleaseTarget(std::unique_ptr<CTexture>& texture);
    bool BuildBeam(const Vec3& a, const Vec3& b, const Vec3& eye, Vec3& d, Vec3& side, float& length);

    CVertexData m_work; // the grid patch, screen format with specular
    CVertexData m_beam;
    std::vector<std::unique_ptr<CTexture>> m_targets;
    plat::gfx::Surface* m_depth = nullptr;
    int m_targetCount = 0;
    int m_usedTargets = 0;
    uint8_t m_collecting = 1;
    std::unique_ptr<CTexture> m_modelTarget;
    std::unique_ptr<CTexture> m_blurTarget;
    int m_screen2 = -1;
    std::vector<Effect> m_effects;
    std::vector<int> m_order;
    int m_effectCount = 0;
    bool m_loggedFull = false;
    bool m_initialised = false;
};

extern CEffectRenderManager EffectRenderManager;
