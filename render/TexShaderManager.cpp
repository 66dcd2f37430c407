#include "render/TexShaderManager.h"

#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "platform/gfx/d3dx/d3dx.h"
#include "platform/gfx/device.h"
#include "platform/gfx/fvf.h"
#include "platform/win/text.h"
#include "render/CTexture.h"
#include "render/Graphic.h"
#include "render/Mesh.h"
#include "render/ShaderPrograms.h"
#include "render/ShaderSlotTable.h"

#include <algorithm>
#include <stdexcept>
#include <string>

using namespace plat::gfx;

TexShaderManager* g_TexShaderManager = nullptr;

namespace {

Device& Dev()
{
    return *g_Graphic.GetDevice();
}

bool IsBlock(uint32_t handle)
{
    return handle != 0 && handle != ShaderSlot::kNoBlock;
}

bool Assemble(const char* text, std::vector<uint32_t>& tokens)
{
    std::string errors;
    return Succeeded(d3dx::AssembleShader(text, tokens, &errors));
}

// Stage states as SetDefaultStages leaves them.
void SetStage(uint32_t stage, StageState state, uint32_t value)
{
    Dev().SetTextureStageState(stage, state, value);
}

void SetRender(RenderState state, uint32_t value)
{
    Dev().SetRenderState(state, value);
}

} // namespace

const SShaderSlotDef& ShaderSlotDef(int slot)
{
    return slot < 24 ? kShaderSlots_0_23[slot] : kShaderSlots_24_49[slot - 24];
}

TexShaderManager::TexShaderManager(std::optional<bool> fixedProbe)
    : m_fixedProbe(fixedProbe)
{
}

TexShaderManager::~TexShaderManager()
{
    Purge();
}

// ---- Building ----

bool TexShaderManager::Init(bool probe)
{
    ZJ_TRACE("TexShaderManager::Init");
    // A manager that still holds blocks (Init twice without Purge) gives them back first.
    bool holds = m_vertexShader != 0;
    for (int i = 0; i < kSlotCount && !holds; ++i)
        holds = m_slots.At(i).passCount > 0;
    for (int i = 0; i < kPixelShaderHandles && !holds; ++i)
        holds = m_pixelShaders.At(i) != 0;
    if (holds)
        Purge();

    if (probe)
        GetCaps();
    for (int i = 0; i < kSlotCount; ++i) {
        m_slots.At(i).repeatBlock = ShaderSlot::kNoBlock;
        m_built.At(i) = 0;
    }
    m_batch = false;
    if (g_Graphic.Caps().hasPixelShader)
        CreatePixelShaders();

    for (const SShaderInitStep& step : kShaderInitSteps) {
        const SShaderSlotDef& def = ShaderSlotDef(step.slot);
        m_building = step.slot;
        bool built = false;
        for (const SShaderVariant& variant : def.variants) {
            if (step.defaultsBefore == variant.letter)
                SetDefaultStages();
            if (BuildVariant(step.slot, variant)) {
                m_built.At(step.slot) = variant.letter;
                built = true;
                break;
            }
        }
        m_building = -1;
        if (built || step.onFail == EShaderOnFail::Ignored)
            continue;
        if (step.onFail != EShaderOnFail::Silent && def.name) {
            if (def.message)
                WriteErrorLog(def.message);
            else
                WriteErrorLog(
                    std::string("TexShaderManager::Init ") + def.name + CP1251(" создать не получилось"));
        }
        if (step.onFail != EShaderOnFail::Log)
            return false;
    }
    return true;
}

bool TexShaderManager::NeedsMet(const SShaderVariant& variant) const
{
    const GraphicCaps& caps = g_Graphic.Caps();
    const SShaderNeeds& needs = variant.needs;
    if (caps.maxBlendStages < needs.stages || caps.maxSimultaneousTextures < needs.textures)
        return false;
    if ((needs.temp && !caps.tssArgTemp) || (needs.bump && !caps.bumpEnvMap)
        || (needs.projected && !caps.projectedTextures) || (needs.pixelShader && !caps.hasPixelShader)
        || (needs.probe && !m_specularProbe))
        return false;
    // A program that was not created cannot be set.
    for (const SShaderPass& pass : variant.passes)
        for (const SShaderOp& op : pass.ops)
            if (op.kind == SShaderOp::Kind::PixelShader && op.value != SShaderOp::kNoProgram
                && m_pixelShaders.At(int(op.value)) == 0)
                return false;
    return true;
}

void TexShaderManager::RunOps(const SShaderOp* ops, size_t count)
{
    const GraphicCaps& caps = g_Graphic.Caps();
    const bool wide = caps.maxBlendStages > 2 && caps.maxSimultaneousTextures > 2;
    Device& device = Dev();
    static constexpr StageState kColorArgs[3]
        = { StageState::ColorArg1, StageState::ColorArg2, StageState::ColorArg0 };
    static constexpr StageState kAlphaArgs[3]
        = { StageState::AlphaArg1, StageState::AlphaArg2, StageState::AlphaArg0 };
    for (size_t i = 0; i < count; ++i) {
        const SShaderOp& op = ops[i];
        if (op.cond == SShaderOp::Cond::WideStages && !wide)
            continue;
        switch (op.kind) {
        case SShaderOp::Kind::Render:
            device.SetRenderState(RenderState(op.state), op.value);
            break;
        case SShaderOp::Kind::Stage: {
            uint32_t value = op.value;
            if (op.choice == SShaderOp::Choice::BorderElseClamp)
                value = StateValue(caps.borderAddress ? TextureAddress::Border : TextureAddress::Clamp);
            device.SetTextureStageState(op.stage, StageState(op.state), value);
            break;
        }
        case SShaderOp::Kind::Color:
        case SShaderOp::Kind::Alpha: {
            const bool color = op.kind == SShaderOp::Kind::Color;
            device.SetTextureStageState(
                op.stage, color ? StageState::ColorOp : StageState::AlphaOp, op.state);
            for (int a = 0; a < 3; ++a)
                if (op.argMask & (1u << a))
                    device.SetTextureStageState(op.stage, color ? kColorArgs[a] : kAlphaArgs[a], op.args[a]);
            break;
        }
        case SShaderOp::Kind::PixelShader:
            device.SetPixelShader(op.value == SShaderOp::kNoProgram ? 0 : m_pixelShaders.At(int(op.value)));
            break;
        case SShaderOp::Kind::VertexShader:
            device.SetVertexShader(m_vertexShader);
            break;
        case SShaderOp::Kind::VsConstant:
            device.SetVertexShaderConstant(op.state, op.vector, 1);
            break;
        case SShaderOp::Kind::Factor:
            SetFactorColor(op.value, int(op.state));
            break;
        }
    }
}

// Steps of one variant: needs, pass count, passes recorded (and validated, or applied), the
// repeat block, texture lists, the restore block. A variant that fails after recording gives
// back every block it recorded and leaves the slot empty, so a slot that no variant builds
// draws nothing.
bool TexShaderManager::BuildVariant(int slot, const SShaderVariant& variant)
{
    ShaderSlot& record = m_slots.At(slot);
    bool createdShader = false;
    auto fail = [&] {
        Device& device = Dev();
        if (device.IsRecording()) {
            uint32_t stray = 0;
            if (Succeeded(device.EndStateBlock(stray)))
                device.DeleteStateBlock(stray);
        }
        for (int p = 0; p < 3; ++p)
            DeleteBlock(record.passBlocks[p]);
        DeleteBlock(record.repeatBlock);
        DeleteBlock(record.restoreBlock);
        ClearSlot(record);
        if (createdShader) {
            device.DeleteVertexShader(m_vertexShader);
            m_vertexShader = 0;
        }
        return false;
    };

    try {
        if (!NeedsMet(variant))
            return false;
        if (variant.waterVertexShader) {
            if (!CreateWaterShader())
                return false;
            createdShader = true;
        }
        Device& device = Dev();
        const int passCount = variant.PassCount();
        record.passCount = passCount;

        if (variant.validation == EShaderValidation::Live) {
            if (variant.defaultsBeforeTrial)
                SetDefaultStages();
            for (int p = 0; p < passCount; ++p)
                RunOps(variant.passes[size_t(p)].ops.data(), variant.passes[size_t(p)].ops.size());
            if (!Validate()) {
                SetDefaultStages();
                return fail();
            }
        }
        if (variant.defaultsBeforeRecording)
            SetDefaultStages();
        for (int p = 0; p < passCount; ++p) {
            const ShaderOps ops = variant.passes[size_t(p)].ops;
            if (Failed(device.BeginStateBlock()))
                return fail();
            RunOps(ops.data(), ops.size());
            if (!EndBlock(record.passBlocks[p]))
                return fail();
            // Recording validation judges the live state, not the block just recorded.
            if (variant.validation != EShaderValidation::Live && !Validate())
                return fail();
            if (variant.validation == EShaderValidation::RecordingApplied
                && !ApplyBlock(record.passBlocks[p]))
                return fail();
        }
        if (!variant.repeat.empty()) {
            if (Failed(device.BeginStateBlock()))
                return fail();
            RunOps(variant.repeat.data(), variant.repeat.size());
            if (!EndBlock(record.repeatBlock))
                return fail();
        }

        for (int p = 0; p < 3; ++p)
            for (int k = 0; k < ShaderSlot::kStages; ++k)
                record.textures[p][k] = p < passCount ? variant.passes[size_t(p)].textures[size_t(k)] : -1;
        record.vertexShader = variant.waterVertexShader ? &m_vertexShader : nullptr;

        if (variant.restore.empty()) {
            record.restoreBlock = ShaderSlot::kNoBlock;
            return true;
        }
        if (Failed(device.BeginStateBlock()))
            return variant.successOnValidate ? true : fail();
        RunOps(variant.restore.data(), variant.restore.size());
        if (!EndBlock(record.restoreBlock)) {
            if (!variant.successOnValidate)
                return fail();
            record.restoreBlock = ShaderSlot::kNoBlock;
        }
        return true;
    } catch (...) {
        return fail();
    }
}

void TexShaderManager::ClearSlot(ShaderSlot& record)
{
    record.passCount = 0;
    for (uint32_t& block : record.passBlocks)
        block = 0;
    record.restoreBlock = ShaderSlot::kNoBlock;
    record.repeatBlock = ShaderSlot::kNoBlock;
    for (auto& list : record.textures)
        std::fill(std::begin(list), std::end(list), -1);
    record.vertexShader = nullptr;
}

bool TexShaderManager::EndBlock(uint32_t& handle)
{
    uint32_t recorded = 0;
    if (Failed(Dev().EndStateBlock(recorded))) {
        handle = 0;
        return false;
    }
    handle = recorded;
    return true;
}

bool TexShaderManager::ApplyBlock(uint32_t handle)
{
    return Succeeded(Dev().ApplyStateBlock(handle));
}

void TexShaderManager::DeleteBlock(uint32_t handle)
{
    if (IsBlock(handle))
        Dev().DeleteStateBlock(handle);
}

bool TexShaderManager::CreateWaterShader()
{
    if (m_vertexShader != 0) {
        Dev().DeleteVertexShader(m_vertexShader);
        m_vertexShader = 0;
    }
    std::vector<uint32_t> tokens;
    if (!Assemble(kWaterVertexShaderText, tokens))
        return false;
    uint32_t handle = 0;
    if (Failed(Dev().CreateVertexShader(kWaterVertexDeclaration, tokens.data(), handle, 0)))
        return false;
    m_vertexShader = handle;
    return true;
}

void TexShaderManager::CreatePixelShaders()
{
    for (int i = 0; i < kPixelProgramCount; ++i) {
        std::vector<uint32_t> tokens;
        uint32_t handle = 0;
        if (Assemble(kPixelShaderTexts[i], tokens)
            && Succeeded(Dev().CreatePixelShader(tokens.data(), handle)))
            m_pixelShaders.At(i) = handle;
    }
}

// ---- Drawing ----

void TexShaderManager::Apply(int slot, Mesh* mesh, CTexture* t0, CTexture* t1, CTexture* t2, CTexture* t3)
{
    ZJ_TRACE("TexShaderManager::Apply");
    if (!mesh || mesh->vertexCount == 0)
        return;
    ShaderSlot& record = m_slots.At(slot);
    CTexture* const textures[4] = { t0, t1, t2, t3 };

    if (m_batch && m_currentSlot != slot && m_currentSlot >= 0) {
        const uint32_t restore = m_slots.At(m_currentSlot).restoreBlock;
        if (IsBlock(restore))
            ApplyBlock(restore);
    }
    for (int p = 0; p < record.passCount; ++p) {
        if (!m_batch) {
            if (!ApplyBlock(record.passBlocks[p]))
                throw std::runtime_error("ApplyStateBlock");
        } else if (slot == m_currentSlot && p == 0) {
            if (IsBlock(record.repeatBlock))
                ApplyBlock(record.repeatBlock);
        } else {
            ApplyBlock(record.passBlocks[p]);
        }
        BindTextures(record.textures[p], textures);
        DrawMesh(record, mesh);
    }
    m_currentSlot = slot;
    if (!m_batch && IsBlock(record.restoreBlock))
        ApplyBlock(record.restoreBlock);
}

void TexShaderManager::BindTextures(const int32_t* list, CTexture* const textures[4])
{
    for (int stage = 0; stage < ShaderSlot::kStages; ++stage) {
        const int32_t index = list[stage];
        if (index < 0 || index > 3)
            break;
        CTexture* texture = textures[index];
        if (!texture || !texture->GetTexture())
            continue;
        if (stage < kCachedStages) {
            if (StageTextureCache[stage] == texture)
                continue;
            StageTextureCache[stage] = texture;
        }
        Dev().SetTexture(uint32_t(stage), texture->GetTexture());
    }
}

void TexShaderManager::DrawMesh(const ShaderSlot& record, Mesh* mesh)
{
    if (!record.vertexShader) {
        mesh->Render(true);
        return;
    }
    Device& device = Dev();
    device.SetVertexShader(mesh->format);
    if (mesh->primitive)
        device.SetIndices(mesh->indexBuffer, 0);
    device.SetStreamSource(0, mesh->vertexBuffer, mesh->stride);
    device.SetVertexShader(*record.vertexShader);
    mesh->Render(false);
    // The stream cache still names this mesh with its fixed-function format.
    Mesh::ResetStreamCache();
}

void TexShaderManager::ResetCurrent()
{
    m_batch = true;
    m_currentSlot = -1;
}

void TexShaderManager::ApplyEx()
{
    m_batch = false;
    if (m_currentSlot >= 0) {
        const uint32_t restore = m_slots.At(m_currentSlot).restoreBlock;
        if (IsBlock(restore))
            ApplyBlock(restore);
    }
}

// ---- Live states ----

void TexShaderManager::SetFactorAlpha(float alpha, int mask)
{
    Device& device = Dev();
    if ((mask & 2) && g_Graphic.Caps().hasPixelShader) {
        const Vector4 c0 { alpha, 0.0f, 0.0f, alpha };
        device.SetPixelShaderConstant(0, &c0, 1);
    }
    if (mask & 1) {
        const float scaled = std::clamp(alpha * 255.0f, 0.0f, 255.0f);
        const uint32_t a = uint32_t(scaled);
        device.SetRenderState(RenderState::TextureFactor, a << 24 | 0x00FFFFFFu);
    }
}

void TexShaderManager::SetFactorColor(uint32_t argb, int mask)
{
    Device& device = Dev();
    if ((mask & 2) && g_Graphic.Caps().hasPixelShader) {
        const Vector4 c0 { float(argb >> 24) / 255.0f, float((argb >> 16) & 255) / 255.0f,
            float((argb >> 8) & 255) / 255.0f, float(argb & 255) / 255.0f };
        device.SetPixelShaderConstant(0, &c0, 1);
    }
    if (mask & 1)
        device.SetRenderState(RenderState::TextureFactor, argb);
}

void TexShaderManager::SetDefaultStages()
{
    SetStage(0, StageState::ColorOp, StateValue(TextureOp::Modulate));
    SetStage(0, StageState::ColorArg1, StateValue(TextureArg::Texture));
    SetStage(0, StageState::ColorArg2, StateValue(TextureArg::Diffuse));
    SetStage(0, StageState::ResultArg, StateValue(TextureArg::Current));
    for (uint32_t stage = 1; stage < 4; ++stage) {
        SetStage(stage, StageState::TexCoordIndex, 0);
        SetStage(stage, StageState::ColorOp, StateValue(TextureOp::Disable));
    }
    for (uint32_t stage = 0; stage < 4; ++stage)
        SetStage(stage, StageState::TextureTransformFlags, StateValue(TextureTransform::Disable));
    SetRender(RenderState::SrcBlend, StateValue(Blend::One));
    SetRender(RenderState::DestBlend, StateValue(Blend::Zero));
    SetRender(RenderState::ZWriteEnable, 1);
    SetRender(RenderState::CullMode, StateValue(Cull::Ccw));
    SetRender(RenderState::AlphaRef, 1);
    SetRender(RenderState::AlphaTestEnable, 0);
    SetRender(RenderState::AlphaFunc, StateValue(Compare::Greater));
    SetRender(RenderState::DiffuseMaterialSource, StateValue(MaterialSource::Material));
    SetRender(RenderState::SpecularMaterialSource, StateValue(MaterialSource::Material));
    SetRender(RenderState::AmbientMaterialSource, StateValue(MaterialSource::Material));
    SetRender(RenderState::EmissiveMaterialSource, StateValue(MaterialSource::Material));
    for (uint32_t stage = 0; stage < 2; ++stage) {
        SetStage(stage, StageState::AddressU, StateValue(TextureAddress::Wrap));
        SetStage(stage, StageState::AddressV, StateValue(TextureAddress::Wrap));
    }
    SetRender(RenderState::AlphaBlendEnable, 1);
    for (uint32_t stage = 0; stage < 4; ++stage) {
        Dev().SetTexture(stage, nullptr);
        StageTextureCache[stage] = nullptr;
    }
}

void TexShaderManager::SetStageClamp(bool clamp, int stage)
{
    uint32_t mode = StateValue(TextureAddress::Wrap);
    if (clamp)
        mode = StateValue(g_Graphic.Caps().borderAddress ? TextureAddress::Border : TextureAddress::Clamp);
    SetStage(uint32_t(stage), StageState::AddressU, mode);
    SetStage(uint32_t(stage), StageState::AddressV, mode);
}

bool TexShaderManager::Validate()
{
    uint32_t passes = 0;
    return Succeeded(Dev().ValidateDevice(&passes));
}

// ---- Purge ----

void TexShaderManager::Purge()
{
    Device* device = g_Graphic.GetDevice();
    try {
        if (device) {
            for (int i = 0; i < kSlotCount; ++i) {
                const ShaderSlot& record = m_slots.At(i);
                for (int p = 0; p < std::clamp(record.passCount, 0, 3); ++p)
                    DeleteBlock(record.passBlocks[p]);
                DeleteBlock(record.restoreBlock);
                DeleteBlock(record.repeatBlock);
            }
            for (int i = 0; i < kPixelShaderHandles; ++i)
                if (m_pixelShaders.At(i) != 0)
                    device->DeletePixelShader(m_pixelShaders.At(i));
            if (m_vertexShader != 0)
                device->DeleteVertexShader(m_vertexShader);
        }
    } catch (...) {
        WriteErrorLog("TexShaderManager::Purge exeption");
    }
    for (int i = 0; i < kSlotCount; ++i) {
        m_slots.At(i) = ShaderSlot {};
        m_built.At(i) = 0;
    }
    for (int i = 0; i < kPixelShaderHandles; ++i)
        m_pixelShaders.At(i) = 0;
    m_vertexShader = 0;
    m_currentSlot = -1;
}

// ---- Water constants ----

void SetVertexShaderMatrices(const Matrix* a, const Matrix* b)
{
    if (!a || !b)
        return;
    Device& device = Dev();
    Matrix transposed;
    d3dx::MatrixTranspose(&transposed, a);
    device.SetVertexShaderConstant(3, transposed.m, 4);
    d3dx::MatrixTranspose(&transposed, b);
    device.SetVertexShaderConstant(0, transposed.m, 3);
}
