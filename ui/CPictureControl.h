// CPictureControl: a texture stretched over its rectangle, optionally with a glow texture lit by a
// light that follows the mouse and tinted with the menu's highlight colour. No input reaction.
#pragma once

#include "ui/CMenuControl.h"

class CPictureControl : public CMenuControl {
public:
    // Texture ids of the texture manager; glow -1 for none.
    CPictureControl(
        int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t picture, int32_t glow = -1);

    void Render() override;

    int32_t picture;
    int32_t glow;
};
