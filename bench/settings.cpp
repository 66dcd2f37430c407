// One frame of the settings program's controls page (40 key rows with their group labels, three
// check boxes and a slider), built and drawn through the dialog layer on the offscreen driver.
#include "bench/requirements.h"
#include "platform/dialog/dialog.h"
#include "settings/CSheetView.h"
#include "settings/CTunvardApp.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

#include <benchmark/benchmark.h>

namespace {

constexpr double kFrame60HzNs = 1e9 / 60.0;

void BM_ControlsPageFrame(benchmark::State& state)
{
    zoq::test::TempDir dir("bench-settings");
    zoq::test::WriteText(
        dir / "Data/CONFIG/cfg.ini", "[INPUT]\r\nFORWARD=W\r\n[DefaultKeyLayout]\r\nFORWARD=W\r\n");
    zoq::test::WriteText(dir / "Data/CONFIG/DICode.ini", "2\r\nkey 0x01 Esc\r\nkey 0x11 W\r\n");
    zoq::test::ScopedChdir chdir(dir.Path());

    plat::dialog::DialogDesc desc;
    desc.width = CTunvardApp::kWidth;
    desc.height = CTunvardApp::kHeight;
    std::string why;
    std::unique_ptr<plat::dialog::Dialog> dialog = plat::dialog::Dialog::Create(desc, &why);
    if (!dialog) {
        state.SkipWithError(("no dialog window: " + why).c_str());
        return;
    }
    SPageHost host;
    host.messageBox = [](const std::string&, const std::string&) {};
    CPrPg_SheetDlg sheet(false, host);
    CSheetView view(*dialog, sheet);
    const auto frame = [&] { dialog->DrawFrame([&](plat::dialog::Frame& f) { view.DrawPage(f, 2); }); };
    frame(); // the first frame lays the window out
    for (auto _ : state)
        frame();
    state.counters["controls"] = double(dialog->LastFrame().controls.size());
}
BENCHMARK(BM_ControlsPageFrame)->Unit(benchmark::kMillisecond);

const bool kRequired = zoq::bench::Require({
    "one frame of the controls page against a 60 Hz frame (at most 0.25)",
    [](const zoq::bench::Results& r) { return zoq::bench::TimeOf(r, "BM_ControlsPageFrame") / kFrame60HzNs; },
    0.25,
    true,
});

} // namespace
