#include "render/CComplexObject.h"

#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "foundation/PakManager.h"
#include "foundation/XRangeError.h"
#include "platform/gfx/device.h"
#include "platform/win/text.h"
#include "render/CModelManager.h"
#include "render/Graphic.h"
#include "render/TexShaderManager.h"
#include "render/TextureManager.h"

#include <algorithm>
#include <cmath>
#include <cstring>

using namespace plat::gfx;

namespace {

CTexture* TextureOf(int32_t index)
{
    return g_pTextureManager && index >= 0 ? g_pTextureManager->GetTexture(index) : nullptr;
}

float RowLength(const Matrix4& m, int row)
{
    const float* r = m.m + 4 * row;
    return std::sqrt(r[0] * r[0] + r[1] * r[1] + r[2] * r[2]);
}

void SetDeviceWorld(const Matrix4& matrix)
{
    if (Device* device = g_Graphic.GetDevice())
        device->SetTransform(Transform::World, ToDeviceMatrix(matrix));
}

SCollisionTriangle MakeTriangle(const Vec3& p0, const Vec3& p1, const Vec3& p2)
{
    SCollisionTriangle t {};
    t.p0 = p0;
    t.p1 = p1;
    t.p2 = p2;
    Vec3 a, b, cross;
    Vec3Sub(a, p0, p1);
    Vec3Sub(b, p2, p1);
    Vec3Cross(cross, a, b);
    if (Vec3LengthSq(cross) < 0.0001f)
        t.normal = { 0, 0, 1 };
    else
        Vec3Normalize(t.normal, cross);
    const Vec3 min { std::min({ p0.x, p1.x, p2.x }), std::min({ p0.y, p1.y, p2.y }),
        std::min({ p0.z, p1.z, p2.z }) };
    const Vec3 max { std::max({ p0.x, p1.x, p2.x }), std::max({ p0.y, p1.y, p2.y }),
        std::max({ p0.z, p1.z, p2.z }) };
    t.centre = { (min.x + max.x) * 0.5f, (min.y + max.y) * 0.5f, (min.z + max.z) * 0.5f };
    Vec3 half;
    Vec3Sub(half, max, t.centre);
    t.size = Vec3LengthSq(half);
    return t;
}

} // namespace

CComplexObject::~CComplexObject()
{
    FreeParts();
}

void CComplexObject::FreeParts()
{
    for (SComplexPart& part : m_parts) {
        if (part.model)
            memoryBytes -= part.model->memoryBytes;
    }
    m_parts.clear();
    shape.Done();
    shape2.Done();
    m_shapeBuilt[0] = m_shapeBuilt[1] = false;
}

void CComplexObject::Load()
{
    ZJ_TRACE("CComplexObject::Load");
    // Kept between loads (main thread only). The file comes through a cache-sized piece: the
    // kernel's copy straight into a large buffer measured several times slower.
    static std::vector<uint8_t> bytes(1 << 20);
    uint8_t piece[65536];
    size_t size = 0;
    for (size_t n; (n = g_PakManager.ReadAvailable(piece, sizeof piece)) > 0; size += n) {
        if (size + n > bytes.size())
            bytes.resize(std::max(bytes.size() * 2, size + n));
        std::memcpy(bytes.data() + size, piece, n);
    }
    Load(bytes.data(), size);
}

void CComplexObject::Load(const uint8_t* data, size_t size)
{
    ZJ_TRACE("CComplexObject::Load");
    FreeParts();
    hasOrderings = false;
    boundsCentre = { 1e7f, 0, 0 };
    CModelFileReader reader(data, size);
    try {
        const uint32_t count = reader.ReadHeader();
        m_parts.reserve(count);
        for (uint32_t i = 0; i < count; ++i) {
            SModelPartBlock block;
            reader.ReadPart(block);
            AddPart(std::move(block));
        }
    } catch (const XModelFileError& error) {
        WriteErrorLog(std::string("CComplexObject::Load ") + error.what());
        throw;
    }
}

void CComplexObject::AddPart(SModelPartBlock&& block)
{
    SComplexPart part;
    const SModelPartRecord& r = block.record;
    part.type = r.type;
    std::memcpy(part.name, r.name, sizeof part.name);
    std::memcpy(part.textureNames, r.textures, sizeof part.textureNames);
    for (int k = 0; k < 4; ++k)
        part.textures[k]
            = g_pTextureManager && r.textures[k][0] ? g_pTextureManager->FindTexture(r.textures[k]) : -1;
    part.groupMask = r.groupMask;
    part.flags = r.flags;
    if (block.model) {
        part.model = std::make_unique<CModel>();
        const bool system = r.type == modelfile::kPartShape
            && (!g_pModelManager || g_pModelManager->TypeOneInSystemMemory());
        hasOrderings = hasOrderings || block.model->HasOrderings();
        part.model->Load(std::move(*block.model), !system);
        memoryBytes += part.model->memoryBytes;
    }
    if (block.emitter) {
        part.emitter = std::make_unique<CParticleViewer>();
        part.emitter->SetBlock(*block.emitter);
    }
    m_parts.push_back(std::move(part));
}

const SComplexPart& CComplexObject::GetPart(int i) const
{
    if (i < 0 || i >= GetPartCount())
        throw XRangeError();
    return m_parts[size_t(i)];
}

int CComplexObject::FindPart(const char* name) const
{
    for (int i = 0; i < GetPartCount(); ++i) {
        if (std::strncmp(m_parts[size_t(i)].name, name, sizeof m_parts[size_t(i)].name) == 0)
            return i;
    }
    return -1;
}

CModel* CComplexObject::GetPartObject(int i)
{
    if (i == -1)
        return nullptr;
    return GetPart(i).model.get();
}

CParticleViewer* CComplexObject::GetPartEmitter(int i)
{
    if (i == -1)
        return nullptr;
    return GetPart(i).emitter.get();
}

int CComplexObject::FindMorphChannel(int part, const char* name)
{
    CModel* model = GetPartObject(part);
    return model ? model->FindMorphChannel(name) : -1;
}

void CComplexObject::Render(const float* weights, uint32_t damageMask, int group)
{
    ZJ_TRACE("CComplexObject::Render");
    for (size_t i = 0; i < m_parts.size(); ++i) {
        SComplexPart& part = m_parts[i];
        if (group != kAllGroups && (group < 0 || group > 31 || !(part.groupMask & (1u << group))))
            continue;
        switch (part.type) {
        case modelfile::kPartBillboard:
        case modelfile::kPartBillboard2:
            RenderBillboard(int(i), part);
            break;
        case modelfile::kPartModel:
            RenderModel(part, weights, damageMask);
            break;
        default:
            break;
        }
    }
}

void CComplexObject::RenderBillboard(int i, SComplexPart& part)
{
    if (i > 0) {
        const SComplexPart& before = m_parts[size_t(i - 1)];
        if (before.type == modelfile::kPartModel && before.model && before.model->materialState != -1)
            g_Graphic.SetMaterial(before.model->material);
    }
    CTexture* texture = TextureOf(part.textures[0]);
    if (!texture || !g_pModelManager || g_pModelManager->ModelsSlot() < 0)
        return;
    int32_t width = 0, height = 0;
    texture->ReadSurfaceSize(width, height);
    const float larger = float(std::max(width, height));
    if (larger <= 0)
        return;
    CVertexData& quad = g_pModelManager->AddBillboard(
        float(height) / larger * radius, float(width) / larger * radius, false);
    Mesh* mesh = g_pModelManager->GetRenderSingleBufMesh(g_pModelManager->ModelsSlot(), quad);
    const Matrix4& top = g_Graphic.WorldTop();
    const float s = RowLength(top, 0);
    Matrix4 world = g_pModelManager->BillboardMatrix();
    ScaleMatrixAxes(world, s);
    world.m[12] = top.m[12];
    world.m[13] = top.m[13];
    world.m[14] = top.m[14];
    SetDeviceWorld(world);
    if (g_TexShaderManager && mesh)
        g_TexShaderManager->Apply(part.type == modelfile::kPartBillboard ? 6 : 8, mesh, texture);
    SetDeviceWorld(top);
}

void CComplexObject::RenderModel(SComplexPart& part, const float* weights, uint32_t damageMask)
{
    if (!part.model)
        return;
    const bool facing = (part.flags & modelfile::kFacesCamera) != 0;
    if (facing) {
        Matrix4 billboard;
        Matrix4Identity(billboard);
        if (g_pModelManager)
            billboard = g_pModelManager->BillboardMatrix();
        Matrix4 world;
        BuildFacingMatrix(g_Graphic.WorldTop(), billboard, radius, world);
        SetDeviceWorld(world);
    }
    part.model->RenderPart(weights, damageMask, TextureOf(part.textures[0]), TextureOf(part.textures[1]),
        TextureOf(part.textures[2]));
    if (facing)
        SetDeviceWorld(g_Graphic.WorldTop());
}

void CComplexObject::BuildFacingMatrix(
    const Matrix4& top, const Matrix4& billboard, float radius, Matrix4& out)
{
    const float s = RowLength(top, 0);
    const float* b = billboard.m;
    out = Matrix4 {};
    for (int c = 0; c < 3; ++c) {
        out.m[c] = s * b[c]; // B1
        out.m[4 + c] = -s * b[8 + c]; // -B3
        out.m[8 + c] = s * b[4 + c]; // B2
        out.m[12 + c] = top.m[12 + c] - 0.25f * s * radius * b[8 + c];
    }
    out.m[15] = 1;
}

void CComplexObject::RenderGroup(const float* weights, int group)
{
    ZJ_TRACE("CComplexObject::RenderGroup");
    for (SComplexPart& part : m_parts) {
        if (part.type != modelfile::kPartModel || !part.model || group < 0 || group > 31
            || !(part.groupMask & (1u << group)))
            continue;
        part.model->Submit(
            weights, TextureOf(part.textures[0]), TextureOf(part.textures[1]), TextureOf(part.textures[2]));
    }
}

void CComplexObject::Update(float dt)
{
    for (SComplexPart& part : m_parts) {
        if (part.model && (part.model->autoPeriod != 0 || part.model->frameGrid != 0))
            part.model->AdvanceAnimation(dt);
    }
}

void CComplexObject::SetColor(float r, float g, float b, float a)
{
    for (SComplexPart& part : m_parts) {
        if (part.model)
            part.model->SetColor(r, g, b, a);
    }
}

void CComplexObject::ResetColor()
{
    for (SComplexPart& part : m_parts) {
        if (part.model)
            part.model->ResetColor();
    }
}

void CComplexObject::SetFrame(int32_t frame)
{
    for (SComplexPart& part : m_parts) {
        if (part.model)
            part.model->SetFrame(frame);
    }
}

void CComplexObject::SetSorting(int ordering, bool indexDataOnly)
{
    for (SComplexPart& part : m_parts) {
        if (part.model)
            part.model->SetSorting(ordering, indexDataOnly);
    }
}

int CComplexObject::SortByDirection(const Vec3& direction, bool indexDataOnly)
{
    const float dots[6] = { direction.x, direction.y, -direction.x, -direction.y, direction.z, -direction.z };
    int best = 0;
    float bestDot = 0;
    for (int i = 0; i < 6; ++i) {
        if (dots[i] > bestDot) {
            bestDot = dots[i];
            best = i;
        }
    }
    SetSorting(best, indexDataOnly);
    return best;
}

void CComplexObject::ClearMaterials()
{
    for (SComplexPart& part : m_parts) {
        if (part.model)
            part.model->materialState = -1;
    }
}

float CComplexObject::GetRadius()
{
    float largest = 0;
    for (SComplexPart& part : m_parts) {
        if (part.model)
            largest = std::max(largest, part.model->MainMesh().GetRadius());
        else if (part.emitter)
            largest = std::max(largest, 10.0f * part.emitter->Viewer().birthSize);
    }
    return std::max(largest, 0.001f);
}

void CComplexObject::GetMaxExtent(Vec3& extent)
{
    extent = { 0, 0, 0 };
    for (SComplexPart& part : m_parts) {
        if (!part.model)
            continue;
        Vec3 size;
        part.model->GetSize(size);
        extent = { std::max(extent.x, size.x), std::max(extent.y, size.y), std::max(extent.z, size.z) };
    }
}

void CComplexObject::GetBoundsCentre(Vec3& centre)
{
    if (boundsCentre.x < 1e6f) {
        centre = boundsCentre;
        return;
    }
    Vec3 min { 1e8f, 1e8f, 1e8f };
    Vec3 max { -1e8f, -1e8f, -1e8f };
    for (SComplexPart& part : m_parts) {
        if (!part.model || part.model->MainMesh().vertexCount == 0)
            continue;
        Vec3 middle, size;
        part.model->MainMesh().GetCenter(middle);
        part.model->GetSize(size);
        min = { std::min(min.x, middle.x - size.x * 0.5f), std::min(min.y, middle.y - size.y * 0.5f),
            std::min(min.z, middle.z - size.z * 0.5f) };
        max = { std::max(max.x, middle.x + size.x * 0.5f), std::max(max.y, middle.y + size.y * 0.5f),
            std::max(max.z, middle.z + size.z * 0.5f) };
    }
    boundsCentre = { (min.x + max.x) * 0.5f, (min.y + max.y) * 0.5f, (min.z + max.z) * 0.5f };
    centre = boundsCentre;
}

void CComplexObject::BuildShape(bool useShapeOnly)
{
    ZJ_TRACE("CComplexObject::BuildShape");
    XDynamicArray<SCollisionTriangle>& out = useShapeOnly ? shape : shape2;
    int index = useShapeOnly ? FindPart("SHAPE") : FindPart("SHAPE2");
    if (index < 0 && !useShapeOnly)
        index = FindPart("SHAPE");
    if (index < 0)
        index = 0;
    const SComplexPart& part = GetPart(index);
    out.Done();
    m_shapeBuilt[useShapeOnly ? 0 : 1] = true;
    if ((part.type != modelfile::kPartModel && part.type != modelfile::kPartShape) || !part.model)
        return;
    Mesh* mesh = part.model->GetMorphedMesh(nullptr);
    if (!mesh || mesh->indexCount < 3)
        return;
    const bool lock = mesh->memoryMode != Mesh::kSystemMemory;
    if (lock)
        mesh->Lock(true, true);
    if (mesh->vertexData && mesh->indexData) {
        const uint32_t triangles = mesh->indexCount / 3;
        out.AddEmpty(true, int(triangles));
        for (uint32_t t = 0; t < triangles; ++t) {
            Vec3 p[3];
            for (int k = 0; k < 3; ++k) {
                const uint16_t v = mesh->indexData[3 * t + uint32_t(k)];
                if (v < mesh->vertexCount)
                    std::memcpy(&p[k], mesh->vertexData + size_t(v) * mesh->stride, sizeof(Vec3));
                else
                    p[k] = { 0, 0, 0 };
            }
            out.At(int(t)) = MakeTriangle(p[0], p[1], p[2]);
        }
    }
    if (lock)
        mesh->Unlock(true, true);
}

const XDynamicArray<SCollisionTriangle>& CComplexObject::GetShape(int variant)
{
    const bool closed = variant == 0;
    if (!m_shapeBuilt[closed ? 0 : 1])
        BuildShape(closed);
    return closed ? shape : shape2;
}
