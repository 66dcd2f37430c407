#include "ui/CLoadSaveMenu.h"

#include "foundation/BaseDirectory.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "platform/gfx/d3dx/d3dx.h"
#include "platform/win/file.h"
#include "platform/win/paths.h"
#include "render/CFont.h"
#include "render/CSurfaceManager.h"
#include "render/CTexture.h"
#include "render/Graphic.h"
#include "render/TextureManager.h"
#include "script/CZJScriptManager.h"
#include "ui/CHtmlControl.h"
#include "ui/CTextMessageControl.h"
#include "ui/CZJHtmlWindow.h"
#include "ui/MenuDraw.h"

#include <algorithm>
#include <vector>

namespace {

constexpr int kPictureSlot = 11;
constexpr uint32_t kLineColour = 0xA0FFFFFF;
constexpr int32_t kPreviewHeight = 192;
constexpr int32_t kScrollToTop = -1000;

std::string TextName(const char* key)
{
    CXAnsiString name;
    if (g_pScriptManager)
        g_pScriptManager->GetTextName(key, name);
    else
        name = key;
    return name.Text();
}

} // namespace

CLoadSaveMenu::CLoadSaveMenu(bool saving)
    : saving(saving ? 1 : 0)
{
    showsCursor = 0;
    drawPanel = 0;
}

CLoadSaveMenu::~CLoadSaveMenu() = default;

bool CLoadSaveMenu::Init()
{
    ZJ_TRACE("CLoadSaveMenu::Init");
    panelSurface = g_pSurfaceManager ? g_pSurfaceManager->FindSurface("SUF_MAINMENU_GAMES") : -1;
    if (mode == -1)
        mode = saving ? 1 : 0;
    CInputLineMenu::Init();
    drawFront = 0;
    bumpTexture = g_pTextureManager ? g_pTextureManager->FindTexture("TEX_INT_ZJ_GAMES_BUMP") : -1;
    windowCaption = TextName(saving ? "INT_CAPTION_SAVE" : "INT_CAPTION_LOAD").c_str();

    const int32_t listLeft = panelLeft + 295;
    const int32_t listTop = panelTop + 56;
    list = new CHtmlControl(listLeft, listTop, listLeft + 289, listTop + 168);
    list->consoleEnabled = 0;
    list->noCommands = 1;
    CZJHtmlWindow* window = list->window;
    window->Clear();
    window->defaultColour = window->currentColour = 0xFFFFFF;
    window->linkColour = 0xD0D0D0;
    window->referenceColour = 0xA099EA;
    window->visitedColour = 0xC4635A;
    window->hoverColour = 0xA099EA;
    window->selectedColour = 0xFFFFFF;
    window->SetFlags(1, 1, 0);
    UpdateGameList();
    AddControl(list);

    const int32_t lineHeight = g_pFont ? g_pFont->GetLineHeight() : 16;
    const int32_t textTop = panelTop + 45 + kPreviewHeight;
    line1 = new CTextMessageControl(
        panelLeft + 20, textTop, panelLeft + 20 + kPreviewSide, textTop + lineHeight, "", kLineColour, false);
    line2 = new CTextMessageControl(panelLeft + 20, textTop + lineHeight, panelLeft + 20 + kPreviewSide,
        textTop + 2 * lineHeight, "", kLineColour, false);
    for (CTextMessageControl* line : { line1, line2 }) {
        line->visible = 0;
        AddControl(line);
    }
    if (!preview) {
        preview = std::make_unique<CTexture>();
        g_Graphic.CreateTexture(preview.get(), kPreviewSide, kPreviewSide, 1, plat::gfx::Format::Dxt3,
            plat::gfx::Pool::Managed, 0);
    }
    previewShown = 0;
    return true;
}

void CLoadSaveMenu::GetGamesData(std::vector<SGameEntry>& found)
{
    ZJ_TRACE("CLoadSaveMenu::GetGamesData");
    found = gamelist::ScanSaves(skipped);
}

void CLoadSaveMenu::UpdateGameList()
{
    ZJ_TRACE("UpdateGameList");
    entries.clear();
    skipped.clear();
    GetGamesData(entries);
    const GameListMode lines = saving ? GameListMode::Save
        : mode >= 2                   ? GameListMode::Net
                                      : GameListMode::Load;
    newSaveName = saving ? gamelist::NewSaveName(entries) : std::string();
    for (const SGameListLine& line : gamelist::Lines(entries, lines))
        list->window->AddText(line.markup.c_str(), line.block.c_str(), true);
    list->window->Scroll(kScrollToTop * list->window->GetFontHeight(0));
}

bool CLoadSaveMenu::IsOffered(const std::string& target) const
{
    if (!target.empty() && target == newSaveName)
        return true;
    return std::any_of(
        entries.begin(), entries.end(), [&](const SGameEntry& entry) { return entry.name == target; });
}

void CLoadSaveMenu::ProcessCommand(int id)
{
    switch (uint32_t(id)) {
    case kCancel:
        result = kCancel;
        endRequested = 1;
        break;
    case CHtmlControl::kLinkCommand: {
        ZJ_TRACE("CM_HTML");
        OnLinkClicked();
        break;
    }
    case kCloseInput:
        CloseInputLine();
        break;
    case CHtmlControl::kInputCommand:
        if (list->resultText.Length() > 0)
            OnOk();
        else
            CloseInputLine();
        break;
    case kOk:
        OnOk();
        break;
    case kDelete: {
        ZJ_TRACE("CM_DELETE");
        OnDelete();
        break;
    }
    default:
        break;
    }
}

void CLoadSaveMenu::OnLinkClicked()
{
    if (!list || !list->linkClicked)
        return;
    const std::string target = list->linkTarget;
    if (!IsOffered(target)) {
        WriteErrorLog("CLoadSaveMenu: the link '" + target + "' names no listed file");
        return;
    }
    if (list->InputActive())
        CloseInputLine();
    chosenName = target;
    const auto found = std::find_if(
        entries.begin(), entries.end(), [&](const SGameEntry& entry) { return entry.name == target; });
    selected = found == entries.end() ? -1 : int32_t(found - entries.begin());
    if (selected >= 0) {
        const SGameEntry& entry = entries[size_t(selected)];
        if (mode < 2) {
            line1->text = (entry.location + " - " + entry.place).c_str();
            line2->text = entry.DateText().c_str();
            line1->visible = line2->visible = 1;
        }
        previewShown = LoadPreview(entry) ? 1 : 0;
    } else {
        ClearSelection();
    }
    if (saving) {
        inputBlock = target;
        list->StartInput(target.c_str(), "",
            selected >= 0 ? gamelist::ListText(entries[size_t(selected)].title).c_str() : "");
    }
}

void CLoadSaveMenu::CloseInputLine()
{
    if (!list)
        return;
    list->CancelInput();
    if (inputBlock.empty())
        return;
    const std::string title = selected >= 0 ? entries[size_t(selected)].title : TextName("INT_NEWSAVE");
    list->window->ReplaceTextInBlock(inputBlock.c_str(), gamelist::LinkLine(title, inputBlock).c_str());
    inputBlock.clear();
}

void CLoadSaveMenu::OnOk()
{
    if (list && list->InputActive())
        list->resultText = list->TypedText().c_str();
    if (chosenName.empty() || !IsOffered(chosenName))
        return;
    if (saving && (!list || list->resultText.Length() == 0))
        return;
    result = kChosen;
    endRequested = 1;
}

void CLoadSaveMenu::OnDelete()
{
    if (selected < 0 || mode >= 2)
        return;
    const std::string name = entries[size_t(selected)].name;
    if (!plat::win::RemoveFile(BaseDirectory() + "SAVES\\" + name))
        WriteErrorLog("CLoadSaveMenu: " + name + " could not be deleted");
    list->CancelInput();
    inputBlock.clear();
    list->window->Clear();
    selected = -1;
    chosenName.clear();
    ClearSelection();
    UpdateGameList();
}

void CLoadSaveMenu::ClearSelection()
{
    if (line1)
        line1->visible = 0;
    if (line2)
        line2->visible = 0;
    previewShown = 0;
}

bool CLoadSaveMenu::LoadPreview(const SGameEntry& entry)
{
    plat::gfx::Texture* texture = preview ? preview->GetTexture() : nullptr;
    plat::gfx::Device* device = g_Graphic.GetDevice();
    const std::optional<std::string> path = plat::win::ResolvePath(BaseDirectory() + "SAVES\\" + entry.name);
    plat::win::ReadOnlyFile file;
    if (!texture || !device || !path || file.Open(*path) != plat::win::FileResult::Ok)
        return false;
    std::vector<uint8_t> bytes(SaveHeader::kSize + SaveHeader::kScreenshotSize);
    SaveHeader header;
    if (!file.ReadAt(bytes.data(), bytes.size(), 0)
        || header.Parse(bytes.data(), bytes.size()) != SaveHeader::Read::Ok || !header.HasScreenshot())
        return false;
    plat::gfx::Surface* image = nullptr;
    if (device->CreateImageSurface(kPreviewSide, kPreviewSide, plat::gfx::Format::X8R8G8B8, &image)
        != plat::gfx::Result::Ok)
        return false;
    bool loaded = false;
    plat::gfx::LockedRect locked;
    if (image->LockRect(locked, nullptr, 0) == plat::gfx::Result::Ok) {
        for (int32_t row = 0; row < kPreviewSide; ++row)
            std::copy_n(bytes.data() + SaveHeader::kSize + size_t(row) * kPreviewSide * 4, kPreviewSide * 4,
                static_cast<uint8_t*>(locked.bits) + size_t(row) * size_t(locked.pitch));
        image->UnlockRect();
        plat::gfx::Surface* level = nullptr;
        if (texture->GetSurfaceLevel(0, &level) == plat::gfx::Result::Ok) {
            loaded = plat::gfx::d3dx::LoadSurfaceFromSurface(
                         *level, nullptr, *image, nullptr, plat::gfx::d3dx::Filter::None, 0)
                == plat::gfx::Result::Ok;
            level->Release();
        }
    }
    image->Release();
    return loaded;
}

void CLoadSaveMenu::RenderBackGround()
{
    CMenu1::RenderBackGround();
    if (previewShown)
        DrawMenuQuad(kPictureSlot, preview.get(), float(panelLeft + 20), float(panelTop + 45),
            float(panelLeft + 20 + kPreviewSide), float(panelTop + 45 + kPreviewHeight));
    DrawLitSurface(panelSurface, bumpTexture, panelLeft, panelTop);
    if (g_pFont)
        g_pFont->Print(
            panelLeft + 234, panelTop + 14, panelRight - panelLeft - 234, windowCaption.Text(), 0xFFFFFFFF);
}
