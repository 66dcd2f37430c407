#include "tools/world/glider_verb.h"

#include "render/CModelManager.h"
#include "world/db/CGliderManager.h"
#include "world/objects/CGliderObject.h"

#include <cstdio>

namespace zoq::tools::world {

bool PrintGlider(const char* type)
{
    const int row = g_GliderManager.FindRow(type);
    if (row < 0)
        return false;
    Matrix4 identity;
    Matrix4Identity(identity);
    CGliderObject glider;
    glider.Init(identity.m, row);
    const float initRadius = glider.radius;
    const float initHover = glider.hoverScale;
    SItemRecord hull {};
    hull.words[0] = uint32_t(row);
    glider.SetGliderType(hull);
    glider.PreparePoints();
    const SGliderType& desc = g_GliderManager.GetDesc(row);
    const int32_t model = desc.model.Index();
    const bool modelKnown = g_pModelManager && model >= 0 && model < g_pModelManager->GetModelCount();
    std::printf("glider %s row=%d model=%s standard=%d\n", type, row,
        modelKnown ? g_pModelManager->GetModelName(model) : "-1", int(desc.standard));
    std::printf("init radius=%g hover_scale=%g\n", double(initRadius), double(initHover));
    std::printf("hull radius=%g hover_scale=%g probes=%g,%g,%g\n", double(glider.radius),
        double(glider.hoverScale), double(glider.pitchProbe), double(glider.rollProbe),
        double(glider.hoverHeight));
    std::printf("damping travel=%g scale=%g lift=%g side=%g\n", double(glider.travelDamping),
        double(glider.travelDampingScale), double(glider.liftDampingUp), double(glider.sideDamping));
    std::printf("steer pitch=%g roll=%g turn=%g drift=%g spare=%g\n", double(glider.pitchStiffness),
        double(glider.rollStiffness), double(glider.turnRate), double(glider.driftRoll),
        double(glider.spareCoefficient));
    const auto part = [&](SGliderType::Mount m) { return desc.prepared ? desc.mounts[m].part : -1; };
    std::printf("mounts light=%d heavy=%d fire=%d fire1=%d rocket_launcher=%d points=%d\n",
        part(SGliderType::kLightGun), part(SGliderType::kHeavyGun), part(SGliderType::kFire),
        part(SGliderType::kFire1), desc.standard >= 2 ? 1 : 0, desc.prepared ? int(desc.pointCount) : 0);
    return true;
}

} // namespace zoq::tools::world
