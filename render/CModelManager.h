// CModelManager: the models of the table "Модели", each a complex object loaded on first use, and
// up to 64 named ring buffers into which all geometry built per frame is copied. A ring is one to
// three consecutive slots of device buffers: a submission appends with NOOVERWRITE and, when it
// does not fit, moves to the next buffer of the ring with DISCARD, so the driver never waits on a
// buffer in use. Rings keep their slot numbers across a device reset. Main thread only.
#pragma once

#include "foundation/DefaultManager.h"
#include "foundation/Matrix.h"
#include "platform/gfx/types.h"
#include "render/CVertexData.h"
#include "render/Mesh.h"

#include <cstdint>
#include <vector>

class CComplexObject;

// One slot of a ring. The inherited mesh fields are the cursor: startVertex and startIndex are
// where the last submission was written, vertexCount and indexCount its size.
class CRenderBuffer : public Mesh {
public:
    char name[32] = {};
    int32_t vertexCapacity = 0;
    int32_t indexCapacity = 0;
    int32_t appendCount = 0;
    int32_t wrapCount = 0;
    int32_t peakIndexUse = 0;
    int32_t peakVertexUse = 0;
    int32_t framesSinceWrap = 0; // advanced once per frame by the frame cycle
    int32_t fewestFramesPerCycle = 100;
    int32_t ringCount = 0; // in the ring's first slot
    bool loggedOversize = false; // the ring's one "too large" line was written
};

struct SModelRecord {
    char Filename[68];
    CComplexObject* object;
    float radius;
};

// Models and render buffers alive, with their bytes; read by the frame statistics.
extern int32_t liveObjectCount;
extern int32_t liveObjectBytes;

class CModelManager : public DefaultManager {
public:
    static constexpr int kSlotCount = 64;
    static constexpr uint32_t kMaxRingVertices = 65536; // indices are rebased into 16 bits

    CModelManager();
    ~CModelManager() override;

    // Reads "Filename" and "Radius" of every row; rows of radius 0 are loaded at once and take the
    // object's radius. "Model not founs" is logged for a row that throws.
    void Init(const char* table) override;
    // The four standard rings ("EFFECT", "EFFECTPOINT", "SCREEN", "MODELS") and the quads.
    void Init();
    void CreateVideoMeshes();

    // The row's object, loaded on first use (an empty object when the file is missing or refused);
    // null for -1. Other bad indices throw XRangeError.
    CComplexObject* GetModel(int index);
    float GetModelRadius(int index);
    int FindModel(const char* name) const { return m_rowNames.Find(name); }
    // The row's name; a bad index throws XRangeError.
    const char* GetModelName(int index) const { return m_rowNames.GetString(index); }
    int GetModelCount() const { return m_modelCount; }
    const SModelRecord& GetRecord(int index) const;

    // First slot of a new ring, -1 when no slot is free or the buffers cannot be made.
    int CreateRenderBuffer(const char* name, uint32_t format, uint32_t vertexCount, uint32_t indexCount,
        int ringCount, bool isPointBuffer);
    // Copies the data's part into the ring and returns the buffer that draws exactly it. A
    // submission larger than the ring is refused: nothing is drawn and the ring logs it once.
    Mesh* GetRenderSingleBufMesh(int slot, const CVertexData& data);
    CRenderBuffer& GetBuffer(int slot);
    int FindBuffer(const char* name) const;

    CVertexData& AddBillboard(float height, float width, bool centred);
    Mesh* AddUnitBillboard();
    // A screen quad on pixel centres in the first quad of the screen record, for "SCREEN".
    CVertexData& DrawScreenQuad(
        float x1, float y1, float x2, float y2, const plat::gfx::Rect* texture, bool halfTexelInset);
    CVertexData& ScreenQuad() { return m_screenQuad; }
    CVertexData& UnitQuad() { return m_unitQuad; }

    void Update(float dt);
    // Around a device reset: models are dropped (reloaded on use), rings freed and made again in
    // their old slots.
    void ReleaseBuffers();
    void RecreateBuffers(bool clearSlots);
    // Once per frame: the rings' frame counters.
    void AdvanceFrame();

    static void CountModelIn(const Mesh* mesh);
    static void CountModelOut(const Mesh* mesh);

    // The camera-facing matrix: the look-at frame of the view direction, Z up.
    void SetBillboardOrientation(const Vec3& viewDirection);
    const Matrix4& BillboardMatrix() const { return m_billboardMatrix; }

    int ScreenSlot() const { return m_screenSlot; }
    int ModelsSlot() const { return m_modelsSlot; }
    int EffectSlot() const { return m_effectSlot; }
    int EffectPointSlot() const { return m_effectPointSlot; }
    int UsedBufferCount() const { return m_usedBufferCount; }
    bool TypeOneInSystemMemory() const { return m_typeOneInSystemMemory; }

private:
    void LoadModel(int index);
    void FreeModels();
    CRenderBuffer& Current(int slot);
    void MoveRing(int slot, CRenderBuffer*& buffer);

    CVertexData m_screenQuad;
    CVertexData m_unitQuad;
    CRenderBuffer m_buffers[kSlotCount];
    int m_usedBufferCount = 0;
    int m_ringIndex[kSlotCount] = {};
    Matrix4 m_billboardMatrix {};
    bool m_typeOneInSystemMemory = true;
    int m_screenSlot = -1;
    int m_modelsSlot = -1;
    int m_effectSlot = -1;
    int m_effectPointSlot = -1;
    std::vector<SModelRecord> m_models;
    int m_modelCount = 0;
};

extern CModelManager* g_pModelManager;
