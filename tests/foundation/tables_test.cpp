#include "tests/support/error_log_test.h"
#include "tests/support/le_bytes.h"

#include "foundation/XList.h"
#include "foundation/XMemBuffer.h"
#include "foundation/XRangeError.h"
#include "foundation/XStaticFIFO.h"
#include "foundation/XStringTable.h"

#include <cstring>
#include <functional>
#include <memory>
#include <vector>

using zoq::test::ErrorLogTest;

namespace {

void FillTable(XStringTable& table)
{
    table.Init(8, 64);
    for (const char* name : { "TEX_INT_CURSOR", "INT_OK", "", "SND_INT_MONEY" })
        table.Add(name);
}

TEST(XStringTable, writeThenReadShouldFindEveryNameAtItsIndex)
{
    XStringTable table;
    EXPECT_EQ(table.Find("INT_OK"), -1);
    FillTable(table);

    XMemBuffer stream(16);
    stream.WriteValue(uint32_t(0xABCDEF01)); // data before the table
    table.Write(stream);
    int end = stream.Position();
    stream.SetPosition(4);

    XStringTable copy;
    copy.Read(stream);
    EXPECT_EQ(stream.Position(), end);
    EXPECT_EQ(copy.Count(), 4);
    EXPECT_EQ(copy.Capacity(), 8);
    EXPECT_EQ(copy.BufferSize(), 64u);
    for (int i = 0; i < table.Count(); ++i)
        EXPECT_EQ(copy.Find(table.GetString(i)), i);
    EXPECT_EQ(copy.GetString(-1), nullptr);
    EXPECT_STREQ(copy.GetStringOrDefault(-1), "_DEFAULT_");
    EXPECT_STREQ(copy.GetStringOrDefault(1), "INT_OK");
    EXPECT_THROW(copy.GetString(4), XRangeError);
}

TEST(XStringTable, deleteGrowAndAddShouldKeepTheOtherNames)
{
    XStringTable table;
    FillTable(table);
    table.Delete(1);
    EXPECT_EQ(table.Count(), 3);
    EXPECT_EQ(table.Find("INT_OK"), -1);
    EXPECT_EQ(table.Find("TEX_INT_CURSOR"), 0);
    EXPECT_EQ(table.Find(""), 1);
    EXPECT_EQ(table.Find("SND_INT_MONEY"), 2);
    EXPECT_EQ(table.UsedBytes(), 15u + 1u + 14u);
    EXPECT_THROW(table.Delete(3), XRangeError);

    // The ID log's growth: one more line and the text's length + 1.
    XStringTable log;
    log.Init(2, 3);
    log.Add("A");
    log.Add("");
    EXPECT_THROW(log.Add("B"), XRangeError);
    log.Grow(1, 6);
    EXPECT_EQ(log.Capacity(), 3);
    EXPECT_EQ(log.BufferSize(), 9u);
    log.Add("tex01");
    EXPECT_EQ(log.Find("A"), 0);
    EXPECT_EQ(log.Find("tex01"), 2);
    EXPECT_EQ(log.UsedBytes(), 9u);

    // A text past the buffer grows the buffer instead of overflowing it.
    log.Grow(1, 0);
    log.Add(std::string(100, 'n').c_str());
    EXPECT_GE(log.BufferSize(), 110u);
    EXPECT_EQ(log.Find(std::string(100, 'n').c_str()), 3);
    EXPECT_EQ(log.Find("tex01"), 2);
}

// The stream of one name "AB" in a 4-byte buffer with capacity 2, as fields that a case changes.
struct StreamFields {
    uint32_t bufferSize = 4;
    uint32_t used = 3;
    uint32_t count = 1;
    char text[3] = { 'A', 'B', 0 };
    uint32_t capacity = 2;
    uint32_t offsets[2] = { 0, 0 };
};

std::vector<uint8_t> Stream(const std::function<void(StreamFields&)>& change)
{
    StreamFields f;
    change(f);
    Bytes bytes = zoq::test::LeBytes(f.bufferSize, f.used, f.count);
    bytes.insert(bytes.end(), f.text, f.text + 3);
    const Bytes tail = zoq::test::LeBytes(f.capacity, f.offsets[0], f.offsets[1]);
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    return bytes;
}

using XStringTableReadTest = ErrorLogTest;

TEST_F(XStringTableReadTest, corruptStreamsShouldThrowAndLeaveTheTable)
{
    struct Case {
        const char* what;
        std::function<void(StreamFields&)> change;
        std::size_t cut = 0;
    };
    const Case cases[] = {
        { "used above buffer size", [](StreamFields& f) { f.bufferSize = 2; } },
        { "used past the stream", [](StreamFields& f) { f.used = 300; } },
        { "count above capacity", [](StreamFields& f) { f.count = 3; } },
        { "negative count", [](StreamFields& f) { f.count = 0xFFFFFFFF; } },
        { "offset past used", [](StreamFields& f) { f.offsets[0] = 3; } },
        { "text not terminated", [](StreamFields& f) { f.text[2] = 'C'; } },
        { "capacity past the stream", [](StreamFields& f) { f.capacity = 1000; } },
        { "huge buffer size", [](StreamFields& f) { f.bufferSize = 0xFFFFFFF0; } },
        { "truncated offsets", [](StreamFields&) {}, 4 },
        { "truncated header", [](StreamFields&) {}, 20 },
    };
    for (const auto& c : cases) {
        XStringTable table;
        FillTable(table);
        std::vector<uint8_t> bytes = Stream(c.change);
        bytes.resize(bytes.size() - c.cut);
        XMemBuffer stream;
        stream.Attach(bytes.data(), int(bytes.size()));
        EXPECT_THROW(table.Read(stream), XRangeError) << c.what;
        EXPECT_EQ(stream.Position(), 0) << c.what;
        EXPECT_EQ(table.Count(), 4) << c.what;
        EXPECT_EQ(table.Find("SND_INT_MONEY"), 3) << c.what;
    }
    auto lines = LogLines();
    ASSERT_EQ(lines.size(), std::size(cases));
    for (const auto& line : lines)
        EXPECT_TRUE(line.ends_with("XStringTable::Read corrupt stream"));

    // The unchanged stream reads.
    std::vector<uint8_t> bytes = Stream([](StreamFields&) {});
    XMemBuffer stream;
    stream.Attach(bytes.data(), int(bytes.size()));
    XStringTable table;
    table.Read(stream);
    EXPECT_STREQ(table.GetString(0), "AB");
}

using XStaticFIFOTest = ErrorLogTest;

TEST_F(XStaticFIFOTest, shouldHoldNItemsAndLogEachFailure)
{
    XStaticFIFO<int, 20> stack;
    EXPECT_THROW(stack.Pop(), XRangeError);
    EXPECT_THROW(stack.Last(), XRangeError);
    for (int i = 0; i < 20; ++i)
        stack.Push(i);
    EXPECT_THROW(stack.Push(20), XRangeError);
    EXPECT_EQ(stack.Last(), 19);
    EXPECT_EQ(stack.Last(2), 17);
    EXPECT_THROW(stack.Last(20), XRangeError);
    EXPECT_EQ(stack.Pop(), 19);
    EXPECT_EQ(stack.Count(), 19);

    auto lines = LogLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(lines[0].ends_with("XStaticFIFO::Pop index is out of range"));
    EXPECT_TRUE(lines[1].ends_with("XStaticFIFO::Last stack is empty"));
    EXPECT_TRUE(lines[2].ends_with("XStaticFIFO::Push index is out of range"));
}

struct Item {
    explicit Item(int v, int* deaths = nullptr)
        : value(v)
        , deaths(deaths)
    {
    }
    ~Item()
    {
        if (deaths)
            ++*deaths;
    }
    int value;
    int* deaths;
};

std::vector<int> Values(XList<Item>& list)
{
    std::vector<int> values;
    list.First();
    while (Item* item = list.Next())
        values.push_back(item->value);
    return values;
}

TEST(XList, positionsRemoveAndClearShouldKeepTheChain)
{
    std::vector<std::unique_ptr<Item>> items;
    for (int v = 1; v <= 3; ++v)
        items.push_back(std::make_unique<Item>(v));
    Item* a = items[0].get();
    Item* b = items[1].get();
    Item* c = items[2].get();
    XList<Item> list;
    EXPECT_EQ(list.AddTail(a), 0);
    EXPECT_EQ(list.AddTail(b), 1);
    EXPECT_EQ(list.AddTail(c), 2);
    EXPECT_EQ(list.IndexOf(c), 2);
    EXPECT_TRUE(list.Remove(b));
    EXPECT_FALSE(list.Remove(b));
    EXPECT_EQ(list.IndexOf(b), -1);
    EXPECT_EQ(Values(list), (std::vector<int> { 1, 3 }));
    EXPECT_TRUE(list.Remove(c));
    EXPECT_EQ(list.Tail(), a);
    EXPECT_TRUE(list.Remove(a));
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(list.Head(), nullptr);
}

TEST(XList, deleteCurrentDuringAWalkShouldRemoveTheItemJustReturned)
{
    int deaths = 0;
    XList<Item> list(true);
    for (int v = 1; v <= 5; ++v)
        list.AddTail(new Item(v, &deaths));

    list.First();
    while (Item* item = list.Next()) {
        if (item->value % 2 == 0)
            list.DeleteCurrent();
    }
    EXPECT_EQ(deaths, 2);
    EXPECT_EQ(Values(list), (std::vector<int> { 1, 3, 5 }));

    // Past the end the tail goes.
    list.DeleteCurrent();
    EXPECT_EQ(Values(list), (std::vector<int> { 1, 3 }));
    EXPECT_EQ(deaths, 3);

    // Not owning: the item stays alive.
    list.SetOwnsItems(false);
    Item* first = list.Head();
    EXPECT_TRUE(list.Remove(first));
    EXPECT_EQ(deaths, 3);
    delete first;
    list.SetOwnsItems(true);
    list.Clear();
    EXPECT_EQ(deaths, 5);
    EXPECT_EQ(list.Count(), 0);
}

struct Throwing {
    ~Throwing() noexcept(false) { throw XRangeError(); }
};

class ThrowingList : public XList<Throwing> {
public:
    ThrowingList()
        : XList<Throwing>(true)
    {
    }
    ~ThrowingList() override { SetOwnsItems(false); }
    void DeleteItem(Throwing* item) override { delete item; }
};

using XListTraceTest = ErrorLogTest;

TEST_F(XListTraceTest, aFailingItemDestructorShouldNameDeleteCurrent)
{
    ThrowingList list;
    list.AddTail(new Throwing);
    list.AddTail(nullptr);
    list.First();
    list.Next();
    EXPECT_THROW(list.DeleteCurrent(), XRangeError);
    EXPECT_STREQ(CallTraceText(), "EXCEPTION:->XList::DeleteCurrent");
    EXPECT_EQ(list.Count(), 1);
}

TEST(XMemBuffer, writeShouldGrowByAQuarterAndSmallBuffersShouldNotHang)
{
    XMemBuffer buffer(100);
    std::vector<uint8_t> bytes(130, 0x5A);
    EXPECT_EQ(buffer.Write(bytes.data(), 110), 110);
    EXPECT_EQ(buffer.Capacity(), 125);
    EXPECT_EQ(buffer.Write(bytes.data(), 20), 20);
    EXPECT_EQ(buffer.Capacity(), 156);
    EXPECT_EQ(buffer.Position(), 130);
    EXPECT_EQ(buffer.Data()[129], 0x5A);

    for (int capacity : { 0, 1, 3 }) {
        XMemBuffer small(capacity);
        small.Write(bytes.data(), 40);
        EXPECT_GE(small.Capacity(), 40) << capacity;
        EXPECT_EQ(small.Data()[39], 0x5A);
    }

    XMemBuffer empty;
    empty.WriteValue(uint32_t(7));
    EXPECT_EQ(empty.Position(), 4);
}

TEST(XMemBuffer, reserveResetAndCheckedReadsShouldKeepPositionsRight)
{
    XMemBuffer buffer(4);
    buffer.WriteValue(int32_t(-5));
    int slot = buffer.Reserve(4);
    EXPECT_EQ(slot, 4);
    buffer.WriteValue(1.5f);
    uint32_t count = 2;
    std::memcpy(buffer.Data() + slot, &count, 4);
    EXPECT_EQ(buffer.Position(), 12);

    buffer.Rewind();
    EXPECT_EQ(buffer.ReadI32(), -5);
    EXPECT_EQ(buffer.ReadU32(), 2u);
    EXPECT_EQ(buffer.ReadF32(), 1.5f);
    int end = buffer.Capacity();
    buffer.SetPosition(end - 2);
    EXPECT_THROW(buffer.ReadU32(), XRangeError);
    EXPECT_EQ(buffer.Position(), end - 2);
    char two[2];
    buffer.Read(two, 2);
    EXPECT_THROW(buffer.Read(two, 1), XRangeError);

    buffer.Reset(3);
    EXPECT_EQ(buffer.Capacity(), 3);
    EXPECT_EQ(buffer.Position(), 0);
    EXPECT_THROW(buffer.ReadU32(), XRangeError);

    // An external buffer is read in place and copied away when written past its end.
    uint8_t outside[4] = { 1, 0, 0, 0 };
    buffer.Attach(outside, 4);
    EXPECT_EQ(buffer.ReadU32(), 1u);
    buffer.WriteValue(uint8_t(9));
    EXPECT_FALSE(buffer.IsExternal());
    EXPECT_EQ(buffer.Data()[4], 9);
    EXPECT_EQ(outside[0], 1);
}

} // namespace
