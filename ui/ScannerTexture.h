// The cockpit scanner: a 128 x 64 strip of 16-bit A4R4G4B4 pixels, painted on the processor once a
// frame into a system-memory texture and copied into the device texture the cockpit draws. Things
// around the camera show as vertical spikes at the column of their bearing: buildings, gliders,
// helper points and things lying in the world, each in its own colour. Main thread only.
#pragma once

#include <cstdint>

class CTexture;

inline constexpr int kScannerWidth = 128;
inline constexpr int kScannerHeight = 64;
inline constexpr int kScannerFirstRow = 11;
inline constexpr int kScannerLastRow = 52;

// Makes the two textures (again after a device reset); false when the device refuses them.
bool CreateScannerTextures();
void ReleaseScannerTextures();
// The device texture the cockpit draws and the system-memory texture painted; null before creation.
CTexture* ScannerTexture();
CTexture* ScannerSystemTexture();

// At the start of a location: rows 11 to 52 opaque black.
void ClearScannerTexture();
// One frame of painting around the camera.
void UpdateScannerTexture();

// The pseudo-random state carried between frames.
extern int32_t ScannerRandomState;

// The spikes of one frame, per column: buildings, gliders, helper points, things.
struct SScannerChannels {
    float building[kScannerWidth];
    float glider[kScannerWidth];
    float helper[kScannerWidth];
    float thing[kScannerWidth];
};

// The centre column of a bearing b (radians) for the view base (see UpdateScannerTexture).
int ScannerColumn(float base, float bearing);
// Adds a spike of amplitude a and half-width n at column c, drawing from ScannerRandomState.
void AddScannerSpike(float* channel, int column, float amplitude, int halfWidth);
// Writes rows 11 to 52 of a locked 128 x 64 texture from the channels at that game clock.
void PaintScannerRows(const SScannerChannels& channels, double clock, uint8_t* bits, int32_t pitch);
