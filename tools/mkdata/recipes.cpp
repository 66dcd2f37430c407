#include "tools/mkdata/recipes.h"

#include <charconv>
#include <cmath>

namespace zoq::tools::mkdata {

bool ReadRecipes(
    const SourceTree& tree, std::string_view producer, std::vector<Recipe>& out, std::string& error)
{
    const std::string relative = "recipes/" + std::string(producer) + ".txt";
    if (!tree.Exists(relative))
        return true;
    std::string text;
    if (!tree.ReadFile(relative, text, error))
        return false;
    const std::vector<std::string_view> lines = SplitLines(text);
    for (size_t n = 0; n < lines.size(); ++n) {
        std::string_view line = lines[n];
        const size_t hash = line.find('#');
        if (hash != std::string_view::npos)
            line = line.substr(0, hash);
        const std::vector<std::string_view> words = SplitWords(line);
        if (words.empty())
            continue;
        Recipe recipe;
        recipe.origin = tree.At(relative, int(n + 1));
        if (words.size() < 2) {
            error = recipe.origin.Where() + ": expected '<Windows path> <recipe> [key=value ...]'";
            return false;
        }
        if (!ToCp1251(words[0], recipe.path)) {
            error = recipe.origin.Where() + ": the path has a character without a Windows-1251 byte";
            return false;
        }
        recipe.name = words[1];
        for (size_t w = 2; w < words.size(); ++w) {
            const size_t eq = words[w].find('=');
            if (eq == std::string_view::npos || eq == 0) {
                error = recipe.origin.Where() + ": '" + std::string(words[w]) + "' is not key=value";
                return false;
            }
            const std::string key(words[w].substr(0, eq));
            for (const auto& [other, value] : recipe.params) {
                if (other == key) {
                    error = recipe.origin.Where() + ": repeated key '" + key + "'";
                    return false;
                }
            }
            recipe.params.emplace_back(key, std::string(words[w].substr(eq + 1)));
        }
        out.push_back(std::move(recipe));
    }
    return true;
}

RecipeParams::RecipeParams(const Recipe& recipe)
    : m_recipe(recipe)
    , m_taken(recipe.params.size(), false)
{
}

bool RecipeParams::Fail(const std::string& what)
{
    if (m_error.empty())
        m_error = m_recipe.origin.Where() + ": " + what;
    return false;
}

bool RecipeParams::Has(std::string_view key) const
{
    for (const auto& [k, v] : m_recipe.params) {
        if (k == key)
            return true;
    }
    return false;
}

const std::string* RecipeParams::Take(std::string_view key)
{
    for (size_t i = 0; i < m_recipe.params.size(); ++i) {
        if (m_recipe.params[i].first == key) {
            m_taken[i] = true;
            return &m_recipe.params[i].second;
        }
    }
    return nullptr;
}

std::string RecipeParams::Text(std::string_view key, std::string_view def)
{
    const std::string* value = Take(key);
    return value ? *value : std::string(def);
}

bool RecipeParams::Choice(std::string_view key, const std::vector<std::string_view>& choices,
    std::string_view def, std::string& out)
{
    const std::string* value = Take(key);
    out = value ? *value : std::string(def);
    for (std::string_view choice : choices) {
        if (choice == out)
            return true;
    }
    std::string list;
    for (std::string_view choice : choices)
        list += (list.empty() ? "" : "|") + std::string(choice);
    return Fail(std::string(key) + "=" + out + " is not one of " + list);
}

bool RecipeParams::Int(std::string_view key, int64_t def, int64_t min, int64_t max, int64_t& out)
{
    const std::string* value = Take(key);
    out = def;
    if (!value)
        return true;
    const char* begin = value->data();
    const char* end = begin + value->size();
    int base = 10;
    if (value->size() > 2 && (*value)[0] == '0' && ((*value)[1] == 'x' || (*value)[1] == 'X')) {
        begin += 2;
        base = 16;
    }
    auto [ptr, ec] = std::from_chars(begin, end, out, base);
    if (ec != std::errc() || ptr != end || begin == end)
        return Fail(std::string(key) + "=" + *value + " is not an integer");
    if (out < min || out > max)
        return Fail(std::string(key) + "=" + *value + " is outside " + std::to_string(min) + ".."
            + std::to_string(max));
    return true;
}

bool RecipeParams::Float(std::string_view key, double def, double min, double max, double& out)
{
    const std::string* value = Take(key);
    out = def;
    if (!value)
        return true;
    auto [ptr, ec] = std::from_chars(value->data(), value->data() + value->size(), out);
    if (ec != std::errc() || ptr != value->data() + value->size() || value->empty() || !std::isfinite(out))
        return Fail(std::string(key) + "=" + *value + " is not a number");
    if (out < min || out > max)
        return Fail(std::string(key) + "=" + *value + " is outside its range");
    return true;
}

bool RecipeParams::Size(
    std::string_view key, uint32_t defW, uint32_t defH, uint32_t min, uint32_t max, uint32_t& w, uint32_t& h)
{
    const std::string* value = Take(key);
    w = defW;
    h = defH;
    if (!value)
        return true;
    const size_t x = value->find('x');
    uint32_t parts[2] = {};
    bool ok = x != std::string::npos;
    for (int i = 0; ok && i < 2; ++i) {
        const char* begin = value->data() + (i ? x + 1 : 0);
        const char* end = i ? value->data() + value->size() : value->data() + x;
        auto [ptr, ec] = std::from_chars(begin, end, parts[i]);
        ok = ec == std::errc() && ptr == end && begin != end && parts[i] >= min && parts[i] <= max;
    }
    if (!ok)
        return Fail(std::string(key) + "=" + *value + " is not WxH with sides " + std::to_string(min) + ".."
            + std::to_string(max));
    w = parts[0];
    h = parts[1];
    return true;
}

bool RecipeParams::Color(std::string_view key, uint32_t def, uint32_t& out)
{
    const std::string* value = Take(key);
    out = def;
    if (!value)
        return true;
    uint32_t v = 0;
    const bool hex = value->size() > 2 && (*value)[0] == '0' && ((*value)[1] == 'x' || (*value)[1] == 'X');
    const char* begin = value->data() + 2;
    const char* end = value->data() + value->size();
    auto [ptr, ec] = std::from_chars(begin, end, v, 16);
    const size_t digits = value->size() - 2;
    if (!hex || ec != std::errc() || ptr != end || (digits != 6 && digits != 8))
        return Fail(std::string(key) + "=" + *value + " is not 0xRRGGBB or 0xAARRGGBB");
    out = digits == 6 ? (0xFF000000u | v) : v;
    return true;
}

bool RecipeParams::List(std::string_view key, std::vector<std::string>& out)
{
    out.clear();
    const std::string* value = Take(key);
    if (!value)
        return true;
    size_t start = 0;
    while (start <= value->size()) {
        const size_t comma = value->find(',', start);
        const std::string word
            = value->substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (word.empty())
            return Fail(std::string(key) + "=" + *value + " has an empty item");
        out.push_back(word);
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return true;
}

bool RecipeParams::Finish()
{
    if (!m_error.empty())
        return false;
    for (size_t i = 0; i < m_taken.size(); ++i) {
        if (!m_taken[i])
            return Fail("recipe '" + m_recipe.name + "' has no key '" + m_recipe.params[i].first + "'");
    }
    return true;
}

} // namespace zoq::tools::mkdata
