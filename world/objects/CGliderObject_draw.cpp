// Stand-in until the glider's weapons and drawing land: Fire logs a missing hull model and fires
// nothing else, the launch values are zeros, hit marks are kept, and nothing is drawn.
#include "world/objects/CGliderObject.h"

#include "foundation/ErrorLog.h"
#include "foundation/XRangeError.h"
#include "world/db/CGliderManager.h"

void CGliderObject::Fire(int mount, float power)
{
    (void)power;
    if (mount < 0 || mount >= kMounts)
        throw XRangeError();
    if (!GetComplexModel()) {
        WriteErrorLog(TypeName());
        WriteErrorLog("Glider model not found..");
    }
}

void CGliderObject::GetLaunchParams(Vec3& point, Vec3& velocity, float& blastRadius, float power) const
{
    (void)power;
    point = frame.position;
    velocity = Vec3 {};
    blastRadius = 0.0f;
}

void CGliderObject::CopyMorphChannels(
    const float* sourceWeights, const int32_t* sourceTable, float* targetWeights, const int32_t* targetTable)
{
    for (int k = 0; k < 5; ++k)
        if (targetTable[k] != -1)
            targetWeights[targetTable[k]] = sourceTable[k] == -1 ? 0.0f : sourceWeights[sourceTable[k]];
}

Matrix4 CGliderObject::MeshFrame(CComplexObject* model, const float* morph)
{
    (void)model;
    (void)morph;
    Matrix4 m;
    Matrix4Identity(m);
    return m;
}

void CGliderObject::AddHitMark(float amount, const Matrix4& matrix)
{
    for (SGliderHitMark& mark : hitMarks)
        if (!(mark.life > 0.0f)) {
            mark = SGliderHitMark { matrix, 0.25f, 1, amount };
            hitMarksActive = 1;
            return;
        }
}

void CGliderObject::Draw() { }

void CGliderObject::DrawNVisible() { }

void CGliderObject::PreDraw() { }

void CGliderObject::DrawEffect(int argument)
{
    (void)argument;
}
