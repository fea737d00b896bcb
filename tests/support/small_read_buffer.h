#pragma once

#include <cstddef>

#include "core/import/csv_in_file.h"

namespace zendra::test {

// While it lives, text files are read through a buffer of the given size, and every read
// that starts at or past failReadsFrom fails.
class SmallBuffer {
 public:
  explicit SmallBuffer(std::size_t bytes, std::size_t failReadsFrom = static_cast<std::size_t>(-1))
      : saved_(csvReadTuning) {
    csvReadTuning.chunkBytes = bytes;
    csvReadTuning.failReadsFrom = failReadsFrom;
  }
  ~SmallBuffer() { csvReadTuning = saved_; }
  SmallBuffer(const SmallBuffer&) = delete;
  SmallBuffer& operator=(const SmallBuffer&) = delete;

 private:
  CSVReadTuning saved_;
};

}  // namespace zendra::test
