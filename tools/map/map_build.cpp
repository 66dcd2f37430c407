// Building a map from its recipe: heights by the terrain steps, then water, then materials.
#include "tools/map/map_derived.h"
#include "tools/map/map_recipe.h"

#include <cmath>

namespace zoq::tools::map {

namespace {

uint32_t Mix(uint32_t h)
{
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

// A lattice value in [-1, 1].
float Lattice(int x, int y, uint32_t seed)
{
    const uint32_t h = Mix(uint32_t(x) * 0x9E3779B1u ^ Mix(uint32_t(y) * 0x85EBCA77u ^ Mix(seed)));
    return float(h >> 8) / float(1u << 23) - 1.0f;
}

float Smooth(float t)
{
    return t * t * (3.0f - 2.0f * t);
}

float ValueNoise(float x, float y, uint32_t seed)
{
    const float fx = std::floor(x);
    const float fy = std::floor(y);
    const int ix = int(fx);
    const int iy = int(fy);
    const float u = Smooth(x - fx);
    const float v = Smooth(y - fy);
    const float a = Lattice(ix, iy, seed) * (1 - u) + Lattice(ix + 1, iy, seed) * u;
    const float b = Lattice(ix, iy + 1, seed) * (1 - u) + Lattice(ix + 1, iy + 1, seed) * u;
    return a * (1 - v) + b * v;
}

// Octaves of value noise, each twice as fine and half as strong, in [-1, 1].
float Fractal(float x, float y, int octaves, uint32_t seed)
{
    float sum = 0.0f;
    float weight = 1.0f;
    float total = 0.0f;
    for (int o = 0; o < octaves; ++o) {
        sum += weight * ValueNoise(x, y, seed + uint32_t(o));
        total += weight;
        weight *= 0.5f;
        x *= 2.0f;
        y *= 2.0f;
    }
    return sum / total;
}

template <class Apply> void EachPoint(LocationMap& map, Apply apply)
{
    for (int gy = 0; gy < map.height; ++gy)
        for (int gx = 0; gx < map.width; ++gx)
            apply(map.heights[map.PointIndex(gx, gy)], float(gx) * kStep, float(gy) * kStep);
}

float Distance(float x, float y, float cx, float cy)
{
    return std::hypot(x - cx, y - cy);
}

void ApplyStep(LocationMap& map, const MapRecipe& recipe, const TerrainStep& step, uint32_t seed)
{
    switch (step.kind) {
    case TerrainStep::Kind::Hills: {
        const Hills& hills = step.hills;
        EachPoint(map, [&](float& h, float x, float y) {
            h += hills.amplitude * Fractal(x / hills.scale, y / hills.scale, hills.octaves, seed);
        });
        break;
    }
    case TerrainStep::Kind::Flatten: {
        const Flatten& f = step.flatten;
        EachPoint(map, [&](float& h, float x, float y) {
            const float d = Distance(x, y, f.x, f.y);
            const float w = d <= f.radius ? 1.0f
                : d >= f.radius + f.edge  ? 0.0f
                                          : Smooth(1.0f - (d - f.radius) / f.edge);
            h += (f.height - h) * w;
        });
        break;
    }
    case TerrainStep::Kind::Basin: {
        const Basin& b = step.basin;
        const float level = recipe.surfaces[size_t(b.surface)].level;
        EachPoint(map, [&](float& h, float x, float y) {
            const float r = Distance(x, y, b.x, b.y) / b.radius;
            h = std::min(h, level + b.depth * (r * r - 1.0f));
        });
        break;
    }
    }
}

// Points inside a basin and below its level are water; the blocks that hold them name its record.
void MarkWater(LocationMap& map, const MapRecipe& recipe, const Basin& b)
{
    const float level = recipe.surfaces[size_t(b.surface)].level;
    for (int gy = 0; gy < map.height; ++gy)
        for (int gx = 0; gx < map.width; ++gx) {
            const size_t at = map.PointIndex(gx, gy);
            if (Distance(float(gx) * kStep, float(gy) * kStep, b.x, b.y) >= b.radius
                || map.heights[at] >= level)
                continue;
            map.water[at] = 1;
            // A point on a block edge belongs to the blocks on both sides.
            for (int row = std::max(0, (gy - 1) >> 6); row <= std::min(map.BlocksY() - 1, gy >> 6); ++row)
                for (int column = std::max(0, (gx - 1) >> 6); column <= std::min(map.BlocksX() - 1, gx >> 6);
                     ++column) {
                    int32_t& surface
                        = map.blockSurfaces[size_t(row) * size_t(map.BlocksX()) + size_t(column)];
                    if (surface >= 0 && surface != b.surface)
                        throw RecipeError(b.line,
                            "the basin's water meets surface " + std::to_string(surface) + " in block "
                                + std::to_string(column) + "," + std::to_string(row));
                    surface = b.surface;
                }
        }
}

void PaintMaterials(LocationMap& map, const MapRecipe& recipe)
{
    for (int gy = 0; gy < map.height; ++gy)
        for (int gx = 0; gx < map.width; ++gx) {
            const size_t at = map.PointIndex(gx, gy);
            const float h = map.heights[at];
            const Vec3 n = PointNormal(map, gx, gy);
            const float slope = std::hypot(n[0], n[1]) / n[2];
            for (const MaterialRule& rule : recipe.materials) {
                if ((rule.below && !(h < *rule.below)) || (rule.above && !(h > *rule.above))
                    || (rule.steeper && !(slope > *rule.steeper)))
                    continue;
                map.materials[at] = rule.code;
                map.colours[at] = rule.colour;
                break;
            }
        }
}

} // namespace

LocationMap BuildMap(const MapRecipe& recipe)
{
    LocationMap map = LocationMap::Flat(recipe.width, recipe.height, recipe.name);
    map.horizon = recipe.horizon;
    map.surfaces = recipe.surfaces;
    map.weather = recipe.weather;
    std::fill(map.heights.begin(), map.heights.end(), recipe.base);
    uint32_t seed = recipe.seed;
    for (const TerrainStep& step : recipe.steps) {
        ApplyStep(map, recipe, step, seed);
        if (step.kind == TerrainStep::Kind::Hills)
            seed += 0x10000u; // later hills differ from the first
    }
    // Heights in steps of 1/32 unit, exact in a float: the planes pack better.
    for (float& h : map.heights)
        h = std::round(h * 32.0f) / 32.0f;
    for (const TerrainStep& step : recipe.steps)
        if (step.kind == TerrainStep::Kind::Basin)
            MarkWater(map, recipe, step.basin);
    PaintMaterials(map, recipe);
    return map;
}

} // namespace zoq::tools::map
