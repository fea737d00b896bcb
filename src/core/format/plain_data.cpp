#include "core/format/plain_data.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <charconv>
#include <cmath>
#include <cstring>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "core/model/numeric_text.h"

namespace zendra {
namespace {

// What each byte is in a plain DATA section: a separator between elements, a character of
// an element, or anything else (quotes, letters, other bytes), which makes it not plain.
enum : std::uint8_t { kSeparator = 0, kElement = 1, kOther = 2 };
constexpr std::array<std::uint8_t, 256> kClass = [] {
  std::array<std::uint8_t, 256> c{};
  c.fill(kOther);
  for (const char s : {' ', '\t', ',', '\r', '\n'}) c[static_cast<unsigned char>(s)] = kSeparator;
  for (char d = '0'; d <= '9'; ++d) c[static_cast<unsigned char>(d)] = kElement;
  for (const char e : {'.', '+', '-', 'e', 'E'}) c[static_cast<unsigned char>(e)] = kElement;
  return c;
}();

std::uint8_t classOf(char c) {
  return kClass[static_cast<unsigned char>(c)];
}

// The text is cut into pieces of about this size; each thread takes one piece at a time.
constexpr std::size_t kPieceBytes = std::size_t{1} << 18;

// Counts the elements that start in [begin, end); false when a byte there is not plain.
// Written without a table look-up or a carried state, so that the compiler can do many
// bytes at once.
bool countElements(std::string_view text, std::size_t begin, std::size_t end, std::int64_t& count) {
  auto element = [](unsigned char c) {
    return (c >= '0' && c <= '9') | (c == '.') | (c == '+') | (c == '-') | (c == 'e') | (c == 'E');
  };
  auto separator = [](unsigned char c) {
    return (c == ' ') | (c == '\t') | (c == ',') | (c == '\r') | (c == '\n');
  };
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  std::int64_t n = 0;
  unsigned other = 0;
  std::size_t i = begin;
  if (i == 0 && i < end) {
    n += element(bytes[0]);
    other |= !(element(bytes[0]) | separator(bytes[0]));
    ++i;
  }
  for (; i < end; ++i) {
    const unsigned char c = bytes[i];
    const bool isElement = element(c);
    n += isElement & separator(bytes[i - 1]);
    other |= !(isElement | separator(c));
  }
  count = n;
  return other == 0;
}

// The number an element is, as parseNumeric reads it with ".", or false for a text. The
// usual form ("-", digits, one ".") with at most 15 digits is m / 10^d of two exact doubles,
// which IEEE division rounds exactly as from_chars rounds the decimal; longer ones go to
// from_chars, any other form to parseNumeric.
bool numberOf(std::string_view element, double& value) {
  static constexpr double kPow10[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                      1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  const char* p = element.data();
  const char* const end = p + element.size();
  const bool negative = p < end && *p == '-';
  if (negative) ++p;
  std::uint64_t mantissa = 0;
  int digits = 0, decimals = 0;
  bool dot = false;
  for (; p < end; ++p) {
    if (*p >= '0' && *p <= '9') {
      mantissa = mantissa * 10 + static_cast<std::uint64_t>(*p - '0');
      ++digits;
      decimals += dot;
    } else if (*p == '.' && !dot) {
      dot = true;
    } else {
      return parseNumeric(element, ".", value);
    }
  }
  if (digits == 0) return false;  // "-", ".", "-." are texts
  if (digits <= 15) {
    const double magnitude = static_cast<double>(mantissa) / kPow10[decimals];
    value = negative ? -magnitude : magnitude;
    return true;
  }
  double read = 0;
  const auto [stop, ec] = std::from_chars(element.data(), end, read);
  if (stop != end || ec != std::errc() || !std::isfinite(read)) return false;
  value = read;
  return true;
}

struct Piece {
  std::int64_t first = 0;  // the index of its first element among all
  // Its text elements, by index: placed on one thread, after the numbers.
  std::vector<std::pair<std::int64_t, std::string_view>> texts;
};

// Stores the elements that start in piece p into the grid's number cells and p's texts.
void fillPiece(std::string_view text, std::size_t p, Piece& piece, CellGrid& grid,
               const DataCells& area, std::int64_t cells) {
  std::size_t i = p * kPieceBytes;
  const std::size_t end = std::min(text.size(), i + kPieceBytes);
  // An element that began in the piece before is that piece's.
  if (i > 0) {
    while (i < end && classOf(text[i - 1]) == kElement && classOf(text[i]) == kElement) ++i;
  }
  std::int64_t index = piece.first;
  if (index >= cells) return;
  std::int32_t row = area.row1 + static_cast<std::int32_t>(index / area.cols);
  std::int32_t col = area.col1 + static_cast<std::int32_t>(index % area.cols);
  const std::int32_t lastCol = area.col1 + area.cols - 1;
  while (i < end) {
    if (classOf(text[i]) == kSeparator) {
      ++i;
      continue;
    }
    std::size_t j = i + 1;
    while (j < text.size() && classOf(text[j]) == kElement) ++j;
    const std::string_view element = text.substr(i, j - i);
    double value = 0;
    if (numberOf(element, value)) {
      grid.setNumber(row, col, value, area.decimals);
    } else {
      piece.texts.emplace_back(index, element);
    }
    if (++index >= cells) return;
    if (++col > lastCol) {
      col = area.col1;
      ++row;
    }
    i = j;
  }
}

// Runs work(piece) for every piece on up to `threads` threads, this one included; between
// its own pieces this thread calls between(pieces done so far), which returns false to stop
// the rest. An exception of any piece stops the rest and is thrown here.
template <typename Work, typename Between>
bool forEachPiece(std::size_t pieces, std::size_t threads, Work&& work, Between&& between) {
  std::atomic<std::size_t> next{0};
  std::atomic<std::size_t> done{0};
  std::atomic<bool> stop{false};
  std::exception_ptr failure;
  std::mutex failureMutex;
  auto run = [&](bool main) {
    for (;;) {
      if (stop.load(std::memory_order_relaxed)) return;
      const std::size_t p = next.fetch_add(1);
      if (p >= pieces) return;
      try {
        work(p);
      } catch (...) {
        std::lock_guard lock(failureMutex);
        if (!failure) failure = std::current_exception();
        stop = true;
        return;
      }
      const std::size_t finished = done.fetch_add(1) + 1;
      if (main && !between(finished)) stop = true;
    }
  };
  std::vector<std::thread> helpers;
  try {
    for (std::size_t t = 1; t < threads; ++t) helpers.emplace_back(run, false);
  } catch (...) {
    // No thread to be had: this one takes every piece left.
  }
  run(true);
  for (auto& helper : helpers) helper.join();
  if (failure) std::rethrow_exception(failure);
  return !stop;
}

}  // namespace

PlainDataResult ReadPlainData(std::string_view text, CellGrid& grid, const DataCells& area,
                              Prompt& prompt, std::int64_t offset, std::int64_t fileSize,
                              std::int64_t& surplus) {
  if (area.rows < 1 || area.cols < 1) return PlainDataResult::NotPlain;
  // The section ends at its first ";": no quotes are allowed before it to hide one.
  if (const void* semicolon = std::memchr(text.data(), ';', text.size())) {
    text =
        text.substr(0, static_cast<std::size_t>(static_cast<const char*>(semicolon) - text.data()));
  }
  const std::size_t pieces = (text.size() + kPieceBytes - 1) / kPieceBytes;
  const std::size_t threads = std::min<std::size_t>(
      pieces, std::clamp<unsigned>(std::thread::hardware_concurrency(), 1, 8));

  // First every piece counts its elements, so that each knows the cell it starts at.
  std::vector<Piece> parts(pieces);
  std::vector<std::int64_t> counts(pieces, 0);
  std::atomic<bool> plain{true};
  forEachPiece(
      pieces, threads,
      [&](std::size_t p) {
        const std::size_t begin = p * kPieceBytes;
        if (!countElements(text, begin, std::min(text.size(), begin + kPieceBytes), counts[p])) {
          plain = false;
        }
      },
      [&](std::size_t) { return plain.load(); });
  if (!plain) return PlainDataResult::NotPlain;
  std::int64_t elements = 0;
  for (std::size_t p = 0; p < pieces; ++p) {
    parts[p].first = elements;
    elements += counts[p];
  }
  const std::int64_t cells = static_cast<std::int64_t>(area.rows) * area.cols;

  // Then the pieces fill their cells; the user may cancel before and after each piece this
  // thread fills.
  prompt.breathe();
  if (prompt.cancelled()) return PlainDataResult::Cancelled;
  const bool finished = forEachPiece(
      pieces, threads, [&](std::size_t p) { fillPiece(text, p, parts[p], grid, area, cells); },
      [&](std::size_t done) {
        prompt.progress(
            offset + static_cast<std::int64_t>(std::min(text.size(), done * kPieceBytes)),
            fileSize);
        prompt.breathe();
        return !prompt.cancelled();
      });
  if (!finished) return PlainDataResult::Cancelled;
  for (const Piece& part : parts) {
    for (const auto& [index, element] : part.texts) {
      grid.setText(area.row1 + static_cast<std::int32_t>(index / area.cols),
                   area.col1 + static_cast<std::int32_t>(index % area.cols), element);
    }
  }
  surplus = std::max<std::int64_t>(0, elements - cells);
  return PlainDataResult::Loaded;
}

}  // namespace zendra
