// Sorting the list of a full library by a column, on real widgets
// (offscreen platform).
#include <benchmark/benchmark.h>

#include <QApplication>

#include "core/appstate.h"
#include "playlists/builder.h"
#include "sample_library.h"
#include "ui/dbdata.h"
#include "ui/mainwindow.h"

namespace {

void BM_SortFullListByName(benchmark::State& state) {
  makeSampleLibrary(30000);
  buildCurrentPlaylist();
  buildMainWindow();
  QCoreApplication::processEvents();
  for (auto _ : state) {
    DBDataSetSortColumn(gKWEDBrowser, kColName);
    QCoreApplication::processEvents();
    state.PauseTiming();
    DBDataSetSortColumn(gKWEDBrowser, kColID);
    QCoreApplication::processEvents();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_SortFullListByName)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_FillFullList(benchmark::State& state) {
  makeSampleLibrary(30000);
  buildCurrentPlaylist();
  buildMainWindow();
  for (auto _ : state) {
    DBDataRemoveAllBrowserItems(gKWEDBrowser);
    DBDataSetSortColumn(gKWEDBrowser, kColID);
    RepopulateBrowserData(gKWEDBrowser);
  }
}
BENCHMARK(BM_FillFullList)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
