#include "import/csv_in_file.h"

#include <algorithm>
#include <utility>

#include "encoding/codepage.h"
#include "base/file_io.h"

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
  bytes_ = std::move(bytes);
  start();
}

void CSVInFile::CSVRewind() {
  if (!open_) return;
  if (fromMemory_) {
    start();
  } else {
    load();  // the file may have changed since it was opened
  }
}

bool CSVInFile::load() {
  FileBytes file = readFileBytes(FileName);
  if (file.status != FileBytes::Status::Ok) {
    CSVClose();
    fail(8, std::move(file.error));
    return false;
  }
  bytes_ = std::move(file.bytes);
  start();
  return true;
}

void CSVInFile::start() {
  utf8_ = isValidUtf8(bytes_);
  begin_ = utf8_ && std::string_view(bytes_).starts_with(kBom) ? kBom.size() : 0;
  position_ = begin_;
  cursor_ = 0;
  open_ = true;
  Eof = false;
  Error = 0;
  ErrorText.clear();
}

void CSVInFile::CSVClose() {
  open_ = false;
  Eof = true;
  bytes_.clear();
  bytes_.shrink_to_fit();
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
  if (position_ >= bytes_.size()) {
    Eof = true;
    return false;
  }
  const std::string_view all = bytes_;
  const auto end = all.find_first_of("\r\n", position_);
  const std::string_view line = all.substr(position_, end - position_);
  std::size_t next = all.size();
  if (end != std::string_view::npos) {
    // A second CR or LF right behind the first belongs to the same line end.
    next = end + 1;
    if (next < all.size() && isLineEnd(all[next])) ++next;
  }
  CurrentRecord = utf8_ ? std::string(line) : decode(line, CodePage::Ansi);
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
  position_ = begin_;
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
