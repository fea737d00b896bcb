// The command-line companion: exit codes and output of check, convert and info.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/commands.h"
#include "support/temp_folder.h"

using namespace zendra::cli;
using nlohmann::json;
using zendra::test::TempFolder;

namespace {

const std::string kData = ZENDRA_TEST_DATA;

const char* kComplete =
    "MATRIX=\"M\";SUBJECT-AREA=\"A\";SUBJECT-CODE=\"S\";CONTENTS=\"C\";UNITS=\"u\";"
    "STUB=\"r\";VALUES(\"r\")=\"a\",\"b\";DATA=1 -;";

}  // namespace

TEST(CliCheck, ExitCodesFollowTheWorstFile) {
  TempFolder dir;
  const std::string complete = dir.write("ok.vq", kComplete).string();
  const std::string keys = kData + "/keys_form.vq";
  std::ostringstream out, err;
  EXPECT_EQ(runCheck({complete}, out, err), kOk);
  EXPECT_EQ(out.str(), complete + "\nVQ file is complete, one ore more cell contains '-' \n");

  out.str("");
  EXPECT_EQ(runCheck({complete, keys}, out, err), kIncomplete);
  EXPECT_NE(out.str().find(keys + "\nSUBJECT-Code is missing\n"), std::string::npos);
  EXPECT_EQ(out.str().find('\r'), std::string::npos);

  EXPECT_EQ(runCheck({keys, dir.file("missing.vq")}, out, err), kCannotRead);
  EXPECT_NE(err.str().find("cannot read " + dir.file("missing.vq")), std::string::npos);
}

TEST(CliConvert, WritesInTheAskedCodePageAndReportsIncompleteness) {
  TempFolder dir;
  std::ostringstream err;
  EXPECT_EQ(runConvert(kData + "/keys_form.vq", dir.file("keys.vq"), false, false, err), kOk);
  EXPECT_NE(err.str().find("keys_form.vq is not complete:\nSUBJECT-Code"), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(dir / "keys.vq"));  // written all the same

  err.str("");
  EXPECT_EQ(runConvert(kData + "/oem_full.vq", dir.file("ansi.vq"), false, false, err), kOk);
  EXPECT_EQ(err.str(), "");
  const std::string ansi = TempFolder::read(dir / "ansi.vq");
  EXPECT_NE(ansi.find("CHARSET=\"ANSI\";\r\n"), std::string::npos);
  EXPECT_NE(ansi.find("MATRIX=\"BE0101\xD6\""), std::string::npos);  // Ö in 1252

  EXPECT_EQ(runConvert(kData + "/oem_full.vq", dir.file("meta.vq"), true, true, err), kOk);
  const std::string meta = TempFolder::read(dir / "meta.vq");
  EXPECT_EQ(meta.find("CHARSET"), std::string::npos);
  EXPECT_NE(meta.find("MATRIX=\"BE0101\x99\""), std::string::npos);  // Ö in 850
  EXPECT_NE(meta.find("DATA=\r\n1 2.5 \"..\" 4\r\n"), std::string::npos);

  EXPECT_EQ(runConvert(dir.file("none.vq"), dir.file("x.vq"), false, false, err), kCannotRead);
  EXPECT_EQ(runConvert(kData + "/keys_form.vq", dir.file("no/folder/x.vq"), false, false, err),
            kCannotRead);
}

TEST(CliInfo, DescribesTheTableAsJson) {
  std::ostringstream out, err;
  ASSERT_EQ(runInfo(kData + "/oem_full.vq", true, out, err), kOk);
  json info = json::parse(out.str());
  EXPECT_EQ(info["stub"][0], json::parse(R"({"name": "Region", "valueCount": 3, "codes": true,
      "time": false, "values": [{"value": "Åre", "code": "2321"},
      {"value": "Östersund", "code": "2380"}, {"value": "Malmö", "code": "1280"}]})"));
  EXPECT_EQ(info["heading"][1]["time"], true);
  info.erase("stub");
  info.erase("heading");
  EXPECT_EQ(info, json::parse(R"({"file": ")" + kData + R"(/oem_full.vq", "matrix": "BE0101Ö",
      "contents": "Folkmängd", "title": "Folkmängd efter region, kön och år", "decimals": 1,
      "keysForm": false, "contVariable": "", "rows": 3, "columns": 4, "cells": 12,
      "cellNotes": 2})"));

  out.str("");
  ASSERT_EQ(runInfo(kData + "/keys_form.vq", false, out, err), kOk);
  const json keys = json::parse(out.str());
  EXPECT_EQ(keys["keysForm"], true);
  EXPECT_FALSE(keys["stub"][0].contains("values"));
  EXPECT_EQ(runInfo("/no/such/file.vq", false, out, err), kCannotRead);
}
