// The metadata pages "Bas&ic structure", "&Contents" and "Foot&notes": every control writes
// its field as one undoable step, filling the controls writes nothing, typing reaches the
// table's history, and what is set through the controls is saved and read back.
#include <QApplication>
#include <QFocusEvent>

#include "core/format/writer.h"
#include "gui/app/mdi_form.h"
#include "gui/editor/data_grid_view.h"
#include "page_frame.h"

using namespace zendra;
using namespace zendra::test;

namespace {

const std::string kBasic =
    "MATRIX=\"M1\";SUBJECT-AREA=\"Area\";SUBJECT-CODE=\"AR\";CONTENTS=\"Stuff\";LANGUAGE=\"sv\";"
    "DESCRIPTION=\"Desc\";DESCRIPTIONDEFAULT=YES;INFOFILE=\"info\";AUTOOPEN=\"NO\";"
    "AGGREGALLOWED=\"NO\";DECIMALS=1;SHOWDECIMALS=2;STUB=\"r\";HEADING=\"k\";"
    "VALUES(\"r\")=\"a\",\"b\";VALUES(\"k\")=\"x\";PRECISION(\"r\",\"b\")=2;SOURCE=\"Byran\";"
    "DATABASE=\"Db\";NOTE=\"Rad ett#Rad tva\";NOTEX=\"X\";DATA=1 2;";

// A product-by-region table whose content variable is "product": the table's units and a
// contact with a non-breaking space, and per product units, stock/flow, DAYADJ=NO, SEASADJ=YES
// and a contact on two lines, AUTOOPEN and COPYRIGHT NO; its metadata as the program writes it.
constexpr const char* kContents =
    "CHARSET=\"ANSI\";\r\nSUBJECT-AREA=\"Prices\";\r\nSUBJECT-CODE=\"PR\";\r\nMATRIX=\"PR01\";\r\n"
    "TITLE=\"Sales by region and product. \";\r\nCONTENTS=\"Sales\";\r\nDECIMALS=0;\r\n"
    "STUB=\"region\";\r\nHEADING=\"product\";\r\nUNITS=\"tonnes\";\r\nCONTACT=\"Bo\xA0"
    "Ek\";\r\nVALUES(\"region\")=\"North\",\"South\";\r\nVALUES(\"product\")=\"Milk\",\"Bread\";"
    "CONTVARIABLE=\"product\";\r\nUNITS(\"Milk\")=\"litres\";\r\nDAYADJ(\"Milk\")=NO;\r\n"
    "STOCKFA(\"Milk\")=\"F\";\r\nSEASADJ(\"Milk\")=YES;\r\nCONTACT(\"Milk\")=\"Bo Ek #\"\r\n"
    "\"tel 1 \";\r\nAUTOOPEN=\"NO\";\r\nCOPYRIGHT=NO;\r\nDATA=\r\n1 2\r\n3 4;\r\n";

// Every statement the writer makes of a table before DATA, at a fixed creation date.
std::string statements(VexaMess& d) {
  return make_vqstring(d, {.creationDate = "20240101 10:00"});
}

// A set's nine fields as one text, for comparing sets.
std::string fields(const ContentData& c) {
  return c.Units + "|" + c.StockFA + "|" + c.CFPrices + "|" + c.DayAdj + "|" + c.SeasAdj + "|" +
         c.Contact + "|" + c.Refperiod + "|" + c.LastUpdated + "|" + c.Baseperiod;
}

// The Contents page of a table, with default data.
struct ContentsPage : PageFrame {
  explicit ContentsPage(const char* file = kContents) {
    ctx.defaultData.Contact = "Statistics office";
    ctx.defaultData.Units = {"tonnes", "number"};
    ctx.defaultData.NewDefaultData.notify();
    editor = openText(file);
    show(frmCreateVq::Contents);
  }
  ContentData& milk() { return *doc().Get_Dimension("product")->ValueCode.Item(1)->ContentData; }
};

// Every field of "Bas&ic structure" and "Foot&notes", for checking that an undo gives back
// all of them.
std::string tableFields(const VexaMess& d) {
  return d.Matrix + "|" + d.SubjectArea + "|" + d.SubjectCode + "|" + d.Contents + "|" +
         d.Language + "|" + std::to_string(d.Decimaler) + "|" + d.ShowDecimals + "|" +
         d.Description + "|" + d.DescriptionDefault + "|" + d.Infofile + "|" + d.AutoOpen + "|" +
         d.AggregAllowed + "|" + d.Source + "|" + d.Database + "|" + d.Note + "|" + d.Notex + "|" +
         d.Copyright;
}

}  // namespace

TEST(MetadataPages, EachControlWritesItsFieldInOneStepAndUndoPutsBothBack) {
  // Each step on its page, with the place of what it writes in tableFields and what it writes.
  const int basic = frmCreateVq::BasicStructure, notes = frmCreateVq::Footnotes;
  const std::tuple<int, const char*, int, const char*> rows[] = {
      {basic, "txtMatrix=M2", 0, "M2"},
      {basic, "txtContents=Antal", 3, "Antal"},
      {basic, "cmbDecimals=4", 5, "4"},
      {basic, "cmbShowDecimals=5", 6, "5"},
      {basic, "cmbShowDecimals=", 6, ""},
      {basic, "txtDescription=Other", 7, "Other"},
      {basic, "chkDescription", 7, "|"},  // clearing the description empties its default flag
      {basic, "chkDescriptionDefault", 8, ""},
      {basic, "txtInfofile=i2", 9, "i2"},
      {basic, "chkInfofile", 9, ""},
      {basic, "chkAutoOpen", 10, "YES"},
      {basic, "chkAgreggAllowed", 11, ""},
      {notes, "txtSource=Byran och ny", 12, "Byran och ny"},
      {notes, "txtDataBase=Db2", 13, "Db2"},
      {notes, "txtNote=Rad ett\nRad tva\ntre", 14, "Rad ett\r\nRad tva\r\ntre"},
      {notes, "txtNotex=X\ntre", 15, "X\r\ntre"},
      {notes, "chkCopyRight", 16, "YES"},  // a table without COPYRIGHT gets one from a click only
  };
  const std::string table =
      "M1|Area|AR|Stuff|sv|1|2|Desc|YES|info|NO|NO|Byran|Db|Rad ett\r\nRad tva|X|";
  for (const auto& [page, step, index, after] : rows) {
    SCOPED_TRACE(step);
    PageFrame p(kBasic, page);
    const std::string control = QString(step).section('=', 0, 0).toStdString();
    const std::string shown = p.state({control.c_str()});
    p.act(step);
    EXPECT_EQ(tableFields(p.doc()), replaced(table, index, after));
    EXPECT_EQ(p.history()->count(), 1);  // typing in one box is one step
    p.history()->undo();
    EXPECT_EQ(tableFields(p.doc()), table);
    EXPECT_EQ(p.state({control.c_str()}), shown);
  }
}

TEST(BasicStructurePage, DecimalsBelowThePrecisionOutOfRangeAndLongContentsAreKeptAsTheyAre) {
  PageFrame p(kBasic, frmCreateVq::Variables);
  p.show(frmCreateVq::BasicStructure);
  EXPECT_EQ(p.editor->focusWidget(), p.get("txtSubarea"));  // the page starts on it
  // DECIMALS shows as written, with PRECISION 2.
  EXPECT_EQ(p.state({"cmbDecimals", "chkDescriptionDefault", "chkAutoOpen"}), "2|on|off");
  p.pick("cmbDecimals", "0");
  EXPECT_EQ(p.doc().Decimaler * 10 + p.doc().SaveDecimals, 22);  // "b" has PRECISION 2
  EXPECT_TRUE(p.asked("Decimals must not be lower than precision"));
  EXPECT_EQ(p.history()->count(), 1);
  p.history()->undo();
  p.pick("cmbDecimals", "2");  // what the table is written with already: asks nothing
  EXPECT_EQ(p.prompt.asked.size(), 1u);

  // Numbers the lists do not hold are shown and saved as they are.
  std::string table = kBasic;
  table.replace(table.find("DECIMALS=1"), 10, "DECIMALS=20");
  table.replace(table.find("SHOWDECIMALS=2"), 14, "SHOWDECIMALS=-4");
  PageFrame q(table);
  EXPECT_EQ(q.state({"cmbDecimals", "cmbShowDecimals"}), "20|-4");
  const std::string saved = TempFolder::read(q.saveAs(q.editor, "out.vq"));
  EXPECT_NE(saved.find("DECIMALS=20;"), std::string::npos) << saved;
  EXPECT_NE(saved.find("SHOWDECIMALS=-4;"), std::string::npos);
  q.pick("cmbShowDecimals", "3");
  q.history()->undo();
  EXPECT_EQ(q.text("cmbShowDecimals"), "-4");
  q.pick("cmbShowDecimals", "-4");  // the table's own number, chosen again: no step
  EXPECT_EQ(q.history()->index(), 0);

  // CONTENTS past seventy characters is kept and shown as too long.
  table.replace(table.find("\"Stuff\""), 7, "\"" + std::string(80, 'x') + "\"");
  PageFrame r(table);
  auto* contents = r.get<QLineEdit>("txtContents");
  EXPECT_EQ(contents->text(), QString(80, 'x'));
  EXPECT_FALSE(contents->styleSheet().isEmpty());
  r.type("txtContents", QString(70, 'y'));
  EXPECT_TRUE(contents->styleSheet().isEmpty());
  QTest::keyClick(contents, Qt::Key_Z);
  EXPECT_EQ(r.doc().Contents, std::string(70, 'y') + "z");
  EXPECT_FALSE(contents->styleSheet().isEmpty());
}

TEST(BasicStructurePage, TheSubjectAreaButtonFollowsTheListAndThePickIsOneStep) {
  PageFrame p;
  const auto loadAreas = [&](const std::string& lines) {
    p.home.write("vexa/Amnomr.dat", lines);
    p.ctx.subjectAreas.reload(p.home.file("vexa"));
  };
  const auto pick = [](const char* button) {
    return [button](QDialog& dialog) {
      dialog.findChild<QListWidget*>("lstSubAreas")->setCurrentRow(0);
      press(dialog, button);
    };
  };
  p.ctx.subjectAreas.SubjectFromDB = true;
  const std::size_t listeners = p.ctx.subjectAreas.NewSubjectAreas.size();
  p.editor = p.openText(kBasic);
  p.show(frmCreateVq::BasicStructure);
  EXPECT_FALSE(p.get("cmdGetSubar")->isEnabled());
  loadAreas("Befolkning\tBE\r\nArbete\tAM\r\n");
  EXPECT_TRUE(p.get("cmdGetSubar")->isEnabled());

  p.answers = {pick("cmdCancel"), pick("cmdOk")};
  p.click("cmdGetSubar");
  EXPECT_EQ(p.history()->count(), 0);
  p.click("cmdGetSubar");
  EXPECT_EQ(p.doc().SubjectArea + "|" + p.doc().SubjectCode, "Befolkning|BE");
  EXPECT_EQ(p.history()->count(), 1);
  p.history()->undo();

  loadAreas("\r\nLate\tLA\r\n");  // a completed load of no areas
  EXPECT_FALSE(p.get("cmdGetSubar")->isEnabled());
  // A closed window no longer listens.
  EditorWindowFrame::close(p.editor);
  EXPECT_EQ(p.ctx.subjectAreas.NewSubjectAreas.size(), listeners);
  loadAreas("Boende\tBO\r\n");
}

TEST(ContentsPage, EveryControlWritesItsFieldInOneStepAndUndoShowsTheFieldAgain) {
  // Milk's set, the table's units and the content variable, with the place of what each step
  // writes there and what it writes.
  const auto all = [](ContentsPage& p) {
    return fields(p.milk()) + "|" + p.doc().ContData->Units + "|" + p.doc().ContVariable;
  };
  const std::tuple<const char*, int, const char*> rows[] = {
      {"cmbUnits=kg", 0, "kg"},
      {"cmbUnits=number", 0, "number"},  // a choice from the list
      {"txtStockFlow=a", 1, "A"},
      {"txtCFPrices=f", 2, "F"},
      {"chkDayAdj", 3, "YES"},
      {"chkSeasAdj", 4, ""},
      {"chkContact", 5, ""},
      {"txtContact=Al\nX", 5, "Al\r\nX"},
      // Checking shows the box; the empty field stays as it is until the user types.
      {"chkRefPeriod;txtRefPeriod=31 dec", 6, "31 dec"},
      {"chkLastUpdated;txtLastUpdated=20240101 10:00", 7, "20240101 10:00"},
      {"chkBasePeriod;txtBasePeriod=2000", 8, "2000"},
      {"cmbUnits2=kilo", 9, "kilo"},
      {"cmbContvar=[none]", 10, ""},
  };
  const std::initializer_list<const char*> controls = {
      "cmbContValue", "cmbUnits",      "cmbUnits2",  "txtStockFlow", "txtCFPrices",
      "chkDayAdj",    "chkSeasAdj",    "chkContact", "txtContact",   "chkRefPeriod",
      "txtRefPeriod", "txtBasePeriod", "cmbContvar"};
  for (const auto& [steps, index, after] : rows) {
    SCOPED_TRACE(steps);
    ContentsPage p;
    p.pick("cmbContValue", "Milk");
    // A stored "NO" shows clear; "YES" alone checks.
    const std::string before = all(p), shown = p.state(controls);
    ASSERT_EQ(shown, "Milk|litres|tonnes|F||off|on|on|Bo Ek \ntel 1 |off|-|-|product");
    const int count = p.history()->count();
    p.act(steps);
    EXPECT_EQ(all(p), replaced(before, index, after));
    EXPECT_EQ(p.history()->count(), count + 1);
    p.history()->undo();
    EXPECT_EQ(all(p), before);
    // After the undo the page shows the fields again, on the same set.
    if (std::string(steps) != "cmbContvar=[none]") {
      EXPECT_EQ(p.state(controls), shown);
    } else {
      EXPECT_EQ(p.text("cmbContvar"), "product");
      EXPECT_TRUE(p.shown("cmbContValue"));
    }
  }
}

TEST(ContentsPage, VisitingKeepsEveryStatementTheBoxesTakeOnlyAllowedTextAndNoneShowsTheTableSet) {
  ContentsPage p;
  p.pick("cmbContValue", "Milk");   // shows DAYADJ=NO as clear and keeps it
  p.pick("cmbContValue", "Bread");  // makes Bread's empty set, which is not written
  // New default data refills the unit lists and writes no table's units.
  p.ctx.defaultData.Units = {"pieces"};
  p.ctx.defaultData.NewDefaultData.notify();
  EXPECT_EQ(p.get<QComboBox>("cmbUnits2")->itemText(0), "pieces");
  // The structure changes while the page is away; coming back refills the variables.
  p.show(frmCreateVq::Data);
  p.show(frmCreateVq::Contents);
  EXPECT_FALSE(p.editor->isChanged());
  Loaded original(Loaded::Text{kContents});
  EXPECT_EQ(statements(p.doc()), statements(original.doc));

  // The boxes of a set follow their fields and take only allowed text.
  // Bread has no contact: checking the box takes the default data's text in one step.
  p.pick("cmbContValue", "Bread");
  p.click("chkContact");
  EXPECT_EQ(p.doc().GetContdataKey("Bread")->Contact, "Statistics office");

  // Clearing a period empties its field and hides its box.
  p.act("chkLastUpdated;txtLastUpdated=20240101;chkLastUpdated");
  EXPECT_EQ(p.doc().GetContdataKey("Bread")->LastUpdated, "");
  EXPECT_FALSE(p.shown("txtLastUpdated"));

  // The date hint shows only while its box has the focus.
  QFocusEvent in(QEvent::FocusIn), out(QEvent::FocusOut);
  QApplication::sendEvent(p.get("txtLastUpdated"), &in);
  EXPECT_TRUE(p.shown("lblLastUpdated"));
  QApplication::sendEvent(p.get("txtLastUpdated"), &out);
  EXPECT_FALSE(p.shown("lblLastUpdated"));

  ContentData& bread = *p.doc().GetContdataKey("Bread");
  // A letter is taken in capitals; another, a blank or a stock/flow letter as a price is not.
  for (const auto& [steps, shown] : {std::pair{"txtStockFlow=s", "S|S||"},
                                     {"txtStockFlow=x", "|||"},
                                     {"txtCFPrices=a", "|||"}}) {
    SCOPED_TRACE(steps);
    p.act(steps);
    EXPECT_EQ(bread.StockFA + "|" + p.state({"txtStockFlow", "txtCFPrices"}) + "|" + bread.CFPrices,
              shown);
  }
  // The table's contact holds a non-breaking space (byte A0 of Windows-1252) that stays one
  // when typed on.
  p.pick("cmbContValue", "[base]");
  p.append("txtContact", "x");
  EXPECT_EQ(p.doc().ContData->Contact,
            "Bo\xC2\xA0"
            "Ekx");
  p.pick("cmbContValue", "Bread");
  // A refused letter typed after an allowed one: undo gives back the field and the box
  // shows it.
  p.act("txtStockFlow=f");
  p.get<QLineEdit>("txtStockFlow")->end(false);
  QTest::keyClicks(p.get("txtStockFlow"), "q");
  EXPECT_EQ(bread.StockFA + "|" + p.text("txtStockFlow").toStdString(), "|");
  while (p.history()->canUndo()) {
    p.history()->undo();
    EXPECT_EQ(p.text("txtStockFlow").toStdString(), bread.StockFA);
  }

  // "[none]" shows the table's own set, and so does "[base]".
  const std::initializer_list<const char*> units = {"cmbContValue", "cmbUnits", "cmbUnits2"};
  p.pick("cmbContValue", "[base]");
  EXPECT_EQ(p.state(units), "[base]|tonnes|tonnes");
  p.pick("cmbContvar", "[none]");
  EXPECT_EQ(p.state({"cmbContValue", "frameContForVal", "cmbUnits"}), "-|+|tonnes");
  p.type("cmbUnits", "kg");  // the table's own set: both unit boxes show it
  EXPECT_EQ(p.text("cmbUnits2"), "kg");

  p.pick("cmbContvar", "region");
  EXPECT_EQ(p.doc().ContVariable, "region");
  p.pick("cmbContValue", "North");
  EXPECT_EQ(p.state(units), "North||kg");
  p.pick("cmbContValue", "[base]");
  EXPECT_EQ(p.state(units), "[base]|kg|kg");

  // Enter keeps a typed unit as the first item of the list.
  p.pick("cmbContValue", "North");
  p.type("cmbUnits", "metres\n");
  EXPECT_EQ(p.get<QComboBox>("cmbUnits")->itemText(0), "metres");
  EXPECT_EQ(p.get<QComboBox>("cmbUnits")->currentIndex(), 0);

  // A content variable naming no variable of the table is kept as it is.
  std::string dangling = kContents;
  dangling.replace(dangling.find("CONTVARIABLE=\"product\""), 22, "CONTVARIABLE=\"gone\"");
  ContentsPage q(dangling.c_str());
  EXPECT_EQ(q.get<QComboBox>("cmbContvar")->currentIndex(), -1);
  EXPECT_FALSE(q.editor->isChanged());
  EXPECT_EQ(q.doc().ContVariable, "gone");
}

TEST(FootnotesPage, CopyrightIsWhatTheFileSaysUntilTheUserClicks) {
  for (const std::string stated : {"", "NO", "YES"}) {
    SCOPED_TRACE(stated);
    PageFrame p((stated.empty() ? "" : "COPYRIGHT=" + stated + ";") + kBasic,
                frmCreateVq::Footnotes);
    // The note box shows line breaks as line breaks.
    EXPECT_EQ(p.doc().Copyright + p.state({"chkCopyRight", "txtNote"}),
              stated + (stated == "YES" ? "on" : "off") + "|Rad ett\nRad tva");
    p.click("chkCopyRight");
    EXPECT_EQ(p.doc().Copyright, stated == "YES" ? "NO" : "YES");
  }
}

TEST(FootnotesPage, CheckingSourceTakesTheDefaultSourceAndClearingABoxOnlyHidesIt) {
  PageFrame p(
      "STUB=\"r\";VALUES(\"r\")=\"a\";DATABASE=\"Db\";NOTE=\"Rad ett#Rad tva\";NOTEX=\"X\";"
      "DATA=1;",
      frmCreateVq::Footnotes);
  p.ctx.defaultData.Source = "Standardbyran";
  p.click("chkSource");
  EXPECT_EQ(p.state({"txtSource"}) + "|" + p.doc().Source, "Standardbyran|Standardbyran");
  EXPECT_EQ(p.history()->count(), 1);
  p.history()->undo();
  EXPECT_EQ(p.state({"chkSource", "txtSource"}) + "|" + p.doc().Source, "off|-|");
  // Without a default source the box opens empty and nothing is written.
  p.ctx.defaultData.Source.clear();
  p.click("chkSource");
  EXPECT_EQ(p.state({"chkSource", "txtSource"}), "on|");
  // Clearing a box hides it and keeps its text, which is still written.
  p.act("chkSource;chkDatabase;chkNote;chkNotex");
  EXPECT_EQ(p.state({"txtSource", "txtDataBase", "txtNote", "txtNotex"}), "-|-|-|-");
  EXPECT_FALSE(p.editor->isChanged());  // hiding is no change of the table
  EXPECT_EQ(unwrapped(p.saved().doc.Note), "Rad ett\r\nRad tva");
}

TEST(TypingInABox, TheUndoKeysReachTheHistoryAndTypingBackToTheStartIsNoChange) {
  PageFrame p;
  p.window->show();
  p.editor = p.open("oem_full.vq");
  ASSERT_TRUE(p.editor);
  // Shortcuts reach the active window only (the load's progress window took that role).
  QApplication::setActiveWindow(p.window.get());
  ASSERT_TRUE(QTest::qWaitForWindowActive(p.window.get()));
  p.show(frmCreateVq::BasicStructure);
  auto* matrix = p.get<QLineEdit>("txtMatrix");
  const std::string before = p.doc().Matrix;
  matrix->setFocus();
  matrix->end(false);

  QTest::keyClick(matrix, Qt::Key_X);
  QTest::keyClick(matrix, Qt::Key_Backspace);
  EXPECT_FALSE(p.editor->isChanged());  // back where it began: no step is kept

  QTest::keyClicks(matrix, "yz");
  QTest::keyClick(matrix, Qt::Key_Z, Qt::ControlModifier);  // the window's Undo
  EXPECT_EQ(p.doc().Matrix, before);
  QTest::keyClick(matrix, Qt::Key_Y, Qt::ControlModifier);  // and its Redo
  EXPECT_EQ(p.doc().Matrix, before + "yz");

  // In a box nothing was typed into, Ctrl+Z still undoes the table's last step.
  const std::string autoOpen = p.doc().AutoOpen;
  p.click("chkAutoOpen");
  p.get("txtLanguage")->setFocus();
  QTest::keyClick(p.get("txtLanguage"), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(p.doc().AutoOpen, autoOpen);
}

namespace {

std::string describe(const VexaMess& doc) {
  std::string out = "stub";
  for (const auto& v : doc.colStub) out += " " + v->name;
  out += " heading";
  for (const auto& v : doc.colHeading) out += " " + v->name;
  out += "\n";
  for (const auto& v : doc.Dimensions) {
    out += v->name + (v->UseCodes ? " codes" : "") + " elim=" + v->Elimination +
           " domain=" + v->Domain + ":";
    for (const auto& value : v->ValueCode) out += " " + value->code + "/" + value->value;
    out += "\n";
  }
  return out;
}

}  // namespace

// A table built from an empty window through the controls and dialogs alone: variables new
// by name and from the default data, values and codes typed into the value grid, the
// variables' properties, cells typed into the data grid, a one-valued variable added to the
// table with data, and a note (each metadata control's step is the tables' above). The saved
// file reads back, and undoing every step gives the empty table again.
TEST(FromScratch, ATableBuiltThroughTheControlsSavesAndReadsBackAndUndoesToNothing) {
  PageFrame s;
  s.ctx.defaultData.Dimensions.Add(variableWith({"married", "single"}, "status"), "status");
  s.answers = {[](QDialog& d) { press(d, "cmdStandard"); }};  // the new table's form
  s.window->show();
  s.window->file_new();
  s.editor = s.window->editors().last();
  ASSERT_TRUE(s.editor);
  // A note on two lines, with a non-breaking space that stays one, first on the table
  // without variables.
  s.show(frmCreateVq::Footnotes);
  s.act("chkNote;txtNote=A note\nand\u00A0more");

  // "Add Stu&b" or "Add &Heading", answering the dialogs in turn, then the variable chosen.
  const auto add = [&](const char* button, std::initializer_list<Answer> dialogs,
                       const char* variable) {
    s.answers = dialogs;
    s.show(frmCreateVq::BasicStructure);
    s.click(button);
    EXPECT_TRUE(s.answers.empty());
    s.show(frmCreateVq::Variables);
    if (variable) s.choose(variable);
  };
  // A stub variable by name with codes, typed into the value grid's empty last row.
  add("cmdAddStub", {source(3, "region")}, "region");
  s.act("optCodeVal_1;0,0=01;0,1=North;1,0=02;1,1=South;chkDomain;txtDomain=county");
  // A heading variable by name that can be eliminated, and one from the default data.
  add("cmdAddHead", {source(3, "sex")}, "sex");
  s.act("0,0=men;1,0=women;chkElimination;cmbElimination=YES");
  add("cmdAddHead", {source(2), pickVariable("status")}, nullptr);

  // The cells, typed into the data grid.
  s.show(frmCreateVq::Data);
  VexaMess& doc = s.doc();
  QTableView* view = s.editor->SprData()->mainView();
  for (int r = 0; r < 2; ++r) {
    for (int c = 0; c < 4; ++c) {
      view->setCurrentIndex(view->model()->index(doc.DataRow1 + r - 1, doc.DataCol1 + c - 1));
      QTest::keyClick(view, char('1' + 4 * r + c));  // starts the cell's edit box
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }
  }
  // With data only a one-valued variable can be added; every cell stays.
  add("cmdAddDimension2", {oneValued("unit", "P", "persons")}, nullptr);

  const std::string saved = s.saveAs(s.editor, "scratch.vq");
  EXPECT_NE(TempFolder::read(saved).find("NOTE=\"A note #\"\r\n\"and\xA0more \";"),
            std::string::npos);
  const Loaded back(saved);
  ASSERT_EQ(back.result, LoadResult::Loaded);
  const VexaMess& b = back.doc;
  EXPECT_EQ(describe(b),
            "stub region heading unit sex status\n"
            "region codes elim= domain=county: 01/North 02/South\n"
            "unit codes elim= domain=: P/persons\n"
            "sex elim=YES domain=: /men /women\n"
            "status elim= domain=: /married /single\n");
  std::string cells;
  for (int r = 0; r < 2; ++r) {
    for (int c = 0; c < 4; ++c) cells += back.cell(r, c) + " ";
  }
  EXPECT_EQ(cells, "1 2 3 4 5 6 7 8 ");
  // The default data's own variable was copied, never shared.
  EXPECT_NE(doc.Get_Dimension("status"), s.ctx.defaultData.Dimensions.Item("status"));

  // Every step undone: the empty table again, which differs from the saved file.
  while (s.window->undoAction()->isEnabled()) s.window->undoAction()->trigger();
  EXPECT_EQ(describe(doc) + std::to_string(doc.GridHasData), "stub heading\n0");
  EXPECT_EQ(tableFields(doc) + "|" + fields(*doc.ContData), "|||||0||||||||||||||||||||");
}

// Opening a table and looking at every page changes nothing: closing asks no question, and
// saving writes back every metadata statement the file had (kContents has those the fixture
// files lack).
TEST(NoChangeOnLoad, VisitingEveryPageChangesNothingAndASaveWritesEveryStatementAsItWas) {
  PageFrame f;
  const std::string every = f.home.write("every.vq", kContents).string();
  for (const auto& [file, ansi] : {std::pair<std::string, bool>{"oem_full.vq", false},
                                   {"ansi_months.vq", true},
                                   {"keys_form.vq", false},
                                   {every, true}}) {
    SCOPED_TRACE(file);
    Loaded original(file);
    f.editor = f.open(file);
    ASSERT_TRUE(f.editor);
    for (int i = f.editor->tabs()->count() - 1; i >= 0; --i) f.show(i);
    EXPECT_FALSE(f.editor->isChanged());
    f.get<QCheckBox>("chkAnsi")->setChecked(ansi);
    const std::string first = f.saveAs(f.editor, "first.vq");
    EXPECT_EQ(TempFolder::read(first), TempFolder::read(f.saveAs(f.editor, "second.vq")));
    Loaded back(first);
    EXPECT_EQ(statements(back.doc), statements(original.doc));
    const auto questions = f.prompt.asked.size();
    EditorWindowFrame::close(f.editor);
    EXPECT_EQ(f.prompt.asked.size(), questions);
  }
}
