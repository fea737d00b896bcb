// Opening a 10,000,000-cell table (10,000 rows by 1,000 columns, about 59 MB) in the
// editor window up to the first paint of its data grid, next to what `zendra-cli convert`
// does with the same file (load and write) in the same run, so the two stay comparable as
// either side changes; and scrolling the data grid of that table to its middle and its
// end, each with a paint, on the offscreen platform.
#include <benchmark/benchmark.h>

#include "bench_util.h"

#include <QApplication>
#include <QMdiArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>
#include <cstdio>
#include <sstream>
#include <string>

#include "core/cli/commands.h"
#include "core/format/reader.h"
#include "core/model/vexa_mess.h"
#include "gui/app/mdi_form.h"
#include "gui/editor/data_grid_view.h"
#include "gui/editor/frm_create_vq.h"

namespace {

constexpr int kRows = 10000;
constexpr int kCols = 1000;

const std::string& bigTable() {
  static const std::string path = writeBenchTable(kRows, kCols);
  return path;
}

// Counts the paints of a widget.
struct PaintCounter : QObject {
  int paints = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

// Lets the event loop draw what is due, as the screen would show it; false when the grid's
// visible part was not drawn.
bool paintNow(QTableView& view) {
  PaintCounter counter;
  view.viewport()->installEventFilter(&counter);
  QApplication::processEvents();
  view.viewport()->removeEventFilter(&counter);
  return counter.paints > 0;
}

// The load alone, as the window runs it: the rest of the open is the window's own work.
void BM_LoadBig(benchmark::State& state) {
  const std::string& in = bigTable();
  for (auto _ : state) {
    zendra::VexaMess doc;
    doc.VQfilename = in;
    zendra::CellGrid grid;
    zendra::ScriptedPrompt prompt(zendra::Prompt::Answer::No);
    if (zendra::Load_From_File(doc, false, &grid, prompt) != zendra::LoadResult::Loaded) {
      state.SkipWithError("not loaded");
    }
  }
  reportCellRate(state, double(kRows) * kCols);
}
BENCHMARK(BM_LoadBig)->Unit(benchmark::kMillisecond)->Iterations(3);

// What `zendra-cli convert IN OUT` runs: the load, the completeness check and the write.
void BM_ConvertBig(benchmark::State& state) {
  const std::string& in = bigTable();
  const std::string out = in + ".out.vq";
  for (auto _ : state) {
    std::ostringstream err;
    if (zendra::cli::runConvert(in, out, false, false, err) != 0)
      state.SkipWithError("not converted");
  }
  std::remove(out.c_str());
  reportCellRate(state, double(kRows) * kCols);
}
BENCHMARK(BM_ConvertBig)->Unit(benchmark::kMillisecond)->Iterations(3);

// The program's context with a prompt that answers every question with No.
struct Context {
  zendra::ScriptedPrompt prompt{zendra::Prompt::Answer::No};
  zendra::AppContext ctx;
  Context() { ctx.prompt = &prompt; }
};

struct Frame : Context {
  zendra::MDIForm1 window{ctx};
  Frame() {
    window.resize(1200, 800);
    window.show();
  }
  zendra::frmCreateVq* open(const std::string& path) {
    if (!window.openPath(QString::fromStdString(path), false)) return nullptr;
    zendra::frmCreateVq* editor = window.editors().last();
    editor->tabs()->setCurrentIndex(zendra::frmCreateVq::Data);
    return paintNow(*editor->SprData()->mainView()) ? editor : nullptr;
  }
  void closeAll() {
    for (zendra::frmCreateVq* editor : window.editors()) editor->discardChanges();
    window.mdiArea()->closeAllSubWindows();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
};

// From the open command to the data grid painted on the Data page.
void BM_OpenBigInEditor(benchmark::State& state) {
  const std::string& path = bigTable();
  Frame frame;
  for (auto _ : state) {
    if (!frame.open(path)) state.SkipWithError("not opened");
    state.PauseTiming();
    frame.closeAll();
    state.ResumeTiming();
  }
  reportCellRate(state, double(kRows) * kCols);
}
BENCHMARK(BM_OpenBigInEditor)->Unit(benchmark::kMillisecond)->Iterations(3);

// One scroll of the open big table's data grid to the middle and one to the end (both
// directions at once), each painted: the time of one iteration is two scroll paints.
void BM_ScrollBig(benchmark::State& state) {
  Frame frame;
  zendra::frmCreateVq* editor = frame.open(bigTable());
  if (!editor) {
    state.SkipWithError("not opened");
    return;
  }
  QTableView& view = *editor->SprData()->mainView();
  QScrollBar& across = *view.horizontalScrollBar();
  QScrollBar& down = *view.verticalScrollBar();
  for (auto _ : state) {
    across.setValue(across.maximum() / 2);
    down.setValue(down.maximum() / 2);
    const bool middle = paintNow(view);
    across.setValue(across.maximum());
    down.setValue(down.maximum());
    const bool end = paintNow(view);
    state.PauseTiming();
    across.setValue(0);
    down.setValue(0);
    paintNow(view);
    if (!middle || !end) state.SkipWithError("not painted");
    state.ResumeTiming();
  }
  frame.closeAll();
}
BENCHMARK(BM_ScrollBig)->Unit(benchmark::kMillisecond)->Iterations(50);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::remove(bigTable().c_str());
  return 0;
}
