// The in-flight menu and the in-base tool bars on the null backend, with real tables, machine,
// script manager and radar: opening modes, the tool bar's page switches and keys held over
// frames, dropping from the hold, the fit test, the journal's time left, the map page's drag,
// smooth scroll, mark and hover names; the building menu's bars by kind, theme links, list
// indentation and scrolling.
#include "ai/CFerrovant.h"
#include "audio/CSoundContainer.h"
#include "audio/CSoundManager.h"
#include "audio/CSoundObject.h"
#include "foundation/CTimer.h"
#include "foundation/XRandom.h"
#include "platform/sound/device.h"
#include "platform/win/text.h"
#include "tests/support/files.h"
#include "tests/support/ini_tables.h"
#include "tests/ui/menu_fixture.h"
#include "tools/audio/wav_writer.h"
#include "ui/CMainMenu.h"
#include "ui/CMenuListEntry.h"
#include "ui/CPictureControl.h"
#include "ui/CRTMenu.h"
#include "ui/CRadar.h"
#include "ui/CRadarMap.h"
#include "ui/CZJHtmlWindow.h"
#include "ui/ToolBar.h"
#include "world/db/CEquipmentManager.h"
#include "world/db/CGliderManager.h"
#include "world/db/CGunManager.h"
#include "world/db/CZJEngine.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/CObjectList.h"
#include "world/objects/CSplinterObject.h"
#include "world/objects/CTheThing.h"
#include "world/terrain/CLocation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr float kFrame = 0.05f;
constexpr uint8_t kKeyM = 50;
constexpr uint8_t kLeftShift = 0x2A;

class FlightHost : public uitest::TypingHost {
public:
    uint8_t MouseEvents(int button) override
    {
        return button == 0 ? leftEvents : button == 1 ? rightEvents : 0;
    }
    uint8_t rightEvents = 0;
};

class RTMenuTest : public uitest::MenuTest {
protected:
    std::string Texts() const override
    {
        return "[INT_TIMELEFT]\nNAME = Left %d h %d min\n[Q1_BRIEF]\nNAME = First task\nTEXT = Go north.\n"
               "[INT_TT_MAP]\nNAME = Map\n[INT_TT_SAVE]\nNAME = Save\n[INT_THEMES]\nNAME = Themes\n"
               "[T_CUT]\nNAME = Ab>Tail\n[T_LEAD]\nNAME = >Whole\n[B_ONE]\nNAME = First house\n"
               "[B_TWO]\nNAME = Second house\n[P_THREE]\nNAME = Third point\n";
    }
    void SetUp() override
    {
        MenuTest::SetUp();
        SetMenuHost(&flightHost);
        FrameTime = kFrame;
        zoq::test::IniTables tables;
        const std::pair<const char*, const char*> given[] = {
            { "Глайдеры",
                "[GL_A]\nSTANDARD=3\nWEIGHT=40\nMAXWEIGHT=200\n[GL_NOHEAVY]\nSTANDARD=3\nSPECIAL=1\n" },
            { "Товары", "[TOV_ORE]\nMASSA=50\nPRICE=40\n" },
            { "Оборудование", "[EQP_R3]\nTYPE=1\nSTANDARD=3\n[EQP_R4]\nTYPE=1\nSTANDARD=4\n" },
            { "Оружие", "[GUN_3]\nStandard=3\n[GUN_4]\nStandard=4\n" },
            { "Снаряды", "" },
            { "Здания", "" },
            { "Организации", "[ORG_PLAYER]\nICON=1\n" },
            { "Конфигурации", "" },
            { "Звуки", "" },
        };
        std::vector<int16_t> tone(2205, 4000);
        zoq::test::WriteBytes(m_dir / "place.wav",
            zoq::tools::audio::MakeWav({ 1, 22050, 16 }, zoq::tools::audio::PcmBytes(tone)));
        const std::string sounds = std::string("[SND_INT_MAP_PLACE]\nFilename=place.wav\n3DSound=0\n");
        for (const auto& [name, text] : given)
            tables.push_back({ plat::win::Utf8ToCp1251(name),
                plat::win::Utf8ToCp1251(std::string(name) == "Звуки" ? sounds : std::string(text)) });
        zoq::test::UseIniTables(tables);
        ZJEngine.ZJInit();
        ObjectList.Clear();
        machine = std::make_unique<CFerrovant>();
        const uint32_t params[7] = {};
        machine->hull.Set(g_GliderManager.FindRow("GL_A"), params);
        PlayerFerrovant = machine.get();
        m_savedBlocks[0] = Location.blocksX;
        m_savedBlocks[1] = Location.blocksY;
        Location.blocksX = Location.blocksY = 8;
        g_pRadarMap = &radarMap;
        g_pRadar = &radar;
        radar.InitLocation("none.mmm");
    }
    void TearDown() override
    {
        menu.reset();
        ObjectList.Clear();
        g_pRadar = nullptr;
        g_pRadarMap = nullptr;
        Location.blocksX = m_savedBlocks[0];
        Location.blocksY = m_savedBlocks[1];
        PlayerFerrovant = nullptr;
        SetMenuHost(nullptr);
        MenuTest::TearDown();
    }

    CRTMenu& Open(int32_t mode)
    {
        menu = std::make_unique<CRTMenu>(mode);
        menu->running = 1;
        menu->Init();
        Idle();
        return *menu;
    }
    // Frames of the message queue until it is idle.
    void Idle()
    {
        for (int i = 0; i < 200 && !(menu->currentMessage == CMainMenu::kMsgIdle && menu->messages.IsEmpty());
             ++i)
            menu->ProcessMessages();
    }
    // Runs frames until the menu ends; whether it did.
    bool Ends()
    {
        for (int i = 0; i < 200 && !menu->endRequested; ++i)
            menu->ProcessMessages();
        return menu->endRequested != 0;
    }
    int32_t RightIndex(const char* key) const
    {
        for (int32_t i = 0; i < menu->rightList.Count(); ++i)
            if (std::strcmp(menu->rightList.At(i)->key, key) == 0)
                return i;
        return -1;
    }
    std::string PanelText() const { return BlockText(*menu->textPanel->window, "SYSTEM"); }
    // A point inside the map area.
    plat::window::Point InMap() const
    {
        int32_t left = 0, top = 0, right = 0, bottom = 0;
        menu->MapArea(left, top, right, bottom);
        return { (left + right) / 2, (top + bottom) / 2 };
    }

    // Whether the sound of that name plays, through a sound manager on the loopback device.
    static bool Plays(CSoundManager& sounds, const char* name)
    {
        CSoundContainer* container = sounds.GetSound(sounds.GetRowNames().Find(name));
        if (!container)
            return false;
        for (int i = 0; i < container->GetSlotCount(); ++i)
            if (container->GetSlot(i).IsPlaying())
                return true;
        return false;
    }

    FlightHost flightHost;
    std::unique_ptr<CFerrovant> machine;
    std::unique_ptr<CRTMenu> menu;
    CRadarMap radarMap;
    CRadar radar;
    int32_t m_savedBlocks[2] = {};
};

TEST_F(RTMenuTest, OpeningModesAndTheBarSwitchPagesOrReturnToFlight)
{
    EXPECT_EQ(Open(1).page, CRTMenu::kCmdJournal);
    EXPECT_EQ(Open(0).page, CRTMenu::kCmdHold);

    Open(2);
    EXPECT_EQ(menu->page, CRTMenu::kCmdMap);
    EXPECT_EQ(menu->textPanel->visible, 0) << "the map hides the text window";
    EXPECT_EQ(radar.viewWidth, int32_t(499.0f * 800.0f / 1024.0f));
    EXPECT_EQ(RightIndex("PLAYER") > RightIndex("INT_POINTERS"), true);
    menu->ProcessCommand(CRTMenu::kCmdMap);
    ASSERT_TRUE(Ends()) << "M on the map returns to flight";
    EXPECT_EQ(menu->result, uint32_t(CMainMenu::kResultLeave));

    Open(0);
    menu->ProcessCommand(CRTMenu::kCmdMap);
    Idle();
    EXPECT_EQ(menu->page, CRTMenu::kCmdMap) << "M on the hold shows the map";
    for (int i = 0; i < 2; ++i) {
        menu->ProcessCommand(CRTMenu::kCmdStatistics);
        Idle();
        EXPECT_EQ(menu->page, CRTMenu::kCmdStatistics) << "statistics always switches";
        EXPECT_EQ(menu->endRequested, 0);
    }
    menu->ProcessCommand(CRTMenu::kCmdHold);
    Idle();
    EXPECT_EQ(menu->page, CRTMenu::kCmdHold);
    menu->ProcessCommand(CRTMenu::kCmdHold);
    EXPECT_TRUE(Ends()) << "the shown page's button returns to flight";
}

TEST_F(RTMenuTest, AKeyHeldFiveFramesSwitchesOnce)
{
    Open(0);
    flightHost.keys = { kKeyM };
    for (int frame = 0; frame < 5; ++frame) {
        menu->RunControl();
        menu->ProcessMessages();
    }
    EXPECT_EQ(menu->page, CRTMenu::kCmdMap);
    EXPECT_EQ(menu->endRequested, 0);
    EXPECT_EQ(menu->result, 0u) << "no second press closed the menu";
    flightHost.keys.clear();
    menu->RunControl();
    flightHost.keys = { kKeyM };
    menu->RunControl();
    EXPECT_TRUE(Ends()) << "a new press on the map returns to flight";
}

TEST_F(RTMenuTest, TheBindingsReplaceTheDefaultKeysFromTwoTo255)
{
    const ToolBarTable bar = CRTMenu::FlightToolBar(30, 1, 256);
    EXPECT_EQ(bar[1].key, 30u);
    EXPECT_EQ(bar[2].key, 36u) << "code 1 keeps the default";
    EXPECT_EQ(bar[3].key, 50u) << "code 256 keeps the default";
    EXPECT_EQ(bar[5].key, 1u);
}

TEST_F(RTMenuTest, DroppingTakesOneOrTheStackWithShiftAndThrowsItFromTheGlider)
{
    CGliderObject glider;
    glider.frame.position = { 100.0f, 200.0f, 30.0f };
    glider.velocity = { 4.0f, 0.0f, 0.0f };
    machine->glider = &glider;
    machine->cargo.items.Done();
    machine->cargo.items.Add(CargoItem { CargoItem::kGoods, "TOV_ORE", 3, 40.0f });
    Open(0);
    const int32_t entry = RightIndex("TOV_ORE");
    ASSERT_GE(entry, 0);
    EXPECT_EQ(menu->rightList.At(0)->kind, uint32_t(kEntryOpenHeader)) << "INT_GOODS";

    SharedRandom.seed = 1234;
    XRandom expected = SharedRandom;
    menu->SelectRightList(entry);
    menu->ProcessCommand(CRTMenu::kCmdDrop);
    ASSERT_EQ(machine->cargo.items.Count(), 1);
    EXPECT_EQ(machine->cargo.items.At(0).count, 2);

    XDynamicArray<CZJObject*> splinters;
    ObjectList.GetObjectList(17, splinters);
    ASSERT_EQ(splinters.Count(), 1);
    auto* splinter = static_cast<CSplinterObject*>(splinters.At(0));
    EXPECT_EQ(splinter->owner, &glider);
    ASSERT_NE(splinter->source, nullptr);
    const auto* thing = static_cast<const CTheThing*>(splinter->source);
    EXPECT_EQ(thing->kind, 513);
    EXPECT_EQ(thing->saved, 1);
    ASSERT_EQ(thing->contentCount, 1);
    EXPECT_STREQ(thing->contents[0].id, "TOV_ORE");
    EXPECT_EQ(thing->contents[0].amount, 1u);
    Vec3 d {};
    for (float* axis : { &d.x, &d.y, &d.z })
        *axis = 2.0f - 0.4f * float(expected.GetInt(10));
    const float speed = 5.0f * (0.5f + 0.1f * float(expected.GetInt(10)));
    const float length = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
    EXPECT_NEAR(splinter->velocity.x, d.x / length * speed + 3.0f, 1e-4f) << "the shared generator, seeded";
    EXPECT_NEAR(splinter->velocity.y, d.y / length * speed, 1e-4f);
    EXPECT_NEAR(splinter->velocity.z, d.z / length * speed, 1e-4f);

    Idle();
    menu->SelectRightList(RightIndex("TOV_ORE"));
    flightHost.keys = { kLeftShift };
    menu->ProcessCommand(CRTMenu::kCmdDrop);
    EXPECT_EQ(machine->cargo.items.Count(), 0) << "shift drops the whole stack";
    ObjectList.GetObjectList(17, splinters);
    ASSERT_EQ(splinters.Count(), 2);
    EXPECT_EQ(static_cast<const CTheThing*>(static_cast<CSplinterObject*>(splinters.At(1))->source)
                  ->contents[0]
                  .amount,
        2u);
    machine->glider = nullptr;
}

TEST_F(RTMenuTest, EquipmentFitsTheBodyOnlyUpToItsLevelAndWhereItCarriesGuns)
{
    struct Case {
        const char* body;
        const char* reactor;
        const char* lightGun;
        const char* heavyGun;
        bool fits;
    };
    for (const Case& c : std::initializer_list<Case> {
             { "GL_A", nullptr, nullptr, nullptr, true },
             { "GL_A", "EQP_R3", "GUN_3", "GUN_3", true },
             { "GL_A", "EQP_R4", nullptr, nullptr, false },
             { "GL_A", nullptr, "GUN_4", nullptr, false },
             { "GL_A", nullptr, nullptr, "GUN_4", false },
             { "GL_NOHEAVY", nullptr, "GUN_3", nullptr, true },
             { "GL_NOHEAVY", nullptr, nullptr, "GUN_3", false },
         }) {
        SCOPED_TRACE(testing::Message()
            << c.body << " " << (c.reactor ? c.reactor : "-") << " " << (c.lightGun ? c.lightGun : "-") << " "
            << (c.heavyGun ? c.heavyGun : "-"));
        CFerrovant m;
        const uint32_t params[7] = {};
        m.hull.Set(g_GliderManager.FindRow(c.body), params);
        if (c.reactor)
            m.reactor.Set(g_EquipmentManager.FindRow(c.reactor), params);
        m.config.lightGun.words[0] = uint32_t(c.lightGun ? g_GunManager.FindRow(c.lightGun) : -1);
        m.config.heavyGun.words[0] = uint32_t(c.heavyGun ? g_GunManager.FindRow(c.heavyGun) : -1);
        EXPECT_EQ(EquipmentFitsBody(m), c.fits);
    }
}

TEST_F(RTMenuTest, TheJournalShowsATimerHalfADayAheadAsTwelveHours)
{
    manager->AddQuest("Q1");
    manager->StartTimer("Q1", "12");
    SScriptTimer* timer = manager->FindTimer("Q1");
    ASSERT_NE(timer, nullptr);
    timer->expiry = GameTimeDays() + 0.5f;
    Open(1);
    const int32_t entry = RightIndex("Q1_BRIEF");
    ASSERT_GE(entry, 0);
    menu->SelectRightList(entry);
    EXPECT_NE(PanelText().find("Go north."), std::string::npos) << PanelText();
    EXPECT_NE(PanelText().find("Left 12 h 0 min"), std::string::npos) << PanelText();

    manager->SetEvent("Q1.COMPLETE");
    menu->SelectRightList(entry);
    EXPECT_EQ(PanelText().find("Left"), std::string::npos) << "a complete quest shows no time";
}

TEST_F(RTMenuTest, TheMapIsDraggedScrolledAndMarkedByTheMouse)
{
    Open(2);
    const plat::window::Point at = InMap();
    menu->viewPosition = { 1000.0f, 1000.0f, 0.0f };
    flightHost.mouse = at;
    flightHost.leftEvents = 0x80;
    menu->MapInput();
    flightHost.leftEvents = 0;
    flightHost.mouse = { at.x + 10, at.y };
    menu->MapInput();
    EXPECT_FLOAT_EQ(menu->viewPosition.x, 900.0f) << "a 10-pixel drag moves 100 units";
    EXPECT_FLOAT_EQ(menu->viewPosition.y, 1000.0f);
    flightHost.leftEvents = 0x40;
    menu->MapInput();
    flightHost.leftEvents = 0;
    flightHost.mouse = { 0, 0 };

    const auto framesTo = [&](float dt) {
        FrameTime = dt;
        menu->viewPosition = {};
        menu->scrollTarget = { 1000.0f, 0.0f, 0.0f };
        menu->scrolling = 1;
        int frames = 0;
        while (menu->scrolling && frames < 1000) {
            menu->MapInput();
            ++frames;
        }
        EXPECT_FLOAT_EQ(menu->viewPosition.x, 1000.0f);
        return frames;
    };
    const int slow = framesTo(0.02f);
    const int medium = framesTo(0.05f);
    const int fast = framesTo(0.2f);
    EXPECT_GT(slow, medium);
    EXPECT_GT(medium, fast);
    EXPECT_EQ(framesTo(1.0f), 1) << "a step of a second jumps";
    FrameTime = kFrame;

    plat::sound::SetDeviceKind(plat::sound::DeviceKind::Loopback);
    CSoundManager sounds;
    sounds.Init(plat::win::Utf8ToCp1251("Звуки").c_str());
    ASSERT_TRUE(sounds.InitSound(nullptr));
    sounds.SetVolume(10);
    g_pSoundManager = &sounds;
    EXPECT_FALSE(Plays(sounds, "SND_INT_MAP_PLACE"));
    menu->viewPosition = { 3000.0f, 3000.0f, 0.0f };
    flightHost.mouse = { at.x + 5, at.y - 7 };
    flightHost.rightEvents = 0x80;
    radar.tracking = 1;
    menu->MapInput();
    flightHost.rightEvents = 0;
    EXPECT_TRUE(Plays(sounds, "SND_INT_MAP_PLACE"));
    g_pSoundManager = nullptr;
    plat::sound::SetDeviceKind(plat::sound::DeviceKind::Default);
    EXPECT_EQ(radar.markShown, 1);
    EXPECT_EQ(radar.tracking, 0);
    EXPECT_FLOAT_EQ(radar.markPosition.x, 3050.0f) << "the map point under the cursor";
    EXPECT_FLOAT_EQ(radar.markPosition.y, 2930.0f);
    EXPECT_TRUE(std::all_of(radar.explored.begin(), radar.explored.end(), [](uint8_t v) { return v == 0; }))
        << "the mark reveals nothing";
    menu->OnChangeRightPanel();
    EXPECT_GE(RightIndex("PELENG"), 0) << "the bearing entry of a set mark";
}

TEST_F(RTMenuTest, HoveringNamesTheBuildingsAndBearingsNearTheCursor)
{
    Open(2);
    CZJObject one;
    std::strcpy(one.name, "B_ONE");
    one.frame.position = { 1200.0f, 1000.0f, 0.0f };
    CZJObject two;
    std::strcpy(two.name, "B_TWO");
    two.frame.position = { 1000.0f, 800.0f, 0.0f };
    CZJObject three;
    std::strcpy(three.name, "P_THREE");
    three.frame.position = { 1000.0f, 1300.0f, 0.0f };
    menu->buildings = { &one, &two };
    menu->bearings = { &three };
    EXPECT_EQ(menu->NamesAt({ 1000.0f, 1000.0f, 0.0f }), "First house\nSecond house");
    EXPECT_EQ(menu->NamesAt({ 1000.0f, 1300.0f, 0.0f }), "Third point");
    menu->buildings.clear();
    menu->bearings.clear();
}

class ToolBarTest : public RTMenuTest { };

TEST_F(ToolBarTest, TheBuildingBarFollowsTheKindAndTheGame)
{
    struct Case {
        int32_t kind;
        bool network;
        uint32_t commands[6];
    };
    for (const Case& c : std::initializer_list<Case> {
             { -1, false, { 8, 12, 13, 10, 0, 1 } },
             { 1, false, { 8, 12, 13, 10, 31, 1 } },
             { 9, false, { 8, 12, 13, 10, 31, 1 } },
             { 3, false, { 8, 12, 0, 0, 26, 1 } },
             { 4, false, { 8, 12, 13, 10, 0, 1 } },
             { 6, false, { 8, 12, 0, 0, 0, 1 } },
             { 10, false, { 8, 12, 0, 0, 0, 1 } },
             { 11, false, { 8, 12, 0, 0, 0, 0 } },
             { 2, false, { 8, 12, 0, 10, 0, 1 } },
             { 11, true, { 0, 12, 0, 0, 0, 0 } },
         }) {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << (c.network ? " network" : ""));
        const ToolBarTable bar = BuildingToolBar(c.kind, c.network);
        for (int k = 0; k < kToolBarSlots; ++k)
            EXPECT_EQ(bar[size_t(k)].command, c.commands[k]) << "slot " << k;
    }

    CMainMenu plain;
    plain.Init();
    flightHost.state = 3;
    plain.BuildToolBar(11);
    flightHost.state = 0;
    ASSERT_NE(dynamic_cast<CPictureControl*>(plain.toolBar[0]), nullptr) << "no save in a network game";
    const auto* journal = dynamic_cast<CToolBarButton*>(plain.toolBar[1]);
    ASSERT_NE(journal, nullptr);
    EXPECT_EQ(journal->command, 12u);
    for (int k = 2; k < kToolBarSlots; ++k)
        EXPECT_NE(dynamic_cast<CPictureControl*>(plain.toolBar[k]), nullptr) << k;
    ASSERT_NE(plain.backButton, nullptr);
    EXPECT_EQ(static_cast<CToolBarButton*>(plain.backButton)->command, 18u);

    plain.BuildToolBar(1);
    const auto* save = dynamic_cast<CToolBarButton*>(plain.toolBar[0]);
    ASSERT_NE(save, nullptr);
    EXPECT_STREQ(save->caption.Text(), "Save") << "the tool-tip is the key's NAME";
    EXPECT_EQ(save->text.Length(), 0) << "no text on the button";
    EXPECT_EQ(save->x0, 327) << "icon 6 at 6 x 54.583332";
    EXPECT_EQ(save->y0, 157);
    EXPECT_EQ(save->x1 - save->x0, 55);
    const SToolBarRect second = ToolBarButtonRect(1, 800, 600, 0);
    EXPECT_EQ(plain.toolBar[1]->top, second.top);
    EXPECT_EQ(second.top, int32_t(108.0f + 0.12533334f * 600.0f - 24.0f));
    EXPECT_EQ(second.left, int32_t(45.0f - 14.0f * 800.0f / 1024.0f));
}

TEST_F(ToolBarTest, ThemeLinksComeOnceUnderTheirHeaderWithTheirCaption)
{
    CMainMenu plain;
    plain.Init();
    plain.AddRightLink("T_CUT", "ignored");
    ASSERT_EQ(plain.rightList.Count(), 2) << "the header and the link";
    EXPECT_STREQ(plain.rightList.At(0)->key, "INT_THEMES");
    EXPECT_EQ(plain.rightList.At(0)->kind, uint32_t(kEntryOpenHeader));
    plain.AddRightLink("T_CUT", nullptr);
    EXPECT_EQ(plain.rightList.Count(), 2) << "no duplicate";
    plain.AddRightLink("T_LEAD", nullptr);
    plain.AddRightLink("T_NONE", nullptr);
    ASSERT_EQ(plain.rightList.Count(), 4);
    EXPECT_STREQ(plain.rightList.At(1)->text.Text(), "Tail");
    EXPECT_STREQ(plain.rightList.At(2)->text.Text(), ">Whole");
    EXPECT_STREQ(plain.rightList.At(3)->text.Text(), "T_NONE");
    for (int32_t i = 0; i < 4; ++i)
        EXPECT_EQ(plain.rightList.At(i)->command, kRightListBase + uint32_t(i));
}

TEST_F(ToolBarTest, ListsIndentByLevelAndScrollByTheirCommands)
{
    CMainMenu plain;
    plain.Init();
    std::vector<SListEntry> entries(40);
    for (size_t i = 0; i < entries.size(); ++i) {
        std::snprintf(entries[i].key, sizeof entries[i].key, "E%zu", i);
        std::snprintf(entries[i].name, sizeof entries[i].name, "E%zu", i);
        entries[i].level = uint32_t(i % 3);
    }
    plain.FillLeftList(entries.data(), int32_t(entries.size()));
    for (int32_t i = 0; i < 3; ++i)
        EXPECT_EQ(plain.leftList.At(i)->left, plain.leftListLeft + 8 * i);
    plain.ProcessCommand(CMainMenu::kCmdLeftUp);
    EXPECT_EQ(plain.leftScroll, 0) << "259 at the top changes nothing";
    plain.ProcessCommand(CMainMenu::kCmdLeftDown);
    plain.ProcessCommand(CMainMenu::kCmdLeftDown);
    EXPECT_EQ(plain.leftScroll, 2);
    plain.ProcessCommand(CMainMenu::kCmdLeftUp);
    EXPECT_EQ(plain.leftScroll, 1);
}

} // namespace
