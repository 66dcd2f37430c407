// Model files for tools and tests: the writer of every block type (unread header bytes are
// zeros), the geometry helpers, the procedural models of zoq-model make, and the text of
// zoq-model info.
#pragma once

#include "foundation/ByteOrder.h"
#include "render/ModelFile.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zoq::tools::model {

using ::Bytes;

Bytes EncodeModelFile(const SModelFile& file);
bool WriteModelFile(const std::filesystem::path& path, const SModelFile& file, std::string& error);

// zoq-model info's lines (floats %g, empty names "-").
std::string FormatModelInfo(const SModelFile& file);

// Geometry in format 0x112 (position, normal, one texture set) unless said otherwise.
struct MeshBuilder {
    struct Vertex {
        float position[3];
        float normal[3];
        float uv[2];
        float weight = 0; // the blend weight of formats with one (0x116)
    };
    std::vector<Vertex> vertices;
    std::vector<uint16_t> indices;

    uint16_t Add(const Vertex& v);
    void AddTriangle(uint16_t a, uint16_t b, uint16_t c);
    // An axis-aligned box: four vertices and two triangles a face.
    void AddBox(const float min[3], const float max[3]);
    // A grid of columns x rows quads in the XZ plane, centred on the origin.
    void AddGrid(uint32_t columns, uint32_t rows, float size);
    // A unit quad in the XY plane, centred (the flash's shape).
    void AddQuad(float size);
    // Packs into a mesh block of format 0x112 or 0x116 (weight as the one blend weight).
    SMeshBlock Build(uint32_t format = 0x112) const;
};

// A type-0 (or 1) part with the common defaults: group mask 0xF, texture 0 set, a grey material.
SModelPartBlock ModelPart(uint32_t type, std::string_view name, std::string_view texture, SMeshBlock mesh);
// A type-1 marker at position: nine vertices a, b, c / a, c, d / a, d, b with corner a, whose
// frame (GetBoxFrame) has the axes of the model and its origin at position.
SModelPartBlock MarkerPart(std::string_view name, const float position[3], float size = 0.1f);
// A type-4 emitter part of a viewer kind with one force key.
SModelPartBlock EmitterPart(std::string_view name, std::string_view texture, uint32_t kind,
    uint32_t maxParticles, float lifetime, float rate);
// The six triangle orderings of a mesh: triangles sorted by their centres along +X, +Y, -X, -Y,
// +Z, -Z, farthest first.
std::vector<uint16_t> BuildOrderings(const SMeshBlock& mesh);

// The procedural kinds of zoq-model make, in the table's order.
const std::vector<std::string_view>& ModelKinds();
// False for an unknown kind.
bool MakeModel(std::string_view kind, std::string_view texture, SModelFile& out);

// A big model for load and morph measurements: a square grid of about vertexCount vertices with
// one triangle a cell, four channels of the given types over its first channelVertices
// vertices (at most 65535), orderings and eight damage pieces.
SModelFile MakeHeavyModel(uint32_t vertexCount, const uint32_t channelTypes[4], uint32_t channelVertices);

} // namespace zoq::tools::model
