// The radar producer: the radar map of every location ("<name>.mmm" beside "<name>.zjp"),
// painted from the map that the terrain producer builds from the same recipe.
#include "platform/win/text.h"
#include "tools/map/map_recipe.h"
#include "tools/mkdata/producers.h"
#include "tools/radar/radar_writer.h"

#include <stdexcept>

namespace zoq::tools::mkdata {

bool ProduceRadar(ProducerContext& context, std::string& error)
{
    for (const std::string& name : context.sources.List("maps", ".txt")) {
        const std::string relative = "maps/" + name;
        std::string text;
        if (!context.sources.ReadFile(relative, text, error))
            return false;
        std::string stem;
        if (!ToCp1251(name.substr(0, name.size() - 4), stem)) {
            error = context.sources.At(relative, 1).Where()
                + ": the file name has a character without a Windows-1251 byte";
            return false;
        }
        DataFile& file = context.set.AddFile(stem + ".mmm", context.sources.At(relative, 1), false);
        file.make = [text = std::move(text)](Bytes& out, std::string& why) {
            try {
                out = radar::WriteRadarMap(radar::PaintLocation(map::BuildMap(map::ParseRecipe(text))));
            } catch (const std::exception& e) {
                why = e.what();
                return false;
            }
            return true;
        };
        context.set.AddReference({ file.path, file.origin, Access::FileLayer, 0 });
    }
    return true;
}

} // namespace zoq::tools::mkdata
