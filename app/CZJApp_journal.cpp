// The script manager's pending journal entries as message lines: an information entry shows its
// text with the player's names filled in, a journal entry the journal-updated notice.
#include "app/CZJApp.h"
#include "foundation/XRangeError.h"
#include "script/CZJScriptManager.h"
#include "ui/CMessager.h"

#include <string>

namespace {

// The pending entry i; the list holds at most kMaxOutput.
const SScriptOutput& Pending(const CZJScriptManager& scripts, int i)
{
    if (i >= CZJScriptManager::kMaxOutput)
        throw XRangeError();
    return scripts.Output(i);
}

CXAnsiString EntryText(CZJScriptManager& scripts, const SScriptOutput& entry)
{
    CXAnsiString text;
    scripts.GetText(entry.name, text);
    scripts.UpdateXStringWithNames(text);
    return text;
}

CXAnsiString UpdatedNotice(CZJScriptManager& scripts)
{
    CXAnsiString text;
    scripts.GetText("INT_JOURNAL_UPDATED", text);
    return text;
}

void AddLine(const CXAnsiString& text, int colour)
{
    if (g_pMessager)
        g_pMessager->AddMessage(text.Text(), colour, nullptr);
}

} // namespace

void CZJApp::UpdateJournal(int colour)
{
    if (!g_pScriptManager || g_pScriptManager->journalLocked)
        return;
    CZJScriptManager& scripts = *g_pScriptManager;
    for (int i = 0; i < scripts.outputCount; ++i) {
        const SScriptOutput& entry = Pending(scripts, i);
        if (entry.kind == SScriptOutput::Info) {
            scripts.AddEvent(entry.name, ".GET");
            AddLine(EntryText(scripts, entry), colour);
        } else if (entry.kind == SScriptOutput::Journal) {
            AddLine(UpdatedNotice(scripts), colour);
        }
    }
}

void CZJApp::AddJournalLine(int colour, const char* line, bool showLine)
{
    if (!g_pScriptManager || g_pScriptManager->journalLocked)
        return;
    CZJScriptManager& scripts = *g_pScriptManager;
    bool first = true;
    for (int i = 0; i < scripts.outputCount; ++i) {
        const SScriptOutput& entry = Pending(scripts, i);
        if (entry.kind == SScriptOutput::Info) {
            CXAnsiString text = EntryText(scripts, entry);
            if (first)
                text = (std::string(line) + ": " + text.Text()).c_str();
            first = false;
            AddLine(text, colour);
        } else if (entry.kind == SScriptOutput::Journal) {
            AddLine(UpdatedNotice(scripts), colour);
        }
    }
    if (showLine)
        AddLine(CXAnsiString(line), colour);
}
