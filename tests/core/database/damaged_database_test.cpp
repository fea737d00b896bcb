// Damaged Access files and readers that misbehave: every run ends in bounded time, with
// the rows libmdb reads or a clear report that the file is damaged.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <regex>

#include "core/database/mdb_database.h"
#include "core/database/mdb_reader.h"
#include "core/model/prompt.h"
#include "support/database_rows.h"
#include "support/scoped_env.h"
#include "support/temp_folder.h"

namespace zendra {
namespace {

using test::ScopedEnv;
using test::TempFolder;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

const std::string kDatabases = ZENDRA_DATABASES;

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Opens an Access file with a reader allowed to stall 5 s (and these limits, where not 0)
// and counts the rows of each of its user tables in one statement, whose one row then
// holds the counts in the order of tables; ends within 30 s.
DbResult countTables(clsMDB& db, const std::string& path, int cpuSeconds, std::uint64_t memoryBytes,
                     std::vector<std::string>& tables) {
  const auto start = Clock::now();
  ReaderLimits limits = ReaderLimits::forFile(0);
  limits.stallSeconds = 5;
  if (cpuSeconds) limits.cpuSeconds = cpuSeconds;
  if (memoryBytes) limits.memoryBytes = memoryBytes;
  db.setDbName(path);
  db.setLimits(limits);
  DbResult result = db.OpenDB();
  std::string sql;
  for (const ListEntry& table : result ? db.ListBoxTables() : std::vector<ListEntry>{}) {
    tables.push_back(table.text);
    sql += (sql.empty() ? "SELECT " : ", ") + ("(SELECT COUNT(*) FROM " + bracketName(table.text)) +
           ")";
  }
  if (!sql.empty()) result = db.OpenRecordSet(sql);
  EXPECT_LT(secondsSince(start), 30.0);
  return result;
}

TEST(MisbehavingReader, IsStoppedWithinItsLimitsOrACancelAndSaysWhy) {
  ReaderLimits quick;
  quick.stallSeconds = 2;
  quick.memoryBytes = 256u << 20;
  ReaderLimits busy = quick;  // silent but busy: the processor limit comes first
  busy.stallSeconds = 30;
  busy.cpuSeconds = 1;
  const ScopedEnv reader("ZENDRA_MDB_READER", ZENDRA_MISBEHAVING_READER);
  // The last one says nothing: it is cancelled at once.
  for (const auto& [how, limits, says] : {std::tuple{"hang", quick, "delivered nothing for 2 s"},
                                          {"spam", quick, "KB of messages"},
                                          {"grow", quick, "memory"},
                                          {"spin", busy, "processor time"},
                                          {"hang", ReaderLimits{}, ""}}) {
    SCOPED_TRACE(std::string(how) + " " + says);
    const ScopedEnv mode("ZENDRA_FAKE_READER", how);
    clsMDB db;
    ScriptedPrompt cancelling;
    cancelling.cancelAfterBreaths = 3;
    db.setDbName(kDatabases + "/stats.mdb");
    db.setLimits(limits);
    if (!*says) db.setPrompt(&cancelling);
    const auto start = Clock::now();
    const DbResult opened = db.OpenDB();
    EXPECT_LT(secondsSince(start), *says ? 10.0 : 1.0);
    EXPECT_EQ(opened.cancelled, !*says);
    if (*says) {
      EXPECT_EQ(opened.error.rfind("The file is damaged", 0), 0u) << opened.error;
      EXPECT_NE(opened.error.find(says), std::string::npos) << opened.error;
    }
  }
}

// Rows of a table as mdb-export reads them with libmdb; -1 when it fails or runs on (it
// loops on some damaged files).
long libmdbRows(const std::string& file, const std::string& table) {
  const std::string command =
      "timeout 1 mdb-export -H -R '@@row-end@@' '" + file + "' '" + table + "' 2>/dev/null";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return -1;
  std::string out;
  char chunk[65536];
  for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) out.append(chunk, n);
  if (::pclose(pipe) != 0) return -1;
  long rows = 0;
  for (std::size_t at = 0; (at = out.find("@@row-end@@", at)) != std::string::npos; at += 11)
    ++rows;
  return rows;
}

// A damaged copy of a file: bytes overwritten, cut short, a page zeroed or bits flipped,
// past the first page (a file whose header is gone is not taken for an Access file).
std::string damaged(std::string out, int kind, std::mt19937& random) {
  auto at = [&] {
    return std::uniform_int_distribution<std::size_t>(4096, out.size() - 1)(random);
  };
  if (kind == 0) {
    for (int i = 0; i < 200; ++i) out[at()] = static_cast<char>(random());
  } else if (kind == 1) {
    out.resize(at());
  } else if (kind == 2) {
    const std::size_t page = at() / 4096 * 4096;
    std::fill(out.begin() + page, out.begin() + std::min(page + 4096, out.size()), '\0');
  } else {
    for (int i = 0; i < 40; ++i) out[at()] ^= static_cast<char>(1 << (random() % 8));
  }
  return out;
}

// A sanitizer report about the reader's own code (not about libmdb, whose crashes the
// process boundary contains), read from the log files the readers wrote.
std::string ownFaults(const fs::path& logs) {
  std::string found;
  const std::regex frame(R"(#\d+ 0x[0-9a-f]+ in (\S+) (\S+))");
  for (const auto& entry : fs::directory_iterator(logs)) {
    const std::string report = TempFolder::read(entry.path());
    if (report.find("runtime error") != std::string::npos) {
      found += report;
      continue;
    }
    for (std::sregex_iterator m(report.begin(), report.end(), frame), end; m != end; ++m) {
      const std::string where = (*m)[1].str() + " " + (*m)[2].str();
      if (where.find("asan") == std::string::npos &&
          where.find("interceptor") == std::string::npos) {
        if (where.find("/src/") != std::string::npos) found += report;
        break;
      }
    }
  }
  return found;
}

TEST(DamagedAccessFiles, EveryVariantEndsWithTheRowsLibmdbReadsOrADamagedReport) {
  TempFolder folder;
  const fs::path logs = folder / "logs";
  fs::create_directories(logs);
  const ScopedEnv asan("ASAN_OPTIONS", "detect_leaks=0:log_path=" + (logs / "asan").string());
  const ScopedEnv ubsan("UBSAN_OPTIONS",
                        "print_stacktrace=1:log_path=" + (logs / "ubsan").string());
  const std::pair<const char*, int> sources[] = {
      {"stats.mdb", 180}, {"systemonly.mdb", 24}, {"facts100k.mdb", 8}};
  std::mt19937 random(20261207);
  int refused = 0, withWarnings = 0, compared = 0;
  std::string report;
  for (const auto& [name, variants] : sources) {
    const std::string original = TempFolder::read(kDatabases + "/" + name);
    for (int v = 0; v < variants; ++v) {
      const std::string path =
          folder.write("v" + std::to_string(v) + name, damaged(original, v % 4, random)).string();
      SCOPED_TRACE(path);
      clsMDB db;
      std::vector<std::string> tables;
      const DbResult result = countTables(db, path, 25, 0, tables);
      if (!result) {
        ++refused;
        EXPECT_FALSE(result.error.empty());
        continue;
      }
      if (!db.ReadWarnings().empty() && withWarnings++ == 0)
        report = DamageReport(db.ReadWarnings());
      for (std::size_t t = 0; t < tables.size(); ++t) {
        // Tables libmdb cannot read to the end are not compared.
        const long expected = libmdbRows(path, tables[t]);
        if (expected < 0) continue;
        ++compared;
        EXPECT_EQ(db.Field(static_cast<std::int32_t>(t)).integer, expected) << tables[t];
      }
    }
  }
  EXPECT_GT(refused, 0);
  EXPECT_GT(compared, 500);
  EXPECT_EQ(report.rfind("the file may be damaged: ", 0), 0u) << report;
  EXPECT_EQ(ownFaults(logs), "");
}

TEST(DamagedAccessFiles, AStoredQueryThatWritesIsRefusedAndChangesNothing) {
  // The stored WHERE of PersonsSince2022 (UTF-16 in the file) becomes a second statement
  // of the same length.
  std::string bytes = TempFolder::read(kDatabases + "/stats.mdb");
  auto utf16 = [](std::string_view text) {
    std::string out;
    for (const char c : text) out += {c, '\0'};
    return out;
  };
  const std::size_t at = bytes.find(utf16(R"((((Persons.Year)>="2022")))"));
  ASSERT_NE(at, std::string::npos);
  const std::string hostile = utf16("1;DELETE FROM Persons     ");
  bytes.replace(at, hostile.size(), hostile);
  TempFolder folder;
  clsMDB db;
  db.setDbName(folder.write("hostile.mdb", bytes).string());
  ASSERT_TRUE(db.OpenDB());
  EXPECT_EQ(db.OpenRecordSet("SELECT COUNT(*) FROM [PersonsSince2022]").error,
            "The query PersonsSince2022 cannot run: Only one statement can run at a time");
  ASSERT_TRUE(db.OpenRecordSet("SELECT COUNT(*) FROM Persons"));
  EXPECT_EQ(test::rowsOf(db), std::vector<std::string>{"114"});
}

// The files of a folder of gzipped findings, unpacked into folder.
std::vector<std::string> unpacked(const std::string& from, const TempFolder& folder) {
  std::vector<std::string> files;
  for (const auto& entry : fs::directory_iterator(from)) {
    if (entry.path().extension() != ".gz") continue;
    files.push_back(folder.file(entry.path().stem().string()));
    const std::string command = "gzip -dc '" + entry.path().string() + "' > '" + files.back() + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
  }
  EXPECT_FALSE(files.empty()) << from;
  return files;
}

TEST(MdbReaderFindings, KeptFuzzInputsReadInProcessWithoutFault) {
  // Faults the fuzz target found in the reader's own code, run as the target runs them,
  // under the sanitizers of the test build.
  TempFolder folder;
  FILE* nowhere = std::fopen("/dev/null", "w");
  ASSERT_NE(nowhere, nullptr);
  for (const std::string& file : unpacked(ZENDRA_FUZZ_CORPUS, folder)) {
    SCOPED_TRACE(file);
    mdbreader::WarningCounter warnings(2000);
    mdbstream::Writer out(fileno(nowhere));
    mdbreader::readAll(file.c_str(), out, warnings);
  }
  std::fclose(nowhere);
}

TEST(DamagedAccessFiles, FindingsInsideLibmdbEndAsADamagedFileInBoundedTime) {
  // What the fuzz target found inside libmdb (a crash, memory without end, a loop): the
  // reader's process and its limits turn each into a report.
  TempFolder folder;
  for (const std::string& file : unpacked(ZENDRA_DAMAGED_DATABASES, folder)) {
    SCOPED_TRACE(file);
    clsMDB db;
    std::vector<std::string> tables;
    const DbResult result = countTables(db, file, 0, std::uint64_t{1} << 30, tables);
    EXPECT_TRUE(result || result.error.rfind("The file is damaged", 0) == 0) << result.error;
  }
}

}  // namespace
}  // namespace zendra
