// Default data: lists and standard variables, the failure rule, and saving without
// stale entries or lost values.
#include <gtest/gtest.h>

#include <vector>

#include "settings/default_data.h"
#include "settings/vq_vexa_data.h"
#include "support/temp_folder.h"

using namespace zendra;
using zendra::test::TempFolder;

namespace {

using Strings = std::vector<std::string>;

// Settings and default data with the file in a temporary folder; counts NewDefaultData.
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
  Strings values(std::string_view name) const {
    Strings out;
    for (const auto& v : data.GetDefaultVar(name)->ValueCode)
      out.push_back(v->code + "|" + v->value);
    return out;
  }
};

}  // namespace

TEST(DefaultData, ConstantsAloneOrNoFileGiveEmptyListsAndTheDefaultWords) {
  Fixture f;
  f.file("[Constants]\nContact=Ann, phone 123\nSource=Office\n");
  EXPECT_TRUE(f.data.Load_data());
  EXPECT_EQ(f.data.Contact, "Ann, phone 123");
  EXPECT_EQ(f.data.Source, "Office");
  EXPECT_EQ(f.data.Bytext + "/" + f.data.Andtext, "by/and");
  EXPECT_TRUE(f.data.Variable.empty() && f.data.Units.empty());
  f.settings.DefaultData = (f.dir / "missing.txt").string();
  EXPECT_TRUE(f.data.Load_data());
  EXPECT_EQ(f.data.Contact, "");
  EXPECT_EQ(f.events, 2);
}

TEST(DefaultData, ListsEndAtTheFirstGapAndCodesSplitAtTheFirstComma) {
  Fixture f;
  f.file(
      "[Constants]\nBy=efter\nAnd=och\n[Varreg]\nVar1=Sex\nVar2=Region\nVar3=Age\nVar4=\nVar5=X\n"
      "[Units]\nU1=persons\nU2=SEK, thousands\nU4=after the gap\n"
      "[sex]\nsex1=1,Men\nSEX2=2, Women\nsex3=3\nsex5=lost\n[Region]\nRegion1=North\n"
      "[Age]\nAge1=0-19,young, very\n");
  ASSERT_TRUE(f.data.Load_data());
  EXPECT_EQ(f.data.Bytext + "/" + f.data.Andtext, "efter/och");
  EXPECT_EQ(f.data.Variable, (Strings{"Sex", "Region", "Age"}));
  EXPECT_EQ(f.data.Units, (Strings{"persons", "SEK, thousands"}));
  EXPECT_EQ(f.values("SEX"), (Strings{"1|Men", "2| Women", "|3"}));
  EXPECT_TRUE(f.data.GetDefaultVar("Sex")->UseCodes);
  EXPECT_EQ(f.data.GetDefaultVar("sex")->ValueCode.Item(1)->Dimension.lock()->name, "Sex");
  EXPECT_EQ(f.values("Region"), Strings{"|North"});
  EXPECT_FALSE(f.data.GetDefaultVar("Region")->UseCodes);
  EXPECT_EQ(f.values("age"), Strings{"0-19|young, very"});
  EXPECT_EQ(f.data.GetDefaultVar("X"), nullptr);
}

TEST(DefaultData, AFailedLoadClearsThePathRaisesTheEventAndKeepsWhatItCould) {
  Fixture f;
  f.file("[Varreg]\nVar1=Sex\nVar2=SEX\nVar3=Region\n[Region]\nRegion1=North\n");
  EXPECT_FALSE(f.data.Load_data());
  EXPECT_EQ(f.events, 1);
  EXPECT_EQ(f.settings.DefaultData, "");
  EXPECT_NE(f.data.error().find("\"SEX\" is listed twice"), std::string::npos);
  EXPECT_EQ(f.data.Variable, (Strings{"Sex", "Region"}));  // every name has its variable
  EXPECT_EQ(f.values("Region"), Strings{"|North"});

  std::filesystem::create_directories(f.dir / "folder.txt/x");  // cannot be read
  f.settings.DefaultData = (f.dir / "folder.txt").string();
  EXPECT_FALSE(f.data.Load_data());
  EXPECT_EQ(f.settings.DefaultData, "");
  EXPECT_EQ(f.events, 2);
}

TEST(DefaultData, SavingAShorterListLeavesNoStaleEntriesAndKeepsOtherLines) {
  Fixture f;
  f.file(
      "; office defaults\n[Constants]\nContact=Ann\nOwn=kept\n[Varreg]\nVar1=Sex\nVar2=Region\n"
      "[Units]\nU1=a\nU2=b\n[Sex]\nSex1=1,Men\nSex2=2,Women\n[Region]\nRegion1=N\nRegion2=S\n");
  ASSERT_TRUE(f.data.Load_data());
  f.data.Units = {"persons"};
  f.data.GetDefaultVar("Region")->RemoveVal(2);
  for (const auto& v : f.data.GetDefaultVar("Sex")->ValueCode) v->code.clear();
  f.data.Contact = "Bo";
  ASSERT_TRUE(f.data.save_data()) << f.data.error();
  EXPECT_FALSE(f.data.GetDefaultVar("Sex")->UseCodes);  // no codes left: plain texts
  EXPECT_EQ(f.file(),
            "; office defaults\n[Constants]\nContact=Bo\nOwn=kept\nSource=\nDatabase=\nBy=by\n"
            "And=and\n[Varreg]\nVar1=Sex\nVar2=Region\n[Units]\nU1=persons\n"
            "[Sex]\nSex1=Men\nSex2=Women\n[Region]\nRegion1=N\n");
}

TEST(DefaultData, WhatIsSavedLoadsBackTheSame) {
  Fixture f;
  f.data.Contact = "Åsa Öberg";
  f.data.Units = {"persons", "", "SEK"};  // an empty unit would end the list when read
  f.data.Variable = {"Units", "Region", "Sex"};
  auto units = DimensionData::create("Units");  // shares the section of the unit list
  units->addVal()->value = "kg";
  auto region = DimensionData::create("Region");
  region->addVal()->value = "Sweden, total";  // a comma in a text without codes
  region->addVal();                           // empty: left out, later values kept
  region->addVal()->value = "North";
  auto sex = DimensionData::create("Sex");
  auto men = sex->addVal();
  men->code = "1";
  men->value = "Men";
  sex->addVal()->value = "no code, in a variable with codes";
  for (const auto& v : {units, region, sex}) f.data.Dimensions.Add(v, v->name);
  ASSERT_TRUE(f.data.save_data()) << f.data.error();

  ASSERT_TRUE(f.data.Load_data());
  EXPECT_EQ(f.data.Contact, "Åsa Öberg");
  EXPECT_EQ(f.data.Units, (Strings{"persons", "SEK"}));
  EXPECT_EQ(f.data.Variable, (Strings{"Units", "Region", "Sex"}));
  EXPECT_EQ(f.values("Units"), Strings{"|kg"});
  EXPECT_EQ(f.values("Region"), (Strings{"|Sweden, total", "|North"}));
  EXPECT_FALSE(f.data.GetDefaultVar("Region")->UseCodes);
  EXPECT_EQ(f.values("Sex"), (Strings{"1|Men", "|no code, in a variable with codes"}));
  EXPECT_TRUE(f.data.GetDefaultVar("Sex")->UseCodes);
}

TEST(DefaultData, SaveFailuresLeaveTheFileAsItWas) {
  Fixture f;
  f.file("[Varreg]\nVar1=Sex\n");
  ASSERT_TRUE(f.data.Load_data());
  f.data.Variable.push_back("a=b");  // its keys "a=b1", ... cannot be read back
  f.data.Dimensions.Add(DimensionData::create("a=b"), "a=b");
  f.data.GetDefaultVar("a=b")->addVal()->value = "x";
  EXPECT_FALSE(f.data.save_data());
  EXPECT_NE(f.data.error().find("a=b1"), std::string::npos);
  EXPECT_EQ(f.file(), "[Varreg]\nVar1=Sex\n");
  f.settings.DefaultData.clear();
  EXPECT_FALSE(f.data.save_data());
  EXPECT_EQ(f.data.error(), "No default data file is chosen");
}
