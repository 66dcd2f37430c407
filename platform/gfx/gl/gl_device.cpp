// Device life, shader objects, draws, clears and validation.
#include "platform/gfx/gl/gl_device.h"

#include "platform/gfx/fvf.h"
#include "platform/win/debug.h"
#include "platform/window/window.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace plat::gfx::gl {
namespace {

constexpr uint32_t kStreamBytes = 1u << 20;

void Log(const std::string& text)
{
    win::DebugOutput("plat::gfx::gl: " + text);
}

GLenum CompareFunc(uint32_t value)
{
    static constexpr GLenum kFuncs[]
        = { GL_NEVER, GL_LESS, GL_EQUAL, GL_LEQUAL, GL_GREATER, GL_NOTEQUAL, GL_GEQUAL, GL_ALWAYS };
    return value < 8 ? kFuncs[value] : GL_ALWAYS;
}

GLenum BlendFactor(uint32_t value)
{
    static constexpr GLenum kFactors[]
        = { GL_ZERO, GL_ONE, GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA,
              GL_DST_ALPHA, GL_ONE_MINUS_DST_ALPHA, GL_DST_COLOR, GL_ONE_MINUS_DST_COLOR };
    return value < 10 ? kFactors[value] : GL_ONE;
}

GLenum PrimitiveMode(PrimitiveType type)
{
    switch (type) {
    case PrimitiveType::PointList:
        return GL_POINTS;
    case PrimitiveType::LineList:
        return GL_LINES;
    case PrimitiveType::LineStrip:
        return GL_LINE_STRIP;
    case PrimitiveType::TriangleList:
        return GL_TRIANGLES;
    case PrimitiveType::TriangleStrip:
        return GL_TRIANGLE_STRIP;
    case PrimitiveType::TriangleFan:
        return GL_TRIANGLE_FAN;
    }
    return GL_TRIANGLES;
}

GLint AddressMode(uint32_t value)
{
    switch (TextureAddress(value)) {
    case TextureAddress::Clamp:
        return GL_CLAMP_TO_EDGE;
    case TextureAddress::Border:
        return GL_CLAMP_TO_BORDER;
    default:
        return GL_REPEAT;
    }
}

} // namespace

// A translated shader and its declaration, attached to the front's shader object; it tells
// the device when the shader goes, so the programs built on it go too.
class ShaderObject final : public BackendObject {
public:
    ShaderObject(
        GlDevice& owner, uint32_t id, TranslatedShader translated, std::vector<VertexElement> declaration)
        : m_owner(owner)
        , m_id(id)
        , m_translated(std::move(translated))
        , m_declaration(std::move(declaration))
    {
    }
    ~ShaderObject() override { m_owner.ForgetShader(m_id); }

    uint32_t Id() const { return m_id; }
    const TranslatedShader& Translated() const { return m_translated; }
    const std::vector<VertexElement>& Declaration() const { return m_declaration; }

private:
    GlDevice& m_owner;
    uint32_t m_id;
    TranslatedShader m_translated;
    std::vector<VertexElement> m_declaration;
};

namespace {

const ShaderObject* ShaderOf(const std::unique_ptr<BackendObject>& backend)
{
    return static_cast<const ShaderObject*>(backend.get());
}

} // namespace

bool& SoftwareDxtForced()
{
    static bool forced = false;
    return forced;
}

// ---- Life ----

GlDevice::GlDevice(Device& device, std::unique_ptr<Context> context)
    : m_device(device)
    , m_context(std::move(context))
    , m_programs(m_state)
{
}

Result GlDevice::Create(Device& device, const PresentParameters& params, std::unique_ptr<DeviceBackend>& out)
{
    const DriverInfo& driver = GetDriverInfo();
    if (!driver.ok) {
        Log("no device: " + driver.failure);
        return Result::NotAvailable;
    }
    // The device window's native handle is the window layer's Window; without one the device
    // draws on a hidden window of its own.
    auto* window
        = params.window ? static_cast<plat::window::Window*>(params.window->NativeHandle()) : nullptr;
    std::unique_ptr<Context> context = Context::Create(window);
    if (!context)
        return Result::NotAvailable;
    std::unique_ptr<GlDevice> gl(new GlDevice(device, std::move(context)));
    gl->m_maxPointSize = std::min(driver.maxPointSize, device.DeviceCaps().maxPointSize);
    gl->m_s3tc = driver.s3tc && !SoftwareDxtForced();
    gl->InitialiseContext();
    gl->ApplyPresentParameters(params);
    out = std::move(gl);
    return Result::Ok;
}

GlDevice::~GlDevice()
{
    bool current = Current();
    m_programs.Clear(current);
    if (current) {
        for (auto& [key, sampler] : m_samplers)
            glDeleteSamplers(1, &sampler);
        for (auto& [key, array] : m_vertexArrays)
            glDeleteVertexArrays(1, &array.name);
        for (auto& [key, framebuffer] : m_framebuffers)
            glDeleteFramebuffers(1, &framebuffer);
        glDeleteTextures(1, &m_white);
        glDeleteBuffers(1, &m_stream);
    }
    m_windowPass.Release(current);
}

bool GlDevice::Current()
{
    return m_context && m_context->MakeCurrent();
}

void GlDevice::InitialiseContext()
{
    m_state.Forget();
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    // Frame buffers hold their top row first, so a sprite's top left is GL's lower left.
    glPointParameteri(GL_POINT_SPRITE_COORD_ORIGIN, GL_LOWER_LEFT);
    glEnable(GL_PROGRAM_POINT_SIZE);
    glFrontFace(GL_CCW);

    glGenTextures(1, &m_white);
    m_state.BindTexture(StateCache::kUploadUnit, m_white);
    const uint32_t white = 0xFFFFFFFFu;
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, &white);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);

    glGenBuffers(1, &m_stream);
    m_state.BindArrayBuffer(m_stream);
    glBufferData(GL_ARRAY_BUFFER, kStreamBytes, nullptr, GL_STREAM_DRAW);
    m_streamSize = kStreamBytes;
    m_streamOffset = 0;
}

void GlDevice::ApplyPresentParameters(const PresentParameters& params)
{
    m_params = params;
    plat::window::Window* window = m_context->GetWindow();
    if (!window)
        return;
    if (!m_context->OwnsWindow())
        window->SetLogicalSize(int(params.backBufferWidth), int(params.backBufferHeight));
    // A window waits for vertical sync as full screen does, unless the caller asks for none.
    int interval = params.presentationInterval == PresentInterval::Immediate ? 0 : 1;
    if (interval != m_swapInterval && Current()) {
        window->SetSwapInterval(interval);
        m_swapInterval = interval;
    }
}

Result GlDevice::Reset(const PresentParameters& params)
{
    ApplyPresentParameters(params);
    m_lastValid = false;
    m_drawnChanges = kNoDraw;
    return Result::Ok;
}

uint64_t GlDevice::TextureMemory() const
{
    uint64_t reported = GetDriverInfo().textureMemory;
    return reported > 0 ? reported : 512ull << 20; // a software renderer says nothing
}

Stats GlDevice::GetStats() const
{
    Stats stats;
    stats.programsCompiled = m_programs.Compiled();
    stats.programs = m_programs.Size();
    stats.draws = m_draws;
    stats.skippedDraws = m_skippedDraws;
    stats.glCalls = GlCallCount();
    stats.samplers = m_samplers.size();
    stats.vertexArrays = m_vertexArrays.size();
    stats.framebuffers = m_framebuffers.size();
    stats.softwareDxt = !m_s3tc;
    return stats;
}

void GlDevice::Finish()
{
    if (Current())
        glFinish();
}

// ---- Shaders ----

Result GlDevice::CreateVertexShader(VertexShader& shader)
{
    TranslatedShader translated = TranslateVertexShader(shader.program);
    if (!translated.ok) {
        Log("CreateVertexShader: " + translated.error);
        return Result::InvalidCall;
    }
    shader.backend
        = std::make_unique<ShaderObject>(*this, m_nextShaderId++, std::move(translated), shader.declaration);
    return Result::Ok;
}

Result GlDevice::CreatePixelShader(PixelShader& shader)
{
    TranslatedShader translated = TranslatePixelShader(shader.program);
    if (!translated.ok) {
        Log("CreatePixelShader: " + translated.error);
        return Result::InvalidCall;
    }
    shader.backend = std::make_unique<ShaderObject>(
        *this, m_nextShaderId++, std::move(translated), std::vector<VertexElement> {});
    return Result::Ok;
}

void GlDevice::ForgetShader(uint32_t id)
{
    m_drawnChanges = kNoDraw;
    m_lastValid = false;
    m_lastProgram = nullptr;
    m_programs.ForgetShader(id, Current());
}

// ---- Programs ----

Program* GlDevice::ProgramFor(const DeviceState& state, bool points)
{
    ShaderIds ids;
    const ShaderObject* vertexShader = nullptr;
    const ShaderObject* pixelShader = nullptr;
    if (IsShaderHandle(state.vertexShader)) {
        if (const VertexShader* vs = m_device.FindVertexShader(state.vertexShader); vs && vs->backend) {
            vertexShader = ShaderOf(vs->backend);
            ids.vertex = vertexShader->Id();
        }
    }
    if (state.pixelShader != 0) {
        if (const PixelShader* ps = m_device.FindPixelShader(state.pixelShader); ps && ps->backend) {
            pixelShader = ShaderOf(ps->backend);
            ids.pixel = pixelShader->Id();
            ids.pixelSamples = pixelShader->Translated().samples;
        }
    }
    ProgramDesc desc;
    if (!DescribeDraw(state, points, ids, desc)) {
        m_lastValid = false;
        return nullptr;
    }
    ProgramKey key = PackKey(desc);
    if (m_lastValid && m_lastProgram && key == m_lastKey && points == m_lastPoints)
        return m_lastProgram;
    Program& program = m_programs.Get(key, desc, [&] {
        ProgramSources sources;
        static const std::vector<VertexElement> kNone;
        sources.vertex = VertexSource(desc, vertexShader ? &vertexShader->Translated() : nullptr,
            vertexShader ? vertexShader->Declaration() : kNone);
        sources.fragment = FragmentSource(desc, pixelShader ? &pixelShader->Translated() : nullptr);
        if (m_breakPrograms)
            sources.vertex += "not a statement\n";
        return sources;
    });
    m_lastKey = key;
    m_lastProgram = &program;
    m_lastPoints = points;
    m_lastValid = true;
    return &program;
}

bool GlDevice::Validate(const DeviceState& state)
{
    if (!Current())
        return true;
    // Validation judges the stages; without a vertex format yet, a plain one stands in.
    bool hasVertexPart = IsShaderHandle(state.vertexShader) || DecodeFvf(state.vertexShader).valid;
    DeviceState substitute;
    if (!hasVertexPart) {
        substitute = state;
        substitute.vertexShader = fvf::kXyz | fvf::kDiffuse | fvf::kTex1;
    }
    ProgramKey lastKey = m_lastKey;
    Program* lastProgram = m_lastProgram;
    bool lastPoints = m_lastPoints;
    bool lastValid = m_lastValid;
    Program* program = ProgramFor(hasVertexPart ? state : substitute, false);
    bool ok = program && !program->failed;
    m_lastKey = lastKey;
    m_lastProgram = lastProgram;
    m_lastPoints = lastPoints;
    m_lastValid = lastValid;
    return ok;
}

// ---- Targets and raster state ----

void GlDevice::BindTargets(const DeviceState& state)
{
    m_state.BindDrawFramebuffer(FramebufferFor(state.renderTarget, state.depthStencil));
}

void GlDevice::ApplyRasterState(const DeviceState& state)
{
    const Viewport& vp = state.viewport;
    m_state.SetViewport(int(vp.x), int(vp.y), int(vp.width), int(vp.height));
    m_state.SetScissorTest(true);
    m_state.SetScissor(int(vp.x), int(vp.y), int(vp.width), int(vp.height));
    m_state.SetDepthRange(vp.minZ, vp.maxZ);
    m_state.SetColorMask(true);

    bool depth = state.depthStencil && state.Get(RenderState::ZEnable) != 0;
    m_state.SetDepthTest(depth);
    if (depth) {
        m_state.SetDepthFunc(CompareFunc(state.Get(RenderState::ZFunc)));
        m_state.SetDepthMask(state.Get(RenderState::ZWriteEnable) != 0);
        m_state.SetPolygonOffset(-float(state.Get(RenderState::ZBias)));
    }
    bool blend = state.Get(RenderState::AlphaBlendEnable) != 0;
    m_state.SetBlend(blend);
    if (blend)
        m_state.SetBlendFunc(
            BlendFactor(state.Get(RenderState::SrcBlend)), BlendFactor(state.Get(RenderState::DestBlend)));
    // D3D judges winding on screen with y down; after the y flip its clockwise is GL's
    // counter-clockwise (front), so CULL_CCW culls GL's back faces.
    switch (Cull(state.Get(RenderState::CullMode))) {
    case Cull::None:
        m_state.SetCull(false);
        break;
    case Cull::Cw:
        m_state.SetCull(true);
        m_state.SetCullFace(GL_FRONT);
        break;
    case Cull::Ccw:
        m_state.SetCull(true);
        m_state.SetCullFace(GL_BACK);
        break;
    }
}

// ---- Textures and samplers ----

GLuint GlDevice::SamplerFor(const DeviceState& state, uint32_t stage)
{
    uint32_t u = state.Get(stage, StageState::AddressU);
    uint32_t v = state.Get(stage, StageState::AddressV);
    uint32_t mag = state.Get(stage, StageState::MagFilter);
    uint32_t min = state.Get(stage, StageState::MinFilter);
    uint32_t mip = state.Get(stage, StageState::MipFilter);
    bool anisotropic
        = mag == uint32_t(TextureFilter::Anisotropic) || min == uint32_t(TextureFilter::Anisotropic);
    uint32_t anisotropy = anisotropic ? std::clamp(state.Get(stage, StageState::MaxAnisotropy), 1u, 16u) : 1u;
    bool border = u == uint32_t(TextureAddress::Border) || v == uint32_t(TextureAddress::Border);
    uint32_t borderColor = border ? state.Get(stage, StageState::BorderColor) : 0;
    uint32_t bias = state.Get(stage, StageState::MipMapLodBias);
    SamplerKey key { u | v << 2 | mag << 4 | min << 6 | mip << 8 | anisotropy << 10, borderColor, bias };
    auto it = m_samplers.find(key);
    if (it != m_samplers.end())
        return it->second;

    GLuint sampler = 0;
    glGenSamplers(1, &sampler);
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, AddressMode(u));
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, AddressMode(v));
    bool magLinear = mag == uint32_t(TextureFilter::Linear) || mag == uint32_t(TextureFilter::Anisotropic);
    bool minLinear = min == uint32_t(TextureFilter::Linear) || min == uint32_t(TextureFilter::Anisotropic);
    glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, magLinear ? GL_LINEAR : GL_NEAREST);
    GLint minFilter = minLinear ? GL_LINEAR : GL_NEAREST;
    if (mip == uint32_t(TextureFilter::Point))
        minFilter = minLinear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    else if (mip == uint32_t(TextureFilter::Linear) || mip == uint32_t(TextureFilter::Anisotropic))
        minFilter = minLinear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
    glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, minFilter);
    if (anisotropy > 1 && GetDriverInfo().anisotropy)
        glSamplerParameterf(
            sampler, GL_TEXTURE_MAX_ANISOTROPY, std::min(float(anisotropy), GetDriverInfo().maxAnisotropy));
    if (border) {
        ColorValue c = ToColorValue(borderColor);
        const float color[4] = { c.r, c.g, c.b, c.a };
        glSamplerParameterfv(sampler, GL_TEXTURE_BORDER_COLOR, color);
    }
    glSamplerParameterf(sampler, GL_TEXTURE_LOD_BIAS, BitsFloat(bias));
    m_samplers.emplace(key, sampler);
    return sampler;
}

void GlDevice::BindTextures(const DeviceState& state, uint8_t stages)
{
    for (uint32_t k = 0; k < kStageCount; ++k) {
        if (!((stages >> k) & 1))
            continue;
        GLuint name = m_white;
        if (Texture* texture = state.textures[k])
            if (auto* object = static_cast<TextureObject*>(texture->BackendData()))
                name = object->name;
        m_state.BindTexture(k, name);
        if (m_stageSamplers[k] == 0)
            m_stageSamplers[k] = SamplerFor(state, k);
        m_state.BindSampler(k, m_stageSamplers[k]);
    }
}

// ---- Vertex input ----

GLuint GlDevice::VertexArrayFor(uint32_t layout, GLuint buffer, uint32_t stride, GLuint elements)
{
    VertexArrayKey key { layout, buffer, stride };
    auto it = m_vertexArrays.find(key);
    if (it == m_vertexArrays.end()) {
        VertexArray array;
        glGenVertexArrays(1, &array.name);
        m_state.BindVertexArray(array.name);
        m_state.BindArrayBuffer(buffer);
        auto floats = [&](GLuint location, GLint count, uint32_t offset) {
            glEnableVertexAttribArray(location);
            glVertexAttribPointer(location, count, GL_FLOAT, GL_FALSE, GLsizei(stride),
                reinterpret_cast<const void*>(uintptr_t(offset)));
        };
        auto color = [&](GLuint location, uint32_t offset) {
            // D3DCOLOR is B, G, R, A in memory.
            glEnableVertexAttribArray(location);
            glVertexAttribPointer(location, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, GLsizei(stride),
                reinterpret_cast<const void*>(uintptr_t(offset)));
        };
        if (IsShaderHandle(layout)) {
            uint32_t offset = 0;
            if (const VertexShader* vs = m_device.FindVertexShader(layout))
                for (const VertexElement& element : vs->declaration) {
                    if (element.type == DeclType::D3dColor)
                        color(element.reg, offset);
                    else
                        floats(element.reg, GLint(element.type) + 1, offset);
                    offset += DeclTypeSize(element.type);
                }
        } else {
            FvfLayout f = DecodeFvf(layout);
            floats(attribute::kPosition, GLint(f.positionFloats), 0);
            if (f.blendWeights > 0)
                floats(attribute::kWeights, GLint(f.blendWeights), 4 * f.positionFloats);
            if (f.normalOffset >= 0)
                floats(attribute::kNormal, 3, uint32_t(f.normalOffset));
            if (f.pointSizeOffset >= 0)
                floats(attribute::kPointSize, 1, uint32_t(f.pointSizeOffset));
            if (f.diffuseOffset >= 0)
                color(attribute::kDiffuse, uint32_t(f.diffuseOffset));
            if (f.specularOffset >= 0)
                color(attribute::kSpecular, uint32_t(f.specularOffset));
            for (uint32_t set = 0; set < f.texCoordCount; ++set)
                floats(attribute::kTexCoord0 + set, GLint(f.texCoordFloats[set]),
                    uint32_t(f.texCoordOffset[set]));
        }
        it = m_vertexArrays.emplace(key, array).first;
    }
    m_state.BindVertexArray(it->second.name);
    if (it->second.elements != elements) {
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, elements);
        it->second.elements = elements;
    }
    m_drawnArrayKnown = true;
    return it->second.name;
}

void GlDevice::BindVertexArray(
    uint32_t layout, GLuint buffer, uint32_t stride, GLuint elements, bool disturbed)
{
    const VertexArrayKey key { layout, buffer, stride };
    if (!disturbed && m_drawnArrayKnown && key == m_drawnArrayKey && elements == m_drawnElements)
        return;
    VertexArrayFor(layout, buffer, stride, elements);
    m_drawnArrayKey = key;
    m_drawnElements = elements;
}

bool GlDevice::BindVertexInput(
    const DeviceState& state, const DrawCall& call, bool disturbed, GLuint& buffer, uint32_t& first)
{
    uint32_t layout = state.vertexShader;
    GLuint elements = 0;
    if (call.indexed && state.indices)
        if (auto* object = static_cast<BufferObject*>(state.indices->BackendData()))
            elements = object->name;
    if (call.userVertices) {
        uint32_t vertexSize = 0;
        if (IsShaderHandle(layout)) {
            if (const VertexShader* vs = m_device.FindVertexShader(layout))
                for (const VertexElement& element : vs->declaration)
                    vertexSize += DeclTypeSize(element.type);
        } else {
            vertexSize = FvfVertexSize(layout);
        }
        uint32_t stride = call.userStride;
        uint64_t bytes = uint64_t(call.vertexCount - 1) * stride + vertexSize;
        uint64_t offset = (uint64_t(m_streamOffset) + stride - 1) / stride * stride;
        m_state.BindArrayBuffer(m_stream);
        if (offset + bytes > m_streamSize) {
            // Orphan the buffer: the driver keeps the old storage for draws in flight.
            if (bytes > m_streamSize)
                m_streamSize = uint32_t(
                    std::min<uint64_t>(std::max<uint64_t>(bytes, m_streamSize * 2ull), 1ull << 30));
            if (bytes > m_streamSize)
                return false;
            glBufferData(GL_ARRAY_BUFFER, m_streamSize, nullptr, GL_STREAM_DRAW);
            offset = 0;
        }
        glBufferSubData(GL_ARRAY_BUFFER, GLintptr(offset), GLsizeiptr(bytes), call.userVertices);
        m_streamOffset = uint32_t(offset + bytes);
        buffer = m_stream;
        first = uint32_t(offset / stride);
        BindVertexArray(layout, m_stream, stride, elements, disturbed);
        return true;
    }
    auto* object
        = state.streamSource ? static_cast<BufferObject*>(state.streamSource->BackendData()) : nullptr;
    if (!object)
        return false;
    buffer = object->name;
    first = call.startVertex;
    BindVertexArray(layout, buffer, state.streamStride, elements, disturbed);
    return true;
}

// ---- Draw, clear ----

void GlDevice::SkipDraw(uint32_t dirtyBits)
{
    // Groups this draw did not get to apply are still to be applied.
    m_pendingDirty |= dirtyBits;
    ++m_skippedDraws;
}

void GlDevice::Draw(const DeviceState& state, uint32_t dirtyBits, const DrawCall& call)
{
    // Changes seen while the context was away still count at the next draw.
    m_pendingDirty |= dirtyBits;
    if (!Current())
        return;
    dirtyBits = std::exchange(m_pendingDirty, 0);
    m_uniforms.Update(state, dirtyBits, m_maxPointSize);
    if (dirtyBits & dirty::kStageStates)
        m_stageSamplers.fill(0);
    bool points = call.primitive == PrimitiveType::PointList;
    Program* program = m_lastProgram;
    bool describe
        = !m_lastValid || points != m_lastPoints || (dirtyBits & (dirty::kStageStates | dirty::kShaders));
    if (!describe && (dirtyBits & dirty::kRenderStates))
        describe = ProgramRenderValuesOf(state) != m_lastRenderValues;
    if (describe) {
        program = ProgramFor(state, points);
        m_lastRenderValues = ProgramRenderValuesOf(state);
    }
    if (!program || program->failed)
        return SkipDraw(dirtyBits);
    // Unless something else changed GL since the last completed draw, only the changed groups
    // are set again.
    const bool disturbed = m_state.Changes() != m_drawnChanges;
    const bool newProgram = disturbed || program != m_drawnProgram;
    if (disturbed || (dirtyBits & dirty::kTargets))
        BindTargets(state);
    if (disturbed || (dirtyBits & (dirty::kRenderStates | dirty::kViewport | dirty::kTargets)))
        ApplyRasterState(state);
    if (newProgram) {
        m_state.SetClipPlanes(program->clipPlanes);
        m_state.UseProgram(program->name);
    }
    m_programs.Upload(*program, m_uniforms);
    if (newProgram || (dirtyBits & (dirty::kTextures | dirty::kStageStates)))
        BindTextures(state, program->samples);
    GLuint buffer = 0;
    uint32_t first = 0;
    if (!BindVertexInput(state, call, disturbed, buffer, first))
        return SkipDraw(dirtyBits);
    GLenum mode = PrimitiveMode(call.primitive);
    if (call.indexed) {
        if (!state.indices || !state.indices->BackendData())
            return SkipDraw(dirtyBits);
        glDrawElementsBaseVertex(mode, GLsizei(call.vertexCount), GL_UNSIGNED_SHORT,
            reinterpret_cast<const void*>(uintptr_t(call.startIndex) * 2), GLint(call.baseVertex));
    } else {
        glDrawArrays(mode, GLint(first), GLsizei(call.vertexCount));
    }
    m_drawnChanges = m_state.Changes();
    m_drawnProgram = program;
    ++m_draws;
}

void GlDevice::Clear(const DeviceState& state, const ClearCall& call)
{
    if (!Current())
        return;
    BindTargets(state);
    GLbitfield mask = 0;
    if (call.flags & clear::kTarget) {
        ColorValue c = ToColorValue(call.color);
        m_state.SetClearColor(c.r, c.g, c.b, c.a);
        m_state.SetColorMask(true);
        mask |= GL_COLOR_BUFFER_BIT;
    }
    if ((call.flags & clear::kZBuffer) && state.depthStencil) {
        m_state.SetClearDepth(call.z);
        m_state.SetDepthMask(true);
        mask |= GL_DEPTH_BUFFER_BIT;
    }
    if ((call.flags & clear::kStencil) && state.depthStencil) {
        m_state.SetClearStencil(int(call.stencil));
        m_state.SetStencilMask(0xFF);
        mask |= GL_STENCIL_BUFFER_BIT;
    }
    if (mask == 0)
        return;
    m_state.SetScissorTest(true);
    for (const Rect& rect : call.rects) {
        m_state.SetScissor(rect.left, rect.top, rect.Width(), rect.Height());
        glClear(mask);
    }
}

} // namespace plat::gfx::gl
