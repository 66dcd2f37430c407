#include "world/objects/CZJObject.h"

#include "foundation/CTimer.h"
#include "foundation/CViewFrame.h"
#include "foundation/XMemBuffer.h"
#include "net/wire/NetWire.h"
#include "render/CComplexObject.h"
#include "render/CModel.h"
#include "render/CModelManager.h"
#include "render/Graphic.h"
#include "world/objects/CObjectList.h"
#include "world/terrain/CEnvironment.h"
#include "world/terrain/CLightWare.h"
#include "world/terrain/CLocation.h"

#include <algorithm>
#include <cmath>
#include <cstring>

using namespace NetWire;

namespace {

constexpr float kGridScale = 0.1f; // grid steps per world unit
constexpr float kSampledRadius = 50.0f; // from this radius five brightness samples
constexpr float kGridLimit = 1.0e6f; // beyond any map

bool IsFinite(const Vec3& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

bool IsFinite(const Matrix4& m)
{
    return std::all_of(m.m, m.m + 16, [](float f) { return std::isfinite(f); });
}

uint8_t ReadByte(XMemBuffer& stream)
{
    uint8_t b = 0;
    stream.Read(&b, 1);
    return b;
}

} // namespace

CZJObject::CZJObject() = default;

CZJObject::~CZJObject() = default;

void CZJObject::SetPosition(const Vec3& position)
{
    const Vec3 old = frame.position;
    frame.SetPosition(position);
    if (old.x != position.x || old.y != position.y || old.z != position.z)
        Location.MoveCellObject(old, position, this);
}

void CZJObject::Draw()
{
    Matrix4 world = frame.matrix;
    Location.BendToHorizon(world, false);
    g_Graphic.SetWorldMatrix(world);
    CComplexObject* model = GetComplexModel();
    if (!model)
        return;
    const Vec3& p = frame.position;
    LightWare.SetLights(p.x, p.y, p.z, radius);
    float brightness = GetObjectBrightness(p);
    if (radius >= kSampledRadius) {
        const Vec3 samples[4] = { { p.x - radius, p.y, p.z }, { p.x + radius, p.y, p.z },
            { p.x, p.y - radius, p.z }, { p.x, p.y + radius, p.z } };
        for (const Vec3& s : samples)
            brightness = std::max(brightness, GetObjectBrightness(s));
    }
    model->SetColor(brightness, brightness, brightness, brightness);
    if (model->hasOrderings) {
        const Matrix4& v = ViewFrame.matrix;
        Vec3 direction;
        TransformNormal(direction, Vec3 { v.m[2], v.m[6], v.m[10] }, frame.matrix);
        Vec3Negate(direction, direction);
        model->SortByDirection(direction, false);
    }
    model->Render(nullptr, 0, CComplexObject::kAllGroups);
    model->ResetColor();
}

void CZJObject::PackNetState(uint8_t* record, int* size)
{
    SNetObjectRecord head;
    head.netId = networkId;
    head.time = GameClock;
    head.kind = alive ? Record::kState : Record::kFinal;
    head.position[0] = frame.position.x;
    head.position[1] = frame.position.y;
    head.position[2] = frame.position.z;
    head.type = static_cast<uint32_t>(type);
    head.baseState = static_cast<uint32_t>(typeIndex);
    *size = static_cast<int>(EncodeRecordHead(record, Record::kBaseSize, head));
    lastNetTime = GameClock;
    netDirty = 0;
}

void CZJObject::UnpackNetState(const uint8_t* record, int* size)
{
    *size = 0;
    const SNetObjectRecord head = ReadRecordHead(record);
    const Vec3 position { head.position[0], head.position[1], head.position[2] };
    if (head.length < Record::kBaseSize || head.length > Record::kMaxLength || !IsFinite(position))
        return;
    SetPosition(position);
    lastNetTime = GameClock;
    lastRecordTime = head.time;
    *size = static_cast<int>(Record::kBaseSize);
    if (head.kind == Record::kFinal)
        ObjectList.DeleteObject(this);
}

void CZJObject::SaveGame(XMemBuffer& stream, int* size, bool shortForm)
{
    (void)size;
    if (shortForm) {
        stream.Reserve(67);
        stream.WriteValue(visible);
        return;
    }
    frame.matrix.m[12] = frame.position.x;
    frame.matrix.m[13] = frame.position.y;
    frame.matrix.m[14] = frame.position.z;
    stream.Write(frame.matrix.m, sizeof frame.matrix.m);
    stream.WriteValue(alive);
    stream.WriteValue(runs);
    stream.WriteValue(moves);
    stream.WriteValue(visible);
}

void CZJObject::LoadGame(XMemBuffer& stream, int* size, bool shortForm)
{
    (void)size;
    Matrix4 m;
    stream.Read(m.m, sizeof m.m);
    const uint8_t flags[3] = { ReadByte(stream), ReadByte(stream), ReadByte(stream) };
    const uint8_t shown = shortForm ? visible : ReadByte(stream);
    if (shortForm)
        stream.Skip(1);
    if (IsFinite(m)) {
        frame.matrix = m;
        SetPosition(Vec3 { m.m[12], m.m[13], m.m[14] });
    }
    alive = flags[0];
    runs = flags[1];
    moves = flags[2];
    visible = shown;
}

void CZJObject::SaveToStream2(XMemBuffer& stream)
{
    stream.WriteValue(visible);
    if (name[0] == 0) {
        const float p[3] = { frame.position.x, frame.position.y, frame.position.z };
        stream.Write(p, sizeof p);
    }
}

void CZJObject::LoadFromStream2(XMemBuffer& stream)
{
    const uint8_t shown = ReadByte(stream);
    if (name[0] == 0) {
        Vec3 p;
        p.x = stream.ReadF32();
        p.y = stream.ReadF32();
        p.z = stream.ReadF32();
        if (IsFinite(p))
            frame.SetPosition(p);
    }
    visible = shown;
}

const XDynamicArray<SCollisionTriangle>* CZJObject::GetModel()
{
    CComplexObject* model = GetComplexModel();
    return model ? &model->GetShape(0) : nullptr;
}

float CZJObject::GetObjectBrightness(const Vec3& position)
{
    // Points off the grid (or not finite) read the default point.
    const auto gridOf = [](float world) {
        const float g = world * kGridScale + 0.5f;
        return g >= 0.0f && g < kGridLimit ? static_cast<int>(g) : -1;
    };
    const float f
        = Environment.DecodePackedValue(Location.GetCell(gridOf(position.x), gridOf(position.y)).Light());
    return ((1.0f - f) * 192.0f + 63.0f) / 255.0f;
}

Matrix4 CZJObject::GetPointMatrix(CComplexObject* model, int pointIndex)
{
    Matrix4 m;
    Matrix4Identity(m);
    const CModel* part = model && model->GetPartCount() > 0 ? model->GetPartObject(0) : nullptr;
    if (part && pointIndex >= 0 && pointIndex < part->GetPointCount()) {
        const Vec3 p = part->GetPoint(pointIndex).position;
        m.m[12] = p.x;
        m.m[13] = p.y;
        m.m[14] = p.z;
    }
    return m;
}

int32_t CZJObject::ModelIndex() const
{
    if (!typeRecord)
        return -1;
    int32_t index;
    std::memcpy(&index, typeRecord, sizeof index);
    return index;
}

CComplexObject* CZJObject::GetComplexModel() const
{
    const int32_t index = ModelIndex();
    if (!g_pModelManager || index < 0 || index >= g_pModelManager->GetModelCount())
        return nullptr;
    return g_pModelManager->GetModel(index);
}
