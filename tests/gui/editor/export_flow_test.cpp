// File > "Export...": the format from the chosen name's extension, the file written off
// the interface's thread, and a name without a known extension told, not guessed.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>

#include "support/editor_window_frame.h"

using namespace zendra;
using namespace zendra::test;

namespace {

void exportTo(EditorWindowFrame& f, frmCreateVq* editor, const std::string& name) {
  f.files.script(QString::fromStdString(f.home.file(name)));
  editor->findChild<QAction*>("mnuFExport")->trigger();
}

TEST(ExportFlow, TheExtensionChoosesTheFormatAndAnUnknownOneIsTold) {
  EditorWindowFrame f;
  frmCreateVq* editor = f.open("keys_form.vq");
  ASSERT_NE(editor, nullptr);
  exportTo(f, editor, "out.csv");
  EXPECT_EQ(TempFolder::read(f.home / "out.csv").substr(0, 19), "region code,region,");
  exportTo(f, editor, "out.json");
  EXPECT_EQ(TempFolder::read(f.home / "out.json").substr(0, 14), "{\"version\":\"2.");
  exportTo(f, editor, "out.xlsx");
  EXPECT_EQ(TempFolder::read(f.home / "out.xlsx").substr(0, 2), "PK");
  exportTo(f, editor, "out.txt");
  EXPECT_FALSE(std::filesystem::exists(f.home / "out.txt"));
  EXPECT_EQ(f.prompt.asked.back().text,
            "Give the file the extension .csv, .xlsx or .json: it tells the format.");
  EXPECT_FALSE(editor->isChanged());  // exporting is no change to the table
}

}  // namespace
