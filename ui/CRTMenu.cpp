#include "ui/CRTMenu.h"

#include "ai/CFerroGroup.h"
#include "ai/CFerroGroupList.h"
#include "ai/CFerrovant.h"
#include "foundation/CallTrace.h"
#include "foundation/Matrix.h"
#include "foundation/Rating.h"
#include "foundation/XRandom.h"
#include "render/CModelManager.h"
#include "script/CZJScriptManager.h"
#include "ui/CHtmlControl.h"
#include "ui/CMenuHost.h"
#include "ui/CMenuListEntry.h"
#include "ui/CZJHtmlWindow.h"
#include "ui/TextFormat.h"
#include "world/db/CEquipmentManager.h"
#include "world/db/CGliderManager.h"
#include "world/db/CGoodsManager.h"
#include "world/db/CGunManager.h"
#include "world/db/COrgManager.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/CObjectList.h"
#include "world/objects/CSplinterObject.h"
#include "world/objects/CTheThing.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kNetworkState = 3;
constexpr const char* kPoint = "<icon:POINT>";
constexpr uint32_t kEscape = 1;
constexpr int kMaxListEntries = 256;

int32_t PartLevel(const CEquipment& part)
{
    return part.row ? part.row->standard : 0;
}

std::string Name(const char* key)
{
    CXAnsiString name;
    if (!g_pScriptManager || !g_pScriptManager->GetTextName(key, name))
        return key;
    return name.Text();
}

std::string Text(const char* key)
{
    CXAnsiString text;
    if (g_pScriptManager)
        g_pScriptManager->GetText(key, text);
    return text.Text();
}

std::string Line(const char* key, std::initializer_list<TextValue> values)
{
    return kPoint + FormatText(key, Text(key), values);
}

// The kind of thing a cargo kind drops as.
int32_t ThingKind(uint32_t cargoKind)
{
    switch (cargoKind) {
    case CargoItem::kCaptured:
        return 257;
    case CargoItem::kUnmerged:
        return 514;
    default:
        return 513;
    }
}

} // namespace

bool EquipmentFitsBody(const CFerrovant& machine)
{
    const SGliderType* body = machine.hull.type;
    const int32_t level = body ? body->standard : 0;
    for (const CEquipment* part : { &machine.reactor, &machine.engine, &machine.shield, &machine.armour })
        if (part->index != -1 && PartLevel(*part) > level)
            return false;
    const struct {
        const SItemRecord& gun;
        uint8_t allowed;
    } extras[2] = {
        { machine.config.lightGun, uint8_t(body ? body->specialB : 0) },
        { machine.config.heavyGun, uint8_t(body ? body->specialA : 0) },
    };
    for (const auto& extra : extras) {
        const int32_t row = int32_t(extra.gun.words[0]);
        if (row < 0 || row >= g_GunManager.GunCount())
            continue;
        if (g_GunManager.GetGun(row).standard > level || !extra.allowed)
            return false;
    }
    return true;
}

ToolBarTable CRTMenu::FlightToolBar(uint32_t holdKey, uint32_t journalKey, uint32_t mapKey)
{
    const auto bound
        = [](uint32_t key, uint32_t fallback) { return key >= 2 && key <= 255 ? key : fallback; };
    return { {
        { kCmdEquipment, 18, 0, "INT_TT_EQP" },
        { kCmdHold, bound(holdKey, 35), 1, "INT_TT_HOLD" },
        { kCmdJournal, bound(journalKey, 36), 2, "INT_TT_JOURNAL" },
        { kCmdMap, bound(mapKey, 50), 3, "INT_TT_MAP" },
        { kCmdStatistics, 31, 4, "INT_TT_STAT" },
        { kCmdLeave, kEscape, 5, "INT_TT_INGAME" },
    } };
}

CRTMenu::CRTMenu(int32_t openMode)
    : openMode(openMode)
{
    background = "SUF_FON_FERRO";
}

CRTMenu::~CRTMenu()
{
    CloseMap();
}

bool CRTMenu::Init()
{
    ZJ_TRACE("CRTMenu::Init");
    CMainMenu::Init();
    textOnSelect = 1;
    BuildToolBar(FlightToolBar(holdKey, journalKey, mapKey));
    page = 0;
    ProcessCommand(openMode == kOpenJournal ? kCmdJournal : openMode == kOpenMap ? kCmdMap : kCmdHold);
    messages.Init(kQueueCapacity);
    currentMessage = kMsgIdle;
    PostMessage(kMsgRightPanel);
    introPos = firstPanelPos = secondPanelPos = 1.0f;
    return true;
}

void CRTMenu::ClearText()
{
    if (textPanel && textPanel->window)
        textPanel->window->Clear();
}

void CRTMenu::SwitchTo(int32_t newPage, bool clearText)
{
    if (clearText)
        ClearText();
    page = newPage;
    PostMessage(kMsgRightPanel);
}

void CRTMenu::ProcessCommand(int id)
{
    ZJ_TRACE("CRTMenu::ProcessCommand");
    CMainMenu::ProcessCommand(id);
    if (id != kCmdMap) {
        if (textPanel)
            textPanel->visible = 1;
        hint.clear();
    }
    if (id < kCmdLeave || id > kCmdDrop)
        return;
    switch (id) {
    case kCmdStatistics:
        SwitchTo(kCmdStatistics, true);
        return;
    case kCmdDrop:
        DropSelected();
        return;
    case kCmdMap:
        if (page == kCmdMap) {
            CloseMenu(kResultLeave);
            return;
        }
        OpenMap();
        SwitchTo(kCmdMap, true);
        return;
    case kCmdLeave:
        CloseMenu(kResultLeave);
        return;
    case kCmdEquipment:
    case kCmdHold:
        if (page == id)
            CloseMenu(kResultLeave);
        else
            SwitchTo(id, true);
        return;
    case kCmdJournal:
        if (page == kCmdJournal) {
            CloseMenu(kResultLeave);
            return;
        }
        ClearText();
        SetPreviewModel(-1);
        SwitchTo(kCmdJournal, false);
        return;
    default:
        return;
    }
}

void CRTMenu::OnChangeRightPanel()
{
    ZJ_TRACE("CRTMenu::OnChangeRightPanel");
    switch (page) {
    case kCmdJournal: {
        const std::vector<SListEntry> entries = BuildJournalList();
        FillRightList(entries.data(), int32_t(entries.size()));
        MarkNewEntries(rightList);
        SelectFirstEntry(false, false);
        break;
    }
    case kCmdEquipment:
        FillEquipmentList();
        SelectFirstEntry(false, false);
        break;
    case kCmdStatistics:
        FillRightList(nullptr, 0);
        if (MenuHost().State() == kNetworkState)
            ShowPlayerList();
        else
            ShowStatistics();
        break;
    case kCmdMap:
        FillMapLists();
        break;
    case kCmdHold:
        FillHoldLists();
        break;
    default:
        FillRightList(nullptr, 0);
        break;
    }
}

void CRTMenu::FillEquipmentList()
{
    const std::vector<SListEntry> entries = CreateGliderList(false);
    FillRightList(entries.data(), int32_t(entries.size()));
    ColourPartWarnings(rightList, WarningRules::InFlight);
}

void CRTMenu::FillHoldLists()
{
    std::vector<SListEntry> entries(kMaxListEntries);
    int32_t count = 0;
    if (PlayerFerrovant) {
        const CGarbage& cargo = PlayerFerrovant->cargo;
        static constexpr struct {
            uint32_t kind;
            const char* header;
        } kGroups[] = { { CargoItem::kUnmerged, "INT_THINGS" }, { CargoItem::kGoods, "INT_GOODS" },
            { CargoItem::kCaptured, "INT_FERROS" } };
        for (const auto& group : kGroups) {
            bool headed = false;
            for (int i = 0; i < cargo.items.Count() && count < kMaxListEntries - 1; ++i) {
                const CargoItem& item = cargo.items.At(i);
                if (item.kind != group.kind)
                    continue;
                if (!headed)
                    AddListEntry(false, entries.data(), group.header, count, kEntryOpenHeader, 0, 0);
                headed = true;
                AddListEntry(
                    false, entries.data(), item.name, count, kEntryOrdinary, uint32_t(i), item.count);
            }
        }
    }
    FillRightList(entries.data(), count);
}

void CRTMenu::SelectRightList(int32_t index)
{
    ZJ_TRACE("CRTMenu::SelectRightList");
    CMainMenu::SelectRightList(index);
    if (selectedRight < 0)
        return;
    switch (page) {
    case kCmdJournal:
        ShowJournalEntry(selectedRight, false);
        break;
    case kCmdHold:
        ShowHoldEntry(selectedRight);
        break;
    case kCmdMap:
        AimAt(rightList.At(selectedRight)->key);
        break;
    default:
        break;
    }
}

void CRTMenu::ShowHoldEntry(int32_t index)
{
    const CMenuListEntry& entry = *rightList.At(index);
    if (entry.IsHeader() || !PlayerFerrovant)
        return;
    const CGarbage& cargo = PlayerFerrovant->cargo;
    if (int32_t(entry.value) >= cargo.items.Count())
        return;
    const CargoItem& item = cargo.items.At(int32_t(entry.value));
    const int goodsRow = g_GoodsManager.GetRowNames().Find(item.name);
    int32_t model = -1;
    if (g_pModelManager) {
        if (item.kind == CargoItem::kCaptured)
            model = g_pModelManager->FindModel("TOV_FERROVANT");
        else if (goodsRow >= 0)
            model = g_GoodsManager.GetDesc(goodsRow).model.Index();
        if (model < 0)
            model = g_pModelManager->FindModel("MOD_TOV_DEFAULT");
    }
    SetPreviewModel(model);
    ClearText();
    std::string body;
    const auto add = [&](const std::string& line) {
        if (!body.empty())
            body += "<br>";
        body += line;
    };
    if (item.kind != CargoItem::kUnmerged)
        add(kPoint + Text("INT_DROP_ITEM"));
    const float weight = goodsRow >= 0 ? g_GoodsManager.GetDesc(goodsRow).mass * float(item.count) : 0.0f;
    add(Line("INT_WEIGHT_IS", { int64_t(weight) }));
    switch (item.kind) {
    case CargoItem::kGoods:
        if (!(item.price > 0.0f))
            add(Line("INT_GOOD_WAS_DROPPED", {}));
        else
            add(Line("INT_GOOD_WAS_BUIED", { int64_t(item.price) }));
        add(kPoint + Name(item.name));
        add(Text(item.name));
        break;
    case CargoItem::kUnmerged:
        add(kPoint + Name(item.name));
        add(Text(item.name));
        break;
    default: {
        add(Line("INT_FERRO_IS", { std::string_view(item.name) }));
        const CFerrovant* captured = FerroGroupList.FindGroupOfMember(item.name);
        if (captured && captured->group) {
            const int32_t org = captured->group->organisation;
            const XStringTable& names = g_OrgManager.GetRowNames();
            const std::string orgName = org >= 0 && org < names.Count() ? Name(names.GetString(org)) : "";
            add(Line("INT_ORG_IS", { std::string_view(orgName) }));
            int32_t level = 0;
            float fraction = 0.0f;
            GetRatingLevel(captured->rating, level, fraction);
            add(Line("INT_RATING_IS", { int64_t(level) }));
        } else {
            add(Line("INT_UNKNOWN_FERRO", {}));
        }
        break;
    }
    }
    ShowHTMLText(CXAnsiString(Name(item.name).c_str()), CXAnsiString(body.c_str()), nullptr, 0, 0);
}

void CRTMenu::DropSelected()
{
    ZJ_TRACE("CRTMenu::DropSelected");
    if (page != kCmdHold || selectedRight < 0 || selectedRight >= rightList.Count() || !PlayerFerrovant)
        return;
    const CMenuListEntry& entry = *rightList.At(selectedRight);
    CGarbage& cargo = PlayerFerrovant->cargo;
    if (entry.IsHeader() || int32_t(entry.value) >= cargo.items.Count())
        return;
    const int32_t at = int32_t(entry.value);
    CargoItem& item = cargo.items.At(at);
    const int32_t count = MenuHost().KeyDown(kLeftShift) ? item.count : 1;
    CGliderObject* glider = PlayerFerrovant->glider;
    if (glider) {
        Matrix4 placement;
        Matrix4Identity(placement);
        placement.m[12] = glider->frame.position.x;
        placement.m[13] = glider->frame.position.y;
        placement.m[14] = glider->frame.position.z;
        auto* thing = new CTheThing;
        thing->Init(placement.m, ThingKind(item.kind));
        thing->AddItem(item.kind, item.name, uint32_t(count));
        thing->saved = 1;
        auto* splinter = new CSplinterObject;
        NameKey32 noModel {};
        const int32_t none = -1;
        std::memcpy(noModel.text, &none, sizeof none);
        splinter->Spawn(placement, noModel, CSplinterObject::kCarrier, thing);
        Vec3 direction {};
        for (float* axis : { &direction.x, &direction.y, &direction.z })
            *axis = 2.0f - 0.4f * float(SharedRandom.GetInt(10));
        const float length
            = std::sqrt(direction.x * direction.x + direction.y * direction.y + direction.z * direction.z);
        const float speed = 5.0f * (0.5f + 0.1f * float(SharedRandom.GetInt(10)));
        const float scale = length > 0.0f ? speed / length : 0.0f;
        ObjectList.AddObject(splinter);
        splinter->owner = glider;
        splinter->velocity = { direction.x * scale + 0.75f * glider->velocity.x,
            direction.y * scale + 0.75f * glider->velocity.y,
            direction.z * scale + 0.75f * glider->velocity.z };
    }
    if (item.count <= count)
        cargo.items.Delete(at);
    else
        item.count -= count;
    if (glider)
        glider->SyncEquipment();
    PostMessage(kMsgRightPanel);
}
