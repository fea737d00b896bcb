// The import wizard: its pages and buttons, the delimited and fixed-width previews, the
// field order the user assigns, nothing after Cancel, and "Get data from external file"
// in the editor window.
#include "gui/import/dlg_data_file_format.h"
#include "support/dialog_steps.h"

using namespace zendra;
using namespace zendra::test;

namespace {

// Two stub variables and one heading variable: four items with the value.
struct Document : VexaMess {
  Document() {
    addVariable(*this, "region", 0, {"North", "South"}, {"01", "02"});
    addVariable(*this, "age", 0, {"young", "old"});
    addVariable(*this, "sex", 1, {"men", "women"});
  }
};

// The page, then which of Back, Next and Finish show ("B", "N", "F"), lower case when
// disabled.
std::string state(QDialog& dialog) {
  std::string out = std::to_string(child<QStackedWidget>(dialog, "stkPages")->currentIndex()) + " ";
  for (const auto& [name, letter] :
       {std::pair{"cmdBack", 'B'}, {"cmdNext", 'N'}, {"cmdFinish", 'F'}}) {
    const QPushButton* b = child<QPushButton>(dialog, name);
    if (b->isVisibleTo(&dialog)) out += b->isEnabled() ? letter : static_cast<char>(letter + 32);
  }
  return out;
}

// A preview grid's column count, then the texts of one of its columns joined by "/".
std::string preview(QDialog& dialog, const char* name, int c) {
  auto* table = child<QTableWidget>(dialog, name);
  std::string out = std::to_string(table->columnCount()) + ":";
  for (int r = 0; r < table->rowCount(); ++r) {
    out += (r ? "/" : " ") + (table->item(r, c) ? table->item(r, c)->text().toStdString() : "");
  }
  return out;
}

// Selects the order item, then the field (both 0-based), then presses Assign.
void assign(QDialog& dialog, int item, int field) {
  child<QListWidget>(dialog, "lstOrder")->setCurrentRow(item);
  child<QListWidget>(dialog, "lstFields")->setCurrentRow(field);
  press(dialog, "cmdAssign");
}

}  // namespace

TEST(DlgDataFileFormat, PagesOfADelimitedFileAndAFieldOrderOfTheUsersChoice) {
  const Document doc;
  dlgDataFileFormat dialog("sex;value;region;age\r\nmen;12,5;01;young\r\nwomen;7;02;old\r\n", doc);
  dialog.show();
  // The first page offers only Next (and Cancel).
  EXPECT_EQ(state(dialog), "0 N");
  press(dialog, "cmdNext");
  // The preview follows the separator: "Other" left empty keeps lines whole.
  child<QRadioButton>(dialog, "optOther")->click();
  EXPECT_EQ(preview(dialog, "grdPreview", 0),
            "1: sex;value;region;age/men;12,5;01;young/women;7;02;old");
  QTest::keyClicks(child<QLineEdit>(dialog, "txtOther"), ";");
  EXPECT_EQ(preview(dialog, "grdPreview", 1), "4: value/12,5/7");

  press(dialog, "cmdNext");
  auto* order = child<QListWidget>(dialog, "lstOrder");
  auto* fields = child<QListWidget>(dialog, "lstFields");

  // Items assigned out of order; giving a field to a second item takes it from the first.
  assign(dialog, 3, 0);
  assign(dialog, 0, 2);
  assign(dialog, 2, 0);
  EXPECT_EQ(order->item(3)->text(), "Cell value");
  // After an assignment the next item without a field is current: double-clicks go on.
  assign(dialog, 3, 1);
  EXPECT_EQ(order->currentRow(), 1);
  emit fields->itemDoubleClicked(fields->item(3));
  EXPECT_EQ(state(dialog), "3 BF");
  // Remove takes an item's field away again.
  order->setCurrentRow(1);
  press(dialog, "cmdUnassign");
  EXPECT_EQ(state(dialog), "3 Bf");
  assign(dialog, 1, 3);

  // Back to the separator and forward again keeps the assignments.
  press(dialog, "cmdBack");
  press(dialog, "cmdNext");
  EXPECT_EQ(state(dialog), "3 BF");

  press(dialog, "cmdFinish");
  ASSERT_TRUE(dialog.format().has_value());
  const TextFileFormat& format = *dialog.format();
  EXPECT_EQ(format.separator + format.textDelimiter, ";\"");
  EXPECT_EQ(format.layout.order, (std::vector<std::int32_t>{3, 4, 1, 2}));
}

TEST(DlgDataFileFormat, FixedWidthsGiveTheFieldPositionsAndFewerFieldsThanItemsNeverFinish) {
  const Document doc;
  dlgDataFileFormat dialog("01young  men    12.5\r\n02old    women  7\r\n", doc);
  dialog.show();
  child<QRadioButton>(dialog, "optFixed")->click();
  press(dialog, "cmdNext");
  // No widths yet: nothing to go on with.
  EXPECT_EQ(state(dialog), "2 Bn");
  QTest::keyClicks(child<QLineEdit>(dialog, "txtWidths"), "2, 7 7,x");
  EXPECT_EQ(child<QLabel>(dialog, "lblWidthsError")->text(), "Not a width: x");
  child<QLineEdit>(dialog, "txtWidths")->clear();
  QTest::keyClicks(child<QLineEdit>(dialog, "txtWidths"), "2, 7 7,6");
  EXPECT_EQ(state(dialog), "2 BN");
  EXPECT_EQ(preview(dialog, "grdFixedPreview", 3), "4: 12.5/7");
  press(dialog, "cmdNext");
  for (int item = 0; item < 4; ++item) assign(dialog, item, item);
  press(dialog, "cmdFinish");
  ASSERT_TRUE(dialog.format().has_value());
  const FieldLayout& layout = dialog.format()->layout;
  ASSERT_EQ(layout.fixed.size(), 4u);
  EXPECT_EQ((std::pair{layout.fixed[3].start, layout.fixed[3].width}), (std::pair{17, 6}));

  // Fewer fields than items never finish, and Cancel gives nothing.
  dlgDataFileFormat fewer("01\tyoung\t5\r\n", doc);
  fewer.show();
  press(fewer, "cmdNext");
  press(fewer, "cmdNext");
  for (int item = 0; item < 3; ++item) assign(fewer, item, item);
  EXPECT_EQ(state(fewer), "3 Bf");
  decline(fewer, "cmdCancel", true);  // Escape; the button is pressed in the window test
  EXPECT_FALSE(fewer.format().has_value());
}

namespace {

// A region (with codes) by sex table on its Data page, and "Get data from external file" run
// on a text file: firstPage sets the wizard's first page, the two Next clicks take delimited
// fields with the guessed separator, order[i] is the field (0-based) of item i, and the log
// the import then shows is kept.
struct WizardImport : EditorWindowFrame {
  frmCreateVq* editor = nullptr;
  QAction* action = nullptr;
  QStringList log;

  WizardImport() {
    editor = openText(
        "MATRIX=\"T1\";CONTENTS=\"Count\";DECIMALS=1;STUB=\"region\";HEADING=\"sex\";"
        "VALUES(\"region\")=\"North\",\"South\";CODES(\"region\")=\"01\",\"02\";"
        "VALUES(\"sex\")=\"men\",\"women\";DATA=1 2 3 4;");
    editor->tabs()->setCurrentIndex(frmCreateVq::Data);
    action = editor->findChild<QAction*>("mnuGetExternal");
  }
  void run(const std::string& text, const std::vector<int>& order,
           const std::function<void(QDialog&)>& firstPage = {}) {
    files.script(QString::fromStdString(home.write("in.txt", text).string()));
    answer = [&](QDialog& dialog) {
      if (dialog.objectName() != "dlgDataFileFormat") {
        // The log, as the text import shows it.
        log = items(child<QListWidget>(dialog, "lstLog"));
        return press(dialog, "cmdClose");
      }
      if (firstPage) firstPage(dialog);
      press(dialog, "cmdNext");  // delimited
      press(dialog, "cmdNext");  // the separator as guessed
      for (int item = 0; item < int(order.size()); ++item) assign(dialog, item, order[item]);
      press(dialog, "cmdFinish");
    };
    action->trigger();
  }
  double cell(int row, int col) const {
    const VexaMess& doc = editor->document();
    return editor->dataGrid().number(doc.DataRow1 + row, doc.DataCol1 + col);
  }
};

}  // namespace

TEST(DlgDataFileFormat, GetDataFromExternalFileShowsTheWizardAndImportsItsFieldOrderAsOneStep) {
  WizardImport w;
  ASSERT_NE(w.action, nullptr);
  w.editor->tabs()->setCurrentIndex(frmCreateVq::Contents);
  EXPECT_FALSE(w.action->isVisible());
  w.editor->tabs()->setCurrentIndex(frmCreateVq::Data);

  // The sample is the file's first lines decoded as the import decodes the whole file: here
  // as Windows-1252, for a byte beyond the first megabyte that is not UTF-8.
  std::string big = "North;\xC3\x85;1\r\n";
  while (big.size() < (std::size_t{3} << 19)) big += "South;men;2\r\n";
  w.files.script(QString::fromStdString(w.home.write("data/big.txt", big + "\xC5\r\n").string()));
  QString sample;
  w.answer = [&](QDialog& dialog) {
    sample = child<QPlainTextEdit>(dialog, "txtSample")->toPlainText();
    press(dialog, "cmdCancel");
  };
  w.action->trigger();
  EXPECT_EQ(sample.section('\n', 0, 0).toStdString(), "North;\xC3\x83\xE2\x80\xA6;1");
  // Cancelled in the chooser: no wizard. The folder is remembered for the next text file.
  sample.clear();
  w.action->trigger();
  EXPECT_TRUE(sample.isEmpty());
  EXPECT_EQ(w.files.calls.back().request.folder.toStdString(), w.home.file("data"));

  // The wizard's field order imports as one step with its log: value first, then the
  // heading code, then the stub code.
  w.run("12.5;women;02\r\n7.5;men;01\r\n3;men;99\r\n", {2, 1, 0});
  EXPECT_EQ(w.cell(0, 0), 7.5);
  EXPECT_EQ(w.log, (QStringList{"Line 3: Code: 99 in region is  invalid", "3 records Processed"}));
  EXPECT_EQ(w.editor->undoStack()->count(), 1);
  w.editor->undoStack()->undo();
  EXPECT_EQ(w.cell(0, 0), 1);

  // Comma decimals and a header, with the wizard's options.
  QString guessed;
  w.run("region;sex;value\r\n02;women;12,5\r\n01;men;7,5\r\n", {0, 1, 2}, [&](QDialog& dialog) {
    // The decimal point starts as the user's own, as in "Import data from textfile".
    guessed = child<QLineEdit>(dialog, "txtDecimalPoint")->text();
    child<QLineEdit>(dialog, "txtDecimalPoint")->setText(",");
    child<QCheckBox>(dialog, "chkSkipFirst")->setChecked(true);
  });
  EXPECT_EQ(guessed, QString(QLocale().decimalPoint()));
  EXPECT_EQ(w.cell(1, 1), 12.5);
  EXPECT_EQ(w.log, QStringList{"2 records Processed"});
}
