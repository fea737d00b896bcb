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
  while (m == "hang") ::pause();
  while (m == "spam") std::fputs("mdb_col_to_string called on unsupported data type 0\n", stderr);
  std::vector<char*> kept;
  try {
    for (; m == "grow"; ::usleep(5000))
      kept.push_back(static_cast<char*>(std::memset(new char[8 << 20], 1, 8 << 20)));
  } catch (const std::bad_alloc&) {
    std::fputs("The file is damaged: the Access reader ran out of memory\n", stderr);
    return 1;
  }
  for (volatile unsigned long n = 0; m == "spin";) n = n + 1;
  return 2;
}
