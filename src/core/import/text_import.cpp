#include "core/import/text_import.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <unordered_set>
#include <utility>

#include "core/encoding/utf8.h"
#include "core/grid/data_methods.h"
#include "core/import/csv_in_file.h"
#include "core/model/numeric_text.h"

namespace zendra {
namespace {

// The texts a cell takes as they are: the marks for a missing or secret figure.
bool isSymbol(std::string_view text) {
  static constexpr std::array<std::string_view, 7> kSymbols = {".",     "..",     "...", "....",
                                                               ".....", "......", "-"};
  return std::find(kSymbols.begin(), kSymbols.end(), text) != kSymbols.end();
}

// A variable's values by code (or by text when it has no codes), built once per import:
// a look-up per field must not walk the values. An open-addressing table of positions over
// views of the document's own texts (which the import does not change): about 20 bytes a
// value, where a map of copied strings took some 70.
class CodeIndex {
 public:
  explicit CodeIndex(const DimensionData& variable) : name_(variable.name) {
    keys_.reserve(static_cast<std::size_t>(variable.ValueCode.Count()));
    for (const auto& value : variable.ValueCode) {
      keys_.emplace_back(variable.UseCodes ? value->code : value->value);
    }
    std::size_t slots = 2;
    while (slots < 2 * keys_.size()) slots *= 2;
    slots_.assign(slots, -1);
    for (std::size_t p = 0; p < keys_.size(); ++p) {
      // The first of two equal codes wins, as a walk through the values would find it.
      std::int32_t& slot = slots_[slotOf(keys_[p])];
      if (slot < 0) slot = static_cast<std::int32_t>(p);
    }
  }
  std::int32_t find(std::string_view code) const { return slots_[slotOf(code)]; }
  const std::string& name() const { return name_; }
  std::int32_t count() const { return static_cast<std::int32_t>(keys_.size()); }

 private:
  // The slot that holds code, or the free slot where it would go.
  std::size_t slotOf(std::string_view code) const {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t s = std::hash<std::string_view>{}(code)&mask;; s = (s + 1) & mask) {
      const std::int32_t p = slots_[s];
      if (p < 0 || keys_[static_cast<std::size_t>(p)] == code) return s;
    }
  }

  std::string name_;
  std::vector<std::string_view> keys_;
  std::vector<std::int32_t> slots_;  // positions in keys_, -1 when free; at most half used
};

// The byte offset of the 1-based character position in UTF-8 text (the text's size when
// it is shorter).
std::size_t byteOfChar(std::string_view text, std::int32_t position) {
  std::size_t i = 0;
  for (std::int32_t n = 1; n < position && i < text.size(); ++n) {
    ++i;
    while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
  }
  return i;
}

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

std::string SeparatorChar(const std::string& shown) {
  std::string upper = shown;
  for (char& c : upper) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  return upper == "TAB" ? "\t" : shown;
}

TextSample AnalyseText(const std::string& bytes, const VexaMess& doc) {
  CSVInFile reader;
  reader.openBytes(bytes);
  reader.CSVAnalyse();
  // A failed guess (one field a line, say) is no reason to count no fields: start over
  // with what the guess left.
  reader.CSVRewind();
  TextSample sample;
  sample.separator = reader.Delimiter == "\t" ? "Tab" : reader.Delimiter;
  sample.textDelimiter = reader.QuotDelim;
  while (static_cast<int>(sample.lines.size()) < kSampleLines && reader.CSVGetLine()) {
    sample.lines.push_back(reader.CurrentRecord);
    sample.width = std::max(sample.width, reader.GetNumberOfFields());
  }
  const std::int32_t oneCell = doc.colStub.Count() + doc.colHeading.Count() + 1;
  sample.multipleValues = !(sample.width == oneCell || doc.colHeading.Count() == 0);
  return sample;
}

TextHead ReadTextHead(const std::string& path, std::size_t maxBytes) {
  TextHead head;
  CSVInFile reader;
  reader.FileName = path;
  if (!reader.CSVOpen()) {
    head.error = reader.ErrorText;
    return head;
  }
  while (reader.CSVGetLine()) {
    const std::string& line = reader.CurrentRecord;
    if (!head.text.empty() && head.text.size() + line.size() + 1 > maxBytes) break;
    head.text += line;
    head.text += '\n';
    if (head.text.size() >= maxBytes) break;
  }
  if (reader.Error != 0) {
    head.error = reader.ErrorText;
    return head;
  }
  if (head.text.size() > maxBytes) {
    // Only a first line longer than maxBytes gets here: cut it at a character's start.
    std::size_t cut = maxBytes;
    while (cut > 0 && (static_cast<unsigned char>(head.text[cut]) & 0xC0) == 0x80) --cut;
    head.text.resize(cut);
  }
  head.ok = true;
  return head;
}

TextImportSettings SettingsFromSample(const TextSample& sample, std::string localeDecimal) {
  TextImportSettings settings;
  settings.separator = sample.separator;
  settings.textDelimiter = sample.textDelimiter;
  settings.decimalPoint = localeDecimal;
  settings.localeDecimal = std::move(localeDecimal);
  settings.multipleValues = sample.multipleValues;
  return settings;
}

TextImport::TextImport(VexaMess& doc, CellGrid& grid, TextImportSettings settings)
    : doc_(doc), grid_(grid), settings_(std::move(settings)) {}

// The state of one run.
class TextImport::Impl {
 public:
  Impl(VexaMess& doc, CellGrid& grid, const TextImportSettings& settings,
       const std::function<void(std::int32_t)>& beforeRowWrite)
      : doc_(doc), grid_(grid), s_(settings), beforeRowWrite_(beforeRowWrite) {
    for (const auto& v : doc.colStub) stub_.emplace_back(*v);
    for (const auto& v : doc.colHeading) {
      heading_.emplace_back(*v);
      spans_.push_back(!doc.FileWithKeys || v->Keytype == 0);
    }
    // Mixed-radix weights: the first variable is the most significant.
    stubWeights_ = weights(stub_, std::vector<bool>(stub_.size(), true));
    headWeights_ = weights(heading_, spans_);
    itemCount_ = static_cast<std::int32_t>(stub_.size()) +
                 (s_.multipleValues ? doc.NumCols : static_cast<std::int32_t>(heading_.size()) + 1);
    initialRows_ = grid.rowCount();
    touched_.assign(static_cast<std::size_t>(initialRows_) + 1, false);
    if (doc.FileWithKeys) {
      for (std::int32_t r = doc.DataRow1; r < grid.rowCount(); ++r) keysSeen_.insert(keysOfRow(r));
    }
  }

  void run(TextSource source, const std::function<bool(std::size_t, std::size_t)>& progress,
           TextImportResult& out) {
    out_ = &out;
    if (source.fromFile) {
      reader_.FileName = std::move(source.path);
      reader_.CSVOpen();
    } else {
      reader_.openBytes(std::move(source.bytes));
    }
    reader_.Delimiter = SeparatorChar(s_.separator);
    reader_.QuotDelim = s_.textDelimiter;
    declareFields();

    if (s_.skipFirst && reader_.Error == 0) readRecord();
    while (!reader_.Eof && readRecord()) {
      ++out.records;
      if (items_.back().empty()) {
        out.log.push_back(lineOf(reader_.CurrentRecord));
        out.log.push_back("Too few values in line");
      }
      if (!place()) ++out.refused;
      if (out.refused > TextImport::kErrorLimit) {
        out.log.push_back("Too many errors, Load aborted");
        out.aborted = true;
        break;
      }
      if (stopped_) break;
      if (progress && (out.records & 0xFFF) == 0 &&
          !progress(reader_.bytesRead(), reader_.byteCount())) {
        out.log.push_back("Load aborted");
        out.aborted = out.cancelled = true;
        break;
      }
    }
    if (reader_.Error != 0) {
      // A file that cannot be read is named by the error; other errors are the line's.
      if (reader_.Error != 8) out.log.push_back(lineOf(reader_.CurrentRecord));
      out.log.push_back(reader_.ErrorText);
      out.log.push_back("Load aborted");
      out.aborted = true;
    }
    reader_.CSVClose();
    out.log.push_back(std::to_string(out.records) + " records Processed");
    // Only cells written make the grid one that holds data: an import whose every line
    // was refused leaves the table as it was.
    if (out.wrote) doc_.GridHasData = true;
  }

 private:
  // A log line about the line just read: its number in the file, then the text, with
  // the bytes of a binary file escaped.
  std::string lineOf(std::string_view text) const {
    return "Line " + std::to_string(reader_.lineNumber()) + ": " + printableText(text);
  }

  template <typename Index>
  static std::vector<std::int64_t> weights(const std::vector<Index>& vars,
                                           const std::vector<bool>& counted) {
    std::vector<std::int64_t> out(vars.size(), 0);
    std::int64_t w = 1;
    for (std::size_t i = vars.size(); i-- > 0;) {
      if (!counted[i]) continue;
      out[i] = w;
      w *= std::max(1, vars[i].count());
    }
    return out;
  }

  const FieldLayout* layout() const { return s_.layout ? &*s_.layout : nullptr; }

  // The file field (0-based) that holds item i.
  std::size_t fieldOf(std::size_t item) const {
    const auto* l = layout();
    if (l && item < l->order.size() && l->order[item] >= 1) {
      return static_cast<std::size_t>(l->order[item] - 1);
    }
    return item;
  }

  void declareFields() {
    std::int32_t fields = itemCount_;
    const auto* l = layout();
    if (l) {
      for (const std::int32_t f : l->order) fields = std::max(fields, f);
      if (l->kind == FieldLayout::Kind::Fixed) return;
    }
    for (std::int32_t i = 1; i <= fields; ++i) reader_.CSVAddField("Field" + std::to_string(i), 1);
  }

  // Reads the next line into items_; false at the end or on a reader error.
  bool readRecord() {
    items_.assign(static_cast<std::size_t>(itemCount_), {});
    const auto* l = layout();
    if (l && l->kind == FieldLayout::Kind::Fixed) {
      if (!reader_.CSVGetLine()) return false;
      const std::string_view line = reader_.CurrentRecord;
      for (std::size_t i = 0; i < items_.size(); ++i) {
        const std::size_t f = fieldOf(i);
        if (f >= l->fixed.size()) continue;
        const FixedField& field = l->fixed[f];
        const std::size_t begin = byteOfChar(line, field.start);
        const std::size_t end = byteOfChar(line, field.start + std::max(0, field.width));
        items_[i] = trimmed(line.substr(begin, end - begin));
      }
      return true;
    }
    if (!reader_.CSVGet()) return false;
    for (std::size_t i = 0; i < items_.size(); ++i) {
      const auto field = reader_.Fields.Item(static_cast<std::int32_t>(fieldOf(i)) + 1);
      if (field && field->value) items_[i] = *field->value;
    }
    return true;
  }

  void refuseCode(const CodeIndex& index, std::string_view code) {
    out_->log.push_back(lineOf("Code: " + std::string(code) + " in " + index.name() +
                               " is  invalid"));
  }

  // The offset of the codes from item first on within their variables' mixed-radix
  // numbering; -1 (logged) when a code is unknown.
  std::int64_t offsetOf(const std::vector<CodeIndex>& vars, const std::vector<std::int64_t>& w,
                        std::size_t first) {
    std::int64_t offset = 0;
    for (std::size_t i = 0; i < vars.size(); ++i) {
      const std::int32_t p = vars[i].find(items_[first + i]);
      if (p < 0) {
        refuseCode(vars[i], items_[first + i]);
        return -1;
      }
      offset += p * w[i];
    }
    return offset;
  }

  void touch(std::int32_t row) {
    if (row < 1 || row > initialRows_ || touched_[static_cast<std::size_t>(row)]) return;
    touched_[static_cast<std::size_t>(row)] = true;
    if (beforeRowWrite_) beforeRowWrite_(row);
  }

  // Writes one field into a cell by the value rule; false (logged) when it is no number.
  bool writeValue(std::int32_t row, std::int32_t col, std::string_view text) {
    if (isSymbol(text)) {
      grid_.setText(row, col, text);
      out_->wrote = true;
      return true;
    }
    double value = 0;
    const bool ok = s_.decimalPoint.empty() ? parseNumeric(text, ".", value) ||
                                                  parseNumeric(text, s_.localeDecimal, value)
                                            : parseNumeric(text, s_.decimalPoint, value);
    if (!ok) {
      out_->log.push_back(lineOf(reader_.CurrentRecord));
      out_->log.push_back("Value not numeric");
      return false;
    }
    grid_.setNumber(row, col, value, doc_.SaveDecimals);
    out_->wrote = true;
    return true;
  }

  // Places the record; false when it was refused (wholly or from a value on).
  bool place() { return doc_.FileWithKeys ? placeKeys() : placeCells(); }

  bool placeCells() {
    const std::int64_t rowOffset = offsetOf(stub_, stubWeights_, 0);
    if (rowOffset < 0) return false;
    const auto row = static_cast<std::int32_t>(doc_.DataRow1 + rowOffset);
    const std::size_t first = stub_.size();
    if (!s_.multipleValues) {
      const std::int64_t colOffset = offsetOf(heading_, headWeights_, first);
      if (colOffset < 0) return false;
      touch(row);
      return writeValue(row, static_cast<std::int32_t>(doc_.DataCol1 + colOffset),
                        items_[first + heading_.size()]);
    }
    touch(row);
    for (std::int32_t c = 0; c < doc_.NumCols; ++c) {
      if (!writeValue(row, doc_.DataCol1 + c, items_[first + static_cast<std::size_t>(c)])) {
        return false;
      }
    }
    return true;
  }

  std::string keysOfRow(std::int32_t row) const {
    std::string keys;
    for (std::size_t i = 0; i < stub_.size(); ++i) {
      keys += grid_.storedText(row, static_cast<std::int32_t>(i) + 1);
      keys += '\n';
    }
    return keys;
  }

  std::string keysOfRecord() const {
    std::string keys;
    for (std::size_t i = 0; i < stub_.size(); ++i) {
      keys += items_[i];
      keys += '\n';
    }
    return keys;
  }

  bool sameKeys(std::int32_t row) const {
    for (std::size_t i = 0; i < stub_.size(); ++i) {
      if (grid_.storedText(row, static_cast<std::int32_t>(i) + 1) != items_[i]) return false;
    }
    return true;
  }

  bool placeKeys() {
    // Every code is checked before anything is written, so that a refused record leaves
    // nothing behind.
    for (std::size_t i = 0; i < stub_.size(); ++i) {
      if (stub_[i].find(items_[i]) < 0) {
        refuseCode(stub_[i], items_[i]);
        return false;
      }
    }
    const std::size_t first = stub_.size();
    std::int32_t col = doc_.DataCol1;
    if (!s_.multipleValues) {
      const std::int64_t colOffset = offsetOf(heading_, headWeights_, first);
      if (colOffset < 0) return false;
      col = static_cast<std::int32_t>(col + colOffset);
      const std::int32_t lastFilled = grid_.rowCount() - 1;
      if (lastFilled >= doc_.DataRow1 && sameKeys(lastFilled)) {
        touch(lastFilled);
        return writeValue(lastFilled, col, items_[first + heading_.size()]);
      }
    }

    const std::int32_t row = grid_.rowCount();
    const std::int32_t lastCol = std::min(grid_.colCount(), doc_.DataCol1 + doc_.NumCols - 1);
    touch(row);
    std::string keys = keysOfRecord();
    if (!keysSeen_.insert(keys).second) {
      out_->log.push_back(lineOf(reader_.CurrentRecord));
      out_->log.push_back("Keys of an earlier row, a new row started");
    }
    for (std::size_t i = 0; i < stub_.size(); ++i) {
      grid_.setText(row, static_cast<std::int32_t>(i) + 1, items_[i]);
    }
    bool ok = true;
    if (s_.multipleValues) {
      for (std::int32_t c = doc_.DataCol1; ok && c <= lastCol; ++c) {
        ok = writeValue(row, c, items_[first + static_cast<std::size_t>(c - doc_.DataCol1)]);
      }
    } else {
      if (s_.fillMissing) {
        for (std::int32_t c = doc_.DataCol1; c <= lastCol; ++c)
          grid_.setNumber(row, c, 0, doc_.SaveDecimals);
      }
      ok = col <= lastCol && writeValue(row, col, items_[first + heading_.size()]);
    }
    if (!ok) {
      // The entry row must not keep half a record: the next save would write it.
      grid_.clearBlock({row, 1, row, grid_.colCount()});
      keysSeen_.erase(keys);
      return false;
    }
    if (!AppendKeysRow(doc_, grid_)) {
      out_->log.push_back("Not enough memory, Load aborted");
      out_->aborted = true;
      stopped_ = true;
    }
    return true;
  }

  VexaMess& doc_;
  CellGrid& grid_;
  const TextImportSettings& s_;
  const std::function<void(std::int32_t)>& beforeRowWrite_;
  TextImportResult* out_ = nullptr;
  CSVInFile reader_;
  std::vector<CodeIndex> stub_;
  std::vector<CodeIndex> heading_;
  std::vector<bool> spans_;
  std::vector<std::int64_t> stubWeights_;
  std::vector<std::int64_t> headWeights_;
  std::int32_t itemCount_ = 0;
  std::vector<std::string_view> items_;
  std::int32_t initialRows_ = 0;
  std::vector<bool> touched_;
  std::unordered_set<std::string> keysSeen_;
  bool stopped_ = false;
};

TextImportResult TextImport::run(TextSource source) {
  TextImportResult result;
  if (!doc_.GridCreated || doc_.DataRow1 < 1 || doc_.DataCol1 < 1) {
    result.log.push_back("0 records Processed");
    return result;
  }
  Impl impl(doc_, grid_, settings_, beforeRowWrite);
  impl.run(std::move(source), progress, result);
  return result;
}

}  // namespace zendra
