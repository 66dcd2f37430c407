#include "render/CEmitterInstance.h"

#include "foundation/CallTrace.h"
#include "render/CComplexObject.h"
#include "render/CModel.h"
#include "render/CModelManager.h"

#include <cmath>

CEmitterInstance::~CEmitterInstance()
{
    Release();
}

void CEmitterInstance::Init(int modelIndex, CComplexObject* object)
{
    ZJ_TRACE("CEmitterInstance::Init");
    Release();
    if (!object && g_pModelManager)
        object = g_pModelManager->GetModel(modelIndex);
    if (!object)
        return;
    CParticleViewer* source = nullptr;
    for (int i = 0; i < object->GetPartCount() && !source; ++i) {
        if (object->GetPart(i).type == modelfile::kPartEmitter)
            source = object->GetPartEmitter(i);
    }
    if (!source)
        return;
    m_emitter = source->Clone();
    m_emitter->CreateBuffers();
    hasEmitter = 1;

    Matrix4 frame;
    Matrix4Identity(frame);
    const int fx = object->FindPart("FX");
    if (fx >= 0 && object->GetPart(fx).type == modelfile::kPartShape) {
        if (CModel* marker = object->GetPartObject(fx)) {
            int corners[4];
            Matrix4 box;
            if (marker->FindFrameCorners(corners) && marker->GetBoxFrame(corners, nullptr, box)) {
                Matrix4 axes;
                AxisSwapMatrix(axes);
                // The emitter's axes turn (x, y, z) into (-x, -z, y), then the marker places them.
                axes.m[9] = -1;
                axes.m[6] = 1;
                Matrix4Multiply(frame, axes, box);
            }
        }
    }
    std::copy(frame.m, frame.m + 16, m_emitter->Desc().matrix);
}

void CEmitterInstance::Update(float dt)
{
    if (m_emitter)
        m_emitter->Update(dt);
}

void CEmitterInstance::Render()
{
    if (m_emitter)
        m_emitter->Render();
}

void CEmitterInstance::Release()
{
    if (m_emitter)
        m_emitter->Release();
    m_emitter.reset();
    hasEmitter = 0;
}

void CEmitterInstance::UpdateView(const Matrix4& objectMatrix, const Vec3& cameraRight, const Vec3& cameraUp)
{
    if (!m_emitter)
        return;
    Matrix4 m = objectMatrix;
    const float q = m.m[0] * m.m[0] + m.m[1] * m.m[1] + m.m[2] * m.m[2];
    Vec3 centre;
    float radius = 0;
    m_emitter->GetBoundingSphere(centre, radius);
    TransformCoord(effectCentre, centre, m);
    effectRadius = radius * q;
    if (std::fabs(q - 1) > 0.01f && q > 0)
        ScaleMatrixAxes(m, 1.0f / std::sqrt(q));
    m_emitter->matrix = m;
    // The inverse rotation carries the camera axes into the emitter's space.
    TransformVector3(m_emitter->right, m, cameraRight);
    TransformVector3(m_emitter->up, m, cameraUp);
}
