// Default data: lists and standard variables, the failure rule, and saving without
// stale entries or lost values.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/settings/default_data.h"
#include "core/settings/vq_vexa_data.h"
#include "support/tables.h"
#include "support/temp_folder.h"

using namespace zendra;
using namespace zendra::test;

namespace {

// Settings and default data with the file in a temporary folder; counts NewDefaultData.
struct Fixture {
  TempFolder dir;
  VqVexaData settings{dir / "zendra32.ini"};
  DefaultData data{settings};
  int events = 0;

  Fixture() {
    settings.DefaultData = dir.file("default.txt");
    data.NewDefaultData.connect([this] { ++events; });
  }
  void file(std::string_view text) { dir.write("default.txt", text); }
  std::string file() const { return TempFolder::read(dir / "default.txt"); }
  // "code|text" of each value of a standard variable, "uses codes" marked by a "+".
  Texts values(std::string_view name) const {
    const auto v = data.GetDefaultVar(name);
    Texts out{v->UseCodes ? "+" : "-"};
    for (const auto& value : v->ValueCode) out.push_back(value->code + "|" + value->value);
    return out;
  }
};

}  // namespace

TEST(DefaultData, ListsEndAtTheFirstGapAndCodesSplitAtTheFirstComma) {
  Fixture f;
  f.file(
      "[Constants]\nContact=Ann, phone 123\nBy=efter\nAnd=och\n"
      "[Varreg]\nVar1=Sex\nVar2=Region\nVar3=Age\nVar4=\nVar5=X\n"
      "[Units]\nU1=persons\nU2=SEK, thousands\nU4=after the gap\n"
      "[sex]\nsex1=1,Men\nSEX2=2, Women\nsex3=3\nsex5=lost\n[Region]\nRegion1=North\n"
      "[Age]\nAge1=0-19,young, very\n");
  ASSERT_TRUE(f.data.Load_data());
  EXPECT_EQ(f.data.Contact + "/" + f.data.Bytext + "/" + f.data.Andtext,
            "Ann, phone 123/efter/och");
  EXPECT_EQ(f.data.Variable, (Texts{"Sex", "Region", "Age"}));
  EXPECT_EQ(f.data.Units, (Texts{"persons", "SEK, thousands"}));
  EXPECT_EQ(f.values("SEX"), (Texts{"+", "1|Men", "2| Women", "|3"}));
  EXPECT_EQ(f.values("age"), (Texts{"+", "0-19|young, very"}));

  // No file: empty lists and the default words, and still an event.
  f.settings.DefaultData = f.dir.file("missing.txt");
  EXPECT_TRUE(f.data.Load_data());
  EXPECT_EQ(f.data.Contact + "/" + f.data.Bytext + "/" + f.data.Andtext, "/by/and");
  EXPECT_EQ(f.data.GetDefaultVar("Sex"), nullptr);
  EXPECT_EQ(f.events, 2);
}

TEST(DefaultData, AFailedLoadKeepsWhatItCouldAndOnlyAnUnreadableFileLosesItsPath) {
  Fixture f;
  f.file("[Varreg]\nVar1=Sex\nVar2=SEX\nVar3=Region\n[Region]\nRegion1=North\n");
  const std::string path = f.settings.DefaultData;
  EXPECT_FALSE(f.data.Load_data());
  EXPECT_NE(f.data.error().find("\"SEX\" is listed twice"), std::string::npos);
  // The file was read: its path stays for the next settings save.
  EXPECT_EQ(f.settings.DefaultData, path);
  EXPECT_EQ(f.values("Region"), (Texts{"-", "|North"}));  // what could be read is kept

  f.settings.DefaultData = f.dir.write("folder.txt/x", "").parent_path().string();  // unreadable
  EXPECT_FALSE(f.data.Load_data());
  EXPECT_EQ(f.settings.DefaultData, "");
  EXPECT_FALSE(f.data.save_data());

  // A name whose keys "a=b1", ... cannot be read back: the file stays as it was.
  f.settings.DefaultData = f.dir.file("default.txt");
  f.data.Variable.push_back("a=b");
  f.data.Dimensions.Add(variableWith({"x"}, "a=b"), "a=b");
  EXPECT_FALSE(f.data.save_data());
  EXPECT_EQ(f.file(), "[Varreg]\nVar1=Sex\nVar2=SEX\nVar3=Region\n[Region]\nRegion1=North\n");
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
  // "Units" shares the section of the unit list; a comma in a text without codes; an
  // empty value left out with the later ones kept; a value without a code among coded.
  for (const auto& v :
       {variableWith({"kg"}, "Units"), variableWith({"Sweden, total", "", "North"}, "Region"),
        variableWith({"Men", "no code, in a variable with codes"}, "Sex")}) {
    f.data.Dimensions.Add(v, v->name);
  }
  f.data.GetDefaultVar("Sex")->ValueCode.Item(1)->code = "1";
  ASSERT_TRUE(f.data.save_data()) << f.data.error();

  ASSERT_TRUE(f.data.Load_data());
  EXPECT_EQ(f.data.Contact, "Åsa Öberg");
  EXPECT_EQ(f.data.Units, (Texts{"persons", "SEK"}));
  EXPECT_EQ(f.values("Units"), (Texts{"-", "|kg"}));
  EXPECT_EQ(f.values("Region"), (Texts{"-", "|Sweden, total", "|North"}));
  EXPECT_EQ(f.values("Sex"), (Texts{"+", "1|Men", "|no code, in a variable with codes"}));
}

TEST(DefaultData, ACopyIsIndependentAndNewNamesStayUniqueAndStorable) {
  Fixture f;
  f.file("[Constants]\nContact=Ann\n[Varreg]\nVar1=Sex\n[Units]\nU1=persons\n[Sex]\nSex1=1,Men\n");
  ASSERT_TRUE(f.data.Load_data());
  DefaultData copy(f.settings);
  copy.CopyFrom(f.data);
  ASSERT_NE(copy.GetDefaultVar("sex"), nullptr);
  copy.GetDefaultVar("Sex")->addVal()->value = "Women";
  EXPECT_EQ(f.values("Sex"), (Texts{"+", "1|Men"}));

  // Saving the copy elsewhere writes that file only and leaves the settings alone.
  const std::string elsewhere = f.dir.file("elsewhere.txt");
  ASSERT_TRUE(copy.save_data(elsewhere)) << copy.error();
  EXPECT_EQ(f.settings.DefaultData, f.dir.file("default.txt"));
  EXPECT_NE(TempFolder::read(elsewhere).find("Sex2=,Women"), std::string::npos);

  const std::pair<const char*, std::string> names[] = {{"Region", ""},
                                                       {" sex ", kStandardNameInUse},
                                                       {"a=b", kStandardNameNotKey},
                                                       {"[x", kStandardNameNotKey},
                                                       {";x", kStandardNameNotKey},
                                                       {"a\nb", kStandardNameNotKey}};
  for (const auto& [name, problem] : names)
    EXPECT_EQ(copy.NewVariableProblem(name), problem) << name;
}

TEST(DefaultData, TheShippedFileLoadsCleanlyAndIsNeverWritten) {
  Fixture f;
  const std::string shipped = std::string(ZENDRA_SHIPPED_DATA) + "/default_data.ini";
  const std::string bytes = TempFolder::read(shipped);
  f.settings.shippedDefaultData = shipped;
  f.settings.DefaultData.clear();
  ASSERT_TRUE(f.data.Load_data()) << f.data.error();
  // What it holds is data; that every list and variable reads is the matter here.
  EXPECT_EQ(f.data.Variable, (Texts{"sex", "age", "response", "quarter", "month"}));
  EXPECT_EQ(f.data.GetDefaultVar("month")->ValueCode.Count(), 12);
  // Saving to it, by its name or by another path to it, is refused and leaves it as it was.
  EXPECT_FALSE(f.data.save_data(shipped));
  std::filesystem::create_symlink(shipped, f.dir / "link.ini");
  EXPECT_FALSE(f.data.save_data(f.dir.file("link.ini")));
  EXPECT_EQ(TempFolder::read(shipped), bytes);

  // A file of the user's own wins.
  f.file("[Units]\nU1=cows\n");
  f.settings.DefaultData = f.dir.file("default.txt");
  ASSERT_TRUE(f.data.Load_data());
  EXPECT_EQ(f.data.Units, Texts{"cows"});
}
