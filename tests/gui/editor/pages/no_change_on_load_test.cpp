// Opening a table and looking at every page of its editor window changes nothing: closing asks
// no question, and saving writes back every metadata statement the file had.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QTabWidget>
#include <string>

#include "core/format/reader.h"
#include "support/editor_window_frame.h"
#include "support/loaded_table.h"

using namespace zendra;
using namespace zendra::test;

namespace {

// Every table-level statement the writer knows, with the values a load must not disturb.
constexpr const char* kEveryStatement =
    "VEXA-VERSION=\"2000\";\r\n"
    "CHARSET=\"ANSI\";\r\n"
    "LANGUAGE=\"sv\";\r\n"
    "SUBJECT-AREA=\"Priser\";\r\n"
    "SUBJECT-CODE=\"PR\";\r\n"
    "MATRIX=\"PR0202\";\r\n"
    "CONTENTS=\"Index\";\r\n"
    "DESCRIPTION=\"Index per vara\";\r\n"
    "DESCRIPTIONDEFAULT=NO;\r\n"
    "AUTOOPEN=\"NO\";\r\n"
    "AGGREGALLOWED=\"NO\";\r\n"
    "DECIMALS=1;\r\n"
    "SHOWDECIMALS=0;\r\n"
    "STUB=\"vara\";\r\n"
    "HEADING=\"tid\";\r\n"
    "UNITS=\"index\";\r\n"
    "DAYADJ=NO;\r\n"
    "SEASADJ=NO;\r\n"
    "STOCKFA=\"F\";\r\n"
    "CFPRICES=\"F\";\r\n"
    "LAST-UPDATED=\"20240101 10:00\";\r\n"
    "REFPERIOD=\"ar\";\r\n"
    "BASEPERIOD=\"1980\";\r\n"
    "CONTACT=\"Bo#tel 2\";\r\n"
    "VALUES(\"vara\")=\"mjolk\",\"brod\";\r\n"
    "VALUES(\"tid\")=\"2023\",\"2024\";\r\n"
    "TIMEVAL(\"tid\")=TLIST(A1),\"2023\",\"2024\";\r\n"
    "INFOFILE=\"PR\";\r\n"
    "CONTVARIABLE=\"vara\";\r\n"
    "UNITS(\"mjolk\")=\"kr/l\";\r\n"
    "DAYADJ(\"mjolk\")=NO;\r\n"
    "CONTACT(\"mjolk\")=\"Al#tel 3\";\r\n"
    "UNITS(\"brod\")=\"kr/st\";\r\n"
    "SEASADJ(\"brod\")=YES;\r\n"
    "SOURCE=\"Prisbyran\";\r\n"
    "COPYRIGHT=NO;\r\n"
    "DATABASE=\"Pris\";\r\n"
    "NOTEX=\"Forsta#andra\";\r\n"
    "NOTE=\"Not#rad tva\";\r\n"
    "DATA=\r\n"
    "1.0 2.0\r\n"
    "3.0 4.0;\r\n";

std::string content(const char* name, const std::shared_ptr<ContentData>& c) {
  if (!c) return "";
  return std::string(name) + " content: " + c->Units + "|" + c->CFPrices + "|" + c->StockFA + "|" +
         unwrapped(c->Contact) + "|" + c->Baseperiod + "|" + c->Refperiod + "|" + c->SeasAdj + "|" +
         c->DayAdj + "|" + c->LastUpdated + "\n";
}

// Every metadata field a file gives a document, one per line, so that two documents compare
// at once and a difference shows by name. The creation date and the title are made anew by
// every save and are left out; wrapped texts are compared as they were before wrapping.
std::string metadata(VexaMess& d) {
  std::string out;
  auto field = [&](const char* name, const std::string& value) {
    out += std::string(name) + "=" + value + "\n";
  };
  field("Source", unwrapped(d.Source));
  field("Copyright", d.Copyright);
  field("Database", d.Database);
  field("Description", unwrapped(d.Description));
  field("Matrix", d.Matrix);
  field("SubjectArea", d.SubjectArea);
  field("SubjectCode", d.SubjectCode);
  field("Language", d.Language);
  field("AggregAllowed", d.AggregAllowed);
  field("AutoOpen", d.AutoOpen);
  field("DescriptionDefault", d.DescriptionDefault);
  field("ShowDecimals", d.ShowDecimals);
  field("Contents", d.Contents);
  field("Infofile", d.Infofile);
  field("Notex", unwrapped(d.Notex));
  field("Note", unwrapped(d.Note));
  field("ContVariable", d.ContVariable);
  // A save raises DECIMALS to the highest precision of a value, as the editor does.
  d.setSaveDecimals();
  field("Decimals", std::to_string(d.SaveDecimals));
  field("FileWithKeys", std::to_string(d.FileWithKeys));
  out += content("table", d.ContData);
  for (const auto& v : d.Dimensions) {
    out += "variable " + v->name + (d.colStub.Item(v->name) ? " stub" : " heading") + ": " +
           v->Domain + "|" + v->Elimination + "|" + unwrapped(v->Note) + "|" + unwrapped(v->Notex) +
           "|" + std::to_string(v->UseCodes) + "|" + v->Prestext + "|" +
           std::to_string(v->UseTimeVal) + "|" + std::to_string(v->IsPartitioned) + "|" +
           v->PartName1 + "|" + v->PartName2 + "|" + std::to_string(v->PartNumber) + "|" + v->Map +
           "|" + std::to_string(v->Keytype) + "|" + v->DoubleColumn + "\n";
    for (const auto& value : v->ValueCode) {
      out += "  value " + value->value + ": " + value->code + "|" + value->TimeVal + "|" +
             value->TimeCode + "|" + value->Precision + "|" + unwrapped(value->Note) + "|" +
             unwrapped(value->Notex) + "\n";
      out += content("  value", value->ContentData);
    }
  }
  for (const auto& note : d.Cellnotes) {
    out += "cellnote " + note->Vstr() + ": " + unwrapped(note->Note) + "|" +
           unwrapped(note->Notex) + "\n";
  }
  return out;
}

void visitEveryPage(frmCreateVq* editor) {
  for (int i = 0; i < editor->tabs()->count(); ++i) editor->tabs()->setCurrentIndex(i);
  editor->tabs()->setCurrentIndex(0);
}

}  // namespace

TEST(NoChangeOnLoad, VisitingEveryPageChangesNothingAndASaveWritesEveryStatementAsItWas) {
  EditorWindowFrame f;
  const std::string every = f.home.write("every.vq", kEveryStatement).string();
  struct Case {
    std::string file;
    bool ansi;
  };
  for (const Case& c : {Case{"oem_full.vq", false}, Case{"ansi_months.vq", true},
                        Case{"keys_form.vq", false}, Case{every, true}}) {
    SCOPED_TRACE(c.file);
    Loaded original(c.file);
    ASSERT_EQ(original.result, LoadResult::Loaded);

    frmCreateVq* looked = f.open(c.file);
    ASSERT_TRUE(looked);
    visitEveryPage(looked);
    EXPECT_FALSE(looked->isChanged());
    const auto questions = f.prompt.asked.size();
    EditorWindowFrame::close(looked);
    EXPECT_EQ(f.prompt.asked.size(), questions);
    EXPECT_EQ(f.window->editors().size(), 0);

    frmCreateVq* saved = f.open(c.file);
    ASSERT_TRUE(saved);
    visitEveryPage(saved);
    saved->findChild<QCheckBox*>("chkAnsi")->setChecked(c.ansi);
    const std::string first = f.saveAs(saved, "first.vq");
    const std::string second = f.saveAs(saved, "second.vq");
    ASSERT_FALSE(first.empty() || second.empty());
    EXPECT_EQ(TempFolder::read(first), TempFolder::read(second));
    Loaded back(first);
    EXPECT_EQ(metadata(back.doc), metadata(original.doc));
    EditorWindowFrame::close(saved);
  }
}
