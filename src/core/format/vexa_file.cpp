#include "core/format/vexa_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/base/file_io.h"
#include "core/encoding/utf8.h"
#include "core/model/prompt.h"

namespace zendra {
bool declaresAnsi(std::string_view bytes) {
  // Every "=" is a candidate: CHARSET before it, "ANSI" in quotes after it.
  static constexpr std::string_view kKey = "CHARSET";
  static constexpr std::string_view kValue = "\"ANSI\"";
  const char* const base = bytes.data();
  const char* const end = base + bytes.size();
  for (const char* p = base; p < end;) {
    const void* hit = std::memchr(p, '=', static_cast<std::size_t>(end - p));
    if (!hit) return false;
    const char* eq = static_cast<const char*>(hit);
    p = eq + 1;
    if (eq - base < static_cast<std::ptrdiff_t>(kKey.size())) continue;
    if (end - p < static_cast<std::ptrdiff_t>(kValue.size())) return false;
    bool match = true;
    for (std::size_t k = 0; k < kKey.size() && match; ++k) {
      match = asciiUpper(eq[-static_cast<std::ptrdiff_t>(kKey.size() - k)]) == kKey[k];
    }
    for (std::size_t k = 0; k < kValue.size() && match; ++k) match = asciiUpper(p[k]) == kValue[k];
    if (match) return true;
  }
  return false;
}

namespace {

// Reads a whole plain file into out with read(2). The file is read once into memory the
// reader owns, so a file that another program shortens while it is read gives the bytes
// read up to the end then found, never a fault: the text cannot change under the
// tokenizer. A FIFO or a folder is refused without waiting for a writer. On failure,
// error says why, with the system's reason.
bool readWholeFile(const std::string& fileName, std::string& out, std::string& error) {
  out.clear();
  const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    error = describeFileError("Cannot read", fileName, errno);
    return false;
  }
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  if (!ok) {
    error = S_ISDIR(st.st_mode) ? describeFileError("Cannot read", fileName, EISDIR)
                                : "Cannot read " + fileName + ": it is not a regular file";
  } else {
    // One byte more than the size, so that the read that meets the end needs no growth.
    out.resize(static_cast<std::size_t>(st.st_size) + 1);
    std::size_t got = 0;
    for (;;) {
      if (got == out.size()) out.resize(out.size() * 2);  // the file grew meanwhile
      const ssize_t n = ::read(fd, out.data() + got, out.size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        ok = n == 0;
        if (!ok) error = describeFileError("Cannot read", fileName, errno);
        break;
      }
      got += static_cast<std::size_t>(n);
    }
    out.resize(ok ? got : 0);
  }
  ::close(fd);
  return ok;
}

}  // namespace

bool VexaFile::OpenFile(const std::string& fileName) {
  openError_.clear();
  const bool ok = readWholeFile(fileName, owned_, openError_);
  text_ = owned_;
  ansi_ = ok && declaresAnsi(text_);
  start();
  // A file that cannot be read reports the end of the text at once.
  if (!ok) Eof = true;
  return ok;
}

void VexaFile::OpenText(std::string bytes) {
  owned_ = std::move(bytes);
  text_ = owned_;
  ansi_ = declaresAnsi(text_);
  start();
}

void VexaFile::start() {
  pos_ = 0;
  Token.clear();
  EndChar = 0;
  Eof = false;
  dataEnded_ = false;
  DataToken = {};
  // Progress goes out about 256 times over the file, and at least every 64 KiB read.
  reportStep_ = std::max<std::size_t>(text_.size() / 256, 65536);
  nextReport_ = 0;
}

void VexaFile::reportProgress() {
  if (!prompt_ || pos_ < nextReport_) return;
  prompt_->progress(static_cast<std::int64_t>(pos_), static_cast<std::int64_t>(text_.size()));
  nextReport_ = pos_ + reportStep_;
}

const std::string& VexaFile::GetToken(bool hashIsLineBreak) {
  Token.clear();
  EndChar = 0;
  const std::size_t len = text_.size();
  if (pos_ >= len) {
    Eof = true;
    return Token;
  }
  while (text_[pos_] == ' ' && pos_ + 1 < len) ++pos_;

  std::string& t = scratch_;
  t.clear();
  bool quoted = false;
  char c = 0;
  for (;;) {
    c = text_[pos_];
    if (quoted) {
      if (c == '"') {
        quoted = false;
      } else if (c == '#') {
        t += hashIsLineBreak ? "\r\n" : "#";
      } else {
        t += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ';' || c == '=' || c == '(' || c == ')' || c == ',' || c == '\t' || c == ' ' ||
               ((c == '\r' || c == '\n') && LFCRisDelimiter)) {
      break;
    } else if (c != '\n' && c != '\r') {
      t += c;
    }
    if (pos_ + 1 >= len) {
      c = 0;
      Eof = true;
      break;
    }
    ++pos_;
  }
  EndChar = c;
  reportProgress();
  ++pos_;
  if (EndChar == ')' && pos_ < len && text_[pos_] == '=') ++pos_;
  Token = isAscii(t) ? t : decode(t, codePage());
  return Token;
}

std::string_view VexaFile::GetDataAsString() const {
  if (pos_ >= text_.size()) return {};
  return text_.substr(pos_);
}

std::int64_t VexaFile::LenDataAsString() const {
  return pos_ >= text_.size() ? 0 : static_cast<std::int64_t>(text_.size() - pos_);
}

void VexaFile::PrepareData(std::string decimalSeparator) {
  decimalSeparator_ = decimalSeparator.empty() ? "." : std::move(decimalSeparator);
}

void VexaFile::GetDataEl() {
  const std::size_t len = text_.size();
  if (dataEnded_ || pos_ >= len) {
    Eof = true;
    return;
  }
  while (pos_ < len && (text_[pos_] == ',' || static_cast<unsigned char>(text_[pos_]) <= ' ')) {
    ++pos_;
  }
  if (pos_ >= len || text_[pos_] == ';') {
    Eof = true;
    return;
  }

  std::size_t first = std::string::npos, last = 0;
  bool quoted = false;
  bool firstQuoted = false;
  bool unquotedDot = false;
  auto keep = [&](std::size_t at) {
    if (first == std::string::npos) {
      first = at;
      firstQuoted = quoted;
    }
    last = at;
  };
  for (;;) {
    const char c = text_[pos_];
    if (quoted) {
      if (c == '"') {
        quoted = false;
      } else {
        keep(pos_);
      }
    } else if (static_cast<unsigned char>(c) >= '0') {
      if (c == ';') {
        // The ";" that ends an element also ends the DATA section.
        dataEnded_ = true;
        break;
      }
      keep(pos_);
    } else if (c == '"') {
      quoted = true;
    } else if (c == '\t' || c == ' ' || c == ',' || c == '\r' || c == '\n') {
      break;
    } else {
      if (c == '.') unquotedDot = true;
      keep(pos_);
    }
    // An element that runs into the end of the file is kept; the next call reports
    // the end.
    if (pos_ + 1 >= len) break;
    ++pos_;
  }
  reportProgress();
  ++pos_;

  if (first == std::string::npos) {
    DataToken = {};
    return;
  }
  DataToken = text_.substr(first, last - first + 1);
  if (!unquotedDot || decimalSeparator_ == ".") return;
  // Put the decimal separator in place of every "." that stood outside quotes.
  scratch_.clear();
  bool inQuotes = firstQuoted;
  for (const char c : DataToken) {
    if (c == '"') {
      inQuotes = !inQuotes;
      scratch_ += c;
    } else if (c == '.' && !inQuotes) {
      scratch_ += decimalSeparator_;
    } else {
      scratch_ += c;
    }
  }
  DataToken = scratch_;
}

}  // namespace zendra
