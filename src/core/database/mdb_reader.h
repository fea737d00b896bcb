#pragma once

// The Access reader's own code: reads an Access file with libmdb and writes its catalog or
// the rows of some tables as the stream of mdb_stream.h. zendra-mdb runs it in a process of
// its own (libmdb may crash or loop on a damaged file); the fuzz target runs it in-process.

// glib comes first: mdbtools.h includes it inside extern "C", where its C++ parts fail.
#include <glib.h>
#include <mdbtools.h>

#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/database/mdb_stream.h"

namespace zendra::mdbreader {

// A file the reader cannot go on with; its text goes to the parent as the reason.
class ReaderError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Counts what libmdb prints while it reads (warnings about damaged pages, rows and
// offsets): stdio's stdout and stderr are replaced by a stream that counts lines and keeps
// the first few of each section, so that they reach the parent as 'W' records instead of
// filling a pipe. Past `limit` lines in all the reader gives up: the file is damaged.
class WarningCounter {
 public:
  static constexpr std::size_t kKeptLines = 5;
  static constexpr std::size_t kLineLength = 200;

  explicit WarningCounter(std::uint64_t limit = 100000);
  ~WarningCounter();
  WarningCounter(const WarningCounter&) = delete;
  WarningCounter& operator=(const WarningCounter&) = delete;

  // Writes a 'W' record for the section that ends (source is the table read, empty for the
  // catalog) when libmdb printed anything since the last one.
  void endSection(std::string_view source, mdbstream::Writer& out);
  std::uint64_t total() const { return total_; }
  // In the reader process: end the process when libmdb prints twice the limit, which only
  // a loop inside one libmdb call does (the row loop stops at the limit itself).
  bool exitWhenRunaway = false;
  bool overLimit() const { return total_ > limit_; }

 private:
  static ssize_t write(void* self, const char* data, std::size_t size);
  void take(std::string_view text);

  std::uint64_t limit_;
  std::uint64_t total_ = 0;
  std::uint32_t count_ = 0;  // lines of the current section
  std::vector<std::string> lines_;
  std::string partial_;  // a line not ended yet
  FILE* stream_ = nullptr;
  FILE* savedOut_ = nullptr;
  FILE* savedErr_ = nullptr;
};

// The entries of the file's catalog that are there (a damaged catalog may count more).
std::vector<MdbCatalogEntry*> catalogEntries(MdbHandle* mdb);

// Writes the catalog: tables with their columns, select queries with their statements and
// relations, then 'Z'.
void writeCatalog(MdbHandle* mdb, mdbstream::Writer& out, WarningCounter& warnings);

// Writes the rows of the table called name. A table gives at most half as many rows as the
// file has bytes: a damaged page chain could otherwise hand out the same rows forever.
void writeRows(MdbHandle* mdb, const char* name, mdbstream::Writer& out, WarningCounter& warnings);

// Reads everything of the file at path that the program could ask for (the catalog, then
// every table's rows, each after a failed one too) into the stream out; the fuzz target and
// the regression test of its findings run the reader's code this way in-process.
void readAll(const char* path, mdbstream::Writer& out, WarningCounter& warnings);

}  // namespace zendra::mdbreader
