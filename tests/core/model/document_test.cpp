// The table document: placement of variables, renaming, removal, events and look-ups;
// cell notes (matching by text versus by identity) and content metadata.
#include <gtest/gtest.h>

#include <utility>

#include "support/tables.h"

using namespace zendra;
using namespace zendra::test;

namespace {

using Events = std::vector<std::pair<int, int>>;

// Every variable of Dimensions is in exactly one side under the same object, and
// Dimensions is the stub in order followed by the heading in order.
void expectPlacementInvariants(const VexaMess& doc) {
  Texts expected = names(doc.colStub);
  for (const auto& n : names(doc.colHeading)) expected.push_back(n);
  EXPECT_EQ(names(doc.Dimensions), expected);
  for (const auto& v : doc.Dimensions) {
    EXPECT_NE(doc.colStub.IndexOf(v.get()) != 0, doc.colHeading.IndexOf(v.get()) != 0) << v->name;
    EXPECT_EQ(doc.Get_Dimension(v->name), v);
  }
}

struct DocWithEvents {
  VexaMess doc;
  Events events;
  DocWithEvents() {
    doc.DimensionChanged.connect(
        [this](std::int16_t type, std::int16_t dimtype) { events.emplace_back(type, dimtype); });
  }
  void add(std::initializer_list<std::pair<const char*, int>> variables) {
    for (auto [name, side] : variables) ASSERT_TRUE(doc.addDimension(name, side));
  }
};

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
  // The notes' texts in order.
  Texts notes() const {
    Texts out;
    for (const auto& n : doc.Cellnotes) out.push_back(n->Note);
    return out;
  }
};

}  // namespace

TEST(VexaMessPlacement, StubBeforeHeadingTimeFirstInTheHeadingAndDuplicatesRefused) {
  DocWithEvents d;
  d.add({{"S1", 0}, {"H1", 1}, {"S2", 0}, {"H2", 7}});
  auto t = d.doc.addTimeDimension("T", 1, "2005", "2005 text");
  ASSERT_TRUE(t);
  d.doc.addTimeDimension("U", 0, "1", "1");
  EXPECT_EQ(names(d.doc.colStub), (Texts{"S1", "S2", "U"}));
  EXPECT_EQ(names(d.doc.colHeading), (Texts{"T", "H1", "H2"}));
  EXPECT_EQ(d.events, (Events{{1, 0}, {1, 1}, {1, 0}, {1, 7}, {4, 1}, {4, 0}}));
  EXPECT_EQ(t->ValueCode.Item(1)->code + "|" + t->ValueCode.Item(1)->value, "2005|2005 text");
  // An inserted variable is the very object, not a copy.
  auto standard = variableWith({"men"}, "sex");
  ASSERT_EQ(d.doc.insertDimension(standard, 1), standard);

  // Names in use in any letter case, and the same object twice, even under another name,
  // are refused without a change or an event.
  d.events.clear();
  EXPECT_EQ(d.doc.addDimension("s1", 1), nullptr);
  EXPECT_EQ(d.doc.addTimeDimension("S1", 1, "1", "1"), nullptr);
  EXPECT_EQ(d.doc.insertDimension(DimensionData::create("sEx"), 0), nullptr);
  EXPECT_EQ(d.doc.insertDimension(d.doc.Get_Dimension("S1"), 1), nullptr);
  EXPECT_EQ(d.doc.insertDimension(nullptr, 1), nullptr);
  EXPECT_TRUE(d.events.empty());
  expectPlacementInvariants(d.doc);
  // TestVarName compares as the keys do: "S1" beside "s1" would be a duplicate key.
  for (const auto& [name, free] : {std::pair{"h1", false}, {" S1 ", false}, {"S3", true}}) {
    EXPECT_EQ(d.doc.TestVarName(name), free) << name;
  }
}

TEST(VexaMessRemoveAndRename, BothCollectionsChangeTheHolderKeepsTheVariableContentFollows) {
  DocWithEvents d;
  d.add({{"S1", 0}, {"Content", 0}, {"H1", 1}, {"H2", 1}});
  auto held = d.doc.Get_Dimension("S1");
  held->addVal()->value = "kept";
  EXPECT_TRUE(d.doc.RemoveDimension(0, 1));
  EXPECT_EQ(held->ValueCode.Item(1)->Dimension.lock(), held);
  // By name, only from the side named.
  EXPECT_FALSE(d.doc.RemoveDimension(0, "H1"));
  EXPECT_FALSE(d.doc.RemoveDimension(1, 5));
  EXPECT_TRUE(d.doc.RemoveDimension(1, "h2"));
  EXPECT_TRUE(d.doc.addDimension("S1", 1));  // the name is free again
  EXPECT_EQ(names(d.doc.Dimensions), (Texts{"Content", "H1", "S1"}));

  d.doc.ContVariable = "CONTENT";  // as a file may spell it
  EXPECT_TRUE(d.doc.RenameDimension(0, "content", "Measure"));
  EXPECT_EQ(d.doc.Get_Dimension("Content"), nullptr);
  EXPECT_EQ(d.doc.ContVariable, "Measure");
  // A new letter case of the same name is allowed; another variable's content stays.
  EXPECT_TRUE(d.doc.RenameDimension(1, "H1", "h1"));
  EXPECT_EQ(d.doc.ContVariable, "Measure");
  EXPECT_EQ(d.events,
            (Events{{1, 0}, {1, 0}, {1, 1}, {1, 1}, {2, 0}, {2, 1}, {1, 1}, {3, 0}, {3, 1}}));
  // A name another variable holds is refused and nothing changes.
  EXPECT_FALSE(d.doc.RenameDimension(0, "Measure", "S1"));
  EXPECT_FALSE(d.doc.RenameDimension(0, "missing", "x"));
  EXPECT_EQ(d.events.size(), 9u);
  expectPlacementInvariants(d.doc);
}

TEST(VexaMessDecimals, SaveDecimalsIsTheLargestOfDecimalsAndNumericPrecisions) {
  VexaMess doc;
  doc.Decimaler = 1;
  auto v = addVariable(doc, "v", 0, {"a", "b"});
  auto a = v->ValueCode.Item(1), b = v->ValueCode.Item(2);
  b->Precision = " 2 ";
  // A number with a decimal point counts as its nearest whole number, halves to even;
  // texts that are not numbers, or out of range, count as no precision.
  const struct {
    const char* text;
    int expected;
  } cases[] = {{"3", 3},   {" 2.5 ", 2},       {"3.5", 4},     {"0.4e1", 4}, {"3x", 2},
               {"2,0", 2}, {"99999999999", 2}, {"32767.5", 2}, {"  ", 2}};
  for (const auto& [text, expected] : cases) {
    a->Precision = text;
    doc.setSaveDecimals();
    EXPECT_EQ(doc.SaveDecimals, expected) << text;
  }
  b->Precision.clear();
  doc.setSaveDecimals();
  EXPECT_EQ(doc.SaveDecimals, 1);  // and SaveDecimals comes down again
}

TEST(VexaMessLookups, CodeIndexUsesCodesOrTextsAndReturnsMinusOne) {
  VexaMess doc;
  auto region = addVariable(doc, "region", 0, {"Stockholm", "Uppsala"}, {"01", "03"});
  addVariable(doc, "sex", 1, {"men"});
  EXPECT_EQ(doc.GetCodeIndexStub("03", 1), 1);
  region->UseCodes = false;
  // Exact texts; the position names the variable of its side.
  const struct {
    const char* text;
    int position, stub, head;
  } cases[] = {{"Uppsala", 1, 1, -1},
               {"03", 1, -1, -1},
               {"uppsala", 1, -1, -1},
               {"men", 2, -1, -1},
               {"men", 1, -1, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(doc.GetCodeIndexStub(c.text, c.position), c.stub) << c.text << c.position;
    EXPECT_EQ(doc.GetCodeIndexHead(c.text, c.position), c.head) << c.text << c.position;
  }
}

TEST(VexaMessCounts, CellCountsNeverOverflow) {
  VexaMess doc;
  for (int v = 0; v < 8; ++v) {
    auto variable = doc.addDimension("v" + std::to_string(v), v % 2);
    for (int i = 0; i < 1000; ++i) variable->addVal();
  }
  EXPECT_EQ(valueCountProduct(doc.colStub), 1'000'000'000'000);
  EXPECT_EQ(saturatingMultiply(valueCountProduct(doc.colStub), valueCountProduct(doc.colHeading)),
            kCountLimit);
  EXPECT_EQ(saturatingMultiply(7, 0), 0);
}

TEST(CellNote, VstrQuotesEveryEntryAndTheNoteHoldsTheValueObjects) {
  Table t;
  auto n = t.note({t.all(), t.y(2)});
  EXPECT_EQ(n->Vstr(), R"("*","2005")");
  n->ReplaceValue(1, t.r(2));
  EXPECT_EQ(n->Values().Item(1), t.r(2));  // the very value object, not a copy
  // The values outlive their variable.
  t.doc.RemoveDimension(0, "region");
  t.region.reset();
  EXPECT_EQ(n->Vstr(), R"("South","2005")");
}

TEST(CellNoteColl, AddFindRemoveAndInsertShareOneRuleOfSamenessAndKeepPositions) {
  Table t;
  auto& notes = t.doc.Cellnotes;
  auto first = notes.Add(t.note({t.r(1), t.y(2)}, "ordinary"));
  // Same texts: the reader's CELLNOTEX lands on the note its CELLNOTE made.
  EXPECT_EQ(notes.Add(t.note({t.r(1), t.y(2)})), first);
  // Other objects with equal texts name the same cell in a file: whatever Add merges,
  // FindesCellNote finds and removeNote removes (the new-note dialog refuses it).
  auto lookalike = t.note({ValueAndCode::create("North"), t.y(2)});
  EXPECT_EQ(notes.Add(lookalike), first);
  EXPECT_FALSE(notes.FindesCellNote(*t.note({t.r(1)})));  // another length never matches
  notes.removeNote(*lookalike);
  EXPECT_EQ(notes.Count(), 0);
  // The joined text decides, even when a value holds quotes and commas.
  auto quoted = t.note({ValueAndCode::create("a\",\"b")});
  EXPECT_EQ(notes.Add(quoted), quoted);
  auto split = t.note({ValueAndCode::create("a"), ValueAndCode::create("b")});
  EXPECT_EQ(notes.Add(split), quoted);
  notes.removeNote(*split);
  EXPECT_EQ(notes.Count(), 0);

  // All-"*" notes of one document share the "*" object, so they match too.
  notes.Add(t.note({t.all(), t.all()}, "everything"));
  EXPECT_EQ(notes.Add(t.note({t.all(), t.all()}))->Note, "everything");
  notes.Remove(1);

  // Insert puts a note back at its position.
  notes.Add(t.note({t.all(), t.y(2)}, "a"));
  auto b = notes.Add(t.note({t.r(1), t.y(2)}, "b"));
  notes.Add(t.note({t.r(2), t.y(1)}, "c"));
  notes.Remove(2);
  EXPECT_EQ(notes.IndexOf(b.get()), -1);
  notes.Insert(2, b);
  notes.Insert(5, b);  // past the end: refused
  notes.Insert(4, t.note({t.all(), t.all()}, "d"));
  EXPECT_EQ(t.notes(), (Texts{"a", "b", "c", "d"}));
  // Notes on a value go with it; a "*" stands for every value and stays.
  notes.RemoveByUID(t.y(2)->UID);
  EXPECT_EQ(t.notes(), (Texts{"c", "d"}));
  notes.RemoveByUID(t.all()->UID);
  EXPECT_EQ(t.notes(), (Texts{"c"}));
}

TEST(VexaMessContent, ContentMetadataIsMadeOnFirstUseAndKeyedByExactText) {
  Table t;
  EXPECT_EQ(*t.doc.ContData, ContentData());

  t.doc.ContVariable = "REGION";  // looked up by key
  EXPECT_EQ(t.r(1)->ContentData, nullptr);
  auto north = t.doc.GetContdataKey("North");
  ASSERT_NE(north, nullptr);
  EXPECT_EQ(t.doc.GetContdataKey("North"), north);
  EXPECT_EQ(t.r(2)->ContentData, nullptr);
  EXPECT_EQ(t.doc.GetContdataKey("north"), nullptr);
  t.doc.ContVariable = "missing";
  EXPECT_EQ(t.doc.GetContdataKey("North"), nullptr);
}
