#include "platform/gfx/shader.h"

#include <cmath>
#include <cstdio>
#include <iterator>

namespace plat::gfx {
namespace {

// Instruction token: op in bits 0-7, source count in 8-9, coissue bit 12, saturate bit 13,
// shift in 14-15 (1 x2, 2 x4, 3 d2); bit 31 clear. Parameter token: bit 31 set, index 0-7,
// register type 8-11, then the write mask (12-15) of a destination or the swizzle (12-19) and
// modifier (20-23) of a source. def carries four float tokens after its destination.
constexpr uint32_t kParamBit = 0x80000000u;
constexpr uint32_t kVersionVertex = 0x5A560000u; // "ZV"
constexpr uint32_t kVersionPixel = 0x5A500000u; // "ZP"

constexpr ShaderOpInfo kOps[] = {
    { ShaderOp::Nop, "nop", 0, false, true, true, false },
    { ShaderOp::Mov, "mov", 1, true, true, true, false },
    { ShaderOp::Add, "add", 2, true, true, true, false },
    { ShaderOp::Sub, "sub", 2, true, true, true, false },
    { ShaderOp::Mad, "mad", 3, true, true, true, false },
    { ShaderOp::Mul, "mul", 2, true, true, true, false },
    { ShaderOp::Rcp, "rcp", 1, true, true, false, true },
    { ShaderOp::Rsq, "rsq", 1, true, true, false, true },
    { ShaderOp::Dp3, "dp3", 2, true, true, true, false },
    { ShaderOp::Dp4, "dp4", 2, true, true, false, false },
    { ShaderOp::Min, "min", 2, true, true, false, false },
    { ShaderOp::Max, "max", 2, true, true, false, false },
    { ShaderOp::Slt, "slt", 2, true, true, false, false },
    { ShaderOp::Sge, "sge", 2, true, true, false, false },
    { ShaderOp::Exp, "exp", 1, true, true, false, true },
    { ShaderOp::Log, "log", 1, true, true, false, true },
    { ShaderOp::Lit, "lit", 1, true, true, false, false },
    { ShaderOp::Dst, "dst", 2, true, true, false, false },
    { ShaderOp::Frc, "frc", 1, true, true, false, false },
    { ShaderOp::ExpP, "expp", 1, true, true, false, true },
    { ShaderOp::LogP, "logp", 1, true, true, false, true },
    { ShaderOp::M4x4, "m4x4", 2, true, true, false, false },
    { ShaderOp::M4x3, "m4x3", 2, true, true, false, false },
    { ShaderOp::M3x4, "m3x4", 2, true, true, false, false },
    { ShaderOp::M3x3, "m3x3", 2, true, true, false, false },
    { ShaderOp::M3x2, "m3x2", 2, true, true, false, false },
    { ShaderOp::Lrp, "lrp", 3, true, false, true, false },
    { ShaderOp::Cnd, "cnd", 3, true, false, true, false },
    { ShaderOp::Tex, "tex", 0, true, false, true, false },
    { ShaderOp::Def, "def", 0, true, true, true, false },
};
static_assert(std::size(kOps) == size_t(ShaderOp::Count));

// Limits per kind: registers r, v, c, t, rast out, attr out, texcoord out.
constexpr uint32_t kVertexLimits[] = { 12, 16, 96, 0, 3, 2, 8 };
constexpr uint32_t kPixelLimits[] = { 2, 2, 8, 4, 0, 0, 0 };
static_assert(std::size(kVertexLimits) == size_t(RegisterType::Count));

constexpr uint32_t kMaxVertexInstructions = 128;
constexpr uint32_t kMaxPixelArithmetic = 8;
constexpr uint32_t kMaxPixelTex = 4;

uint32_t ShiftCode(int8_t shift)
{
    switch (shift) {
    case 1:
        return 1;
    case 2:
        return 2;
    case -1:
        return 3;
    default:
        return 0;
    }
}

uint32_t FloatToken(float value)
{
    return FloatBits(value);
}

class Reader {
public:
    Reader(std::span<const uint32_t> stream, std::string* error, size_t* errorToken)
        : m_stream(stream)
        , m_error(error)
        , m_errorToken(errorToken)
    {
    }

    bool Next(uint32_t& token)
    {
        if (m_pos >= m_stream.size())
            return Fail("stream ends without its end token");
        token = m_stream[m_pos++];
        return true;
    }
    bool Fail(const char* text)
    {
        if (m_errorToken)
            *m_errorToken = m_pos == 0 ? 0 : m_pos - 1;
        if (m_error) {
            char buffer[160];
            std::snprintf(buffer, sizeof buffer, "token %zu: %s", m_pos == 0 ? 0 : m_pos - 1, text);
            *m_error = buffer;
        }
        return false;
    }

private:
    std::span<const uint32_t> m_stream;
    std::string* m_error;
    size_t* m_errorToken;
    size_t m_pos = 0;
};

bool IsWritable(ShaderKind kind, RegisterType type)
{
    if (kind == ShaderKind::Vertex)
        return type == RegisterType::Temp || type == RegisterType::RastOut || type == RegisterType::AttrOut
            || type == RegisterType::TexCrdOut;
    return type == RegisterType::Temp || type == RegisterType::Texture;
}

bool IsReadable(ShaderKind kind, RegisterType type)
{
    if (kind == ShaderKind::Vertex)
        return type == RegisterType::Temp || type == RegisterType::Input || type == RegisterType::Const;
    return type == RegisterType::Temp || type == RegisterType::Input || type == RegisterType::Const
        || type == RegisterType::Texture;
}

bool ReadDest(Reader& reader, ShaderKind kind, const Instruction& instruction, DestParam& dest)
{
    uint32_t token;
    if (!reader.Next(token))
        return false;
    if (!(token & kParamBit) || (token & 0x7FFF0000u) != 0)
        return reader.Fail("bad destination token");
    dest.index = uint8_t(token & 0xFF);
    uint32_t type = (token >> 8) & 0xF;
    dest.writeMask = uint8_t((token >> 12) & 0xF);
    if (type >= uint32_t(RegisterType::Count))
        return reader.Fail("unknown register type");
    dest.type = RegisterType(type);
    if (dest.index >= RegisterLimit(kind, dest.type))
        return reader.Fail("register out of range");
    if (dest.writeMask == 0)
        return reader.Fail("empty write mask");
    if (instruction.op == ShaderOp::Def)
        return dest.type == RegisterType::Const && dest.writeMask == kMaskAll
            ? true
            : reader.Fail("def needs a constant");
    if (instruction.op == ShaderOp::Tex)
        return dest.type == RegisterType::Texture && dest.writeMask == kMaskAll
            ? true
            : reader.Fail("tex needs a t register");
    if (!IsWritable(kind, dest.type))
        return reader.Fail("register cannot be written");
    if (kind == ShaderKind::Pixel && dest.writeMask != kMaskAll
        && dest.writeMask != (kMaskX | kMaskY | kMaskZ) && dest.writeMask != kMaskW)
        return reader.Fail("pixel write mask must be .rgb, .a or all");
    return true;
}

bool ReadSource(Reader& reader, ShaderKind kind, SourceParam& source)
{
    uint32_t token;
    if (!reader.Next(token))
        return false;
    if (!(token & kParamBit) || (token & 0x7F000000u) != 0)
        return reader.Fail("bad source token");
    source.index = uint8_t(token & 0xFF);
    uint32_t type = (token >> 8) & 0xF;
    source.swizzle = uint8_t((token >> 12) & 0xFF);
    uint32_t modifier = (token >> 20) & 0xF;
    if (type >= uint32_t(RegisterType::Count) || modifier >= uint32_t(SourceModifier::Count))
        return reader.Fail("unknown register type or modifier");
    source.type = RegisterType(type);
    source.modifier = SourceModifier(modifier);
    if (!IsReadable(kind, source.type))
        return reader.Fail("register cannot be read");
    if (source.index >= RegisterLimit(kind, source.type))
        return reader.Fail("register out of range");
    if (kind == ShaderKind::Vertex) {
        if (source.modifier != SourceModifier::None && source.modifier != SourceModifier::Negate)
            return reader.Fail("vertex sources take only negation");
    } else if (source.swizzle != kSwizzleIdentity && source.swizzle != kSwizzleAlpha) {
        return reader.Fail("pixel sources take only the alpha replicate");
    }
    return true;
}

} // namespace

const ShaderOpInfo& ShaderOpRow(ShaderOp op)
{
    return kOps[size_t(op)];
}

const ShaderOpInfo* FindShaderOp(std::string_view name)
{
    for (const ShaderOpInfo& row : kOps)
        if (name == row.name)
            return &row;
    return nullptr;
}

uint32_t RegisterLimit(ShaderKind kind, RegisterType type)
{
    if (size_t(type) >= size_t(RegisterType::Count))
        return 0;
    return kind == ShaderKind::Vertex ? kVertexLimits[size_t(type)] : kPixelLimits[size_t(type)];
}

uint32_t DeclTypeSize(DeclType type)
{
    switch (type) {
    case DeclType::Float1:
        return 4;
    case DeclType::Float2:
        return 8;
    case DeclType::Float3:
        return 12;
    case DeclType::Float4:
        return 16;
    case DeclType::D3dColor:
        return 4;
    }
    return 0;
}

namespace tokens {

uint32_t Version(ShaderKind kind, uint32_t major, uint32_t minor)
{
    return (kind == ShaderKind::Vertex ? kVersionVertex : kVersionPixel) | (major & 0xFF) << 8
        | (minor & 0xFF);
}

void Append(std::vector<uint32_t>& out, const Instruction& instruction)
{
    out.push_back(uint32_t(instruction.op) | uint32_t(instruction.sourceCount & 3) << 8
        | (instruction.coissue ? 1u << 12 : 0) | (instruction.saturate ? 1u << 13 : 0)
        | ShiftCode(instruction.shift) << 14);
    const ShaderOpInfo& row = ShaderOpRow(instruction.op);
    if (row.hasDest) {
        const DestParam& d = instruction.dest;
        out.push_back(kParamBit | d.index | uint32_t(d.type) << 8 | uint32_t(d.writeMask & 0xF) << 12);
    }
    if (instruction.op == ShaderOp::Def) {
        for (float value : instruction.value)
            out.push_back(FloatToken(value));
        return;
    }
    for (uint32_t i = 0; i < instruction.sourceCount && i < 3; ++i) {
        const SourceParam& s = instruction.source[i];
        out.push_back(kParamBit | s.index | uint32_t(s.type) << 8 | uint32_t(s.swizzle) << 12
            | uint32_t(s.modifier) << 20);
    }
}

} // namespace tokens

size_t ShaderTokenCount(const uint32_t* stream, size_t maxTokens)
{
    if (!stream)
        return 0;
    for (size_t i = 0; i < maxTokens; ++i)
        if (stream[i] == tokens::kEnd)
            return i + 1;
    return 0;
}

Result LoadShaderTokens(std::span<const uint32_t> stream, ShaderKind expected, ShaderProgram& out,
    std::string* error, size_t* errorToken)
{
    Reader reader(stream, error, errorToken);
    ShaderProgram program;
    program.kind = expected;
    uint32_t version;
    if (!reader.Next(version))
        return Result::InvalidData;
    uint32_t magic = version & 0xFFFF0000u;
    program.major = (version >> 8) & 0xFF;
    program.minor = version & 0xFF;
    if (magic != (expected == ShaderKind::Vertex ? kVersionVertex : kVersionPixel)) {
        reader.Fail("not a shader of this kind");
        return Result::InvalidData;
    }
    bool versionOk = expected == ShaderKind::Vertex ? program.major == 1 && program.minor == 1
                                                    : program.major == 1 && program.minor <= 1;
    if (!versionOk) {
        reader.Fail("unsupported version");
        return Result::InvalidData;
    }

    uint32_t arithmetic = 0;
    uint32_t texCount = 0;
    for (;;) {
        uint32_t token;
        if (!reader.Next(token))
            return Result::InvalidData;
        if (token == tokens::kEnd)
            break;
        if (token & kParamBit) {
            reader.Fail("parameter where an instruction belongs");
            return Result::InvalidData;
        }
        Instruction instruction;
        uint32_t op = token & 0xFF;
        if (op >= uint32_t(ShaderOp::Count) || (token & 0xFFFF0C00u) != 0) {
            reader.Fail("unknown instruction");
            return Result::InvalidData;
        }
        instruction.op = ShaderOp(op);
        const ShaderOpInfo& row = ShaderOpRow(instruction.op);
        instruction.sourceCount = uint8_t((token >> 8) & 3);
        instruction.coissue = (token >> 12) & 1;
        instruction.saturate = (token >> 13) & 1;
        static constexpr int8_t kShifts[4] = { 0, 1, 2, -1 };
        instruction.shift = kShifts[(token >> 14) & 3];
        if (!(expected == ShaderKind::Vertex ? row.vertex : row.pixel)) {
            reader.Fail("instruction not allowed in this shader version");
            return Result::InvalidData;
        }
        if (instruction.sourceCount != row.sources) {
            reader.Fail("wrong operand count");
            return Result::InvalidData;
        }
        if (expected == ShaderKind::Vertex
            && (instruction.coissue || instruction.saturate || instruction.shift != 0)) {
            reader.Fail("modifiers are for pixel shaders");
            return Result::InvalidData;
        }
        if (row.hasDest && !ReadDest(reader, expected, instruction, instruction.dest))
            return Result::InvalidData;
        if (instruction.op == ShaderOp::Def) {
            for (float& value : instruction.value) {
                uint32_t bits;
                if (!reader.Next(bits))
                    return Result::InvalidData;
                value = BitsFloat(bits);
                if (!std::isfinite(value)) {
                    reader.Fail("def value is not finite");
                    return Result::InvalidData;
                }
            }
        }
        for (uint32_t i = 0; i < instruction.sourceCount; ++i)
            if (!ReadSource(reader, expected, instruction.source[i]))
                return Result::InvalidData;

        if (expected == ShaderKind::Pixel) {
            if (instruction.op == ShaderOp::Tex) {
                if (arithmetic > 0) {
                    reader.Fail("tex after arithmetic");
                    return Result::InvalidData;
                }
                ++texCount;
            } else if (instruction.op != ShaderOp::Def && instruction.op != ShaderOp::Nop) {
                if (instruction.coissue) {
                    const Instruction* prev
                        = program.instructions.empty() ? nullptr : &program.instructions.back();
                    if (!prev || prev->coissue || prev->op == ShaderOp::Tex || prev->op == ShaderOp::Def
                        || (prev->dest.writeMask & instruction.dest.writeMask) != 0) {
                        reader.Fail("co-issue needs a preceding instruction of the other channels");
                        return Result::InvalidData;
                    }
                } else {
                    ++arithmetic;
                }
            }
            if (arithmetic > kMaxPixelArithmetic || texCount > kMaxPixelTex) {
                reader.Fail("too many instructions");
                return Result::InvalidData;
            }
        } else if (program.instructions.size() >= kMaxVertexInstructions) {
            reader.Fail("too many instructions");
            return Result::InvalidData;
        }
        program.instructions.push_back(instruction);
    }
    out = std::move(program);
    return Result::Ok;
}

} // namespace plat::gfx
