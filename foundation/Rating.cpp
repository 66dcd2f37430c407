#include "foundation/Rating.h"

const float RatingThresholds[11] = { 0.0f, 50.0f, 200.0f, 500.0f, 1500.0f, 5000.0f, 15000.0f, 50000.0f,
    200000.0f, 1000000.0f, 10000000.0f };

void GetRatingLevel(float value, int32_t& level, float& fraction)
{
    if (!(value > 0.0f)) {
        level = 0;
        fraction = 0.0f;
        return;
    }
    for (int32_t i = 1; i <= 10; ++i) {
        if (value < RatingThresholds[i]) {
            level = i;
            fraction = (value - RatingThresholds[i - 1]) / (RatingThresholds[i] - RatingThresholds[i - 1]);
            if (fraction > 0.99f)
                fraction = 0.99f;
            return;
        }
    }
    level = 10;
    fraction = 1.0f;
}

void UpdateRatingLevel(float rating, int32_t& level)
{
    float fraction;
    GetRatingLevel(rating, level, fraction);
}
