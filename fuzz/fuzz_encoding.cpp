// Any bytes: decoding never fails, decoded text encodes back to the same bytes, and
// case folding and encoding never read out of bounds on broken UTF-8.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/encoding/codepage.h"
#include "core/model/text_compare.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  for (auto page : {zendra::CodePage::Ansi, zendra::CodePage::Oem}) {
    const auto text = zendra::decode(bytes, page);
    const auto back = zendra::encode(text, page);
    if (back.lossy || back.bytes != bytes) std::abort();
  }
  (void)zendra::encode(bytes, zendra::CodePage::Ansi);
  (void)zendra::foldCase(bytes);
  (void)zendra::decodeUtf8OrAnsi(bytes);
  return 0;
}
