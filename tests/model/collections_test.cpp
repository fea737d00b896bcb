// Ordered collections, variables and their values: positions, boundaries, shared values.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/dimension_data_coll.h"
#include "model/signal.h"
#include "model/text_compare.h"

using namespace zendra;

namespace {

std::vector<std::string> texts(const VacCollection& values) {
  std::vector<std::string> out;
  for (const auto& v : values) out.push_back(v->value);
  return out;
}

std::vector<std::string> keys(const DimensionDataColl& coll) {
  std::vector<std::string> out;
  for (const auto& v : coll) out.push_back(v->name);
  return out;
}

using Names = std::vector<std::string>;

DimensionRef variableWith(const Names& values) {
  auto variable = DimensionData::create("v");
  for (const auto& text : values) variable->addVal()->value = text;
  return variable;
}

}  // namespace

TEST(VacCollection, InsertsAtPositionsAndClampsOutOfRangeOnes) {
  VacCollection c;
  c.Add(ValueAndCode::create("b"));
  c.Addbefore(ValueAndCode::create("a"), 1);
  c.Addafter(ValueAndCode::create("c"), 2);
  EXPECT_EQ(texts(c), (Names{"a", "b", "c"}));
  c.Addafter(ValueAndCode::create("front"), 0);
  c.Addbefore(ValueAndCode::create("end"), 99);
  EXPECT_EQ(texts(c), (Names{"front", "a", "b", "c", "end"}));

  c.Replace(2, ValueAndCode::create("A"));
  c.Replace(9, ValueAndCode::create("appended"));
  EXPECT_EQ(texts(c), (Names{"front", "A", "b", "c", "end", "appended"}));

  EXPECT_EQ(c.Item(0), nullptr);
  EXPECT_EQ(c.Item(7), nullptr);
  EXPECT_EQ(c.Item(-3), nullptr);
  c.Remove(0);
  c.Remove(7);
  EXPECT_EQ(c.Count(), 6);
  c.Remove(1);
  EXPECT_EQ(c.Item(1)->value, "A");
}

TEST(DimensionData, MovesValuesOnlyWhereANeighbourExists) {
  auto v = variableWith({"a", "b", "c"});
  v->MoveValUp(3);
  EXPECT_EQ(texts(v->ValueCode), (Names{"a", "c", "b"}));
  v->MoveValDown(1);
  EXPECT_EQ(texts(v->ValueCode), (Names{"c", "a", "b"}));
  v->MoveValUp(1);    // no neighbour in front
  v->MoveValDown(3);  // no neighbour behind
  v->MoveValUp(4);
  v->MoveValDown(0);
  v->RemoveVal(4);
  EXPECT_EQ(texts(v->ValueCode), (Names{"c", "a", "b"}));
  v->RemoveVal(2);
  EXPECT_EQ(texts(v->ValueCode), (Names{"c", "b"}));
}

TEST(DimensionData, AddValBelongsToTheVariableAndIdentitiesAreUnique) {
  auto v = variableWith({"a", "b"});
  const auto first = v->ValueCode.Item(1);
  const auto second = v->ValueCode.Item(2);
  EXPECT_EQ(first->Dimension.lock(), v);
  EXPECT_EQ(second->UID, first->UID + 1);

  // The back reference does not keep the variable alive: no cycle, no leak.
  std::weak_ptr<DimensionData> watch = v;
  v.reset();
  EXPECT_TRUE(watch.expired());
  EXPECT_EQ(first->Dimension.lock(), nullptr);
  EXPECT_EQ(first->value, "a");  // the value itself lives on with its holder
}

TEST(DimensionData, CopyVacSharesValuesWhileCopyDimdataCopiesThem) {
  auto source = variableWith({"1994", "1995"});
  source->name = "year";
  source->UseCodes = true;
  source->Map = "map";
  source->Keytype = 2;
  source->ValueCode.Item(1)->ContentData = std::make_shared<ContentData>();
  source->ValueCode.Item(1)->ContentData->Units = "tons";

  auto shared = DimensionData::create("shared");
  shared->CopyVac(*source);
  auto copied = DimensionData::create("copied");
  copied->CopyDimdata(*source);

  source->ValueCode.Item(1)->value = "1993";
  source->ValueCode.Item(1)->ContentData->Units = "kg";
  source->addVal()->value = "1996";

  EXPECT_EQ(texts(shared->ValueCode), (Names{"1993", "1995"}));  // same objects
  EXPECT_EQ(texts(copied->ValueCode), (Names{"1994", "1995"}));
  EXPECT_EQ(copied->ValueCode.Item(1)->ContentData->Units, "tons");
  EXPECT_NE(copied->ValueCode.Item(1)->UID, source->ValueCode.Item(1)->UID);
  EXPECT_EQ(copied->ValueCode.Item(1)->Dimension.lock(), copied);
  EXPECT_EQ(copied->name, "year");
  EXPECT_TRUE(copied->UseCodes);
  EXPECT_EQ(copied->Map, "map");
  EXPECT_EQ(copied->Keytype, 0);  // not among the copied fields

  // Copying from itself keeps the values.
  copied->CopyDimdata(*copied);
  copied->CopyVac(*copied);
  EXPECT_EQ(copied->ValueCode.Count(), 2);
}

TEST(ValueAndCode, MakecopyCopiesTextsButNotIdentityOrVariable) {
  auto variable = variableWith({"x"});
  auto source = variable->ValueCode.Item(1);
  source->code = "c";
  source->TimeVal = "199403";
  source->TimeCode = "M1";
  source->Precision = "2";
  source->Note = "n";
  source->Notex = "nx";
  ValueAndCode copy;
  copy.makecopy(*source);
  EXPECT_EQ(copy.value, "x");
  EXPECT_EQ(copy.code, "c");
  EXPECT_EQ(copy.TimeVal, "199403");
  EXPECT_EQ(copy.TimeCode, "M1");
  EXPECT_EQ(copy.Precision, "2");
  EXPECT_EQ(copy.Note, "n");
  EXPECT_EQ(copy.Notex, "nx");
  EXPECT_EQ(copy.ContentData, nullptr);
  EXPECT_TRUE(copy.Dimension.expired());
  EXPECT_NE(copy.UID, source->UID);
}

TEST(DimensionDataColl, AddFollowsTheAfterRules) {
  DimensionDataColl c;
  auto add = [&c](const char* name, std::int32_t after) {
    return c.Add(DimensionData::create(name), name, after);
  };
  add("a", 5);  // into an empty collection: appended whatever after says
  add("b", -1);
  add("front", 0);
  add("mid", 1);
  add("end", 99);
  EXPECT_EQ(keys(c), (Names{"front", "mid", "a", "b", "end"}));
  EXPECT_EQ(c.Item(2)->name, "mid");
  EXPECT_EQ(c.Item(6), nullptr);
  EXPECT_EQ(c.Item("nothing"), nullptr);
}

TEST(DimensionDataColl, KeysIgnoreCaseIncludingAccentedLetters) {
  DimensionDataColl c;
  ASSERT_TRUE(c.Add(DimensionData::create("Ålder"), "Ålder"));
  ASSERT_TRUE(c.Add(DimensionData::create("Œuvre"), "Œuvre"));
  EXPECT_EQ(c.Item("åLDER")->name, "Ålder");
  EXPECT_EQ(c.Item("œUVRE")->name, "Œuvre");
  EXPECT_EQ(c.Item("Alder"), nullptr);  // a different letter, not a different case

  // A duplicate key is refused and nothing changes.
  EXPECT_EQ(c.Add(DimensionData::create("ålder"), "ÅLDER"), nullptr);
  EXPECT_EQ(c.Count(), 2);

  EXPECT_FALSE(c.Remove("missing"));
  EXPECT_TRUE(c.Remove("ålder"));
  EXPECT_EQ(keys(c), (Names{"Œuvre"}));
}

TEST(TextCompare, FoldsTheCodePageLettersAndKeepsBrokenBytes) {
  EXPECT_EQ(foldCase("ÅÄÖ ÉÈ ÆØ Þ ŸŠŽ"), "åäö éè æø þ ÿšž");
  EXPECT_EQ(foldCase("ΣΑΣ Ж"), "σασ ж");
  EXPECT_EQ(foldCase("×ß"), "×ß");  // no case
  const std::string broken = "A\xC3\x28\xFF";
  EXPECT_EQ(foldCase(broken), "a\xC3\x28\xFF");
  EXPECT_TRUE(equalsIgnoringCase("Region", "rEGION"));
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
