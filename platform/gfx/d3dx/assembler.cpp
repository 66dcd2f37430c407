// The shader assembler: vs.1.1 (every instruction and macro, no a0-relative addressing) and
// ps.1.0/1.1 (tex, the arithmetic set, modifiers and co-issue) into our token stream.
#include "platform/gfx/d3dx/d3dx.h"

#include "platform/gfx/shader.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace plat::gfx::d3dx {
namespace {

std::string Lower(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string_view Trim(std::string_view text)
{
    size_t begin = 0, end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin])))
        ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1])))
        --end;
    return text.substr(begin, end - begin);
}

std::vector<std::string_view> SplitOperands(std::string_view text)
{
    std::vector<std::string_view> out;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i)
        if (i == text.size() || text[i] == ',') {
            out.push_back(Trim(text.substr(start, i - start)));
            start = i + 1;
        }
    return out;
}

class Assembler {
public:
    bool Run(std::string_view source, std::vector<uint32_t>& tokens, std::string& error);

private:
    bool Fail(const std::string& text)
    {
        m_error = "line " + std::to_string(m_line) + ": " + text;
        return false;
    }
    bool Version(std::string_view statement);
    bool Statement(std::string_view statement);
    bool Register(std::string_view text, RegisterType& type, uint8_t& index);
    bool Dest(std::string_view text, DestParam& dest);
    bool Source(std::string_view text, SourceParam& source);
    bool Number(std::string_view text, float& value);

    ShaderKind m_kind = ShaderKind::Vertex;
    bool m_haveVersion = false;
    int m_line = 0;
    std::string m_error;
    std::vector<uint32_t> m_tokens;
    std::vector<std::pair<size_t, int>> m_lineOfToken; // first token of each instruction, its line
};

bool Assembler::Version(std::string_view statement)
{
    std::string text = Lower(statement);
    std::replace(text.begin(), text.end(), '_', '.');
    uint32_t minor;
    if (text == "vs.1.1") {
        m_kind = ShaderKind::Vertex;
        minor = 1;
    } else if (text == "ps.1.0" || text == "ps.1.1") {
        m_kind = ShaderKind::Pixel;
        minor = text == "ps.1.0" ? 0 : 1;
    } else {
        return Fail(
            "a version (vs.1.1, ps.1.0, ps.1.1) must come first, not '" + std::string(statement) + "'");
    }
    m_tokens.push_back(tokens::Version(m_kind, 1, minor));
    m_haveVersion = true;
    return true;
}

bool Assembler::Register(std::string_view text, RegisterType& type, uint8_t& index)
{
    std::string name = Lower(text);
    if (name.find('[') != std::string::npos || name.rfind("a0", 0) == 0)
        return Fail("relative addressing through a0 is not supported");
    struct Prefix {
        const char* text;
        RegisterType type;
        int fixedIndex; // -1: a number follows
    };
    static constexpr Prefix kPrefixes[] = {
        { "opos", RegisterType::RastOut, int(kRastOutPosition) },
        { "ofog", RegisterType::RastOut, int(kRastOutFog) },
        { "opts", RegisterType::RastOut, int(kRastOutPointSize) },
        { "od", RegisterType::AttrOut, -1 },
        { "ot", RegisterType::TexCrdOut, -1 },
        { "r", RegisterType::Temp, -1 },
        { "v", RegisterType::Input, -1 },
        { "c", RegisterType::Const, -1 },
        { "t", RegisterType::Texture, -1 },
    };
    for (const Prefix& prefix : kPrefixes) {
        std::string_view p = prefix.text;
        if (name.compare(0, p.size(), p) != 0)
            continue;
        std::string_view rest = std::string_view(name).substr(p.size());
        uint32_t value = 0;
        if (prefix.fixedIndex >= 0) {
            if (!rest.empty())
                continue;
            value = uint32_t(prefix.fixedIndex);
        } else {
            if (rest.empty() || rest.size() > 3)
                return Fail("register '" + std::string(text) + "' has no number");
            auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), value);
            if (ec != std::errc() || end != rest.data() + rest.size())
                return Fail("bad register '" + std::string(text) + "'");
        }
        if (value >= RegisterLimit(m_kind, prefix.type))
            return Fail("register '" + std::string(text) + "' does not exist in this shader version");
        type = prefix.type;
        index = uint8_t(value);
        return true;
    }
    return Fail("unknown register '" + std::string(text) + "'");
}

int Component(char c)
{
    switch (c) {
    case 'x':
    case 'r':
        return 0;
    case 'y':
    case 'g':
        return 1;
    case 'z':
    case 'b':
        return 2;
    case 'w':
    case 'a':
        return 3;
    default:
        return -1;
    }
}

bool Assembler::Dest(std::string_view text, DestParam& dest)
{
    size_t dot = text.find('.');
    if (!Register(Trim(text.substr(0, dot)), dest.type, dest.index))
        return false;
    dest.writeMask = kMaskAll;
    if (dot == std::string_view::npos)
        return true;
    std::string mask = Lower(Trim(text.substr(dot + 1)));
    if (mask.empty() || mask.size() > 4)
        return Fail("bad write mask '" + mask + "'");
    uint8_t bits = 0;
    int last = -1;
    for (char c : mask) {
        int component = Component(c);
        if (component <= last)
            return Fail("write mask components must be in order x, y, z, w: '" + mask + "'");
        last = component;
        bits |= uint8_t(1 << component);
    }
    dest.writeMask = bits;
    return true;
}

bool Assembler::Source(std::string_view text, SourceParam& source)
{
    bool negate = false, complement = false;
    text = Trim(text);
    if (!text.empty() && text[0] == '-') {
        negate = true;
        text = Trim(text.substr(1));
    }
    if (text.size() > 2 && text[0] == '1') {
        std::string_view after = Trim(text.substr(1));
        if (!after.empty() && after[0] == '-') {
            complement = true;
            text = Trim(after.substr(1));
        }
    }
    std::string lowered = Lower(text);
    enum class Bias { None, Bias, Sign } bias = Bias::None;
    for (auto [suffix, kind] : { std::pair { std::string_view("_bx2"), Bias::Sign },
             std::pair { std::string_view("_bias"), Bias::Bias } }) {
        size_t at = lowered.find(suffix);
        if (at != std::string::npos) {
            bias = kind;
            lowered.erase(at, suffix.size());
        }
    }
    size_t dot = lowered.find('.');
    if (!Register(Trim(std::string_view(lowered).substr(0, dot)), source.type, source.index))
        return false;
    source.swizzle = kSwizzleIdentity;
    if (dot != std::string::npos) {
        std::string swizzle(Trim(std::string_view(lowered).substr(dot + 1)));
        if (swizzle.empty() || swizzle.size() > 4)
            return Fail("bad swizzle '" + swizzle + "'");
        int selectors[4];
        for (size_t i = 0; i < 4; ++i) {
            int component = Component(swizzle[std::min(i, swizzle.size() - 1)]);
            if (component < 0)
                return Fail("bad swizzle '" + swizzle + "'");
            selectors[i] = component;
        }
        source.swizzle = MakeSwizzle(
            uint32_t(selectors[0]), uint32_t(selectors[1]), uint32_t(selectors[2]), uint32_t(selectors[3]));
    }
    if (complement && (negate || bias != Bias::None))
        return Fail("1- takes no other modifier");
    if (complement)
        source.modifier = SourceModifier::Complement;
    else if (bias == Bias::Sign)
        source.modifier = negate ? SourceModifier::SignNegate : SourceModifier::Sign;
    else if (bias == Bias::Bias)
        source.modifier = negate ? SourceModifier::BiasNegate : SourceModifier::Bias;
    else
        source.modifier = negate ? SourceModifier::Negate : SourceModifier::None;
    if (m_kind == ShaderKind::Vertex && source.modifier != SourceModifier::None
        && source.modifier != SourceModifier::Negate)
        return Fail("vertex shader sources take only negation");
    return true;
}

bool Assembler::Number(std::string_view text, float& value)
{
    std::string copy(Trim(text));
    if (copy.empty())
        return Fail("a number is missing");
    char* end = nullptr;
    value = std::strtof(copy.c_str(), &end);
    if (end != copy.c_str() + copy.size() || !std::isfinite(value))
        return Fail("bad number '" + copy + "'");
    return true;
}

bool Assembler::Statement(std::string_view statement)
{
    if (!m_haveVersion)
        return Version(statement);
    Instruction instruction;
    if (statement[0] == '+') {
        if (m_kind != ShaderKind::Pixel)
            return Fail("co-issue (+) is for pixel shaders");
        instruction.coissue = true;
        statement = Trim(statement.substr(1));
    }
    size_t space = statement.find_first_of(" \t");
    std::string mnemonic = Lower(statement.substr(0, space));
    std::string_view operands
        = space == std::string_view::npos ? std::string_view() : Trim(statement.substr(space));

    // Instruction modifiers: mul_x2_sat, dp3_sat, ...
    std::string name = mnemonic.substr(0, mnemonic.find('_'));
    for (size_t at = mnemonic.find('_'); at != std::string::npos;) {
        size_t next = mnemonic.find('_', at + 1);
        std::string modifier
            = mnemonic.substr(at + 1, next == std::string::npos ? std::string::npos : next - at - 1);
        if (m_kind != ShaderKind::Pixel)
            return Fail("instruction modifiers are for pixel shaders");
        if (modifier == "sat")
            instruction.saturate = true;
        else if (modifier == "x2" && instruction.shift == 0)
            instruction.shift = 1;
        else if (modifier == "x4" && instruction.shift == 0)
            instruction.shift = 2;
        else if (modifier == "d2" && instruction.shift == 0)
            instruction.shift = -1;
        else
            return Fail("unknown instruction modifier '_" + modifier + "'");
        at = next;
    }
    const ShaderOpInfo* row = FindShaderOp(name);
    if (!row)
        return Fail("unknown instruction '" + name + "'");
    if (!(m_kind == ShaderKind::Vertex ? row->vertex : row->pixel))
        return Fail("'" + name + "' is not an instruction of this shader version");
    instruction.op = row->op;
    std::vector<std::string_view> parts
        = operands.empty() ? std::vector<std::string_view>() : SplitOperands(operands);
    size_t expected = (row->hasDest ? 1 : 0) + (row->op == ShaderOp::Def ? 4 : row->sources);
    if (parts.size() != expected)
        return Fail("'" + name + "' takes " + std::to_string(expected) + " operands, not "
            + std::to_string(parts.size()));
    if (row->hasDest && !Dest(parts[0], instruction.dest))
        return false;
    if (row->op == ShaderOp::Def) {
        for (int i = 0; i < 4; ++i)
            if (!Number(parts[size_t(1 + i)], instruction.value[i]))
                return false;
    } else {
        instruction.sourceCount = row->sources;
        for (uint32_t i = 0; i < row->sources; ++i)
            if (!Source(parts[1 + i], instruction.source[i]))
                return false;
    }
    m_lineOfToken.emplace_back(m_tokens.size(), m_line);
    tokens::Append(m_tokens, instruction);
    return true;
}

bool Assembler::Run(std::string_view source, std::vector<uint32_t>& out, std::string& error)
{
    size_t start = 0;
    while (start <= source.size()) {
        size_t end = source.find('\n', start);
        if (end == std::string_view::npos)
            end = source.size();
        ++m_line;
        std::string_view line = source.substr(start, end - start);
        size_t comment = std::min(line.find(';'), line.find("//"));
        if (comment != std::string_view::npos)
            line = line.substr(0, comment);
        line = Trim(line);
        if (!line.empty() && !Statement(line)) {
            error = m_error;
            return false;
        }
        start = end + 1;
    }
    if (!m_haveVersion) {
        error = "line " + std::to_string(std::max(m_line, 1)) + ": no version statement";
        return false;
    }
    m_tokens.push_back(tokens::kEnd);
    // The loader checks what spans instructions (limits, tex order, co-issue pairs).
    ShaderProgram program;
    std::string reason;
    size_t at = 0;
    if (Failed(LoadShaderTokens(m_tokens, m_kind, program, &reason, &at))) {
        int line = m_line;
        for (const auto& [token, lineNumber] : m_lineOfToken)
            if (token <= at)
                line = lineNumber;
        std::string text = reason.substr(std::min(reason.size(), reason.find(": ") + 2));
        error = "line " + std::to_string(line) + ": " + text;
        return false;
    }
    out = std::move(m_tokens);
    return true;
}

} // namespace

Result AssembleShader(std::string_view source, std::vector<uint32_t>& tokens, std::string* errors)
{
    Assembler assembler;
    std::string error;
    try {
        if (!assembler.Run(source, tokens, error)) {
            if (errors)
                *errors = error;
            return Result::InvalidData;
        }
    } catch (const std::bad_alloc&) {
        return Result::OutOfVideoMemory;
    }
    if (errors)
        errors->clear();
    return Result::Ok;
}

} // namespace plat::gfx::d3dx
