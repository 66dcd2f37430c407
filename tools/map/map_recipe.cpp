#include "tools/map/map_recipe.h"

#include "platform/win/text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>

namespace zoq::tools::map {

namespace {

constexpr size_t kMaxTexture = 31; // the 32-byte name fields
constexpr size_t kMaxHorizon = 159;
constexpr size_t kMaxNameUnits = 63; // a 64-unit UTF-16 field

size_t Utf16Units(std::string_view text)
{
    size_t units = 0;
    for (size_t pos = 0; pos < text.size();)
        units += plat::win::DecodeUtf8(text, pos) >= 0x10000 ? 2 : 1;
    return units;
}

// Text of the recipe as a message quotes it: printable UTF-8, other bytes as '?', at most 40
// characters.
std::string Printable(std::string_view text)
{
    constexpr size_t kMaxShown = 40;
    std::string out;
    size_t shown = 0;
    for (size_t pos = 0; pos < text.size(); ++shown) {
        if (shown == kMaxShown)
            return out + "...";
        const char32_t cp = plat::win::DecodeUtf8(text, pos);
        plat::win::AppendUtf8(out, cp < 0x20 || cp == 0x7F || cp == 0xFFFD ? U'?' : cp);
    }
    return out;
}

std::vector<std::string_view> Split(std::string_view text, char separator)
{
    std::vector<std::string_view> parts;
    for (size_t start = 0;;) {
        const size_t at = text.find(separator, start);
        parts.push_back(
            text.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
        if (at == std::string_view::npos)
            return parts;
        start = at + 1;
    }
}

std::vector<std::string_view> Words(std::string_view text)
{
    std::vector<std::string_view> words;
    size_t at = 0;
    while (at < text.size()) {
        while (at < text.size() && (text[at] == ' ' || text[at] == '\t'))
            ++at;
        const size_t start = at;
        while (at < text.size() && text[at] != ' ' && text[at] != '\t')
            ++at;
        if (at > start)
            words.push_back(text.substr(start, at - start));
    }
    return words;
}

// One statement: its line, its positional words after the keyword and its key=value words.
class Statement {
public:
    Statement(int line, std::string_view keyword, std::vector<std::string_view> words)
        : m_line(line)
        , m_keyword(keyword)
    {
        for (std::string_view word : words) {
            const size_t eq = word.find('=');
            if (eq == std::string_view::npos) {
                m_positional.push_back(word);
                continue;
            }
            const std::string key(word.substr(0, eq));
            if (!m_keys.emplace(key, Value { word.substr(eq + 1), false }).second)
                Fail("key '" + Printable(key) + "' given twice");
        }
    }

    [[noreturn]] void Fail(const std::string& reason) const { throw RecipeError(m_line, reason); }
    int Line() const { return m_line; }

    // Exactly n positional words.
    const std::vector<std::string_view>& Positional(size_t n, const char* form) const
    {
        if (m_positional.size() != n)
            Fail(std::string("expected '") + form + "'");
        return m_positional;
    }

    bool Has(const std::string& key) const { return m_keys.count(key) != 0; }

    std::string_view Take(const std::string& key)
    {
        const auto it = m_keys.find(key);
        if (it == m_keys.end())
            Fail("'" + m_keyword + "' needs " + key + "=");
        it->second.taken = true;
        return it->second.text;
    }

    // The comma-separated values of a key, count of them between min and max.
    std::vector<std::string_view> List(const std::string& key, size_t min, size_t max)
    {
        const std::vector<std::string_view> parts = Split(Take(key), ',');
        if (parts.size() < min || parts.size() > max)
            Fail(key + "= takes "
                + (min == max ? std::to_string(min) : std::to_string(min) + " to " + std::to_string(max))
                + " values separated by commas");
        return parts;
    }

    // Refuses the keys nothing took.
    void Finish() const
    {
        for (const auto& [key, value] : m_keys)
            if (!value.taken)
                Fail("'" + m_keyword + "' has no key '" + Printable(key) + "'");
    }

    float Float(std::string_view text, const std::string& what) const
    {
        float value = 0;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
            Fail(what + ": '" + Printable(text) + "' is not a number");
        return value;
    }

    float Float(std::string_view text, const std::string& what, float min, float max) const
    {
        const float value = Float(text, what);
        if (value < min || value > max)
            Fail(what + " " + Printable(text) + " is outside " + ShownNumber(min) + ".." + ShownNumber(max));
        return value;
    }

    int64_t Int(std::string_view text, const std::string& what, int64_t min, int64_t max) const
    {
        int64_t value = 0;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (ec != std::errc() || end != text.data() + text.size())
            Fail(what + ": '" + Printable(text) + "' is not a whole number");
        if (value < min || value > max)
            Fail(what + " " + Printable(text) + " is outside " + std::to_string(min) + ".."
                + std::to_string(max));
        return value;
    }

    // 0xAARRGGBB or 0xRRGGBB (alpha 255), the prefix optional.
    uint32_t Colour(std::string_view text, const std::string& what) const
    {
        std::string_view digits = text;
        if (digits.starts_with("0x") || digits.starts_with("0X"))
            digits.remove_prefix(2);
        uint32_t value = 0;
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
        if ((digits.size() != 6 && digits.size() != 8) || ec != std::errc()
            || end != digits.data() + digits.size())
            Fail(what + ": '" + Printable(text) + "' is not a colour 0xAARRGGBB");
        return digits.size() == 6 ? value | 0xFF000000u : value;
    }

    // A texture key ("-" for none).
    std::string Texture(std::string_view text, const std::string& what) const
    {
        if (text == "-")
            return {};
        if (text.empty() || text.size() > kMaxTexture)
            Fail(what + " '" + Printable(text) + "' is not a name of 1 to 31 bytes");
        return std::string(text);
    }

private:
    struct Value {
        std::string_view text;
        bool taken;
    };

    static std::string ShownNumber(float v)
    {
        char text[32];
        const auto [end, ec] = std::to_chars(text, text + sizeof text, v);
        return std::string(text, end);
    }

    int m_line;
    std::string m_keyword;
    std::vector<std::string_view> m_positional;
    std::map<std::string, Value> m_keys;
};

class Parser {
public:
    MapRecipe Parse(std::string_view text)
    {
        const std::vector<std::string_view> lines = Split(text, '\n');
        for (size_t n = 0; n < lines.size(); ++n) {
            std::string_view line = lines[n];
            if (line.ends_with('\r'))
                line.remove_suffix(1);
            line = line.substr(0, line.find('#'));
            std::vector<std::string_view> words = Words(line);
            if (words.empty())
                continue;
            const int number = int(n + 1);
            const std::string_view keyword = words.front();
            words.erase(words.begin());
            const Handler* handler = Find(keyword);
            if (!handler)
                throw RecipeError(number, "unknown statement '" + Printable(keyword) + "'");
            if (keyword == "name") {
                Once(number, "name");
                const size_t start = line.find("name") + 4;
                const size_t first = line.find_first_not_of(" \t", start);
                const size_t last = line.find_last_not_of(" \t");
                if (first == std::string_view::npos)
                    throw RecipeError(number, "expected 'name <text>'");
                m_recipe.name = std::string(line.substr(first, last + 1 - first));
                if (Utf16Units(m_recipe.name) > kMaxNameUnits)
                    throw RecipeError(number, "the name is longer than 63 UTF-16 units");
                continue;
            }
            Statement statement(number, keyword, std::move(words));
            (this->*handler->read)(statement);
            statement.Finish();
        }
        if (!m_seen.count("name"))
            throw RecipeError(0, "no 'name' statement");
        if (!m_seen.count("points"))
            throw RecipeError(0, "no 'points' statement");
        return std::move(m_recipe);
    }

private:
    struct Handler {
        const char* keyword;
        void (Parser::*read)(Statement&);
    };

    static const Handler* Find(std::string_view keyword)
    {
        static constexpr Handler kHandlers[] = {
            { "name", nullptr },
            { "points", &Parser::Points },
            { "horizon", &Parser::Horizon },
            { "seed", &Parser::Seed },
            { "base", &Parser::Base },
            { "hills", &Parser::HillsStep },
            { "flatten", &Parser::FlattenStep },
            { "basin", &Parser::BasinStep },
            { "surface", &Parser::Surface },
            { "material", &Parser::Material },
            { "weather", &Parser::Weather },
        };
        for (const Handler& handler : kHandlers)
            if (keyword == handler.keyword)
                return &handler;
        return nullptr;
    }

    void Once(int line, const std::string& keyword)
    {
        const auto [it, added] = m_seen.emplace(keyword, line);
        if (!added)
            throw RecipeError(
                line, "'" + keyword + "' given again (first at line " + std::to_string(it->second) + ")");
    }

    void Points(Statement& s)
    {
        Once(s.Line(), "points");
        const auto& words = s.Positional(2, "points <W> <H>");
        const auto side = [&](std::string_view text, const char* what) {
            const int64_t n = s.Int(text, what, 65, kMaxPoints);
            if ((n - 1) % kBlockSteps != 0)
                s.Fail(std::string(what) + " " + Printable(text) + " is not 64k + 1");
            return int32_t(n);
        };
        m_recipe.width = side(words[0], "width");
        m_recipe.height = side(words[1], "height");
    }

    void Horizon(Statement& s)
    {
        Once(s.Line(), "horizon");
        const std::string_view key = s.Positional(1, "horizon <KEY>")[0];
        if (key.size() > kMaxHorizon)
            s.Fail("the horizon name is longer than 159 bytes");
        m_recipe.horizon = std::string(key);
    }

    void Seed(Statement& s)
    {
        Once(s.Line(), "seed");
        m_recipe.seed = uint32_t(s.Int(s.Positional(1, "seed <N>")[0], "seed", 0, UINT32_MAX));
    }

    void Base(Statement& s)
    {
        Once(s.Line(), "base");
        m_recipe.base = s.Float(s.Positional(1, "base <H>")[0], "base", -30000.0f, 30000.0f);
    }

    void HillsStep(Statement& s)
    {
        s.Positional(0, "hills amplitude= scale= octaves=");
        TerrainStep step;
        step.kind = TerrainStep::Kind::Hills;
        step.hills.amplitude = s.Float(s.Take("amplitude"), "amplitude", 0.0f, 10000.0f);
        step.hills.scale = s.Float(s.Take("scale"), "scale", 1.0f, 1e6f);
        step.hills.octaves = int(s.Int(s.Take("octaves"), "octaves", 1, 12));
        m_recipe.steps.push_back(step);
    }

    void FlattenStep(Statement& s)
    {
        s.Positional(0, "flatten x= y= radius= height= edge=");
        TerrainStep step;
        step.kind = TerrainStep::Kind::Flatten;
        step.flatten.x = s.Float(s.Take("x"), "x");
        step.flatten.y = s.Float(s.Take("y"), "y");
        step.flatten.radius = s.Float(s.Take("radius"), "radius", 0.0f, 1e6f);
        step.flatten.height = s.Float(s.Take("height"), "height", -30000.0f, 30000.0f);
        step.flatten.edge = s.Float(s.Take("edge"), "edge", 0.0f, 1e6f);
        m_recipe.steps.push_back(step);
    }

    void BasinStep(Statement& s)
    {
        s.Positional(0, "basin x= y= radius= depth= surface=");
        TerrainStep step;
        step.kind = TerrainStep::Kind::Basin;
        step.basin.x = s.Float(s.Take("x"), "x");
        step.basin.y = s.Float(s.Take("y"), "y");
        step.basin.radius = s.Float(s.Take("radius"), "radius", 1.0f, 1e6f);
        step.basin.depth = s.Float(s.Take("depth"), "depth", 0.0f, 30000.0f);
        step.basin.surface = int(s.Int(s.Take("surface"), "surface", 0, INT32_MAX));
        if (size_t(step.basin.surface) >= m_recipe.surfaces.size())
            s.Fail("surface " + std::to_string(step.basin.surface) + " is not defined above");
        step.basin.line = s.Line();
        m_recipe.steps.push_back(step);
    }

    void Surface(Statement& s)
    {
        const auto& words = s.Positional(1, "surface <I> level= kind= textures=<K1>[,<K2>] ...");
        const int64_t index = s.Int(words[0], "surface", 0, INT32_MAX);
        if (size_t(index) != m_recipe.surfaces.size())
            s.Fail("surface " + std::to_string(m_recipe.surfaces.size()) + " expected next");
        SurfaceRecord record;
        record.level = s.Float(s.Take("level"), "level", -30000.0f, 30000.0f);
        record.kind = int32_t(s.Int(s.Take("kind"), "kind", 0, 2));
        const auto textures = s.List("textures", 1, 2);
        record.texture1 = s.Texture(textures[0], "texture");
        if (textures.size() == 2)
            record.texture2 = s.Texture(textures[1], "texture");
        if (s.Has("waves")) {
            const auto waves = s.List("waves", 2, 2);
            record.waveSpeed = s.Float(waves[0], "wave speed");
            record.waveAmplitude = s.Float(waves[1], "wave amplitude", 0.0f, 1000.0f);
        }
        if (s.Has("atlas")) {
            const auto atlas = s.List("atlas", 2, 2);
            record.atlas = int32_t(s.Int(atlas[0], "atlas side", 0, 64));
            record.atlasPeriod = s.Float(atlas[1], "atlas period", 0.0f, 3600.0f);
        }
        if (s.Has("specular"))
            record.specular = s.Float(s.Take("specular"), "specular", 0.0f, 1000.0f);
        m_recipe.surfaces.push_back(record);
    }

    void Material(Statement& s)
    {
        const auto& words = s.Positional(1, "material <CODE> colour=<ARGB> [below=] [above=] [steeper=]");
        MaterialRule rule;
        rule.line = s.Line();
        rule.code = uint16_t(s.Int(words[0], "material code", 0, 0xFFFF));
        rule.colour = s.Colour(s.Take("colour"), "colour");
        if (s.Has("below"))
            rule.below = s.Float(s.Take("below"), "below");
        if (s.Has("above"))
            rule.above = s.Float(s.Take("above"), "above");
        if (s.Has("steeper"))
            rule.steeper = s.Float(s.Take("steeper"), "steeper", 0.0f, 1e6f);
        m_recipe.materials.push_back(rule);
    }

    void Weather(Statement& s)
    {
        s.Positional(0, "weather kind=day|night ...");
        WeatherRecord w;
        const std::string_view kind = s.Take("kind");
        if (kind != "day" && kind != "night")
            s.Fail("kind= is day or night, not '" + Printable(kind) + "'");
        w.kind = kind == "day" ? 0 : 1;
        if (s.Has("weight"))
            w.weight = s.Float(s.Take("weight"), "weight", 0.0f, 1e6f);
        if (s.Has("sky")) {
            const auto sky = s.List("sky", 2, 2);
            w.sky1 = s.Texture(sky[0], "sky");
            w.sky2 = s.Texture(sky[1], "sky");
        }
        if (s.Has("skycolours")) {
            const auto colours = s.List("skycolours", 2, 2);
            w.skyColour1 = s.Colour(colours[0], "skycolours");
            w.skyColour2 = s.Colour(colours[1], "skycolours");
        }
        FogSet(s, "fog1", w.fog1Toward, w.fog1Away);
        FogSet(s, "fog2", w.fog2Toward, w.fog2Away);
        if (s.Has("fog")) {
            const auto fog = s.List("fog", 4, 4);
            w.fogMode = int32_t(s.Int(fog[0], "fog mode", 0, 3));
            w.fogStart = s.Float(fog[1], "fog start");
            w.fogEnd = s.Float(fog[2], "fog end");
            w.fogDensity = s.Float(fog[3], "fog density", 0.0f, 1.0f);
        }
        Cloud(s, "cloud1", w.cloud1, w.cloud1Scale, w.cloud1Scroll);
        Cloud(s, "cloud2", w.cloud2, w.cloud2Scale, w.cloud2Scroll);
        if (s.Has("sun"))
            w.sun = s.Texture(s.Take("sun"), "sun");
        if (s.Has("moon"))
            w.moon = s.Texture(s.Take("moon"), "moon");
        if (s.Has("colours")) {
            const auto colours = s.List("colours", 3, 3);
            w.ambient = s.Colour(colours[0], "ambient colour");
            w.sunColour = s.Colour(colours[1], "sun colour");
            w.moonColour = s.Colour(colours[2], "moon colour");
        }
        if (s.Has("wind")) {
            const auto wind = s.List("wind", 3, 3);
            for (size_t i = 0; i < 3; ++i)
                w.wind[i] = s.Float(wind[i], "wind");
        }
        if (s.Has("effect")) {
            const auto effect = s.List("effect", 2, 2);
            static constexpr std::pair<std::string_view, uint32_t> kEffects[] = { { "none", 0 },
                { "rain", kEffectRain }, { "snow", kEffectSnow }, { "storm", kEffectStorm } };
            const auto it = std::find_if(std::begin(kEffects), std::end(kEffects),
                [&](const auto& entry) { return entry.first == effect[0]; });
            if (it == std::end(kEffects))
                s.Fail("effect is none, rain, snow or storm, not '" + Printable(effect[0]) + "'");
            w.effects = it->second;
            w.effectIntensity = s.Float(effect[1], "effect intensity", 0.0f, 100.0f);
        }
        if (s.Has("window")) {
            const auto window = s.List("window", 2, 2);
            w.effectWindow = s.Float(window[0], "window length");
            w.effectChance = s.Float(window[1], "window chance");
        }
        m_recipe.weather.push_back(w);
    }

    static void FogSet(Statement& s, const char* key, uint32_t& toward, uint32_t& away)
    {
        if (!s.Has(key))
            return;
        const auto colours = s.List(key, 2, 2);
        toward = s.Colour(colours[0], key);
        away = s.Colour(colours[1], key);
    }

    static void Cloud(
        Statement& s, const char* key, std::string& texture, float& scale, std::array<float, 2>& scroll)
    {
        if (!s.Has(key))
            return;
        const auto cloud = s.List(key, 4, 4);
        texture = s.Texture(cloud[0], key);
        scale = s.Float(cloud[1], std::string(key) + " scale");
        scroll = { s.Float(cloud[2], std::string(key) + " u"), s.Float(cloud[3], std::string(key) + " v") };
    }

    MapRecipe m_recipe;
    std::map<std::string, int> m_seen; // once-only statements and their lines
};

} // namespace

MapRecipe ParseRecipe(std::string_view text)
{
    return Parser().Parse(text);
}

} // namespace zoq::tools::map
