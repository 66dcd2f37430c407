// Stand-in until the effect renderer lands: the camera-facing ray meshes of the shot visuals are
// never made; the release and re-creation of its device objects around a device reset do
// nothing.
#pragma once

class Mesh;

class CEffectRenderManager {
public:
    static Mesh* GetRayMesh(
        float, float, float, float, float, float, float, float, float, float, float, float, float, float)
    {
        return nullptr;
    }
    static Mesh* GetRayMesh2(
        float, float, float, float, float, float, float, float, float, float, float, float)
    {
        return nullptr;
    }
    static void InvalidateResources() { }
    static void ResetResources() { }
};
