#include "platform/input/effect_file.h"

#include "platform/win/debug.h"
#include "platform/win/paths.h"

#include <array>
#include <cstdio>
#include <optional>

namespace plat::input {
namespace {

enum class Key {
    Kind,
    Duration,
    Gain,
    Magnitude,
    Period,
    Offset,
    Phase,
    Start,
    End,
    Strong,
    Weak,
    Direction,
    Attack,
    Fade,
};

constexpr int kKeyCount = int(Key::Fade) + 1;

// Kinds a key applies to, as bits of EffectKind.
constexpr uint32_t Bit(EffectKind k)
{
    return 1u << uint32_t(k);
}
constexpr uint32_t kPeriodic = Bit(EffectKind::Sine) | Bit(EffectKind::Triangle) | Bit(EffectKind::SawtoothUp)
    | Bit(EffectKind::SawtoothDown) | Bit(EffectKind::Square);
constexpr uint32_t kAll = 0xFF;

struct KeyRow {
    std::string_view name;
    Key key;
    uint32_t kinds;
    int32_t min; // value bounds; a two-value key (attack, fade) bounds its level here
    int32_t max;
    int32_t EffectDesc::*field;
    int32_t EffectDesc::*second; // the time of attack and fade
};

constexpr int32_t kMaxTimeMs = 60000;

constexpr KeyRow kKeys[] = {
    { "kind", Key::Kind, kAll, 0, 0, nullptr, nullptr },
    { "duration", Key::Duration, kAll, 1, kMaxTimeMs, nullptr, nullptr },
    { "gain", Key::Gain, kAll, 0, 10000, &EffectDesc::gain, nullptr },
    { "magnitude", Key::Magnitude, kPeriodic | Bit(EffectKind::Constant), -10000, 10000,
        &EffectDesc::magnitude, nullptr },
    { "period", Key::Period, kPeriodic, 1, 10000, &EffectDesc::period, nullptr },
    { "offset", Key::Offset, kPeriodic, -10000, 10000, &EffectDesc::offset, nullptr },
    { "phase", Key::Phase, kPeriodic, 0, 35999, &EffectDesc::phase, nullptr },
    { "start", Key::Start, Bit(EffectKind::Ramp), -10000, 10000, &EffectDesc::start, nullptr },
    { "end", Key::End, Bit(EffectKind::Ramp), -10000, 10000, &EffectDesc::end, nullptr },
    { "strong", Key::Strong, Bit(EffectKind::Rumble), 0, 10000, &EffectDesc::strong, nullptr },
    { "weak", Key::Weak, Bit(EffectKind::Rumble), 0, 10000, &EffectDesc::weak, nullptr },
    { "direction", Key::Direction, kAll, 0, 35999, &EffectDesc::direction, nullptr },
    { "attack", Key::Attack, kAll, 0, 10000, &EffectDesc::attackLevel, &EffectDesc::attackTime },
    { "fade", Key::Fade, kAll, 0, 10000, &EffectDesc::fadeLevel, &EffectDesc::fadeTime },
};
static_assert(std::size(kKeys) == kKeyCount);

constexpr std::pair<std::string_view, EffectKind> kKinds[] = {
    { "constant", EffectKind::Constant },
    { "sine", EffectKind::Sine },
    { "triangle", EffectKind::Triangle },
    { "sawtoothup", EffectKind::SawtoothUp },
    { "sawtoothdown", EffectKind::SawtoothDown },
    { "square", EffectKind::Square },
    { "ramp", EffectKind::Ramp },
    { "rumble", EffectKind::Rumble },
};

constexpr std::size_t kMaxTokens = 4;

// The blank-separated tokens of a line without its comment; false when there are more than fit.
bool Tokenise(std::string_view line, std::array<std::string_view, kMaxTokens>& tokens, std::size_t& count)
{
    count = 0;
    std::size_t hash = line.find('#');
    if (hash != std::string_view::npos)
        line = line.substr(0, hash);
    std::size_t pos = 0;
    while (pos < line.size()) {
        while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t'))
            ++pos;
        if (pos == line.size())
            break;
        std::size_t begin = pos;
        while (pos < line.size() && line[pos] != ' ' && line[pos] != '\t')
            ++pos;
        if (count == kMaxTokens)
            return false;
        tokens[count++] = line.substr(begin, pos - begin);
    }
    return true;
}

// A decimal integer within min..max (digits bounded, so no overflow).
std::optional<int32_t> ParseNumber(std::string_view text, int32_t min, int32_t max)
{
    std::size_t pos = 0;
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        pos = 1;
    }
    if (pos == text.size() || text.size() - pos > 6)
        return std::nullopt;
    int64_t value = 0;
    for (; pos < text.size(); ++pos) {
        if (text[pos] < '0' || text[pos] > '9')
            return std::nullopt;
        value = value * 10 + (text[pos] - '0');
    }
    if (negative)
        value = -value;
    if (value < min || value > max)
        return std::nullopt;
    return int32_t(value);
}

bool ValidName(std::string_view name)
{
    if (name.empty() || name.size() > kMaxEffectName)
        return false;
    for (char c : name) {
        if (c < 0x21 || c > 0x7E)
            return false;
    }
    return true;
}

struct Parser {
    Parser(EffectFile& file, EffectFileError& fault)
        : out(file)
        , error(fault)
    {
    }

    EffectFile& out;
    EffectFileError& error;
    int lineNumber = 0;
    bool header = false;
    bool inEffect = false;
    int effectLine = 0;
    EffectDesc current;
    std::array<int, kKeyCount> seenAt {}; // line of each key in the current effect, 0 when absent

    bool Fail(std::string reason, int line = -1)
    {
        error.line = line < 0 ? lineNumber : line;
        error.reason = std::move(reason);
        return false;
    }

    bool Line(std::string_view line)
    {
        std::array<std::string_view, kMaxTokens> t;
        std::size_t n = 0;
        if (!Tokenise(line, t, n))
            return Fail("too many values");
        if (n == 0)
            return true;
        if (!header) {
            if (n != 2 || t[0] != "ffe")
                return Fail("the file does not begin with \"ffe 1\"");
            if (t[1] != "1")
                return Fail("unknown version " + std::string(t[1]));
            header = true;
            return true;
        }
        if (t[0] == "effect") {
            if (inEffect)
                return Fail("effect inside an effect (no end)");
            if (n != 2 || !ValidName(t[1]))
                return Fail("effect needs one name of 1 to 31 visible characters");
            if (out.effects.size() == kMaxEffects)
                return Fail("more than 16 effects");
            inEffect = true;
            effectLine = lineNumber;
            current = EffectDesc {};
            current.name = std::string(t[1]);
            seenAt.fill(0);
            return true;
        }
        if (!inEffect)
            return Fail("\"" + std::string(t[0]) + "\" outside an effect");
        // "end" alone closes the effect; with a value it is the ramp's end level.
        if (t[0] == "end" && n == 1)
            return EndEffect();
        const KeyRow* row = nullptr;
        for (const KeyRow& r : kKeys) {
            if (r.name == t[0])
                row = &r;
        }
        if (!row)
            return Fail("unknown key \"" + std::string(t[0]) + "\"");
        if (seenAt[int(row->key)])
            return Fail("key \"" + std::string(row->name) + "\" given twice");
        seenAt[int(row->key)] = lineNumber;
        std::size_t wanted = row->second ? 3 : 2;
        if (n != wanted)
            return Fail(
                "key \"" + std::string(row->name) + "\" takes " + std::to_string(wanted - 1) + " value(s)");
        switch (row->key) {
        case Key::Kind:
            for (const auto& [name, kind] : kKinds) {
                if (name == t[1]) {
                    current.kind = kind;
                    return true;
                }
            }
            return Fail("unknown kind \"" + std::string(t[1]) + "\"");
        case Key::Duration:
            if (t[1] == "infinite") {
                current.duration = kEffectInfinite;
                return true;
            }
            if (auto v = ParseNumber(t[1], row->min, row->max)) {
                current.duration = uint32_t(*v);
                return true;
            }
            return Fail("duration must be 1..60000 or infinite");
        default:
            break;
        }
        auto value = ParseNumber(t[1], row->min, row->max);
        if (!value)
            return Fail(std::string(row->name) + " must be " + std::to_string(row->min) + ".."
                + std::to_string(row->max));
        current.*(row->field) = *value;
        if (row->second) {
            auto time = ParseNumber(t[2], 0, kMaxTimeMs);
            if (!time)
                return Fail(std::string(row->name) + " time must be 0..60000 ms");
            current.*(row->second) = *time;
        }
        return true;
    }

    bool EndEffect()
    {
        if (!seenAt[int(Key::Kind)])
            return Fail("effect \"" + current.name + "\" has no kind");
        if (!seenAt[int(Key::Duration)])
            return Fail("effect \"" + current.name + "\" has no duration");
        for (const KeyRow& r : kKeys) {
            int at = seenAt[int(r.key)];
            if (at && !(r.kinds & Bit(current.kind)))
                return Fail("key \"" + std::string(r.name) + "\" does not apply to this kind", at);
        }
        out.effects.push_back(std::move(current));
        inEffect = false;
        return true;
    }
};

} // namespace

bool ParseEffectFile(std::string_view text, EffectFile& out, EffectFileError& error)
{
    out.effects.clear();
    error = {};
    if (text.size() > kMaxEffectFileBytes) {
        error.reason = "larger than 65536 bytes";
        return false;
    }
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    Parser parser(out, error);
    bool ok = true;
    std::size_t pos = 0;
    while (ok && pos < text.size()) {
        std::size_t eol = text.find('\n', pos);
        std::string_view line
            = text.substr(pos, eol == std::string_view::npos ? std::string_view::npos : eol - pos);
        pos = eol == std::string_view::npos ? text.size() : eol + 1;
        ++parser.lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.find('\0') != std::string_view::npos)
            ok = parser.Fail("a NUL byte");
        else
            ok = parser.Line(line);
    }
    if (ok && !parser.header)
        ok = parser.Fail("the file does not begin with \"ffe 1\"", 0);
    if (ok && parser.inEffect)
        ok = parser.Fail("effect \"" + parser.current.name + "\" has no end", parser.effectLine);
    if (ok && out.effects.empty())
        ok = parser.Fail("no effect", 0);
    if (!ok)
        out.effects.clear();
    return ok;
}

bool LoadEffectFile(std::string_view path, EffectFile& out)
{
    out.effects.clear();
    std::string where(path);
    std::FILE* file = win::OpenFile(path, "rb");
    if (!file) {
        win::DebugOutput("LoadEffectFile: " + where + ": cannot open");
        return false;
    }
    // One byte past the limit tells an oversized file without reading it whole.
    std::string text(kMaxEffectFileBytes + 1, '\0');
    std::size_t got = std::fread(text.data(), 1, text.size(), file);
    std::fclose(file);
    text.resize(got);
    EffectFileError error;
    if (ParseEffectFile(text, out, error))
        return true;
    std::string line = error.line > 0 ? ":" + std::to_string(error.line) : std::string();
    win::DebugOutput("LoadEffectFile: " + where + line + ": " + error.reason);
    return false;
}

} // namespace plat::input
