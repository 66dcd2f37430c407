// Map recipes: a readable description of a location's terrain, one statement a line ('#' starts a
// comment), from which the map is built.
//
//   name <text>                       the location name (the rest of the line, UTF-8)
//   points <W> <H>                    grid points, each 64k + 1 (65..4097)
//   horizon <KEY>                     the horizon model
//   seed <N>                          the hills' random seed
//   base <H>                          the ground height before the hills
//   hills amplitude=<A> scale=<S> octaves=<N>
//                                     value noise of A units, S units across, N octaves
//   flatten x= y= radius= height= edge=
//                                     ground at height within radius, blending back over edge
//   basin x= y= radius= depth= surface=<I>
//                                     a bowl reaching depth below the record's level; its points
//                                     below the level are water, its blocks name the record
//   surface <I> level= kind= waves=<S>,<A> atlas=<N>,<P> specular= textures=<K1>,<K2>
//                                     water record I (in order from 0); waves, atlas, specular
//                                     and the second texture are optional
//   material <CODE> colour=<ARGB> [below=<H>] [above=<H>] [steeper=<S>]
//                                     the first rule whose conditions hold gives a point its land
//                                     material and colour (steeper: rise per unit run)
//   weather kind=day|night weight= sky=<K1>,<K2> skycolours=<C1>,<C2> fog1=<T>,<A> fog2=<T>,<A>
//           fog=<MODE>,<START>,<END>,<DENSITY> cloud1=<K>,<SCALE>,<U>,<V> cloud2=...
//           sun=<K> moon=<K> colours=<AMBIENT>,<SUN>,<MOON> wind=<X>,<Y>,<Z>
//           effect=none|rain|snow|storm,<INTENSITY> window=<LENGTH>,<CHANCE>
//                                     a weather record; every key but kind is optional
//
// Positions and heights are world units; colours are hexadecimal ARGB words; "-" is no texture.
#pragma once

#include "tools/map/map_writer.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zoq::tools::map {

// A recipe that cannot be read or built; line 0 when no line is to blame.
class RecipeError : public std::runtime_error {
public:
    RecipeError(int line, const std::string& reason)
        : std::runtime_error(reason)
        , line(line)
    {
    }
    int line;
};

struct Hills {
    float amplitude = 0.0f;
    float scale = 1.0f;
    int octaves = 1;
};

struct Flatten {
    float x = 0.0f, y = 0.0f, radius = 0.0f, height = 0.0f, edge = 0.0f;
};

struct Basin {
    float x = 0.0f, y = 0.0f, radius = 0.0f, depth = 0.0f;
    int surface = 0;
    int line = 0;
};

struct MaterialRule {
    uint16_t code = 0;
    uint32_t colour = 0xFFFFFFFFu;
    std::optional<float> below, above, steeper;
    int line = 0;
};

// Terrain steps in recipe order, applied in that order.
struct TerrainStep {
    enum class Kind { Hills, Flatten, Basin } kind = Kind::Hills;
    Hills hills;
    Flatten flatten;
    Basin basin;
};

struct MapRecipe {
    std::string name;
    int32_t width = 0, height = 0;
    std::string horizon;
    uint32_t seed = 0;
    float base = 0.0f;
    std::vector<TerrainStep> steps;
    std::vector<SurfaceRecord> surfaces;
    std::vector<MaterialRule> materials;
    std::vector<WeatherRecord> weather;
};

// Throws RecipeError with the line of the statement at fault.
MapRecipe ParseRecipe(std::string_view text);
// The map the recipe describes. Throws RecipeError (two waters in one block, say).
LocationMap BuildMap(const MapRecipe& recipe);

} // namespace zoq::tools::map
