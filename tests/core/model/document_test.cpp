// The table document: placement of variables, renaming, removal, events and look-ups.
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

}  // namespace

TEST(VexaMessPlacement, StubBeforeHeadingAndTimeFirstInTheHeadingLastInTheStub) {
  DocWithEvents d;
  d.add({{"S1", 0}, {"H1", 1}, {"S2", 0}, {"H2", 7}});
  auto t = d.doc.addTimeDimension("T", 1, "2005", "2005 text");
  ASSERT_TRUE(t);
  d.doc.addTimeDimension("U", 0, "1", "1");
  EXPECT_EQ(names(d.doc.colStub), (Texts{"S1", "S2", "U"}));
  EXPECT_EQ(names(d.doc.colHeading), (Texts{"T", "H1", "H2"}));
  EXPECT_EQ(d.events, (Events{{1, 0}, {1, 1}, {1, 0}, {1, 7}, {4, 1}, {4, 0}}));
  expectPlacementInvariants(d.doc);
  ASSERT_EQ(t->ValueCode.Count(), 1);
  const auto& value = *t->ValueCode.Item(1);
  EXPECT_EQ(value.code + "|" + value.value, "2005|2005 text");
  EXPECT_EQ(value.Dimension.lock(), t);
  EXPECT_FALSE(t->UseTimeVal);  // left to the caller

  // An inserted variable is the very object, not a copy.
  auto standard = variableWith({"men"}, "sex");
  ASSERT_EQ(d.doc.insertDimension(standard, 1), standard);
  standard->addVal()->value = "women";
  EXPECT_EQ(d.doc.Get_Dimension("SEX")->ValueCode.Count(), 2);
  expectPlacementInvariants(d.doc);
}

TEST(VexaMessPlacement, DuplicateNamesAreRefusedWithoutChangeOrEvent) {
  DocWithEvents d;
  d.add({{"Region", 0}});
  EXPECT_EQ(d.doc.addDimension("REGION", 1), nullptr);
  EXPECT_EQ(d.doc.addTimeDimension("region", 1, "1", "1"), nullptr);
  EXPECT_EQ(d.doc.insertDimension(DimensionData::create("rEgIoN"), 0), nullptr);
  // The same object twice, even under another name, would break the invariants.
  EXPECT_EQ(d.doc.insertDimension(d.doc.Get_Dimension("Region"), 1), nullptr);
  EXPECT_EQ(d.doc.insertDimension(nullptr, 1), nullptr);
  EXPECT_EQ(d.events.size(), 1u);
  EXPECT_EQ(names(d.doc.Dimensions), Texts{"Region"});
  EXPECT_EQ(d.doc.colHeading.Count(), 0);
  // TestVarName compares as the keys do: "REGION" beside "Region" would be a duplicate key.
  EXPECT_FALSE(d.doc.TestVarName("Region"));
  EXPECT_FALSE(d.doc.TestVarName("rEGION"));
  EXPECT_FALSE(d.doc.TestVarName(" Region "));
  EXPECT_TRUE(d.doc.TestVarName("Regions"));
}

TEST(VexaMessRemove, RemovesFromBothCollectionsAndTheHolderKeepsTheVariable) {
  DocWithEvents d;
  d.add({{"S1", 0}, {"S2", 0}, {"H1", 1}});
  auto held = d.doc.Get_Dimension("S1");
  held->addVal()->value = "kept";

  EXPECT_TRUE(d.doc.RemoveDimension(0, 1));
  EXPECT_EQ(names(d.doc.Dimensions), (Texts{"S2", "H1"}));
  EXPECT_EQ(held->ValueCode.Item(1)->value, "kept");
  EXPECT_EQ(held->ValueCode.Item(1)->Dimension.lock(), held);
  // By name, only from the side named.
  EXPECT_FALSE(d.doc.RemoveDimension(0, "H1"));
  EXPECT_FALSE(d.doc.RemoveDimension(1, 5));
  EXPECT_TRUE(d.doc.RemoveDimension(1, "h1"));
  EXPECT_EQ(names(d.doc.Dimensions), (Texts{"S2"}));
  EXPECT_EQ(d.events, (Events{{1, 0}, {1, 0}, {1, 1}, {2, 0}, {2, 1}}));
  EXPECT_TRUE(d.doc.addDimension("S1", 1));  // the name is free again
  expectPlacementInvariants(d.doc);
}

TEST(VexaMessRename, RekeysEveryCollectionKeepsPositionsAndMovesTheContentVariable) {
  DocWithEvents d;
  d.add({{"S1", 0}, {"Content", 0}, {"H1", 1}});
  d.doc.ContVariable = "CONTENT";  // as a file may spell it

  EXPECT_TRUE(d.doc.RenameDimension(0, "content", "Measure"));
  EXPECT_EQ(names(d.doc.Dimensions), (Texts{"S1", "Measure", "H1"}));
  EXPECT_EQ(d.doc.Get_Dimension("Content"), nullptr);
  EXPECT_EQ(d.doc.colStub.Item("measure")->name, "Measure");
  EXPECT_EQ(d.doc.ContVariable, "Measure");
  EXPECT_EQ(d.events.back(), (std::pair{3, 0}));
  expectPlacementInvariants(d.doc);

  // A new letter case of the same name is allowed; another variable's content stays.
  EXPECT_TRUE(d.doc.RenameDimension(1, "H1", "h1"));
  EXPECT_EQ(d.doc.colHeading.Item(1)->name, "h1");
  EXPECT_EQ(d.doc.ContVariable, "Measure");

  // A name another variable holds is refused and nothing changes.
  const auto eventsBefore = d.events.size();
  EXPECT_FALSE(d.doc.RenameDimension(0, "S1", "H1"));
  EXPECT_FALSE(d.doc.RenameDimension(0, "missing", "x"));
  EXPECT_EQ(d.doc.Get_Dimension("S1")->name, "S1");
  EXPECT_EQ(d.events.size(), eventsBefore);
  expectPlacementInvariants(d.doc);
}

TEST(VexaMessDecimals, SaveDecimalsIsTheLargestOfDecimalsAndNumericPrecisions) {
  VexaMess doc;
  doc.Decimaler = 1;
  auto v = addVariable(doc, "v", 0, {"a", "b"});
  auto a = v->ValueCode.Item(1), b = v->ValueCode.Item(2);
  auto saveDecimals = [&doc] {
    doc.setSaveDecimals();
    return doc.SaveDecimals;
  };
  EXPECT_EQ(saveDecimals(), 1);
  a->Precision = "3";
  b->Precision = " 2 ";
  EXPECT_EQ(saveDecimals(), 3);
  // A number with a decimal point counts as its nearest whole number, halves to even.
  for (const auto& [text, expected] :
       {std::pair{"4.0", 4}, {" 2.5 ", 2}, {"3.5", 4}, {"+2.51", 3}, {"0.4e1", 4}}) {
    a->Precision = text;
    EXPECT_EQ(saveDecimals(), expected) << text;
  }
  // Texts that are not numbers, or out of range, count as no precision.
  for (const char* junk : {"abc", "3x", "2,0", "99999999999", "32767.5", "", "  "}) {
    a->Precision = junk;
    EXPECT_EQ(saveDecimals(), 2) << junk;
  }
  b->Precision.clear();
  EXPECT_EQ(saveDecimals(), 1);  // and SaveDecimals comes down again
}

TEST(VexaMessLookups, CodeIndexUsesCodesOrTextsAndReturnsMinusOne) {
  VexaMess doc;
  auto region = addVariable(doc, "region", 0, {"Stockholm", "Uppsala"}, {"01", "03"});
  addVariable(doc, "sex", 1, {"men"})->ValueCode.Item(1)->code = "1";

  EXPECT_EQ(doc.GetCodeIndexStub("03", 1), 1);
  EXPECT_EQ(doc.GetCodeIndexStub("Uppsala", 1), -1);
  region->UseCodes = false;
  EXPECT_EQ(doc.GetCodeIndexStub("Uppsala", 1), 1);
  EXPECT_EQ(doc.GetCodeIndexStub("03", 1), -1);
  EXPECT_EQ(doc.GetCodeIndexStub("uppsala", 1), -1);  // exact
  EXPECT_EQ(doc.GetCodeIndexHead("men", 1), 0);
  EXPECT_EQ(doc.GetCodeIndexHead("1", 1), -1);
  EXPECT_EQ(doc.GetCodeIndexHead("men", 2), -1);  // no such variable
  EXPECT_EQ(doc.GetCodeIndexStub("Uppsala", 0), -1);
  EXPECT_EQ(doc.Get_Dimension("nothing"), nullptr);
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
  EXPECT_EQ(valueCountProduct(VexaMess().colStub), 1);
  EXPECT_EQ(saturatingMultiply(7, 0), 0);
}
