#include "tests/support/text_table.h"

#include "tools/data/db_writer.h"
#include "tools/data/table_source.h"

namespace zoq::test {

bool WriteTextTable(const std::filesystem::path& root, std::string_view records, std::string& error)
{
    const std::string source = "@table INFORMATION\n@field NAME text\n@field TEXT text\n@field ABOUT text\n"
                               "@field DELETED int\n"
        + std::string(records);
    tools::data::TableSource table;
    if (!tools::data::ParseTableSource(source, "texts.txt", "INFORMATION", table, error))
        return false;
    tools::data::DbImage image;
    if (!tools::data::BuildDatabase({ table }, image, error))
        return false;
    std::filesystem::create_directories(root / "SCRIPT");
    return tools::data::WriteDatabase(root / "SCRIPT" / "Quest.dat", image, error);
}

} // namespace zoq::test
