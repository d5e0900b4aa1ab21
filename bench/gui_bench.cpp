// Cost of the list view as the program fills it after a decode: ClearGadgetItems, one
// AddGadgetItem per sample and SetGadgetState(0, 0), on the headless Qt platform; once
// as the commands alone and once with the pass of the event loop that lays out and paints
// the rows. Reports rows per second (items).
#include "runtime/core/lists/lists.h"
#include "runtime/core/maps/maps.h"
#include "runtime/core/strings/strings.h"
#include "runtime/gui/events/events.h"
#include "runtime/gui/gadgets/gadgets_qt.h"
#include "runtime/gui/windows/windows.h"

#include <QApplication>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Row names as the decoder gives them: package name and record number.
std::vector<std::u16string> RowNames(int64_t rows) {
    std::vector<std::u16string> names;
    names.reserve(static_cast<size_t>(rows));
    for (int64_t i = 0; i < rows; ++i) {
        std::string digits = std::to_string(i);
        digits.insert(0, digits.size() < 3 ? 3 - digits.size() : 0, '0');
        names.push_back(u"music.mus." + std::u16string(digits.begin(), digits.end()));
    }
    return names;
}

void Fill(const std::vector<std::u16string>& names) {
    ClearGadgetItems(0);
    for (size_t i = 0; i < names.size(); ++i) {
        AddGadgetItem(0, static_cast<int32_t>(i), names[i].c_str());
    }
    SetGadgetState(0, 0);
}

void BM_FillListViewAndSelectRowZero(benchmark::State& state) {
    const std::vector<std::u16string> names = RowNames(state.range(0));
    for (auto _ : state) {
        Fill(names);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_FillListViewAndSelectRowZero)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_FillListViewSelectAndPump(benchmark::State& state) {
    const std::vector<std::u16string> names = RowNames(state.range(0));
    for (auto _ : state) {
        Fill(names);
        GadgetWidget(0)->repaint();
        WaitWindowEvent(0);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_FillListViewSelectAndPump)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    InitStringBuffer();
    InitLists();
    InitWindows();
    InitMenus();
    InitMaps();
    InitEvents();
    InitGadgets();
    OpenWindow(0, 0, 0, 390, 292, u"Marrowvale Sound Decoder V0.12", 0x60);
    ListViewGadget(0, 10, 10, 180, 251);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
