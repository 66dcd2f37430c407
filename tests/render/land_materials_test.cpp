// Land materials: the table's keys, their defaults, name look-ups and the GID search.
#include "tests/render/model_fixture.h"

#include "foundation/XRangeError.h"
#include "render/CLandMaterials.h"

namespace {

class LandMaterialsTest : public ModelTest {
protected:
    void SetUp() override
    {
        ModelTest::SetUp();
        Start();
        WriteModel("stone.mdl", Kind("stone"));
        Models({ { "MOD_A", "stone.mdl", "1" }, { "MOD_B", "stone.mdl", "1" } });
        AddTable(CP1251("Поверхности"),
            {
                { "GRASS",
                    { { "Name", "GRASS" }, { "GID", "5" }, { "Texture", "TEX_WIDE" },
                        { "TextureFull", "TEX_UNKNOWN" }, { "TextureDetail", "TEX_SAMPLECOLOR" },
                        { "Height", "0.3" }, { "SPECDETAIL", "1" }, { "DIFFBUMP", "2" }, { "Animated", "1" },
                        { "MODEL1", "MOD_B" }, { "FREQ1", "0.25" }, { "SCALE1", "2" }, { "TYPE1", "3" },
                        { "SCALE4", "0" }, { "MODEL:", "MOD_A" }, { "FREQ:", "7" }, { "IDHORIZONT", "SAND" },
                        { "SELFILLUM", "1" }, { "SI_PERIOD", "1.5" }, { "SI_FORCE", "0.25" } } },
                { "SAND",
                    { { "Name", "SAND" }, { "GID", "12" }, { "Height", "2" }, { "IDHORIZONT", "NOWHERE" } } },
                { "OLD", { { "Name", "OLD" }, { "GID", "7" }, { "Deleted", "1" } } },
                { "ROCK", { { "Name", "ROCK" }, { "GID", "5" }, { "MODEL10", "MOD_A" } } },
            });
        m_land = std::make_unique<CLandMaterials>();
        m_land->Init(CP1251("Поверхности"));
    }
    void TearDown() override
    {
        m_land.reset();
        ModelTest::TearDown();
    }
    std::unique_ptr<CLandMaterials> m_land;
};

TEST_F(LandMaterialsTest, rowsReadTheirKeysWithTheDefaults)
{
    ASSERT_EQ(m_land->GetMaterialCount(), 3);
    const SLandMaterial& grass = m_land->GetMaterial(0);
    EXPECT_STREQ(grass.name, "GRASS");
    EXPECT_EQ(grass.texture, m_textures->FindTexture("TEX_WIDE"));
    EXPECT_EQ(grass.textureFull, -1);
    EXPECT_EQ(grass.textureDetail, 0);
    EXPECT_EQ(grass.textureBump, -1);
    EXPECT_EQ(grass.height, 0.5f);
    EXPECT_TRUE(grass.specDetail);
    EXPECT_FALSE(grass.diffBump); // only 1 is true
    EXPECT_TRUE(grass.animated);
    EXPECT_EQ(grass.colour, 0xFF000000u);
    EXPECT_TRUE(grass.selfIllum);
    EXPECT_EQ(grass.selfIllumPeriod, 1.5f);
    EXPECT_EQ(grass.selfIllumForce, 0.25f);
    EXPECT_EQ(grass.layers[0].model, 1);
    EXPECT_EQ(grass.layers[0].frequency, 0.25f);
    EXPECT_EQ(grass.layers[0].scale, 2.0f);
    EXPECT_EQ(grass.layers[0].type, 3);
    EXPECT_EQ(grass.layers[3].scale, 1.0f);
    EXPECT_EQ(grass.layers[3].model, -1);
    EXPECT_EQ(grass.layers[9].model, 0); // "MODEL:" is the tenth layer
    EXPECT_EQ(grass.layers[9].frequency, 7.0f);
    EXPECT_EQ(m_land->GetMaterial(1).height, 2.0f);
    EXPECT_EQ(m_land->GetMaterial(2).layers[9].model, -1); // "MODEL10" is no key of the table
    EXPECT_EQ(m_land->GetMaxGID(), 12);
    EXPECT_THROW(m_land->GetMaterial(3), XRangeError);
    EXPECT_EQ(&m_land->GetLayer(1), &m_land->GetMaterial(1));
}

TEST_F(LandMaterialsTest, horizonNamesAnyRowOfTheTable)
{
    EXPECT_EQ(m_land->GetMaterial(0).horizon, 1); // a later row
    EXPECT_EQ(m_land->GetMaterial(1).horizon, -1); // no such row
    EXPECT_EQ(m_land->GetMaterial(2).horizon, -1); // none named
}

TEST_F(LandMaterialsTest, gidSearchUsesTheLowFifteenBits)
{
    bool high = false;
    EXPECT_EQ(m_land->FindByGID(0x8005, &high), 0); // the first row of GID 5
    EXPECT_TRUE(high);
    EXPECT_EQ(m_land->GetRecord(12, &high), 1);
    EXPECT_FALSE(high);
    EXPECT_EQ(m_land->FindByGID(7), -1); // deleted row
    EXPECT_EQ(m_land->FindByGID(0xFFFF), -1);
}

} // namespace
