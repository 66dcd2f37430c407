// Index sorts over a key field of fixed-stride records: indices are filled with 0 .. n - 1 and
// Shell-sorted ascending by keys[index * stride] (stride in keys), with gaps n/2, n/4, ... 1.
// Equal keys may change order.
#pragma once

#include <cstdint>

void ShellSortIndices(const int32_t* keys, int32_t stride, int32_t n, int32_t* indices);
void SortIndicesByKey(const float* keys, int32_t stride, int32_t n, int32_t* indices);
