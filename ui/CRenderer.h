// CRenderer: the screen layer of the running game. Render draws one frame: the world in a fixed
// order, the transition veil, the cockpit (panels, gauges, weapons, lamps, numbers, aiming mark,
// target markers, radar, messages, scanner, brackets, quest timers), the information panel about
// the current target, the frame-rate counter and the screen masks. It also draws the wait screen
// of a location change and keeps the frame's three counters. One object, g_pRenderer, made by the
// application. Main thread only.
#pragma once

#include "platform/gfx/types.h"
#include "render/CVertexData.h"
#include "ui/WeaponPanel.h"

#include <cstdint>
#include <string>
#include <vector>

class CFerrovant;
class CGliderObject;
class CTexture;

// A texel rectangle of a cockpit piece: its origin in the atlas and its size in pixels.
struct SKokpitPiece {
    const char* name;
    int32_t u, v, width, height;
};
// Every piece the cockpit cuts from "TEX_KT_ALL".
const std::vector<SKokpitPiece>& KokpitPieces();

// The transition veil's colour for the application's transition state and timer (seconds).
uint32_t VeilColour(int state, float timer);
// The target's armour bar: the hull's wear share and the armour over their maxima; 0 when the
// maxima add up to nothing.
float TargetArmourRatio(float hullMaxWear, float hullWear, float armour, float maxArmour);
// The warning-sign colour at that game clock (rows 5, 6 and 7 have their own).
uint32_t WarningSignColour(int sign, double clock);

class CRenderer {
public:
    static constexpr int kMaxLamps = 20;

    struct SLamp {
        int32_t icon;
        bool lit;
    };
    struct SDamaged {
        int32_t icon;
        float ratio;
    };

    // What the cockpit shows of the player's glider and machine in one frame.
    struct SKokpitFrame {
        std::vector<SWeaponPanel> weapons;
        std::vector<SLamp> lamps;
        std::vector<SDamaged> damaged;
        float energy = 0.0f; // ratios 0..1
        float armour = 0.0f;
        float shield = 0.0f;
        float armourHits = 0.0f;
        float shieldHits = 0.0f;
        float hullHits = 0.0f;
        int32_t speed = 0; // km/h
        float hours = 0.0f; // time of day
        bool markShown = false;
        int32_t markDistance = 0;
    };

    // A point projected by the view-projection matrix.
    struct SClip {
        float x, y, w;
    };

    CRenderer();
    ~CRenderer();
    CRenderer(const CRenderer&) = delete;
    CRenderer& operator=(const CRenderer&) = delete;

    // The view parameters, viewport and render states; the batches, the layer's textures and the
    // scanner textures (again after a device reset).
    void LoadTextures();
    void Render();
    // Ends the scene, presents and clears the frame counters.
    void EndFrame();
    void DrawWaitScreen();
    void ReleaseBuffers();
    void Done();

    void DrawKokpit();
    // The cockpit's panels, gauges, numbers, weapons, lamps, damaged parts, scanner and damage
    // brackets for that frame.
    void DrawPanels(const SKokpitFrame& frame);
    void DrawTarget();
    void DrawQuest();
    // The target's organisation icon, its group's rating pips and its name.
    void DrawTargetBadge(const CGliderObject& target);
    // The aiming mark where the glider's weapons point.
    void DrawAimingMark(const CGliderObject& glider);
    void DrawInfoPanel();
    void DrawVeil();
    void DrawScreenMasks();

    // The three per-frame counters: the device wrapper's draw calls and primitives and the
    // pieces this layer drew. They exist before the layer does.
    static void ResetFrameCounters();
    static uint32_t DrawCalls();
    static uint32_t Primitives();
    static uint32_t PiecesDrawn() { return s_pieces; }

    // The lists DrawKokpit draws for the player's glider and machine.
    static std::vector<SWeaponPanel> WeaponPanels(const CGliderObject& glider);
    static std::vector<SLamp> Lamps(const CGliderObject& glider, const CFerrovant& machine);
    static std::vector<SDamaged> DamagedParts(const CFerrovant& machine);
    // The information panel's lines about a target.
    static std::vector<std::string> InfoPanelLines(const CGliderObject& target);

    int32_t texAll = -1;
    int32_t texIcons = -1;
    int32_t texTargetArrow = -1;
    int32_t texTargetCorner = -1;
    uint8_t showMessagesAndRadar = 1;
    uint8_t spareFlag = 1;
    uint8_t showInfoPanel = 0;
    uint8_t hideObjects = 0;
    uint8_t hideDetailObjects = 0;
    uint8_t hideTerrain = 0;
    plat::gfx::Viewport viewport {};

    // Set by the game flow: the transition state and its timer, the cockpit switch, aiming along
    // the glider's forward axis, and the "ShowFPS" setting with the frame rate it shows.
    int32_t transitionState = 0;
    float transitionTimer = 0.0f;
    uint8_t kokpitOn = 1;
    uint8_t aimForward = 0;
    uint8_t showFps = 0;
    int32_t frameRate = 0;

private:
    // Shader slots: plain pieces, two textures, a picture, tinted pieces, the factor colour alone.
    static constexpr int kPlainSlot = 6;
    static constexpr int kPipSlot = 11;
    static constexpr int kMaskSlot = 17;
    static constexpr int kPictureSlot = 18;
    static constexpr int kTintSlot = 19;
    static constexpr int kBarSlot = 29;

    // The arrow toward a group member out of view.
    void DrawArrow(const SClip& clip, uint32_t colour);
    // A quad of any four corners (top left, top right, bottom left, bottom right) showing the whole
    // texture from (u1, v1) to (u2, v2), added to the pieces.
    void AddQuad(const float (&xs)[4], const float (&ys)[4], float u1, float v1, float u2, float v2);
    // A quad of the factor colour alone, blended.
    void DrawBar(uint32_t colour, float x1, float y1, float x2, float y2);
    // Screen pieces: a quad of (x1, y1)-(x2, y2) showing the texture from texel (u, v) one to one.
    void AddPiece(float x1, float y1, float x2, float y2, float u, float v, float texW, float texH);
    void FlushPieces(int slot, CTexture* texture);
    void DrawPiece(int slot, CTexture* texture, float x1, float y1, float x2, float y2, float u, float v,
        float texW, float texH);
    void DrawTinted(CTexture* texture, uint32_t colour, float x1, float y1, float x2, float y2, float u,
        float v, float texW, float texH);
    void DrawWeaponPanels(const std::vector<SWeaponPanel>& panels, int32_t base, CTexture* atlas);
    void DrawBrackets(const SKokpitFrame& frame, CTexture* atlas);
    // A number built by DrawDigitStrip in the small batch, appended to the pieces.
    void AddNumber(float x, float y, int32_t value, bool clock);
    CTexture* Texture(int32_t index) const;

    CVertexData m_smallBatch;
    CVertexData m_largeBatch;
    static inline uint32_t s_pieces = 0;
};

extern CRenderer* g_pRenderer;
