// CEmitterInstance: a world object's own copy of a model's particle emitter. It clones the first
// emitter part of the model (sharing its description) and places the emitter at the model's "FX"
// marker. UpdateView keeps the emitter's camera-facing axes and its world bounding sphere.
// Main thread only.
#pragma once

#include "foundation/Matrix.h"
#include "render/CParticleViewer.h"

#include <memory>

class CComplexObject;

class CEmitterInstance {
public:
    CEmitterInstance() = default;
    virtual ~CEmitterInstance();
    CEmitterInstance(const CEmitterInstance&) = delete;
    CEmitterInstance& operator=(const CEmitterInstance&) = delete;

    // object defaults to the model manager's model of that index. Without an emitter part the
    // instance stays empty.
    void Init(int modelIndex, CComplexObject* object = nullptr);
    virtual void Update(float dt);
    virtual void Render();
    void Release();
    void UpdateView(const Matrix4& objectMatrix, const Vec3& cameraRight, const Vec3& cameraUp);

    CParticleViewer* Emitter() { return m_emitter.get(); }

    // Non-zero while the instance holds an emitter.
    int32_t hasEmitter = 0;
    // The emitter's bounding sphere in world terms, set by UpdateView.
    Vec3 effectCentre { 0, 0, 0 };
    float effectRadius = 0;

private:
    std::unique_ptr<CParticleViewer> m_emitter;
};

// The model instance of the world objects is the emitter instance.
using CModelInstance = CEmitterInstance;
