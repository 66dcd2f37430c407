// vs.1.1 and ps.1.0/1.1 programs as GLSL statements. Each instruction computes its result from
// the registers as they were before it (or before its co-issued partner) and then writes the
// masked components. Scalar vs.1.1 operations read the source's last swizzle component, so a
// source without a swizzle reads .w. ps.1.x results clamp to -1..1 (MaxPixelShaderValue 1).
#include "platform/gfx/gl/glsl.h"

#include <cstdio>
#include <set>
#include <string>

namespace plat::gfx::gl {
namespace {

constexpr const char* kComponents = "xyzw";

std::string Float(float value)
{
    char text[48];
    std::snprintf(text, sizeof text, "%.9g", double(value));
    std::string s = text;
    if (s.find_first_of(".eEn") == std::string::npos)
        s += ".0";
    if (s == "inf")
        s = "3.402823466e38";
    else if (s == "-inf")
        s = "-3.402823466e38";
    else if (s == "nan" || s == "-nan")
        s = "0.0";
    return s;
}

class Translator {
public:
    explicit Translator(const ShaderProgram& program)
        : m_program(program)
        , m_pixel(program.kind == ShaderKind::Pixel)
    {
    }

    TranslatedShader Run()
    {
        for (const Instruction& in : m_program.instructions)
            if (in.op == ShaderOp::Def)
                m_defined.insert(in.dest.index);
        if (m_pixel) {
            // Constants clamp to the pixel shader's range on use.
            for (uint32_t i = 0; i < 8; ++i)
                Line("    vec4 c" + std::to_string(i) + " = clamp(uPsConst[" + std::to_string(i)
                    + "], -1.0, 1.0);");
        }
        for (const Instruction& in : m_program.instructions)
            if (in.op == ShaderOp::Def) {
                std::string value = "vec4(" + Float(in.value[0]) + ", " + Float(in.value[1]) + ", "
                    + Float(in.value[2]) + ", " + Float(in.value[3]) + ")";
                if (m_pixel)
                    value = "clamp(" + value + ", -1.0, 1.0)";
                Line(std::string("    ") + (m_pixel ? "" : "vec4 ") + "c" + std::to_string(in.dest.index)
                    + " = " + value + ";");
            }

        const auto& list = m_program.instructions;
        for (size_t i = 0; i < list.size() && m_out.ok; ++i) {
            const Instruction& in = list[i];
            if (in.op == ShaderOp::Def || in.op == ShaderOp::Nop)
                continue;
            std::string result = "res" + std::to_string(i);
            Line("    vec4 " + result + " = " + Expression(in) + ";");
            m_pending.push_back({ &in, result });
            bool partnerNext = i + 1 < list.size() && list[i + 1].coissue;
            if (!partnerNext)
                Flush();
        }
        Flush();
        m_out.ok = m_out.ok && m_out.error.empty();
        if (m_out.ok)
            m_out.error.clear();
        return m_out;
    }

private:
    struct Pending {
        const Instruction* instruction;
        std::string result;
    };

    void Line(const std::string& text) { m_out.body += text + "\n"; }

    void Fail(const std::string& why)
    {
        if (m_out.error.empty())
            m_out.error = why;
        m_out.ok = false;
    }

    std::string Register(RegisterType type, uint32_t index)
    {
        std::string n = std::to_string(index);
        switch (type) {
        case RegisterType::Temp:
            return "r" + n;
        case RegisterType::Input:
            if (!m_pixel)
                m_out.inputs |= uint16_t(1u << (index & 15));
            return "v" + n;
        case RegisterType::Const:
            if (m_pixel || m_defined.count(uint8_t(index)))
                return "c" + n;
            return "uVsConst[" + n + "]";
        case RegisterType::Texture:
            return "t" + n;
        case RegisterType::RastOut:
            if (index == kRastOutFog) {
                m_out.writesFog = true;
                return "oFog";
            }
            if (index == kRastOutPointSize) {
                m_out.writesPointSize = true;
                return "oPts";
            }
            return "oPos";
        case RegisterType::AttrOut:
            return "oD" + n;
        case RegisterType::TexCrdOut:
            return "oT" + n;
        default:
            Fail("unknown register type");
            return "vec4(0.0)";
        }
    }

    std::string Swizzled(const SourceParam& source)
    {
        std::string reg = Register(source.type, source.index);
        if (source.swizzle == kSwizzleIdentity)
            return reg;
        std::string s = reg + ".";
        for (uint32_t c = 0; c < 4; ++c)
            s += kComponents[(source.swizzle >> (2 * c)) & 3];
        return s;
    }

    std::string Source(const SourceParam& source)
    {
        std::string v = Swizzled(source);
        switch (source.modifier) {
        case SourceModifier::None:
            return v;
        case SourceModifier::Negate:
            return "(-" + v + ")";
        case SourceModifier::Bias:
            return "(" + v + " - 0.5)";
        case SourceModifier::BiasNegate:
            return "(0.5 - " + v + ")";
        case SourceModifier::Sign:
            return "(2.0 * " + v + " - 1.0)";
        case SourceModifier::SignNegate:
            return "(1.0 - 2.0 * " + v + ")";
        case SourceModifier::Complement:
            return "(1.0 - " + v + ")";
        default:
            Fail("unknown source modifier");
            return v;
        }
    }

    // The component a scalar operation reads: the last one the swizzle names.
    std::string Scalar(const SourceParam& source)
    {
        SourceParam plain = source;
        uint32_t component = (source.swizzle >> 6) & 3;
        plain.swizzle = uint8_t(component * 0x55);
        return "(" + Source(plain) + ").x";
    }

    // Rows of a matrix operation: consecutive registers from the second source.
    std::string Row(const Instruction& in, uint32_t row)
    {
        const SourceParam& m = in.source[1];
        uint32_t index = m.index + row;
        if (index >= RegisterLimit(m_program.kind, m.type)) {
            Fail("matrix rows past the last register");
            return "vec4(0.0)";
        }
        return Register(m.type, index);
    }

    std::string MatrixProduct(const Instruction& in, uint32_t rows, bool three)
    {
        std::string v = Source(in.source[0]);
        std::string parts[4] = { "0.0", "0.0", "0.0", "0.0" };
        for (uint32_t r = 0; r < rows; ++r)
            parts[r] = three ? "dot((" + v + ").xyz, " + Row(in, r) + ".xyz)"
                             : "dot(" + v + ", " + Row(in, r) + ")";
        return "vec4(" + parts[0] + ", " + parts[1] + ", " + parts[2] + ", " + parts[3] + ")";
    }

    std::string Expression(const Instruction& in)
    {
        auto s = [&](int i) { return Source(in.source[i]); };
        switch (in.op) {
        case ShaderOp::Mov:
            return Result(in, s(0));
        case ShaderOp::Add:
            return Result(in, s(0) + " + " + s(1));
        case ShaderOp::Sub:
            return Result(in, s(0) + " - " + s(1));
        case ShaderOp::Mul:
            return Result(in, s(0) + " * " + s(1));
        case ShaderOp::Mad:
            return Result(in, s(0) + " * " + s(1) + " + " + s(2));
        case ShaderOp::Dp3:
            return Result(in, "vec4(dot((" + s(0) + ").xyz, (" + s(1) + ").xyz))");
        case ShaderOp::Dp4:
            return Result(in, "vec4(dot(" + s(0) + ", " + s(1) + "))");
        case ShaderOp::Min:
            return Result(in, "min(" + s(0) + ", " + s(1) + ")");
        case ShaderOp::Max:
            return Result(in, "max(" + s(0) + ", " + s(1) + ")");
        case ShaderOp::Slt:
            return Result(in, "vec4(lessThan(" + s(0) + ", " + s(1) + "))");
        case ShaderOp::Sge:
            return Result(in, "vec4(greaterThanEqual(" + s(0) + ", " + s(1) + "))");
        case ShaderOp::Frc:
            return Result(in, "fract(" + s(0) + ")");
        case ShaderOp::Rcp:
            return "vec4(1.0 / " + Scalar(in.source[0]) + ")";
        case ShaderOp::Rsq:
            return "vec4(inversesqrt(abs(" + Scalar(in.source[0]) + ")))";
        case ShaderOp::Exp:
            return "vec4(exp2(" + Scalar(in.source[0]) + "))";
        case ShaderOp::Log: {
            std::string x = Scalar(in.source[0]);
            return "vec4(" + x + " == 0.0 ? -3.402823466e38 : log2(abs(" + x + ")))";
        }
        case ShaderOp::ExpP: {
            std::string x = Scalar(in.source[0]);
            return "vec4(exp2(floor(" + x + ")), fract(" + x + "), exp2(" + x + "), 1.0)";
        }
        case ShaderOp::LogP: {
            std::string x = "abs(" + Scalar(in.source[0]) + ")";
            return "(" + x + " == 0.0 ? vec4(-3.402823466e38, 1.0, -3.402823466e38, 1.0) : vec4(floor(log2("
                + x + ")), " + x + " / exp2(floor(log2(" + x + "))), log2(" + x + "), 1.0))";
        }
        case ShaderOp::Lit: {
            std::string v = s(0);
            return "vec4(1.0, max((" + v + ").x, 0.0), ((" + v + ").x > 0.0 && (" + v + ").y > 0.0) ? pow(("
                + v + ").y, clamp((" + v + ").w, -128.0, 128.0)) : 0.0, 1.0)";
        }
        case ShaderOp::Dst:
            return "vec4(1.0, (" + s(0) + ").y * (" + s(1) + ").y, (" + s(0) + ").z, (" + s(1) + ").w)";
        case ShaderOp::M4x4:
            return MatrixProduct(in, 4, false);
        case ShaderOp::M4x3:
            return MatrixProduct(in, 3, false);
        case ShaderOp::M3x4:
            return MatrixProduct(in, 4, true);
        case ShaderOp::M3x3:
            return MatrixProduct(in, 3, true);
        case ShaderOp::M3x2:
            return MatrixProduct(in, 2, true);
        case ShaderOp::Lrp:
            return Result(in, "mix(" + s(2) + ", " + s(1) + ", " + s(0) + ")");
        case ShaderOp::Cnd:
            return Result(in, "mix(" + s(2) + ", " + s(1) + ", vec4(greaterThan(" + s(0) + ", vec4(0.5))))");
        case ShaderOp::Tex: {
            if (!m_pixel || in.dest.type != RegisterType::Texture || in.dest.index >= 4) {
                Fail("tex needs a texture register");
                return "vec4(0.0)";
            }
            m_out.samples |= uint8_t(1u << in.dest.index);
            return "tex" + std::to_string(in.dest.index);
        }
        default:
            Fail(std::string("instruction ") + ShaderOpRow(in.op).name + " is not translated");
            return "vec4(0.0)";
        }
    }

    // Pixel-shader result modifiers: shift, saturate, then the -1..1 range.
    std::string Result(const Instruction& in, const std::string& value)
    {
        if (!m_pixel)
            return value;
        std::string v = "(" + value + ")";
        switch (in.shift) {
        case 1:
            v = "(2.0 * " + v + ")";
            break;
        case 2:
            v = "(4.0 * " + v + ")";
            break;
        case -1:
            v = "(0.5 * " + v + ")";
            break;
        default:
            break;
        }
        if (in.saturate)
            return "clamp(" + v + ", 0.0, 1.0)";
        return "clamp(" + v + ", -1.0, 1.0)";
    }

    void Flush()
    {
        for (const Pending& p : m_pending) {
            const DestParam& d = p.instruction->dest;
            std::string reg = Register(d.type, d.index);
            uint8_t mask = d.writeMask & kMaskAll;
            if (mask == kMaskAll) {
                Line("    " + reg + " = " + p.result + ";");
            } else if (mask != 0) {
                std::string m;
                for (uint32_t c = 0; c < 4; ++c)
                    if ((mask >> c) & 1)
                        m += kComponents[c];
                Line("    " + reg + "." + m + " = " + p.result + "." + m + ";");
            }
        }
        m_pending.clear();
    }

    const ShaderProgram& m_program;
    bool m_pixel;
    std::set<uint8_t> m_defined;
    std::vector<Pending> m_pending;
    TranslatedShader m_out { true, "", "", 0, 0, false, false };
};

} // namespace

TranslatedShader TranslateVertexShader(const ShaderProgram& program)
{
    if (program.kind != ShaderKind::Vertex) {
        TranslatedShader out;
        out.error = "not a vertex shader";
        return out;
    }
    return Translator(program).Run();
}

TranslatedShader TranslatePixelShader(const ShaderProgram& program)
{
    if (program.kind != ShaderKind::Pixel) {
        TranslatedShader out;
        out.error = "not a pixel shader";
        return out;
    }
    return Translator(program).Run();
}

} // namespace plat::gfx::gl
