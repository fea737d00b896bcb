// Ordered collections, variables and their values: positions, boundaries, shared values.
#include <gtest/gtest.h>

#include "core/model/signal.h"
#include "core/model/text_compare.h"
#include "support/tables.h"

using namespace zendra;
using namespace zendra::test;

TEST(VacCollection, InsertsMovesAndRemovesAtPositionsAndClampsOutOfRangeOnes) {
  auto v = variableWith({"b"});
  VacCollection& c = v->ValueCode;
  c.Addbefore(ValueAndCode::create("a"), 1);
  c.Addafter(ValueAndCode::create("front"), 0);
  c.Addbefore(ValueAndCode::create("end"), 99);
  c.Replace(2, ValueAndCode::create("A"));
  c.Replace(9, ValueAndCode::create("appended"));
  c.Remove(7);
  v->MoveValUp(2);
  v->MoveValDown(2);
  v->MoveValUp(1);    // no neighbour in front
  v->MoveValDown(5);  // no neighbour behind
  v->RemoveVal(3);
  EXPECT_EQ(texts(c), (Texts{"A", "b", "end", "appended"}));
  EXPECT_EQ(c.Item(5), nullptr);
}

TEST(DimensionData, CopyVacSharesValuesWhileCopyDimdataCopiesThem) {
  auto source = variableWith({"1994", "1995"}, "year");
  source->UseCodes = true;
  source->Map = "map";
  source->Keytype = 2;
  source->ValueCode.Item(1)->ContentData = std::make_shared<ContentData>();
  source->ValueCode.Item(1)->ContentData->Units = "tons";
  // Every text of a value is copied, each set to a text of its own.
  using Field = std::string ValueAndCode::*;
  const Field fields[] = {&ValueAndCode::code,      &ValueAndCode::TimeVal, &ValueAndCode::TimeCode,
                          &ValueAndCode::Precision, &ValueAndCode::Note,    &ValueAndCode::Notex};
  for (const Field& f : fields) *source->ValueCode.Item(2).*f = std::to_string(&f - fields);

  auto shared = DimensionData::create("shared");
  shared->CopyVac(*source);
  auto copied = DimensionData::create("copied");
  copied->CopyDimdata(*source);
  source->ValueCode.Item(1)->value = "1993";
  source->ValueCode.Item(1)->ContentData->Units = "kg";
  source->addVal()->value = "1996";

  EXPECT_EQ(texts(shared->ValueCode), (Texts{"1993", "1995"}));  // same objects
  EXPECT_EQ(texts(copied->ValueCode), (Texts{"1994", "1995"}));
  EXPECT_EQ(copied->ValueCode.Item(1)->ContentData->Units, "tons");
  EXPECT_EQ(copied->ValueCode.Item(1)->Dimension.lock(), copied);
  for (const Field& f : fields) {
    EXPECT_EQ(*copied->ValueCode.Item(2).*f, *source->ValueCode.Item(2).*f);
  }
  EXPECT_EQ(copied->name + "|" + copied->Map, "year|map");
  EXPECT_EQ(copied->Keytype, 0);  // not among the copied fields

  // Copying from itself keeps the values.
  copied->CopyDimdata(*copied);
  copied->CopyVac(*copied);
  EXPECT_EQ(copied->ValueCode.Count(), 2);
}

TEST(DimensionDataColl, AddFollowsTheAfterRulesAndKeysIgnoreCase) {
  DimensionDataColl c;
  for (auto [name, after] : {std::pair{"a", 5}, {"b", -1}, {"front", 0}, {"mid", 1}, {"end", 99}}) {
    c.Add(DimensionData::create(name), name, after);  // into an empty one: appended
  }
  EXPECT_EQ(names(c), (Texts{"front", "mid", "a", "b", "end"}));

  ASSERT_TRUE(c.Add(DimensionData::create("Ålder"), "Ålder"));
  ASSERT_TRUE(c.Add(DimensionData::create("Œuvre"), "Œuvre"));
  EXPECT_EQ(c.Item("œUVRE")->name, "Œuvre");
  EXPECT_EQ(c.Item("Alder"), nullptr);  // a different letter, not a different case
  EXPECT_EQ(c.Add(DimensionData::create("ålder"), "ÅLDER"), nullptr);  // refused
  EXPECT_FALSE(c.Remove("missing"));
  EXPECT_TRUE(c.Remove("ålder"));
  EXPECT_EQ(names(c).back(), "Œuvre");
}

TEST(TextCompare, FoldsTheCodePageLettersAndKeepsBrokenBytes) {
  EXPECT_EQ(foldCase("ÅÄÖ ÉÈ ÆØ Þ ŸŠŽ ΣΑΣ Ж ×ß"), "åäö éè æø þ ÿšž σασ ж ×ß");
  EXPECT_EQ(foldCase("A\xC3\x28\xFF"), "a\xC3\x28\xFF");
  EXPECT_FALSE(equalsIgnoringCase("Region", "Regions"));
}

TEST(Signal, SlotsMayDisconnectWhileTheSignalIsRaised) {
  Signal<int> signal;
  std::vector<int> seen;
  Signal<int>::Connection first = 0;
  first = signal.connect([&](int x) {
    seen.push_back(x);
    signal.disconnect(first);
  });
  signal.connect([&](int x) { seen.push_back(10 * x); });
  signal.notify(1);
  signal.notify(2);
  EXPECT_EQ(seen, (std::vector<int>{1, 10, 20}));
}
