// The "Bas&ic structure" page: every control writes its field as one undoable step,
// loading writes nothing, numbers out of range stay as read, and the subject area picker.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QUndoStack>
#include <functional>
#include <memory>
#include <string>

#include "gui/app/mdi_form.h"
#include "gui/editor/frm_create_vq.h"
#include "core/format/reader.h"
#include "gui/settings/dlg_get_subarea.h"
#include "support/editor_window_frame.h"
#include "support/list_actions.h"
#include "support/scripted_file_chooser.h"
#include "support/temp_folder.h"

using namespace zendra;

namespace {

const std::string kTable =
    "MATRIX=\"M1\";\r\nSUBJECT-AREA=\"Area\";\r\nSUBJECT-CODE=\"AR\";\r\n"
    "CONTENTS=\"Stuff\";\r\nLANGUAGE=\"sv\";\r\nDESCRIPTION=\"Desc\";\r\n"
    "DESCRIPTIONDEFAULT=YES;\r\nINFOFILE=\"info\";\r\nAUTOOPEN=\"NO\";\r\n"
    "AGGREGALLOWED=\"NO\";\r\nDECIMALS=1;\r\nSHOWDECIMALS=2;\r\n"
    "STUB=\"r\";\r\nHEADING=\"k\";\r\nVALUES(\"r\")=\"a\",\"b\";\r\nVALUES(\"k\")=\"x\";\r\n"
    "PRECISION(\"r\",\"b\")=2;\r\nDATA=\r\n1\r\n2\r\n;\r\n";

// A main window with scripted dialogs; the subject area picker chooses pickRow and
// presses pickButton.
struct Frame : test::EditorWindowFrame {
  int pickRow = 0;
  const char* pickButton = "cmdOk";
  int picks = 0;

  Frame() {
    answer = [this](QDialog& dialog) {
      if (auto* picker = qobject_cast<dlgGetSubarea*>(&dialog)) {
        ++picks;
        picker->findChild<QListWidget*>("lstSubAreas")->setCurrentRow(pickRow);
        picker->findChild<QPushButton*>(pickButton)->click();
      }
    };
  }
  frmCreateVq* open(const std::string& text = kTable) {
    files.script(QString::fromStdString(home.write("table.vq", text).string()));
    window->OpenFile(false);
    frmCreateVq* editor = window->editors().last();
    editor->tabs()->setCurrentIndex(frmCreateVq::BasicStructure);
    return editor;
  }
  void loadAreas(const std::string& lines) {
    home.write("vexa/Amnomr.dat", lines);
    ctx.subjectAreas.reload(home.file("vexa"));
  }
};

template <typename T>
T* control(frmCreateVq* editor, const char* name) {
  return test::child<T>(*editor, name);
}

// What a control shows, as text.
QString shows(QWidget* widget) {
  if (auto* box = qobject_cast<QLineEdit*>(widget)) return box->text();
  if (auto* check = qobject_cast<QCheckBox*>(widget)) return check->isChecked() ? "on" : "off";
  if (auto* list = qobject_cast<QComboBox*>(widget)) return list->currentText();
  return {};
}

void close(frmCreateVq* editor) {
  qobject_cast<QMdiSubWindow*>(editor->parentWidget())->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void type(QWidget* widget, const QString& text) {
  auto* box = qobject_cast<QLineEdit*>(widget);
  box->selectAll();
  QTest::keyClicks(box, text);
}

void choose(QWidget* widget, const QString& text) {
  auto* list = qobject_cast<QComboBox*>(widget);
  const int index = list->findText(text);
  ASSERT_GE(index, 0) << text.toStdString();
  list->setCurrentIndex(index);
  emit list->activated(index);
}

void click(QWidget* widget) {
  qobject_cast<QCheckBox*>(widget)->click();
}

}  // namespace

TEST(BasicStructurePage, EachControlWritesItsFieldInOneStepAndUndoPutsBothBack) {
  struct Binding {
    const char* control;
    std::function<void(QWidget*)> act;
    std::function<std::string(const VexaMess&)> field;
    std::string after;
    std::string before;
  };
  const auto text = [](std::string VexaMess::*f) {
    return [f](const VexaMess& d) { return d.*f; };
  };
  const auto typed = [](const char* t) { return [t](QWidget* w) { type(w, t); }; };
  const Binding rows[] = {
      {"txtMatrix", typed("M2"), text(&VexaMess::Matrix), "M2", "M1"},
      {"txtSubarea", typed("Arbete"), text(&VexaMess::SubjectArea), "Arbete", "Area"},
      {"txtSubareaCode", typed("AM"), text(&VexaMess::SubjectCode), "AM", "AR"},
      {"txtContents", typed("Antal"), text(&VexaMess::Contents), "Antal", "Stuff"},
      {"txtLanguage", typed("en"), text(&VexaMess::Language), "en", "sv"},
      {"txtDescription", typed("Other"), text(&VexaMess::Description), "Other", "Desc"},
      {"txtInfofile", typed("i2"), text(&VexaMess::Infofile), "i2", "info"},
      {"cmbDecimals", [](QWidget* w) { choose(w, "4"); },
       [](const VexaMess& d) { return std::to_string(d.Decimaler); }, "4", "1"},
      {"cmbShowDecimals", [](QWidget* w) { choose(w, "5"); }, text(&VexaMess::ShowDecimals), "5",
       "2"},
      {"cmbShowDecimals", [](QWidget* w) { choose(w, ""); }, text(&VexaMess::ShowDecimals), "",
       "2"},
      // Clearing the description empties its default flag too.
      {"chkDescription", click,
       [](const VexaMess& d) { return d.Description + "|" + d.DescriptionDefault; }, "|",
       "Desc|YES"},
      {"chkDescriptionDefault", click, text(&VexaMess::DescriptionDefault), "", "YES"},
      {"chkInfofile", click, text(&VexaMess::Infofile), "", "info"},
      {"chkAutoOpen", click, text(&VexaMess::AutoOpen), "YES", "NO"},
      {"chkAgreggAllowed", click, text(&VexaMess::AggregAllowed), "", "NO"},
  };
  Frame f;
  for (const Binding& row : rows) {
    SCOPED_TRACE(row.control);
    frmCreateVq* editor = f.open();
    auto* widget = control<QWidget>(editor, row.control);
    ASSERT_TRUE(widget);
    const QString shown = shows(widget);
    ASSERT_EQ(row.field(editor->document()), row.before);
    row.act(widget);
    EXPECT_EQ(row.field(editor->document()), row.after);
    EXPECT_EQ(editor->undoStack()->count(), 1);
    editor->undoStack()->undo();
    EXPECT_EQ(row.field(editor->document()), row.before);
    EXPECT_EQ(shows(widget), shown);
    EXPECT_FALSE(editor->isChanged());
    close(editor);
  }
  EXPECT_TRUE(f.prompt.asked.empty());
}

TEST(BasicStructurePage, OpeningAndVisitingWritesNothingAndTheFocusGoesToTheSubjectArea) {
  Frame f;
  frmCreateVq* editor = f.open();
  for (int page : {frmCreateVq::Variables, frmCreateVq::BasicStructure}) {
    editor->tabs()->setCurrentIndex(page);
  }
  EXPECT_EQ(editor->focusWidget(), control<QLineEdit>(editor, "txtSubarea"));
  EXPECT_FALSE(editor->isChanged());
  const VexaMess& doc = editor->document();
  EXPECT_EQ(doc.AutoOpen, "NO");  // the clear box wrote nothing
  EXPECT_EQ(doc.AggregAllowed, "NO");
  EXPECT_EQ(control<QComboBox>(editor, "cmbDecimals")->currentText(), "2");  // PRECISION 2
  EXPECT_TRUE(control<QCheckBox>(editor, "chkDescriptionDefault")->isChecked());
  EXPECT_TRUE(control<QLineEdit>(editor, "txtInfofile")->isVisibleTo(editor));

  // Setting every field through the controls and reading it back: from_scratch_test.
}

TEST(BasicStructurePage, DecimalsBelowThePrecisionGoBackWithAMessageInOneStep) {
  Frame f;
  frmCreateVq* editor = f.open();
  auto* decimals = control<QComboBox>(editor, "cmbDecimals");
  choose(decimals, "0");
  EXPECT_EQ(editor->document().Decimaler, 2);  // "b" has PRECISION 2
  EXPECT_EQ(editor->document().SaveDecimals, 2);
  EXPECT_EQ(decimals->currentText(), "2");
  ASSERT_EQ(f.prompt.asked.size(), 1u);
  EXPECT_EQ(f.prompt.asked[0].text, "Decimals must not be lower than precision");
  EXPECT_EQ(editor->undoStack()->count(), 1);
  editor->undoStack()->undo();
  EXPECT_EQ(editor->document().Decimaler, 1);
  EXPECT_EQ(decimals->currentText(), "2");  // shown as written: with the precision

  choose(decimals, "2");  // what the table is written with already: asks nothing
  EXPECT_EQ(f.prompt.asked.size(), 1u);
}

TEST(BasicStructurePage, NumbersOutOfRangeAreShownAndKeptUntilTheUserChooses) {
  Frame f;
  std::string table = kTable;
  table.replace(table.find("DECIMALS=1"), 10, "DECIMALS=20");
  table.replace(table.find("SHOWDECIMALS=2"), 14, "SHOWDECIMALS=-4");
  frmCreateVq* editor = f.open(table);
  auto* decimals = control<QComboBox>(editor, "cmbDecimals");
  auto* shown = control<QComboBox>(editor, "cmbShowDecimals");
  EXPECT_EQ(decimals->currentText(), "20");
  EXPECT_EQ(shown->currentText(), "-4");
  EXPECT_FALSE(editor->isChanged());
  f.files.script(QString::fromStdString(f.home.file("out.vq")));
  ASSERT_TRUE(editor->savefile(1));
  const std::string saved = test::TempFolder::read(f.home / "out.vq");
  EXPECT_NE(saved.find("DECIMALS=20;"), std::string::npos);
  EXPECT_NE(saved.find("SHOWDECIMALS=-4;"), std::string::npos);

  choose(shown, "3");
  EXPECT_EQ(editor->document().ShowDecimals, "3");
  EXPECT_EQ(shown->findText("-4"), -1);
  editor->undoStack()->undo();
  EXPECT_EQ(shown->currentText(), "-4");
  choose(shown, "-4");  // the table's own number, chosen again: no step
  EXPECT_EQ(editor->undoStack()->index(), 0);
}

TEST(BasicStructurePage, ContentsPastSeventyCharactersAreKeptAndShownAsTooLong) {
  Frame f;
  const std::string longText(80, 'x');
  std::string table = kTable;
  table.replace(table.find("\"Stuff\""), 7, "\"" + longText + "\"");
  frmCreateVq* editor = f.open(table);
  auto* contents = control<QLineEdit>(editor, "txtContents");
  EXPECT_EQ(contents->text().toStdString(), longText);
  EXPECT_FALSE(contents->styleSheet().isEmpty());

  type(contents, QString(70, 'y'));
  EXPECT_TRUE(contents->styleSheet().isEmpty());
  QTest::keyClick(contents, Qt::Key_Z);
  EXPECT_EQ(editor->document().Contents, std::string(70, 'y') + "z");
  EXPECT_FALSE(contents->styleSheet().isEmpty());
  EXPECT_EQ(contents->toolTip(), "Maximum length for CONTENTS is 70 characters");
}

TEST(BasicStructurePage, TheSubjectAreaButtonFollowsTheListAndThePickIsOneStep) {
  Frame f;
  f.ctx.subjectAreas.SubjectFromDB = true;
  const std::size_t listeners = f.ctx.subjectAreas.NewSubjectAreas.size();
  frmCreateVq* editor = f.open();
  auto* button = control<QPushButton>(editor, "cmdGetSubar");
  EXPECT_FALSE(button->isEnabled());
  f.loadAreas("Befolkning\tBE\r\nArbete\tAM\r\n");
  EXPECT_TRUE(button->isEnabled());

  f.pickButton = "cmdCancel";
  button->click();
  EXPECT_EQ(f.picks, 1);
  EXPECT_EQ(editor->undoStack()->count(), 0);

  f.pickButton = "cmdOk";
  button->click();
  const VexaMess& doc = editor->document();
  EXPECT_EQ(doc.SubjectArea + "|" + doc.SubjectCode, "Befolkning|BE");
  EXPECT_EQ(control<QLineEdit>(editor, "txtSubareaCode")->text(), "BE");
  EXPECT_EQ(editor->undoStack()->count(), 1);
  editor->undoStack()->undo();
  EXPECT_EQ(doc.SubjectArea + "|" + doc.SubjectCode, "Area|AR");
  EXPECT_EQ(control<QLineEdit>(editor, "txtSubarea")->text(), "Area");

  f.loadAreas("\r\nLate\tLA\r\n");  // a completed load of no areas
  EXPECT_FALSE(button->isEnabled());

  // A closed window no longer listens.
  close(editor);
  EXPECT_EQ(f.ctx.subjectAreas.NewSubjectAreas.size(), listeners);
  f.loadAreas("Boende\tBO\r\n");
}
