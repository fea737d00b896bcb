// Cell notes (matching by text versus by identity) and content metadata.
#include <gtest/gtest.h>

#include <memory>

#include "model/vexa_mess.h"

using namespace zendra;

namespace {

// A region-by-year table with two values each.
struct Table {
  VexaMess doc;
  DimensionRef region = doc.addDimension("region", 0);
  DimensionRef year = doc.addDimension("year", 1);
  Table() {
    region->addVal()->value = "North";
    region->addVal()->value = "South";
    year->addVal()->value = "2004";
    year->addVal()->value = "2005";
  }
  CellNoteRef note(ValueRef r, ValueRef y, const char* text = "") {
    auto n = std::make_shared<CellNote>();
    n->Values().Add(r);
    n->Values().Add(y);
    n->Note = text;
    return n;
  }
  ValueRef r(int i) const { return region->ValueCode.Item(i); }
  ValueRef y(int i) const { return year->ValueCode.Item(i); }
};

}  // namespace

TEST(CellNote, VstrQuotesEveryEntryAndReplaceValueChangesOnePosition) {
  Table t;
  auto n = t.note(t.doc.AllVals, t.y(2));
  EXPECT_EQ(n->Vstr(), R"("*","2005")");
  n->ReplaceValue(1, t.r(1));
  EXPECT_EQ(n->Vstr(), R"("North","2005")");
  EXPECT_EQ(n->Values().Item(1), t.r(1));  // the very value object, not a copy
  EXPECT_EQ(CellNote().Vstr(), "");
}

TEST(CellNoteColl, AddMergesByTextWhileFindAndRemoveMatchByIdentity) {
  Table t;
  auto first = t.doc.Cellnotes.Add(t.note(t.r(1), t.y(2), "ordinary"));
  // Same texts: the reader's CELLNOTEX lands on the note its CELLNOTE made.
  auto again = t.doc.Cellnotes.Add(t.note(t.r(1), t.y(2)));
  EXPECT_EQ(again, first);
  EXPECT_EQ(t.doc.Cellnotes.Count(), 1);

  // Other objects with equal texts: the same cell by text, not by identity.
  auto lookalikeNorth = ValueAndCode::create("North");
  auto lookalike = t.note(lookalikeNorth, t.y(2));
  EXPECT_EQ(t.doc.Cellnotes.Add(lookalike), first);
  EXPECT_FALSE(t.doc.Cellnotes.FindesCellNote(*lookalike));
  t.doc.Cellnotes.removeNote(*lookalike);
  EXPECT_EQ(t.doc.Cellnotes.Count(), 1);

  EXPECT_TRUE(t.doc.Cellnotes.FindesCellNote(*t.note(t.r(1), t.y(2))));
  EXPECT_FALSE(t.doc.Cellnotes.FindesCellNote(*t.note(t.r(2), t.y(2))));
  // An address of another length never matches.
  CellNote shorter;
  shorter.Values().Add(t.r(1));
  EXPECT_FALSE(t.doc.Cellnotes.FindesCellNote(shorter));

  t.doc.Cellnotes.removeNote(*t.note(t.r(1), t.y(2)));
  EXPECT_EQ(t.doc.Cellnotes.Count(), 0);
}

TEST(CellNoteColl, AllStarNotesOfOneDocumentMatchByIdentityToo) {
  Table t;
  t.doc.Cellnotes.Add(t.note(t.doc.AllVals, t.doc.AllVals, "everything"));
  auto other = t.note(t.doc.AllVals, t.doc.AllVals);
  EXPECT_TRUE(t.doc.Cellnotes.FindesCellNote(*other));
  EXPECT_EQ(t.doc.Cellnotes.Add(other)->Note, "everything");
}

TEST(CellNoteColl, RemoveByUidDropsNotesOnTheValueAndKeepsStarNotes) {
  Table t;
  t.doc.Cellnotes.Add(t.note(t.doc.AllVals, t.y(2), "on 2005"));
  t.doc.Cellnotes.Add(t.note(t.doc.AllVals, t.doc.AllVals, "all"));
  t.doc.Cellnotes.Add(t.note(t.r(1), t.y(2), "North 2005"));
  t.doc.Cellnotes.Add(t.note(t.r(2), t.y(1), "South 2004"));

  t.doc.Cellnotes.RemoveByUID(t.y(2)->UID);
  ASSERT_EQ(t.doc.Cellnotes.Count(), 2);
  EXPECT_EQ(t.doc.Cellnotes.Item(1)->Note, "all");
  EXPECT_EQ(t.doc.Cellnotes.Item(2)->Note, "South 2004");

  t.doc.Cellnotes.RemoveByUID(t.doc.AllVals->UID);
  ASSERT_EQ(t.doc.Cellnotes.Count(), 1);
  EXPECT_EQ(t.doc.Cellnotes.Item(1)->Note, "South 2004");
  EXPECT_EQ(t.doc.Cellnotes.Item(2), nullptr);
}

TEST(CellNote, KeepsItsValuesAliveAfterTheVariableIsRemoved) {
  Table t;
  auto n = t.doc.Cellnotes.Add(t.note(t.r(2), t.y(1)));
  t.doc.RemoveDimension(0, "region");
  t.region.reset();
  EXPECT_EQ(n->Vstr(), R"("South","2004")");
}

TEST(ContentData, MakecopyCopiesAllNineProperties) {
  ContentData filled;
  filled.Units = "u";
  filled.CFPrices = "c";
  filled.StockFA = "s";
  filled.Contact = "line1\r\nline2";
  filled.Baseperiod = "b";
  filled.Refperiod = "r";
  filled.SeasAdj = "YES";
  filled.DayAdj = "NO";
  filled.LastUpdated = "l";
  ContentData copy;
  EXPECT_EQ(copy, ContentData());
  copy.makecopy(filled);
  EXPECT_EQ(copy, filled);
}

TEST(VexaMessContent, ContentMetadataIsMadeOnFirstUseAndKeyedByExactText) {
  Table t;
  EXPECT_EQ(t.doc.GetContdataKey("North"), nullptr);  // no content variable yet
  ASSERT_NE(t.doc.ContData, nullptr);
  EXPECT_EQ(*t.doc.ContData, ContentData());

  t.doc.ContVariable = "REGION";  // looked up by key
  EXPECT_EQ(t.r(1)->ContentData, nullptr);
  auto north = t.doc.GetContdataKey("North");
  ASSERT_NE(north, nullptr);
  EXPECT_EQ(t.r(1)->ContentData, north);
  north->Units = "persons";
  EXPECT_EQ(t.doc.GetContdataKey("North")->Units, "persons");
  EXPECT_EQ(t.r(2)->ContentData, nullptr);
  EXPECT_EQ(t.doc.GetContdataKey("north"), nullptr);
  EXPECT_EQ(t.doc.GetContdataKey("West"), nullptr);

  t.doc.ContVariable = "missing";
  EXPECT_EQ(t.doc.GetContdataKey("North"), nullptr);
}

TEST(CellNoteColl, AddComparesTheJoinedTextsEvenWhenValuesHoldQuotes) {
  // ("a\",\"b") and ("a", "b") give the same Vstr text, so Add sees one cell.
  VexaMess doc;
  auto first = std::make_shared<CellNote>();
  first->Values().Add(ValueAndCode::create("a\",\"b"));
  auto second = std::make_shared<CellNote>();
  second->Values().Add(ValueAndCode::create("a"));
  second->Values().Add(ValueAndCode::create("b"));
  ASSERT_EQ(first->Vstr(), second->Vstr());
  EXPECT_EQ(doc.Cellnotes.Add(first), first);
  EXPECT_EQ(doc.Cellnotes.Add(second), first);
  auto third = std::make_shared<CellNote>();
  third->Values().Add(ValueAndCode::create("a"));
  third->Values().Add(ValueAndCode::create("c"));
  EXPECT_EQ(doc.Cellnotes.Add(third), third);
}
