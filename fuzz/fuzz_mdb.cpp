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
#include <vector>

#include "import/database/mdb_reader.h"

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
  if (::write(file, data, size) != static_cast<ssize_t>(size)) {
    ::close(file);
    return 0;
  }
  const std::string path = "/proc/self/fd/" + std::to_string(file);
  {
    zendra::mdbreader::WarningCounter warnings(2000);
    MdbHandle* mdb = mdb_open(path.c_str(), MDB_NOFLAGS);
    if (mdb) {
      if (mdb_read_catalog(mdb, MDB_ANY)) {
        mdb_set_boolean_fmt_numbers(mdb);
        std::vector<std::string> tables;
        for (MdbCatalogEntry* entry : zendra::mdbreader::catalogEntries(mdb)) {
          if (entry->object_type == MDB_TABLE) tables.emplace_back(entry->object_name);
        }
        zendra::mdbstream::Writer out(nowhere());
        try {
          zendra::mdbreader::writeCatalog(mdb, out, warnings);
        } catch (const zendra::mdbreader::ReaderError&) {
        }
        for (const std::string& table : tables) {
          try {
            zendra::mdbreader::writeRows(mdb, table.c_str(), out, warnings);
          } catch (const zendra::mdbreader::ReaderError&) {
          }
        }
      }
      mdb_close(mdb);
    }
  }
  ::close(file);
  return 0;
}
