// The planes of a map file derived from heights, water and colours: normals, hour light words,
// mesh omission bits and the half-resolution point words. Points outside the map read as the
// nearest edge point, so a last block past the map's edge repeats it.
#pragma once

#include "tools/map/map_writer.h"

#include <array>
#include <cstdint>
#include <vector>

namespace zoq::tools::map {

using Vec3 = std::array<float, 3>;

// The hours of the eight light nibbles, nibble i in bits 4i..4i+3 (stored format).
inline constexpr std::array<float, 8> kLightHours { 5.0f, 8.0f, 10.0f, 11.5f, 12.5f, 14.0f, 16.0f, 19.0f };

// Largest distance of a middle point from its block's corner interpolation for it to be left out
// of the level-1, level-2 and level-3 meshes, and of the far mesh.
inline constexpr std::array<float, 3> kOmitTolerance { 0.5f, 2.0f, 6.0f };
inline constexpr float kFarOmitTolerance = 10.0f;

// Unit vector toward the sun at an hour of the day clock.
Vec3 SunDirection(float hour);

// Height of point (gx, gy), clamped into the map.
float HeightAt(const LocationMap& map, int gx, int gy);

// Unit surface normal from the neighbouring heights (one-sided at the map's edge).
Vec3 PointNormal(const LocationMap& map, int gx, int gy);
// x and y as signed 16-bit fractions of 32766, x low (stored format).
uint32_t PackNormal(const Vec3& normal);

// Per point of the map (row-major), bit i set when the terrain hides the sun at kLightHours[i]:
// the shadow of every point is carried two steps at a time away from the sun.
std::vector<uint8_t> ShadowMasks(const LocationMap& map);
// Eight darkness nibbles: 15 when shadowed or facing away from the sun, else
// trunc(15 x (1 - n.s)).
uint32_t LightWord(const Vec3& normal, uint8_t shadowMask);

// Bits 0-2: the point may be left out of the level-1, level-2, level-3 meshes. Only a middle point
// of a 2 x 2-step block (an odd coordinate) can be left out.
uint8_t OmissionBits(const LocationMap& map, int gx, int gy);
// The half-resolution point at full point (gx, gy), both even, may be left out of the far mesh.
bool FarOmissible(const LocationMap& map, int gx, int gy);

// A height as the half-resolution planes hold it: rounded, clamped to 16 bits.
int16_t HalfHeight(float height);
// Word of half plane 0: the 16-bit height, bit 19 far omission, byte 3 water.
uint32_t HalfPointWord(const LocationMap& map, int gx, int gy);
// Word of full plane 1: byte 0 omission bits, byte 1 water, bytes 2-3 material.
uint32_t FullPointWord(const LocationMap& map, int gx, int gy);

} // namespace zoq::tools::map
