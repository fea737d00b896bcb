// A stand-in for the Access reader that misbehaves as a reader caught by a damaged file
// does, chosen by $ZENDRA_FAKE_READER: "hang" (silent for ever), "spam" (warnings without
// end), "grow" (takes memory without end) or "spin" (processor time without output).
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string_view>
#include <vector>

int main() {
  const char* mode = std::getenv("ZENDRA_FAKE_READER");
  const std::string_view m = mode ? mode : "";
  if (m == "hang") {
    for (;;) ::pause();
  }
  if (m == "spam") {
    for (;;) std::fputs("mdb_col_to_string called on unsupported data type 0\n", stderr);
  }
  if (m == "grow") {
    std::vector<char*> kept;
    try {
      for (;;) {
        char* block = new char[8 << 20];
        std::memset(block, 1, 8 << 20);
        kept.push_back(block);
        ::usleep(5000);
      }
    } catch (const std::bad_alloc&) {
      std::fputs("The file is damaged: the Access reader ran out of memory\n", stderr);
      return 1;
    }
  }
  if (m == "spin") {
    volatile unsigned long n = 0;
    for (;;) n = n + 1;
  }
  return 2;
}
