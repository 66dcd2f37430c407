// The interface producer: what the in-game screen and the mark-up texts show. Its sources sit
// under data/interface/; its pictures are recipes (recipes/interface.txt) of the render
// producer's texture and image kinds.
//
// The texts of the text table (scripts/texts.txt) name pictures with <image:NAME>: each is the
// file "Data\Images\NAME", which the mark-up window opens from disk.
#include "tools/mkdata/producers.h"
#include "ui/CMHTLWindow_local.h"

namespace zoq::tools::mkdata {
namespace {

constexpr std::string_view kImageTag = "image:";

bool ReferTextPictures(ProducerContext& context, std::string& error)
{
    TableEntry entry;
    if (!LoadTableSource(context.sources, "scripts/texts.txt", entry, error))
        return false;
    for (size_t r = 0; r < entry.table.records.size(); ++r) {
        for (const char* field : { "TEXT", "ABOUT" }) {
            const std::string text = entry.Value(r, field);
            const Origin origin { entry.origin.file, entry.ValueLine(r, field) };
            mhtl::ForEachToken(text, [&](std::string_view token, bool bracketed) {
                if (bracketed && token.substr(0, kImageTag.size()) == kImageTag)
                    context.set.AddReference({ "Data\\Images\\" + std::string(token.substr(kImageTag.size())),
                        origin, Access::Disk, 0 });
            });
        }
    }
    return true;
}

} // namespace

bool ProduceInterface(ProducerContext& context, std::string& error)
{
    if (!ReferTextPictures(context, error))
        return false;
    std::vector<Recipe> recipes;
    if (!ReadRecipes(context.sources, "interface", recipes, error))
        return false;
    for (const Recipe& recipe : recipes) {
        if (!AddPictureRecipe(context, recipe, error)) {
            if (error.empty())
                error = recipe.origin.Where() + ": unknown recipe '" + recipe.name
                    + "' (interface makes: argb, xrgb, dxt5, png, tga, jpeg, dds)";
            return false;
        }
    }
    return true;
}

} // namespace zoq::tools::mkdata
