// The command-line companion: exit codes and output of check, convert and info.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/commands.h"

using namespace zendra::cli;
namespace fs = std::filesystem;

namespace {

const std::string kData = ZENDRA_TEST_DATA;

struct TempDir {
  fs::path path;
  TempDir() {
    char name[] = "/tmp/zendra-cli-XXXXXX";
    path = mkdtemp(name);
  }
  ~TempDir() { fs::remove_all(path); }
  std::string file(const char* name) const { return (path / name).string(); }
  std::string write(const char* name, const std::string& text) const {
    std::ofstream(path / name, std::ios::binary) << text;
    return file(name);
  }
};

const char* kComplete =
    "MATRIX=\"M\";SUBJECT-AREA=\"A\";SUBJECT-CODE=\"S\";CONTENTS=\"C\";UNITS=\"u\";"
    "STUB=\"r\";VALUES(\"r\")=\"a\",\"b\";DATA=1 -;";

}  // namespace

TEST(CliCheck, ExitCodesFollowTheWorstFile) {
  TempDir dir;
  const std::string complete = dir.write("ok.vq", kComplete);
  std::ostringstream out, err;
  EXPECT_EQ(runCheck({complete}, out, err), kOk);
  EXPECT_EQ(out.str(), complete + "\nVQ file is complete, one ore more cell contains '-' \n");

  out.str("");
  EXPECT_EQ(runCheck({complete, kData + "/keys_form.vq"}, out, err), kIncomplete);
  EXPECT_NE(out.str().find("SUBJECT-Code is missing\n"), std::string::npos);
  EXPECT_EQ(out.str().find('\r'), std::string::npos);

  out.str("");
  EXPECT_EQ(runCheck({kData + "/keys_form.vq", dir.file("missing.vq")}, out, err), kCannotRead);
  EXPECT_NE(err.str().find("cannot read " + dir.file("missing.vq")), std::string::npos);
}

TEST(CliConvert, WritesInTheAskedCodePageAndReportsIncompleteness) {
  TempDir dir;
  std::ostringstream err;
  EXPECT_EQ(runConvert(kData + "/keys_form.vq", dir.file("keys.vq"), false, false, err), kOk);
  EXPECT_NE(err.str().find("keys_form.vq is not complete:\nSUBJECT-Code"), std::string::npos);
  EXPECT_TRUE(fs::exists(dir.file("keys.vq")));  // written all the same

  err.str("");
  EXPECT_EQ(runConvert(kData + "/oem_full.vq", dir.file("ansi.vq"), false, false, err), kOk);
  EXPECT_EQ(err.str(), "");
  std::ifstream in(dir.file("ansi.vq"), std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  EXPECT_NE(bytes.str().find("CHARSET=\"ANSI\""), std::string::npos);
  EXPECT_NE(bytes.str().find("MATRIX=\"BE0101\xD6\""), std::string::npos);  // Ö in 1252

  err.str("");
  EXPECT_EQ(runConvert(kData + "/oem_full.vq", dir.file("meta.vq"), true, true, err), kOk);
  std::ifstream meta(dir.file("meta.vq"), std::ios::binary);
  std::stringstream metaBytes;
  metaBytes << meta.rdbuf();
  EXPECT_EQ(metaBytes.str().find("CHARSET"), std::string::npos);
  EXPECT_NE(metaBytes.str().find("DATA=\r\n1 2.5 \"..\" 4\r\n"), std::string::npos);

  EXPECT_EQ(runConvert(dir.file("none.vq"), dir.file("x.vq"), false, false, err), kCannotRead);
  EXPECT_EQ(runConvert(kData + "/keys_form.vq", dir.file("no/folder/x.vq"), false, false, err),
            kCannotRead);
}

TEST(CliInfo, DescribesTheTableAsJson) {
  std::ostringstream out, err;
  ASSERT_EQ(runInfo(kData + "/oem_full.vq", true, out, err), kOk);
  const auto info = nlohmann::json::parse(out.str());
  EXPECT_EQ(info["matrix"], "BE0101Ö");
  EXPECT_EQ(info["decimals"], 1);
  EXPECT_EQ(info["keysForm"], false);
  EXPECT_EQ(info["stub"][0]["name"], "Region");
  EXPECT_EQ(info["stub"][0]["valueCount"], 3);
  EXPECT_EQ(info["stub"][0]["codes"], true);
  EXPECT_EQ(info["stub"][0]["values"][2]["value"], "Malmö");
  EXPECT_EQ(info["stub"][0]["values"][2]["code"], "1280");
  EXPECT_EQ(info["heading"][1]["time"], true);
  EXPECT_EQ(info["rows"], 3);
  EXPECT_EQ(info["columns"], 4);
  EXPECT_EQ(info["cells"], 12);
  EXPECT_EQ(info["cellNotes"], 2);

  out.str("");
  ASSERT_EQ(runInfo(kData + "/keys_form.vq", false, out, err), kOk);
  const auto keys = nlohmann::json::parse(out.str());
  EXPECT_EQ(keys["keysForm"], true);
  EXPECT_FALSE(keys["stub"][0].contains("values"));
  EXPECT_EQ(runInfo("/no/such/file.vq", false, out, err), kCannotRead);
}
