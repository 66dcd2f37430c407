#include "settings/CSheetView.h"

#include "foundation/CallTrace.h"
#include "platform/win/text.h"
#include "settings/CKeySetDlg.h"

namespace {

using plat::dialog::Frame;
using plat::dialog::kIdCancel;
using plat::dialog::kIdOk;
using plat::dialog::kIdStatic;

constexpr const char* kPageCaptions[CPrPg_SheetDlg::kPageCount]
    = { CP1251("Феррованты"), CP1251("Графика"), CP1251("Управление"), CP1251("Звук"), CP1251("Сеть") };
constexpr int kMargin = 12;
constexpr int kWideControl = 330;
constexpr int kGroupLabelWidth = 120;
constexpr int kGroupsPerColumn = 13;

} // namespace

CSheetView::CSheetView(plat::dialog::Dialog& dialog, CPrPg_SheetDlg& sheet)
    : m_dialog(dialog)
    , m_sheet(sheet)
    , m_title(DrawTitlePicture())
{
}

int CSheetView::Run()
{
    return m_dialog.Run([this](Frame& frame) { Draw(frame); }, kIdCancel);
}

void CSheetView::Draw(Frame& frame)
{
    ZJ_TRACE("CPrPg_SheetDlg::Draw");
    if (frame.BeginSheet(kSheetId)) {
        for (int i = 0; i < CPrPg_SheetDlg::kPageCount; ++i) {
            if (frame.BeginTab(kPageIds[i], kPageCaptions[i])) {
                DrawPage(frame, i);
                frame.EndTab();
            }
        }
        frame.EndSheet();
    }
    DrawButtons(frame);
}

void CSheetView::DrawPage(Frame& frame, int index)
{
    m_sheet.SetActivePage(index);
    switch (index) {
    case 0:
        DrawTitle(frame);
        break;
    case 1:
        DrawGraphic(frame);
        break;
    case 2:
        DrawInput(frame);
        break;
    case 3:
        DrawSound(frame);
        break;
    case 4:
        DrawNet(frame);
        break;
    default:
        break;
    }
}

void CSheetView::DrawButtons(Frame& frame)
{
    const plat::window::Size size = frame.ClientSize();
    frame.MoveTo(kMargin, size.height - frame.LineHeight() - kMargin);
    if (frame.PushButton(CPrPg_SheetDlg::IDC_DEFAULTS, LoadResString(IDS_DEFAULTS)))
        m_sheet.OnDefaults();
    if (m_sheet.ShowsStart()) {
        frame.SameLine();
        if (frame.PushButton(CPrPg_SheetDlg::IDC_START, LoadResString(IDS_START))) {
            m_sheet.OnStart();
            m_dialog.EndModal(kIdOk);
        }
    }
    frame.SameLine(size.width - 190);
    if (frame.PushButton(kIdOk, CP1251("ОК"))) {
        m_sheet.OnOK();
        m_dialog.EndModal(kIdOk);
    }
    frame.SameLine();
    if (frame.PushButton(kIdCancel, CP1251("Отмена")))
        m_dialog.EndModal(kIdCancel);
}

void CSheetView::DrawTitle(Frame& frame)
{
    frame.Picture(kTitlePictureId, { m_title.pixels.data(), m_title.width, m_title.height });
}

void CSheetView::DrawGraphic(Frame& frame)
{
    CPrPg_Graphic& page = m_sheet.Graphic();
    SGraphicControls& c = page.Controls();
    const bool on = page.Initialised();
    static const std::string kTextures[] = { CP1251("Низкое          ( 32Мб видео )"),
        CP1251("Нормальное ( 64Мб видео )"), CP1251("Высокое       ( не менее 64Мб видео )") };
    static const std::string kRadii[] = { CP1251("Стандартная"), CP1251("Средняя"), CP1251("Большая") };

    frame.NextWidth(kWideControl);
    frame.Combo(1027, CP1251("Графический режим"), c.modes, c.mode, on);
    frame.CheckBox(1028, CP1251("Вертикальная синхронизация"), c.interval, on);
    frame.NextWidth(kWideControl);
    frame.Combo(1029, CP1251("Качество текстур"), kTextures, c.texture, on);
    frame.NextWidth(kWideControl);
    frame.Combo(1030, CP1251("Дальность видимости"), kRadii, c.radius, on);
    frame.Spacing();
    if (frame.RadioButton(1031, CP1251("Трилинейная фильтрация "), c.filtering == 1, on))
        page.ChooseFiltering(1);
    if (frame.RadioButton(
            1032, CP1251("Анизонтропная фильтрация "), c.filtering == 2, on && c.anisotropicRadio))
        page.ChooseFiltering(2);
    const bool slider = on && c.anisotropySlider;
    frame.StaticText(1035, CP1251("Значение анизонтропии"), slider);
    frame.NextWidth(kWideControl);
    frame.Slider(1009, "", c.anisotropy.pos, c.anisotropy.min, c.anisotropy.max, slider);
    frame.Spacing();
    frame.CheckBox(1018, CP1251("Использовать статический буфер"), c.staticBuffer, on);
    frame.CheckBox(1036, CP1251("Полное отражение на воде"), c.fullReflection, on);
}

void CSheetView::DrawInput(Frame& frame)
{
    CPrPg_Input& page = m_sheet.Input();
    SInputControls& c = page.Controls();
    // Two columns of groups, each group's label and then its buttons on one line.
    const int top = 3 * frame.LineHeight() + kMargin;
    const int pitch = frame.LineHeight() + 4;
    const int column = frame.ClientSize().width / 2;
    int group = -1;
    for (int i = 0; i < kInputRowCount; ++i) {
        const SInputRow& row = kInputRows[i];
        if (row.group) {
            ++group;
            const int x = (group < kGroupsPerColumn ? 0 : column) + kMargin;
            frame.MoveTo(x, top + (group % kGroupsPerColumn) * pitch);
            frame.StaticText(kIdStatic, row.group);
            frame.SameLine(x + kGroupLabelWidth);
        } else {
            frame.SameLine();
        }
        if (frame.PushButton(row.id, c.buttons[size_t(i)]))
            Capture(row.id);
    }
    frame.MoveTo(kMargin, top + (kGroupsPerColumn + 1) * pitch);
    frame.CheckBox(1037, CP1251("Использовать джойстик"), c.fixCursor);
    frame.CheckBox(1005, CP1251("Обратная связь"), c.forceFeedback);
    frame.CheckBox(1078, CP1251("Инвертировать мышь"), c.inverseMouse);
    frame.NextWidth(kWideControl);
    frame.Slider(
        1009, CP1251("Чувствительность мыши"), c.sensitivity.pos, c.sensitivity.min, c.sensitivity.max);
}

void CSheetView::Capture(int id)
{
    ZJ_TRACE("CPrPg_Input::OnKeyButton");
    CKeySetDlg capture(m_sheet.Input().KeyCodes());
    if (!capture.InitInput(m_dialog.Window()))
        return;
    plat::dialog::ModalParams params;
    params.caption = CP1251("Смена клавиши управления");
    params.timerMs = int(CKeySetDlg::kTimerMs);
    params.closeResult = kIdCancel;
    const int result = m_dialog.RunModal(
        params,
        [](Frame& frame) {
            frame.StaticText(kIdStatic, CP1251("Нажмите кнопку мыши, клавиатуры или джойстика"));
            frame.StaticText(kIdStatic, CP1251("( Esc - отмена )"));
        },
        [&] {
            switch (capture.Tick()) {
            case CKeySetDlg::ETick::Ok:
                m_dialog.EndModal(kIdOk);
                break;
            case CKeySetDlg::ETick::Cancel:
                m_dialog.EndModal(kIdCancel);
                break;
            case CKeySetDlg::ETick::None:
                break;
            }
        });
    capture.ReleaseInput();
    if (result == kIdOk)
        m_sheet.Input().Assign(id, capture.Target());
}

void CSheetView::DrawSound(Frame& frame)
{
    SSoundControls& c = m_sheet.Sound().Controls();
    frame.CheckBox(1022, CP1251("Включить музыку "), c.musicEnable);
    frame.NextWidth(kWideControl);
    frame.Slider(1025, CP1251("Громкость музыки"), c.musicVolume.pos, c.musicVolume.min, c.musicVolume.max);
    frame.NextWidth(kWideControl);
    frame.Slider(1010, CP1251("Громкость звука"), c.soundVolume.pos, c.soundVolume.min, c.soundVolume.max);
    frame.StaticText(kIdStatic, CP1251("Максимальное количество\tисточников звука"));
    frame.NextWidth(kWideControl);
    frame.Slider(1026, "", c.maxSources.pos, c.maxSources.min, c.maxSources.max);
    frame.NextWidth(kWideControl);
    frame.Slider(1009, CP1251("Громкость двигателя"), c.playerFade.pos, c.playerFade.min, c.playerFade.max);
}

void CSheetView::DrawNet(Frame& frame)
{
    frame.CheckBox(1024, CP1251("Запуск сетевого сервера"), m_sheet.Net().Controls().runServer);
}
