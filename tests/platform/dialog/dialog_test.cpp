#include "platform/dialog/dialog.h"
#include "platform/win/text.h"
#include "platform/window/message.h"
#include "tests/platform/window/sdl_events.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <csignal>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

using plat::dialog::ControlKind;
using plat::dialog::ControlRecord;
using plat::dialog::Dialog;
using plat::dialog::Frame;

const std::vector<std::string> kQualityItems = { CP1251("Низкое"), CP1251("Нормальное"), CP1251("Высокое") };

// What the test pages show; the draw function below keeps its values between frames.
struct PageState {
    bool vsync = false;
    bool fog = true;
    int quality = 0;
    int volume = 5;
    int filtering = 1;
    int okClicks = 0;
    std::array<uint32_t, 64> picture {};
};

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        plat::dialog::DialogDesc desc;
        desc.title = CP1251("Настройка");
        desc.width = 480;
        desc.height = 360;
        std::string why;
        m_dialog.reset();
        // Events a case left behind must not reach the next one.
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        plat::window::ClearMessages();
        m_dialog = Dialog::Create(desc, &why);
        ASSERT_NE(m_dialog, nullptr) << why;
        m_state.picture.fill(0xFFFF0000);
    }

    void DrawPages(Frame& f)
    {
        if (f.BeginSheet(100)) {
            if (f.BeginTab(104, CP1251("Графика"))) {
                f.CheckBox(1028, CP1251("Вертикальная синхронизация"), m_state.vsync);
                f.CheckBox(1005, CP1251("Линейный туман"), m_state.fog, false);
                f.NextWidth(200);
                f.Combo(1029, "", kQualityItems, m_state.quality);
                if (f.RadioButton(1031, CP1251("Трилинейная"), m_state.filtering == 1))
                    m_state.filtering = 1;
                f.SameLine();
                if (f.RadioButton(1032, CP1251("Анизотропная"), m_state.filtering == 2))
                    m_state.filtering = 2;
                f.Slider(1009, CP1251("Громкость"), m_state.volume, 0, 10);
                f.StaticText(1035, CP1251("Две\tстроки"));
                f.Picture(132, { m_state.picture.data(), 8, 8 });
                f.EndTab();
            }
            if (f.BeginTab(106, CP1251("Звук")))
                f.EndTab();
            f.EndSheet();
        }
        if (f.PushButton(1, CP1251("ОК")))
            ++m_state.okClicks;
    }

    void Step(int frames = 4)
    {
        for (int i = 0; i < frames; ++i)
            m_dialog->DrawFrame([&](Frame& f) { DrawPages(f); });
    }

    const ControlRecord& Control(int id, ControlKind kind)
    {
        const ControlRecord* c = m_dialog->LastFrame().Find(id, kind);
        EXPECT_NE(c, nullptr) << "control " << id;
        static const ControlRecord none;
        return c ? *c : none;
    }

    void Click(const ControlRecord& c)
    {
        const int x = c.rect.x + c.rect.width / 2;
        const int y = c.rect.y + c.rect.height / 2;
        test::PushMotion(m_dialog->Window(), x, y, 0, 0);
        test::PushButton(m_dialog->Window(), SDL_BUTTON_LEFT, true, x, y);
        test::PushButton(m_dialog->Window(), SDL_BUTTON_LEFT, false, x, y);
    }

    std::unique_ptr<Dialog> m_dialog;
    PageState m_state;
};

TEST_F(DialogTest, frameRecordHoldsEachControlWithItsUtf8LabelStateAndValue)
{
    m_state.quality = 7; // outside the items: no selection
    m_state.volume = 15; // clamped into the range
    Step();
    struct Row {
        int id;
        ControlKind kind;
        const char* label;
        bool enabled;
        int value;
    };
    const Row rows[] = {
        { 100, ControlKind::Sheet, "", true, 0 },
        { 104, ControlKind::Tab, "Графика", true, 1 },
        { 1028, ControlKind::CheckBox, "Вертикальная синхронизация", true, 0 },
        { 1005, ControlKind::CheckBox, "Линейный туман", false, 1 },
        { 1029, ControlKind::Combo, "", true, -1 },
        { 1031, ControlKind::RadioButton, "Трилинейная", true, 1 },
        { 1032, ControlKind::RadioButton, "Анизотропная", true, 0 },
        { 1009, ControlKind::Slider, "Громкость", true, 10 },
        { 1035, ControlKind::StaticText, "Две\nстроки", true, 0 },
        { 132, ControlKind::Picture, "", true, 0 },
        { 106, ControlKind::Tab, "Звук", true, 0 },
        { 1, ControlKind::PushButton, "ОК", true, 0 },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.id);
        const ControlRecord& c = Control(row.id, row.kind);
        EXPECT_EQ(c.label, row.label);
        EXPECT_EQ(c.enabled, row.enabled);
        EXPECT_EQ(c.value, row.value);
        EXPECT_GT(c.rect.width, 0);
        EXPECT_GE(c.rect.x, 0);
        EXPECT_LT(c.rect.x + c.rect.width, 480);
        if (row.kind != ControlKind::Sheet) {
            EXPECT_GT(c.rect.height, 0);
            EXPECT_LT(c.rect.y + c.rect.height, 360);
        }
    }
    EXPECT_EQ(m_state.quality, -1);
    EXPECT_EQ(m_state.volume, 10);
    EXPECT_EQ(Control(132, ControlKind::Picture).rect.width, 8);
}

TEST_F(DialogTest, clicksAtRecordedRectanglesToggleACheckBoxChooseAComboItemAndSwitchTabs)
{
    Step();
    Click(Control(1028, ControlKind::CheckBox));
    Step();
    EXPECT_TRUE(m_state.vsync);
    EXPECT_EQ(Control(1028, ControlKind::CheckBox).value, 1);

    Click(Control(1005, ControlKind::CheckBox)); // disabled: nothing changes
    Step();
    EXPECT_TRUE(m_state.fog);

    Click(Control(1029, ControlKind::Combo));
    Step();
    const ControlRecord* item = nullptr;
    for (const ControlRecord& c : m_dialog->LastFrame().controls) {
        if (c.id == 1029 && c.kind == ControlKind::ComboItem && c.value == 2)
            item = &c;
    }
    ASSERT_NE(item, nullptr) << "the list did not open";
    EXPECT_EQ(item->label, "Высокое");
    Click(*item);
    Step();
    EXPECT_EQ(m_state.quality, 2);
    EXPECT_EQ(Control(1029, ControlKind::Combo).value, 2);
    EXPECT_EQ(m_dialog->LastFrame().Find(1029, ControlKind::ComboItem), nullptr) << "the list stays open";

    Click(Control(1032, ControlKind::RadioButton));
    Step();
    Click(Control(1, ControlKind::PushButton));
    Step();
    EXPECT_EQ(m_state.filtering, 2);
    EXPECT_EQ(m_state.okClicks, 1);

    Click(Control(106, ControlKind::Tab));
    Step();
    EXPECT_EQ(Control(100, ControlKind::Sheet).value, 1);
    EXPECT_EQ(Control(106, ControlKind::Tab).value, 1);
    EXPECT_EQ(m_dialog->LastFrame().Find(1028), nullptr);
}

TEST_F(DialogTest, readBackShowsTheFrameAndACheckedBoxDiffersFromAnUncheckedOne)
{
    m_dialog->KeepFramePixels(true);
    Step();
    const plat::dialog::Pixels unchecked = m_dialog->LastFramePixels();
    ASSERT_EQ(unchecked.width, 480);
    ASSERT_EQ(unchecked.height, 360);
    bool uniform = true;
    for (uint32_t p : unchecked.argb)
        uniform = uniform && p == unchecked.argb.front();
    EXPECT_FALSE(uniform);

    const ControlRecord picture = Control(132, ControlKind::Picture);
    const uint32_t red = unchecked.At(picture.rect.x + 4, picture.rect.y + 4);
    EXPECT_NEAR(int((red >> 16) & 0xFF), 255, 2);
    EXPECT_NEAR(int((red >> 8) & 0xFF), 0, 2);
    EXPECT_NEAR(int(red & 0xFF), 0, 2);

    m_state.vsync = true;
    Step();
    const plat::dialog::Pixels& checked = m_dialog->LastFramePixels();
    const ControlRecord box = Control(1028, ControlKind::CheckBox);
    int differing = 0;
    for (int y = box.rect.y; y < box.rect.y + box.rect.height; ++y) {
        for (int x = box.rect.x; x < box.rect.x + box.rect.height; ++x) {
            const uint32_t a = unchecked.At(x, y);
            const uint32_t b = checked.At(x, y);
            for (int shift : { 0, 8, 16 })
                differing += std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > 2 ? 1 : 0;
        }
    }
    EXPECT_GT(differing, 4);
}

TEST_F(DialogTest, cyrillicLettersHaveGlyphsOfTheirOwn)
{
    m_dialog->KeepFramePixels(true);
    auto shown = [&](const char* text) {
        for (int i = 0; i < 2; ++i)
            m_dialog->DrawFrame([&](Frame& f) { f.StaticText(1, text); });
        return m_dialog->LastFramePixels();
    };
    // A letter the font lacks is drawn as its fallback, '?'.
    const plat::dialog::Pixels question = shown("?");
    const plat::dialog::Pixels letter = shown(CP1251("Ж"));
    const ControlRecord& text = Control(1, ControlKind::StaticText);
    int differing = 0;
    for (int y = text.rect.y; y < text.rect.y + text.rect.height; ++y) {
        for (int x = text.rect.x; x < text.rect.x + text.rect.width; ++x)
            differing += question.At(x, y) != letter.At(x, y) ? 1 : 0;
    }
    EXPECT_GT(differing, 4);
}

TEST_F(DialogTest, messageBoxShowsItsTextAndReturnsOnOkEnterEscapeOrClose)
{
    enum class Way { Click, Enter, Escape, Close };
    for (Way way : { Way::Click, Way::Enter, Way::Escape, Way::Close }) {
        SCOPED_TRACE(int(way));
        if (way == Way::Close)
            SetUp(); // a close request stays: a fresh dialog for it
        plat::dialog::FrameRecord shown;
        int frames = 0;
        m_dialog->SetFrameObserver([&] {
            if (++frames != 2)
                return;
            shown = m_dialog->LastFrame();
            switch (way) {
            case Way::Click:
                Click(*shown.Find(plat::dialog::kIdOk));
                break;
            case Way::Enter:
                test::PushKey(m_dialog->Window(), SDL_SCANCODE_RETURN, true);
                break;
            case Way::Escape:
                test::PushKey(m_dialog->Window(), SDL_SCANCODE_ESCAPE, true);
                break;
            case Way::Close:
                m_dialog->RequestClose();
                break;
            }
        });
        m_dialog->MessageBox(CP1251("Не установлен DirectX 8.1!"), CP1251("Параметры графики"));
        ASSERT_NE(shown.Find(plat::dialog::kIdStatic), nullptr);
        EXPECT_EQ(shown.Find(plat::dialog::kIdStatic)->label, "Не установлен DirectX 8.1!");
        EXPECT_EQ(shown.Find(plat::dialog::kIdOk, ControlKind::PushButton)->label, "ОК");
        EXPECT_EQ(m_dialog->CloseRequested(), way == Way::Close);
        m_dialog->SetFrameObserver({});
    }
}

TEST_F(DialogTest, aModalBoxShowsTheWindowsLastFrameDimmedBehindIt)
{
    m_dialog->KeepFramePixels(true);
    Step();
    const ControlRecord picture = Control(132, ControlKind::Picture);
    plat::dialog::Pixels behind;
    int frames = 0;
    m_dialog->SetFrameObserver([&] {
        if (++frames == 2) {
            behind = m_dialog->LastFramePixels();
            m_dialog->EndModal(plat::dialog::kIdOk);
        }
    });
    m_dialog->MessageBox(CP1251("Текст"), CP1251("Окно"));
    ASSERT_EQ(behind.width, 480);
    const uint32_t red = behind.At(picture.rect.x + 4, picture.rect.y + 4);
    EXPECT_NEAR(int((red >> 16) & 0xFF), 170, 3);
    EXPECT_NEAR(int((red >> 8) & 0xFF), 0, 2);
    EXPECT_NEAR(int(red & 0xFF), 0, 2);
}

TEST_F(DialogTest, timerDialogTicksWhileOpenAndSleepsBetweenTicks)
{
    int ticks = 0;
    int frames = 0;
    plat::dialog::ModalParams params;
    params.caption = CP1251("Смена клавиши управления");
    params.timerMs = 40;
    const auto start = std::chrono::steady_clock::now();
    const int result = m_dialog->RunModal(
        params,
        [&](Frame& f) {
            ++frames;
            f.StaticText(plat::dialog::kIdStatic, CP1251("( Esc - отмена )"));
        },
        [&] {
            if (++ticks == 5)
                m_dialog->EndModal(plat::dialog::kIdOk);
        });
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(result, plat::dialog::kIdOk);
    EXPECT_EQ(ticks, 5);
    EXPECT_GE(elapsed, std::chrono::milliseconds(190));
    // A frame at the start and one per tick: idle time is slept, not drawn.
    EXPECT_LE(frames, 12);
    EXPECT_EQ(m_dialog->LastFrame().Find(plat::dialog::kIdStatic)->label, "( Esc - отмена )");
}

TEST_F(DialogTest, aModalStartedInsideAFrameReturnsAndTheOuterLoopGoesOn)
{
    int modalResult = 0;
    bool opened = false;
    int outerFrames = 0;
    const int result = m_dialog->Run(
        [&](Frame& f) {
            ++outerFrames;
            f.StaticText(7, CP1251("Лист"));
            if (!opened) {
                opened = true;
                modalResult = m_dialog->RunModal(
                    { CP1251("Окно"), 10, plat::dialog::kIdCancel },
                    [&](Frame& inner) { inner.StaticText(8, CP1251("Внутри")); },
                    [&] { m_dialog->EndModal(5); });
            } else if (outerFrames > 2) {
                m_dialog->EndModal(9);
            }
        },
        plat::dialog::kIdCancel);
    EXPECT_EQ(modalResult, 5);
    EXPECT_EQ(result, 9);
    EXPECT_EQ(m_dialog->LastFrame().Find(7)->label, "Лист");
    EXPECT_EQ(m_dialog->LastFrame().Find(8), nullptr);
}

TEST_F(DialogTest, anExceptionFromADrawFunctionPassesThroughAndTheDialogDrawsOnAfterwards)
{
    EXPECT_THROW(m_dialog->Run(
                     [&](Frame& f) {
                         f.BeginSheet(100);
                         f.BeginTab(104, CP1251("Графика"));
                         m_dialog->RunModal(
                             { CP1251("Окно"), 0, 2 }, [](Frame&) { throw std::runtime_error("page"); });
                     },
                     2),
        std::runtime_error);
    Step();
    EXPECT_EQ(Control(104, ControlKind::Tab).value, 1);
    int ticks = 0;
    EXPECT_EQ(m_dialog->RunModal(
                  { CP1251("Окно"), 5, 2 }, [](Frame&) {}, [&] { m_dialog->EndModal(++ticks); }),
        1);
}

TEST_F(DialogTest, aCloseRequestEndsEveryRunningLoopWithItsCloseResult)
{
    enum class Way { WindowManager, SdlQuit, Sigterm };
    for (Way way : { Way::WindowManager, Way::SdlQuit, Way::Sigterm }) {
        SCOPED_TRACE(int(way));
        SetUp();
        int modalResult = 0;
        bool asked = false;
        const int result = m_dialog->Run(
            [&](Frame&) {
                modalResult = m_dialog->RunModal({ CP1251("Окно"), 0, 33 }, [&](Frame&) {
                    if (std::exchange(asked, true))
                        return;
                    switch (way) {
                    case Way::WindowManager:
                        m_dialog->RequestClose();
                        break;
                    case Way::SdlQuit:
                        test::PushQuit();
                        break;
                    case Way::Sigterm:
                        std::raise(SIGTERM); // SDL turns it into its quit event
                        break;
                    }
                });
            },
            44);
        EXPECT_EQ(modalResult, 33);
        EXPECT_EQ(result, 44);
        EXPECT_TRUE(m_dialog->CloseRequested());
        EXPECT_EQ(m_dialog->Run([](Frame&) {}, 45), 45) << "the request stays";
    }
}

} // namespace
