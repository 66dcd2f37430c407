// CModel: one mesh part of a model file at run time. Up to four morph channels bend it by four
// weights (one channel may sweep by itself), up to eight damage pieces each remove listed
// triangles and draw their own mesh, a frame atlas animates its texture, six triangle orderings
// serve six viewing directions, and a tint colours its material. A batched model sends its bent
// geometry through the model manager's "MODELS" ring; an unbatched one keeps a private mesh.
// Main thread only.
#pragma once

#include "foundation/Matrix.h"
#include "platform/gfx/types.h"
#include "render/CVertexData.h"
#include "render/Mesh.h"
#include "render/ModelFile.h"

#include <cstdint>
#include <memory>
#include <vector>

class CTexture;

// A damage piece: the triangles of the main mesh it removes and its own geometry; its name and
// position make it a model point.
struct SDamagePiece {
    char name[32] = {};
    float position[3] = {};
    std::vector<uint16_t> triangles;
    Mesh mesh;
};

struct SModelPoint {
    const char* name;
    Vec3 position;
};

class CModel {
public:
    static constexpr int kMaxChannels = 4;
    static constexpr int kMaxPieces = 8;
    static constexpr int kMaxVariants = 8;
    // Weights closer than this to the last blend re-use it; smaller weights count as 0.
    static constexpr float kWeightChange = 0.001f;
    static constexpr float kWeightActive = 0.005f;
    // A damage variant unused for this long may be replaced by a new slot.
    static constexpr float kVariantIdle = 10.0f;

    CModel() = default;
    ~CModel();
    CModel(const CModel&) = delete;
    CModel& operator=(const CModel&) = delete;

    // deviceBuffers false: system-memory meshes, not batched (collision shapes).
    void Load(const SModelBlock& block, bool deviceBuffers);
    // Takes the block's arrays over.
    void Load(SModelBlock&& block, bool deviceBuffers);
    // The rest-pose copy of the vertices (taken over when given) and, unbatched, the private mesh.
    void MakeWorkMesh(std::vector<uint8_t>&& vertices = {});

    // The mesh to draw for four weights (or none).
    Mesh* GetMorphedMesh(const float* weights);
    Mesh* GetAnimatedMesh(const float* weights, bool force);
    // Returns the whole frame cycles completed.
    int AdvanceAnimation(float dt);
    void SetSorting(int ordering, bool indexDataOnly);
    void SetDamageData(Mesh* mesh, uint32_t mask);
    void SetDamageData(CVertexData* data, uint32_t mask);
    // The main index list without the triangles of the masked pieces.
    std::vector<uint16_t> CreateDamageIndexes(uint32_t mask) const;

    void Render(Mesh* mesh, CTexture* t0, CTexture* t1, CTexture* t2);
    void RenderPart(const float* weights, uint32_t damageMask, CTexture* t0, CTexture* t1, CTexture* t2);
    // Draws the current work data through "MODELS" without blending again.
    void Submit(const float* weights, CTexture* t0, CTexture* t1, CTexture* t2);
    Mesh* SubmitToBuffer();

    void GetSize(Vec3& extent);
    int FindMorphChannel(const char* name) const;
    // Damage piece i of 0-7; other indices throw XRangeError.
    SDamagePiece& GetSubMesh(int i);
    // Point i (0 to damagePieceCount - 1): the piece's name and position.
    SModelPoint GetPoint(int i) const;
    int GetPointCount() const { return damagePieceCount; }

    // Marker frames. FindFrameCorners answers the corner and its three neighbours among the first
    // nine vertices (0, 1, 2, 3 when it fails); the box frames have rows unit(b - a), unit(c - a),
    // -unit(d - a) and fail for vertex indices outside the mesh or a mesh of fewer than 4 vertices.
    bool FindFrameCorners(int corners[4]);
    bool GetBoxFrame(const int corners[4], const float* weights, Matrix4& frame);
    bool GetBoxCenterFrame(const int corners[4], const float* weights, Matrix4& frame);
    bool GetBoxCornerFrame(const int corners[4], const float* weights, Matrix4& frame, Vec3& edges);
    bool GetTriangleEdges(const int corners[4], const float* weights, Matrix4& frame)
    {
        return GetBoxFrame(corners, weights, frame);
    }

    void SetColor(float r, float g, float b, float a);
    void ResetColor() { tinted = false; }
    void SetFrame(int32_t value) { frame = value; }
    void Done();

    // The device-variant cache, for inspection.
    int DeviceVariantCount() const { return m_deviceVariantCount; }
    uint32_t DeviceVariantMask(int i) const { return m_deviceVariants[i].mask; }

    bool IsInSystemMemory() const { return mainMesh.memoryMode == Mesh::kSystemMemory; }
    Mesh& MainMesh() { return mainMesh; }

    bool batched = true;
    bool hasChannels = false;
    int32_t materialState = -1; // -1: draw with the current material
    plat::gfx::Material material {};
    uint32_t shaderSlot = 0;
    float frameClock = 0;
    float frameTime = 0;
    int32_t frameGrid = 0;
    int32_t frame = 0;
    bool autoAnimate = false;
    float autoClock = 0;
    float autoPhase = 0;
    float autoPeriod = 0;
    uint32_t autoChannel = 0;
    uint32_t blendMode = 0;
    uint32_t orderingsMode = 0;
    std::vector<uint16_t> orderings; // six lists of the main index list's length
    bool tinted = false;
    float tint[4] = { 1, 1, 1, 1 };
    int32_t memoryBytes = 0;
    float lastWeights[4] = {};
    uint32_t texParamKind = 0;
    float texParamScale = 0;
    int32_t currentOrdering = -1;
    int32_t channelCount = 0;
    std::vector<SMorphChannelBlock> channels;
    int32_t damagePieceCount = 0;

private:
    struct DeviceVariant {
        plat::gfx::IndexBuffer* buffer = nullptr; // one reference held here
        float lastUse = 0;
        uint32_t mask = 0;
        uint32_t indexCount = 0;
    };
    struct BatchVariant {
        std::vector<uint16_t> indices;
        float lastUse = 0;
        uint32_t mask = 0;
    };

    bool HasOrderings() const { return orderingsMode == 1 || orderingsMode == 2; }
    // A batched model's work data, made on first use; false when the model has none.
    bool MakeWorkData();
    uint32_t PieceMask(uint32_t mask) const;
    // The variant of a cache holding mask, made (or remade) when missing.
    template <class Variants, class Make>
    int FindVariant(Variants& variants, int& count, uint32_t mask, Make make);
    // Positions of the morphed mesh's vertices, null when none can be read.
    const uint8_t* MorphedVertices(const float* weights, uint32_t& count, bool& locked, Mesh*& mesh);
    bool ReadCorners(const int corners[4], const float* weights, Vec3 out[4]);
    void ReleaseVariants();

    DeviceVariant m_deviceVariants[kMaxVariants];
    int32_t m_deviceVariantCount = 0;
    BatchVariant m_batchVariants[kMaxVariants];
    int32_t m_batchVariantCount = 0;
    Mesh mainMesh;
    std::unique_ptr<Mesh> m_workMesh;
    plat::gfx::IndexBuffer* m_workOwnIndices = nullptr; // the work mesh's own list, one reference
    std::unique_ptr<CVertexData> m_workData;
    std::vector<uint8_t> m_workVertices;
    std::vector<uint8_t> m_baseVertices;
    std::vector<uint16_t> m_baseIndices; // the main index list as loaded
    uint32_t m_normalOffset = 12;
    SDamagePiece m_pieces[kMaxPieces];
};
