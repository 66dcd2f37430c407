// Screen quads of the menus, drawn through the model manager's "SCREEN" buffer.
#pragma once

#include "ui/InterfaceAtlas.h"

#include <cstdint>

class CTexture;

// The quad (x1, y1)-(x2, y2) showing the texture from (u0, v0) to (u1, v1) (0..1) with the shader
// slot; the second texture's stage gets the same coordinates. False when nothing can be drawn.
bool DrawMenuQuad(int slot, CTexture* texture, float x1, float y1, float x2, float y2, float u0 = 0.0f,
    float v0 = 0.0f, float u1 = 1.0f, float v1 = 1.0f, CTexture* second = nullptr);
// A texel rectangle of the texture stretched over the quad.
bool DrawTexturePiece(
    int slot, CTexture* texture, float x1, float y1, float x2, float y2, const SAtlasPiece& piece);
// The bump picture over the rectangle as a grid patch lit from (lightX, lightY), added to what lies
// there and tinted by the factor colour. False when nothing can be drawn.
bool DrawBumpPatch(
    CTexture* bump, float x1, float y1, float x2, float y2, float lightX, float lightY, uint32_t factor);
// The interface texture of the pieces, or null.
CTexture* InterfaceTexture();
