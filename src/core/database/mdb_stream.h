#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace zendra::mdbstream {

// The stream the Access reader process writes to its parent: records of one tag byte and
// little-endian fields (u32 lengths before texts).
//
// Catalog ("catalog FILE"):
//   'T' name flags:u32 rows:u64 columns:u32 {name kind:u8}   a table, in catalog order
//   'Q' name flags:u32 sql                                   a query, in catalog order
//   'R' primaryTable primaryField foreignTable foreignField fieldCount:u32
//   'Z'                                                      the end
// Rows ("tables FILE NAME..."), for each table named:
//   'H' name columns:u32 {kind:u8}
//   'r' {value}            one row; a value is a kind tag and its data (none for Null)
//   'z' rows:u64           the end of the table's rows
// then 'Z'. Anything else, or a stream that ends early, is a damaged stream.
enum Kind : std::uint8_t { Null = 0, Text, Integer, Real, Date, Boolean, Other };

inline constexpr std::string_view kMagic = "ZMDB1\n";

// One value of a received row; a text points into the received bytes.
struct Value {
  Kind kind = Null;
  std::string_view text;     // Text, Date
  std::int64_t integer = 0;  // Integer; Boolean as 0 or 1
  double real = 0;           // Real
};

// Appends fields to a buffer that the writer flushes to a file descriptor.
class Writer {
 public:
  explicit Writer(int fd) : fd_(fd) { buffer_.reserve(kChunk + 1024); }
  ~Writer() { flush(); }
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;

  void tag(char t) { buffer_ += t; }
  void u8(std::uint8_t v) { buffer_ += static_cast<char>(v); }
  void u32(std::uint32_t v) { raw(&v, 4); }
  void u64(std::uint64_t v) { raw(&v, 8); }
  void f64(double v) { raw(&v, 8); }
  void text(std::string_view s) {
    u32(static_cast<std::uint32_t>(s.size()));
    buffer_.append(s);
    if (buffer_.size() >= kChunk) flush();
  }
  void endRecord() {
    if (buffer_.size() >= kChunk) flush();
  }
  // Writes everything buffered; false when the reader went away.
  bool flush();

 private:
  static constexpr std::size_t kChunk = 1 << 16;
  void raw(const void* data, std::size_t size) {
    buffer_.append(static_cast<const char*>(data),
                   size);  // the machines we build for are little-endian
  }
  int fd_;
  std::string buffer_;
};

// Reads fields from received bytes; every read fails (and stays failed) past the end.
class Cursor {
 public:
  Cursor(const char* data, std::size_t size) : p_(data), end_(data + size) {}
  bool ok() const { return ok_; }
  const char* position() const { return p_; }
  std::size_t left() const { return static_cast<std::size_t>(end_ - p_); }

  char tag() { return need(1) ? *p_++ : '\0'; }
  std::uint8_t u8() { return need(1) ? static_cast<std::uint8_t>(*p_++) : 0; }
  std::uint32_t u32() { return fixed<std::uint32_t>(); }
  std::uint64_t u64() { return fixed<std::uint64_t>(); }
  double f64() { return fixed<double>(); }
  std::string_view text() {
    const std::uint32_t size = u32();
    if (!need(size)) return {};
    const std::string_view s(p_, size);
    p_ += size;
    return s;
  }

 private:
  bool need(std::size_t n) {
    if (ok_ && left() >= n) return true;
    ok_ = false;
    return false;
  }
  template <typename T>
  T fixed() {
    T v{};
    if (!need(sizeof v)) return v;
    std::memcpy(&v, p_, sizeof v);
    p_ += sizeof v;
    return v;
  }
  const char* p_;
  const char* end_;
  bool ok_ = true;
};

}  // namespace zendra::mdbstream
