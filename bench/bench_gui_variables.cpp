// The Variables page on a 1,000,000-cell table (10,000 regions x 100 years), on the
// offscreen platform: showing the 10,000-valued variable in the value grid up to its
// paint, a value edit typed into the value grid (the laid-out data grid follows), and
// "Delete value" on 1,000 selected values.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <QApplication>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTreeWidget>
#include <QUndoStack>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "gui/app/mdi_form.h"
#include "bench_util.h"
#include "gui/editor/frm_create_vq.h"
#include "gui/shared/gui_services.h"

namespace {

constexpr int kRegions = 10000;
constexpr int kYears = 100;

// One main window with the table open on its Variables page.
struct Window {
  std::string path = writeBenchTable(kRegions, kYears, true);
  zendra::AppContext ctx;
  zendra::ScriptedPrompt prompt{zendra::Prompt::Answer::No};  // load the large table
  std::unique_ptr<zendra::MDIForm1> window;
  zendra::frmCreateVq* editor = nullptr;

  Window() {
    ctx.prompt = &prompt;
    window = std::make_unique<zendra::MDIForm1>(ctx);
    window->show();
    if (window->openPath(QString::fromStdString(path), false)) editor = window->editors().last();
    if (!editor) return;
    editor->tabs()->setCurrentIndex(zendra::frmCreateVq::Data);  // lays the grid out
    editor->tabs()->setCurrentIndex(zendra::frmCreateVq::Variables);
    QApplication::processEvents();
  }
  ~Window() {
    if (editor) editor->discardChanges();
    window.reset();
    std::remove(path.c_str());
  }
  QTreeWidgetItem* node(const char* name) const {
    return editor->findChild<QTreeWidget*>("VarTree")
        ->findItems(name, Qt::MatchExactly | Qt::MatchRecursive)
        .front();
  }
  void choose(const char* name) const {
    editor->findChild<QTreeWidget*>("VarTree")->setCurrentItem(node(name));
  }
  QTableView* values() const { return editor->findChild<QTableView*>("sprValues"); }
};

// Made on first use and gone before the application object.
std::unique_ptr<Window> shared;
Window& table() {
  if (!shared) shared = std::make_unique<Window>();
  return *shared;
}

void BM_ShowTenThousandValues(benchmark::State& state) {
  Window& w = table();
  if (!w.editor) state.SkipWithError("not opened");
  for (auto _ : state) {
    state.PauseTiming();
    w.choose("year");
    QApplication::processEvents();
    state.ResumeTiming();
    w.choose("region");
    QApplication::processEvents();  // the value grid's paint
  }
  reportCellRate(state, kRegions);
  state.counters["values/s"] = state.counters["cells/s"];
  state.counters.erase("cells/s");
}
BENCHMARK(BM_ShowTenThousandValues)->Unit(benchmark::kMillisecond);

// A value's text typed into the value grid: one step, and the data grid's labels follow.
void BM_ValueEditWithMillionCells(benchmark::State& state) {
  Window& w = table();
  if (!w.editor) state.SkipWithError("not opened");
  w.choose("region");
  QAbstractItemModel* model = w.values()->model();
  const int textColumn = model->columnCount() - 1;
  int i = 0;
  for (auto _ : state) {
    model->setData(model->index(kRegions / 2, textColumn), QString("Region %1").arg(i++),
                   Qt::EditRole);
    QApplication::processEvents();
  }
  reportCellRate(state, static_cast<double>(kRegions) * kYears);
}
BENCHMARK(BM_ValueEditWithMillionCells)->Unit(benchmark::kMillisecond);

// "Delete value" on 1,000 selected rows of the 10,000, with their 100,000 cells; undone
// between the measurements.
void BM_DeleteThousandValues(benchmark::State& state) {
  Window& w = table();
  if (!w.editor) state.SkipWithError("not opened");
  w.choose("region");
  QTableView* view = w.values();
  auto* button = w.editor->findChild<QPushButton*>("cmdVarDropIncl");
  for (auto _ : state) {
    state.PauseTiming();
    const QModelIndex first = view->model()->index(4000, 0);
    const QModelIndex last = view->model()->index(4999, view->model()->columnCount() - 1);
    view->selectionModel()->select(QItemSelection(first, last),
                                   QItemSelectionModel::ClearAndSelect);
    state.ResumeTiming();
    button->click();
    QApplication::processEvents();
    state.PauseTiming();
    w.editor->undoStack()->undo();
    QApplication::processEvents();
    state.ResumeTiming();
  }
  reportCellRate(state, 1000.0 * kYears);
}
BENCHMARK(BM_DeleteThousandValues)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  shared.reset();
  return 0;
}
