// Reading a variable's values from a code table of the real fixtures.
#include "core/database/code_list.h"

#include <gtest/gtest.h>

#include "core/model/dimension_data.h"

using namespace zendra;

TEST(CodeList, QueryNamesCodeAndTextOrAConstantWithoutCodes) {
  EXPECT_EQ(codeListQuery("Regions", "Code", "Name"), "SELECT [Code],[Name] from [Regions]");
  EXPECT_EQ(codeListQuery("Regions", "", "Name"), "SELECT  1,[Name] from [Regions]");
  EXPECT_EQ(codeListQuery("a]b", "", "x]"), "SELECT  1,[x]]] from [a]]b]");
}

TEST(CodeList, ReadingAgainReplacesTheValues) {
  auto db = makeDatabase(DatabaseKind::Access);
  db->setDbName(std::string(ZENDRA_DATABASES) + "/stats.mdb");
  ASSERT_TRUE(db->OpenDB());
  std::int32_t regions = 0;
  for (const ListEntry& table : db->ListBoxTables()) {
    if (table.text == "Regions") regions = table.itemData;
  }
  db->SelectTable(regions);
  const auto variable = DimensionData::create("Län");
  ASSERT_TRUE(readCodeList(*db, 0, 1, *variable));
  ASSERT_TRUE(readCodeList(*db, 0, 1, *variable));
  ASSERT_EQ(variable->ValueCode.Count(), 4);
  EXPECT_TRUE(variable->UseCodes);
  EXPECT_EQ(variable->ValueCode.Item(4)->code, "05");
  EXPECT_EQ(variable->ValueCode.Item(4)->value, "Östergötland");

  ASSERT_TRUE(readCodeList(*db, -1, 0, *variable));
  EXPECT_FALSE(variable->UseCodes);
  EXPECT_EQ(variable->ValueCode.Item(1)->code, "");
  EXPECT_EQ(variable->ValueCode.Item(1)->value, "01");
}
