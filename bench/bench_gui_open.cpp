// Opening a 1,000,000-cell table file in the desktop program, from the open command to
// the editor window with its data grid laid out, and opening the subject area picker on
// a large library, on the offscreen platform.
#include <benchmark/benchmark.h>

#include <unistd.h>
#include "bench_util.h"

#include <QApplication>
#include <QMdiArea>
#include <QTabWidget>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "gui/app/mdi_form.h"
#include "gui/editor/frm_create_vq.h"
#include "gui/settings/dlg_get_subarea.h"

namespace {

void BM_OpenInEditor(benchmark::State& state) {
  const std::string path =
      writeBenchTable(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  zendra::AppContext ctx;
  zendra::ScriptedPrompt prompt(zendra::Prompt::Answer::No);  // load the large table
  ctx.prompt = &prompt;
  zendra::MDIForm1 window(ctx);
  window.show();
  for (auto _ : state) {
    if (!window.openPath(QString::fromStdString(path), false)) state.SkipWithError("not opened");
    zendra::frmCreateVq* editor = window.editors().last();
    editor->tabs()->setCurrentIndex(zendra::frmCreateVq::Data);
    QApplication::processEvents();  // the first paint of the grid
    state.PauseTiming();
    editor->discardChanges();
    window.mdiArea()->closeAllSubWindows();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    state.ResumeTiming();
  }
  std::remove(path.c_str());
  reportCellRate(state, static_cast<double>(state.range(0) * state.range(1)));
}
BENCHMARK(BM_OpenInEditor)->Args({1000, 1000})->Unit(benchmark::kMillisecond)->Iterations(3);

// Opening the subject area picker on a library of that many areas, up to its first paint.
void BM_SubjectAreaPicker(benchmark::State& state) {
  std::vector<zendra::SubjArea> areas;
  for (int i = 0; i < state.range(0); ++i) {
    areas.push_back({"Subject area number " + std::to_string(i), std::to_string(1000 + i)});
  }
  for (auto _ : state) {
    zendra::dlgGetSubarea dialog(areas);
    dialog.show();
    QApplication::processEvents();
  }
}
BENCHMARK(BM_SubjectAreaPicker)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
