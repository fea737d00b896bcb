#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/database/any_database.h"

namespace zendra {

class Prompt;

// What one run of the Access reader may use before the file is taken for damaged.
struct ReaderLimits {
  std::uint64_t memoryBytes = std::uint64_t{1} << 30;  // resident, and address space
  int cpuSeconds = 60;                                  // processor time of one request
  int stallSeconds = 10;                 // longest time without a record delivered
  std::uint64_t messageBytes = 1 << 20;  // the most its standard error may carry

  // A quarter of physical memory and at least 1 GB; a minute of processor time and a
  // second more for every 4 MB of the file.
  static ReaderLimits forFile(std::uint64_t fileBytes);
};

// The reader program: $ZENDRA_MDB_READER, else zendra-mdb beside the running program,
// in ../libexec/zendra from it, in the installed libexec folder or in the build tree.
std::string mdbReaderPath();

// The failure of a stream that is not what the reader writes.
DbResult damagedStream();

// Runs the reader program with args and hands what it writes to consume, which takes the
// complete records from the front of the buffer (false: the stream is damaged, the reader
// is stopped). The reader runs within limits: its address space and processor time are
// capped, and it is stopped when it delivers nothing for limits.stallSeconds, grows past
// the memory limit or floods its messages. Progress is what it delivers, never what it
// complains about. The prompt (may be null) breathes meanwhile and may cancel; the reader
// is then killed at once. A limit reached, a crash or a failing exit is a failure whose
// text says what was reached.
DbResult runReader(const std::vector<std::string>& args, const ReaderLimits& limits,
                   Prompt* prompt, const std::function<bool(std::string& buffer)>& consume);

}  // namespace zendra
