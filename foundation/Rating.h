// Rating levels 0..10: level i spans RatingThresholds[i - 1] .. RatingThresholds[i].
#pragma once

#include <cstdint>

extern const float RatingThresholds[11];

// value <= 0: level 0, fraction 0. Otherwise the first level i in 1..10 with value below its
// threshold, fraction (value - t[i-1]) / (t[i] - t[i-1]) capped at 0.99; at or above the last
// threshold level 10 and fraction 1.0.
void GetRatingLevel(float value, int32_t& level, float& fraction);
// The level of a rating, stored into the rated record's level field.
void UpdateRatingLevel(float rating, int32_t& level);
