#include "ai/CGarbage.h"

#include "foundation/ErrorLog.h"
#include "foundation/XRangeError.h"
#include "world/db/CGoodsManager.h"

#include <cstring>
#include <stdexcept>

namespace {

bool SameName(const CargoItem& item, const char* name)
{
    return std::strncmp(item.name, name, sizeof item.name) == 0;
}

} // namespace

void CGarbage::AddGoods(const char* name, int32_t count, float price, uint32_t kind)
{
    if (kind == CargoItem::kBulk) {
        bulkAmount += float(count);
        return;
    }
    if (count <= 0)
        return;
    if (kind == CargoItem::kGoods) {
        for (CargoItem& item : items) {
            if (item.kind != CargoItem::kGoods || !SameName(item, name))
                continue;
            if ((item.price > 0.0f && price > 0.0f) || (item.price == 0.0f && price == 0.0f)) {
                const float total = float(item.count) * item.price + float(count) * price;
                item.count += count;
                item.price = total / float(item.count);
                return;
            }
        }
        const int row = g_GoodsManager.GetRowNames().Find(name);
        if (row == -1) {
            WriteErrorLog(std::string("CGarbage::AddGoods unknown goods '") + name + "'");
            throw std::runtime_error("unknown goods");
        }
        if (g_GoodsManager.GetDesc(row).noTrade)
            kind = CargoItem::kUnmerged;
    }
    CargoItem item {};
    item.kind = kind;
    std::strncpy(item.name, name, sizeof item.name - 1);
    item.count = count;
    item.price = price;
    items.Add(item);
}

void CGarbage::RemoveGoods(const char* name, int32_t count)
{
    if (count <= 0)
        return;
    for (int i = 0; i < items.Count() && count > 0;) {
        CargoItem& item = items.At(i);
        if (!SameName(item, name)) {
            ++i;
            continue;
        }
        if (item.count > count) {
            item.count -= count;
            return;
        }
        count -= item.count;
        items.Delete(i);
    }
    if (count > 0)
        LogPrintf("RemoveGoods goods '%s' not found", name);
}

bool CGarbage::HasGoods(const char* name, uint32_t kind, int32_t count) const
{
    int64_t rest = count;
    for (const CargoItem& item : items) {
        if (item.kind != kind || !SameName(item, name))
            continue;
        rest -= item.count;
        if (rest < 1)
            return true;
    }
    return false;
}

bool CGarbage::HasCaptured(const char* name, int32_t n) const
{
    int found = 0;
    for (const CargoItem& item : items) {
        if (item.kind != CargoItem::kCaptured)
            continue;
        if (name != nullptr && SameName(item, name))
            return true;
        ++found;
    }
    return name == nullptr && n >= 1 && found >= n;
}

void CGarbage::Clear()
{
    bulkAmount = 0.0f;
    items.Done();
}
