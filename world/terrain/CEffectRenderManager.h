// Stand-in until the effect renderer lands: the camera-facing ray meshes of the shot visuals are
// never made; the release and re-creation of its device objects around a device reset do
// nothing; no reflection is made (CreateReflection answers 0 unless a test sets reflectionTest).
#pragma once

#include <functional>

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
    // Renders the reflection of the current (mirrored) camera for a water level: a 1-based
    // target number, or 0 when none was made.
    static int CreateReflection(float level) { return reflectionTest ? reflectionTest(level) : 0; }

    // Test access: what CreateReflection answers.
    static inline std::function<int(float)> reflectionTest;
};
