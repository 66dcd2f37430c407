// The terrain producer: the map file of every location (data/maps/<name>.txt, a map recipe as
// tools/map/map_recipe.h describes it, gives "<name>.zjp" at the base directory's root, beside
// the objects file). The textures and the horizon model that a map names must be rows of
// "Текстуры" and "Модели", and its land material codes GIDs of "Поверхности".
#include "foundation/ByteOrder.h"
#include "platform/win/text.h"
#include "tools/map/map_recipe.h"
#include "tools/mkdata/producers.h"

#include <set>

namespace zoq::tools::mkdata {
namespace {

// The GIDs of the land materials.
std::set<int32_t> MaterialIds(const ProducerContext& context)
{
    std::set<int32_t> ids;
    if (const TableEntry* surfaces = context.set.FindTable(CP1251("Поверхности")))
        for (size_t r = 0; r < surfaces->table.records.size(); ++r) {
            const std::string value = surfaces->Value(r, "GID");
            if (!surfaces->Deleted(r) && value.size() == 4)
                ids.insert(LoadLE<int32_t>(value.data()));
        }
    return ids;
}

bool ProduceMap(ProducerContext& context, const std::string& name, std::string& error)
{
    const std::string relative = "maps/" + name;
    std::string text;
    if (!context.sources.ReadFile(relative, text, error))
        return false;
    const Origin origin = context.sources.At(relative, 1);
    map::LocationMap location;
    try {
        const map::MapRecipe recipe = map::ParseRecipe(text);
        location = map::BuildMap(recipe);
        const std::set<int32_t> materials = MaterialIds(context);
        for (const map::MaterialRule& rule : recipe.materials)
            if (!materials.count(rule.code & 0x7FFF))
                throw map::RecipeError(
                    rule.line, "material " + std::to_string(rule.code) + " is no GID of 'Поверхности'");
    } catch (const map::RecipeError& e) {
        error = context.sources.At(relative, e.line).Where() + ": " + e.what();
        return false;
    }
    const std::string why = "named by " + origin.file;
    std::set<std::string> textures;
    for (const map::SurfaceRecord& surface : location.surfaces)
        textures.insert({ surface.texture1, surface.texture2 });
    for (const map::WeatherRecord& w : location.weather)
        textures.insert({ w.sky1, w.sky2, w.cloud1, w.cloud2, w.sun, w.moon });
    textures.erase("");
    for (const std::string& texture : textures)
        context.set.NeedRow(CP1251("Текстуры"), texture, why);
    if (!location.horizon.empty())
        context.set.NeedRow(CP1251("Модели"), location.horizon, why);

    std::string stem;
    if (!ToCp1251(name.substr(0, name.size() - 4), stem)) {
        error = origin.Where() + ": the file name has a character without a Windows-1251 byte";
        return false;
    }
    DataFile& file = context.set.AddFile(stem + ".zjp", origin, false);
    file.make = [location = std::move(location)](Bytes& out, std::string& why) {
        try {
            out = map::WriteMap(location);
        } catch (const std::invalid_argument& e) {
            why = e.what();
            return false;
        }
        return true;
    };
    context.set.AddReference({ file.path, origin, Access::FileLayer, 0 });
    return true;
}

} // namespace

bool ProduceTerrain(ProducerContext& context, std::string& error)
{
    for (const std::string& name : context.sources.List("maps", ".txt"))
        if (!ProduceMap(context, name, error))
            return false;
    return true;
}

} // namespace zoq::tools::mkdata
