// COrgManager: the organisations of table "Организации" and their relations: two symmetric
// matrices of fractions (current, and the target the current value drifts back to), each pair
// stored once at [max x N + min]; an authority per organisation; per-organisation parameters.
// The politics file "StartPolitics.csv" sets the starting relations of a new game and may add
// organisations beyond the table's (they have relations but no parameters and never drift).
// Index -1 is "none" wherever the operation says so; other bad indices throw XRangeError.
#pragma once

#include "foundation/DefaultManager.h"
#include "foundation/XDynamicArray.h"

#include <cstdint>
#include <string_view>
#include <vector>

class XMemBuffer;

struct SOrgParams {
    int32_t icon; // ICON
    float volatility; // VOLATILE, 0.1 when 0
    float oblivion; // NOBLIVION, 0.5 when 0
    float playerEffect; // PLAYEREFFECT, 0.1 when 0; 1 for "ORG_PLAYER"
    float helpness; // HELPNESS percent, 0.1 when 0
    float tradeBonus; // BONUSTRADE percent
    float repairBonus; // BONUSREPAIR percent
    float repairBonusParts; // BONUSREPAIRIK percent, at least the repair bonus
    float expBonus; // BONUSEXP percent
    uint8_t noTradePenalty; // NOTRADEPENALTY = 1
    float courage; // COURAGE, 0.5 when 0
    float ratingFactor; // RATINGFACTOR, 1 when 0
};

class COrgManager : public DefaultManager {
public:
    static constexpr int kMaxColumns = 100;
    static constexpr size_t kMaxField = 255;

    // Rows, ids and zeroed N x N matrices and authority arrays. A table without "ORG_PLAYER"
    // throws XRangeError.
    void Init(const char* table) override;
    // Reads "Data\" + file name under the base directory, from disk only; a missing file logs two
    // lines and changes nothing.
    void SetPolitics(const char* fileName);
    // The politics file's text. False, with a log line and nothing changed, when the header is
    // empty, has a field over kMaxField bytes or more than kMaxColumns organisations.
    bool ApplyPolitics(std::string_view text);

    // One drift step of the current relations toward the target ones (dt in days).
    void Run(float dt);
    // 0 when either index is -1.
    float GetPairValue(int a, int b, bool target) const;
    // The target matrix, and the current one unless currentUntouched; nothing for -1.
    void SetRelation(int a, int b, float value, bool currentUntouched);
    // The current matrix only; nothing for -1.
    void SetCurrentRelation(int a, int b, float value);
    // The same as SetCurrentRelation: the target is the standard relation that drift returns to.
    void SetTargetRelation(int a, int b, float value) { SetCurrentRelation(a, b, value); }
    // a and b must be table rows. With spread, the other organisations' relations to a follow
    // their relation to b.
    void ChangeRelation(int a, int b, float amount, bool spread);
    void JoinOrganization(int k);
    void LeaveOrganization(int k);
    // Level + fraction of the average rating of k's machines; below level 2 every group of k
    // passes to "ORG_FREE" and the result is 0.
    float GetOrgPower(int k);
    void SetAuthority(int k, float value);
    void RestoreAuthority(int k);
    float GetAuthority(int k) const;

    // Save section 8: the target matrix, then the current one, each n x n floats for n = N.
    void SaveGame(XMemBuffer& stream) const;
    // Takes n from the payload size (n x n x 8 bytes), reads the top-left min(n, N) block and
    // skips the rest. Any other size logs, leaves the matrices untouched and returns false.
    bool LoadGame(XMemBuffer& stream, int payloadBytes);

    // Parameters; -1 and organisations without a row give the defaults (icon -1, courage 0.5,
    // rating factor 1, else 0).
    int32_t GetIcon(int k) const;
    float GetHelpness(int k) const;
    float GetCourage(int k) const;
    float GetRatingFactor(int k) const;
    float GetRewardFactor(int k) const; // BONUSEXP
    float GetRepairDiscount(int k) const; // BONUSREPAIR
    float GetRepairPartsDiscount(int k) const; // BONUSREPAIRIK
    float GetPriceDiscount(int k) const; // BONUSTRADE
    uint8_t GetTradeFlag(int k) const; // NOTRADEPENALTY
    const SOrgParams* GetParams(int k) const;

    int Count() const { return m_rowCount; }
    int FindOrganisation(const char* key) const { return m_rowNames.Find(key); }
    // The fixed organisations: those of the table. The goods-trading bound and the first scripted
    // index are the same count.
    int GetFixedCount() const { return tableCount; }
    int GetGoodsTradingBound() const { return tableCount; }
    int GetFirstScriptedIndex() const { return tableCount; }
    // A politics file was applied.
    bool IsInUse() const { return inUse; }
    float GetReserve(int k) const { return m_reserve.At(k); }
    int32_t GetResolvedId(int k) const { return m_resolvedIds.At(k); }

    int32_t playerOrganisation = -1;
    int32_t playerRow = -1;
    int32_t npcRow = -1;
    int32_t tableCount = 0;
    bool inUse = false;

private:
    size_t PairIndex(int a, int b) const;
    void AllocateRelations();
    float Current(int a, int b) const { return m_current[PairIndex(a, b)]; }

    XDynamicArray<float> m_reserve;
    XDynamicArray<float> m_defaultAuthority;
    XDynamicArray<float> m_authority;
    XDynamicArray<int32_t> m_resolvedIds;
    std::vector<float> m_target;
    std::vector<float> m_current;
    XDynamicArray<SOrgParams> m_rows;
};

extern COrgManager g_OrgManager;
