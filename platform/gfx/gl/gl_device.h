// The gl backend's device: one GL context on the device's window (or a hidden one), the
// back buffer and every target as framebuffer objects, programs by state key, samplers by
// sampler state, vertex arrays by (layout, buffer, stride), all GL state shadowed.
#pragma once

#include "platform/gfx/backend.h"
#include "platform/gfx/device.h"
#include "platform/gfx/gl/context.h"
#include "platform/gfx/gl/gl_api.h"
#include "platform/gfx/gl/gl_backend.h"
#include "platform/gfx/gl/gl_state.h"
#include "platform/gfx/gl/glsl.h"
#include "platform/gfx/gl/program_cache.h"
#include "platform/gfx/gl/program_desc.h"
#include "platform/gfx/gl/uniforms.h"
#include "platform/gfx/gl/window_pass.h"

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <tuple>
#include <unordered_map>
#include <utility>
#include <vector>

namespace plat::gfx::gl {

// How a format lives in GL.
struct GlFormat {
    GLenum internal = 0;
    GLenum format = 0;
    GLenum type = 0;
    uint32_t bytes = 0; // per pixel of the client data (0: compressed)
    bool compressed = false; // uploaded as blocks
    bool decoded = false; // DXT decoded to BGRA8 at upload
    bool alphaOne = false; // X8R8G8B8 textures: alpha reads as 1
    bool depth = false;
    bool stencil = false;
};

// The test switch of ForceSoftwareDxt.
bool& SoftwareDxtForced();

// Null when GL cannot hold the format; `target` asks for a renderable one.
const GlFormat* MapFormat(Format format, bool target, bool s3tc);

struct TextureObject : BackendObject {
    GLuint name = 0;
    GlFormat format;
    std::vector<uint32_t> levelIds; // framebuffers name the levels they hold
};

struct SurfaceObject : BackendObject {
    GlFormat format;
    GLuint texture = 0; // single-sampled colour targets
    GLuint renderbuffer = 0; // depth surfaces and multisampled colour targets
    GLsizei samples = 0;
    GLuint resolveTexture = 0; // multisampled: the resolved copy, made on demand
    GLuint resolveFramebuffer = 0;
};

struct BufferObject : BackendObject {
    GLuint name = 0;
};

class ShaderObject;

class GlDevice final : public DeviceBackend {
public:
    static Result Create(
        Device& device, const PresentParameters& params, std::unique_ptr<DeviceBackend>& out);
    ~GlDevice() override;

    Result Reset(const PresentParameters& params) override;
    Result CreateSurface(Surface& surface) override;
    Result CreateTexture(Texture& texture) override;
    Result CreateVertexBuffer(VertexBuffer& buffer) override;
    Result CreateIndexBuffer(IndexBuffer& buffer) override;
    void DestroyResource(Resource& resource) override;
    void UploadSurface(Surface& surface, const Rect& rect) override;
    void UploadBuffer(Buffer& buffer, uint32_t offset, uint32_t size, uint32_t lockFlags) override;
    void ReadBack(Surface& surface, const Rect& rect) override;
    Result CopyRects(Surface& source, std::span<const Rect> rects, Surface& target,
        std::span<const Point> points) override;
    Result UpdateTexture(Texture& source, Texture& target, std::span<const LevelRect> regions) override;
    Result CreateVertexShader(VertexShader& shader) override;
    Result CreatePixelShader(PixelShader& shader) override;
    void Clear(const DeviceState& state, const ClearCall& call) override;
    void Draw(const DeviceState& state, uint32_t dirty, const DrawCall& call) override;
    bool Validate(const DeviceState& state) override;
    Result Present(Surface& backBuffer, const GammaRamp& ramp) override;
    Result PresentPicture(const Picture& picture, const GammaRamp& ramp) override;
    uint64_t TextureMemory() const override;

    Stats GetStats() const;
    void SetCapture(bool on) { m_windowPass.SetCapture(on); }
    void SetBreakPrograms(bool on) { m_breakPrograms = on; }
    std::vector<uint32_t> Captured(int& width, int& height) const;
    void Finish();
    // A shader object going away.
    void ForgetShader(uint32_t id);

private:
    GlDevice(Device& device, std::unique_ptr<Context> context);
    bool Current();
    void InitialiseContext();
    void ApplyPresentParameters(const PresentParameters& params);

    // Resources
    void UploadLevel(Texture& texture, uint32_t level, const Rect& rect);
    void UploadTargetRect(Surface& surface, const Rect& rect);
    GLuint ColorTextureOf(Surface& surface, GLint& level);
    GLuint FramebufferFor(Surface* color, Surface* depth);
    GLuint ReadableFramebuffer(Surface& surface); // resolves multisampling first
    void DropFramebuffers(uint32_t surfaceId);
    void DropVertexArrays(GLuint buffer);

    // Drawing
    Program* ProgramFor(const DeviceState& state, bool points);
    void ApplyRasterState(const DeviceState& state);
    void BindTargets(const DeviceState& state);
    void BindTextures(const DeviceState& state, uint8_t stages);
    GLuint SamplerFor(const DeviceState& state, uint32_t stage);
    bool BindVertexInput(
        const DeviceState& state, const DrawCall& call, bool disturbed, GLuint& buffer, uint32_t& first);
    void BindVertexArray(uint32_t layout, GLuint buffer, uint32_t stride, GLuint elements, bool disturbed);
    GLuint VertexArrayFor(uint32_t layout, GLuint buffer, uint32_t stride, GLuint elements);
    void SkipDraw(uint32_t dirtyBits);

    // Present
    void FinalPass(Surface& backBuffer, const GammaRamp& ramp);

    Device& m_device;
    std::unique_ptr<Context> m_context;
    StateCache m_state;
    ProgramCache m_programs;
    UniformValues m_uniforms;
    PresentParameters m_params;
    float m_maxPointSize = 64;
    bool m_s3tc = true;
    uint32_t m_nextShaderId = 1;

    using SamplerKey = std::array<uint32_t, 3>; // modes, border colour, LOD bias bits
    std::map<SamplerKey, GLuint> m_samplers;
    struct VertexArrayKey {
        uint32_t layout;
        GLuint buffer;
        uint32_t stride;
        bool operator<(const VertexArrayKey& o) const
        {
            return std::tie(layout, buffer, stride) < std::tie(o.layout, o.buffer, o.stride);
        }
        bool operator==(const VertexArrayKey&) const = default;
    };
    struct VertexArray {
        GLuint name = 0;
        GLuint elements = 0;
    };
    std::map<VertexArrayKey, VertexArray> m_vertexArrays;
    std::map<std::pair<uint32_t, uint32_t>, GLuint> m_framebuffers; // (colour id, depth id)

    GLuint m_white = 0;
    GLuint m_stream = 0; // DrawPrimitiveUP data
    uint32_t m_streamSize = 0;
    uint32_t m_streamOffset = 0;

    // The last draw's program and key.
    ProgramKey m_lastKey {};
    Program* m_lastProgram = nullptr;
    bool m_lastPoints = false;
    bool m_lastValid = false;
    ProgramRenderValues m_lastRenderValues {}; // what the last key read of the render states
    uint32_t m_pendingDirty = 0; // dirty:: bits not yet applied

    // What the last completed draw left bound. While the state cache has seen no change since
    // (m_drawnChanges), a draw sets again only the groups whose dirty bits say they changed.
    static constexpr uint64_t kNoDraw = ~0ull;
    uint64_t m_drawnChanges = kNoDraw;
    const Program* m_drawnProgram = nullptr;
    VertexArrayKey m_drawnArrayKey {};
    GLuint m_drawnElements = 0;
    bool m_drawnArrayKnown = false; // false once arrays were dropped
    std::array<GLuint, kStageCount> m_stageSamplers {}; // 0: look up at the next bind

    // Present and pictures
    WindowPass m_windowPass { m_state };
    int m_swapInterval = -1;

    bool m_breakPrograms = false;
    uint64_t m_draws = 0;
    uint64_t m_skippedDraws = 0;
};

} // namespace plat::gfx::gl
