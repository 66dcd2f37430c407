// The interface producer: what the in-game screen and the mark-up texts show. Its sources sit
// under data/interface/; its pictures are recipes (recipes/interface.txt) of the render
// producer's texture and image kinds.
//
// The texts of the text table (scripts/texts.txt) name pictures with <image:NAME>: each is the
// file "Data\Images\NAME", which the mark-up window opens from disk.
#include "tools/mkdata/interface_atlas.h"
#include "tools/mkdata/pictures.h"
#include "tools/mkdata/producers.h"
#include "tools/texture/font_file.h"
#include "ui/CMHTLWindow_local.h"

#include <functional>

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

// The cockpit's pictures: "atlas" paints the pieces of an atlas source (pieces=<file under
// data/>), "cells" a grid of numbered cells (size, cell, numbering=column|row, color, color2),
// "rows" one word a row (size=<width>x<row height>, words=<w1,w2,...>), "labels" a sheet of
// animation rows with one labelled column a word (cell, rows, words, color, color2); all as
// 32-bit DDS, or PNG for a path ending in ".png".
bool AddCockpitRecipe(ProducerContext& context, const Recipe& recipe, bool& taken, std::string& error)
{
    taken = recipe.name == "atlas" || recipe.name == "cells" || recipe.name == "rows"
        || recipe.name == "labels";
    if (!taken)
        return true;
    RecipeParams params(recipe);
    std::function<bool(Picture&, std::string&)> paint;
    if (recipe.name == "atlas") {
        const std::string file = params.Text("pieces", "");
        std::string text;
        if (!params.Finish() || !context.sources.ReadFile(file, text, error)) {
            error = error.empty() ? params.Error() : error;
            return false;
        }
        AtlasSource source;
        if (!ParseAtlasSource(text, context.sources.Shown(file), source, error))
            return false;
        paint = [source](Picture& out, std::string&) {
            out = PaintAtlas(source);
            return true;
        };
    } else if (recipe.name == "cells") {
        uint32_t w = 0, h = 0, cellW = 0, cellH = 0, fill = 0, ink = 0;
        std::string numbering;
        if (!params.Size("size", 256, 256, 8, 2048, w, h)
            || !params.Size("cell", 32, 32, 8, 256, cellW, cellH)
            || !params.Choice("numbering", { "column", "row" }, "column", numbering)
            || !params.Color("color", 0xFF303840u, fill) || !params.Color("color2", 0xFFFFFFFFu, ink)
            || !params.Finish()) {
            error = params.Error();
            return false;
        }
        paint = [=](Picture& out, std::string& why) {
            return PaintCells(w, h, cellW, cellH, numbering == "row", fill, ink, out, why);
        };
    } else if (recipe.name == "labels") {
        uint32_t cellW = 0, cellH = 0, fill = 0, ink = 0;
        int64_t rows = 0;
        std::vector<std::string> words;
        if (!params.Size("cell", 180, 50, 8, 512, cellW, cellH) || !params.Int("rows", 1, 1, 64, rows)
            || !params.List("words", words) || words.empty() || !params.Color("color", 0xFF405060u, fill)
            || !params.Color("color2", 0xFFFFFFFFu, ink) || !params.Finish()) {
            error = params.Error().empty() ? recipe.origin.Where() + ": labels needs words" : params.Error();
            return false;
        }
        paint = [=](Picture& out, std::string& why) {
            return PaintLabels(cellW, cellH, uint32_t(rows), words, fill, ink, out, why);
        };
    } else {
        uint32_t w = 0, rowHeight = 0;
        std::vector<std::string> words;
        if (!params.Size("size", 256, 30, 8, 2048, w, rowHeight) || !params.List("words", words)
            || words.empty() || !params.Finish()) {
            error = params.Error().empty() ? recipe.origin.Where() + ": rows needs words" : params.Error();
            return false;
        }
        paint = [=](Picture& out, std::string& why) { return PaintRows(w, rowHeight, words, out, why); };
    }
    DataFile& file = context.set.AddFile(recipe.path, recipe.origin, true);
    const bool png = recipe.path.ends_with(".png");
    file.make = [paint, png](Bytes& out, std::string& why) {
        Picture picture;
        if (!paint(picture, why))
            return false;
        if (png)
            return EncodePng(picture, out, why);
        out = texture::EncodeDds32(picture);
        return !out.empty();
    };
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
        bool cockpit = false;
        if (!AddCockpitRecipe(context, recipe, cockpit, error))
            return false;
        if (!cockpit && !AddPictureRecipe(context, recipe, error)) {
            if (error.empty())
                error = recipe.origin.Where() + ": unknown recipe '" + recipe.name
                    + "' (interface makes: atlas, cells, rows, argb, xrgb, dxt5, png, tga, jpeg, dds)";
            return false;
        }
    }
    return true;
}

} // namespace zoq::tools::mkdata
