#include "foundation/XMemBuffer.h"
#include "tests/world/objects/object_list_fixture.h"
#include "world/objects/CTheThing.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

namespace {

using zoq::test::ObjectListTest;
using zoq::test::Probe;

class ObjectListSaveTest : public ObjectListTest {
protected:
    // The location as its files make it: two named saved objects, an unsaved one, three points.
    void MakeLocation()
    {
        ObjectList.Clear();
        rock = Add(new Probe, [](Probe& p) {
            p.Name("ROCK");
            p.type = 3;
            p.saved = 1;
        });
        house = Add(new Probe, [](Probe& p) {
            p.Name("HOUSE");
            p.type = 11;
            p.saved = 1;
            p.visible = 1;
        });
        Add(new Probe, [](Probe& p) { p.Name("UNSAVED"); });
        for (const char* name : { "P1", "P2", "P3" })
            AddPoint(name, { 0, 0, 0 }, 7);
    }
    static void Record(XMemBuffer& stream, const char* name, int32_t type, uint8_t visible)
    {
        char field[32] = {};
        std::memcpy(field, name, std::strlen(name));
        stream.Write(field, 32);
        stream.WriteValue(type);
        stream.WriteValue(visible);
    }
    static void Names(XMemBuffer& stream, const std::vector<std::string>& names)
    {
        stream.WriteValue(int32_t(names.size()));
        for (const std::string& name : names) {
            char field[32] = {};
            std::memcpy(field, name.data(), name.size());
            stream.Write(field, 32);
        }
    }
    static void Load(XMemBuffer& written)
    {
        XMemBuffer stream;
        stream.Attach(written.Data(), written.Position());
        ObjectList.LoadGame(stream);
    }
    static std::vector<std::string> SensorNames()
    {
        std::vector<std::string> names;
        for (int i = 0; i < ObjectList.Sensors().Count(); ++i)
            names.emplace_back(ObjectList.Sensors().At(i)->name);
        return names;
    }

    Probe* rock = nullptr;
    Probe* house = nullptr;
};

TEST_F(ObjectListSaveTest, AnEmptySectionIsTwoZeroCounts)
{
    XMemBuffer stream(4);
    ObjectList.SaveGame(stream);
    ASSERT_EQ(stream.Position(), 8);
    EXPECT_EQ(std::vector<uint8_t>(stream.Data(), stream.Data() + 8), std::vector<uint8_t>(8, 0));
}

TEST_F(ObjectListSaveTest, NamedObjectsADroppedThingAndSensorsRoundTrip)
{
    MakeLocation();
    rock->visible = 1;
    house->visible = 0;
    auto* thing = new CTheThing;
    const float placement[16] = { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 123, 45, 6, 1 };
    thing->Init(placement, 513);
    thing->AddItem(0, "TOV_A", 2);
    thing->saved = 1;
    thing->visible = 1;
    ObjectList.AddObject(thing);
    ObjectList.AddSensor(MakeNameKey32("P3"));
    ObjectList.AddSensor(MakeNameKey32("P1"));
    XMemBuffer stream(16);
    ObjectList.SaveGame(stream);
    EXPECT_EQ(stream.Position(), 4 + 2 * 37 + (36 + 13 + 9 + 40) + 4 + 2 * 32);

    MakeLocation();
    Load(stream);
    EXPECT_EQ(rock->visible, 1);
    EXPECT_EQ(house->visible, 0);
    CTheThing* loaded = nullptr;
    for (CZJObject* object : ObjectList.Objects())
        if (auto* t = dynamic_cast<CTheThing*>(object))
            loaded = t;
    ASSERT_NE(loaded, nullptr) << "an unnamed thing is made again";
    EXPECT_EQ(loaded->frame.position.x, 123.0f);
    EXPECT_EQ(loaded->kind, 513);
    ASSERT_EQ(loaded->contentCount, 1);
    EXPECT_STREQ(loaded->contents[0].id, "TOV_A");
    EXPECT_EQ(loaded->alive, 1);
    EXPECT_GT(loaded->id, 0);
    EXPECT_EQ(FiledCells(loaded), 1);
    EXPECT_EQ(SensorNames(), (std::vector<std::string> { "P3", "P1" }));
    EXPECT_FALSE(LogExists());
}

TEST_F(ObjectListSaveTest, AnUnmatchedRecordIsLoggedAndEndsTheSection)
{
    struct Case {
        const char* name;
        int32_t type;
        const char* message;
    };
    for (const Case& c : { Case { "GHOST", 3, "CObjectList::LoadGame object not found" },
             Case { "ROCK", 11, "CObjectList::LoadGame object not found" },
             Case { "", 3, "CObjectList::LoadGame object type error" } }) {
        SCOPED_TRACE(c.message);
        MakeLocation();
        ObjectList.AddSensor(MakeNameKey32("P1"));
        XMemBuffer stream(16);
        stream.WriteValue(int32_t(3));
        Record(stream, "ROCK", 3, 1);
        Record(stream, c.name, c.type, 1);
        Record(stream, "HOUSE", 11, 0);
        Names(stream, { "P2" });
        const int before = LogLineCount(c.message);
        Load(stream);
        EXPECT_EQ(LogLineCount(c.message), before + 1);
        EXPECT_EQ(rock->visible, 1) << "the records before it stay";
        EXPECT_EQ(house->visible, 1) << "the section ends";
        EXPECT_EQ(SensorNames(), std::vector<std::string> { "P1" });
    }
}

TEST_F(ObjectListSaveTest, SensorNamesKeepAtMostFiftyAndNoMissingOne)
{
    MakeLocation();
    std::vector<std::string> names;
    for (int i = 0; i < 60; ++i) {
        names.push_back("S" + std::to_string(i));
        AddPoint(names.back().c_str(), { 0, 0, 0 }, 7);
    }
    XMemBuffer many(16);
    many.WriteValue(int32_t(0));
    Names(many, names);
    Load(many);
    EXPECT_EQ(ObjectList.Sensors().Count(), 50);
    EXPECT_EQ(SensorNames().back(), "S49");

    XMemBuffer missing(16);
    missing.WriteValue(int32_t(0));
    Names(missing, { "NOPE", "P2", "GONE", "P1" });
    Load(missing);
    EXPECT_EQ(SensorNames(), (std::vector<std::string> { "P2", "P1" }));
}

TEST_F(ObjectListSaveTest, APayloadCutAtAnyByteKeepsWhatWasRead)
{
    MakeLocation();
    XMemBuffer stream(16);
    stream.WriteValue(int32_t(3));
    Record(stream, "ROCK", 3, 1);
    stream.WriteValue(std::array<char, 32> {});
    stream.WriteValue(int32_t(21));
    stream.WriteValue(uint8_t(1));
    const float at[3] = { 10.0f, 20.0f, 0.0f };
    stream.Write(at, sizeof at);
    stream.WriteValue(uint32_t(513));
    stream.WriteValue(uint8_t(0));
    stream.WriteValue(uint32_t(0));
    Record(stream, "HOUSE", 11, 0);
    Names(stream, { "P1", "P2" });
    for (int cut = 0; cut <= stream.Position(); ++cut) {
        SCOPED_TRACE(cut);
        MakeLocation();
        XMemBuffer part;
        part.Attach(stream.Data(), cut);
        ObjectList.LoadGame(part);
        EXPECT_EQ(rock->visible, cut >= 4 + 37 ? 1 : 0);
        EXPECT_EQ(ObjectList.Objects().Count(), cut >= 4 + 37 + 49 + 9 ? 4 : 3)
            << "a short thing is not added";
    }
    EXPECT_EQ(house->visible, 0);
    EXPECT_EQ(ObjectList.Sensors().Count(), 2);
}

} // namespace
