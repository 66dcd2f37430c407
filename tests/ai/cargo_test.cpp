// The cargo hold: merging, the no-merge goods, removal across items and the queries.
#include "tests/ai/machine_fixture.h"

#include <stdexcept>

namespace {

class CargoTest : public MachineTest {
protected:
    void SetUp() override
    {
        MachineTest::SetUp();
        LoadTables("");
    }

    static std::vector<std::pair<int32_t, float>> Contents(const CGarbage& hold)
    {
        std::vector<std::pair<int32_t, float>> out;
        for (const CargoItem& item : hold.items)
            out.push_back({ item.count, item.price });
        return out;
    }
};

TEST_F(CargoTest, AddingMergesByPriceClass)
{
    using Contents_t = std::vector<std::pair<int32_t, float>>;
    CGarbage hold;
    hold.AddGoods("TOV_A", 10, 15.0f, CargoItem::kGoods);
    hold.AddGoods("TOV_A", 10, 5.0f, CargoItem::kGoods);
    EXPECT_EQ(Contents(hold), (Contents_t { { 20, 10.0f } }));
    hold.AddGoods("TOV_A", 4, 0.0f, CargoItem::kGoods); // picked up: an item of its own
    hold.AddGoods("TOV_A", 1, 0.0f, CargoItem::kGoods);
    EXPECT_EQ(Contents(hold), (Contents_t { { 20, 10.0f }, { 5, 0.0f } }));
    hold.AddGoods("TOV_NOMERGE", 1, 3.0f, CargoItem::kGoods);
    hold.AddGoods("TOV_NOMERGE", 1, 3.0f, CargoItem::kGoods);
    ASSERT_EQ(hold.items.Count(), 4);
    EXPECT_EQ(hold.items.At(3).kind, CargoItem::kUnmerged);
    hold.AddGoods("CAPTIVE", 1, 0.0f, CargoItem::kCaptured);
    EXPECT_EQ(hold.items.At(4).kind, CargoItem::kCaptured);
}

TEST_F(CargoTest, UnknownGoodsAreLoggedAndThrown)
{
    CGarbage hold;
    EXPECT_THROW(hold.AddGoods("TOV_NONE", 1, 1.0f, CargoItem::kGoods), std::runtime_error);
    EXPECT_EQ(hold.items.Count(), 0);
    EXPECT_EQ(LogCount("CGarbage::AddGoods unknown goods 'TOV_NONE'"), 1);
}

TEST_F(CargoTest, CountsOfZeroOrBelowChangeNothingButMoneyTakesAny)
{
    CGarbage hold;
    hold.AddGoods("TOV_A", 5, 2.0f, CargoItem::kGoods);
    for (int32_t count : { 0, -5 }) {
        SCOPED_TRACE(count);
        hold.AddGoods("TOV_A", count, 2.0f, CargoItem::kGoods);
        hold.AddGoods("TOV_A", count, 2.0f, CargoItem::kUnmerged);
        hold.AddGoods("CAPTIVE", count, 0.0f, CargoItem::kCaptured);
        hold.RemoveGoods("TOV_A", count);
        EXPECT_EQ(Contents(hold), (std::vector<std::pair<int32_t, float>> { { 5, 2.0f } }));
    }
    hold.AddGoods("", 100, 0.0f, CargoItem::kBulk);
    hold.AddGoods("", -30, 0.0f, CargoItem::kBulk);
    EXPECT_FLOAT_EQ(hold.bulkAmount, 70.0f);
}

TEST_F(CargoTest, RemovingWalksItemsOfTheNameInOrder)
{
    struct Case {
        const char* name;
        int32_t remove;
        std::vector<int32_t> left;
    };
    const Case cases[] = {
        { "part of the first", 4, { 6, 10, 3 } },
        { "across two", 15, { 5, 3 } },
        { "exactly all", 20, { 3 } },
        { "more than there is", 25, { 3 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CGarbage hold;
        hold.AddGoods("TOV_A", 10, 1.0f, CargoItem::kGoods);
        hold.AddGoods("TOV_A", 10, 0.0f, CargoItem::kGoods);
        hold.AddGoods("CAPTIVE", 3, 0.0f, CargoItem::kCaptured);
        hold.RemoveGoods("TOV_A", c.remove);
        std::vector<int32_t> left;
        for (const CargoItem& item : hold.items)
            left.push_back(item.count);
        EXPECT_EQ(left, c.left);
    }
    CGarbage hold;
    hold.AddGoods("CAPTIVE", 1, 0.0f, CargoItem::kCaptured);
    hold.RemoveGoods("CAPTIVE", 1);
    EXPECT_EQ(hold.items.Count(), 0);
}

TEST_F(CargoTest, QueriesCountByKindAndExactName)
{
    CGarbage hold;
    EXPECT_FALSE(hold.HasGoods("TOV_A", CargoItem::kGoods, 1));
    EXPECT_FALSE(hold.HasCaptured(nullptr, 0));
    hold.AddGoods("TOV_A", 3, 1.0f, CargoItem::kGoods);
    hold.AddGoods("TOV_A", 2, 0.0f, CargoItem::kGoods);
    hold.AddGoods("TOV_NOMERGE", 7, 0.0f, CargoItem::kGoods);
    hold.AddGoods("CAPTIVE", 1, 0.0f, CargoItem::kCaptured);
    hold.AddGoods("OTHER", 1, 0.0f, CargoItem::kCaptured);
    EXPECT_TRUE(hold.HasGoods("TOV_A", CargoItem::kGoods, 5));
    EXPECT_FALSE(hold.HasGoods("TOV_A", CargoItem::kGoods, 6));
    EXPECT_FALSE(hold.HasGoods("TOV_NOMERGE", CargoItem::kGoods, 1));
    EXPECT_TRUE(hold.HasGoods("TOV_NOMERGE", CargoItem::kUnmerged, 7));
    EXPECT_FALSE(hold.HasGoods("TOV_", CargoItem::kGoods, 1));
    EXPECT_TRUE(hold.HasCaptured("CAPTIVE", 0));
    EXPECT_FALSE(hold.HasCaptured("CAPT", 0));
    EXPECT_TRUE(hold.HasCaptured(nullptr, 2));
    EXPECT_FALSE(hold.HasCaptured(nullptr, 3));
    EXPECT_FALSE(hold.HasCaptured(nullptr, 0));
}

} // namespace
