// The variable and value steps: each done, undone and done again on real tables, with
// the variables, the cell notes, the grid and the saved file compared byte for byte.
#include <gtest/gtest.h>

#include "core/editor/history.h"
#include "core/editor/settled_step.h"
#include "core/editor/value_commands.h"
#include "core/editor/variable_commands.h"
#include "core/format/writer.h"
#include "core/grid/data_methods.h"
#include "support/step_checks.h"
#include "support/tables.h"

using namespace zendra;
using namespace zendra::test;

namespace {

// oem_full.vq: stub Region (Åre, Östersund, Malmö), heading kön (män, kvinnor) and år
// (2022, 2023), ELIMINATION("kön")="män", cell notes "*,kvinnor,2023" and
// "Malmö,män,*"; 3 x 4 cells from row 4, column 2.
// ansi_months.vq: stub månad (4 months), heading varugrupp (2), the content variable.
constexpr const char* kFull = "oem_full.vq";
constexpr const char* kMonths = "ansi_months.vq";
constexpr const char* kKeys = "keys_form.vq";  // keys region and ålder, kön across

// The addresses of the cell notes as the texts of their entries, "|" after each note.
std::string addresses(const VexaMess& doc) {
  std::string out;
  for (const auto& note : doc.Cellnotes) {
    for (const auto& v : note->Values()) out += (v ? v->value : "?") + ";";
    out += "|";
  }
  return out;
}

// Everything a step may change: the variables with their values (by identity), the
// content variable, the cell notes' addresses, the grid with every cell, the layout
// fields and the saved file.
std::string everything(Loaded& t) {
  const VexaMess& d = t.doc;
  std::string out =
      std::to_string(d.colStub.Count()) + " in the stub, content " + d.ContVariable + "\n";
  for (const auto& v : d.Dimensions) {
    out += v->name + " elim " + v->Elimination + ":";
    for (const auto& value : v->ValueCode) {
      out += " " + std::to_string(value->UID) + "=" + value->code + "/" + value->value;
    }
    out += "\n";
  }
  for (const auto& note : d.Cellnotes) {
    out += "note " + note->Note + ":";
    for (const auto& v : note->Values()) out += " " + std::to_string(v ? v->UID : 0);
    out += "\n";
  }
  return out + gridAndFile(t);
}

// A step done, undone and done again, with everything above compared.
template <typename Check>
void checkStep(Loaded& t, Command& step, Check check) {
  doUndoRedo(t, step, check, everything);
}

// The data area's cells as rows of "|"-separated texts.
std::string cells(const Loaded& t) {
  std::string out;
  for (std::int32_t r = 0; r < t.doc.NumRows; ++r) {
    for (std::int32_t c = 0; c < t.doc.NumCols; ++c) out += (c ? "|" : "") + t.cell(r, c);
    out += "\n";
  }
  return out;
}

}  // namespace

TEST(VariableNames, CheckedWithoutLetterCaseAndBlanksAndRefusedStepsChangeNothing) {
  Loaded t(kFull);
  const std::string before = everything(t);
  // An add of a new variable, and a rename of Region, to each name.
  for (const auto& [name, refusal] : {std::pair{" År ", kNameInUse}, {"   ", kNameMissing}}) {
    AddVariableCommand add(t.doc, t.grid, 0, name, false);
    RenameVariableCommand rename(t.doc, t.grid, "Region", name);
    EXPECT_EQ(add.refusal() + "|" + rename.refusal(), std::string(refusal) + "|" + refusal) << name;
    EXPECT_TRUE(add.changesNothing());
    add.redo();
    rename.redo();
  }
  EXPECT_EQ(everything(t), before);

  // A rename may change only the letter case; blanks around a name are not kept.
  RenameVariableCommand caseOnly(t.doc, t.grid, "Region", " REGION ");
  EXPECT_EQ(caseOnly.refusal(), "");
  checkStep(t, caseOnly, [&] { EXPECT_EQ(names(t.doc.colStub), Texts{"REGION"}); });
  EXPECT_TRUE(RenameVariableCommand(t.doc, t.grid, "region", "REGION").changesNothing());
}

TEST(RenameVariableCommand, ContentVariableFollowsCellsStayAndTheKeysHeaderShowsTheName) {
  Loaded t(kMonths);
  RenameVariableCommand rename(t.doc, t.grid, "varugrupp", "Varugrupper");
  checkStep(t, rename, [&] { EXPECT_EQ(t.doc.ContVariable + t.cell(3, 1), "Varugrupper203"); });
  Loaded k(kKeys);
  RenameVariableCommand keys(k.doc, k.grid, "region", "Län");
  checkStep(k, keys, [&] { EXPECT_EQ(k.grid.text(2, 1), "Län"); });
}

TEST(AddVariableCommand, NewVariableGetsAStarInEveryCellNoteAndACopyLeavesTheSourceAlone) {
  Loaded t(kFull);
  AddVariableCommand add(t.doc, t.grid, 0, "Län", false);
  checkStep(t, add, [&] {
    EXPECT_EQ(addresses(t.doc), "*;*;kvinnor;2023;|Malmö;*;män;*;|");
    // A variable without values cannot be laid out: nothing of the old cells is kept.
    EXPECT_FALSE(t.doc.GridCreated || t.doc.GridHasData);
  });
  add.undo();

  // A standard variable of the default data is placed as a copy: the source never changes.
  auto standard = variableWith({"0-19", "20-"}, "Ålder");
  AddVariableCommand copy(t.doc, t.grid, 1, *standard, false);
  checkStep(t, copy, [&] {
    EXPECT_EQ(names(t.doc.colHeading), (Texts{"kön", "år", "Ålder"}));
    EXPECT_EQ(t.grid.text(4, 2) + "|" + t.cell(0, 0), "0-19|");
  });
  t.doc.Get_Dimension("Ålder")->ValueCode.Item(1)->value = "0-17";
  EXPECT_EQ(texts(standard->ValueCode), (Texts{"0-19", "20-"}));
  // Taken a second time it is in use.
  EXPECT_EQ(AddVariableCommand(t.doc, t.grid, 0, *standard, false).refusal(), kNameInUse);
}

TEST(RemoveVariableCommand, DropsTheNoteEntryAndClearsTheContentVariable) {
  Loaded t(kFull);
  RemoveVariableCommand remove(t.doc, t.grid, 1, "KÖN", false);
  checkStep(t, remove, [&] { EXPECT_EQ(addresses(t.doc), "*;2023;|Malmö;*;|"); });
  EXPECT_EQ(RemoveVariableCommand(t.doc, t.grid, 0, "kön", false).refusal(), "No such variable");

  Loaded m(kMonths);
  RemoveVariableCommand content(m.doc, m.grid, 1, "varugrupp", false);
  checkStep(m, content, [&] { EXPECT_EQ(m.doc.ContVariable, ""); });
  // A table over the snapshot limit is changed without undo.
  SnapshotLimit limit(16);
  RemoveVariableCommand large(t.doc, t.grid, 1, "år", false);
  large.redo();
  EXPECT_FALSE(large.undoable());
}

TEST(ReorderVariablesCommand, PermutesTheNoteAddressesAndRefusesAnIncompleteOrder) {
  Loaded t(kFull);
  ReorderVariablesCommand reorder(t.doc, t.grid, 1, {"år", "KÖN"}, false);
  checkStep(t, reorder, [&] { EXPECT_EQ(addresses(t.doc), "*;2023;kvinnor;|Malmö;*;män;|"); });
  EXPECT_TRUE(ReorderVariablesCommand(t.doc, t.grid, 1, {"år", "kön"}, false).changesNothing());
  for (const auto& order :
       std::vector<std::vector<std::string>>{{"år"}, {"år", "år"}, {"år", "x"}}) {
    EXPECT_NE(ReorderVariablesCommand(t.doc, t.grid, 1, order, false).refusal(), "");
  }
}

TEST(ValueCommands, AddAndSetValueKeepCellsAndLabelsFollow) {
  Loaded t(kFull);
  const auto sex = t.doc.Get_Dimension("kön");
  AddValueCommand add(t.doc, t.grid, sex, "alla", "3", false);
  checkStep(t, add, [&] { EXPECT_EQ(cells(t).substr(0, 20), "1.00|2.50|..|4.00||\n"); });
  add.undo();
  // The elimination keeps its value through a rename.
  SetValueCommand rename(t.doc, t.grid, sex, 1, SetValueCommand::Field::Text, "Män", false);
  checkStep(t, rename, [&] {
    EXPECT_EQ(sex->Elimination + "|" + t.grid.text(2, 2) + "|" + t.cell(0, 0), "Män|Män|1.00");
  });
  SetValueCommand code(t.doc, t.grid, t.doc.Get_Dimension("Region"), 3,
                       SetValueCommand::Field::Code, "9999", false);
  checkStep(t, code, [&] { EXPECT_EQ(t.value("Region", 3)->code, "9999"); });
}

TEST(RemoveValuesCommand, RemovesRowsAndNotesAndUndoPutsThemBack) {
  Loaded t(kFull);
  RemoveValuesCommand rows(t.doc, t.grid, t.doc.Get_Dimension("Region"), {3, 1, 7, 3}, false);
  checkStep(t, rows, [&] {
    EXPECT_EQ(cells(t), "5.00|6.00|-|8.00\n");
    // The note on Malmö went with it; the one with "*" for Region stays.
    EXPECT_EQ(t.doc.Cellnotes.Count(), 1);
  });

  const auto sex = t.doc.Get_Dimension("kön");
  RemoveValuesCommand cols(t.doc, t.grid, sex, {1}, false);
  checkStep(t, cols, [&] {
    EXPECT_EQ(sex->Elimination, "YES");  // it named the removed value
    EXPECT_EQ(cells(t), "-|8.00\n");
  });

  // The last value gone, nothing is left to lay out.
  RemoveValuesCommand all(t.doc, t.grid, sex, {1, 2}, false);
  checkStep(t, all, [&] { EXPECT_FALSE(t.doc.GridCreated || t.doc.GridHasData); });
}

TEST(ReorderValuesCommand, RowsAndColumnsMoveWithTheirValues) {
  Loaded t(kFull);
  ReorderValuesCommand rows(t.doc, t.grid, t.doc.Get_Dimension("Region"), {3, 1, 2}, false);
  checkStep(t, rows, [&] { EXPECT_EQ(t.cell(0, 0), "9.50"); });
  const auto year = t.doc.Get_Dimension("år");
  ReorderValuesCommand cols(t.doc, t.grid, year, {2, 1}, false);
  checkStep(t, cols, [&] {
    EXPECT_EQ(cells(t), "10.00|9.50|12.00|11.00\n2.50|1.00|4.00|..\n6.00|5.00|8.00|-\n");
  });
  EXPECT_FALSE(ReorderValuesCommand(t.doc, t.grid, year, {1, 1}, false).valid());
  EXPECT_TRUE(ReorderValuesCommand(t.doc, t.grid, year, {1, 2}, false).changesNothing());

  // Without stub variables the description lies over the data columns and stays put.
  Loaded h(Loaded::Text{"DESCRIPTION=\"Desc\";\nHEADING=\"h\";\nVALUES(\"h\")=\"a\",\"b\";\n"});
  SettleGrid(h.doc, h.grid, false);
  ASSERT_TRUE(h.doc.GridCreated);
  ReorderValuesCommand moved(h.doc, h.grid, h.doc.Get_Dimension("h"), {2, 1}, false);
  checkStep(h, moved, [&] { EXPECT_EQ(h.grid.text(1, 1) + "|" + h.grid.text(2, 1), "Desc|b"); });
}

TEST(AddOneValuedVariableCommand, KeepsEveryCellOnBothSidesInBothFormsAndTheFileReadsBack) {
  for (const std::int32_t side : {0, 1}) {
    SCOPED_TRACE(side);
    Loaded t(kFull);
    const std::string before = cells(t);
    AddOneValuedVariableCommand add(t.doc, t.grid, side, " Enhet ", "P", "personer", false);
    ASSERT_TRUE(add.refusal().empty());
    checkStep(t, add, [&] {
      EXPECT_EQ(names(t.doc.Dimensions), (Texts{"Region", "Enhet", "kön", "år"}));
      // A label column or a label row more before the data area.
      EXPECT_EQ(t.doc.DataRow1 * 10 + t.doc.DataCol1, side == 0 ? 43 : 52);
      EXPECT_EQ(cells(t), before);
      EXPECT_EQ(addresses(t.doc), "*;*;kvinnor;2023;|Malmö;*;män;*;|");
    });
    // The saved file holds every cell under the new variable.
    Loaded back(Loaded::Text{writtenFile(t)});
    EXPECT_EQ(cells(back), before);

    // The keys form: a key column filled with the code (the variable uses codes), or a
    // heading row; undone exactly.
    Loaded keys(kKeys);
    AddOneValuedVariableCommand unit(keys.doc, keys.grid, side, "unit", "P", "persons", false);
    checkStep(keys, unit,
              [&] { EXPECT_EQ(keys.grid.text(keys.doc.DataRow1, 3) == "P", side == 0); });
  }
  // A name in use or a blank value is refused.
  Loaded t(kFull);
  EXPECT_EQ(AddOneValuedVariableCommand(t.doc, t.grid, 1, "KÖN", "1", "x", false).refusal(),
            kNameInUse);
  EXPECT_EQ(AddOneValuedVariableCommand(t.doc, t.grid, 1, "unit", "1", "  ", false).refusal(),
            kValueMissing);
}
