#include "world/terrain/CEnvironment.h"

#include "render/Mesh.h"

CEnvironment Environment;

namespace {

void ScaledIdentity(Matrix4& m, float su, float sv)
{
    Matrix4Identity(m);
    m.m[0] = su;
    m.m[5] = sv;
}

} // namespace

CEnvironment::CEnvironment()
{
    current.skyColour1 = 0xFF002080u;
    current.fogToward1 = 0x808080u;
    current.fogAway1 = 0x202020u;
    current.fogMode = 0;
    current.fogStart = 100.0f;
    current.fogEnd = 1000.0f;
    current.fogDensity = 0.001f;
    current.cloudScale1 = 1.0f;
    current.cloudScale2 = 1.0f;
    current.scroll1[0] = 1.0f;
    current.scroll1[1] = 1.0f;
    current.scroll2[0] = -1.0f;
    current.scroll2[1] = 1.0f;
    current.cloud1.index = current.cloud2.index = current.sun.index = current.moon.index = -1;
    current.sky1.index = current.sky2.index = -1;
    for (Matrix4& m : cloudMatrix)
        ScaledIdentity(m, 1.0f, 1.0f);
}

CEnvironment::~CEnvironment() = default;
