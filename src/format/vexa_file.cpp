#include "format/vexa_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "encoding/utf8.h"
#include "model/prompt.h"

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

VexaFile::~VexaFile() {
  unmap();
}

void VexaFile::unmap() {
  if (mapping_) munmap(mapping_, mappingSize_);
  mapping_ = nullptr;
  mappingSize_ = 0;
}

bool VexaFile::OpenFile(const std::string& fileName) {
  unmap();
  owned_.clear();
  text_ = {};
  bool ok = false;
  const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat st {};
  if (fd >= 0 && fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    const auto size = static_cast<std::size_t>(st.st_size);
    if (size == 0) {
      ok = true;
    } else {
      void* p = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
      if (p != MAP_FAILED) {
        madvise(p, size, MADV_SEQUENTIAL);
        mapping_ = p;
        mappingSize_ = size;
        text_ = std::string_view(static_cast<const char*>(p), size);
        ok = true;
      }
    }
  }
  if (fd >= 0) ::close(fd);
  if (!ok) {
    // A file that cannot be read reports the end of the text at once.
    start();
    Eof = true;
    return false;
  }
  ansi_ = declaresAnsi(text_);
  start();
  return true;
}

void VexaFile::OpenText(std::string bytes) {
  unmap();
  owned_ = std::move(bytes);
  text_ = owned_;
  ansi_ = declaresAnsi(text_);
  start();
}

void VexaFile::releaseConsumed() {
  static const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  constexpr std::size_t kChunk = 8u << 20;
  if (!mapping_ || pos_ < released_ + kChunk) return;
  const std::size_t upTo = (pos_ - 4096) / page * page;  // keep the current element's page
  if (upTo <= released_) return;
  madvise(static_cast<char*>(mapping_) + released_, upTo - released_, MADV_DONTNEED);
  released_ = upTo;
}

void VexaFile::start() {
  pos_ = 0;
  released_ = 0;
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
               (c == '\r' && LFCRisDelimiter)) {
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

  releaseConsumed();
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
