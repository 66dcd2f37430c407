// CLoadSaveMenu: the list window of the save games in SAVES\ (load and save modes): a scrolling
// mark-up list with a screenshot preview, the save's place and date, and, when saving, an input
// line that names the save. Result 6 with the chosen file name in chosenName; when saving, the
// typed title is the list's resultText. Save files are untrusted; a clicked target counts only
// when it is a listed file or the proposed new save.
#pragma once

#include "ui/CInputLineMenu.h"
#include "ui/GameList.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CHtmlControl;
class CTexture;
class CTextMessageControl;

class CLoadSaveMenu : public CInputLineMenu {
public:
    // The owner's command that closes the input line.
    static constexpr uint32_t kCloseInput = 97;
    static constexpr int32_t kPreviewSide = 256;

    explicit CLoadSaveMenu(bool saving);
    ~CLoadSaveMenu() override;

    bool Init() override;
    void RenderBackGround() override;
    void ProcessCommand(int id) override;
    // Fills the entries: the save scan here, the location scan in CGameListMenu.
    virtual void GetGamesData(std::vector<SGameEntry>& found);
    // Rebuilds the mark-up list from GetGamesData.
    void UpdateGameList();

    const std::vector<SGameEntry>& Entries() const { return entries; }
    // Files left out of the list by the last scan.
    const std::vector<SSkippedFile>& Skipped() const { return skipped; }
    CHtmlControl* List() const { return list; }
    int32_t Selected() const { return selected; }
    // The preview texture, null while no picture is shown.
    CTexture* Preview() const { return previewShown ? preview.get() : nullptr; }
    GameListMode Mode() const { return GameListMode(mode); }

protected:
    bool OffersDelete() const override { return mode < 2; }
    int32_t PanelPicture() const override { return panelSurface; }
    // Loads the selected entry's picture into the preview; false when there is none.
    virtual bool LoadPreview(const SGameEntry& entry);
    // Hides the place, the date and the preview.
    void ClearSelection();

    int32_t mode = -1;
    std::vector<SGameEntry> entries;
    std::vector<SSkippedFile> skipped;
    std::unique_ptr<CTexture> preview;
    uint8_t previewShown = 0;
    int32_t panelSurface = -1;
    int32_t selected = -1;
    CHtmlControl* list = nullptr; // owned through the control list
    CTextMessageControl* line1 = nullptr;
    CTextMessageControl* line2 = nullptr;
    uint8_t saving = 0;

private:
    void OnLinkClicked();
    // Rebuilds the selected entry's line (or the input block's) without the input cursor.
    void CloseInputLine();
    void OnOk();
    void OnDelete();
    // Whether the target is a listed file name or the proposed new save.
    bool IsOffered(const std::string& target) const;

    std::string newSaveName; // the proposed new save when saving
    std::string inputBlock; // the block that shows the input line
};
