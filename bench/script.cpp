// Mission scripts: a group message runs one procedure of its organisation's script, which the
// script manager holds in its cache. The requirement is a ratio to the game frame's CPU budget.
#include "bench/requirements.h"

#include "foundation/BaseDirectory.h"
#include "script/CZJScriptManager.h"
#include "tests/support/error_log_test.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"
#include "tests/support/text_table.h"
#include "tools/script/script_compiler.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

constexpr int kScriptLines = 800;

// 780 lines of other procedures, then TALK: 20 statements of conditions, events and texts.
std::vector<std::string> OrganisationScript()
{
    const std::vector<std::string> talk = { "PROCTALK", "IF(_PLAYERINORG(ORG_GUARDS)&!GUARDS.TALKED)", "{",
        "_SETEVENT(GUARDS.TALKED)", "_INFO(GUARDS_HELLO)", "}", "ELSE", "{", "_INFO(GUARDS_AGAIN)", "}",
        "IF(Q_PATROL.GET|Q_PATROL.COMPLETE)", "{", "_KNOW(GUARDS_PATROL)", "}", "IF(!Q_PATROL.FAIL)", "{",
        "_REMOVEEVENT(GUARDS.ANGRY)", "_INFO(GUARDS_BYE)", "}", "_SETEVENT(GUARDS.MET)", "END" };
    std::vector<std::string> lines;
    for (int p = 0; int(lines.size() + talk.size()) < kScriptLines; ++p) {
        lines.push_back("PROCOTHER" + std::to_string(p));
        for (int i = 0; i < 3 && int(lines.size() + talk.size()) < kScriptLines - 1; ++i)
            lines.push_back("_INFO(OTHER" + std::to_string(i) + ")");
        lines.push_back("END");
    }
    lines.insert(lines.end(), talk.begin(), talk.end());
    return lines;
}

void BM_GroupMessage(benchmark::State& state)
{
    static zoq::test::TempDir folder("bench-script");
    SetBaseDirectory(folder.Path().string());
    zoq::test::DiscardErrorLog();
    std::string error;
    if (!zoq::test::WriteTextTable(folder.Path(),
            "[GUARDS_HELLO]\nNAME = Guards\nTEXT = Halt.\n[GUARDS_AGAIN]\nTEXT = Again?\n[GUARDS_PATROL]\n"
            "TEXT = The patrol.\n[GUARDS_BYE]\nTEXT = Go on.\n",
            error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    zoq::test::WriteBytes(folder.Path() / "SCRIPT" / "bin" / "ORG_GUARDS.scr",
        zoq::tools::script::StoreScript(OrganisationScript()));
    CZJScriptManager manager;
    manager.Init();
    if (!manager.ZJLoadScript("ORG_GUARDS", 1)
        || manager.ZJLoadScript("ORG_GUARDS", 1)->Count() != kScriptLines) {
        state.SkipWithError("the organisation script does not load");
        return;
    }
    for (auto _ : state) {
        manager.ZJRunScript("ORG_GUARDS", 1, "TALK");
        benchmark::DoNotOptimize(manager.outputCount);
    }
    state.counters["entries"] = manager.outputCount;
    SetBaseDirectory("");
}
BENCHMARK(BM_GroupMessage)->Unit(benchmark::kMicrosecond);

const bool kGroupMessageRequired = zoq::bench::Require({
    "a group message's procedure at the end of a cached 800-line script (<= 0.01 of 2 ms)",
    [](const zoq::bench::Results& r) {
        return zoq::bench::TimeOf(r, "BM_GroupMessage") / zoq::bench::kFrameBudgetNs;
    },
    0.01,
    true,
});

} // namespace
