// Shader programs (vs.1.1, ps.1.0/1.1) as our own token stream, and their parsed form. The
// assembler writes tokens, CreateVertexShader/CreatePixelShader read them back through
// LoadShaderTokens, which bounds every read and refuses what the profile cannot run; the gl
// backend translates the parsed program. No file stores tokens.
#pragma once

#include "platform/gfx/types.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace plat::gfx {

enum class ShaderKind : uint8_t { Vertex, Pixel };

enum class ShaderOp : uint8_t {
    Nop,
    Mov,
    Add,
    Sub,
    Mad,
    Mul,
    Rcp,
    Rsq,
    Dp3,
    Dp4,
    Min,
    Max,
    Slt,
    Sge,
    Exp,
    Log,
    Lit,
    Dst,
    Frc,
    ExpP,
    LogP,
    M4x4,
    M4x3,
    M3x4,
    M3x3,
    M3x2,
    Lrp,
    Cnd,
    Tex,
    Def,
    Count
};

enum class RegisterType : uint8_t {
    Temp, // r
    Input, // v
    Const, // c
    Texture, // t (pixel shaders)
    RastOut, // oPos (0), oFog (1), oPts (2)
    AttrOut, // oD0, oD1
    TexCrdOut, // oT0 - oT7
    Count
};

constexpr uint32_t kRastOutPosition = 0;
constexpr uint32_t kRastOutFog = 1;
constexpr uint32_t kRastOutPointSize = 2;

enum class SourceModifier : uint8_t {
    None,
    Negate, // -r
    Bias, // r_bias
    BiasNegate, // -r_bias
    Sign, // r_bx2
    SignNegate, // -r_bx2
    Complement, // 1-r
    Count
};

// Swizzle: two bits per output component naming the source component (x=0 .. w=3).
constexpr uint8_t kSwizzleIdentity = 0xE4; // .xyzw
constexpr uint8_t kSwizzleAlpha = 0xFF; // .wwww
constexpr uint8_t MakeSwizzle(uint32_t x, uint32_t y, uint32_t z, uint32_t w)
{
    return uint8_t(x | y << 2 | z << 4 | w << 6);
}

constexpr uint8_t kMaskX = 1, kMaskY = 2, kMaskZ = 4, kMaskW = 8, kMaskAll = 15;

struct DestParam {
    RegisterType type = RegisterType::Temp;
    uint8_t index = 0;
    uint8_t writeMask = kMaskAll;
};

struct SourceParam {
    RegisterType type = RegisterType::Temp;
    uint8_t index = 0;
    uint8_t swizzle = kSwizzleIdentity;
    SourceModifier modifier = SourceModifier::None;
};

struct Instruction {
    ShaderOp op = ShaderOp::Nop;
    bool coissue = false; // ps: runs together with the instruction before
    bool saturate = false; // ps: _sat
    int8_t shift = 0; // ps: 1 = _x2, 2 = _x4, -1 = _d2
    DestParam dest;
    uint8_t sourceCount = 0;
    SourceParam source[3];
    float value[4] = {}; // def
};

struct ShaderProgram {
    ShaderKind kind = ShaderKind::Vertex;
    uint32_t major = 1;
    uint32_t minor = 1;
    std::vector<Instruction> instructions;
};

struct ShaderOpInfo {
    ShaderOp op;
    const char* name;
    uint8_t sources;
    bool hasDest;
    bool vertex; // allowed in vs.1.1
    bool pixel; // allowed in ps.1.0/1.1
    bool scalar; // reads one component: the swizzle's fourth selector (.w when none is given)
};

const ShaderOpInfo& ShaderOpRow(ShaderOp op);
// Null when no instruction has this name.
const ShaderOpInfo* FindShaderOp(std::string_view name);

// Register limits of vs.1.1 and ps.1.x.
uint32_t RegisterLimit(ShaderKind kind, RegisterType type);

// Token stream encoding (ours).
namespace tokens {
constexpr uint32_t kEnd = 0x0000FFFF;
uint32_t Version(ShaderKind kind, uint32_t major, uint32_t minor);
void Append(std::vector<uint32_t>& out, const Instruction& instruction);
} // namespace tokens

// Reads and checks a token stream; on failure `error` names the token offset and the fault,
// and `errorToken` holds that offset.
Result LoadShaderTokens(std::span<const uint32_t> stream, ShaderKind expected, ShaderProgram& out,
    std::string* error, size_t* errorToken = nullptr);

// Byte size of a stream that ends with the end token, or 0 when none is found within maxTokens.
size_t ShaderTokenCount(const uint32_t* stream, size_t maxTokens);

// Vertex shader input declaration: one stream, elements in order.
enum class DeclType : uint8_t { Float1, Float2, Float3, Float4, D3dColor };

struct VertexElement {
    uint8_t reg = 0; // v0 - v15
    DeclType type = DeclType::Float3;
};

uint32_t DeclTypeSize(DeclType type);

} // namespace plat::gfx
