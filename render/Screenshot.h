// Screenshots: the back buffer written bottom-up as a 32-bit BMP under the first free name
// "screen%d.bmp" of the current directory; and two pitched pixel-rectangle helpers.
#pragma once

#include <cstdint>

// Every failure is a log line and no file.
void SaveScreenshot();
// The back buffer as a BMP at path; false (logged) when it could not be written.
bool SaveBackBuffer(const char* path);
// An uncompressed BMP of rows in file order (bottom row first); logs "Can`t create file %s".
void WriteBMP(const char* path, int32_t width, int32_t height, const void* pixels, int32_t bytesPerPixel);
void CopyPixelRect(void* target, const void* source, uint32_t rowBytes, int32_t targetPitch,
    int32_t sourcePitch, uint32_t rows);
void ClearPixelRect(void* target, uint32_t rowBytes, int32_t pitch, uint32_t rows);
