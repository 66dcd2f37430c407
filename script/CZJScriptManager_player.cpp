// The player's money and rating as scripts and menus change them.
#include "ai/CFerrovant.h"
#include "foundation/Rating.h"
#include "net/CZJDPClient.h"
#include "script/CZJScriptManager.h"
#include "world/objects/CGliderObject.h"

#include <cmath>
#include <cstring>
#include <string>

namespace {

int32_t Level(float rating)
{
    int32_t level = 0;
    float fraction = 0.0f;
    GetRatingLevel(rating, level, fraction);
    return level;
}

} // namespace

void CZJScriptManager::AddBalance(float amount, int category)
{
    PlaySound("SND_INT_MONEY");
    AddOutput("", SScriptOutput::Money, int32_t(amount));
    static constexpr int kExpense[] = { 3, 5, 4, 6 };
    static constexpr int kIncome[] = { 2, 1, 0 };
    if (amount <= 0.0f && category >= 0 && category < 4)
        statistics.money[kExpense[category]] -= amount;
    else if (amount > 0.0f && category >= 0 && category < 3)
        statistics.money[kIncome[category]] += amount;
    if (PlayerFerrovant)
        PlayerFerrovant->cargo.bulkAmount += amount;
}

void CZJScriptManager::AddRating(float amount, int category)
{
    if (outputCount < kMaxOutput)
        AddOutput("", SScriptOutput::Rating, int32_t(amount));
    static constexpr int kGain[] = { 1, 0, 2 }; // of the rating fields 7-9
    if (amount > 0.0f && category >= 0 && category < 3)
        statistics.rating[kGain[category]] += amount;
    if (!PlayerFerrovant)
        return;
    const int32_t before = Level(PlayerFerrovant->rating);
    PlayerFerrovant->rating += amount;
    const int32_t after = Level(PlayerFerrovant->rating);
    if (after > before) {
        AddEvent("RATING.", std::to_string(after).c_str());
        PlaySound("SND_LEVEL_UP");
    }
    const CGliderObject* glider = PlayerFerrovant->glider;
    // Only a network game has a server to tell.
    if (glider && glider->networked && NetClient.started) {
        SPlayerInfo info {};
        info.id = NetClient.playerId;
        info.kills = statistics.killed;
        std::memcpy(&info.rating, &PlayerFerrovant->rating, sizeof info.rating);
        std::strncpy(info.name, playerName.Text(), sizeof info.name - 1);
        NetClient.SendPlayerInfo(info);
    }
}
