#include "world/terrain/MeshTemplates.h"

namespace {

struct SEdge {
    uint8_t from;
    uint8_t middle;
    uint8_t to;
    int bit;
};

// The ring of corners counter-clockwise seen from above (x right, y up), each edge with its middle.
constexpr SEdge kRing[4] = { { 0, 1, 2, 1 }, { 2, 5, 8, 8 }, { 8, 7, 6, 16 }, { 6, 3, 0, 2 } };
constexpr uint8_t kCentre = 4;

std::array<SMeshTemplate, 33> Build()
{
    std::array<SMeshTemplate, 33> templates {};
    for (int mask = 0; mask < 31; ++mask) {
        SMeshTemplate& t = templates[std::size_t(mask)];
        for (const SEdge& edge : kRing) {
            if ((mask & edge.bit) == 0) {
                t.triangles[t.count][0] = edge.from;
                t.triangles[t.count][1] = edge.middle;
                t.triangles[t.count++][2] = kCentre;
                t.triangles[t.count][0] = edge.middle;
                t.triangles[t.count][1] = edge.to;
                t.triangles[t.count++][2] = kCentre;
            } else {
                t.triangles[t.count][0] = edge.from;
                t.triangles[t.count][1] = edge.to;
                t.triangles[t.count++][2] = kCentre;
            }
        }
    }
    templates[31] = SMeshTemplate { 2, { { 0, 2, 6 }, { 2, 8, 6 } } };
    templates[32] = SMeshTemplate { 2, { { 0, 2, 8 }, { 0, 8, 6 } } };
    return templates;
}

} // namespace

const std::array<SMeshTemplate, 33>& MeshTemplates()
{
    static const std::array<SMeshTemplate, 33> templates = Build();
    return templates;
}
