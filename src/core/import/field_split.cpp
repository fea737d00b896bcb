#include "core/import/field_split.h"

#include <cstddef>

#include "core/encoding/utf8.h"
#include "core/import/csv_in_file.h"

namespace zendra {
namespace {

constexpr std::int32_t kMaxWidth = 9999;

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string trimmed(std::string_view text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && isBlank(text[first])) ++first;
  while (last > first && isBlank(text[last - 1])) --last;
  return std::string(text.substr(first, last - first));
}

// The byte offset of the character at 0-based character index, or the text's size when
// the text is shorter. Bytes that are not UTF-8 count as one character each.
std::size_t byteOffset(std::string_view text, std::size_t characters) {
  std::size_t at = 0;
  for (; characters > 0 && at < text.size(); --characters) {
    char32_t c = 0;
    const std::size_t length = nextUtf8Char(text, at, c);
    at += length == 0 ? 1 : length;
  }
  return at;
}

std::vector<std::string> splitFixed(std::string_view line, const std::vector<FixedField>& fields) {
  std::vector<std::string> out;
  out.reserve(fields.size());
  for (const FixedField& field : fields) {
    if (field.start < 1 || field.width < 1) {
      out.emplace_back();
      continue;
    }
    const std::size_t begin = byteOffset(line, static_cast<std::size_t>(field.start - 1));
    const std::string_view rest = line.substr(begin);
    out.push_back(trimmed(rest.substr(0, byteOffset(rest, static_cast<std::size_t>(field.width)))));
  }
  return out;
}

// The reader's own splitting, so that what the user sees is what an import reads.
std::vector<std::string> splitDelimited(std::string_view line, const TextFileFormat& format,
                                        std::string* error) {
  CSVInFile reader;
  reader.openBytes(std::string(line));
  reader.Delimiter = format.separator;
  reader.QuotDelim = format.textDelimiter;
  if (!reader.CSVGetLine()) return {};
  const std::int32_t count = reader.GetNumberOfFields();
  if (count > 0) {
    reader.CSVRewind();
    for (std::int32_t i = 0; i < count; ++i) reader.CSVAddField({}, 0);
    if (reader.CSVGet()) {
      std::vector<std::string> out;
      out.reserve(static_cast<std::size_t>(count));
      for (const CSVFieldRef& field : reader.Fields) out.push_back(field->value.value_or(""));
      return out;
    }
  }
  if (error && reader.Error != 0) *error = reader.ErrorText;
  return {};
}

}  // namespace

std::vector<std::string> splitFields(std::string_view line, const TextFileFormat& format,
                                     std::string* error) {
  if (error) error->clear();
  if (format.layout.kind == FieldLayout::Kind::Fixed) return splitFixed(line, format.layout.fixed);
  return splitDelimited(line, format, error);
}

std::vector<FixedField> fixedFieldsFromWidths(std::string_view text, std::string& error) {
  error.clear();
  std::vector<FixedField> fields;
  std::int32_t start = 1;
  std::size_t at = 0;
  while (at < text.size()) {
    const char c = text[at];
    if (c == ',' || c == ';' || isBlank(c)) {
      ++at;
      continue;
    }
    std::size_t end = at;
    while (end < text.size() && text[end] != ',' && text[end] != ';' && !isBlank(text[end])) {
      ++end;
    }
    const std::string_view word = text.substr(at, end - at);
    std::int32_t width = 0;
    bool digits = word.size() <= 4;
    for (const char d : word) {
      if (d < '0' || d > '9') digits = false;
      if (digits) width = width * 10 + (d - '0');
    }
    if (!digits || width < 1 || width > kMaxWidth) {
      error = "Not a width: " + std::string(word);
      return {};
    }
    fields.push_back({start, width});
    start += width;
    at = end;
  }
  if (fields.empty()) error = "No field widths";
  return fields;
}

}  // namespace zendra
