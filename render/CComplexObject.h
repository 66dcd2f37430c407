// CComplexObject: one loaded model file, an ordered list of parts: drawn models, system-memory
// shape models (collision triangles, markers), billboards and particle emitters. World objects,
// menus and the terrain draw it by render group, look parts up by name, tint it, set its texture
// frame, turn its triangle orderings toward the viewer and read collision triangles from its
// "SHAPE" and "SHAPE2" parts. Main thread only.
#pragma once

#include "foundation/Vector.h"
#include "foundation/XDynamicArray.h"
#include "render/CModel.h"
#include "render/CParticleViewer.h"

#include <cstdint>
#include <memory>
#include <vector>

struct SComplexPart {
    uint32_t type = 0;
    char name[32] = {};
    char textureNames[4][32] = {};
    int32_t textures[4] = { -1, -1, -1, -1 }; // texture-manager indices
    uint32_t groupMask = 0;
    uint32_t flags = 0;
    std::unique_ptr<CModel> model; // types 0 and 1
    std::unique_ptr<CParticleViewer> emitter; // type 4
};

// A collision triangle in the model's own frame.
struct SCollisionTriangle {
    Vec3 p0, p1, p2;
    Vec3 normal; // unit; (0, 0, 1) for a degenerate triangle
    Vec3 centre; // of the triangle's axis-aligned box
    float size; // squared distance from the centre to the box's corner
};
static_assert(sizeof(SCollisionTriangle) == 64);

class CComplexObject {
public:
    static constexpr int kAllGroups = -1;

    CComplexObject() = default;
    ~CComplexObject();
    CComplexObject(const CComplexObject&) = delete;
    CComplexObject& operator=(const CComplexObject&) = delete;

    // Reads the file the file layer has open.
    void Load();
    // Reads a model file in memory. A refused file logs its reason and throws XModelFileError;
    // the parts read before stay.
    void Load(const uint8_t* data, size_t size);

    int GetPartCount() const { return int(m_parts.size()); }
    // Part i; other indices throw XRangeError.
    const SComplexPart& GetPart(int i) const;
    int FindPart(const char* name) const;
    // The part's model; null for -1 and for parts without one; other bad indices throw.
    CModel* GetPartObject(int i);
    CParticleViewer* GetPartEmitter(int i);
    int FindMorphChannel(int part, const char* name);

    // Draws the parts of a render group (-1: all parts) under the current world matrix.
    void Render(const float* weights, uint32_t damageMask, int group);
    void RenderGroup(const float* weights, int group);
    void SetGroupParameter(const float* weights, int group) { RenderGroup(weights, group); }
    void Update(float dt);
    void SetColor(float r, float g, float b, float a);
    void ResetColor();
    void SetFrame(int32_t frame);
    void SetPartsParameter(int32_t frame) { SetFrame(frame); }
    void SetSorting(int ordering, bool indexDataOnly);
    // The ordering of the axis (+X, +Y, -X, -Y, +Z, -Z) nearest the direction; 0 when none is ahead.
    int SortByDirection(const Vec3& direction, bool indexDataOnly);
    // Every model part draws with the current material (the caller's override).
    void ClearMaterials();

    float GetRadius();
    void GetMaxExtent(Vec3& extent);
    void GetBounds(Vec3& extent) { GetMaxExtent(extent); }
    void GetBoundsCentre(Vec3& centre);
    void GetBoundingBox(Vec3& centre) { GetBoundsCentre(centre); }

    // The world matrix of a camera-facing part: the billboard matrix's rows B1, -B3, B2 scaled
    // like the current world matrix, pulled a quarter of the radius toward the viewer.
    static void BuildFacingMatrix(const Matrix4& top, const Matrix4& billboard, float radius, Matrix4& out);

    // useShapeOnly fills shape from "SHAPE"; otherwise shape2 from "SHAPE2", or "SHAPE" when there
    // is none. A missing part falls back to part 0; an object without parts throws XRangeError.
    void BuildShape(bool useShapeOnly);
    // Variant 0 (closed) is shape, 1 (open) shape2; each built on first use.
    const XDynamicArray<SCollisionTriangle>& GetShape(int variant);

    XDynamicArray<SCollisionTriangle> shape;
    XDynamicArray<SCollisionTriangle> shape2;
    Vec3 boundsCentre { 1e7f, 0, 0 }; // x above 1e6: not computed yet
    int32_t memoryBytes = 0;
    bool hasOrderings = false;
    float radius = 1.0f;

private:
    void AddPart(SModelPartBlock&& block);
    void FreeParts();
    void RenderBillboard(int i, SComplexPart& part);
    void RenderModel(SComplexPart& part, const float* weights, uint32_t damageMask);

    std::vector<SComplexPart> m_parts;
    bool m_shapeBuilt[2] = {};
};
