// The "&Contents" page: the content variable, the table's units and the content
// metadata sets, each user change one undo step, and filling the controls writing nothing.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStringList>
#include <QTabWidget>
#include <QTest>
#include <QTextEdit>
#include <QUndoStack>
#include <functional>
#include <string>
#include <vector>

#include "gui/app/mdi_form.h"
#include "gui/editor/frm_create_vq.h"
#include "core/format/reader.h"
#include "support/editor_window_frame.h"
#include "support/list_actions.h"
#include "support/scripted_file_chooser.h"
#include "support/temp_folder.h"

using namespace zendra;

namespace {

// A product-by-region table whose content variable is "product": the table's units, and
// per product units, stock/flow, DAYADJ=NO and a contact on two lines, its metadata as
// the program writes it.
constexpr const char* kContentFile =
    "CHARSET=\"ANSI\";\r\n"
    "SUBJECT-AREA=\"Prices\";\r\n"
    "SUBJECT-CODE=\"PR\";\r\n"
    "MATRIX=\"PR01\";\r\n"
    "TITLE=\"Sales by region and product. \";\r\n"
    "CONTENTS=\"Sales\";\r\n"
    "DECIMALS=0;\r\n"
    "STUB=\"region\";\r\n"
    "HEADING=\"product\";\r\n"
    "UNITS=\"tonnes\";\r\n"
    "VALUES(\"region\")=\"North\",\"South\";\r\n"
    "VALUES(\"product\")=\"Milk\",\"Bread\";\r\n"
    "CONTVARIABLE=\"product\";\r\n"
    "UNITS(\"Milk\")=\"litres\";\r\n"
    "DAYADJ(\"Milk\")=NO;\r\n"
    "STOCKFA(\"Milk\")=\"F\";\r\n"
    "CONTACT(\"Milk\")=\"Bo Ek #\"\r\n"
    "\"tel 1 \";\r\n"
    "DATA=\r\n1 2\r\n3 4;\r\n";
constexpr const char* kMilkContact = "Bo Ek \r\ntel 1 ";

// The metadata of a file's text: from CHARSET up to DATA.
std::string metadata(const std::string& text) {
  const std::size_t start = text.find("CHARSET=");
  return text.substr(start, text.find("DATA=") - start);
}

// A set's nine fields as one text, for comparing sets.
std::string fields(const ContentData& c) {
  std::string out;
  for (const std::string* f : {&c.Units, &c.StockFA, &c.CFPrices, &c.DayAdj, &c.SeasAdj, &c.Contact,
                               &c.Refperiod, &c.LastUpdated, &c.Baseperiod}) {
    out += *f + "|";
  }
  return out;
}

// A main window with scripted dialogs and default data, and one table open on the page.
struct Page : test::EditorWindowFrame {
  frmCreateVq* editor = nullptr;

  explicit Page(const char* file = kContentFile) {
    ctx.defaultData.Contact = "Statistics office";
    ctx.defaultData.Units = {"tonnes", "number"};
    ctx.defaultData.NewDefaultData.notify();
    files.script(QString::fromStdString(home.write("in.vq", file).string()));
    window->OpenFile(false);
    editor = window->editors().last();
    editor->tabs()->setCurrentIndex(frmCreateVq::Contents);
  }
  VexaMess& doc() { return editor->document(); }
  ContentData& milk() { return *doc().Get_Dimension("product")->ValueCode.Item(1)->ContentData; }
  template <typename T>
  T* get(const char* name) {
    return test::child<T>(*editor, name);
  }
  QLineEdit* line(const char* name) {
    QComboBox* combo = editor->findChild<QComboBox*>(name);
    return combo ? combo->lineEdit() : get<QLineEdit>(name);
  }
  // Replaces a box's text as the user would type it.
  void type(const char* name, const QString& text) {
    if (name == std::string("txtContact")) {
      auto* box = get<QTextEdit>(name);
      box->selectAll();
      const QStringList lines = text.split('\n');
      for (int i = 0; i < lines.size(); ++i) {
        if (i > 0) QTest::keyClick(box, Qt::Key_Return);
        QTest::keyClicks(box, lines[i]);
      }
      return;
    }
    QLineEdit* box = line(name);
    box->selectAll();
    QTest::keyClicks(box, text);
  }
  void choose(const char* name, const QString& text) {
    test::chooseText(get<QComboBox>(name), text);
  }
  void click(const char* name) { get<QCheckBox>(name)->click(); }
  QUndoStack* history() { return editor->undoStack(); }
  std::string save() {
    files.script(QString::fromStdString(home.file("out.vq")));
    EXPECT_TRUE(editor->savefile(1));
    return test::TempFolder::read(home / "out.vq");
  }
};

}  // namespace

TEST(ContentsPage, EveryControlWritesItsFieldInOneStepAndUndoShowsTheFieldAgain) {
  struct Row {
    const char* control;  // what the user acts on, with the box that shows the field
    std::function<void(Page&)> act;
    std::function<std::string(Page&)> field;
    std::string after;
    std::string before;  // the field again after undo
    const char* shows;   // the control that shows the field, empty when a check box
  };
  auto milk = [](std::string ContentData::*f) { return [f](Page& p) { return p.milk().*f; }; };
  const std::vector<Row> rows = {
      {"cmbUnits", [](Page& p) { p.type("cmbUnits", "kg"); }, milk(&ContentData::Units), "kg",
       "litres", "cmbUnits"},
      {"cmbUnits list", [](Page& p) { p.choose("cmbUnits", "number"); }, milk(&ContentData::Units),
       "number", "litres", "cmbUnits"},
      {"cmbUnits2", [](Page& p) { p.type("cmbUnits2", "kilo"); },
       [](Page& p) { return p.doc().ContData->Units; }, "kilo", "tonnes", "cmbUnits2"},
      {"txtStockFlow", [](Page& p) { p.type("txtStockFlow", "a"); }, milk(&ContentData::StockFA),
       "A", "F", "txtStockFlow"},
      {"txtCFPrices", [](Page& p) { p.type("txtCFPrices", "f"); }, milk(&ContentData::CFPrices),
       "F", "", "txtCFPrices"},
      {"chkDayAdj", [](Page& p) { p.click("chkDayAdj"); }, milk(&ContentData::DayAdj), "YES", "NO",
       ""},
      {"chkSeasAdj", [](Page& p) { p.click("chkSeasAdj"); }, milk(&ContentData::SeasAdj), "YES", "",
       ""},
      {"chkContact clear", [](Page& p) { p.click("chkContact"); }, milk(&ContentData::Contact), "",
       kMilkContact, "txtContact"},
      {"txtContact", [](Page& p) { p.type("txtContact", "Al\nX"); }, milk(&ContentData::Contact),
       "Al\r\nX", kMilkContact, "txtContact"},
      {"txtRefPeriod",
       [](Page& p) {
         p.click("chkRefPeriod");  // shows the box; the empty field stays as it is
         p.type("txtRefPeriod", "31 dec");
       },
       milk(&ContentData::Refperiod), "31 dec", "", "txtRefPeriod"},
      {"txtLastUpdated",
       [](Page& p) {
         p.click("chkLastUpdated");
         p.type("txtLastUpdated", "20240101 10:00");
       },
       milk(&ContentData::LastUpdated), "20240101 10:00", "", "txtLastUpdated"},
      {"txtBasePeriod",
       [](Page& p) {
         p.click("chkBasePeriod");
         p.type("txtBasePeriod", "2000");
       },
       milk(&ContentData::Baseperiod), "2000", "", "txtBasePeriod"},
      {"cmbContvar", [](Page& p) { p.choose("cmbContvar", "[none]"); },
       [](Page& p) { return p.doc().ContVariable; }, "", "product", "cmbContvar"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.control);
    Page p;
    p.choose("cmbContValue", "Milk");
    const int steps = p.history()->count();
    row.act(p);
    EXPECT_EQ(row.field(p), row.after);
    EXPECT_EQ(p.history()->count(), steps + 1);
    p.history()->undo();
    EXPECT_EQ(row.field(p), row.before);
    EXPECT_FALSE(p.editor->isChanged());
    // After the undo the page shows the field again, on the same set.
    const std::string shows = row.shows;
    if (shows != "cmbContvar") {
      EXPECT_EQ(p.get<QComboBox>("cmbContValue")->currentText(), "Milk");
    }
    QString shown;
    if (shows.empty()) continue;
    if (shows == "txtContact") {
      shown = p.get<QTextEdit>(row.shows)->toPlainText().replace("\n", "\r\n");
    } else if (shows == "cmbContvar") {
      shown = p.get<QComboBox>(row.shows)->currentText();
      EXPECT_TRUE(p.get<QComboBox>("cmbContValue")->isVisibleTo(p.editor));
    } else {
      shown = p.line(row.shows)->text();
    }
    EXPECT_EQ(shown.toStdString(), row.before);
  }
}

TEST(ContentsPage, CheckBoxesFollowTheirFieldAndContactTakesTheDefaultText) {
  Page p;
  p.choose("cmbContValue", "Milk");
  // A stored "NO" shows clear; "YES" alone checks.
  EXPECT_FALSE(p.get<QCheckBox>("chkDayAdj")->isChecked());
  EXPECT_TRUE(p.get<QCheckBox>("chkContact")->isChecked());
  EXPECT_TRUE(p.get<QTextEdit>("txtContact")->isVisibleTo(p.editor));
  EXPECT_FALSE(p.get<QLineEdit>("txtRefPeriod")->isVisibleTo(p.editor));

  // Bread has no contact: checking the box takes the default data's text in one step.
  p.choose("cmbContValue", "Bread");
  EXPECT_FALSE(p.get<QCheckBox>("chkContact")->isChecked());
  const int steps = p.history()->count();
  p.click("chkContact");
  EXPECT_EQ(p.history()->count(), steps + 1);
  EXPECT_EQ(p.doc().GetContdataKey("Bread")->Contact, "Statistics office");
  EXPECT_EQ(p.get<QTextEdit>("txtContact")->toPlainText(), "Statistics office");

  // Clearing a period empties its field and hides its box.
  p.click("chkLastUpdated");
  p.type("txtLastUpdated", "20240101");
  p.click("chkLastUpdated");
  EXPECT_EQ(p.doc().GetContdataKey("Bread")->LastUpdated, "");
  EXPECT_FALSE(p.get<QLineEdit>("txtLastUpdated")->isVisibleTo(p.editor));

  // The date hint shows only while its box has the focus.
  auto* hint = p.get<QLabel>("lblLastUpdated");
  EXPECT_EQ(hint->text(), "Enter as YYYYMMDD HH:MM, i.e. 20010406 17:45  ");
  EXPECT_FALSE(hint->isVisibleTo(p.editor));
  QFocusEvent in(QEvent::FocusIn);
  QApplication::sendEvent(p.get<QLineEdit>("txtLastUpdated"), &in);
  EXPECT_TRUE(hint->isVisibleTo(p.editor));
  QFocusEvent out(QEvent::FocusOut);
  QApplication::sendEvent(p.get<QLineEdit>("txtLastUpdated"), &out);
  EXPECT_FALSE(hint->isVisibleTo(p.editor));
}

TEST(ContentsPage, StockFlowAndPricesTakeOneAllowedLetterAndTheBoxAlwaysShowsTheField) {
  Page p;
  p.choose("cmbContValue", "Bread");
  ContentData& bread = *p.doc().GetContdataKey("Bread");
  QLineEdit* stock = p.line("txtStockFlow");
  p.type("txtStockFlow", "s");
  EXPECT_EQ(bread.StockFA, "S");
  EXPECT_EQ(stock->text(), "S");
  p.type("txtStockFlow", "x");
  EXPECT_EQ(bread.StockFA, "");
  EXPECT_EQ(stock->text(), "");
  p.type("txtStockFlow", " ");
  EXPECT_EQ(bread.StockFA, "");
  EXPECT_EQ(stock->text(), "");
  p.type("txtCFPrices", "a");  // a stock/flow letter, not a price letter
  EXPECT_EQ(bread.CFPrices, "");
  EXPECT_EQ(p.line("txtCFPrices")->text(), "");

  // A refused letter typed after an allowed one: undo gives back the field and the box
  // shows it.
  p.type("txtStockFlow", "f");
  stock->end(false);
  QTest::keyClicks(stock, "q");
  EXPECT_EQ(bread.StockFA, "");
  EXPECT_EQ(stock->text(), "");
  while (p.history()->canUndo()) {
    p.history()->undo();
    EXPECT_EQ(stock->text().toStdString(), bread.StockFA);
  }
}

TEST(ContentsPage, NoneShowsTheTableSetAndBaseShowsTheSameSet) {
  Page p;
  auto* units = p.get<QComboBox>("cmbUnits");
  auto* values = p.get<QComboBox>("cmbContValue");
  EXPECT_EQ(values->currentText(), "[base]");
  EXPECT_EQ(values->count(), 3);
  EXPECT_EQ(units->currentText(), "tonnes");
  p.choose("cmbContValue", "Milk");
  EXPECT_EQ(units->currentText(), "litres");
  EXPECT_EQ(p.get<QComboBox>("cmbUnits2")->currentText(), "tonnes");

  p.choose("cmbContvar", "[none]");
  EXPECT_EQ(p.doc().ContVariable, "");
  EXPECT_FALSE(values->isVisibleTo(p.editor));
  EXPECT_TRUE(p.get<QWidget>("frameContForVal")->isVisibleTo(p.editor));
  EXPECT_EQ(units->currentText(), "tonnes");
  p.type("cmbUnits", "kg");  // the table's own set: both unit boxes show it
  EXPECT_EQ(p.doc().ContData->Units, "kg");
  EXPECT_EQ(p.get<QComboBox>("cmbUnits2")->currentText(), "kg");

  p.choose("cmbContvar", "region");
  EXPECT_EQ(p.doc().ContVariable, "region");
  EXPECT_EQ(values->currentText(), "[base]");
  EXPECT_EQ(values->itemText(1), "North");
  EXPECT_EQ(units->currentText(), "kg");
  p.choose("cmbContValue", "North");
  EXPECT_EQ(units->currentText(), "");
  p.choose("cmbContValue", "[base]");
  EXPECT_EQ(units->currentText(), "kg");

  // Enter keeps a typed unit as the first item of the list; a choice writes it.
  p.choose("cmbContValue", "North");
  p.type("cmbUnits", "metres");
  QTest::keyClick(units->lineEdit(), Qt::Key_Return);
  EXPECT_EQ(units->itemText(0), "metres");
  EXPECT_EQ(units->currentIndex(), 0);
  p.choose("cmbUnits", "number");
  EXPECT_EQ(p.doc().GetContdataKey("North")->Units, "number");
  EXPECT_EQ(units->toolTip(), "Select or enter a new Unit and hit [ENTER]");
}

TEST(ContentsPage, OpeningVisitingAndSavingKeepsEveryContentStatement) {
  Page p;
  p.choose("cmbContValue", "Milk");   // shows DAYADJ=NO as clear and keeps it
  p.choose("cmbContValue", "Bread");  // makes Bread's empty set, which is not written
  // New default data refills the unit lists and writes no table's units.
  p.ctx.defaultData.Units = {"pieces"};
  p.ctx.defaultData.NewDefaultData.notify();
  EXPECT_EQ(p.get<QComboBox>("cmbUnits2")->currentText(), "tonnes");
  EXPECT_EQ(p.get<QComboBox>("cmbUnits2")->itemText(0), "pieces");
  // The structure changes while the page is away; coming back refills the variables.
  p.editor->tabs()->setCurrentIndex(frmCreateVq::Data);
  p.editor->tabs()->setCurrentIndex(frmCreateVq::Contents);
  EXPECT_FALSE(p.editor->isChanged());
  EXPECT_EQ(p.doc().ContVariable, "product");
  EXPECT_EQ(p.doc().ContData->Units, "tonnes");
  EXPECT_EQ(metadata(p.save()), metadata(kContentFile));

  // A content variable naming no variable of the table is kept as it is.
  std::string dangling = kContentFile;
  dangling.replace(dangling.find("CONTVARIABLE=\"product\""), 22, "CONTVARIABLE=\"gone\"");
  Page q(dangling.c_str());
  EXPECT_EQ(q.get<QComboBox>("cmbContvar")->currentIndex(), -1);
  EXPECT_FALSE(q.editor->isChanged());
  EXPECT_EQ(q.doc().ContVariable, "gone");
  EXPECT_NE(q.save().find("CONTVARIABLE=\"gone\""), std::string::npos);
}

TEST(ContentsPage, ARoundTripThroughTheControlsSavesEveryField) {
  Page p;
  p.type("cmbUnits2", "kg");
  p.choose("cmbContValue", "Bread");
  p.type("cmbUnits", "loaves");
  p.type("txtStockFlow", "s");
  p.type("txtCFPrices", "c");
  p.click("chkDayAdj");
  p.click("chkSeasAdj");
  p.click("chkContact");
  p.type("txtContact", "Al Berg \ntel 2 ");  // as the file keeps a text on lines
  for (const char* name : {"RefPeriod", "LastUpdated", "BasePeriod"}) {
    p.click((std::string("chk") + name).c_str());
    p.type((std::string("txt") + name).c_str(), QString(name) + " text");
  }
  p.save();
  VexaMess back;
  back.VQfilename = p.home.file("out.vq");
  ScriptedPrompt prompt;
  ASSERT_EQ(Load_From_File(back, true, nullptr, prompt), LoadResult::Loaded);
  EXPECT_EQ(back.ContVariable, "product");
  EXPECT_EQ(back.ContData->Units, "kg");
  ContentData expected;
  expected.Units = "loaves";
  expected.StockFA = "S";
  expected.CFPrices = "C";
  expected.DayAdj = "YES";
  expected.SeasAdj = "YES";
  expected.Contact = "Al Berg \r\ntel 2 ";
  expected.Refperiod = "RefPeriod text";
  expected.LastUpdated = "LastUpdated text";
  expected.Baseperiod = "BasePeriod text";
  EXPECT_EQ(fields(*back.GetContdataKey("Bread")), fields(expected));
  EXPECT_EQ(fields(*back.GetContdataKey("Milk")), fields(p.milk()));  // untouched
}
