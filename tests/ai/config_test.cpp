// The configuration table: names to indices, fallbacks, equipment fields and row order.
#include "tests/ai/machine_fixture.h"

#include "world/db/CEquipmentManager.h"
#include "world/db/CGunManager.h"

namespace {

class ConfigTest : public MachineTest { };

int32_t Index(const SItemRecord& item)
{
    return int32_t(item.words[0]);
}

TEST_F(ConfigTest, MissingItemsFallBackOrGoEmpty)
{
    struct Row {
        const char* field;
        SItemRecord FerrovantConfig::*item;
        const char* logged;
        int32_t expected;
    };
    const Row rows[] = {
        { "GLIDER", &FerrovantConfig::glider, "Глайдер 'GL_NONE' из конфигурации 'CFG_T' не обнаружен", 0 },
        { "ENGINE", &FerrovantConfig::engine, "Движок 'GL_NONE' из конфигурации 'CFG_T' не обнаружен", 0 },
        { "REACTOR", &FerrovantConfig::reactor, "Реактор 'GL_NONE' из конфигурации 'CFG_T' не обнаружен", 0 },
        { "LIGHTGUN1", &FerrovantConfig::lightGun, nullptr, -1 },
        { "HEAVYGUN1", &FerrovantConfig::heavyGun, nullptr, -1 },
        { "ROCKETGUN", &FerrovantConfig::rocketGun, nullptr, -1 },
        { "SHIELD", &FerrovantConfig::shield, nullptr, -1 },
        { "ARMOR", &FerrovantConfig::armour, nullptr, -1 },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.field);
        const int before = LogCount("");
        std::string text = "[CFG_T]\nNAME=CFG_T\n";
        for (const auto& [field, value] :
            { std::pair { "GLIDER", "GL_B" }, { "REACTOR", "EQP_REACTOR" }, { "ENGINE", "EQP_ENGINE" } }) {
            if (std::string(field) != row.field)
                text += std::string(field) + "=" + value + "\n";
        }
        LoadTables(text + row.field + "=GL_NONE\n");
        const FerrovantConfig& config = FerrovantConfigList.Get(0);
        EXPECT_EQ(Index(config.*row.item), row.expected);
        EXPECT_EQ(LogCount(""), before + (row.logged ? 1 : 0));
        if (row.logged) {
            EXPECT_EQ(LogCount(row.logged), 1);
        }
    }
}

TEST_F(ConfigTest, ItemsResolveInTheirTablesAndAmmunitionKeepsItsName)
{
    LoadTables(FullRow("CFG_A"));
    ASSERT_EQ(FerrovantConfigList.Count(), 1);
    const FerrovantConfig& config = FerrovantConfigList.Get(0);
    EXPECT_STREQ(config.name, "CFG_A");
    EXPECT_EQ(config.rating, 3);
    EXPECT_EQ(Index(config.glider), 0);
    EXPECT_EQ(Index(config.lightGun), 0);
    EXPECT_EQ(Index(config.heavyGun), 1);
    EXPECT_EQ(Index(config.rocketGun), -1);
    EXPECT_EQ(Index(config.reactor), g_EquipmentManager.FindRow("EQP_REACTOR"));
    EXPECT_EQ(Index(config.armour), g_EquipmentManager.FindRow("EQP_ARMOR"));
    EXPECT_STREQ(ItemName(config.bomb1), "MIS_BOMB");
    EXPECT_EQ(config.numBomb1, 4);
    EXPECT_EQ(config.itemCount, 0);
    EXPECT_EQ(LogCount(""), 0);
}

TEST_F(ConfigTest, EquipmentFieldsOfOneAddImagesInFieldOrder)
{
    std::string all;
    for (const char* field : CFerrovantConfigList::kEquipmentFields)
        all += std::string(field) + "=1\n";
    LoadTables(FullRow("CFG_TWO", "EQP_BOOSTER=2\nEQP_MOBILIZER=-1\n") + FullRow("CFG_ALL", all));
    EXPECT_EQ(FerrovantConfigList.Get(0).itemCount, 0);
    const FerrovantConfig& config = FerrovantConfigList.Get(1);
    ASSERT_EQ(config.itemCount, 16);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(Index(config.items[i].item),
            g_EquipmentManager.FindRow(CFerrovantConfigList::kEquipmentFields[i]));
    EXPECT_EQ(Index(config.items[16].item), 0);
}

TEST_F(ConfigTest, DeletedRowsShiftTheOthers)
{
    LoadTables(FullRow("CFG_A") + "[CFG_GONE]\nDeleted=1\n" + FullRow("CFG_B"));
    ASSERT_EQ(FerrovantConfigList.Count(), 2);
    EXPECT_EQ(FerrovantConfigList.Find("CFG_GONE"), -1);
    EXPECT_EQ(FerrovantConfigList.Find("CFG_A"), 0);
    EXPECT_EQ(FerrovantConfigList.Find("CFG_B"), 1);
    EXPECT_STREQ(FerrovantConfigList.Get(1).name, "CFG_B");
    EXPECT_THROW(FerrovantConfigList.Get(2), XRangeError);
}

TEST_F(ConfigTest, LongTextsAreCutWithOneLineNamingTheRow)
{
    const std::string longName(200, 'N');
    const std::string longItem(40, 'I');
    LoadTables("[CFG_LONG]\nNAME=" + longName
        + "\nGLIDER=GL_A\nREACTOR=EQP_REACTOR\nENGINE=EQP_ENGINE\nBOMB2=" + longItem + "\n");
    const FerrovantConfig& config = FerrovantConfigList.Get(0);
    EXPECT_EQ(std::string(config.name), longName.substr(0, 127));
    EXPECT_EQ(std::string(ItemName(config.bomb2)), longItem.substr(0, 31));
    EXPECT_EQ(LogCount("CFG_LONG"), 1);
    EXPECT_EQ(LogCount(""), 1);
}

TEST_F(ConfigTest, AnEmptyTableGivesNoConfigurations)
{
    LoadTables("");
    EXPECT_EQ(FerrovantConfigList.Count(), 0);
}

} // namespace
