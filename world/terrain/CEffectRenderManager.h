// Stand-in until the effect renderer lands: the camera-facing ray meshes of the shot visuals are
// never made.
#pragma once

class Mesh;

class CEffectRenderManager {
public:
    static Mesh* GetRayMesh(float, float, float, float, float, float, float, float, float, float, float,
        float, float, float)
    {
        return nullptr;
    }
    static Mesh* GetRayMesh2(float, float, float, float, float, float, float, float, float, float, float,
        float)
    {
        return nullptr;
    }
};
