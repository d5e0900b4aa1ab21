// CPU time of an open window that nobody touches, over 10 s of WaitWindowEvent: the loop
// blocks in Qt's dispatcher, so the figure should stay far below a millisecond. Run it
// headless (QT_QPA_PLATFORM=offscreen) or under a display.
#include "runtime/core/lists/lists.h"
#include "runtime/core/maps/maps.h"
#include "runtime/core/strings/strings.h"
#include "runtime/gui/application/application.h"
#include "runtime/gui/events/events.h"
#include "runtime/gui/gadgets/gadgets.h"
#include "runtime/gui/statusbar/statusbar.h"
#include "runtime/gui/windows/windows.h"

#include <benchmark/benchmark.h>

#include <QElapsedTimer>

#include <cstdlib>

namespace {

void OpenIdleWindow() {
    InitStringBuffer();
    InitLists();
    InitGadgets();
    InitWindows();
    InitMenus();
    InitApplication();
    InitMaps();
    InitEvents();
    InitStatusBars();
    const int64_t window = OpenWindow(0, 0, 0, 390, 292, u"idle", 0x60);
    ListViewGadget(0, 10, 10, 180, 251);
    for (int row = 0; row < 20; row++)
        AddGadgetItem(0, -1, u"sample");
    SetGadgetState(0, 0);
    ButtonGadget(1, 200, 10, 180, 28, u"Decode sample package...");
    ButtonGadget(2, 200, 201, 88, 28, u"Play");
    ButtonGadget(3, 292, 201, 88, 28, u"Stop");
    ButtonGadget(4, 200, 233, 180, 28, u"Save sample as WAV...");
    CreateStatusBar(0, window);
    AddStatusBarField(500);
    StatusBarText(0, 0, u"idle");
}

// Settles the window first (its first paint and activation), then waits 10 s.
void BM_IdleWindow(benchmark::State& state) {
    OpenIdleWindow();
    for (int i = 0; i < 50; i++)
        WaitWindowEvent(10);
    int64_t returns = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 10000) {
            WaitWindowEvent(static_cast<int32_t>(10000 - clock.elapsed()));
            returns++;
        }
    }
    state.counters["returns"] = static_cast<double>(returns);
}
BENCHMARK(BM_IdleWindow)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
