// CGlowButton: a texture piece with a glow piece over it that pulses twice a second and shines
// fully under the mouse. Release over it sends the command; with auto-repeat the command is also
// sent every frame while it is held over it.
#pragma once

#include "ui/CMenuControl.h"

class CGlowButton : public CMenuControl {
public:
    // Source rectangles in texture pixels; texture: an id of the texture manager.
    CGlowButton(int32_t left, int32_t top, int32_t right, int32_t bottom, const int32_t normalSource[4],
        const int32_t glowSource[4], int32_t texture, uint32_t command);

    void Render() override;
    void OnHover() override;
    void OnPress() override { pressed = 1; }
    void OnRelease() override;
    void OnReleaseOutside() override { pressed = 0; }
    void Run() override;

    // The glow's texture-factor alpha at running time t seconds.
    float GlowAlpha(double t) const;

    uint8_t buttonEnabled = 1; // off: no glow and no command
    uint8_t autoRepeat = 0;
    int32_t normalSource[4];
    int32_t glowSource[4];
    int32_t texture;
    uint32_t command;
    uint32_t hoverFrames = 0;
    uint8_t pressed = 0;
};
