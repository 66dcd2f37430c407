// Recipe files, data/recipes/<producer>.txt: one line per procedural file,
//
//   <Windows path> <recipe> [key=value ...]      # comment
//
// for example "Data\Textures\rock.tm dxt5 pattern=noise size=256x256". Each producer documents
// its recipes and their keys; a key a recipe does not know is an error.
#pragma once

#include "tools/mkdata/data_set.h"
#include "tools/mkdata/sources.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zoq::tools::mkdata {

struct Recipe {
    Origin origin;
    std::string path; // Windows-1251
    std::string name; // the recipe
    std::vector<std::pair<std::string, std::string>> params; // UTF-8, in line order
};

// Every line of recipes/<producer>.txt; a missing file is no recipe.
bool ReadRecipes(
    const SourceTree& tree, std::string_view producer, std::vector<Recipe>& out, std::string& error);

// The keys of one recipe line, each taken at most once; Finish() refuses the keys left over.
class RecipeParams {
public:
    explicit RecipeParams(const Recipe& recipe);

    bool Has(std::string_view key) const;
    // The text (UTF-8), or def.
    std::string Text(std::string_view key, std::string_view def);
    // One of the choices, or def.
    bool Choice(std::string_view key, const std::vector<std::string_view>& choices, std::string_view def,
        std::string& out);
    bool Int(std::string_view key, int64_t def, int64_t min, int64_t max, int64_t& out);
    bool Float(std::string_view key, double def, double min, double max, double& out);
    // "WxH" with each side in [min, max].
    bool Size(std::string_view key, uint32_t defW, uint32_t defH, uint32_t min, uint32_t max, uint32_t& w,
        uint32_t& h);
    // 0xRRGGBB or 0xAARRGGBB (alpha 255 when not given).
    bool Color(std::string_view key, uint32_t def, uint32_t& out);
    // Comma-separated words.
    bool List(std::string_view key, std::vector<std::string>& out);
    bool Finish();

    const std::string& Error() const { return m_error; }
    bool Fail(const std::string& what);

private:
    const std::string* Take(std::string_view key);

    const Recipe& m_recipe;
    std::vector<bool> m_taken;
    std::string m_error;
};

} // namespace zoq::tools::mkdata
