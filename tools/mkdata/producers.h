// The producers of the demo data, run in a fixed order. Each reads its own sources (its tables,
// its recipe file, its other files under data/) and fills the DataSet with files, table rows,
// the references its readers make and the rows they need. A producer never decides where a
// file is stored.
#pragma once

#include "tools/mkdata/data_set.h"
#include "tools/mkdata/recipes.h"
#include "tools/mkdata/sources.h"

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zoq::tools::mkdata {

struct ProducerContext {
    const SourceTree& sources;
    DataSet& set;
    std::vector<std::string> tablesRead; // table source files claimed so far
};

struct Producer {
    const char* name; // also its recipe file: recipes/<name>.txt
    bool (*run)(ProducerContext& context, std::string& error);
};

std::span<const Producer> Producers();

bool ProduceConfig(ProducerContext& context, std::string& error);
bool ProduceRender(ProducerContext& context, std::string& error);
bool ProduceWorld(ProducerContext& context, std::string& error);
bool ProduceAudio(ProducerContext& context, std::string& error);
bool ProduceScript(ProducerContext& context, std::string& error);
bool ProduceTerrain(ProducerContext& context, std::string& error);
bool ProduceRadar(ProducerContext& context, std::string& error);
bool ProduceInterface(ProducerContext& context, std::string& error);

// Shared steps of the producers.

// Loads tables/<file> for each file (in the given order) into the set.
bool LoadTables(ProducerContext& context, std::initializer_list<const char*> files, std::string& error);
// Every text value of `field` in `table` names a file that the game opens through `access`
// (chosen per value when `accessOf` is given) in a field of `fieldBytes` bytes.
void ReferFileField(ProducerContext& context, std::string_view table, std::string_view field,
    size_t fieldBytes, Access (*accessOf)(std::string_view path) = nullptr, Access access = Access::Disk);
// Needs each row of the list in the table.
void NeedRows(ProducerContext& context, std::string_view table, std::initializer_list<const char*> rows,
    std::string_view why);
// A texture (argb, xrgb, dxt5) or image (png, tga, jpeg, dds) recipe of the render producer's
// kinds; false with an empty error for any other recipe.
bool AddPictureRecipe(ProducerContext& context, const Recipe& recipe, std::string& error);
// The extension of a Windows path in lower case ("tm"), empty without one.
std::string Extension(std::string_view path);
// The serial of a stream that a file holds: derived from its path, so the output repeats.
int SerialFor(std::string_view path);

} // namespace zoq::tools::mkdata
