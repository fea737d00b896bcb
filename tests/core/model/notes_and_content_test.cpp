// Cell notes (matching by text versus by identity) and content metadata.
#include <gtest/gtest.h>

#include "support/tables.h"

using namespace zendra;
using namespace zendra::test;

namespace {

// A region-by-year table with two values each.
struct Table {
  VexaMess doc;
  DimensionRef region = addVariable(doc, "region", 0, {"North", "South"});
  DimensionRef year = addVariable(doc, "year", 1, {"2004", "2005"});

  static CellNoteRef note(std::initializer_list<ValueRef> values, const char* text = "") {
    auto n = std::make_shared<CellNote>();
    for (const auto& v : values) n->Values().Add(v);
    n->Note = text;
    return n;
  }
  ValueRef r(int i) const { return region->ValueCode.Item(i); }
  ValueRef y(int i) const { return year->ValueCode.Item(i); }
  ValueRef all() const { return doc.AllVals; }
};

}  // namespace

TEST(CellNote, VstrQuotesEveryEntryAndTheNoteHoldsTheValueObjects) {
  Table t;
  auto n = t.note({t.all(), t.y(2)});
  EXPECT_EQ(n->Vstr(), R"("*","2005")");
  n->ReplaceValue(1, t.r(2));
  EXPECT_EQ(n->Values().Item(1), t.r(2));  // the very value object, not a copy
  EXPECT_EQ(CellNote().Vstr(), "");
  // The values outlive their variable.
  t.doc.RemoveDimension(0, "region");
  t.region.reset();
  EXPECT_EQ(n->Vstr(), R"("South","2005")");
}

TEST(CellNoteColl, AddFindAndRemoveShareOneRuleOfSamenessTheFilesOwn) {
  Table t;
  auto& notes = t.doc.Cellnotes;
  auto first = notes.Add(t.note({t.r(1), t.y(2)}, "ordinary"));
  // Same texts: the reader's CELLNOTEX lands on the note its CELLNOTE made.
  EXPECT_EQ(notes.Add(t.note({t.r(1), t.y(2)})), first);
  // Other objects with equal texts name the same cell in a file: whatever Add merges,
  // FindesCellNote finds and removeNote removes (the new-note dialog refuses it).
  auto lookalike = t.note({ValueAndCode::create("North"), t.y(2)});
  EXPECT_EQ(notes.Add(lookalike), first);
  EXPECT_TRUE(notes.FindesCellNote(*lookalike));
  EXPECT_FALSE(notes.FindesCellNote(*t.note({t.r(2), t.y(2)})));
  EXPECT_FALSE(notes.FindesCellNote(*t.note({t.r(1)})));  // another length never matches
  notes.removeNote(*lookalike);
  EXPECT_EQ(notes.Count(), 0);
  // The joined text decides, even when a value holds quotes and commas.
  auto quoted = t.note({ValueAndCode::create("a\",\"b")});
  EXPECT_EQ(notes.Add(quoted), quoted);
  auto split = t.note({ValueAndCode::create("a"), ValueAndCode::create("b")});
  EXPECT_EQ(notes.Add(split), quoted);
  EXPECT_TRUE(notes.FindesCellNote(*split));
  notes.removeNote(*split);
  EXPECT_EQ(notes.Count(), 0);

  // All-"*" notes of one document share the "*" object, so they match too.
  notes.Add(t.note({t.all(), t.all()}, "everything"));
  EXPECT_TRUE(notes.FindesCellNote(*t.note({t.all(), t.all()})));
  EXPECT_EQ(notes.Add(t.note({t.all(), t.all()}))->Note, "everything");
}

TEST(CellNoteColl, InsertPutsANoteBackAtItsPosition) {
  Table t;
  auto& notes = t.doc.Cellnotes;
  auto a = notes.Add(t.note({t.r(1), t.y(1)}, "a"));
  auto b = notes.Add(t.note({t.r(1), t.y(2)}, "b"));
  auto c = notes.Add(t.note({t.r(2), t.y(1)}, "c"));
  EXPECT_EQ(notes.IndexOf(b.get()), 2);
  notes.Remove(2);
  EXPECT_EQ(notes.IndexOf(b.get()), -1);
  notes.Insert(2, b);
  EXPECT_EQ(notes.NewEnum(), (CellNoteColl::Items{a, b, c}));
  notes.Insert(5, b);  // past the end: refused
  notes.Insert(4, t.note({t.r(2), t.y(2)}, "d"));
  EXPECT_EQ(notes.Count(), 4);
  EXPECT_EQ(notes.Item(4)->Note, "d");
}

TEST(CellNoteColl, RemoveByUidDropsNotesOnTheValueAndKeepsStarNotes) {
  Table t;
  auto& notes = t.doc.Cellnotes;
  notes.Add(t.note({t.all(), t.y(2)}, "on 2005"));
  notes.Add(t.note({t.all(), t.all()}, "all"));
  notes.Add(t.note({t.r(1), t.y(2)}, "North 2005"));
  notes.Add(t.note({t.r(2), t.y(1)}, "South 2004"));
  auto remaining = [&notes] {
    Texts out;
    for (std::int32_t i = 1; notes.Item(i); ++i) out.push_back(notes.Item(i)->Note);
    return out;
  };
  notes.RemoveByUID(t.y(2)->UID);
  EXPECT_EQ(remaining(), (Texts{"all", "South 2004"}));
  notes.RemoveByUID(t.all()->UID);
  EXPECT_EQ(remaining(), (Texts{"South 2004"}));
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
  EXPECT_EQ(t.doc.GetContdataKey("North"), north);
  EXPECT_EQ(t.r(2)->ContentData, nullptr);
  for (const char* none : {"north", "West"}) EXPECT_EQ(t.doc.GetContdataKey(none), nullptr);
  t.doc.ContVariable = "missing";
  EXPECT_EQ(t.doc.GetContdataKey("North"), nullptr);
}
