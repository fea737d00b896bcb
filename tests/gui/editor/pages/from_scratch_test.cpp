// A table typed in from nothing through the metadata pages saves a file whose metadata
// reads back exactly, and every step of it can be undone back to the empty table.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTextEdit>

#include "gui/app/dlg_new_keys.h"
#include "core/format/reader.h"
#include "support/editor_window_frame.h"

using namespace zendra;

namespace {

// Does to a control what a user does: types into a box, clicks a check box, chooses a
// list entry ("#N" for position N).
void act(frmCreateVq* editor, const char* name, const QString& what) {
  QWidget* widget = editor->findChild<QWidget*>(name);
  ASSERT_TRUE(widget) << name;
  if (auto* check = qobject_cast<QCheckBox*>(widget)) {
    check->click();
  } else if (auto* list = qobject_cast<QComboBox*>(widget); list && what.startsWith('#')) {
    const int position = what.mid(1).toInt();
    list->setCurrentIndex(position);
    emit list->activated(position);
  } else {
    widget->setFocus();
    QWidget* box =
        qobject_cast<QComboBox*>(widget) ? qobject_cast<QComboBox*>(widget)->lineEdit() : widget;
    QTest::keyClicks(box, what);
    widget->clearFocus();  // the typing step of this box ends
  }
}

}  // namespace

TEST(MetadataPages, ATableTypedInFromScratchReadsBackExactlyAndUndoesToNothing) {
  test::EditorWindowFrame f;
  f.answer = [](QDialog& dialog) {
    if (auto* keys = qobject_cast<dlgNewKeys*>(&dialog)) {
      keys->findChild<QPushButton*>("cmdStandard")->click();
    }
  };
  f.window->show();
  f.window->file_new();
  frmCreateVq* editor = f.window->editors().last();
  ASSERT_TRUE(editor);

  struct Step {
    int page;
    const char* control;
    QString what;
  };
  const Step steps[] = {
      {frmCreateVq::BasicStructure, "txtMatrix", "BE0101"},
      {frmCreateVq::BasicStructure, "txtSubarea", "Population"},
      {frmCreateVq::BasicStructure, "txtSubareaCode", "BE"},
      {frmCreateVq::BasicStructure, "txtContents", "Inhabitants"},
      {frmCreateVq::BasicStructure, "txtLanguage", "sv"},
      {frmCreateVq::BasicStructure, "cmbDecimals", "#1"},
      {frmCreateVq::BasicStructure, "cmbShowDecimals", "#2"},
      {frmCreateVq::BasicStructure, "chkDescription", ""},
      {frmCreateVq::BasicStructure, "txtDescription", "Inhabitants by area"},
      {frmCreateVq::BasicStructure, "chkDescriptionDefault", ""},
      {frmCreateVq::BasicStructure, "chkInfofile", ""},
      {frmCreateVq::BasicStructure, "txtInfofile", "BE0101.htm"},
      {frmCreateVq::BasicStructure, "chkAutoOpen", ""},
      {frmCreateVq::BasicStructure, "chkAgreggAllowed", ""},
      {frmCreateVq::Contents, "cmbUnits", "persons"},
      {frmCreateVq::Contents, "txtStockFlow", "s"},
      {frmCreateVq::Contents, "txtCFPrices", "c"},
      {frmCreateVq::Contents, "chkDayAdj", ""},
      {frmCreateVq::Contents, "chkSeasAdj", ""},
      {frmCreateVq::Contents, "chkContact", ""},
      {frmCreateVq::Contents, "txtContact", "Ann Lind"},
      {frmCreateVq::Contents, "chkRefPeriod", ""},
      {frmCreateVq::Contents, "txtRefPeriod", "31 Dec"},
      {frmCreateVq::Contents, "chkLastUpdated", ""},
      {frmCreateVq::Contents, "txtLastUpdated", "20240101 10:00"},
      {frmCreateVq::Contents, "chkBasePeriod", ""},
      {frmCreateVq::Contents, "txtBasePeriod", "2000"},
      {frmCreateVq::Footnotes, "chkSource", ""},
      {frmCreateVq::Footnotes, "txtSource", "Statistics office"},
      {frmCreateVq::Footnotes, "chkDatabase", ""},
      {frmCreateVq::Footnotes, "txtDataBase", "Regional data"},
      {frmCreateVq::Footnotes, "chkCopyRight", ""},
      {frmCreateVq::Footnotes, "chkNote", ""},
      {frmCreateVq::Footnotes, "txtNote", "A note"},
      {frmCreateVq::Footnotes, "chkNotex", ""},
      {frmCreateVq::Footnotes, "txtNotex", "A mandatory note"},
  };
  for (const Step& step : steps) {
    editor->tabs()->setCurrentIndex(step.page);
    act(editor, step.control, step.what);
  }
  const std::string saved = f.saveAs(editor, "scratch.vq");
  ASSERT_FALSE(saved.empty());

  VexaMess back;
  back.VQfilename = saved;
  ScriptedPrompt prompt;
  ASSERT_EQ(Load_From_File(back, true, nullptr, prompt), LoadResult::Loaded);
  const ContentData& c = *back.ContData;
  EXPECT_EQ(back.Matrix + "|" + back.SubjectArea + "|" + back.SubjectCode + "|" + back.Contents +
                "|" + back.Language + "|" + std::to_string(back.Decimaler) + "|" +
                back.ShowDecimals + "|" + back.Description + "|" + back.DescriptionDefault + "|" +
                back.Infofile + "|" + back.AutoOpen + "|" + back.AggregAllowed,
            "BE0101|Population|BE|Inhabitants|sv|1|1|Inhabitants by area |YES|BE0101.htm|YES|NO");
  EXPECT_EQ(c.Units + "|" + c.StockFA + "|" + c.CFPrices + "|" + c.DayAdj + "|" + c.SeasAdj + "|" +
                c.Contact + "|" + c.Refperiod + "|" + c.LastUpdated + "|" + c.Baseperiod,
            "persons|S|C|YES|YES|Ann Lind |31 Dec|20240101 10:00|2000");
  EXPECT_EQ(
      back.Source + "|" + back.Database + "|" + back.Copyright + "|" + back.Note + "|" + back.Notex,
      "Statistics office |Regional data|YES|A note |A mandatory note ");

  // Every step undone: the empty table again, unchanged since it was new.
  while (f.window->undoAction()->isEnabled()) f.window->undoAction()->trigger();
  const VexaMess& doc = editor->document();
  EXPECT_EQ(doc.Matrix + doc.SubjectArea + doc.Contents + doc.Description + doc.AutoOpen +
                doc.AggregAllowed + doc.ContData->Units + doc.ContData->Contact + doc.Source +
                doc.Copyright + doc.Note + doc.Notex,
            "");
  EXPECT_EQ(doc.Decimaler, 0);
}
