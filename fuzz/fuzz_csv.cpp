// Any bytes as a delimited text file: the reader never crashes or loops, every line read
// advances through the file, and every text it hands out is valid UTF-8. The first two
// bytes choose the separator and the number of declared fields.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>

#include <unistd.h>

#include "core/encoding/codepage.h"
#include "core/import/csv_in_file.h"

namespace {

void check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  static constexpr const char* kSeparators[] = {";", ",", "\t", " ", "", "ab"};
  const std::string_view bytes(reinterpret_cast<const char*>(data + 2), size - 2);
  const auto separator = kSeparators[data[0] % 6];
  const int fields = data[1] % 5;

  zendra::CSVInFile csv;
  csv.openBytes(std::string(bytes));
  csv.CSVAnalyse();
  check(zendra::isValidUtf8(csv.Delimiter) && zendra::isValidUtf8(csv.QuotDelim));

  // The same bytes read from a file through a buffer of 1 to 8 bytes: the same lines and
  // the same analysis, wherever the chunks end.
  static const struct TempFile {
    std::string path = "/tmp/zendra-fuzz-csv-" + std::to_string(::getpid()) + ".txt";
    ~TempFile() { std::remove(path.c_str()); }
  } temp;
  const std::string& path = temp.path;
  std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
  zendra::csvReadTuning.chunkBytes = 1 + data[0] % 8;
  zendra::CSVInFile file;
  file.FileName = path;
  check(file.CSVOpen());
  file.CSVAnalyse();
  check(file.Delimiter == csv.Delimiter && file.QuotDelim == csv.QuotDelim &&
        file.Error == csv.Error);
  file.CSVRewind();
  csv.CSVRewind();
  for (;;) {
    const bool more = csv.CSVGetLine();
    check(file.CSVGetLine() == more);
    if (!more) break;
    check(file.CurrentRecord == csv.CurrentRecord && file.bytesRead() == csv.bytesRead());
  }
  check(file.Error == 0 && file.bytesRead() == file.byteCount());
  csv.CSVRewind();
  csv.CSVAnalyse();

  std::size_t lines = 0;
  while (csv.CSVGetLine()) {
    check(++lines <= bytes.size());
    check(zendra::isValidUtf8(csv.CurrentRecord));
    const auto count = csv.GetNumberOfFields();
    check(count == -1 ||
          (count >= 0 && static_cast<std::size_t>(count) <= csv.CurrentRecord.size()));
  }

  csv.CSVRewind();
  csv.Delimiter = separator;
  for (int i = 0; i < fields; ++i) csv.CSVAddField("f", 1);
  lines = 0;
  while (!csv.Eof && csv.CSVGet()) {
    check(++lines <= bytes.size());
    for (const auto& field : csv.Fields) check(zendra::isValidUtf8(field->value.value_or("")));
  }
  csv.CSVClose();
  check(!csv.CSVGetLine() && csv.Error == 5);
  return 0;
}
