#include "foundation/SortIndices.h"

#include <cstddef>

namespace {

template <typename Key> void SortByKey(const Key* keys, int32_t stride, int32_t n, int32_t* indices)
{
    for (int32_t i = 0; i < n; ++i)
        indices[i] = i;
    auto key = [&](int32_t index) { return keys[std::ptrdiff_t(index) * stride]; };
    for (int32_t gap = n / 2; gap > 0; gap /= 2) {
        for (int32_t i = gap; i < n; ++i) {
            int32_t moving = indices[i];
            int32_t j = i;
            for (; j >= gap && key(indices[j - gap]) > key(moving); j -= gap)
                indices[j] = indices[j - gap];
            indices[j] = moving;
        }
    }
}

} // namespace

void ShellSortIndices(const int32_t* keys, int32_t stride, int32_t n, int32_t* indices)
{
    SortByKey(keys, stride, n, indices);
}

void SortIndicesByKey(const float* keys, int32_t stride, int32_t n, int32_t* indices)
{
    SortByKey(keys, stride, n, indices);
}
