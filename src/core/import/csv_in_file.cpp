#include "core/import/csv_in_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "core/base/file_io.h"
#include "core/encoding/codepage.h"

namespace zendra {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

std::string trimSpaces(std::string_view s) {
  const auto first = s.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return std::string(s.substr(first, s.find_last_not_of(' ') - first + 1));
}

bool isLineEnd(char c) {
  return c == '\r' || c == '\n';
}

// Reads up to n bytes, going on after interruptions; -1 (errno set) on failure.
ssize_t readSome(int fd, char* to, std::size_t n) {
  for (;;) {
    const ssize_t got = ::read(fd, to, n);
    if (got >= 0 || errno != EINTR) return got;
  }
}

}  // namespace

CSVFieldRef CSVFieldsColl::Add(CSVFieldRef field) {
  items_.push_back(field);
  return field;
}

CSVFieldRef CSVFieldsColl::Item(std::int32_t position) const {
  if (position < 1 || position > Count()) return nullptr;
  return items_[static_cast<std::size_t>(position - 1)];
}

bool CSVFieldsColl::Remove(std::int32_t position) {
  if (position < 1 || position > Count()) return false;
  items_.erase(items_.begin() + (position - 1));
  return true;
}

void CSVInFile::CSVAddField(std::string name, std::int16_t fieldtype) {
  auto field = std::make_shared<CSVField>();
  field->name = std::move(name);
  field->fieldtype = fieldtype;
  Fields.Add(std::move(field));
}

CSVInFile::Descriptor& CSVInFile::Descriptor::operator=(Descriptor&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

CSVInFile::Descriptor::~Descriptor() {
  if (fd_ >= 0) ::close(fd_);
}

bool CSVInFile::CSVOpen() {
  fromMemory_ = false;
  Delimiter = ";";
  QuotDelim = "\"";
  return load();
}

void CSVInFile::openBytes(std::string bytes) {
  fromMemory_ = true;
  Delimiter = ";";
  QuotDelim = "\"";
  file_ = Descriptor();
  buffer_ = std::move(bytes);
  bufferStart_ = 0;
  atEnd_ = true;
  size_ = buffer_.size();
  utf8_ = isValidUtf8(buffer_);
  begin_ = utf8_ && std::string_view(buffer_).starts_with(kBom) ? kBom.size() : 0;
  position_ = begin_;
  start();
}

void CSVInFile::CSVRewind() {
  if (!open_) return;
  if (fromMemory_) {
    position_ = begin_;
    start();
  } else {
    load();  // the file may have changed since it was opened
  }
}

bool CSVInFile::load() {
  buffer_.clear();
  const int fd = ::open(FileName.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    const int err = errno;
    CSVClose();
    fail(8, describeFileError("Cannot open", FileName, err));
    return false;
  }
  file_ = Descriptor(fd);
  struct stat info {};
  const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  size_ = regular ? static_cast<std::size_t>(info.st_size) : 0;
  if (!checkEncoding() || !toFirstLine()) {
    std::string text = std::move(ErrorText);
    CSVClose();
    fail(8, std::move(text));
    return false;
  }
  start();
  return true;
}

bool CSVInFile::checkEncoding() {
  const std::size_t chunk = std::max<std::size_t>(csvReadTuning.chunkBytes, 1);
  utf8_ = true;
  buffer_.clear();
  for (;;) {
    // buffer_ starts with the last sequence of the chunk before, which may go on here.
    const std::size_t kept = buffer_.size();
    buffer_.resize(kept + chunk);
    const ssize_t got = readSome(file_.get(), buffer_.data() + kept, chunk);
    if (got < 0) {
      fail(8, describeFileError("Cannot read", FileName, errno));
      return false;
    }
    const std::size_t have = kept + static_cast<std::size_t>(got);
    buffer_.resize(have);
    if (got == 0) {
      utf8_ = isValidUtf8(buffer_);
      break;
    }
    // Checked up to the last byte that starts a sequence within the last four: a sequence
    // cut by the chunk's end is checked whole with the next chunk.
    std::size_t cut = have;
    for (std::size_t i = have; i-- > 0 && have - i <= 4;) {
      if ((static_cast<unsigned char>(buffer_[i]) & 0xC0) != 0x80) {
        cut = i;
        break;
      }
    }
    if (!isValidUtf8(std::string_view(buffer_).substr(0, cut))) {
      utf8_ = false;  // the rest need not be read
      break;
    }
    buffer_.erase(0, cut);
  }
  buffer_.clear();
  return true;
}

bool CSVInFile::toFirstLine() {
  buffer_.clear();
  bufferStart_ = 0;
  position_ = 0;
  atEnd_ = false;
  if (::lseek(file_.get(), 0, SEEK_SET) < 0) {
    fail(8, describeFileError("Cannot read", FileName, errno));
    return false;
  }
  while (buffer_.size() < kBom.size() && !atEnd_) {
    if (!fill()) return false;
  }
  begin_ = utf8_ && std::string_view(buffer_).starts_with(kBom) ? kBom.size() : 0;
  position_ = begin_;
  lineNumber_ = 0;
  nextLine_ = 1;
  return true;
}

bool CSVInFile::fill() {
  // What was handed out goes first: the buffer holds the line being read and a chunk.
  buffer_.erase(0, position_);
  bufferStart_ += position_;
  position_ = 0;
  const std::size_t chunk = std::max<std::size_t>(csvReadTuning.chunkBytes, 1);
  const std::size_t have = buffer_.size();
  ssize_t got = -1;
  int err = EIO;
  if (bufferStart_ + have < csvReadTuning.failReadsFrom) {
    buffer_.resize(have + chunk);
    got = readSome(file_.get(), buffer_.data() + have, chunk);
    err = errno;
  }
  if (got < 0) {
    buffer_.clear();
    atEnd_ = true;
    fail(8, describeFileError("Cannot read", FileName, err));
    return false;
  }
  buffer_.resize(have + static_cast<std::size_t>(got));
  if (got == 0) atEnd_ = true;
  return true;
}

void CSVInFile::start() {
  cursor_ = 0;
  open_ = true;
  Eof = false;
  Error = 0;
  ErrorText.clear();
}

void CSVInFile::CSVClose() {
  open_ = false;
  Eof = true;
  file_ = Descriptor();
  buffer_.clear();
  buffer_.shrink_to_fit();
  bufferStart_ = 0;
  position_ = 0;
  atEnd_ = true;
}

void CSVInFile::fail(std::int16_t code, std::string text) {
  Error = code;
  ErrorText = std::move(text);
  Eof = true;
}

bool CSVInFile::readLine() {
  if (!open_) {
    fail(5, "Internal error, file not open");
    return false;
  }
  // The line end is known once the byte after a CR or LF is in the buffer (it may be the
  // second of a pair) or the file has no more.
  std::size_t scan = position_;
  std::size_t end = std::string::npos;
  for (;;) {
    end = buffer_.find_first_of("\r\n", scan);
    if (end != std::string::npos ? end + 1 < buffer_.size() || atEnd_ : atEnd_) break;
    const std::size_t dropped = position_;
    scan = (end == std::string::npos ? buffer_.size() : end) - dropped;
    if (!fill()) return false;
  }
  if (position_ >= buffer_.size()) {
    Eof = true;
    return false;
  }
  const std::string_view all = buffer_;
  const std::string_view line = all.substr(position_, std::min(end, all.size()) - position_);
  std::size_t next = all.size();
  if (end != std::string_view::npos) {
    // A second CR or LF right behind the first belongs to the same line end.
    next = end + 1;
    if (next < all.size() && isLineEnd(all[next])) ++next;
  }
  CurrentRecord = utf8_ ? std::string(line) : decode(line, CodePage::Ansi);
  // Lines as an editor numbers them: every LF ends one (an empty line between two is
  // part of this line end), and a line end of CRs only ends one.
  lineNumber_ = nextLine_;
  if (end != std::string_view::npos) {
    const std::string_view ending = all.substr(end, next - end);
    nextLine_ += std::max<std::int64_t>(1, std::count(ending.begin(), ending.end(), '\n'));
  }
  position_ = next;
  cursor_ = 0;
  return true;
}

bool CSVInFile::CSVGetLine() {
  return readLine();
}

std::string CSVInFile::splitField() {
  const std::string_view line = CurrentRecord;
  const std::size_t length = line.size();
  if (cursor_ >= length) return {};

  // The next separator from pos, or the line end when there is none.
  const auto separatorFrom = [&](std::size_t pos) {
    const auto sep = Delimiter.empty() ? std::string_view::npos : line.find(Delimiter, pos);
    return sep == std::string_view::npos ? length : sep;
  };
  // Past a separator; past the line when the field ran to the line end.
  const auto pastSeparator = [&](std::size_t sep) {
    return sep >= length ? length + 1 : sep + Delimiter.size();
  };
  const auto error = [&](std::int16_t code, const char* text) {
    fail(code, text);
    cursor_ = length + 1;
    return std::string();
  };

  const std::size_t sep = separatorFrom(cursor_);
  const auto quote = QuotDelim.empty() ? std::string_view::npos : line.find(QuotDelim, cursor_);
  if (quote == std::string_view::npos || quote >= sep) {
    std::string field = trimSpaces(line.substr(cursor_, sep - cursor_));
    cursor_ = pastSeparator(sep);
    return field;
  }

  // A quoted field: only spaces may stand before the opening and after the closing
  // text delimiter; the text between them is taken as it is.
  if (line.find_first_not_of(' ', cursor_) < quote) return error(2, "Syntax error");
  const std::size_t textStart = quote + QuotDelim.size();
  const auto close = line.find(QuotDelim, textStart);
  if (close == std::string_view::npos) return error(3, "Missing text delimiter");
  const std::size_t after = close + QuotDelim.size();
  const std::size_t nextSep = separatorFrom(after);
  if (line.find_first_not_of(' ', after) < nextSep) return error(4, "Syntax error");
  cursor_ = pastSeparator(nextSep);
  return std::string(line.substr(textStart, close - textStart));
}

std::int32_t CSVInFile::GetNumberOfFields() {
  cursor_ = 0;
  std::int32_t count = 0;
  while (cursor_ < CurrentRecord.size()) {
    splitField();
    if (Error != 0) return -1;
    ++count;
  }
  return count;
}

bool CSVInFile::CSVGet() {
  if (!readLine()) return false;
  cursor_ = 0;
  for (const CSVFieldRef& field : Fields) {
    std::string text = splitField();
    if (Error != 0) break;
    field->value = std::move(text);
  }
  if (Error != 0) {
    Eof = true;
    return false;
  }
  if (cursor_ < CurrentRecord.size()) {
    fail(7, "Too many fields");
    return false;
  }
  return true;
}

void CSVInFile::CSVAnalyse() {
  const bool read = readLine();
  // Back to the first line, which is still in the buffer unless it was longer than a chunk.
  if (open_ && bufferStart_ == 0) {
    position_ = begin_;
  } else if (open_ && !toFirstLine()) {
    return;
  }
  if (!read) return;

  // CR LF appended, so that every scan below meets a character that ends it.
  const std::string line = CurrentRecord + "\r\n";
  const auto single = line.find('\'');
  const auto dbl = line.find('"');
  QuotDelim =
      (single != std::string::npos && (dbl == std::string::npos || single < dbl)) ? "'" : "\"";
  const auto analysisError = [&](const char* text) {
    Error = 6;
    ErrorText = text;
  };

  const std::size_t first = line.find_first_not_of(' ');
  if (line[first] == QuotDelim[0]) {
    const auto close = line.find(QuotDelim[0], first + 1);
    if (close == std::string::npos) return analysisError("Missing string delimiter");
    const char next = line[line.find_first_not_of(' ', close + 1)];
    if (next != '\t' && next != ';' && next != ',') {
      return analysisError("String delimier not followed by separator");
    }
    Delimiter = std::string(1, next);
    return;
  }
  const std::size_t limit = std::min(line.size(), kAnalysisLimit);
  for (std::size_t i = first; i < limit; ++i) {
    const char c = line[i];
    if (c == '\t' || c == ';' || c == ',' || c == ' ') {
      Delimiter = std::string(1, c);
      return;
    }
  }
  analysisError("No delimiter found");
}

}  // namespace zendra
