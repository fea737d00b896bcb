#include "core/grid/clipboard_block.h"

#include <algorithm>

namespace zendra {

ClipboardBlock ClipboardBlock::parse(std::string_view text) {
  ClipboardBlock block;
  block.rowStart_.push_back(0);
  block.text_.reserve(text.size());
  std::size_t from = 0;
  // Each line feed ends a row; text after the last one is a row of its own.
  while (from < text.size()) {
    const std::size_t feed = text.find('\n', from);
    const std::size_t end = feed == std::string_view::npos ? text.size() : feed;
    std::string_view line = text.substr(from, end - from);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::int32_t cells = 0;
    for (std::size_t cellFrom = 0;;) {
      const std::size_t tab = line.find('\t', cellFrom);
      block.text_.append(tab == std::string_view::npos ? line.substr(cellFrom)
                                                       : line.substr(cellFrom, tab - cellFrom));
      block.ends_.push_back(block.text_.size());
      ++cells;
      if (tab == std::string_view::npos) break;
      cellFrom = tab + 1;
    }
    block.rowStart_.push_back(block.ends_.size());
    block.widest_ = std::max(block.widest_, cells);
    from = end + 1;
  }
  return block;
}

std::string_view ClipboardBlock::cell(std::int32_t row, std::int32_t col) const {
  if (row < 0 || col < 0 || row >= rows() || col >= fields(row)) return {};
  const std::size_t index =
      rowStart_[static_cast<std::size_t>(row)] + static_cast<std::size_t>(col);
  const std::size_t begin = index == 0 ? 0 : ends_[index - 1];
  return std::string_view(text_).substr(begin, ends_[index] - begin);
}

std::string FormatClipboardBlock(std::int32_t rows, std::int32_t cols, const CellTextSource& cell) {
  std::string out;
  for (std::int32_t r = 0; r < rows; ++r) {
    for (std::int32_t c = 0; c < cols; ++c) {
      if (c > 0) out += '\t';
      const std::size_t from = out.size();
      cell(r, c, out);
      for (std::size_t i = from; i < out.size(); ++i) {
        if (out[i] == '\t' || out[i] == '\n' || out[i] == '\r') out[i] = ' ';
      }
    }
    out += '\n';
  }
  return out;
}

std::string FormatClipboardBlock(const CellGrid& grid, const Block& block) {
  const Block b = grid.clip(block);
  if (b.empty()) return {};
  return FormatClipboardBlock(b.row2 - b.row1 + 1, b.col2 - b.col1 + 1,
                              [&](std::int32_t r, std::int32_t c, std::string& out) {
                                grid.appendText(b.row1 + r, b.col1 + c, out);
                              });
}

Block WriteClipboardBlock(CellGrid& grid, std::int32_t row, std::int32_t col,
                          const ClipboardBlock& block) {
  Block written{row, col, row - 1, col - 1};
  if (!grid.contains(row, col)) return written;
  for (std::int32_t r = 0; r < block.rows() && row + r <= grid.rowCount(); ++r) {
    const std::int32_t last = std::min(block.fields(r), grid.colCount() - col + 1);
    for (std::int32_t c = 0; c < last; ++c) grid.setText(row + r, col + c, block.cell(r, c));
    written.row2 = row + r;
    written.col2 = std::max(written.col2, col + last - 1);
  }
  return written;
}

}  // namespace zendra
