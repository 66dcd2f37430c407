// Procedural models: geometry helpers and the kinds of zoq-model make. The world is Z-up; a
// model faces +Y.
#include "tools/model/model_writer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <numeric>
#include <string>
#include <utility>

namespace zoq::tools::model {
namespace {

using namespace modelfile;

template <size_t N> void SetName(char (&out)[N], std::string_view text)
{
    std::memset(out, 0, N);
    std::memcpy(out, text.data(), std::min(text.size(), N - 1));
}

const float* VertexPosition(const SMeshBlock& mesh, uint32_t index)
{
    const uint32_t stride = uint32_t(mesh.vertices.size() / std::max(mesh.vertexCount, 1u));
    return reinterpret_cast<const float*>(mesh.vertices.data() + size_t(index) * stride);
}

SMorphDelta Delta(float dx, float dy, float dz, float nx = 0, float ny = 0, float nz = 0)
{
    return SMorphDelta { { dx, dy, dz }, { nx, ny, nz } };
}

// A channel whose every block moves the same vertices by its own rule.
SMorphChannelBlock Channel(uint32_t type, std::string_view name, const std::vector<uint16_t>& vertices,
    const std::function<SMorphDelta(int block, uint16_t vertex)>& delta)
{
    SMorphChannelBlock channel;
    channel.type = type;
    SetName(channel.name, name);
    channel.blockCount = ChannelBlockCount(type);
    for (int b = 0; b < channel.blockCount; ++b) {
        SDeltaBlock& block = channel.blocks[b];
        block.hasIndices = true;
        block.indices = vertices;
        for (uint16_t v : vertices)
            block.deltas.push_back(delta(b, v));
    }
    return channel;
}

std::vector<uint16_t> Range(uint16_t first, uint16_t count)
{
    std::vector<uint16_t> out(count);
    std::iota(out.begin(), out.end(), first);
    return out;
}

MeshBuilder Box(float x0, float y0, float z0, float x1, float y1, float z1)
{
    MeshBuilder builder;
    const float min[3] = { x0, y0, z0 };
    const float max[3] = { x1, y1, z1 };
    builder.AddBox(min, max);
    return builder;
}

// Collision triangles take (p0 - p1) x (p2 - p1) as their outward normal: they wind the other
// way round from drawn faces.
SModelPartBlock ShapePart(std::string_view name, MeshBuilder geometry)
{
    for (size_t i = 0; i + 2 < geometry.indices.size(); i += 3)
        std::swap(geometry.indices[i + 1], geometry.indices[i + 2]);
    return ModelPart(kPartShape, name, "", geometry.Build());
}

SDamagePieceBlock Piece(std::string_view name, float x, float y, float z, std::vector<uint16_t> triangles)
{
    SDamagePieceBlock piece;
    SetName(piece.name, name);
    piece.position[0] = x;
    piece.position[1] = y;
    piece.position[2] = z;
    piece.triangles = std::move(triangles);
    piece.mesh = Box(x - 0.1f, y - 0.1f, z - 0.1f, x + 0.1f, y + 0.1f, z + 0.1f).Build();
    return piece;
}

void AddMarker(SModelFile& file, std::string_view name, float x, float y, float z)
{
    const float at[3] = { x, y, z };
    file.parts.push_back(MarkerPart(name, at));
}

void MakeGlider(std::string_view texture, SModelFile& out)
{
    MeshBuilder body = Box(-1, -2, -0.3f, 1, 2, 0.3f); // hull: vertices 0-23
    const float wingMin[3] = { -2.5f, -0.5f, -0.05f };
    const float wingMax[3] = { 2.5f, 0.5f, 0.05f };
    body.AddBox(wingMin, wingMax); // wings: vertices 24-47
    SModelPartBlock part = ModelPart(kPartModel, "BODY", texture, body.Build());
    SModelBlock& model = *part.model;
    const std::vector<uint16_t> wings = Range(24, 24);
    const std::vector<uint16_t> hull = Range(0, 24);
    auto tip = [&](uint16_t v) { return VertexPosition(model.mesh, v)[0]; };
    model.channels.push_back(Channel(1, "ROTATE", wings, [&](int b, uint16_t v) {
        const float s = b < 2 ? 0.2f : -0.2f;
        return Delta(0, 0, s * tip(v) / (b % 2 ? 4.0f : 1.0f));
    }));
    model.channels.push_back(Channel(2, "FORWARD", hull, [&](int b, uint16_t v) {
        return Delta(0, b ? 0.05f : 0.2f, 0.1f * VertexPosition(model.mesh, v)[1]);
    }));
    model.channels.push_back(Channel(2, "STRAFE", hull, [&](int b, uint16_t v) {
        return Delta(b ? 0.05f : 0.2f, 0, 0.1f * VertexPosition(model.mesh, v)[0]);
    }));
    model.channels.push_back(Channel(3, "JUMP", wings, [](int, uint16_t) { return Delta(0, 0, 0.3f); }));
    model.channelCount = uint32_t(model.channels.size());
    static constexpr struct {
        const char* name;
        float x, y, z;
    } kPoints[8] = {
        { "FIRE", -0.5f, -2.1f, 0 },
        { "FIRE1", 0.5f, -2.1f, 0 },
        { "DAMAGE2", -0.8f, 1.5f, 0.3f },
        { "DAMAGE3", 0.8f, 1.5f, 0.3f },
        { "DAMAGE4", -0.8f, -1.5f, 0.3f },
        { "DAMAGE5", 0.8f, -1.5f, 0.3f },
        { "DAMAGE6", -2.0f, 0, 0.05f },
        { "DAMAGE7", 2.0f, 0, 0.05f },
    };
    for (uint16_t i = 0; i < 8; ++i)
        model.pieces.push_back(Piece(kPoints[i].name, kPoints[i].x, kPoints[i].y, kPoints[i].z,
            { uint16_t(2 * i), uint16_t(2 * i + 1) }));
    out.parts.push_back(std::move(part));
    AddMarker(out, "FIRE", -0.5f, -2.2f, 0);
    AddMarker(out, "FIRE1", 0.5f, -2.2f, 0);
    AddMarker(out, "LIGHTGUN", -1, 1.5f, 0.3f);
    AddMarker(out, "LIGHTGUN1", 1, 1.5f, 0.3f);
    AddMarker(out, "HEAVYGUN", 0, 1, 0.4f);
    AddMarker(out, "HEAVYGUN1", 0, 0.5f, 0.4f);
    AddMarker(out, "ROCKET", 0, 0, -0.35f);
    out.parts.push_back(ShapePart("SHAPE", Box(-1, -2, -0.3f, 1, 2, 0.3f)));
}

void MakeBuilding(std::string_view texture, SModelFile& out)
{
    MeshBuilder body = Box(-5, -5, 0, 5, 5, 4); // walls: vertices 0-23
    const float doorMin[3] = { -1, -5.2f, 0 };
    const float doorMax[3] = { 1, -5, 2.5f };
    body.AddBox(doorMin, doorMax); // door: vertices 24-47
    SModelPartBlock part = ModelPart(kPartModel, "BODY", texture, body.Build());
    SModelBlock& model = *part.model;
    model.channels.push_back(
        Channel(3, "DOOR", Range(24, 24), [](int, uint16_t) { return Delta(0, 0, 2.5f); }));
    model.channelCount = 1;
    model.orderingsMode = 1;
    model.orderings = BuildOrderings(model.mesh);
    out.parts.push_back(std::move(part));
    out.parts.push_back(ShapePart("SHAPE", Box(-5, -5, 0, 5, 5, 4)));
    out.parts.push_back(ShapePart("SHAPE2", Box(-5, -4, 0, 5, 5, 4)));
    AddMarker(out, "INTO", 0, -6, 0);
    AddMarker(out, "INTO1", 0, -4, 0);
    AddMarker(out, "OPEN", 0, -8, 0);
    AddMarker(out, "OPEN1", 0, -7, 0);
}

// An enterable hall of 19 x 24 x 28 facing -Y, wide enough for a hovering glider: its door
// (16 wide, 24 high) is lifted by the "OPEN" channel; the closed shape is the whole block, the
// open one leaves the doorway free into the room. Entrance boxes "INTO" (the yard before the door
// and the front of the room) and "INTO1" (the back of the room); approach boxes "OPEN" beyond the
// yard and "OPEN1" above it.
void MakeHall(std::string_view texture, SModelFile& out)
{
    MeshBuilder body = Box(-9.5f, -12, 0, 9.5f, 12, 28); // walls: vertices 0-23
    const float doorMin[3] = { -8, -12.3f, 0 };
    const float doorMax[3] = { 8, -12, 24 };
    body.AddBox(doorMin, doorMax); // door: vertices 24-47
    SModelPartBlock part = ModelPart(kPartModel, "BODY", texture, body.Build());
    SModelBlock& model = *part.model;
    model.channels.push_back(
        Channel(3, "OPEN", Range(24, 24), [](int, uint16_t) { return Delta(0, 0, 24.0f); }));
    model.channelCount = 1;
    model.orderingsMode = 1;
    model.orderings = BuildOrderings(model.mesh);
    out.parts.push_back(std::move(part));
    out.parts.push_back(ShapePart("SHAPE", Box(-9.5f, -12, 0, 9.5f, 12, 28)));
    static constexpr float kSlabs[7][6] = {
        { -9.5f, -12, 0, -8.5f, 12, 28 }, // left wall
        { 8.5f, -12, 0, 9.5f, 12, 28 }, // right wall
        { -8.5f, 11, 0, 8.5f, 12, 28 }, // back wall
        { -8.5f, -12, 27, 8.5f, 11, 28 }, // roof
        { -8.5f, -12, 0, -8, -11, 27 }, // left of the doorway
        { 8, -12, 0, 8.5f, -11, 27 }, // right of the doorway
        { -8, -12, 24, 8, -11, 27 }, // above the doorway
    };
    MeshBuilder open;
    for (const auto& slab : kSlabs) {
        const float min[3] = { slab[0], slab[1], slab[2] };
        const float max[3] = { slab[3], slab[4], slab[5] };
        open.AddBox(min, max);
    }
    out.parts.push_back(ShapePart("SHAPE2", open));
    out.parts.push_back(ShapePart("INTO", Box(-8, -40, 0, 8, 0, 32)));
    out.parts.push_back(ShapePart("INTO1", Box(-8, 0, 0, 8, 11, 28)));
    out.parts.push_back(ShapePart("OPEN", Box(-30, -100, -8, 30, -40, 48)));
    out.parts.push_back(ShapePart("OPEN1", Box(-30, -100, 48, 30, -40, 96)));
}

void MakeTree(std::string_view texture, SModelFile& out)
{
    MeshBuilder trunk = Box(-0.2f, -0.2f, 0, 0.2f, 0.2f, 3);
    for (MeshBuilder::Vertex& v : trunk.vertices)
        v.weight = v.position[2] / 3.0f;
    SModelPartBlock part = ModelPart(kPartModel, "BODY", texture, trunk.Build(0x116));
    part.model->blendMode = 1;
    part.model->shaderSlot = 6;
    out.parts.push_back(std::move(part));
    SModelPartBlock crown;
    crown.record.type = kPartBillboard;
    SetName(crown.record.name, "BILLBOARD");
    SetName(crown.record.textures[0], texture);
    crown.record.groupMask = 0xF;
    out.parts.push_back(std::move(crown));
    out.parts.push_back(ShapePart("SHAPE", Box(-0.2f, -0.2f, 0, 0.2f, 0.2f, 3)));
}

void MakeStone(std::string_view texture, SModelFile& out)
{
    out.parts.push_back(ModelPart(kPartModel, "BODY", texture, Box(-1, -1, 0, 1, 1, 1).Build()));
    out.parts.push_back(ShapePart("SHAPE", Box(-1, -1, 0, 1, 1, 1)));
}

void MakeMissile(std::string_view texture, SModelFile& out)
{
    out.parts.push_back(
        ModelPart(kPartModel, "BODY", texture, Box(-0.1f, -0.5f, -0.1f, 0.1f, 0.5f, 0.1f).Build()));
    AddMarker(out, "FIRE", 0, -0.6f, 0);
    AddMarker(out, "FX", 0, -0.6f, 0);
    out.parts.push_back(EmitterPart("SMOKE", texture, 1, 200, 1.5f, 40));
}

void MakeThing(std::string_view texture, SModelFile& out)
{
    out.parts.push_back(
        ModelPart(kPartModel, "BODY", texture, Box(-0.5f, -0.5f, 0, 0.5f, 0.5f, 0.5f).Build()));
    AddMarker(out, "FX", 0, 0, 0.6f);
    out.parts.push_back(EmitterPart("GLOW", texture, 0, 50, 1, 10));
}

void MakeGun(std::string_view texture, SModelFile& out)
{
    out.parts.push_back(
        ModelPart(kPartModel, "BODY", texture, Box(-0.1f, 0, -0.1f, 0.1f, 1.2f, 0.1f).Build()));
    AddMarker(out, "FX", 0, 1.25f, 0);
    AddMarker(out, "FX1", -0.05f, 1.25f, 0);
    AddMarker(out, "FX2", 0.05f, 1.25f, 0);
}

void MakeFlash(std::string_view texture, SModelFile& out)
{
    MeshBuilder quad;
    quad.AddQuad(1);
    SModelPartBlock part = ModelPart(kPartModel, "FLASH", texture, quad.Build());
    part.model->frameGrid = 4;
    part.model->frameTime = 0.05f;
    part.model->shaderSlot = 38;
    out.parts.push_back(std::move(part));
}

// A nozzle flame: three animated quads crossed about the Y axis, 60 degrees apart, each a part
// of its own ("FLAME", "FLAME1", "FLAME2") with the flash's atlas, timing and slot.
void MakeFlame(std::string_view texture, SModelFile& out)
{
    static constexpr const char* kNames[3] = { "FLAME", "FLAME1", "FLAME2" };
    for (int k = 0; k < 3; ++k) {
        MeshBuilder quad;
        quad.AddQuad(1);
        const float a = float(k) * 3.14159265f / 3.0f;
        for (MeshBuilder::Vertex& v : quad.vertices) {
            const float x = v.position[0];
            v.position[0] = x * std::cos(a);
            v.position[2] = x * std::sin(a);
            v.normal[0] = std::sin(a);
            v.normal[2] = -std::cos(a);
        }
        SModelPartBlock part = ModelPart(kPartModel, kNames[k], texture, quad.Build());
        part.model->frameGrid = 4;
        part.model->frameTime = 0.05f;
        part.model->shaderSlot = 38;
        out.parts.push_back(std::move(part));
    }
}

// A ring of hills around the origin, seen from inside: 96 columns of three rows rising from
// below the ground to a crest of two overlaid waves. Its one part carries three textures (the
// hills, texture + "_DETAIL" and texture + "_CLOUDS") and the detail stage's scale.
void MakeHorizon(std::string_view texture, SModelFile& out)
{
    constexpr int kColumns = 96;
    constexpr float kPi = 3.14159265f;
    MeshBuilder ring;
    for (int c = 0; c <= kColumns; ++c) {
        const float a = 2.0f * kPi * float(c) / float(kColumns);
        const float crest = 500.0f + 250.0f * std::sin(3.0f * a) + 150.0f * std::sin(7.0f * a + 1.0f);
        const float rows[3][2] = { { 9000.0f, -300.0f }, { 8600.0f, crest * 0.6f }, { 8200.0f, crest } };
        for (int r = 0; r < 3; ++r) {
            MeshBuilder::Vertex v {};
            v.position[0] = rows[r][0] * std::cos(a);
            v.position[1] = rows[r][0] * std::sin(a);
            v.position[2] = rows[r][1];
            v.normal[0] = -std::cos(a);
            v.normal[1] = -std::sin(a);
            v.normal[2] = 0.5f;
            v.uv[0] = float(c) / 8.0f;
            v.uv[1] = 1.0f - float(r) / 2.0f;
            ring.Add(v);
        }
    }
    for (int c = 0; c < kColumns; ++c)
        for (int r = 0; r < 2; ++r) {
            const auto i = uint16_t(c * 3 + r);
            ring.AddTriangle(i, uint16_t(i + 1), uint16_t(i + 3));
            ring.AddTriangle(uint16_t(i + 1), uint16_t(i + 4), uint16_t(i + 3));
        }
    SModelPartBlock part = ModelPart(kPartModel, "HORIZON", texture, ring.Build());
    SetName(part.record.textures[1], std::string(texture) + "_DETAIL");
    SetName(part.record.textures[2], std::string(texture) + "_CLOUDS");
    part.model->texParamScale = 6.0f;
    out.parts.push_back(std::move(part));
}

// A ground tuft: two crossed upright quads drawn through slot 31, opaque in the object's colour.
void MakeTuft(std::string_view texture, SModelFile& out)
{
    MeshBuilder blades;
    const float a[3] = { -0.5f, -0.02f, 0.0f };
    const float b[3] = { 0.5f, 0.02f, 0.8f };
    const float c[3] = { -0.02f, -0.5f, 0.0f };
    const float d[3] = { 0.02f, 0.5f, 0.8f };
    blades.AddBox(a, b);
    blades.AddBox(c, d);
    SModelPartBlock part = ModelPart(kPartModel, "TUFT", texture, blades.Build());
    part.model->shaderSlot = 31;
    out.parts.push_back(std::move(part));
}

// A pebble: a low box that fades in and out with the deferred effects.
void MakePebble(std::string_view texture, SModelFile& out)
{
    out.parts.push_back(
        ModelPart(kPartModel, "PEBBLE", texture, Box(-0.3f, -0.2f, 0, 0.3f, 0.2f, 0.15f).Build()));
}

struct KindRow {
    std::string_view name;
    void (*make)(std::string_view texture, SModelFile& out);
};
constexpr KindRow kKinds[] = {
    { "glider", MakeGlider },
    { "building", MakeBuilding },
    { "hall", MakeHall },
    { "tree", MakeTree },
    { "stone", MakeStone },
    { "missile", MakeMissile },
    { "thing", MakeThing },
    { "gun", MakeGun },
    { "flash", MakeFlash },
    { "flame", MakeFlame },
    { "horizon", MakeHorizon },
    { "tuft", MakeTuft },
    { "pebble", MakePebble },
};

} // namespace

uint16_t MeshBuilder::Add(const Vertex& v)
{
    vertices.push_back(v);
    return uint16_t(vertices.size() - 1);
}

void MeshBuilder::AddTriangle(uint16_t a, uint16_t b, uint16_t c)
{
    indices.insert(indices.end(), { a, b, c });
}

void MeshBuilder::AddBox(const float min[3], const float max[3])
{
    for (int axis = 0; axis < 3; ++axis) {
        for (int side = 0; side < 2; ++side) {
            const int u = (axis + 1) % 3;
            const int v = (axis + 2) % 3;
            uint16_t first = 0;
            for (int corner = 0; corner < 4; ++corner) {
                Vertex vertex {};
                vertex.position[axis] = side ? max[axis] : min[axis];
                vertex.position[u] = (corner & 1) ? max[u] : min[u];
                vertex.position[v] = (corner & 2) ? max[v] : min[v];
                vertex.normal[axis] = side ? 1.0f : -1.0f;
                vertex.uv[0] = float(corner & 1);
                vertex.uv[1] = float(corner >> 1);
                const uint16_t index = Add(vertex);
                if (corner == 0)
                    first = index;
            }
            // Both faces of an axis wind the same way seen from outside.
            const uint16_t b = uint16_t(first + (side ? 1 : 2));
            const uint16_t c = uint16_t(first + (side ? 2 : 1));
            AddTriangle(first, b, c);
            AddTriangle(c, b, uint16_t(first + 3));
        }
    }
}

void MeshBuilder::AddGrid(uint32_t columns, uint32_t rows, float size)
{
    const uint16_t first = uint16_t(vertices.size());
    for (uint32_t r = 0; r <= rows; ++r) {
        for (uint32_t c = 0; c <= columns; ++c) {
            Vertex vertex {};
            vertex.position[0] = (float(c) / float(columns) - 0.5f) * size;
            vertex.position[1] = (float(r) / float(rows) - 0.5f) * size;
            vertex.normal[2] = 1;
            vertex.uv[0] = float(c) / float(columns);
            vertex.uv[1] = float(r) / float(rows);
            Add(vertex);
        }
    }
    for (uint32_t r = 0; r < rows; ++r) {
        for (uint32_t c = 0; c < columns; ++c) {
            const auto at
                = [&](uint32_t rr, uint32_t cc) { return uint16_t(first + rr * (columns + 1) + cc); };
            AddTriangle(at(r, c), at(r + 1, c), at(r, c + 1));
            AddTriangle(at(r, c + 1), at(r + 1, c), at(r + 1, c + 1));
        }
    }
}

void MeshBuilder::AddQuad(float size)
{
    const uint16_t first = uint16_t(vertices.size());
    for (int i = 0; i < 4; ++i) {
        Vertex vertex {};
        vertex.position[0] = (float(i % 2) - 0.5f) * size;
        vertex.position[1] = (float(i / 2) - 0.5f) * size;
        vertex.normal[2] = -1;
        vertex.uv[0] = float(i % 2);
        vertex.uv[1] = float(1 - i / 2);
        Add(vertex);
    }
    AddTriangle(first, uint16_t(first + 1), uint16_t(first + 2));
    AddTriangle(uint16_t(first + 2), uint16_t(first + 1), uint16_t(first + 3));
}

SMeshBlock MeshBuilder::Build(uint32_t format) const
{
    SMeshBlock mesh;
    mesh.format = format;
    mesh.vertexCount = uint32_t(vertices.size());
    mesh.indices = indices;
    const bool weighted = format == 0x116;
    for (const Vertex& v : vertices) {
        std::vector<float> floats(v.position, v.position + 3);
        if (weighted)
            floats.push_back(v.weight);
        floats.insert(floats.end(), v.normal, v.normal + 3);
        floats.insert(floats.end(), v.uv, v.uv + 2);
        const auto* bytes = reinterpret_cast<const uint8_t*>(floats.data());
        mesh.vertices.insert(mesh.vertices.end(), bytes, bytes + floats.size() * 4);
    }
    return mesh;
}

SModelPartBlock ModelPart(uint32_t type, std::string_view name, std::string_view texture, SMeshBlock mesh)
{
    SModelPartBlock part;
    part.record.type = type;
    SetName(part.record.name, name);
    SetName(part.record.textures[0], texture);
    part.record.groupMask = 0xF;
    SModelBlock& model = part.model.emplace();
    static constexpr float kMaterial[17]
        = { 0.8f, 0.8f, 0.8f, 1, 0.5f, 0.5f, 0.5f, 1, 0.2f, 0.2f, 0.2f, 1, 0, 0, 0, 1, 10 };
    std::copy(std::begin(kMaterial), std::end(kMaterial), model.material);
    model.mesh = std::move(mesh);
    return part;
}

SModelPartBlock MarkerPart(std::string_view name, const float position[3], float size)
{
    const float a[3] = { position[0], position[1], position[2] };
    const float b[3] = { a[0] + size, a[1], a[2] };
    const float c[3] = { a[0], a[1] + size, a[2] };
    const float d[3] = { a[0], a[1], a[2] - size };
    MeshBuilder marker;
    const float* corners[9] = { a, b, c, a, c, d, a, d, b };
    for (int i = 0; i < 9; ++i) {
        MeshBuilder::Vertex v {};
        std::copy(corners[i], corners[i] + 3, v.position);
        v.normal[2] = 1;
        marker.Add(v);
    }
    marker.AddTriangle(0, 1, 2);
    marker.AddTriangle(3, 4, 5);
    marker.AddTriangle(6, 7, 8);
    SModelPartBlock part = ModelPart(kPartShape, name, "", marker.Build());
    return part;
}

SModelPartBlock EmitterPart(std::string_view name, std::string_view texture, uint32_t kind,
    uint32_t maxParticles, float lifetime, float rate)
{
    SModelPartBlock part;
    part.record.type = kPartEmitter;
    SetName(part.record.name, name);
    part.record.groupMask = 0xF;
    SParticleBlock& block = part.emitter.emplace();
    SEmitterDesc& d = block.desc;
    d.maxParticles = maxParticles;
    for (int i = 0; i < 4; ++i)
        d.matrix[5 * i] = 1;
    d.direction[2] = 1;
    d.spread = 0.5f;
    d.lifetime = lifetime;
    d.rate = rate;
    d.speed = 1;
    d.speedVariation = 0.2f;
    d.burstDuration = 1;
    d.pauseDuration = 0;
    d.drag = 0.5f;
    d.keys[0] = SForceKey { 0, 0, 0.5f, 0, 0, 0, 1, {}, 0 };
    d.keysInFile = 1;
    block.keyCount = 1;
    block.viewer.kind = kind;
    SetName(block.viewer.texture, texture);
    block.viewer.birthSize = 0.2f;
    block.viewer.deathSize = 0.6f;
    block.viewer.grid = 4;
    return part;
}

std::vector<uint16_t> BuildOrderings(const SMeshBlock& mesh)
{
    static constexpr float kAxes[6][3]
        = { { 1, 0, 0 }, { 0, 1, 0 }, { -1, 0, 0 }, { 0, -1, 0 }, { 0, 0, 1 }, { 0, 0, -1 } };
    const size_t triangles = mesh.indices.size() / 3;
    std::vector<uint16_t> out;
    out.reserve(mesh.indices.size() * 6);
    for (const auto& axis : kAxes) {
        std::vector<float> depth(triangles);
        for (size_t t = 0; t < triangles; ++t) {
            float sum = 0;
            for (int k = 0; k < 3; ++k) {
                const float* p = VertexPosition(mesh, mesh.indices[3 * t + size_t(k)]);
                sum += p[0] * axis[0] + p[1] * axis[1] + p[2] * axis[2];
            }
            depth[t] = sum;
        }
        std::vector<size_t> order(triangles);
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&](size_t x, size_t y) { return depth[x] < depth[y]; });
        for (size_t t : order)
            out.insert(out.end(), mesh.indices.begin() + long(3 * t), mesh.indices.begin() + long(3 * t + 3));
    }
    return out;
}

const std::vector<std::string_view>& ModelKinds()
{
    static const std::vector<std::string_view> kinds = [] {
        std::vector<std::string_view> names;
        for (const KindRow& row : kKinds)
            names.push_back(row.name);
        return names;
    }();
    return kinds;
}

bool MakeModel(std::string_view kind, std::string_view texture, SModelFile& out)
{
    for (const KindRow& row : kKinds) {
        if (row.name == kind) {
            out = SModelFile();
            row.make(texture, out);
            return true;
        }
    }
    return false;
}

SModelFile MakeHeavyModel(uint32_t vertexCount, const uint32_t channelTypes[4], uint32_t channelVertices)
{
    // A square grid with one triangle a cell, so the index list stays as long as the vertex list.
    const uint32_t side = std::max(2u, uint32_t(std::sqrt(double(vertexCount))));
    MeshBuilder grid;
    grid.AddGrid(side - 1, side - 1, 100);
    std::vector<uint16_t> halved;
    for (size_t t = 0; t < grid.indices.size() / 3; t += 2)
        halved.insert(
            halved.end(), grid.indices.begin() + long(3 * t), grid.indices.begin() + long(3 * t + 3));
    grid.indices = std::move(halved);
    SModelFile file;
    file.parts.push_back(ModelPart(kPartModel, "BODY", "TEX_SAMPLECOLOR", grid.Build()));
    SModelBlock& model = *file.parts.back().model;
    const uint32_t vertices = model.mesh.vertexCount;
    const uint16_t moved = uint16_t(std::min(vertices, channelVertices));
    static const char* kNames[4] = { "ROTATE", "FORWARD", "STRAFE", "JUMP" };
    for (int c = 0; c < 4; ++c) {
        model.channels.push_back(Channel(channelTypes[c], kNames[c], Range(0, moved), [&](int b, uint16_t v) {
            const float s = 0.001f * float(b + 1) * float(c + 1);
            return Delta(s, s * float(v % 7), -s, s, 0, -s);
        }));
    }
    model.channelCount = 4;
    model.orderingsMode = 1;
    model.orderings = BuildOrderings(model.mesh);
    const uint32_t triangles = uint32_t(model.mesh.indices.size() / 3);
    for (uint16_t p = 0; p < 8; ++p) {
        std::vector<uint16_t> removed;
        for (uint32_t t = p; t < triangles && removed.size() < 100; t += 8 * 37)
            removed.push_back(uint16_t(t));
        model.pieces.push_back(Piece(p == 0 ? "FIRE" : p == 1 ? "FIRE1" : "DAMAGE", float(p), 0, 0, removed));
    }
    return file;
}

} // namespace zoq::tools::model
