// Draw calls, shader objects and validation of the live state against the profile.
#include "platform/gfx/device.h"

#include "platform/gfx/fvf.h"
#include "platform/win/debug.h"

#include <algorithm>
#include <cstdio>
#include <set>

namespace plat::gfx {
namespace {

constexpr size_t kMaxShaderTokens = 4096;

void Log(const std::string& text)
{
    win::DebugOutput("plat::gfx: " + text);
}

bool ValidPrimitive(PrimitiveType type)
{
    return uint32_t(type) <= uint32_t(PrimitiveType::TriangleFan);
}

uint64_t VerticesOf(PrimitiveType type, uint32_t count)
{
    switch (type) {
    case PrimitiveType::PointList:
        return count;
    case PrimitiveType::LineList:
        return uint64_t(count) * 2;
    case PrimitiveType::LineStrip:
        return uint64_t(count) + 1;
    case PrimitiveType::TriangleList:
        return uint64_t(count) * 3;
    case PrimitiveType::TriangleStrip:
    case PrimitiveType::TriangleFan:
        return uint64_t(count) + 2;
    }
    return 0;
}

// Which arguments an operation reads: bit 0 = ARG0, bit 1 = ARG1, bit 2 = ARG2.
uint32_t ArgumentsOf(TextureOp op)
{
    switch (op) {
    case TextureOp::Disable:
        return 0;
    case TextureOp::SelectArg1:
    case TextureOp::BumpEnvMap:
    case TextureOp::BumpEnvMapLuminance:
        return 2;
    case TextureOp::SelectArg2:
        return 4;
    case TextureOp::MultiplyAdd:
    case TextureOp::Lerp:
        return 7;
    default:
        return 6;
    }
}

} // namespace

// ---- Draws ----

bool Device::RefuseDraw(Buffer* buffer, const char* text)
{
    if (buffer) {
        if (!buffer->m_refusalLogged) {
            char line[200];
            std::snprintf(line, sizeof line, "draw refused: %s (buffer %u of %u bytes)", text, buffer->Id(),
                buffer->Size());
            Log(line);
            buffer->m_refusalLogged = true;
        }
    } else if (!m_loggedMissingBuffers) {
        Log(std::string("draw refused: ") + text);
        m_loggedMissingBuffers = true;
    }
    return false;
}

Result Device::CheckDrawState(uint32_t& vertexSize)
{
    uint32_t value = m_state.vertexShader;
    if (value == 0) {
        RefuseDraw(nullptr, "no vertex format or shader set");
        return Result::InvalidCall;
    }
    if (IsShaderHandle(value)) {
        const VertexShader* shader = FindVertexShader(value);
        if (!shader)
            return Result::InvalidCall;
        vertexSize = 0;
        for (const VertexElement& element : shader->declaration)
            vertexSize += DeclTypeSize(element.type);
    } else {
        if (value != m_sizedFvf) {
            m_fvfSize = FvfVertexSize(value);
            m_sizedFvf = value;
        }
        vertexSize = m_fvfSize;
    }
    return vertexSize > 0 ? Result::Ok : Result::InvalidCall;
}

Result Device::IssueDraw(const DrawCall& call)
{
    if (!Usable())
        return Result::Ok;
    m_backend->Draw(m_state, m_dirty, call);
    m_dirty = 0;
    return Result::Ok;
}

Result Device::DrawPrimitive(PrimitiveType type, uint32_t startVertex, uint32_t primitiveCount)
{
    if (!ValidPrimitive(type) || primitiveCount > m_caps.maxPrimitiveCount)
        return Result::InvalidCall;
    if (primitiveCount == 0)
        return Result::Ok;
    uint32_t vertexSize = 0;
    if (Result r = CheckDrawState(vertexSize); Failed(r))
        return r;
    VertexBuffer* vb = m_state.streamSource;
    if (!vb) {
        RefuseDraw(nullptr, "no vertex buffer on stream 0");
        return Result::InvalidCall;
    }
    uint32_t stride = m_state.streamStride;
    uint64_t count = VerticesOf(type, primitiveCount);
    if (stride < vertexSize) {
        RefuseDraw(vb, "the stride is smaller than the vertex");
        return Result::InvalidCall;
    }
    if ((uint64_t(startVertex) + count - 1) * stride + vertexSize > vb->Size()) {
        RefuseDraw(vb, "vertices past the vertex buffer");
        return Result::InvalidCall;
    }
    DrawCall call;
    call.primitive = type;
    call.primitiveCount = primitiveCount;
    call.vertexCount = uint32_t(count);
    call.startVertex = startVertex;
    return IssueDraw(call);
}

Result Device::DrawIndexedPrimitive(
    PrimitiveType type, uint32_t minIndex, uint32_t numVertices, uint32_t startIndex, uint32_t primitiveCount)
{
    if (!ValidPrimitive(type) || primitiveCount > m_caps.maxPrimitiveCount)
        return Result::InvalidCall;
    if (primitiveCount == 0)
        return Result::Ok;
    uint32_t vertexSize = 0;
    if (Result r = CheckDrawState(vertexSize); Failed(r))
        return r;
    IndexBuffer* ib = m_state.indices;
    VertexBuffer* vb = m_state.streamSource;
    if (!ib) {
        RefuseDraw(nullptr, "no index buffer");
        return Result::InvalidCall;
    }
    if (!vb) {
        RefuseDraw(nullptr, "no vertex buffer on stream 0");
        return Result::InvalidCall;
    }
    uint32_t stride = m_state.streamStride;
    if (stride < vertexSize) {
        RefuseDraw(vb, "the stride is smaller than the vertex");
        return Result::InvalidCall;
    }
    uint64_t indexCount = VerticesOf(type, primitiveCount);
    if (uint64_t(startIndex) + indexCount > ib->IndexCount()) {
        RefuseDraw(ib, "indices past the index buffer");
        return Result::InvalidCall;
    }
    uint64_t vertices = vb->Size() >= vertexSize ? (vb->Size() - vertexSize) / stride + 1 : 0;
    uint64_t base = m_state.baseVertexIndex;
    if (base + minIndex + numVertices > vertices) {
        RefuseDraw(vb, "the vertex range lies past the vertex buffer");
        return Result::InvalidCall;
    }
    if (base + ib->MaxIndex(startIndex, uint32_t(indexCount)) >= vertices) {
        RefuseDraw(ib, "an index plus the base vertex lies past the vertex buffer");
        return Result::InvalidCall;
    }
    DrawCall call;
    call.primitive = type;
    call.primitiveCount = primitiveCount;
    call.vertexCount = uint32_t(indexCount);
    call.indexed = true;
    call.baseVertex = m_state.baseVertexIndex;
    call.minIndex = minIndex;
    call.numVertices = numVertices;
    call.startIndex = startIndex;
    return IssueDraw(call);
}

Result Device::DrawPrimitiveUP(
    PrimitiveType type, uint32_t primitiveCount, const void* vertices, uint32_t stride)
{
    if (!ValidPrimitive(type) || !vertices || stride == 0 || primitiveCount > m_caps.maxPrimitiveCount)
        return Result::InvalidCall;
    uint32_t vertexSize = 0;
    if (Result r = CheckDrawState(vertexSize); Failed(r))
        return r;
    if (stride < vertexSize)
        return Result::InvalidCall;
    Result result = Result::Ok;
    if (primitiveCount > 0) {
        DrawCall call;
        call.primitive = type;
        call.primitiveCount = primitiveCount;
        call.vertexCount = uint32_t(VerticesOf(type, primitiveCount));
        call.userVertices = vertices;
        call.userStride = stride;
        result = IssueDraw(call);
    }
    LiveSetStream(nullptr, 0);
    return result;
}

// ---- Shaders ----

const VertexShader* Device::FindVertexShader(uint32_t handle) const
{
    auto it = m_vertexShaders.find(handle);
    return it == m_vertexShaders.end() ? nullptr : it->second.get();
}

const PixelShader* Device::FindPixelShader(uint32_t handle) const
{
    auto it = m_pixelShaders.find(handle);
    return it == m_pixelShaders.end() ? nullptr : it->second.get();
}

Result Device::CreateVertexShader(
    std::span<const VertexElement> declaration, const uint32_t* function, uint32_t& handle, uint32_t usage)
{
    if (m_caps.vertexShaderVersion < ShaderVersion(1, 1)) {
        Log("CreateVertexShader: this profile has no vertex shaders");
        return Result::InvalidCall;
    }
    if (!function || declaration.empty() || declaration.size() > 16)
        return Result::InvalidCall;
    std::set<uint32_t> inputs;
    for (const VertexElement& element : declaration) {
        if (element.reg >= 16 || uint32_t(element.type) > uint32_t(DeclType::D3dColor)
            || !inputs.insert(element.reg).second)
            return Result::InvalidCall;
    }
    size_t count = ShaderTokenCount(function, kMaxShaderTokens);
    auto shader = std::make_unique<VertexShader>();
    std::string error;
    if (count == 0
        || Failed(LoadShaderTokens({ function, count }, ShaderKind::Vertex, shader->program, &error))) {
        Log("CreateVertexShader: " + (count == 0 ? std::string("no end token") : error));
        return Result::InvalidCall;
    }
    for (const Instruction& instruction : shader->program.instructions)
        for (uint32_t i = 0; i < instruction.sourceCount; ++i)
            if (instruction.source[i].type == RegisterType::Input
                && !inputs.count(instruction.source[i].index)) {
                Log("CreateVertexShader: the program reads an input the declaration lacks");
                return Result::InvalidCall;
            }
    shader->declaration.assign(declaration.begin(), declaration.end());
    shader->tokens.assign(function, function + count);
    shader->usage = usage;
    shader->handle = NewHandle(m_nextVertexShader, 2);
    if (Result r = m_backend->CreateVertexShader(*shader); Failed(r))
        return r;
    handle = shader->handle;
    m_vertexShaders[handle] = std::move(shader);
    return Result::Ok;
}

Result Device::DeleteVertexShader(uint32_t handle)
{
    auto it = m_vertexShaders.find(handle);
    if (it == m_vertexShaders.end())
        return Result::InvalidCall;
    if (m_state.vertexShader == handle)
        LiveSetVertexShader(0);
    m_vertexShaders.erase(it);
    return Result::Ok;
}

Result Device::CreatePixelShader(const uint32_t* function, uint32_t& handle)
{
    if (m_caps.pixelShaderVersion == 0) {
        Log("CreatePixelShader: this profile has no pixel shaders");
        return Result::InvalidCall;
    }
    if (!function)
        return Result::InvalidCall;
    size_t count = ShaderTokenCount(function, kMaxShaderTokens);
    auto shader = std::make_unique<PixelShader>();
    std::string error;
    if (count == 0
        || Failed(LoadShaderTokens({ function, count }, ShaderKind::Pixel, shader->program, &error))) {
        Log("CreatePixelShader: " + (count == 0 ? std::string("no end token") : error));
        return Result::InvalidCall;
    }
    if (ShaderVersion(shader->program.major, shader->program.minor) > m_caps.pixelShaderVersion)
        return Result::InvalidCall;
    shader->tokens.assign(function, function + count);
    shader->handle = NewHandle(m_nextPixelShader, 1);
    if (Result r = m_backend->CreatePixelShader(*shader); Failed(r))
        return r;
    handle = shader->handle;
    m_pixelShaders[handle] = std::move(shader);
    return Result::Ok;
}

Result Device::DeletePixelShader(uint32_t handle)
{
    auto it = m_pixelShaders.find(handle);
    if (it == m_pixelShaders.end())
        return Result::InvalidCall;
    if (m_state.pixelShader == handle)
        LiveSetPixelShader(0);
    m_pixelShaders.erase(it);
    return Result::Ok;
}

// ---- Validation ----

Result Device::ValidateDevice(uint32_t* passes)
{
    const DeviceState& s = m_state;
    const Caps& caps = m_caps;
    std::string fault;
    auto opSupported = [&](uint32_t op) { return op < 32 && (caps.textureOps & (1u << op)) != 0; };
    auto usesTemp = [&](uint32_t stage, TextureOp op, StageState arg0, StageState arg1, StageState arg2) {
        uint32_t used = ArgumentsOf(op);
        const StageState args[3] = { arg0, arg1, arg2 };
        for (int i = 0; i < 3; ++i)
            if ((used >> i) & 1)
                if ((s.Get(stage, args[i]) & kArgSelectMask) == uint32_t(TextureArg::Temp))
                    return true;
        return false;
    };

    if (s.pixelShader != 0) {
        if (caps.pixelShaderVersion == 0 || !FindPixelShader(s.pixelShader))
            fault = "pixel shader";
    } else {
        uint32_t lastOp = uint32_t(TextureOp::Disable);
        for (uint32_t stage = 0; stage < kStageCount && fault.empty(); ++stage) {
            uint32_t colorOp = s.Get(stage, StageState::ColorOp);
            if (colorOp == uint32_t(TextureOp::Disable))
                break;
            uint32_t alphaOp = s.Get(stage, StageState::AlphaOp);
            if (stage >= caps.maxTextureBlendStages)
                fault = "a stage past MaxTextureBlendStages";
            else if (!opSupported(colorOp))
                fault = std::string("operation ") + TextureOpName(TextureOp(colorOp));
            // ALPHAOP DISABLE under an enabled colour operation passes the alpha on.
            else if (alphaOp != uint32_t(TextureOp::Disable) && !opSupported(alphaOp))
                fault = std::string("operation ") + TextureOpName(TextureOp(alphaOp));
            else if (!caps.argTemp
                && (usesTemp(stage, TextureOp(colorOp), StageState::ColorArg0, StageState::ColorArg1,
                        StageState::ColorArg2)
                    || usesTemp(stage, TextureOp(alphaOp), StageState::AlphaArg0, StageState::AlphaArg1,
                        StageState::AlphaArg2)
                    || s.Get(stage, StageState::ResultArg) == uint32_t(TextureArg::Temp)))
                fault = "TEMP";
            else if (s.textures[stage] && stage >= caps.maxSimultaneousTextures)
                fault = "more textures than MaxSimultaneousTextures";
            else if (!caps.borderAddress
                && (s.Get(stage, StageState::AddressU) == uint32_t(TextureAddress::Border)
                    || s.Get(stage, StageState::AddressV) == uint32_t(TextureAddress::Border)))
                fault = "BORDER";
            else if (!caps.projectedTextures
                && (s.Get(stage, StageState::TextureTransformFlags) & kTextureTransformProjected))
                fault = "PROJECTED";
            else if (!caps.anisotropy
                && (s.Get(stage, StageState::MagFilter) == uint32_t(TextureFilter::Anisotropic)
                    || s.Get(stage, StageState::MinFilter) == uint32_t(TextureFilter::Anisotropic)))
                fault = "ANISOTROPIC";
            lastOp = colorOp;
        }
        if (fault.empty() && lastOp == uint32_t(TextureOp::BumpEnvMap))
            fault = "the last stage is BUMPENVMAP";
    }
    if (fault.empty()) {
        bool fog = s.Get(RenderState::FogEnable) != 0;
        uint32_t blend = s.Get(RenderState::VertexBlend);
        uint32_t matrices = blend == uint32_t(VertexBlendMode::Weights0) || blend == 0 ? 1 : blend + 1;
        if (IsShaderHandle(s.vertexShader) && caps.vertexShaderVersion == 0)
            fault = "vertex shader";
        else if (fog && s.Get(RenderState::FogTableMode) != uint32_t(FogMode::None) && !caps.fogTable)
            fault = "table fog";
        else if (fog && s.Get(RenderState::RangeFogEnable) && !caps.fogRange)
            fault = "range fog";
        else if (matrices > std::max(1u, caps.maxVertexBlendMatrices))
            fault = "vertex blend matrices";
    }
    if (fault.empty() && !m_backend->Validate(s))
        fault = "refused by the backend";
    m_validationFault = fault;
    if (passes)
        *passes = fault.empty() ? 1 : 0;
    return fault.empty() ? Result::Ok : Result::InvalidCall;
}

} // namespace plat::gfx
