// DataFlow on its own: the Edit menu's whole-grid steps over a table, reached only through
// the EditorContext interface (no editor window), each one step that undo takes back.
#include <gtest/gtest.h>

#include <QMenu>
#include <QWidget>

#include "core/editor/settled_step.h"
#include "core/format/data_builder.h"
#include "gui/editor/data_flow.h"
#include "gui/editor/editor_context.h"
#include "gui/shared/app_context.h"
#include "support/loaded_table.h"

using namespace zendra;
using namespace zendra::test;

namespace {

// The window's side of the interface, over a table read from a file.
struct Context : EditorContext {
  Loaded table;
  AppContext ctx;
  ScriptedPrompt prompt{Prompt::Answer::Cancel};
  std::vector<std::unique_ptr<Command>> steps;
  int pushes = 0;

  explicit Context(const std::string& file) : table(file) {
    ctx.prompt = &prompt;
    SettleGrid(table.doc, table.grid, false);
  }
  VexaMess& document() override { return table.doc; }
  CellGrid& dataGrid() override { return table.grid; }
  AppContext& app() override { return ctx; }
  void push(std::unique_ptr<Command> command) override {
    ++pushes;
    command->redo();
    steps.push_back(std::move(command));
  }
  WriteOptions writeOptions() const override { return {}; }
  void commitEdit() override {}
  void refreshDataGrid() override {}
  void sortKeysRows() override {}
  void undo() {
    steps.back()->undo();
    steps.pop_back();
  }
  QMenu* editMenu() const override { return nullptr; }

  std::string data() {
    DataCheck check;
    return GetDataMod::BuildDataText(table.doc, table.grid, check);
  }
};

TEST(DataFlow, EachStepIsOneUndoableStepAndACancelledQuestionChangesNothing) {
  QWidget window;
  Context c("ansi_months.vq");
  DataFlow flow(c, window);
  const std::string before = c.data();
  const std::int32_t rows = c.table.grid.rowCount();

  // Converting asks first; Cancel leaves the table as it was, without a step.
  EXPECT_FALSE(flow.convertToKeys());
  ASSERT_FALSE(c.prompt.asked.empty());
  EXPECT_EQ(c.prompt.asked.back().text, "Keep head dimensions");
  EXPECT_EQ(c.pushes, 0);

  // Delete current row on the first data row, then Clear all data: one step each.
  c.table.grid.setCurrent(c.table.doc.DataRow1, c.table.doc.DataCol1);
  flow.deleteCurrentRow();
  EXPECT_EQ(c.table.grid.rowCount(), rows - 1);
  flow.clearAllData();
  EXPECT_NE(c.data(), before);
  EXPECT_EQ(c.pushes, 2);
  c.undo();
  c.undo();
  EXPECT_EQ(c.table.grid.rowCount(), rows);
  EXPECT_EQ(c.data(), before);

  // Every cell filled: Fill empty cells says so and pushes nothing.
  flow.fillEmptyCells();
  EXPECT_EQ(c.prompt.asked.back().text, "All cells are filled");
  EXPECT_EQ(c.pushes, 2);
}

}  // namespace
