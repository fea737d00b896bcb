// Any bytes as an Access file, through the Access reader's own code (the catalog, then
// every table's rows) in-process: the reader never crashes, hangs or reads out of bounds
// on what libmdb hands it. Crashes inside libmdb itself are contained by the reader's
// process in the program; here they show as findings in libmdb's frames.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "core/database/mdb_reader.h"

namespace {

// The stream goes nowhere; only the reading matters.
int nowhere() {
  static const int fd = [] {
    FILE* null = std::fopen("/dev/null", "w");
    return null ? fileno(null) : -1;
  }();
  return fd;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const int file = ::memfd_create("fuzz.mdb", MFD_CLOEXEC);
  if (file < 0) return 0;
  if (::write(file, data, size) == static_cast<ssize_t>(size)) {
    zendra::mdbreader::WarningCounter warnings(2000);
    zendra::mdbstream::Writer out(nowhere());
    zendra::mdbreader::readAll(("/proc/self/fd/" + std::to_string(file)).c_str(), out, warnings);
  }
  ::close(file);
  return 0;
}
