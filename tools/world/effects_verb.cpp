#include "tools/world/effects_verb.h"

#include "audio/CSoundManager.h"
#include "foundation/Matrix.h"
#include "foundation/Rand.h"
#include "platform/win/text.h"
#include "world/db/CExploManager.h"
#include "world/db/CMissileManager.h"
#include "world/objects/CExploObject.h"
#include "world/objects/CMissileObject.h"
#include "world/objects/CObjectList.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace zoq::tools::world {
namespace {

struct SEffectRow {
    bool projectile;
    int row;
};

// The row's name as UTF-8, "-" for none.
std::string RowName(const DefaultManager& manager, int row)
{
    if (row < 0 || row >= manager.GetRowCount())
        return "-";
    return plat::win::Cp1251ToUtf8(manager.GetRowNames().GetString(row));
}

NameKey32 RowKey(int row)
{
    NameKey32 key {};
    std::memcpy(key.text, &row, 4);
    return key;
}

void PrintProjectile(int row)
{
    Matrix4 identity;
    Matrix4Identity(identity);
    auto* missile
        = static_cast<CMissileObject*>(g_MissileManager.CreateObject(RowKey(row), identity.m, nullptr));
    const SMissileType& desc = missile->Row();
    const std::string trail = missile->trail.ready
        ? std::to_string(missile->trail.style) + "/" + std::to_string(missile->trail.capacity)
        : "-";
    std::printf("projectile %s kind=%d life=%g radius=%g mass=%g thrust=%g turn=%g steered=%d gravity=%d "
                "trail=%s explo=%s sub=%s\n",
        RowName(g_MissileManager, row).c_str(), int(desc.kind), double(missile->lifeTime),
        double(missile->radius), double(missile->mass), double(missile->thrust), double(missile->turnRate),
        int(missile->steered), int(missile->gravityOn), trail.c_str(),
        RowName(g_ExploManager, desc.explosion.Index()).c_str(),
        RowName(g_MissileManager, desc.subMissile.Index()).c_str());
}

void PrintExplosion(int row)
{
    Matrix4 identity;
    Matrix4Identity(identity);
    auto* explosion
        = static_cast<CExploObject*>(g_ExploManager.CreateObject(RowKey(row), identity.m, nullptr));
    const SExploType& desc = g_ExploManager.GetDesc(row);
    std::string stages;
    for (const SExploLayer& layer : desc.layers) {
        if (layer.kind == 0)
            continue;
        char stage[64];
        std::snprintf(stage, sizeof stage, "%s%d:%g-%g", stages.empty() ? "" : ",", int(layer.kind),
            double(layer.delay), double(layer.delay + layer.duration));
        stages += stage;
    }
    const std::string sound = g_pSoundManager ? RowName(*g_pSoundManager, desc.sound.Index()) : "-";
    std::printf("explosion %s radius=%g life=%g damage=%g impulse=%g light=%g sound=%s stages=%s\n",
        RowName(g_ExploManager, row).c_str(), double(explosion->radius), double(explosion->remaining),
        double(desc.damage), double(desc.impulse), double(desc.lightRadius), sound.c_str(),
        stages.empty() ? "-" : stages.c_str());
}

} // namespace

int PrintEffects(const std::vector<std::string>& names)
{
    SeedRand(1);
    std::vector<SEffectRow> rows;
    if (names.empty()) {
        for (int i = 0; i < g_MissileManager.GetRowCount(); ++i)
            rows.push_back({ true, i });
        for (int i = 0; i < g_ExploManager.GetRowCount(); ++i)
            rows.push_back({ false, i });
    }
    for (const std::string& name : names) {
        const std::string key = plat::win::Utf8ToCp1251(name);
        const int projectile = g_MissileManager.GetRowNames().Find(key.c_str());
        const int explosion = g_ExploManager.GetRowNames().Find(key.c_str());
        if (projectile < 0 && explosion < 0) {
            std::fprintf(stderr, "zoq-world: no projectile or explosion %s\n", name.c_str());
            return 1;
        }
        rows.push_back(projectile >= 0 ? SEffectRow { true, projectile } : SEffectRow { false, explosion });
    }
    for (const SEffectRow& row : rows) {
        if (row.projectile)
            PrintProjectile(row.row);
        else
            PrintExplosion(row.row);
    }
    ObjectList.Clear();
    return 0;
}

} // namespace zoq::tools::world
