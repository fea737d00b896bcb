// Any bytes as clipboard text: the block read never crashes, its cells hold no tab or line
// feed, and written back in the clipboard's format it reads as the same block (a carriage
// return inside a cell becomes a blank on the way).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/grid/clipboard_block.h"

namespace {

void check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto block = zendra::ClipboardBlock::parse(text);
  check(block.empty() == text.empty());
  check(static_cast<std::size_t>(block.rows()) <= text.size());
  for (std::int32_t r = 0; r < block.rows(); ++r) {
    check(block.fields(r) >= 1 && block.fields(r) <= block.widest());
    for (std::int32_t c = 0; c < block.fields(r); ++c) {
      check(block.cell(r, c).find_first_of("\t\n") == std::string_view::npos);
    }
  }
  const std::string written = zendra::FormatClipboardBlock(
      block.rows(), block.widest(),
      [&](std::int32_t r, std::int32_t c, std::string& out) { out += block.cell(r, c); });
  const auto back = zendra::ClipboardBlock::parse(written);
  check(back.rows() == block.rows());
  for (std::int32_t r = 0; r < block.rows(); ++r) {
    for (std::int32_t c = 0; c < block.widest(); ++c) {
      std::string cell(block.cell(r, c));
      for (char& ch : cell) {
        if (ch == '\r') ch = ' ';
      }
      check(back.cell(r, c) == cell);
    }
  }
  return 0;
}
