#include "world/db/COrgManager.h"

#include "ai/CFerroGroup.h"
#include "ai/CFerroGroupList.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "foundation/Rating.h"
#include "foundation/ResourceDBManager.h"
#include "foundation/XMemBuffer.h"
#include "foundation/XRangeError.h"
#include "platform/win/paths.h"
#include "platform/win/text.h"
#include "world/db/FieldTable.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

COrgManager g_OrgManager;

namespace {

constexpr SField<SOrgParams> kFields[] = {
    { "ICON", &SOrgParams::icon, EField::Int },
    { "VOLATILE", &SOrgParams::volatility, EField::FloatOr, 0.1f },
    { "NOBLIVION", &SOrgParams::oblivion, EField::FloatOr, 0.5f },
    { "PLAYEREFFECT", &SOrgParams::playerEffect, EField::FloatOr, 0.1f },
    { "HELPNESS", &SOrgParams::helpness, EField::Percent },
    { "NOTRADEPENALTY", &SOrgParams::noTradePenalty, EField::Flag },
    { "BONUSEXP", &SOrgParams::expBonus, EField::Percent },
    { "BONUSTRADE", &SOrgParams::tradeBonus, EField::Percent },
    { "BONUSREPAIR", &SOrgParams::repairBonus, EField::Percent },
    { "BONUSREPAIRIK", &SOrgParams::repairBonusParts, EField::Percent },
    { "COURAGE", &SOrgParams::courage, EField::FloatOr, 0.5f },
    { "RATINGFACTOR", &SOrgParams::ratingFactor, EField::FloatOr, 1.0f },
};

constexpr size_t kMaxPoliticsFile = 16u << 20;

// The fields of one line of the politics file: ';' separates, '\n' ends a line, '\r' is dropped.
class PoliticsReader {
public:
    explicit PoliticsReader(std::string_view text)
        : m_text(text)
    {
    }
    // False at the end of the text when no line is left. tooLong is set when a field passed
    // COrgManager::kMaxField bytes (the fields then hold what fitted).
    bool ReadLine(std::vector<std::string>& fields, bool& tooLong)
    {
        fields.clear();
        tooLong = false;
        if (m_at >= m_text.size())
            return false;
        fields.emplace_back();
        while (m_at < m_text.size()) {
            const char c = m_text[m_at++];
            if (c == '\n')
                break;
            if (c == '\r')
                continue;
            if (c == ';') {
                fields.emplace_back();
                continue;
            }
            if (fields.back().size() >= COrgManager::kMaxField)
                tooLong = true;
            else
                fields.back() += c;
        }
        return true;
    }

private:
    std::string_view m_text;
    size_t m_at = 0;
};

bool ParseMatrixValue(const std::string& field, float& value)
{
    char extra;
    if (std::sscanf(field.c_str(), "%f%c", &value, &extra) < 1)
        return false;
    return !std::isnan(value);
}

} // namespace

size_t COrgManager::PairIndex(int a, int b) const
{
    if (a < 0 || b < 0 || a >= m_rowCount || b >= m_rowCount)
        throw XRangeError();
    return size_t(std::max(a, b)) * size_t(m_rowCount) + size_t(std::min(a, b));
}

void COrgManager::AllocateRelations()
{
    const size_t n = size_t(m_rowCount);
    m_target.assign(n * n, 0.0f);
    m_current.assign(n * n, 0.0f);
    m_reserve.SetSize(m_rowCount);
    m_authority.SetSize(m_rowCount);
    m_defaultAuthority.SetSize(m_rowCount);
    m_resolvedIds.SetSize(m_rowCount);
    for (int32_t& id : m_resolvedIds)
        id = -2;
}

void COrgManager::Init(const char* table)
{
    ZJ_TRACE("COrgManager::Init");
    DefaultManager::Init(table);
    m_rows.SetSize(m_rowCount);
    ReadTable(m_rowNames, m_rows, kFields, [](const char*, SOrgParams& row) {
        if (row.helpness == 0.0f)
            row.helpness = 0.1f;
        row.repairBonusParts = std::max(row.repairBonusParts, row.repairBonus);
    });
    playerRow = m_rowNames.Find("ORG_PLAYER");
    playerOrganisation = playerRow;
    m_rows.At(playerRow).playerEffect = 1.0f;
    npcRow = m_rowNames.Find("ORG_NPC");
    tableCount = m_rowCount;
    inUse = false;
    AllocateRelations();
}

void COrgManager::SetPolitics(const char* fileName)
{
    ZJ_TRACE("COrgManager::SetPolitics");
    const std::string path
        = std::string(g_ResourceDBManager.BaseDirectory()) + "Data\\" + (fileName ? fileName : "");
    std::FILE* file = plat::win::OpenFile(path, "rb");
    if (!file) {
        WriteErrorLog("COrgManager::SetPolitics Politics file not found");
        WriteErrorLog(path);
        return;
    }
    std::string text;
    char block[4096];
    size_t got;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0 && text.size() < kMaxPoliticsFile)
        text.append(block, got);
    std::fclose(file);
    if (text.size() > kMaxPoliticsFile) {
        WriteErrorLog(CP1251("Ошибка при чтении файла политик"));
        return;
    }
    ApplyPolitics(text);
}

bool COrgManager::ApplyPolitics(std::string_view text)
{
    ZJ_TRACE("COrgManager::ApplyPolitics");
    PoliticsReader reader(text);
    std::vector<std::string> fields;
    bool tooLong = false;
    const bool read = reader.ReadLine(fields, tooLong);
    size_t keys = 0;
    for (size_t c = 1; c < fields.size(); ++c)
        keys += fields[c].empty() ? 0 : 1;
    if (!read || tooLong || keys == 0 || fields.size() - 1 > size_t(kMaxColumns)) {
        WriteErrorLog("COrgManager::SetPolitics bad header");
        return false;
    }
    try {
        // Columns: the organisation of each header key, added when the table lacks it.
        std::vector<int> columns;
        for (size_t c = 1; c < fields.size(); ++c) {
            std::string key = fields[c].substr(0, 31);
            if (key.empty()) {
                columns.push_back(-1);
                continue;
            }
            int index = m_rowNames.Find(key.c_str());
            if (index < 0) {
                m_rowNames.Grow(1, 32);
                index = m_rowNames.Add(key.c_str());
                m_rowCount = m_rowNames.Count();
            }
            columns.push_back(index);
        }
        AllocateRelations();
        auto readLine = [&](XDynamicArray<float>& values) {
            if (!reader.ReadLine(fields, tooLong) || tooLong)
                return;
            for (size_t c = 1; c < fields.size() && c - 1 < columns.size(); ++c)
                if (columns[c - 1] >= 0)
                    values.At(columns[c - 1]) = float(std::atof(fields[c].c_str())) * 0.01f;
        };
        readLine(m_reserve);
        readLine(m_authority);
        for (int k = 0; k < m_rowCount; ++k)
            m_defaultAuthority.At(k) = m_authority.At(k);
        for (size_t line = 0; line < columns.size() && reader.ReadLine(fields, tooLong); ++line) {
            if (tooLong)
                continue;
            const int row = m_rowNames.Find(fields[0].substr(0, 31).c_str());
            if (row < 0) {
                WriteErrorLog("COrgManager::SetPolitics Organization not found");
                WriteErrorLog(fields[0]);
                continue;
            }
            for (size_t c = 1; c < fields.size() && c - 1 < columns.size(); ++c) {
                float value;
                if (columns[c - 1] < 0 || !ParseMatrixValue(fields[c], value))
                    continue;
                const size_t at = PairIndex(row, columns[c - 1]);
                m_target[at] = value * 0.01f;
                m_current[at] = value * 0.01f;
            }
        }
    } catch (...) {
        ResetCallTrace();
        WriteErrorLog(CP1251("Ошибка при чтении файла политик"));
    }
    playerRow = m_rowNames.Find("ORG_PLAYER");
    playerOrganisation = playerRow;
    inUse = true;
    return true;
}

void COrgManager::Run(float dt)
{
    ZJ_TRACE("COrgManager::Run");
    for (int i = 0; i < tableCount; ++i) {
        for (int j = 0; j < i; ++j) {
            const size_t at = PairIndex(i, j);
            m_current[at]
                += (m_target[at] - m_current[at]) * m_rows.At(i).oblivion * m_rows.At(j).oblivion * dt;
        }
    }
}

float COrgManager::GetPairValue(int a, int b, bool target) const
{
    if (a == -1 || b == -1)
        return 0.0f;
    const size_t at = PairIndex(a, b);
    return target ? m_target[at] : m_current[at];
}

void COrgManager::SetRelation(int a, int b, float value, bool currentUntouched)
{
    if (a == -1 || b == -1)
        return;
    const size_t at = PairIndex(a, b);
    m_target[at] = value;
    if (!currentUntouched)
        m_current[at] = value;
}

void COrgManager::SetCurrentRelation(int a, int b, float value)
{
    if (a == -1 || b == -1)
        return;
    m_current[PairIndex(a, b)] = value;
}

void COrgManager::ChangeRelation(int a, int b, float amount, bool spread)
{
    const SOrgParams& rowA = m_rows.At(a);
    const SOrgParams& rowB = m_rows.At(b);
    const size_t ab = PairIndex(a, b);
    m_current[ab] = m_current[ab] + rowB.volatility * rowA.playerEffect * amount * 0.5f;
    if (!spread)
        return;
    for (int k = 0; k < tableCount; ++k) {
        if (k == a || k == b)
            continue;
        const size_t ak = PairIndex(a, k);
        m_current[ak] += rowA.playerEffect * m_rows.At(k).volatility * Current(k, b) * amount * 0.125f;
    }
}

void COrgManager::JoinOrganization(int k)
{
    playerOrganisation = k;
    const int p = playerRow;
    if (p == -1)
        return;
    for (int i = 0; i < m_rowCount; ++i) {
        const float joined = k == -1 ? 0.0f : Current(k, i);
        const size_t at = PairIndex(p, i);
        m_current[at] = joined + (m_current[at] - m_target[at]);
    }
}

void COrgManager::LeaveOrganization(int k)
{
    playerOrganisation = playerRow;
    const int p = playerRow;
    if (p == -1)
        return;
    for (int i = 0; i < m_rowCount; ++i) {
        const float left = k == -1 ? 0.0f : Current(k, i);
        const size_t at = PairIndex(p, i);
        m_current[at] = m_target[at] + (m_current[at] - left);
    }
}

float COrgManager::GetOrgPower(int k)
{
    float sum = 0.0f;
    int counted = 0;
    for (CFerroGroup* group : FerroGroupList.groups) {
        if (group->organisation != k)
            continue;
        for (int m = 0; m < group->memberCount; ++m) {
            const CFerrovant& member = group->members[m];
            float rating = std::max(member.rating, 0.0f);
            if (member.dead)
                rating *= 0.01f;
            sum += rating;
            ++counted;
        }
    }
    int32_t level = 0;
    float fraction = 0.0f;
    GetRatingLevel(sum / float(2 + counted), level, fraction);
    if (level < 2) {
        const int free = m_rowNames.Find("ORG_FREE");
        for (CFerroGroup* group : FerroGroupList.groups)
            if (group->organisation == k)
                group->organisation = free;
        return 0.0f;
    }
    return float(level) + fraction;
}

void COrgManager::SetAuthority(int k, float value)
{
    if (k != -1)
        m_authority.At(k) = value;
}

void COrgManager::RestoreAuthority(int k)
{
    if (k != -1)
        m_authority.At(k) = m_defaultAuthority.At(k);
}

float COrgManager::GetAuthority(int k) const
{
    return k == -1 ? 0.0f : m_authority.At(k);
}

void COrgManager::SaveGame(XMemBuffer& stream) const
{
    const size_t n = size_t(m_rowCount);
    for (const std::vector<float>* matrix : { &m_target, &m_current })
        for (size_t r = 0; r < n; ++r)
            stream.Write(matrix->data() + r * n, int(n * sizeof(float)));
}

bool COrgManager::LoadGame(XMemBuffer& stream, int payloadBytes)
{
    ZJ_TRACE("COrgManager::LoadGame");
    const uint64_t n = payloadBytes >= 0 ? uint64_t(std::llround(std::sqrt(double(payloadBytes) / 8.0))) : 0;
    if (payloadBytes < 0 || payloadBytes > stream.Remaining() || n * n * 8 != uint64_t(payloadBytes)) {
        char line[96];
        std::snprintf(line, sizeof line, "COrgManager::LoadGame bad relations size %d", payloadBytes);
        WriteErrorLog(line);
        return false;
    }
    const size_t own = size_t(m_rowCount);
    const size_t used = std::min(size_t(n), own);
    const uint8_t* at = stream.Current();
    for (std::vector<float>* matrix : { &m_target, &m_current }) {
        for (size_t r = 0; r < n; ++r) {
            if (r < used)
                std::memcpy(matrix->data() + r * own, at, used * sizeof(float));
            at += n * sizeof(float);
        }
    }
    stream.Skip(payloadBytes);
    return true;
}

const SOrgParams* COrgManager::GetParams(int k) const
{
    return k >= 0 && k < m_rows.Count() ? &m_rows.At(k) : nullptr;
}

int32_t COrgManager::GetIcon(int k) const
{
    const SOrgParams* row = GetParams(k);
    return row ? row->icon : -1;
}

float COrgManager::GetHelpness(int k) const
{
    const SOrgParams* row = GetParams(k);
    return row ? row->helpness : 0.0f;
}

float COrgManager::GetCourage(int k) const
{
    const SOrgParams* row = GetParams(k);
    return row ? row->courage : 0.5f;
}

float COrgManager::GetRatingFactor(int k) const
{
    const SOrgParams* row = GetParams(k);
    return row ? row->ratingFactor : 1.0f;
}

float COrgManager::GetRewardFactor(int k) const
{
    const SOrgParams* row = GetParams(k);
    return row ? row->expBonus : 0.0f;
}

float COrgManager::GetRepairDiscount(int k) const
{
    const SOrgParams* row = GetParams(k);
    return row ? row->repairBonus : 0.0f;
}

float COrgManager::GetRepairPartsDiscount(int k) const
{
    const SOrgParams* row = GetParams(k);
    return row ? row->repairBonusParts : 0.0f;
}

float COrgManager::GetPriceDiscount(int k) const
{
    const SOrgParams* row = GetParams(k);
    return row ? row->tradeBonus : 0.0f;
}

uint8_t COrgManager::GetTradeFlag(int k) const
{
    const SOrgParams* row = GetParams(k);
    return row ? row->noTradePenalty : 0;
}
