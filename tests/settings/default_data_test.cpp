// Default data: loading lists and standard variables, the failure rule, and saving
// without stale entries or lost values.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/default_data.h"
#include "settings/vq_vexa_data.h"
#include "support/temp_folder.h"

using namespace zendra;
using zendra::test::TempFolder;

namespace {

using Strings = std::vector<std::string>;

// The settings and default data objects of a program run, with the default data file in
// a temporary folder, and a count of NewDefaultData events.
struct Fixture {
  TempFolder dir;
  VqVexaData settings{dir / "zendra32.ini"};
  DefaultData data{settings};
  int events = 0;

  Fixture() {
    settings.DefaultData = (dir / "default.txt").string();
    data.NewDefaultData.connect([this] { ++events; });
  }
  void file(std::string_view text) { dir.write("default.txt", text); }
  std::string file() const { return TempFolder::read(dir / "default.txt"); }
};

Strings values(const DimensionRef& variable) {
  Strings out;
  for (const auto& v : variable->ValueCode) out.push_back(v->code + "|" + v->value);
  return out;
}

}  // namespace

TEST(DefaultData, OnlyConstantsGiveEmptyListsAndTheDefaultWords) {
  Fixture f;
  f.file("[Constants]\nContact=Ann, phone 123\nSource=Office\nDatabase=Vexa\n");
  EXPECT_TRUE(f.data.Load_data());
  EXPECT_EQ(f.events, 1);
  EXPECT_EQ(f.data.Contact, "Ann, phone 123");
  EXPECT_EQ(f.data.Source, "Office");
  EXPECT_EQ(f.data.Database, "Vexa");
  EXPECT_EQ(f.data.Bytext, "by");
  EXPECT_EQ(f.data.Andtext, "and");
  EXPECT_TRUE(f.data.Variable.empty());
  EXPECT_TRUE(f.data.Units.empty());
  EXPECT_EQ(f.data.Dimensions.Count(), 0);

  // A missing file, or none named, is not a failure either.
  f.settings.DefaultData = (f.dir / "missing.txt").string();
  EXPECT_TRUE(f.data.Load_data());
  f.settings.DefaultData.clear();
  EXPECT_TRUE(f.data.Load_data());
  EXPECT_EQ(f.events, 3);
}

TEST(DefaultData, ListsEndAtTheFirstGapAndCodesSplitAtTheFirstComma) {
  Fixture f;
  f.file(
      "[Constants]\nBy=efter\nAnd=och\n"
      "[Varreg]\nVar1=Sex\nVar2=Region\nVar3=Age\nVar4=\nVar5=Late\n"
      "[Units]\nU1=persons\nU2=SEK, thousands\nU4=after the gap\n"
      "[sex]\nsex1=1,Men\nSEX2=2, Women\nsex3=3\nsex5=lost\n"
      "[Region]\nRegion1=North\nRegion2=South\n"
      "[Age]\nAge1=0-19,young, very\n");
  ASSERT_TRUE(f.data.Load_data());
  EXPECT_EQ(f.data.Bytext, "efter");
  EXPECT_EQ(f.data.Andtext, "och");
  EXPECT_EQ(f.data.Variable, (Strings{"Sex", "Region", "Age"}));
  EXPECT_EQ(f.data.Units, (Strings{"persons", "SEK, thousands"}));

  const DimensionRef sex = f.data.GetDefaultVar("SEX");
  ASSERT_NE(sex, nullptr);
  EXPECT_EQ(sex->name, "Sex");
  EXPECT_TRUE(sex->UseCodes);
  EXPECT_EQ(values(sex), (Strings{"1|Men", "2| Women", "|3"}));
  EXPECT_EQ(sex->ValueCode.Item(1)->Dimension.lock(), sex);
  const DimensionRef region = f.data.GetDefaultVar("Region");
  EXPECT_FALSE(region->UseCodes);
  EXPECT_EQ(values(region), (Strings{"|North", "|South"}));
  EXPECT_EQ(values(f.data.GetDefaultVar("age")), (Strings{"0-19|young, very"}));
  EXPECT_EQ(f.data.GetDefaultVar("Late"), nullptr);
}

TEST(DefaultData, ANameListedTwiceFailsClearsThePathAndStillLoadsTheRest) {
  Fixture f;
  f.file("[Varreg]\nVar1=Sex\nVar2=SEX\nVar3=Region\n[Sex]\nSex1=Men\n[Region]\nRegion1=North\n");
  EXPECT_FALSE(f.data.Load_data());
  EXPECT_EQ(f.events, 1);
  EXPECT_EQ(f.settings.DefaultData, "");
  EXPECT_NE(f.data.error().find("\"SEX\" is listed twice"), std::string::npos);
  EXPECT_EQ(f.data.Variable, (Strings{"Sex", "Region"}));  // every name has its variable
  EXPECT_EQ(values(f.data.GetDefaultVar("Region")), (Strings{"|North"}));

  // A file that cannot be read fails the same way.
  std::filesystem::create_directories(f.dir / "folder.txt" / "x");
  f.settings.DefaultData = (f.dir / "folder.txt").string();
  EXPECT_FALSE(f.data.Load_data());
  EXPECT_EQ(f.settings.DefaultData, "");
  EXPECT_EQ(f.data.Bytext, "by");
  EXPECT_EQ(f.events, 2);
}

TEST(DefaultData, SavingAShorterListLeavesNoStaleEntriesAndKeepsOtherLines) {
  Fixture f;
  f.file(
      "; office defaults\n[Constants]\nContact=Ann\nOwn=kept\n"
      "[Varreg]\nVar1=Sex\nVar2=Region\n[Units]\nU1=a\nU2=b\nU3=c\n"
      "[Sex]\nSex1=1,Men\nSex2=2,Women\n[Region]\nRegion1=N\nRegion2=S\nRegion3=W\n");
  ASSERT_TRUE(f.data.Load_data());
  f.data.Units = {"persons"};
  f.data.GetDefaultVar("Region")->RemoveVal(3);
  // All codes cleared: plain texts are written and the variable no longer uses codes.
  for (const auto& v : f.data.GetDefaultVar("Sex")->ValueCode) v->code.clear();
  f.data.Contact = "Bo";
  ASSERT_TRUE(f.data.save_data()) << f.data.error();
  EXPECT_FALSE(f.data.GetDefaultVar("Sex")->UseCodes);
  EXPECT_EQ(f.file(),
            "; office defaults\n[Constants]\nContact=Bo\nOwn=kept\nSource=\nDatabase=\n"
            "By=by\nAnd=and\n[Varreg]\nVar1=Sex\nVar2=Region\n[Units]\nU1=persons\n"
            "[Sex]\nSex1=Men\nSex2=Women\n[Region]\nRegion1=N\nRegion2=S\n");
}

TEST(DefaultData, WhatIsSavedLoadsBackTheSame) {
  Fixture f;
  f.data.Contact = "Åsa Öberg";
  f.data.Units = {"persons", "", "SEK"};  // an empty unit would end the list when read
  f.data.Variable = {"Units", "Region", "Sex"};
  // A variable named like a fixed section shares it without wiping the unit list.
  auto units = DimensionData::create("Units");
  units->addVal()->value = "kg";
  auto region = DimensionData::create("Region");
  region->addVal()->value = "Sweden, total";  // a comma in a text without codes
  region->addVal();                           // empty: left out, later values kept
  region->addVal()->value = "North";
  auto sex = DimensionData::create("Sex");
  auto men = sex->addVal();
  men->code = "1";
  men->value = "Men";
  sex->addVal()->value = "uncoded, but the variable has codes";
  for (const auto& v : {units, region, sex}) f.data.Dimensions.Add(v, v->name);
  ASSERT_TRUE(f.data.save_data()) << f.data.error();

  DefaultData back(f.settings);
  ASSERT_TRUE(back.Load_data());
  EXPECT_EQ(back.Contact, "Åsa Öberg");
  EXPECT_EQ(back.Units, (Strings{"persons", "SEK"}));
  EXPECT_EQ(back.Variable, (Strings{"Units", "Region", "Sex"}));
  EXPECT_EQ(values(back.GetDefaultVar("Units")), (Strings{"|kg"}));
  EXPECT_EQ(values(back.GetDefaultVar("Region")), (Strings{"|Sweden, total", "|North"}));
  EXPECT_FALSE(back.GetDefaultVar("Region")->UseCodes);
  EXPECT_EQ(values(back.GetDefaultVar("Sex")),
            (Strings{"1|Men", "|uncoded, but the variable has codes"}));
  EXPECT_TRUE(back.GetDefaultVar("Sex")->UseCodes);
}

TEST(DefaultData, SaveFailuresLeaveTheFileAsItWas) {
  Fixture f;
  f.file("[Varreg]\nVar1=Sex\n");
  ASSERT_TRUE(f.data.Load_data());
  // A name that cannot be a key ("a=b1=...") fails the whole save.
  f.data.Variable.push_back("a=b");
  f.data.Dimensions.Add(DimensionData::create("a=b"), "a=b");
  f.data.GetDefaultVar("a=b")->addVal()->value = "x";
  EXPECT_FALSE(f.data.save_data());
  EXPECT_NE(f.data.error().find("a=b1"), std::string::npos);
  EXPECT_EQ(f.file(), "[Varreg]\nVar1=Sex\n");

  f.settings.DefaultData.clear();
  EXPECT_FALSE(f.data.save_data());
  EXPECT_EQ(f.data.error(), "No default data file is chosen");
}
