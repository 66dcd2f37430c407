// CParticleViewer: a particle emitter that draws itself, as point sprites through "EFFECTPOINT" or
// as camera-facing quads (plain or with a frame atlas) through "EFFECT", with shader slot 24.
// A clone shares the description and the viewer parameters with its template (the model's
// emitter) and has its own particles. Main thread only.
#pragma once

#include "render/CParticleArray.h"
#include "render/CVertexData.h"

#include <memory>

class CParticleViewer : public CParticleArray {
public:
    static constexpr int kShaderSlot = 24;

    CParticleViewer();
    ~CParticleViewer() override;

    // The description and viewer parameters of a model-file block.
    void SetBlock(const SParticleBlock& block);
    // The block as the model file and the save form hold it.
    SParticleBlock GetBlock() const;

    void InitEmitter() override { CreateBuffers(); }
    void FreeArrays() override { Release(); }
    // The pool and the geometry: points (0x42) for kind 0, quads (0x242) otherwise, at most one
    // submission of the ring; a larger maxParticles is clamped and logged.
    void CreateBuffers();
    void Release();
    void Render();
    void GetBoundingSphere(Vec3& centre, float& radius) const;
    std::unique_ptr<CParticleViewer> Clone() const;

    // The geometry of the live particles, as Render submits it; false when there is none.
    bool BuildGeometry();

    SViewerParams& Viewer() { return *m_viewer; }
    const SViewerParams& Viewer() const { return *m_viewer; }
    CVertexData& Geometry() { return m_data; }
    int TextureIndex() const { return m_texture; }

    Vec3 right { 0, 0, 1 };
    Vec3 up { 1, 0, 0 };

private:
    std::shared_ptr<SViewerParams> m_viewer;
    CVertexData m_data;
    int m_texture = -1;
};
