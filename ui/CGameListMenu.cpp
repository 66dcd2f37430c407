#include "ui/CGameListMenu.h"

#include "foundation/BaseDirectory.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "platform/gfx/d3dx/d3dx.h"
#include "render/CTexture.h"

CGameListMenu::CGameListMenu()
    : CLoadSaveMenu(false)
{
    mode = 2;
}

void CGameListMenu::GetGamesData(std::vector<SGameEntry>& found)
{
    ZJ_TRACE("CGameListMenu::GetGamesData");
    found = gamelist::ScanLocations(skipped);
}

bool CGameListMenu::LoadPreview(const SGameEntry& entry)
{
    plat::gfx::Texture* texture = preview ? preview->GetTexture() : nullptr;
    if (!texture)
        return false;
    const size_t dot = entry.name.rfind('.');
    const std::string path = BaseDirectory() + "Data\\Images\\" + entry.name.substr(0, dot) + ".tga";
    LogPrintf("A=%s", path.c_str());
    plat::gfx::Surface* level = nullptr;
    if (texture->GetSurfaceLevel(0, &level) != plat::gfx::Result::Ok)
        return false;
    const bool loaded = plat::gfx::d3dx::LoadSurfaceFromFile(
                            *level, nullptr, path, nullptr, plat::gfx::d3dx::Filter::Triangle, 0, nullptr)
        == plat::gfx::Result::Ok;
    level->Release();
    return loaded;
}
