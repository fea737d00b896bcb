// The table document: placement of variables, renaming, removal, events and look-ups.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "model/vexa_mess.h"

using namespace zendra;

namespace {

using Names = std::vector<std::string>;
using Events = std::vector<std::pair<int, int>>;

Names names(const DimensionDataColl& coll) {
  Names out;
  for (const auto& v : coll) out.push_back(v->name);
  return out;
}

// Every variable of Dimensions is in exactly one side under the same object, and
// Dimensions is the stub in order followed by the heading in order.
void expectPlacementInvariants(const VexaMess& doc) {
  Names expected = names(doc.colStub);
  for (const auto& n : names(doc.colHeading)) expected.push_back(n);
  EXPECT_EQ(names(doc.Dimensions), expected);
  for (const auto& v : doc.Dimensions) {
    const bool inStub = doc.colStub.IndexOf(v.get()) != 0;
    const bool inHead = doc.colHeading.IndexOf(v.get()) != 0;
    EXPECT_NE(inStub, inHead) << v->name;
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
};

}  // namespace

TEST(VexaMessPlacement, StubVariablesGoBeforeAllHeadingVariables) {
  DocWithEvents d;
  ASSERT_TRUE(d.doc.addDimension("S1", 0));
  ASSERT_TRUE(d.doc.addDimension("H1", 1));
  ASSERT_TRUE(d.doc.addDimension("S2", 0));
  ASSERT_TRUE(d.doc.addDimension("H2", 7));
  EXPECT_EQ(names(d.doc.Dimensions), (Names{"S1", "S2", "H1", "H2"}));
  EXPECT_EQ(names(d.doc.colStub), (Names{"S1", "S2"}));
  EXPECT_EQ(names(d.doc.colHeading), (Names{"H1", "H2"}));
  EXPECT_EQ(d.events, (Events{{1, 0}, {1, 1}, {1, 0}, {1, 7}}));
  expectPlacementInvariants(d.doc);
}

TEST(VexaMessPlacement, TimeVariableIsFirstInTheHeadingAndLastInTheStub) {
  DocWithEvents d;
  d.doc.addDimension("S1", 0);
  d.doc.addDimension("H1", 1);
  auto t = d.doc.addTimeDimension("T", 1, "2005", "2005 text");
  ASSERT_TRUE(t);
  EXPECT_EQ(names(d.doc.Dimensions), (Names{"S1", "T", "H1"}));
  EXPECT_EQ(names(d.doc.colHeading), (Names{"T", "H1"}));
  ASSERT_EQ(t->ValueCode.Count(), 1);
  EXPECT_EQ(t->ValueCode.Item(1)->code, "2005");
  EXPECT_EQ(t->ValueCode.Item(1)->value, "2005 text");
  EXPECT_EQ(t->ValueCode.Item(1)->Dimension.lock(), t);
  EXPECT_FALSE(t->UseTimeVal);  // left to the caller

  d.doc.addTimeDimension("U", 0, "1", "1");
  EXPECT_EQ(names(d.doc.colStub), (Names{"S1", "U"}));
  EXPECT_EQ(d.events.back(), (std::pair{4, 0}));
  expectPlacementInvariants(d.doc);
}

TEST(VexaMessPlacement, DuplicateNamesAreRefusedWithoutChangeOrEvent) {
  DocWithEvents d;
  d.doc.addDimension("Region", 0);
  EXPECT_EQ(d.doc.addDimension("REGION", 1), nullptr);
  EXPECT_EQ(d.doc.addTimeDimension("region", 1, "1", "1"), nullptr);
  EXPECT_EQ(d.doc.insertDimension(DimensionData::create("rEgIoN"), 0), nullptr);
  // The same object twice, even under another name, would break the invariants.
  auto existing = d.doc.Get_Dimension("Region");
  EXPECT_EQ(d.doc.insertDimension(existing, 1), nullptr);
  EXPECT_EQ(d.doc.insertDimension(nullptr, 1), nullptr);
  EXPECT_EQ(d.events.size(), 1u);
  EXPECT_EQ(d.doc.Dimensions.Count(), 1);
  EXPECT_EQ(d.doc.colHeading.Count(), 0);

  // TestVarName compares exactly, unlike the keys.
  EXPECT_FALSE(d.doc.TestVarName("Region"));
  EXPECT_TRUE(d.doc.TestVarName("region"));
}

TEST(VexaMessPlacement, InsertedVariableIsSharedNotCopied) {
  VexaMess doc;
  auto standard = DimensionData::create("sex");
  standard->addVal()->value = "men";
  ASSERT_EQ(doc.insertDimension(standard, 1), standard);
  standard->addVal()->value = "women";
  EXPECT_EQ(doc.Get_Dimension("SEX")->ValueCode.Count(), 2);
}

TEST(VexaMessRemove, RemovesFromBothCollectionsAndTheHolderKeepsTheVariable) {
  DocWithEvents d;
  d.doc.addDimension("S1", 0);
  d.doc.addDimension("S2", 0);
  d.doc.addDimension("H1", 1);
  auto held = d.doc.Get_Dimension("S1");
  held->addVal()->value = "kept";

  EXPECT_TRUE(d.doc.RemoveDimension(0, 1));
  EXPECT_EQ(names(d.doc.Dimensions), (Names{"S2", "H1"}));
  EXPECT_EQ(held->ValueCode.Item(1)->value, "kept");
  EXPECT_EQ(held->ValueCode.Item(1)->Dimension.lock(), held);

  // By name, only from the side named.
  EXPECT_FALSE(d.doc.RemoveDimension(0, "H1"));
  EXPECT_FALSE(d.doc.RemoveDimension(1, 5));
  EXPECT_TRUE(d.doc.RemoveDimension(1, "h1"));
  EXPECT_EQ(names(d.doc.Dimensions), (Names{"S2"}));
  EXPECT_EQ(d.events, (Events{{1, 0}, {1, 0}, {1, 1}, {2, 0}, {2, 1}}));
  expectPlacementInvariants(d.doc);

  // The name is free again.
  EXPECT_TRUE(d.doc.addDimension("S1", 1));
  expectPlacementInvariants(d.doc);
}

TEST(VexaMessRename, RekeysEveryCollectionAndKeepsPositions) {
  DocWithEvents d;
  d.doc.addDimension("S1", 0);
  d.doc.addDimension("Content", 0);
  d.doc.addDimension("H1", 1);
  d.doc.ContVariable = "Content";

  EXPECT_TRUE(d.doc.RenameDimension(0, "content", "Measure"));
  EXPECT_EQ(names(d.doc.Dimensions), (Names{"S1", "Measure", "H1"}));
  EXPECT_EQ(names(d.doc.colStub), (Names{"S1", "Measure"}));
  EXPECT_EQ(d.doc.Get_Dimension("Content"), nullptr);
  EXPECT_EQ(d.doc.colStub.Item("measure")->name, "Measure");
  EXPECT_EQ(d.doc.ContVariable, "Measure");
  EXPECT_EQ(d.events.back(), (std::pair{3, 0}));
  expectPlacementInvariants(d.doc);

  // A new letter case of the same name is allowed.
  EXPECT_TRUE(d.doc.RenameDimension(1, "H1", "h1"));
  EXPECT_EQ(d.doc.colHeading.Item(1)->name, "h1");

  // A name another variable holds is refused and nothing changes.
  const auto eventsBefore = d.events.size();
  EXPECT_FALSE(d.doc.RenameDimension(0, "S1", "H1"));
  EXPECT_FALSE(d.doc.RenameDimension(0, "missing", "x"));
  EXPECT_EQ(d.doc.Get_Dimension("S1")->name, "S1");
  EXPECT_EQ(d.events.size(), eventsBefore);
  expectPlacementInvariants(d.doc);
}

TEST(VexaMessRename, ContentVariableNamedInAnotherCaseFollowsTheRename) {
  VexaMess doc;
  doc.addDimension("Content", 1);
  doc.ContVariable = "CONTENT";  // as a file may spell it
  ASSERT_TRUE(doc.RenameDimension(1, "Content", "Measure"));
  EXPECT_EQ(doc.ContVariable, "Measure");
  doc.ContVariable = "Other";
  ASSERT_TRUE(doc.RenameDimension(1, "Measure", "M2"));
  EXPECT_EQ(doc.ContVariable, "Other");
}

TEST(VexaMessDecimals, SaveDecimalsIsTheLargestOfDecimalsAndPrecisions) {
  VexaMess doc;
  doc.Decimaler = 1;
  auto v = doc.addDimension("v", 0);
  auto a = v->addVal();
  auto b = v->addVal();
  doc.setSaveDecimals();
  EXPECT_EQ(doc.SaveDecimals, 1);

  a->Precision = "3";
  b->Precision = " 2 ";
  doc.setSaveDecimals();
  EXPECT_EQ(doc.SaveDecimals, 3);

  // Texts that are not whole numbers count as no precision, whatever a file holds.
  for (const char* junk : {"abc", "2.5", "3x", "99999999999", "", "  "}) {
    a->Precision = junk;
    doc.setSaveDecimals();
    EXPECT_EQ(doc.SaveDecimals, 2) << junk;
  }
  // A lower DECIMALS lowers SaveDecimals again.
  b->Precision.clear();
  doc.setSaveDecimals();
  EXPECT_EQ(doc.SaveDecimals, 1);
}

TEST(VexaMessLookups, CodeIndexUsesCodesOrTextsAndReturnsMinusOne) {
  VexaMess doc;
  auto region = doc.addDimension("region", 0);
  auto sex = doc.addDimension("sex", 1);
  for (auto [code, text] : {std::pair{"01", "Stockholm"}, {"03", "Uppsala"}}) {
    auto v = region->addVal();
    v->code = code;
    v->value = text;
  }
  auto men = sex->addVal();
  men->value = "men";
  men->code = "1";

  region->UseCodes = true;
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
