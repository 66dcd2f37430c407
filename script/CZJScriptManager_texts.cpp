// The text table: texts with their drawn variants, display names, organisation descriptions and
// the player's names in texts.
#include "ai/CFerrovant.h"
#include "foundation/Rating.h"
#include "script/CZJScriptManager.h"
#include "world/db/COrgManager.h"

#include <cstring>
#include <string>
#include <vector>

uint32_t CZJScriptManager::s_textSeed = 0;

namespace {

constexpr std::size_t kKeySize = 32;
constexpr std::size_t kFieldSize = 16384;

} // namespace

bool CZJScriptManager::HasText(const char* key)
{
    return m_textsOpen && std::strlen(key) < kKeySize && m_texts.GetRecordID(key) >= 0;
}

std::string CZJScriptManager::TextField(const char* key, const char* field)
{
    std::vector<char> value(kFieldSize);
    m_texts.Get(key);
    m_texts.GetStringField(field, value.data(), value.size());
    return value.data();
}

bool CZJScriptManager::GetText(const char* key, CXAnsiString& text)
{
    if (!key || !HasText(key)) {
        text = key ? key : "";
        return false;
    }
    int variants = 1;
    for (;; ++variants) {
        const std::string name = std::string(key) + "." + std::to_string(variants);
        if (name.size() >= kKeySize || !HasText(name.c_str()))
            break;
        m_texts.Get(name.c_str());
        if (m_texts.GetIntegerField("DELETED") == 1)
            break;
    }
    s_textSeed = (s_textSeed * 9301u + 49297u) % 233280u;
    const int drawn = int((s_textSeed / 256u) % uint32_t(variants));
    const std::string chosen = drawn > 0 ? std::string(key) + "." + std::to_string(drawn) : std::string(key);
    text = TextField(chosen.c_str(), "TEXT").c_str();
    return true;
}

bool CZJScriptManager::GetTextName(const char* key, CXAnsiString& name)
{
    if (key && key[0] && HasText(key)) {
        const std::string value = TextField(key, "NAME");
        if (!value.empty()) {
            name = value.c_str();
            return true;
        }
    }
    name = key ? key : "";
    return false;
}

std::string CZJScriptManager::GetAboutText(int organisation)
{
    if (organisation < 0)
        return "_DEFAULT_";
    const std::string name = g_OrgManager.GetRowNames().GetString(organisation);
    if (organisation < g_OrgManager.GetFirstScriptedIndex())
        return name;
    const int first = nesting == 0 ? 0 : outputCount; // where this run's entries begin
    ZJRunScript(name.c_str(), 1, "ABOUT");
    return outputCount > first ? std::string(Output(first).name) : name;
}

void CZJScriptManager::UpdateXStringWithNames(CXAnsiString& text)
{
    text.Replace("%NAME", playerName.Text());
    if (text.FindText("%RATINGNAME") >= 0) {
        int32_t level = 0;
        float fraction = 0.0f;
        GetRatingLevel(PlayerFerrovant ? PlayerFerrovant->rating : 0.0f, level, fraction);
        CXAnsiString ratingName;
        GetTextName(("RATING." + std::to_string(level < 1 ? 1 : level)).c_str(), ratingName);
        text.Replace("%RATINGNAME", ratingName.Text());
    }
    if (text.FindText("%ORGMEMBER") >= 0) {
        const int org = g_OrgManager.playerOrganisation;
        const std::string orgName = org >= 0 && org < g_OrgManager.GetRowNames().Count()
            ? g_OrgManager.GetRowNames().GetString(org)
            : "";
        CXAnsiString member;
        GetTextName((orgName + "_MEMBER").c_str(), member);
        text.Replace("%ORGMEMBER", member.Text());
    }
    text.Replace("\n", "");
    text.Replace("\r", "");
}
