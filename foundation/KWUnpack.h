// The four block unpackers of the archive format. Each checks its input and its output room:
// a truncated code, a reference before the start of the output or output past the capacity
// makes it fail. None reads or writes outside the ranges it is given.
#pragma once

#include <cstddef>
#include <cstdint>

// Each returns true and the bytes written, or false for invalid input (written then holds
// what was produced before the fault).

// 8-bit runs: in[0] is the escape E; E,c,v (c < 255) is v repeated c + 3 times; E,255 is E.
bool UnpackRle8(const uint8_t* in, size_t n, uint8_t* out, size_t capacity, size_t& written);
// 16-bit runs over little-endian words: in[0] is the escape E; word 0 is the header. A word
// whose high byte is E: low byte c < 255 repeats the next word c + 3 times, 255 copies it once.
bool UnpackRle16(const uint8_t* in, size_t n, uint8_t* out, size_t capacity, size_t& written);
// LZ with a flag byte before every eight items (bit set: a 2-byte reference of 4..19 bytes
// from 1..4095 bytes back).
bool UnpackLzFlags(const uint8_t* in, size_t n, uint8_t* out, size_t capacity, size_t& written);
// LZ with an escape byte in[0]: E,c,d is a reference, E,255,255 a literal E.
bool UnpackLzEscape(const uint8_t* in, size_t n, uint8_t* out, size_t capacity, size_t& written);
